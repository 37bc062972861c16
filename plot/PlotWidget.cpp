#include "plot/PlotWidget.h"

#include <QAction>
#include <QFontMetrics>
#include <QLineF>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "plot/PlotReadout.h"

namespace {

constexpr int kGap = 6;  // between strips
constexpr double kWheelStep = 0.8;  // range length per wheel notch
constexpr int kLegendLine = 18;
// A click among very many samples looks at the mouse's own pixel column, and at most this many.
constexpr std::size_t kHitScanLimit = 65'536;
// Points this far outside the strip are drawn at this distance: the raster engine's fixed
// point coordinates overflow long before a deep value zoom's would.
constexpr double kFarOutside = 1e6;

struct TValueScale {
  double Min = 0;
  double Max = 1;
  QRect Area;
  [[nodiscard]] double Y(double value) const {
    const double y = Area.bottom() - (value - Min) / (Max - Min) * (Area.height() - 1);
    return std::clamp(y, Area.top() - kFarOutside, Area.bottom() + kFarOutside);
  }
  [[nodiscard]] double Value(double y) const { return Min + (Area.bottom() - y) / std::max(1, Area.height() - 1) * (Max - Min); }
};

// The samples the strip shows: those in the range and one on each side, so the line runs
// to the edges.
std::pair<std::size_t, std::size_t> VisibleSamples(const TSampleColumn& column, const TPlotView& view) {
  std::size_t first = column.LowerBound(view.T0());
  std::size_t last = column.LowerBound(view.T1());
  if (first > 0) --first;
  if (last < column.Size()) ++last;
  return {first, last};
}

bool ExactLine(std::pair<std::size_t, std::size_t> visible, int width) {
  return visible.second - visible.first <= static_cast<std::size_t>(std::max(width, 0));
}

const TSignalDef* StepTable(const TPlotSeries& series) {
  const TSignalDef* signal = series.Signal();
  return signal && !signal->Values.empty() ? signal : nullptr;
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

// The value-table text of each step of an exact line, beside the step where it fits before
// the next one.
class TStepLabels {
 public:
  TStepLabels(QPainter& painter, const TSignalDef& signal, const QRect& area)
      : FPainter(painter), FSignal(signal), FArea(area), FMetrics(painter.fontMetrics()) {}
  // A step begun left of the strip goes without: its text would sit under the legend, and the
  // value axis names the value.
  void Step(QPointF at, double value) {
    Flush(at.x());
    if (at.x() >= FArea.left()) FText = PlotTableText(FSignal, value);
    FAt = at;
  }
  void Finish() { Flush(FArea.right()); }

 private:
  void Flush(double until) {
    if (FText.isEmpty()) return;
    if (until - FAt.x() >= FMetrics.horizontalAdvance(FText) + 6) {
      // Above the line, or below it where the strip's top would cut it.
      const double y = FAt.y() - 3 - FMetrics.ascent() < FArea.top() ? FAt.y() + FMetrics.ascent() + 2 : FAt.y() - 3;
      FPainter.drawText(QPointF(FAt.x() + 3, y), FText);
    }
    FText.clear();
  }

  QPainter& FPainter;
  const TSignalDef& FSignal;
  const QRect FArea;
  const QFontMetrics FMetrics;
  QString FText;
  QPointF FAt;
};

// The value table's texts at their values on the axis, each clear of the one before; the
// number of texts drawn.
int PaintTableAxis(QPainter& painter, const TSignalDef& signal, const TValueScale& scale, int right) {
  if (signal.ValueType != TSignalValueType::Integer) return 0;
  const QFontMetrics metrics = painter.fontMetrics();
  const int line = metrics.height();
  double lastY = std::numeric_limits<double>::quiet_NaN();
  int drawn = 0;
  for (const auto& [raw, text] : signal.Values) {
    const double value = static_cast<double>(raw) * signal.Factor + signal.Offset;
    if (value < scale.Min || value > scale.Max) continue;
    const double y = scale.Y(value);
    // The table is sorted by raw value, so its texts run monotonically along the axis.
    if (std::abs(y - lastY) < line) continue;
    painter.drawLine(QPointF(right + 1, y), QPointF(right + 4, y));
    painter.drawText(QRectF(0, y - line / 2.0, right, line), Qt::AlignRight | Qt::AlignVCenter,
                     metrics.elidedText(QString::fromStdString(text), Qt::ElideRight, right));
    lastY = y;
    ++drawn;
  }
  return drawn;
}

}  // namespace

QColor PlotColour(std::size_t index) {
  static const QColor kColours[] = {QColor(31, 119, 180), QColor(214, 39, 40), QColor(44, 160, 44), QColor(148, 103, 189),
                                    QColor(255, 127, 14), QColor(23, 190, 207), QColor(140, 86, 75), QColor(227, 119, 194)};
  return kColours[index % std::size(kColours)];
}

TMinMax PlotScaleRange(TMinMax shown) {
  if (shown.Empty()) shown = {0, 1};
  double pad = (shown.Max - shown.Min) * 0.05;
  if (!(pad > 0)) pad = std::max(std::abs(shown.Max) * 0.05, 0.5);
  return {shown.Min - pad, shown.Max + pad};
}

TMinMax ShownValues(const TSampleColumn& column, const TPlotView& view, int width) {
  const auto visible = VisibleSamples(column, view);
  if (ExactLine(visible, width)) return column.RangeMinMax(visible.first, visible.second);
  // The min/max columns cover the range itself, without the neighbours.
  return column.RangeMinMax(column.LowerBound(view.T0()), column.LowerBound(view.T1()));
}

TMinMax PaintPlotCurve(QPainter& painter, const QRect& area, const TPlotSeries& series, const TPlotView& view, const QColor& colour,
                       std::vector<TPixelColumn>& scratch) {
  const TMinMax range = PlotScaleRange(ShownValues(series.Samples, view, area.width()));
  PaintPlotCurve(painter, area, series, view, range, colour, scratch);
  return range;
}

void PaintPlotCurve(QPainter& painter, const QRect& area, const TPlotSeries& series, const TPlotView& view, TMinMax range,
                    const QColor& colour, std::vector<TPixelColumn>& scratch) {
  const TSampleColumn& column = series.Samples;
  const int width = area.width();
  const auto visible = VisibleSamples(column, view);
  const auto [first, last] = visible;
  const TValueScale scale{range.Min, range.Max, area};
  painter.save();
  painter.setClipRect(area);
  painter.setPen(QPen(colour, 1));
  const auto x = [&](double time) { return area.left() + view.XOf(time, width); };
  if (ExactLine(visible, width)) {
    const TSignalDef* table = StepTable(series);
    std::optional<TStepLabels> labels;
    if (table) labels.emplace(painter, *table, area);
    double stepValue = std::numeric_limits<double>::quiet_NaN();
    QPolygonF line;
    for (std::size_t index = first; index < last; ++index) {
      const double value = column.Value(index);
      if (std::isnan(value)) continue;
      const QPointF point(x(column.Time(index)), scale.Y(value));
      if (table && !line.isEmpty()) line << QPointF(point.x(), line.back().y());
      if (labels && value != stepValue) {
        labels->Step(point, value);
        stepValue = value;
      }
      line << point;
    }
    if (labels) labels->Finish();
    painter.drawPolyline(line);
    if (line.size() == 1) painter.drawPoint(line.front());
    painter.restore();
    return;
  }
  column.Decimate(view.T0(), view.T1(), width, scratch);
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
}

TPlotWidget::TPlotWidget(const TPlotSamples& samples, TPlotView& view, QWidget* parent) : QWidget(parent), FSamples(samples), FView(view) {
  setObjectName(QStringLiteral("pbPlot"));
  setAccessibleName(QStringLiteral("Plot"));
  setMinimumSize(320, 160);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::OpenHandCursor);
  setMouseTracking(true);
  // The right button draws a band too; its menu opens on a release that did not drag.
  setContextMenuPolicy(Qt::PreventContextMenu);
}

