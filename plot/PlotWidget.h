#pragma once
// The plot itself, drawn with QPainter: one strip per plotted signal, stacked over a shared
// time axis, each with its own value range and its legend (colour, name, unit), or in the
// overlay every signal in one strip over one range. Where a strip's range holds more samples
// than it has pixel columns, each column is one vertical minimum-maximum segment joined to its
// neighbours; otherwise the exact polyline (steps for signals with a value table, their texts
// beside the steps where there is room).
//
// The mouse: the wheel zooms the time axis about the mouse, Ctrl+wheel the value axis of the
// strip under it (which then keeps that range until the view's ranges are made automatic
// again), dragging pans, Shift+drag or a right-button drag zooms to the band drawn. A click
// places cursor 1, Ctrl+click cursor 2, on a sample's point at its time; a cursor's line can be
// dragged. Any change of the time range stops the view following the bus. Hovering shows the
// nearest sample; a right click offers to remove a signal.

#include <QColor>
#include <QWidget>
#include <optional>
#include <utility>
#include <vector>

#include "plot/PlotSamples.h"
#include "plot/PlotView.h"

class QMenu;
class QPainter;

// The padded range a strip scales `shown` to, so that the extremes do not sit on its edges.
[[nodiscard]] TMinMax PlotScaleRange(TMinMax shown);
// The extremes of the samples a strip `width` pixels wide draws of `column` over the view.
[[nodiscard]] TMinMax ShownValues(const TSampleColumn& column, const TPlotView& view, int width);
// Draws one series into `area` over the view's time range, `range` standing for the area's
// height; `scratch` is reused between calls.
void PaintPlotCurve(QPainter& painter, const QRect& area, const TPlotSeries& series, const TPlotView& view, TMinMax range,
                    const QColor& colour, std::vector<TPixelColumn>& scratch);
// The same scaled to the series' own samples; the result is the range the height stands for.
TMinMax PaintPlotCurve(QPainter& painter, const QRect& area, const TPlotSeries& series, const TPlotView& view, const QColor& colour,
                       std::vector<TPixelColumn>& scratch);
// The colour of the series at `index` in the plot.
[[nodiscard]] QColor PlotColour(std::size_t index);

class TPlotWidget : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kLeft = 70;    // value labels
  static constexpr int kBottom = 24;  // time labels
  static constexpr int kRight = 12;
  static constexpr int kClickSlop = 4;  // pixels a click may move and stay a click
  static constexpr int kHitRadius = 6;  // pixels from a sample's point that still hit it

  struct THit {
    std::size_t Series = 0;
    std::size_t Sample = 0;
    bool operator==(const THit&) const = default;
  };

  TPlotWidget(const TPlotSamples& samples, TPlotView& view, QWidget* parent = nullptr);

  // One strip per series, or the overlay's one.
  [[nodiscard]] std::size_t StripCount() const;
  // The strip at `index`, in widget coordinates.
  [[nodiscard]] QRect StripRect(std::size_t index) const;
  // The series [first, last) a strip draws.
  [[nodiscard]] std::pair<std::size_t, std::size_t> StripSeries(std::size_t strip) const;
  [[nodiscard]] std::optional<std::size_t> StripAt(QPointF pos) const;
  // The range the strip's height stands for: the one zoomed by hand, else what it shows, padded.
  [[nodiscard]] TMinMax StripRange(std::size_t strip) const;
  // The sample whose drawn point lies within kHitRadius of `pos`, the nearest of them.
  [[nodiscard]] std::optional<THit> SampleAt(QPointF pos) const;
  // The sample the hover label shows for the mouse at `pos`: the strip's nearest in time, in
  // the overlay the nearest point of any series.
  [[nodiscard]] std::optional<THit> HoverAt(QPointF pos) const;
  // The hover label's text for a sample: name, time, value.
  [[nodiscard]] QString HoverText(const THit& hit) const;
  // The strip's menu for the point: removing its signals, clearing the cursors.
  void FillStripMenu(QMenu& menu, QPointF pos);
  [[nodiscard]] int PlotWidth() const { return std::max(1, width() - kLeft - kRight); }

 signals:
  // The user changed the time range (zoom, pan, band) or placed a cursor, which stops following.
  void ViewChanged();
  // A cursor was placed, moved or cleared.
  void CursorsChanged();
  void SampleClicked(std::size_t series, std::size_t sample);
  // "Remove from plot" was chosen for the series.
  void RemoveRequested(std::size_t series);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  enum class TGesture { None, Press, Pan, Band, CursorDrag };

  void PaintTimeAxis(QPainter& painter);
  void PaintStrip(QPainter& painter, std::size_t strip);
  void PaintValueAxis(QPainter& painter, std::size_t strip, const QRect& area, TMinMax range);
  void PaintLegend(QPainter& painter, std::size_t strip, const QRect& area);
  void PaintCursors(QPainter& painter);
  void PaintHover(QPainter& painter);
  [[nodiscard]] double ValueAt(std::size_t strip, double y) const;
  [[nodiscard]] QPointF PointOf(std::size_t strip, const THit& hit) const;
  void SetStripRange(std::size_t strip, TMinMax range);
  [[nodiscard]] int CursorNear(double x) const;
  void ZoomValues(std::size_t strip, double factor, double y);
  void Click(QPointF pos, int cursor);
  void ZoomToBand();
  void Hover(std::optional<QPointF> pos);

  const TPlotSamples& FSamples;
  TPlotView& FView;
  std::vector<TPixelColumn> FColumns;
  TGesture FGesture = TGesture::None;
  Qt::MouseButton FButton = Qt::NoButton;
  QPointF FPressAt;
  double FDragX = 0;
  int FGrabbedCursor = 0;
  QRectF FBand;
  // The mouse over the plot, and the sample last drawn for it.
  std::optional<QPointF> FHoverPos;
  std::optional<THit> FHoverShown;
};
