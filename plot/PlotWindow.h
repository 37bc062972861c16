#pragma once
// The "Plot" window: the plot of the signals chosen on the Signals page, under a tool bar with
// "Fit", "Follow" (the last N seconds of the bus, N from the list beside it), "Overlay" (every
// signal in one strip), the export of the plotted samples as semicolon text, the plot saved as
// a picture and the removal of every plotted signal. Below the plot, once a cursor is placed,
// each signal's value at the two cursors and their difference.

#include <QMainWindow>
#include <functional>
#include <vector>

#include "plot/PlotSamples.h"
#include "plot/PlotView.h"

class QAction;
class QComboBox;
class QFileDialog;
class QLabel;
class QSplitter;
class QTreeWidget;
class TPlotWidget;

class TPlotWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit TPlotWindow(TPlotSamples& samples, QWidget* parent = nullptr);

  [[nodiscard]] TPlotWidget* pbPlot() const { return FPlot; }
  [[nodiscard]] TPlotView& View() { return FView; }
  // New samples or signals: the range follows the bus when it should, the readout reads anew,
  // "Overlay" shows the view's flag (as a loaded project set it), and the plot redraws.
  void Refresh();
  // The whole capture, as after an import or a loaded trace, every strip scaled to its samples.
  void Fit();
  // [t0, t1) milliseconds; stops the following as a zoom does.
  void ShowRange(double t0, double t1);
  // Places cursor 1 or 2 at `time` milliseconds, the range moved to show it; stops the following.
  void PlaceCursor(int which, double time);
  // Writes the plotted samples; a failure is shown in an error box.
  void ExportTo(const QString& fileName);
  // Writes the plot as drawn as a PNG picture; a failure is shown in an error box.
  bool SaveImageTo(const QString& fileName);
  // The seconds shown while following, as chosen in the list.
  [[nodiscard]] int SpanSeconds() const;
  // A project's layout: one strip for all or one each, and the seconds followed (the nearest
  // the list offers).
  void ApplyLayout(bool overlaid, int spanSeconds);

  // Signals dragged from the Signals page and dropped onto the plot.
  std::function<void(const std::vector<TSignalKey>&)> OnSignalsDropped;

  QAction* actionPlotFit = nullptr;
  QAction* actionPlotFollow = nullptr;
  QAction* actionPlotOverlay = nullptr;
  QAction* actionPlotExport = nullptr;
  QAction* actionPlotSaveImage = nullptr;
  QAction* actionPlotClear = nullptr;
  QComboBox* cbPlotSpan = nullptr;
  QTreeWidget* twPlotCursors = nullptr;
  QLabel* lbPlotCursorTimes = nullptr;

 signals:
  // A click on a sample's point: the sample `sample` of series `series`.
  void SampleClicked(std::size_t series, std::size_t sample);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildToolBar();
  void BuildReadout(QWidget* parent);
  void ViewChanged();
  void SpanChosen();
  void UpdateReadout();
  void ShowReadout();
  void Remove(std::size_t series);

  TPlotSamples& FSamples;
  TPlotView FView;
  TPlotWidget* FPlot = nullptr;
  QSplitter* FSplitter = nullptr;
  QWidget* FReadout = nullptr;
  QFileDialog* FExportDialog = nullptr;
  QFileDialog* FImageDialog = nullptr;
};
