#include "plot/PlotSamples.h"

bool TPlotSamples::Subscribe(const TMessageDef& message, std::size_t signal) {
  if (signal >= message.Signals.size()) return false;
  TPlotSignalKey key{message.Id, message.Extended, message.Signals[signal].Name};
  if (Find(key) >= 0) return false;
  TPlotSeries series;
  series.Key = std::move(key);
  Resolve(series);
  FSeries.push_back(std::move(series));
  Reindex();
  Changed();
  return true;
}

void TPlotSamples::Unsubscribe(std::size_t series) {
  if (series >= FSeries.size()) return;
  FSeries.erase(FSeries.begin() + static_cast<std::ptrdiff_t>(series));
  Reindex();
  Changed();
}

int TPlotSamples::Find(const TPlotSignalKey& key) const {
  for (std::size_t index = 0; index < FSeries.size(); ++index)
    if (FSeries[index].Key == key) return static_cast<int>(index);
  return -1;
}

void TPlotSamples::ClearSamples() {
  for (TPlotSeries& series : FSeries) series.Samples.Clear();
  FHasTime = false;
  FLastTime = 0;
  FStamps.Restart();
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
  if (received) {
    FHasTime = true;
    FLastTime = static_cast<double>(FStamps.Unwrapped(msg.Time));
  }
  if (FByMessage.empty() || msg.CanId < 0 || msg.CanId > 0x1FFFFFFF) return;
  const auto found = FByMessage.find(MessageKey(static_cast<std::uint32_t>(msg.CanId), msg.Extended));
  if (found == FByMessage.end()) return;
  const TFrameWords words = FrameWords(msg);
  for (const std::size_t index : found->second)
    if (Take(FSeries[index], FLastTime, words)) FAdded = true;
  if (!FInDrain && FAdded) DrainEnded();
}

void TPlotSamples::AddHistory(std::size_t series, const TTraceList& trace) {
  TPlotSeries& target = FSeries[series];
  if (!target.Def) return;
  TStampUnwrap stamps;
  double time = 0;
  for (std::size_t row = 0; row < trace.RowCount(); ++row) {
    const TCanMsgProg& msg = trace.Row(row).Msg;
    if (trace.Row(row).Received) time = static_cast<double>(stamps.Unwrapped(msg.Time));
    if (msg.CanId == static_cast<std::int64_t>(target.Key.Id) && msg.Extended == target.Key.Extended) Take(target, time, FrameWords(msg));
  }
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
