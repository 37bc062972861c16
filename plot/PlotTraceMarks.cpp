#include "plot/PlotTraceMarks.h"

#include <algorithm>

void TPlotTraceMarks::Restart(std::uint64_t row) {
  FMarks.assign(1, TMark{row, TStampUnwrap(), 0});
  FSinceMark = 0;
}

void TPlotTraceMarks::Passed(std::uint64_t rows, const TStampUnwrap& stamps, double time) {
  if (FMarks.empty() || ++FSinceMark < kMarkEvery) return;
  FSinceMark = 0;
  if (rows > FMarks.back().Row) FMarks.push_back(TMark{rows, stamps, time});
}

std::optional<std::uint64_t> TPlotTraceMarks::RowOf(const TTraceList& trace, double time, std::size_t nth,
                                                    const std::function<bool(const TCanMsgProg&)>& matches) const {
  if (FMarks.empty()) return std::nullopt;
  // The last mark before the time: every row at the time comes after it.
  const auto after = std::partition_point(FMarks.begin() + 1, FMarks.end(), [time](const TMark& mark) { return mark.Time < time; });
  std::optional<std::uint64_t> found;
  Walk(trace, *(after - 1), [&](std::uint64_t row, double rowTime, const TCanMsgProg& msg) {
    if (rowTime > time) return false;
    if (rowTime == time && matches(msg) && nth-- == 0) found = row;
    return !found;
  });
  return found;
}

std::optional<double> TPlotTraceMarks::TimeOf(const TTraceList& trace, std::uint64_t row) const {
  if (FMarks.empty() || row < FMarks.front().Row || row >= trace.RowCount()) return std::nullopt;
  const auto after = std::partition_point(FMarks.begin() + 1, FMarks.end(), [row](const TMark& mark) { return mark.Row <= row; });
  std::optional<double> found;
  Walk(trace, *(after - 1), [&](std::uint64_t at, double rowTime, const TCanMsgProg&) {
    if (at < row) return true;
    found = rowTime;
    return false;
  });
  return found;
}
