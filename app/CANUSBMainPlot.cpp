// The main window's plot: the samples of the plotted signals fed at the drain, the "Plot"
// window opened from the Signals page and the tool bar, a fresh start with a cleared or loaded
// trace and at every connect; its samples linked to the trace's rows both ways, and its
// signals kept in the project.

#include <QAction>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QScopedValueRollback>
#include <QToolBar>
#include <QTreeView>

#include "app/CANUSBMain.h"
#include "app/MainPages.h"
#include "app/UserAction.h"
#include "icons/AppIcons.h"
#include "lists/ListView.h"
#include "plot/PlotSamples.h"
#include "plot/PlotWidget.h"
#include "plot/PlotWindow.h"
#include "signals/SignalsController.h"
#include "signals/SignalsPage.h"
#include "storage/ProjectDocument.h"
#include "views/TracePage.h"

void TfCANUSBMain::BuildPlot() {
  FPlotSamples = std::make_unique<TPlotSamples>(FSignals->Databases(), &FTraffic.Trace());
  FTraffic.AddObserver(FPlotSamples.get());
  fPlot = new TPlotWindow(*FPlotSamples, this);
  FPlotSamples->OnChanged = [this] {
    if (fPlot) fPlot->Refresh();  // gone first at teardown
  };
  FPlotSamples->OnSubscriptionsChanged = [this] {
    if (!FOpeningPlotLayout) FProject->SetChanged(true);
  };
  FTraffic.Trace().OnRowsReplaced = [this] { PlotWholeTrace(); };
  const std::function<void()> databasesChanged = FSignals->OnDatabasesChanged;
  FSignals->OnDatabasesChanged = [this, databasesChanged] {
    if (databasesChanged) databasesChanged();
    FPlotSamples->DatabasesChanged();
  };
  connect(SignalsPage->actionPlotSignals, &QAction::triggered, this, [this] { GuardUserAction([this] { PlotSelectedSignals(); }); });
  fPlot->OnSignalsDropped = [this](const std::vector<TSignalKey>& keys) { GuardUserAction([&] { PlotSignals(keys); }); };
  connect(fPlot, &TPlotWindow::SampleClicked, this,
          [this](std::size_t series, std::size_t sample) { GuardUserAction([&] { ShowPlotSampleInTrace(series, sample); }); });
  connect(TracePage->vstDataTrace()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { GuardUserAction([this] { PlaceCursorAtTraceRow(); }); });
  FProject->PlotLayout = [this] { return PlotLayout(); };
  FProject->OpenPlotLayout = [this](const TProjectPlot& plot) { OpenPlotLayout(plot); };

  actionShowPlot = MakeAction("actionShowPlot", QStringLiteral("Plot"), QStringLiteral("Show the plot of the chosen signals"), &TfCANUSBMain::ShowPlot);
  actionShowPlot->setIcon(AppIcon("plot"));
  auto* bar = findChild<QToolBar*>(QStringLiteral("ToolBar1"));
  // After the database buttons, before their separator.
  bar->insertAction(bar->actions().at(bar->actions().indexOf(actionUnloadDatabases) + 1), actionShowPlot);
  QWidget* button = bar->widgetForAction(actionShowPlot);
  button->setObjectName(QStringLiteral("btnShowPlot"));
  button->setAccessibleName(actionShowPlot->toolTip());
}

void TfCANUSBMain::ShowPlot() {
  fPlot->Refresh();
  fPlot->pbPlot()->update();
  fPlot->show();
  fPlot->raise();
  fPlot->activateWindow();
}

void TfCANUSBMain::PlotSelectedSignals() {
  const TSignalTreeModel::TRowSignals chosen = FSignals->Tree().SignalsAt(SignalsPage->vstSignals()->currentIndex());
  std::vector<TSignalKey> keys;
  if (chosen.Message)
    for (const std::uint32_t signal : chosen.Signals)
      keys.push_back({chosen.Message->Id, chosen.Message->Extended, chosen.Message->Signals[signal].Name});
  PlotSignals(keys);
}

void TfCANUSBMain::PlotSignals(const std::vector<TSignalKey>& keys) {
  for (const TSignalKey& key : keys)
    // What the trace already holds comes first, so the plot covers the whole capture.
    if (FPlotSamples->Subscribe(key)) FPlotSamples->AddHistory(FPlotSamples->Count() - 1);
  ShowPlot();
}

void TfCANUSBMain::ShowPlotSampleInTrace(std::size_t series, std::size_t sample) {
  const std::optional<std::size_t> row = FPlotSamples->TraceRowOf(series, sample);
  if (!row) return;
  const int modelRow = FTraffic.Trace().Model().ModelRow(*row);
  if (modelRow < 0) return;  // hidden by the trace's search
  QTreeView* view = TracePage->vstDataTrace();
  PageControl1->setCurrentIndex(TMainPages::pgTrace);
  view->setCurrentIndex(view->model()->index(modelRow, 0));
  view->scrollTo(view->currentIndex());
}

void TfCANUSBMain::PlaceCursorAtTraceRow() {
  if (FPlotSamples->Count() == 0) return;
  const int row = SelectedModelRow(*TracePage->vstDataTrace());
  if (row < 0) return;
  const std::optional<double> time = FPlotSamples->TimeOfTraceRow(FTraffic.Trace().Model().StoreRow(row));
  if (time) fPlot->PlaceCursor(1, *time);
}

TProjectPlot TfCANUSBMain::PlotLayout() const {
  TProjectPlot plot;
  for (std::size_t index = 0; index < FPlotSamples->Count(); ++index) plot.Signals.push_back(FPlotSamples->Series(index).Key);
  plot.Overlaid = fPlot->View().Overlaid();
  plot.SpanSeconds = fPlot->SpanSeconds();
  return plot;
}

// After the project's lists and databases: the samples come from its trace in one pass.
void TfCANUSBMain::OpenPlotLayout(const TProjectPlot& plot) {
  const QScopedValueRollback opening(FOpeningPlotLayout, true);
  while (FPlotSamples->Count() > 0) FPlotSamples->Unsubscribe(FPlotSamples->Count() - 1);
  for (const TSignalKey& key : plot.Signals) FPlotSamples->Subscribe(key);
  fPlot->ApplyLayout(plot.Overlaid, plot.SpanSeconds);
  PlotWholeTrace();
}

// A trace that came as a whole (a loaded list or project, a reopened capture) is seen whole.
void TfCANUSBMain::PlotWholeTrace() {
  FPlotSamples->RebuildFromTrace();
  if (FTraffic.Trace().RowCount() > 0) fPlot->Fit();
}
