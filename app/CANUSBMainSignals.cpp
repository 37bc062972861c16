// The main window's signal databases: loading and unloading them (menu, tool bar, recent
// files), the Signals page, the trace's signal pane and the databases a project keeps.

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "app/CANUSBMain.h"
#include "app/FileDialogs.h"
#include "app/MainPages.h"
#include "app/UserAction.h"
#include "stats/TrafficStatistics.h"
#include "icons/AppIcons.h"
#include "lists/ListView.h"
#include "platform/UserMessage.h"
#include "signals/SignalsController.h"
#include "signals/SignalsPage.h"
#include "storage/ProjectDocument.h"
#include "views/TracePage.h"

namespace {

const QString kLoadCaption = QStringLiteral("Load database");
// More warnings than this are counted, not listed.
constexpr int kWarningsShown = 12;

QString WarningsText(const QStringList& warnings) {
  QStringList shown = warnings.mid(0, kWarningsShown);
  if (warnings.size() > kWarningsShown) shown << QStringLiteral("... and %1 more").arg(warnings.size() - kWarningsShown);
  return shown.join(QLatin1Char('\n'));
}

}  // namespace

void TfCANUSBMain::BuildSignals() {
  FSignals = std::make_unique<TSignalsController>(FTraffic);
  FSignals->OnDatabasesChanged = [this] {
    actionUnloadDatabases->setEnabled(!FSignals->Databases().Empty());
    if (FStatistics) FStatistics->RefreshExpectedCycles();
  };

  actionLoadDatabase = MakeAction("actionLoadDatabase", QStringLiteral("Load database\u2026"), QStringLiteral("Load a signal database (DBC)"),
                                  &TfCANUSBMain::actionLoadDatabaseExecute);
  actionLoadDatabase->setIcon(ThemedAppIcon("document-open", "project-open"));
  actionUnloadDatabases = MakeAction("actionUnloadDatabases", QStringLiteral("Unload databases"), QStringLiteral("Unload every signal database"),
                                     &TfCANUSBMain::actionUnloadDatabasesExecute);
  actionUnloadDatabases->setIcon(ThemedAppIcon("edit-clear", "clear"));
  actionUnloadDatabases->setEnabled(false);
  DatabaseDialog = MakeFileDialog(this, "DatabaseDialog", kLoadCaption, QFileDialog::AcceptOpen);
  DatabaseDialog->setNameFilter(QStringLiteral("Signal database (*.dbc)"));

  QMenu* menu = new QMenu(QStringLiteral("&Signals"), this);  // Alt+S
  menu->setObjectName(QStringLiteral("mnuSignals"));
  menu->addAction(actionLoadDatabase);
  RecentDatabasesMenu = menu->addMenu(QStringLiteral("Recent databases"));
  RecentDatabasesMenu->setObjectName(QStringLiteral("mnuRecentDatabases"));
  connect(RecentDatabasesMenu, &QMenu::aboutToShow, this, [this] { GuardUserAction([this] { FillRecentDatabases(); }); });
  menu->addAction(actionUnloadDatabases);
  menuBar()->insertMenu(actionAbout, menu);

  auto* bar = findChild<QToolBar*>(QStringLiteral("ToolBar1"));
  QAction* before = bar->actions().at(4);  // the separator after the project buttons
  bar->insertSeparator(before);
  for (QAction* action : {actionLoadDatabase, actionUnloadDatabases}) {
    bar->insertAction(before, action);
    QWidget* button = bar->widgetForAction(action);
    button->setObjectName(action == actionLoadDatabase ? QStringLiteral("btnLoadDatabase") : QStringLiteral("btnUnloadDatabases"));
    button->setAccessibleName(action->toolTip());
  }

  FProject->DatabasePaths = [this] { return FSignals->Paths(); };
  FProject->OpenDatabases = [this](const QStringList& paths) { OpenProjectDatabases(paths); };
  BuildSignalPages();
}

void TfCANUSBMain::BuildSignalPages() {
  SignalsPage = new TSignalsPage(FSignals->Tree());
  PageControl1->SetPage(TMainPages::pgSignals, SignalsPage);
  TraceSignalsPane = new TSignalDetailsPane(FSignals->Details());
  TracePage->Splitter()->addWidget(TraceSignalsPane);
  TracePage->Splitter()->setSizes({400, 120});
  connect(TracePage->vstDataTrace()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { GuardUserAction([this] { ShowTraceRowSignals(); }); });
}

void TfCANUSBMain::ShowTraceRowSignals() {
  const int row = SelectedModelRow(*TracePage->vstDataTrace());
  const TTraceList& trace = FTraffic.Trace();
  FSignals->Details().ShowFrame(row < 0 ? std::nullopt : std::optional(trace.Row(trace.Model().StoreRow(row)).Msg));
}

void TfCANUSBMain::FillRecentDatabases() {
  RecentDatabasesMenu->clear();
  for (const QString& path : FSignals->RecentFiles()) {
    QAction* item = RecentDatabasesMenu->addAction(path);
    connect(item, &QAction::triggered, this, [this, path] { GuardUserAction([&] { LoadDatabases({path}); }); });
  }
  if (RecentDatabasesMenu->isEmpty()) RecentDatabasesMenu->addAction(QStringLiteral("(none)"))->setEnabled(false);
}

void TfCANUSBMain::actionLoadDatabaseExecute() {
  const QString fileName = RunFileDialog(*DatabaseDialog);
  if (!fileName.isEmpty()) LoadDatabases({fileName});
}

void TfCANUSBMain::LoadDatabases(const QStringList& paths) {
  const QStringList before = FSignals->Paths();
  TSignalsController::TReport report;
  {
    TWaitCursor wait;
    report = FSignals->Load(paths);
  }
  if (FSignals->Paths() != before) FProject->SetChanged(true);
  if (!report.Refused.isEmpty()) ShowUserMessage(TUserMessageKind::Error, kLoadCaption, report.Refused.join(QLatin1Char('\n')));
  if (!report.Warnings.isEmpty()) ShowUserMessage(TUserMessageKind::Warning, kLoadCaption, WarningsText(report.Warnings));
}

void TfCANUSBMain::actionUnloadDatabasesExecute() {
  if (FSignals->Databases().Empty()) return;
  FSignals->UnloadAll();
  FProject->SetChanged(true);
}

// A project opens even when its databases do not: the status bar says which did not load.
void TfCANUSBMain::OpenProjectDatabases(const QStringList& paths) {
  const TSignalsController::TReport report = FSignals->Replace(paths);
  if (report.Refused.isEmpty()) return;
  statusBar()->showMessage(QStringLiteral("Signal database not loaded: ") + report.Refused.join(QStringLiteral("; ")));
}
