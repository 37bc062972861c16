#include "plot/PlotView.h"

#include <algorithm>

void TPlotView::SetSpan(double span) {
  FSpan = std::max(span, kMinimumSpan);
  if (FFollowing) FT0 = FT1 - FSpan;
}

void TPlotView::Follow(double lastTime) {
  if (!FFollowing) return;
  // Before a span has passed the range starts at 0, so the first samples do not run in from the left.
  FT1 = std::max(lastTime, FSpan);
  FT0 = FT1 - FSpan;
}

void TPlotView::Zoom(double factor, double anchor) {
  if (!(factor > 0)) return;
  FFollowing = false;
  const double length = std::max((FT1 - FT0) * factor, kMinimumSpan);
  const double share = FT1 > FT0 ? (anchor - FT0) / (FT1 - FT0) : 0.5;
  FT0 = anchor - length * share;
  FT1 = FT0 + length;
}

void TPlotView::Pan(double delta) {
  FFollowing = false;
  FT0 += delta;
  FT1 += delta;
}

bool TPlotView::Fit(const TPlotSamples& samples) {
  bool any = false;
  double first = 0;
  double last = 0;
  for (std::size_t index = 0; index < samples.Count(); ++index) {
    const TSampleColumn& column = samples.Series(index).Samples;
    if (column.Empty()) continue;
    first = any ? std::min(first, column.Time(0)) : column.Time(0);
    last = any ? std::max(last, column.Time(column.Size() - 1)) : column.Time(column.Size() - 1);
    any = true;
  }
  if (!any) return false;
  // The range is half open: the last sample must fall inside it.
  const double margin = std::max((last - first) / 100, 1.0);
  Show(first - margin, last + margin);
  return true;
}

void TPlotView::Show(double t0, double t1) {
  FFollowing = false;
  FT0 = t0;
  FT1 = std::max(t1, t0 + kMinimumSpan);
}
