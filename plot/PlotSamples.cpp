#include "plot/PlotSamples.h"

#include "model/CanText.h"

TPlotSamples::TPlotSamples(const TSignalDatabases& databases, const TTraceList* trace) : FDatabases(databases), FTrace(trace) {
  Restart(TraceRows());
}

bool TPlotSamples::Subscribe(const TMessageDef& message, std::size_t signal) {
  if (signal >= message.Signals.size()) return false;
  return Subscribe(TPlotSignalKey{message.Id, message.Extended, message.Signals[signal].Name});
}

bool TPlotSamples::Subscribe(const TPlotSignalKey& key) {
  if (Find(key) >= 0) return false;
  TPlotSeries series;
  series.Key = key;
  // Until a database names the message, its identifier does.
  char id[16];
  series.Message.assign(id, WriteCanIdText(id, key.Extended, key.Id));
  Resolve(series);
  FSeries.push_back(std::move(series));
  Reindex();
  Changed();
  SubscriptionsChanged();
  return true;
}

void TPlotSamples::Unsubscribe(std::size_t series) {
  if (series >= FSeries.size()) return;
  FSeries.erase(FSeries.begin() + static_cast<std::ptrdiff_t>(series));
  Reindex();
  Changed();
  SubscriptionsChanged();
}

int TPlotSamples::Find(const TPlotSignalKey& key) const {
  for (std::size_t index = 0; index < FSeries.size(); ++index)
    if (FSeries[index].Key == key) return static_cast<int>(index);
  return -1;
}

void TPlotSamples::ClearSamples() {
  for (TPlotSeries& series : FSeries) series.Samples.Clear();
  Restart(TraceRows());
  Changed();
}

void TPlotSamples::Restart(std::uint64_t row) {
  FHasTime = false;
  FLastTime = 0;
  FStamps.Restart();
  FMarks.Restart(row);
}

void TPlotSamples::RebuildFromTrace() {
  for (TPlotSeries& series : FSeries) series.Samples.Clear();
  Restart(0);
  for (std::uint64_t row = 0; row < TraceRows(); ++row) {
    const TTraceData& data = FTrace->Row(static_cast<std::size_t>(row));
    Count(data.Msg, data.Received, row + 1);
  }
  FAdded = false;
  Changed();
}

void TPlotSamples::DatabasesChanged() {
  for (TPlotSeries& series : FSeries) Resolve(series);
  Reindex();
  Changed();
}

void TPlotSamples::Resolve(TPlotSeries& series) const {
  series.Def = nullptr;
  series.SignalIndex = -1;
  const TMessageDef* message = FDatabases.Find(series.Key.Id, series.Key.Extended);
  if (!message || !message->Decodable) return;
  for (std::size_t index = 0; index < message->Signals.size(); ++index) {
    if (message->Signals[index].Name != series.Key.Signal) continue;
    series.Def = message;
    series.SignalIndex = static_cast<int>(index);
    series.Message = message->Name;
    series.Unit = message->Signals[index].Unit;
    return;
  }
}

void TPlotSamples::Reindex() {
  FByMessage.clear();
  for (std::size_t index = 0; index < FSeries.size(); ++index)
    if (FSeries[index].Def) FByMessage[MessageKey(FSeries[index].Key.Id, FSeries[index].Key.Extended)].push_back(index);
}

void TPlotSamples::FrameEntered(const TCanMsgProg& msg, bool received) {
  Count(msg, received, TraceRows());
  if (!FInDrain && FAdded) DrainEnded();
}

void TPlotSamples::Count(const TCanMsgProg& msg, bool received, std::uint64_t rows) {
  if (received) {
    FHasTime = true;
    FLastTime = static_cast<double>(FStamps.Unwrapped(msg.Time));
    FMarks.Passed(rows, FStamps, FLastTime);
  }
  if (FByMessage.empty() || msg.CanId < 0 || msg.CanId > 0x1FFFFFFF) return;
  const auto found = FByMessage.find(MessageKey(static_cast<std::uint32_t>(msg.CanId), msg.Extended));
  if (found == FByMessage.end()) return;
  const TFrameWords words = FrameWords(msg);
  for (const std::size_t index : found->second)
    if (Take(FSeries[index], FLastTime, words)) FAdded = true;
}

// From the samples' start, not the trace's first row: after a reconnect the trace still holds
// the earlier capture, whose stamps would count on the new one's times.
void TPlotSamples::AddHistory(std::size_t series) {
  TPlotSeries& target = FSeries[series];
  if (!target.Def || !FTrace) return;
  FMarks.WalkFromStart(*FTrace, [&target](std::uint64_t, double time, const TCanMsgProg& msg) {
    if (target.OfMessage(msg)) Take(target, time, FrameWords(msg));
    return true;
  });
}

std::optional<std::size_t> TPlotSamples::TraceRowOf(std::size_t series, std::size_t sample) const {
  if (!FTrace || series >= FSeries.size() || sample >= FSeries[series].Samples.Size()) return std::nullopt;
  const TPlotSeries& target = FSeries[series];
  const double time = target.Samples.Time(sample);
  // Frames of the message at the same time stamp: the sample's place among them.
  const std::size_t nth = sample - target.Samples.LowerBound(time);
  const auto row = FMarks.RowOf(*FTrace, time, nth, [&target](const TCanMsgProg& msg) {
    return target.OfMessage(msg) && (!target.Def || SignalPresent(*target.Def, *target.Signal(), FrameWords(msg)));
  });
  if (!row) return std::nullopt;
  return static_cast<std::size_t>(*row);
}

std::optional<double> TPlotSamples::TimeOfTraceRow(std::size_t row) const {
  if (!FTrace) return std::nullopt;
  return FMarks.TimeOf(*FTrace, row);
}

bool TPlotSamples::Take(TPlotSeries& series, double time, const TFrameWords& words) {
  const TSignalDef& signal = *series.Signal();
  if (!SignalPresent(*series.Def, signal, words)) return false;
  series.Samples.Append(time, PhysicalValue(signal, SignalRaw(signal, words)));
  return true;
}

void TPlotSamples::DrainEnded() {
  FInDrain = false;
  if (!FAdded) return;
  FAdded = false;
  Changed();
}

void TPlotSamples::Changed() {
  if (OnChanged) OnChanged();
}

void TPlotSamples::SubscriptionsChanged() {
  if (OnSubscriptionsChanged) OnSubscriptionsChanged();
}
