// The main window's plot: the samples of the plotted signals fed at the drain, the "Plot"
// window opened from the Signals page and the tool bar, a fresh start with a cleared trace
// and at every connect.

#include <QAction>
#include <QToolBar>
#include <QTreeView>

#include "app/CANUSBMain.h"
#include "app/UserAction.h"
#include "icons/AppIcons.h"
#include "plot/PlotSamples.h"
#include "plot/PlotWidget.h"
#include "plot/PlotWindow.h"
#include "signals/SignalsController.h"
#include "signals/SignalsPage.h"
#include "views/TracePage.h"

void TfCANUSBMain::BuildPlot() {
  FPlotSamples = std::make_unique<TPlotSamples>(FSignals->Databases());
  FTraffic.AddObserver(FPlotSamples.get());
  fPlot = new TPlotWindow(*FPlotSamples, this);
  FPlotSamples->OnChanged = [this] {
    if (fPlot) fPlot->Refresh();  // gone first at teardown
  };
  const std::function<void()> databasesChanged = FSignals->OnDatabasesChanged;
  FSignals->OnDatabasesChanged = [this, databasesChanged] {
    if (databasesChanged) databasesChanged();
    FPlotSamples->DatabasesChanged();
  };
  connect(TracePage->actonClearTraceList, &QAction::triggered, this, [this] { FPlotSamples->ClearSamples(); });
  connect(SignalsPage->actionPlotSignals, &QAction::triggered, this, [this] { GuardUserAction([this] { PlotSelectedSignals(); }); });

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
  const TTraceList& trace = FTraffic.Trace();
  if (chosen.Message)
    for (const std::uint32_t signal : chosen.Signals) {
      if (!FPlotSamples->Subscribe(*chosen.Message, signal)) continue;
      // What the trace already holds comes first, so the plot covers the whole capture.
      const std::size_t series = FPlotSamples->Count() - 1;
      FPlotSamples->AddHistory(series, trace);
    }
  ShowPlot();
}
