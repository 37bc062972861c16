#pragma once
// The plot itself, drawn with QPainter: one strip per plotted signal, stacked over a shared
// time axis, each with its own automatic value range and its legend (colour, name, unit).
// Where a strip's range holds more samples than it has pixel columns, each column is one
// vertical minimum-maximum segment joined to its neighbours; otherwise the exact polyline
// (steps for signals with a value table). The wheel zooms the time axis about the mouse,
// dragging pans; either stops the view following the bus.

#include <QColor>
#include <QWidget>
#include <vector>

#include "plot/PlotSamples.h"
#include "plot/PlotView.h"

class QPainter;

// Draws one series into `area` over the view's time range; `scratch` is reused between calls.
// The result is the value range the strip's height stands for.
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

  TPlotWidget(const TPlotSamples& samples, TPlotView& view, QWidget* parent = nullptr);

  // The strip of the series at `index`, in widget coordinates.
  [[nodiscard]] QRect StripRect(std::size_t index) const;
  [[nodiscard]] int PlotWidth() const { return std::max(1, width() - kLeft - kRight); }

 signals:
  // The user zoomed or panned.
  void ViewChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void PaintTimeAxis(QPainter& painter);
  void PaintStrip(QPainter& painter, std::size_t index);

  const TPlotSamples& FSamples;
  TPlotView& FView;
  std::vector<TPixelColumn> FColumns;
  bool FDragging = false;
  double FDragX = 0;
};
