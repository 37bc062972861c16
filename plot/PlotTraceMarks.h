#pragma once
// Where the plot's times meet the trace's rows. A sample keeps no row of its own (16 bytes a
// sample hold its time and value only); instead every few thousand received frames leave a
// mark: the trace's row count and the time counting at that point. From the nearest mark a
// short walk over the trace's rows, counting times as the samples did, finds a sample's row
// or a row's time. Rows before the first mark came before the plot's samples started.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "model/StampUnwrap.h"
#include "views/TraceList.h"

class TPlotTraceMarks {
 public:
  static constexpr std::uint64_t kMarkEvery = 4096;  // received frames between two marks

  // Times count from zero again from row `row` on.
  void Restart(std::uint64_t row);
  // A received frame has been counted: `rows` the trace's rows now, `stamps` and `time` the
  // counting after it.
  void Passed(std::uint64_t rows, const TStampUnwrap& stamps, double time);

  // The row of the `nth` frame at `time` that `matches` (a frame of the sample's message that
  // carries the signal); none when the trace does not hold it (a filtered frame, a cleared trace).
  [[nodiscard]] std::optional<std::uint64_t> RowOf(const TTraceList& trace, double time, std::size_t nth,
                                                   const std::function<bool(const TCanMsgProg&)>& matches) const;
  // The time the plot gives row `row`: a sent row that of the received row before it.
  [[nodiscard]] std::optional<double> TimeOf(const TTraceList& trace, std::uint64_t row) const;

  // Every row from the start on, with its time, while `visit(row, time, frame)` returns true.
  template <typename TVisit>
  void WalkFromStart(const TTraceList& trace, TVisit&& visit) const {
    if (!FMarks.empty()) Walk(trace, FMarks.front(), std::forward<TVisit>(visit));
  }

 private:
  struct TMark {
    std::uint64_t Row = 0;  // the rows from here on are counted from this state
    TStampUnwrap Stamps;
    double Time = 0;
  };
  template <typename TVisit>
  static void Walk(const TTraceList& trace, const TMark& mark, TVisit&& visit) {
    TStampUnwrap stamps = mark.Stamps;
    double time = mark.Time;
    for (std::uint64_t row = mark.Row; row < trace.RowCount(); ++row) {
      const TTraceData& data = trace.Row(static_cast<std::size_t>(row));
      if (data.Received) time = static_cast<double>(stamps.Unwrapped(data.Msg.Time));
      if (!visit(row, time, data.Msg)) return;
    }
  }

  std::vector<TMark> FMarks;  // FMarks[0] is the start, once there is one
  std::uint64_t FSinceMark = 0;
};