std::size_t TPlotWidget::StripCount() const {
  if (FSamples.Count() == 0) return 0;
  return FView.Overlaid() ? 1 : FSamples.Count();
}

QRect TPlotWidget::StripRect(std::size_t index) const {
  const int count = std::max<int>(1, static_cast<int>(StripCount()));
  const int height = std::max(1, (this->height() - kBottom - kGap * count) / count);
  return {kLeft, kGap + static_cast<int>(index) * (height + kGap), PlotWidth(), height};
}

std::pair<std::size_t, std::size_t> TPlotWidget::StripSeries(std::size_t strip) const {
  if (FView.Overlaid()) return {0, FSamples.Count()};
  return {strip, std::min(strip + 1, FSamples.Count())};
}

std::optional<std::size_t> TPlotWidget::StripAt(QPointF pos) const {
  for (std::size_t strip = 0; strip < StripCount(); ++strip)
    if (QRectF(StripRect(strip)).contains(pos)) return strip;
  return std::nullopt;
}

TMinMax TPlotWidget::StripRange(std::size_t strip) const {
  const auto [first, last] = StripSeries(strip);
  if (first >= last) return PlotScaleRange(TMinMax::None());
  const std::optional<TMinMax> kept = FView.Overlaid() ? FView.OverlayRange() : FView.ValueRange(FSamples.Series(first).Key);
  if (kept) return *kept;
  TMinMax shown = TMinMax::None();
  for (std::size_t series = first; series < last; ++series) shown.Add(ShownValues(FSamples.Series(series).Samples, FView, PlotWidth()));
  return PlotScaleRange(shown);
}

