#pragma once
// The plot's samples in words: the sample a cursor or the mouse points at, and the texts of
// values and times the cursor readout and the hover label show. A lookup is a binary search,
// so a readout costs the same over ten samples as over ten million.

#include <QString>
#include <cstddef>
#include <optional>

#include "plot/PlotSamples.h"

// The last sample at or before `time` (the last of several at that time); none before the first.
[[nodiscard]] std::optional<std::size_t> SampleAtOrBefore(const TSampleColumn& column, double time);
// The sample nearest in time, the earlier on a tie; none in an empty column.
[[nodiscard]] std::optional<std::size_t> NearestSample(const TSampleColumn& column, double time);

// The value-table text of a physical value; empty when the table has none for it.
[[nodiscard]] QString PlotTableText(const TSignalDef& signal, double value);
// A value as the signal shows it, with its unit and, from a value table, its text: "2 (High)".
[[nodiscard]] QString PlotValueText(const TPlotSeries& series, double value);
// Seconds with as many decimals as `resolution` milliseconds need to tell apart, at least 3.
[[nodiscard]] QString PlotTimeText(double ms, double resolution);
// A time difference: milliseconds below a second, seconds from one on.
[[nodiscard]] QString PlotDurationText(double ms);

// One row of the cursor readout: each cursor's value (empty without the cursor or before the
// first sample) and the second's minus the first's.
struct TCursorReading {
  QString Values[2];
  QString Delta;
};
[[nodiscard]] TCursorReading ReadCursors(const TPlotSeries& series, std::optional<double> first, std::optional<double> second);
