#include "plot/PlotReadout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "signals/SignalCodec.h"
#include "signals/SignalText.h"

std::optional<std::size_t> SampleAtOrBefore(const TSampleColumn& column, double time) {
  // The first sample after `time` is the first at or after the next double up.
  const std::size_t after = column.LowerBound(std::nextafter(time, std::numeric_limits<double>::infinity()));
  if (after == 0) return std::nullopt;
  return after - 1;
}

std::optional<std::size_t> NearestSample(const TSampleColumn& column, double time) {
  if (column.Empty()) return std::nullopt;
  const std::size_t next = column.LowerBound(time);
  if (next == column.Size()) return next - 1;
  if (next == 0) return 0;
  return time - column.Time(next - 1) <= column.Time(next) - time ? next - 1 : next;
}

QString PlotTableText(const TSignalDef& signal, double value) {
  if (signal.Values.empty() || signal.Factor == 0 || !std::isfinite(value)) return {};
  const double raw = std::round((value - signal.Offset) / signal.Factor);
  if (std::abs(raw) > 9.0e18) return {};
  const std::string* text = ValueText(signal, static_cast<std::uint64_t>(static_cast<std::int64_t>(raw)));
  return text ? QString::fromStdString(*text) : QString();
}

namespace {

QString NumberText(const TPlotSeries& series, double value) {
  if (const TSignalDef* signal = series.Signal()) return ValueWithUnit(*signal, value);
  const QString number = QString::fromStdString(ShortestDouble(value));
  return series.Unit.empty() ? number : number + QLatin1Char(' ') + QString::fromStdString(series.Unit);
}

}  // namespace

QString PlotValueText(const TPlotSeries& series, double value) {
  const QString number = NumberText(series, value);
  const QString text = series.Signal() ? PlotTableText(*series.Signal(), value) : QString();
  return text.isEmpty() ? number : number + QStringLiteral(" (") + text + QLatin1Char(')');
}

QString PlotTimeText(double ms, double resolution) {
  int decimals = 3;
  if (resolution > 0 && resolution < 1) decimals += static_cast<int>(std::ceil(-std::log10(resolution)));
  return QString::number(ms / 1000, 'f', std::min(decimals, 9)) + QStringLiteral(" s");
}

QString PlotDurationText(double ms) {
  if (std::abs(ms) < 1000) return QString::number(ms, 'g', 6) + QStringLiteral(" ms");
  return QString::number(ms / 1000, 'g', 7) + QStringLiteral(" s");
}

TCursorReading ReadCursors(const TPlotSeries& series, std::optional<double> first, std::optional<double> second) {
  TCursorReading reading;
  std::optional<double> values[2];
  const std::optional<double> times[2] = {first, second};
  for (int which = 0; which < 2; ++which) {
    if (!times[which]) continue;
    const std::optional<std::size_t> sample = SampleAtOrBefore(series.Samples, *times[which]);
    if (!sample) continue;
    values[which] = series.Samples.Value(*sample);
    reading.Values[which] = PlotValueText(series, *values[which]);
  }
  if (values[0] && values[1]) reading.Delta = NumberText(series, *values[1] - *values[0]);
  return reading;
}