void TPlotWidget::SetStripRange(std::size_t strip, TMinMax range) {
  if (FView.Overlaid()) FView.SetOverlayRange(range);
  else if (strip < FSamples.Count()) FView.SetValueRange(FSamples.Series(strip).Key, range);
}

double TPlotWidget::ValueAt(std::size_t strip, double y) const {
  const TMinMax range = StripRange(strip);
  return TValueScale{range.Min, range.Max, StripRect(strip)}.Value(y);
}

QPointF TPlotWidget::PointOf(std::size_t strip, const THit& hit) const {
  const TMinMax range = StripRange(strip);
  const TSampleColumn& column = FSamples.Series(hit.Series).Samples;
  return {kLeft + FView.XOf(column.Time(hit.Sample), PlotWidth()), TValueScale{range.Min, range.Max, StripRect(strip)}.Y(column.Value(hit.Sample))};
}

std::optional<TPlotWidget::THit> TPlotWidget::SampleAt(QPointF pos) const {
  const std::optional<std::size_t> strip = StripAt(pos);
  if (!strip) return std::nullopt;
  const TMinMax range = StripRange(*strip);
  const TValueScale scale{range.Min, range.Max, StripRect(*strip)};
  const int width = PlotWidth();
  const double x = pos.x() - kLeft;
  std::optional<THit> best;
  double bestDistance = kHitRadius * kHitRadius;
  const auto [first, last] = StripSeries(*strip);
  for (std::size_t series = first; series < last; ++series) {
    const TSampleColumn& column = FSamples.Series(series).Samples;
    std::size_t from = column.LowerBound(FView.TimeAt(x - kHitRadius, width));
    std::size_t to = column.LowerBound(FView.TimeAt(x + kHitRadius, width));
    if (to - from > kHitScanLimit) {
      from = column.LowerBound(FView.TimeAt(x - 0.5, width));
      to = std::min(column.LowerBound(FView.TimeAt(x + 0.5, width)), from + kHitScanLimit);
    }
    for (std::size_t index = from; index < to; ++index) {
      const double value = column.Value(index);
      if (std::isnan(value)) continue;
      const double dx = FView.XOf(column.Time(index), width) - x;
      const double dy = scale.Y(value) - pos.y();
      const double distance = dx * dx + dy * dy;
      if (distance > bestDistance || (best && distance == bestDistance)) continue;
      best = THit{series, index};
      bestDistance = distance;
    }
  }
  return best;
}

std::optional<TPlotWidget::THit> TPlotWidget::HoverAt(QPointF pos) const {
  const std::optional<std::size_t> strip = StripAt(pos);
  if (!strip) return std::nullopt;
  const double time = FView.TimeAt(pos.x() - kLeft, PlotWidth());
  const auto [first, last] = StripSeries(*strip);
  std::optional<THit> best;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (std::size_t series = first; series < last; ++series) {
    const std::optional<std::size_t> nearest = NearestSample(FSamples.Series(series).Samples, time);
    if (!nearest) continue;
    const THit hit{series, *nearest};
    if (last - first == 1) return hit;
    const QPointF offset = PointOf(*strip, hit) - pos;
    const double distance = QPointF::dotProduct(offset, offset);
    if (distance < bestDistance) {  // false for a NaN value
      best = hit;
      bestDistance = distance;
    }
  }
  return best;
}

