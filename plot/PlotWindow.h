#pragma once
// The "Plot" window: the plot of the signals chosen on the Signals page, under a tool bar with
// "Fit", "Follow" (the last N seconds of the bus, N from the list beside it), the export of
// the plotted samples as semicolon text and the removal of every plotted signal.

#include <QMainWindow>

#include "plot/PlotSamples.h"
#include "plot/PlotView.h"

class QAction;
class QComboBox;
class QFileDialog;
class TPlotWidget;

class TPlotWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit TPlotWindow(TPlotSamples& samples, QWidget* parent = nullptr);

  [[nodiscard]] TPlotWidget* pbPlot() const { return FPlot; }
  [[nodiscard]] TPlotView& View() { return FView; }
  // New samples or signals: the range follows the bus when it should, and the plot redraws.
  void Refresh();
  // The whole capture, as after an import or a loaded trace.
  void Fit();
  // [t0, t1) milliseconds; stops the following as a zoom does.
  void ShowRange(double t0, double t1);
  // Writes the plotted samples; a failure is shown in an error box.
  void ExportTo(const QString& fileName);

  QAction* actionPlotFit = nullptr;
  QAction* actionPlotFollow = nullptr;
  QAction* actionPlotExport = nullptr;
  QAction* actionPlotClear = nullptr;
  QComboBox* cbPlotSpan = nullptr;

 private:
  void ViewChanged();
  void SpanChosen();

  TPlotSamples& FSamples;
  TPlotView FView;
  TPlotWidget* FPlot = nullptr;
  QFileDialog* FExportDialog = nullptr;
};
