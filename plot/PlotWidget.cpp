#include "plot/PlotWidget.h"

#include <QLineF>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace {

constexpr int kGap = 6;  // between strips
constexpr double kWheelStep = 0.8;  // range length per wheel notch

struct TValueScale {
  double Min = 0;
  double Max = 1;
  QRect Area;
  [[nodiscard]] double Y(double value) const { return Area.bottom() - (value - Min) / (Max - Min) * (Area.height() - 1); }
};

TValueScale ScaleFor(const QRect& area, TMinMax range) {
  if (range.Empty()) range = {0, 1};
  double pad = (range.Max - range.Min) * 0.05;
  if (!(pad > 0)) pad = std::max(std::abs(range.Max) * 0.05, 0.5);
  return {range.Min - pad, range.Max + pad, area};
}

// The samples the strip shows: those in the range and one on each side, so the line runs
// to the edges.
std::pair<std::size_t, std::size_t> VisibleSamples(const TSampleColumn& column, const TPlotView& view) {
  std::size_t first = column.LowerBound(view.T0());
  std::size_t last = column.LowerBound(view.T1());
  if (first > 0) --first;
  if (last < column.Size()) ++last;
  return {first, last};
}

// A round step of about `wanted` milliseconds: 1, 2 or 5 times a power of ten.
double NiceStep(double wanted) {
  const double power = std::pow(10.0, std::floor(std::log10(wanted)));
  for (double factor : {1.0, 2.0, 5.0})
    if (power * factor >= wanted) return power * factor;
  return power * 10;
}

QString TimeLabel(double ms, double step) {
  const int decimals = step >= 1000 ? 0 : step >= 100 ? 1 : step >= 10 ? 2 : step >= 1 ? 3 : 5;
  return QString::number(ms / 1000, 'f', decimals);
}

}  // namespace

QColor PlotColour(std::size_t index) {
  static const QColor kColours[] = {QColor(31, 119, 180), QColor(214, 39, 40), QColor(44, 160, 44), QColor(148, 103, 189),
                                    QColor(255, 127, 14), QColor(23, 190, 207), QColor(140, 86, 75), QColor(227, 119, 194)};
  return kColours[index % std::size(kColours)];
}

TMinMax PaintPlotCurve(QPainter& painter, const QRect& area, const TPlotSeries& series, const TPlotView& view, const QColor& colour,
                    std::vector<TPixelColumn>& scratch) {
  const TSampleColumn& column = series.Samples;
  const int width = area.width();
  const auto [first, last] = VisibleSamples(column, view);
  painter.save();
  painter.setClipRect(area);
  painter.setPen(QPen(colour, 1));
  const auto x = [&](double time) { return area.left() + view.XOf(time, width); };
  if (last - first <= static_cast<std::size_t>(width)) {
    const TValueScale scale = ScaleFor(area, column.RangeMinMax(first, last));
    const bool steps = series.Signal() && !series.Signal()->Values.empty();
    QPolygonF line;
    for (std::size_t index = first; index < last; ++index) {
      const double value = column.Value(index);
      if (std::isnan(value)) continue;
      const QPointF point(x(column.Time(index)), scale.Y(value));
      if (steps && !line.isEmpty()) line << QPointF(point.x(), line.back().y());
      line << point;
    }
    painter.drawPolyline(line);
    if (line.size() == 1) painter.drawPoint(line.front());
    painter.restore();
    return {scale.Min, scale.Max};
  }
  column.Decimate(view.T0(), view.T1(), width, scratch);
  TMinMax range = TMinMax::None();
  for (const TPixelColumn& cell : scratch)
    if (cell.Count > 0) range.Add(cell.Range);
  const TValueScale scale = ScaleFor(area, range);
  std::vector<QLineF> lines;
  lines.reserve(scratch.size() * 2);
  // The sample before the range joins the first column, as a neighbour column would.
  bool previous = first < column.LowerBound(view.T0());
  double previousX = previous ? x(column.Time(first)) : 0;
  double previousValue = previous ? column.Value(first) : 0;
  for (std::size_t pixel = 0; pixel < scratch.size(); ++pixel) {
    const TPixelColumn& cell = scratch[pixel];
    if (cell.Count == 0) continue;
    const double at = area.left() + static_cast<double>(pixel) + 0.5;
    if (previous && !std::isnan(previousValue) && !std::isnan(cell.FirstValue))
      lines.emplace_back(previousX, scale.Y(previousValue), at, scale.Y(cell.FirstValue));
    if (!cell.Range.Empty()) lines.emplace_back(at, scale.Y(cell.Range.Min), at, scale.Y(cell.Range.Max));
    previous = true;
    previousX = at;
    previousValue = cell.LastValue;
  }
  painter.drawLines(lines.data(), static_cast<int>(lines.size()));
  painter.restore();
  return {scale.Min, scale.Max};
}

