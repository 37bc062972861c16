#pragma once
// The signals a plot shows and their samples, fed at the drain: a frame of a message with a
// subscribed signal has the frame's data words read once and only the subscribed signals
// decoded; every other frame costs one lookup. The end of a drain announces the new samples
// once. Times are the adapter's stamps in milliseconds counted on across its counter's
// turns; a sent frame counts at the time of the received frame before it. A signal is known by its message (identifier, extended) and name, so that it keeps
// its samples and finds its definition again when the databases are loaded anew.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/StampUnwrap.h"
#include "plot/PlotTraceMarks.h"
#include "plot/SampleColumn.h"
#include "signals/SignalCodec.h"
#include "signals/SignalDatabases.h"
#include "signals/SignalKey.h"
#include "views/TraceList.h"
#include "views/TrafficObserver.h"

using TPlotSignalKey = TSignalKey;

struct TPlotSeries {
  TPlotSignalKey Key;
  std::string Message;  // the message's name, kept for the legend when the database goes
  std::string Unit;
  const TMessageDef* Def = nullptr;  // null while no loaded database defines it
  int SignalIndex = -1;
  TSampleColumn Samples;
  // The signal's value table, to draw as steps with their texts.
  [[nodiscard]] const TSignalDef* Signal() const { return Def ? &Def->Signals[static_cast<std::size_t>(SignalIndex)] : nullptr; }
  [[nodiscard]] std::string Name() const { return Message + '.' + Key.Signal; }
  [[nodiscard]] bool OfMessage(const TCanMsgProg& msg) const {
    return msg.CanId == static_cast<std::int64_t>(Key.Id) && msg.Extended == Key.Extended;
  }
};

class TPlotSamples : public TTrafficObserver {
 public:
  // `trace` (may be null) is the trace whose frames the samples come from: the link between
  // samples and its rows, and the history of a signal added later.
  explicit TPlotSamples(const TSignalDatabases& databases, const TTraceList* trace = nullptr);

  // Adds signal `signal` of `message` (a message of the loaded databases); false when it is
  // plotted already. Its samples start with the next frame.
  bool Subscribe(const TMessageDef& message, std::size_t signal);
  // The same by message and name, as a project keeps them; a signal no loaded database
  // defines is kept and plots nothing until one does.
  bool Subscribe(const TPlotSignalKey& key);
  void Unsubscribe(std::size_t series);
  // The samples the trace's rows since the samples' start hold for a series just subscribed,
  // appended without an announcement, their times counted as the live ones are.
  void AddHistory(std::size_t series);
  // The trace's rows were replaced (a loaded list or project, a reopened capture): every
  // series' samples anew from them, times counted from the first row.
  void RebuildFromTrace();

  // The trace row sample `sample` of series `series` came from; none when the trace does not
  // hold it (filtered out of it, or cleared since).
  [[nodiscard]] std::optional<std::size_t> TraceRowOf(std::size_t series, std::size_t sample) const;
  // The plot's time of trace row `row`; none for a row from before the samples' start.
  [[nodiscard]] std::optional<double> TimeOfTraceRow(std::size_t row) const;
  [[nodiscard]] std::size_t Count() const { return FSeries.size(); }
  [[nodiscard]] const TPlotSeries& Series(std::size_t index) const { return FSeries[index]; }
  [[nodiscard]] int Find(const TPlotSignalKey& key) const;

  // The samples go, the subscriptions stay (a cleared trace, a new connection); the times of
  // what comes next count from zero.
  void ClearSamples();
  // The definitions are looked up again by message and name.
  void DatabasesChanged();

  // The latest received frame's time, in milliseconds; none before the first frame.
  [[nodiscard]] bool HasTime() const { return FHasTime; }
  [[nodiscard]] double LastTime() const { return FLastTime; }

  void FrameEntered(const TCanMsgProg& msg, bool received) override;
  void DrainBegun() override { FInDrain = true; }
  void DrainEnded() override;

  // After a drain (or a frame outside one) that added samples, and after every change of
  // the subscriptions.
  std::function<void()> OnChanged;
  // After a signal was added or removed: what a project keeps changed.
  std::function<void()> OnSubscriptionsChanged;

 private:
  void Resolve(TPlotSeries& series) const;
  static bool Take(TPlotSeries& series, double time, const TFrameWords& words);
  void Reindex();
  void Changed();
  void SubscriptionsChanged();
  // Counts time on for a frame entering now, `rows` the trace's rows with it, and feeds the
  // series of its message.
  void Count(const TCanMsgProg& msg, bool received, std::uint64_t rows);
  // Times count from zero again from trace row `row` on.
  void Restart(std::uint64_t row);
  [[nodiscard]] std::uint64_t TraceRows() const { return FTrace ? FTrace->RowCount() : 0; }

  const TSignalDatabases& FDatabases;
  const TTraceList* FTrace;
  TPlotTraceMarks FMarks;
  std::vector<TPlotSeries> FSeries;
  // Message key to the series of its signals.
  std::unordered_map<std::uint32_t, std::vector<std::size_t>> FByMessage;
  bool FInDrain = false;
  bool FAdded = false;
  TStampUnwrap FStamps;
  bool FHasTime = false;
  double FLastTime = 0;
};