QString TPlotWidget::HoverText(const THit& hit) const {
  const TPlotSeries& series = FSamples.Series(hit.Series);
  const double resolution = (FView.T1() - FView.T0()) / PlotWidth();
  return QString::fromStdString(series.Name()) + QLatin1Char('\n') + PlotTimeText(series.Samples.Time(hit.Sample), resolution) +
         QLatin1Char('\n') + PlotValueText(series, series.Samples.Value(hit.Sample));
}

void TPlotWidget::FillStripMenu(QMenu& menu, QPointF pos) {
  if (const std::optional<std::size_t> strip = StripAt(pos)) {
    const auto [first, last] = StripSeries(*strip);
    for (std::size_t series = first; series < last; ++series) {
      const QString text = last - first == 1 ? QStringLiteral("Remove from plot")
                                             : QStringLiteral("Remove %1 from plot").arg(QString::fromStdString(FSamples.Series(series).Name()));
      auto* remove = new QAction(text, &menu);
      remove->setObjectName(QStringLiteral("actionPlotRemoveSignal"));
      connect(remove, &QAction::triggered, this, [this, series] { emit RemoveRequested(series); });
      menu.addAction(remove);
    }
  }
  if (FView.Cursor(1) || FView.Cursor(2)) {
    auto* clear = new QAction(QStringLiteral("Clear cursors"), &menu);
    clear->setObjectName(QStringLiteral("actionPlotClearCursors"));
    connect(clear, &QAction::triggered, this, [this] {
      FView.ClearCursors();
      update();
      emit CursorsChanged();
    });
    menu.addAction(clear);
  }
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
  for (std::size_t strip = 0; strip < StripCount(); ++strip) PaintStrip(painter, strip);
  PaintCursors(painter);
  if (FGesture == TGesture::Band && !FBand.isEmpty()) {
    QColor fill = palette().highlight().color();
    fill.setAlpha(50);
    painter.fillRect(FBand, fill);
    painter.setPen(palette().highlight().color());
    painter.drawRect(FBand);
  }
  PaintHover(painter);
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

void TPlotWidget::PaintStrip(QPainter& painter, std::size_t strip) {
  const QRect area = StripRect(strip);
  const TMinMax range = StripRange(strip);
  painter.setPen(palette().mid().color());
  painter.drawRect(area.adjusted(0, 0, -1, -1));
  const auto [first, last] = StripSeries(strip);
  for (std::size_t series = first; series < last; ++series)
    PaintPlotCurve(painter, area, FSamples.Series(series), FView, range, PlotColour(series), FColumns);
  PaintValueAxis(painter, strip, area, range);
  PaintLegend(painter, strip, area);
}

// A strip of one signal with a value table shows the table's texts where they fit, others
// the range's extremes.
void TPlotWidget::PaintValueAxis(QPainter& painter, std::size_t strip, const QRect& area, TMinMax range) {
  painter.setPen(palette().text().color());
  const auto [first, last] = StripSeries(strip);
  const TSignalDef* table = last - first == 1 ? StepTable(FSamples.Series(first)) : nullptr;
  if (table && PaintTableAxis(painter, *table, TValueScale{range.Min, range.Max, area}, kLeft - 6) > 0) return;
  painter.drawText(QRect(0, area.top(), kLeft - 4, 16), Qt::AlignRight | Qt::AlignTop, QString::number(range.Max, 'g', 6));
  painter.drawText(QRect(0, area.bottom() - 16, kLeft - 4, 16), Qt::AlignRight | Qt::AlignBottom, QString::number(range.Min, 'g', 6));
}

// Colour, name and unit of each signal of the strip, and a note while the database does not
// define it.
void TPlotWidget::PaintLegend(QPainter& painter, std::size_t strip, const QRect& area) {
  const auto [first, last] = StripSeries(strip);
  for (std::size_t series = first; series < last; ++series) {
    const TPlotSeries& shown = FSamples.Series(series);
    const int top = area.top() + static_cast<int>(series - first) * kLegendLine;
    if (series > first && top + kLegendLine > area.bottom()) break;
    QString legend = QString::fromStdString(shown.Name());
    if (!shown.Unit.empty()) legend += QStringLiteral(" [") + QString::fromStdString(shown.Unit) + QLatin1Char(']');
    if (!shown.Def) legend += QStringLiteral(" (not in the loaded databases)");
    const QRect box(area.left() + 6, top + 6, 12, 12);
    painter.fillRect(box, PlotColour(series));
    painter.drawText(QRect(box.right() + 6, top + 2, area.width() - 30, 20), Qt::AlignLeft | Qt::AlignVCenter, legend);
  }
}

void TPlotWidget::PaintCursors(QPainter& painter) {
  const int width = PlotWidth();
  const QColor ink = palette().text().color();
  for (int which = 1; which <= 2; ++which) {
    const std::optional<double> time = FView.Cursor(which);
    if (!time) continue;
    const double x = kLeft + FView.XOf(*time, width);
    if (x < kLeft || x > kLeft + width) continue;
    painter.setPen(QPen(ink, 1, Qt::DashLine));
    painter.drawLine(QPointF(x, kGap), QPointF(x, height() - kBottom));
    const QRectF label(x + 1, kGap, 14, 15);
    painter.fillRect(label, ink);
    painter.setPen(palette().base().color());
    painter.drawText(label, Qt::AlignCenter, QString::number(which));
  }
}

void TPlotWidget::PaintHover(QPainter& painter) {
  if (!FHoverPos || FGesture != TGesture::None) return;
  const std::optional<std::size_t> strip = StripAt(*FHoverPos);
  const std::optional<THit> hit = HoverAt(*FHoverPos);
  if (!strip || !hit) return;
  const QPointF point = PointOf(*strip, *hit);
  const QRect area = StripRect(*strip);
  if (area.contains(point.toPoint())) {
    painter.setPen(QPen(PlotColour(hit->Series), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(point, 4, 4);
  }
  const QString text = HoverText(*hit);
  const QFontMetrics metrics = painter.fontMetrics();
  const QSize size = metrics.size(0, text) + QSize(10, 6);
  // Beside the sample, turned to stay inside the widget.
  const QPointF anchor(std::clamp(point.x(), 0.0, double(width())), std::clamp(point.y(), 0.0, double(height())));
  QRectF box(anchor + QPointF(10, -10 - size.height()), QSizeF(size));
  if (box.right() > width()) box.moveRight(anchor.x() - 10);
  if (box.top() < 0) box.moveTop(anchor.y() + 10);
  QColor back = palette().toolTipBase().color();
  back.setAlpha(235);
  painter.fillRect(box, back);
  painter.setPen(palette().mid().color());
  painter.drawRect(box);
  painter.setPen(palette().toolTipText().color());
  painter.drawText(box.adjusted(5, 3, -5, -3), Qt::AlignLeft | Qt::AlignTop, text);
}

int TPlotWidget::CursorNear(double x) const {
  int nearest = 0;
  double distance = kClickSlop + 1;
  for (int which = 1; which <= 2; ++which) {
    const std::optional<double> time = FView.Cursor(which);
    if (!time) continue;
    const double away = std::abs(kLeft + FView.XOf(*time, PlotWidth()) - x);
    if (away < distance) {
      nearest = which;
      distance = away;
    }
  }
  return nearest;
}

void TPlotWidget::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0) return;
  event->accept();
  const double factor = std::pow(kWheelStep, notches);
  if (event->modifiers().testFlag(Qt::ControlModifier)) {
    if (const std::optional<std::size_t> strip = StripAt(event->position())) ZoomValues(*strip, factor, event->position().y());
    return;
  }
  FView.Zoom(factor, FView.TimeAt(event->position().x() - kLeft, PlotWidth()));
  update();
  emit ViewChanged();
}

// The value under the mouse stays where it is.
void TPlotWidget::ZoomValues(std::size_t strip, double factor, double y) {
  const TMinMax range = StripRange(strip);
  const double anchor = ValueAt(strip, y);
  const TMinMax zoomed{anchor - (anchor - range.Min) * factor, anchor + (range.Max - anchor) * factor};
  // Beyond these the values no longer tell apart, or no longer fit a double.
  const double length = zoomed.Max - zoomed.Min;
  if (!std::isfinite(length) || !(length > std::max(std::abs(anchor), 1.0) * 1e-9)) return;
  SetStripRange(strip, zoomed);
  update();
}

void TPlotWidget::mousePressEvent(QMouseEvent* event) {
  if (FGesture != TGesture::None) return;  // another button during a drag
  const bool band = event->button() == Qt::RightButton || (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ShiftModifier));
  if (!band && event->button() != Qt::LeftButton) return;
  FButton = event->button();
  FPressAt = event->position();
  FDragX = FPressAt.x();
  FBand = QRectF();
  FGrabbedCursor = band ? 0 : CursorNear(FPressAt.x());
  FGesture = band ? TGesture::Band : TGesture::Press;
  if (band) setCursor(Qt::CrossCursor);
  update();
}

void TPlotWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPointF pos = event->position();
  if (FGesture == TGesture::None) {
    Hover(pos);
    return;
  }
  if (FGesture == TGesture::Press) {
    if (std::max(std::abs(pos.x() - FPressAt.x()), std::abs(pos.y() - FPressAt.y())) <= kClickSlop) return;
    FGesture = FGrabbedCursor ? TGesture::CursorDrag : TGesture::Pan;
    setCursor(FGrabbedCursor ? Qt::SizeHorCursor : Qt::ClosedHandCursor);
  }
  if (FGesture == TGesture::Pan) {
    const double moved = pos.x() - FDragX;
    FDragX = pos.x();
    FView.Pan(-moved * (FView.T1() - FView.T0()) / PlotWidth());
    update();
    emit ViewChanged();
  } else if (FGesture == TGesture::CursorDrag) {
    FView.SetCursor(FGrabbedCursor, FView.TimeAt(pos.x() - kLeft, PlotWidth()));
    update();
    emit CursorsChanged();
  } else if (FGesture == TGesture::Band) {
    // Within the plot's columns, and within the strip it started in.
    QRectF bounds(kLeft, 0, PlotWidth(), height() - kBottom);
    if (const std::optional<std::size_t> strip = StripAt(FPressAt)) bounds = StripRect(*strip);
    FBand = QRectF(FPressAt, pos).normalized() & bounds;
    update();
  }
}

void TPlotWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (FGesture == TGesture::None || event->button() != FButton) return;
  const TGesture gesture = FGesture;
  FGesture = TGesture::None;
  FButton = Qt::NoButton;
  setCursor(Qt::OpenHandCursor);
  if (gesture == TGesture::Press) {
    Click(event->position(), event->modifiers().testFlag(Qt::ControlModifier) ? 2 : 1);
  } else if (gesture == TGesture::Band && FBand.width() > kClickSlop) {
    ZoomToBand();
  } else if (gesture == TGesture::Band && event->button() == Qt::RightButton) {
    QMenu menu(this);
    FillStripMenu(menu, event->position());
    if (!menu.isEmpty()) menu.exec(event->globalPosition().toPoint());
  }
  FBand = QRectF();
  FHoverPos = event->position();  // the label comes back where the gesture ended
  update();
}

void TPlotWidget::leaveEvent(QEvent* /*event*/) { Hover(std::nullopt); }

// On a sample's point the cursor takes the sample's time, so that it reads that sample.
void TPlotWidget::Click(QPointF pos, int cursor) {
  if (FSamples.Count() == 0 || pos.x() < kLeft || pos.x() > kLeft + PlotWidth()) return;
  const std::optional<THit> hit = SampleAt(pos);
  const double time = hit ? FSamples.Series(hit->Series).Samples.Time(hit->Sample) : FView.TimeAt(pos.x() - kLeft, PlotWidth());
  FView.SetFollowing(false);
  FView.SetCursor(cursor, time);
  update();
  emit ViewChanged();
  emit CursorsChanged();
  if (hit) emit SampleClicked(hit->Series, hit->Sample);
}

void TPlotWidget::ZoomToBand() {
  const int width = PlotWidth();
  // The values first: they are read off the range the strip shows before the zoom.
  if (const std::optional<std::size_t> strip = StripAt(FPressAt); strip && FBand.height() > kClickSlop)
    SetStripRange(*strip, {ValueAt(*strip, FBand.bottom()), ValueAt(*strip, FBand.top())});
  FView.Show(FView.TimeAt(FBand.left() - kLeft, width), FView.TimeAt(FBand.right() - kLeft, width));
  update();
  emit ViewChanged();
}

void TPlotWidget::Hover(std::optional<QPointF> pos) {
  FHoverPos = pos;
  const std::optional<THit> hit = pos ? HoverAt(*pos) : std::nullopt;
  if (hit == FHoverShown) return;
  FHoverShown = hit;
  update();
}