TPlotWidget::TPlotWidget(const TPlotSamples& samples, TPlotView& view, QWidget* parent) : QWidget(parent), FSamples(samples), FView(view) {
  setObjectName(QStringLiteral("pbPlot"));
  setAccessibleName(QStringLiteral("Plot"));
  setMinimumSize(320, 160);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::OpenHandCursor);
}

QRect TPlotWidget::StripRect(std::size_t index) const {
  const int count = std::max<int>(1, static_cast<int>(FSamples.Count()));
  const int height = std::max(1, (this->height() - kBottom - kGap * count) / count);
  return {kLeft, kGap + static_cast<int>(index) * (height + kGap), PlotWidth(), height};
}

void TPlotWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  painter.setPen(palette().text().color());
  if (FSamples.Count() == 0) {
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Choose a signal on the Signals page and press \"Plot\"."));
    return;
  }
  PaintTimeAxis(painter);
  for (std::size_t index = 0; index < FSamples.Count(); ++index) PaintStrip(painter, index);
}

void TPlotWidget::PaintTimeAxis(QPainter& painter) {
  const int width = PlotWidth();
  const double step = NiceStep((FView.T1() - FView.T0()) / std::max(1, width / 90));
  const int axis = height() - kBottom;
  const QColor grid = palette().mid().color();
  for (double tick = std::ceil(FView.T0() / step) * step; tick < FView.T1(); tick += step) {
    const int at = kLeft + static_cast<int>(std::lround(FView.XOf(tick, width)));
    painter.setPen(grid);
    painter.drawLine(at, kGap, at, axis);
    painter.setPen(palette().text().color());
    // A label at the left edge starts there, clear of the axis caption.
    const bool edge = at - 45 < kLeft;
    painter.drawText(QRect(edge ? kLeft : at - 45, axis + 2, 90, kBottom - 2), (edge ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignTop,
                     TimeLabel(tick, step));
  }
  painter.drawText(QRect(0, axis + 2, kLeft - 4, kBottom - 2), Qt::AlignRight | Qt::AlignTop, QStringLiteral("t / s"));
}

void TPlotWidget::PaintStrip(QPainter& painter, std::size_t index) {
  const TPlotSeries& series = FSamples.Series(index);
  const QRect area = StripRect(index);
  painter.setPen(palette().mid().color());
  painter.drawRect(area.adjusted(0, 0, -1, -1));
  // The value labels: the strip's extremes as the curve scaled them.
  const TMinMax scale = PaintPlotCurve(painter, area, series, FView, PlotColour(index), FColumns);
  painter.setPen(palette().text().color());
  const QString unit = QString::fromStdString(series.Unit);
  painter.drawText(QRect(0, area.top(), kLeft - 4, 16), Qt::AlignRight | Qt::AlignTop, QString::number(scale.Max, 'g', 6));
  painter.drawText(QRect(0, area.bottom() - 16, kLeft - 4, 16), Qt::AlignRight | Qt::AlignBottom, QString::number(scale.Min, 'g', 6));

  // The legend: colour, name and unit, and a note while the database does not define it.
  QString legend = QString::fromStdString(series.Name());
  if (!unit.isEmpty()) legend += QStringLiteral(" [") + unit + QLatin1Char(']');
  if (!series.Def) legend += QStringLiteral(" (not in the loaded databases)");
  const QRect box(area.left() + 6, area.top() + 6, 12, 12);
  painter.fillRect(box, PlotColour(index));
  painter.drawText(QRect(box.right() + 6, area.top() + 2, area.width() - 30, 20), Qt::AlignLeft | Qt::AlignVCenter, legend);
}

void TPlotWidget::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0) return;
  FView.Zoom(std::pow(kWheelStep, notches), FView.TimeAt(event->position().x() - kLeft, PlotWidth()));
  event->accept();
  update();
  emit ViewChanged();
}

void TPlotWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  FDragging = true;
  FDragX = event->position().x();
  setCursor(Qt::ClosedHandCursor);
}

void TPlotWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!FDragging) return;
  const double moved = event->position().x() - FDragX;
  FDragX = event->position().x();
  FView.Pan(-moved * (FView.T1() - FView.T0()) / PlotWidth());
  update();
  emit ViewChanged();
}

void TPlotWidget::mouseReleaseEvent(QMouseEvent* /*event*/) {
  FDragging = false;
  setCursor(Qt::OpenHandCursor);
}
