#include "plot/PlotView.h"

#include <algorithm>
#include <cmath>

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

std::optional<TMinMax> TPlotView::ValueRange(const TPlotSignalKey& key) const {
  for (const auto& [owner, range] : FValueRanges)
    if (owner == key) return range;
  return std::nullopt;
}

namespace {
bool Drawable(TMinMax range) { return std::isfinite(range.Min) && std::isfinite(range.Max) && range.Max > range.Min; }
}  // namespace

void TPlotView::SetValueRange(const TPlotSignalKey& key, TMinMax range) {
  if (!Drawable(range)) return;
  for (auto& [owner, kept] : FValueRanges)
    if (owner == key) {
      kept = range;
      return;
    }
  FValueRanges.emplace_back(key, range);
}

void TPlotView::SetOverlayRange(TMinMax range) {
  if (Drawable(range)) FOverlayRange = range;
}

void TPlotView::AutoValueRanges() {
  FValueRanges.clear();
  FOverlayRange.reset();
}

std::optional<double> TPlotView::Cursor(int which) const {
  if (which != 1 && which != 2) return std::nullopt;
  return FCursors[which - 1];
}

void TPlotView::SetCursor(int which, double time) {
  if ((which == 1 || which == 2) && std::isfinite(time)) FCursors[which - 1] = time;
}

void TPlotView::ClearCursors() {
  FCursors[0].reset();
  FCursors[1].reset();
}
