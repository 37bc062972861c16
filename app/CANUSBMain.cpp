#include "app/CANUSBMain.h"
#include "stats/TrafficStatistics.h"
#include "icons/AppIcons.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/CANUSBAbout.h"
#include "app/CANUSBOptions.h"
#include "app/CANUSBWarning.h"
#include "app/Calculator.h"
#include "app/MainPages.h"
#include "app/UserAction.h"
#include "capture/CaptureSettings.h"
#include "filters/HwFilterPage.h"
#include "filters/IdFilterPage.h"
#include "storage/DataFolder.h"
#include "transmit/PredefinedMessagePage.h"
#include "storage/MyRegValues.h"
#include "storage/ProjectDocument.h"
#include "lists/ListView.h"
#include "plot/PlotSamples.h"
#include "plot/PlotWindow.h"
#include "signals/SignalsController.h"
#include "capture/CaptureRecorder.h"
#include "views/MonitorPage.h"
#include "views/TracePage.h"

namespace {
constexpr int kDesignedWidth = 847;
constexpr int kDesignedHeight = 797;
}  // namespace

TfCANUSBMain::TfCANUSBMain(QWidget* parent, const THidBackendFactory& hidBackends)
    : QMainWindow(parent),
      RegIni(this),
      FTraffic(TTrafficSeams{[this] { return FSettings && FSettings->FShow8ByteMsg; }, [this] { return CanAdapter.Connected(); },
                             [this] {
                               if (FProject) FProject->SetChanged(true);
                             }}),
      CanUsbHid(std::make_unique<TZelCanUsbHid>(hidBackends())),
      FHidDevCtrl(std::make_unique<THidDeviceController>(hidBackends())) {
  setObjectName(QStringLiteral("fCANUSBMain"));
  resize(kDesignedWidth, kDesignedHeight);
  BuildActions();
  BuildMenus();
  BuildToolBar();
  PageControl1 = new TMainPages(this);
  setCentralWidget(PageControl1);
  BuildTrafficPages();
  BuildTransmitPages();
  BuildExport();
  BuildProjectFiles();
  BuildStatusBar();
  BuildTimers();
  qApp->installEventFilter(this);

  FormCreate();
  BuildSignals();
  LoadPresetDatabases();
  fCANUSBOptions = new TfCANUSBOptions(this);
  fCANUSBAbout = new TfCANUSBAbout(this);
  BuildCatalogWindow();
  BuildStatistics();
  BuildPlot();
  BuildReplay();
  BuildCapture();
}

TfCANUSBMain::~TfCANUSBMain() {
  qApp->removeEventFilter(this);
  FTraffic.Trace().SetSink(nullptr);
  if (!FClosed) FormClose();
  if (FStatistics) FTraffic.RemoveObserver(FStatistics.get());
  // The plot window draws the samples; it goes before they do.
  delete fPlot;
  fPlot = nullptr;
  if (FPlotSamples) FTraffic.RemoveObserver(FPlotSamples.get());
  // The pages show the traffic lists; they go before the lists do.
  delete PageControl1;
  PageControl1 = nullptr;
  // Destroying the settings object writes the settings (save on exit).
  FSettings.reset();
}

// --- construction --------------------------------------------------------------------------

QAction* TfCANUSBMain::MakeAction(const char* name, const QString& caption, const QString& hint, void (TfCANUSBMain::*handler)()) {
  auto* action = new QAction(caption, this);
  action->setObjectName(QString::fromLatin1(name));
  action->setToolTip(hint.isEmpty() ? caption : hint);
  action->setStatusTip(hint);
  if (handler) connect(action, &QAction::triggered, this, [this, handler] { GuardUserAction([&] { (this->*handler)(); }); });
  return action;
}

void TfCANUSBMain::BuildActions() {
  actionProjectNew = MakeAction("actionProjectNew", QStringLiteral("Project new"), {}, &TfCANUSBMain::actionProjectNewExecute);
  actionProjectNew->setIcon(ThemedAppIcon("document-new", "project-new"));
  actionProjectOpen = MakeAction("actionProjectOpen", QStringLiteral("Project open"), {}, &TfCANUSBMain::actionProjectOpenExecute);
  actionProjectOpen->setIcon(ThemedAppIcon("document-open", "project-open"));
  actionProjectSave = MakeAction("actionProjectSave", QStringLiteral("Project save"), {}, &TfCANUSBMain::actionProjectSaveExecute);
  actionProjectSave->setIcon(ThemedAppIcon("document-save", "project-save"));
  actionProjectSaveAs = MakeAction("actionProjectSaveAs", QStringLiteral("Project save as ..."), {}, &TfCANUSBMain::actionProjectSaveAsExecute);
  actionProjectSaveAs->setIcon(ThemedAppIcon("document-save-as", "project-save-as"));
  actionOptions = MakeAction("actionOptions", QStringLiteral("Options"), {}, &TfCANUSBMain::actionOptionsExecute);
  actionOptions->setIcon(ThemedAppIcon("preferences-system", "options"));
  actionCloseProgramm = MakeAction("actionCloseProgramm", QStringLiteral("Exit"), QStringLiteral("Exit Programm"), nullptr);
  actionCloseProgramm->setIcon(ThemedAppIcon("application-exit", "exit"));
  connect(actionCloseProgramm, &QAction::triggered, this, &QWidget::close);

  actionConnect = MakeAction("actionConnect", QStringLiteral("Open"), QStringLiteral("Open CAN Device"), nullptr);
  actionConnect->setIcon(AppIcon("connect"));
  connect(actionConnect, &QAction::triggered, this, [this] { GuardUserAction([this] { actionConnectExecute(actionConnect); }); });
  actionDisconnect = MakeAction("actionDisconnect", QStringLiteral("Close"), QStringLiteral("Close CAN Device"), &TfCANUSBMain::actionDisconnectExecute);
  actionDisconnect->setIcon(AppIcon("disconnect"));
  actionDisconnect->setEnabled(false);
  actionPopupConnectMenu = MakeAction("actionPopupConnectMenu", QStringLiteral("Open"), QStringLiteral("Open CAN Device"), nullptr);
  actionPopupConnectMenu->setIcon(AppIcon("connect"));
  actionGetCanStatus = MakeAction("actionGetCanStatus", QStringLiteral("Status"), QStringLiteral("CAN device status"),
                                  &TfCANUSBMain::actionGetCanStatusExecute);
  actionGetCanStatus->setIcon(AppIcon("status"));
  actionCalcuator = MakeAction("actionCalcuator", QStringLiteral("Calculator"), QStringLiteral("Calculator"), &TfCANUSBMain::actionCalcuatorExecute);
  actionCalcuator->setIcon(ThemedAppIcon("accessories-calculator", "calculator"));
  actionAbout = MakeAction("actionAbout", QStringLiteral("About"), {}, &TfCANUSBMain::actionAboutExecute);
}

void TfCANUSBMain::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("mnuFile"));
  file->addActions({actionProjectNew, actionProjectOpen, actionProjectSave, actionProjectSaveAs});
  file->addSeparator();
  file->addAction(actionOptions);
  file->addSeparator();
  file->addAction(actionCloseProgramm);

  QMenu* device = menuBar()->addMenu(QStringLiteral("&Device"));
  device->setObjectName(QStringLiteral("mnuDevice"));
  device->addActions({actionConnect, actionDisconnect});

  // Mnemonics only: Alt+F, Alt+D, Alt+A; the captions stay as they are.
  actionAbout->setText(QStringLiteral("&About"));
  menuBar()->addAction(actionAbout);
}

void TfCANUSBMain::BuildToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("Main"));
  bar->setObjectName(QStringLiteral("ToolBar1"));
  bar->setMovable(false);
  const auto addButton = [bar](QAction* action, const char* name) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setDefaultAction(action);
    button->setAccessibleName(action->toolTip());
    bar->addWidget(button);
    return button;
  };
  addButton(actionProjectNew, "btnProjectNew");
  addButton(actionProjectOpen, "btnProjectOpen");
  addButton(actionProjectSave, "btnProjectSave");
  addButton(actionProjectSaveAs, "btnProjectSaveAs");
  bar->addSeparator();
  ConnectPopupMenu = new QMenu(this);
  ConnectPopupMenu->setObjectName(QStringLiteral("ConnectPopupMenu"));
  connect(ConnectPopupMenu, &QMenu::aboutToShow, this, [this] { GuardUserAction([this] { ConnectPopupMenuPopup(); }); });
  btnOpenCANUSB = addButton(actionPopupConnectMenu, "btnOpenCANUSB");
  btnOpenCANUSB->setMenu(ConnectPopupMenu);
  btnOpenCANUSB->setPopupMode(QToolButton::InstantPopup);
  addButton(actionDisconnect, "btnCloseCANUSB");
  bar->addSeparator();
  addButton(actionOptions, "btnOptions");
  addButton(actionGetCanStatus, "btnGetCanStatus");
  bar->addSeparator();
  addButton(actionCalcuator, "btnCalculator");
  bar->addSeparator();
  addButton(actionCloseProgramm, "btnProgrammClose");
}

// Monitor with the bit grid, trace and software filter, each on its own page.
void TfCANUSBMain::BuildTrafficPages() {
  MonitorPage = new TMonitorPage(FTraffic.Monitor(), FTraffic.CanIdDetails());
  PageControl1->SetMonitorPage(MonitorPage);
  TracePage = new TTracePage(FTraffic.Trace());
  PageControl1->SetPage(TMainPages::pgTrace, TracePage);
  IdFilterPage = new TIdFilterPage(FTraffic.IdFilter());
  PageControl1->SetPage(TMainPages::pgIdFilter, IdFilterPage);
  HwFilterPage = new THwFilterPage(FHwFilter);
  PageControl1->SetPage(TMainPages::pgHardwareFilter, HwFilterPage);
  actionMonitorColor = MonitorPage->actionMonitorColor;
  actionShowIdDetailsWindow = MonitorPage->actionShowIdDetailsWindow;
  actionTraceColor = TracePage->actionTraceColor;
}

void TfCANUSBMain::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar1"));
  bar->setSizeGripEnabled(true);
  const int widths[6] = {160, 70, 160, 110, 90, 0};
  for (int i = 0; i < 6; ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setMinimumWidth(widths[i]);
    // Permanent, so that the hint of the action under the mouse never hides the panels.
    bar->addPermanentWidget(panel, i == 5 ? 1 : 0);
    FStatusPanels[i] = panel;
  }
  FStatusPanels[1]->setText(QStringLiteral("Closed"));
  FStatusPanels[5]->setText(QStringLiteral("Tarvell - Ferrolux"));
  FStatusPanels[5]->setAlignment(Qt::AlignCenter);
  // Sends the adapter refused, in a panel of their own that shows only while there are any.
  FSendFailedPanel = new QLabel(bar);
  FSendFailedPanel->setObjectName(QStringLiteral("SendFailedPanel"));
  FSendFailedPanel->setFrameShape(QFrame::StyledPanel);
  FSendFailedPanel->setVisible(false);
  bar->addPermanentWidget(FSendFailedPanel);
}

void TfCANUSBMain::BuildTimers() {
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(200);
  connect(Timer1, &QTimer::timeout, this, [this] { GuardUserAction([this] { Timer1Timer(); }); });
  Timer3 = new QTimer(this);
  Timer3->setObjectName(QStringLiteral("Timer3"));
  Timer3->setInterval(1);
  Timer3->setTimerType(Qt::PreciseTimer);
  connect(Timer3, &QTimer::timeout, this, [this] { GuardUserAction([this] { Timer3Timer(); }); });
}

void TfCANUSBMain::FormCreate() {
  ConfigureFerroluxRegIni(RegIni);
  FSettings = std::make_unique<TMyRegValues>(RegIni);

  FProject = std::make_unique<TProjectDocument>();
  FProject->OnChangeName = [this](const QString& name) { ChangeProjectName(name); };
  FProject->OnChanged = [this](bool changed) { ChangedProject(changed); };
  FProject->Settings = FSettings.get();
  SetProjectList(TProjectListRole::SoftwareFilter, &FTraffic.IdFilter());
  SetProjectList(TProjectListRole::HardwareFilter, &FHwFilter);
  SetProjectList(TProjectListRole::Monitor, &FTraffic.Monitor());
  SetProjectList(TProjectListRole::Trace, &FTraffic.Trace());
  SetProjectList(TProjectListRole::PredefinedMessages, &FPredefined);
  SetProjectList(TProjectListRole::LogMessage, &FTriggerLog);
  FProject->New();

  // Not reported when it fails: the file operations that need it report their own failure.
  ForceDataFolder();
  EmptyMsg = TCanMsgProg{};
  RestoreGeometry();
  ApplyShowHints(FSettings->FShowHints);
  if (FSettings->FShowCanIdDetails) actionShowIdDetailsWindow->trigger();
  actionMonitorColor->setChecked(FSettings->FActivateColorButtons);
  actionTraceColor->setChecked(FSettings->FActivateColorButtons);
  PageControl1->setCurrentIndex(TMainPages::pgMonitor);
  PredefinedMessagePage->ShowFirstEditorPage();

  FReceiveQueue = std::make_unique<ReceiveQueue>();
  BuildConnection();
  BuildSocketCan();
  BuildDeviceLossWatch();
  ShowWarningOnStart();
  // The catalog window has nothing to show without its catalog file.
  if (!QFileInfo::exists(DataFolderPath(DataFolder::Catalog))) TracePage->actionBMW->setVisible(false);
}

// scripts/run.sh starts the window with the demo bus's database this way; it is not a change
// of the project.
void TfCANUSBMain::LoadPresetDatabases() {
  const QString preset = qEnvironmentVariable("FERROLUX_DBC");
  if (preset.isEmpty()) return;
  LoadDatabases(preset.split(QLatin1Char(':'), Qt::SkipEmptyParts));
  FProject->SetChanged(false);
}

void TfCANUSBMain::ShowWarningOnStart() {
  if (!FSettings->FShowWarningMessage) return;
  TfCANUSBWarning warning(this);
  warning.exec();
  if (warning.DontShowAgain()) FSettings->FShowWarningMessage = false;
}

void TfCANUSBMain::SetProjectList(TProjectListRole role, TProjectList* list) {
  TProjectList** refs[] = {&FProject->SoftwareFilterTree, &FProject->HardwareFilterTree,    &FProject->MonitorTree,
                            &FProject->TraceTree,          &FProject->PredefinedMessagesTree, &FProject->LogMessageTree};
  *refs[static_cast<int>(role)] = list;
  if (list) list->OnContentChanged = [this] { FProject->SetChanged(true); };
  UpdateListFileActions();
}

// --- geometry ------------------------------------------------------------------------------

void TfCANUSBMain::RestoreGeometry() {
  if (!FSettings->FSaveFormSizeAndPosition) return;
  if (FSettings->FFormState == TMyRegValues::kFormStateNormal) {
    move(FSettings->FFormLeft, FSettings->FFormTop);
    resize(FSettings->FFormWidth, FSettings->FFormHeight);
  } else if (FSettings->FFormState == TMyRegValues::kFormStateMaximized) {
    setWindowState(windowState() | Qt::WindowMaximized);
  }
}

void TfCANUSBMain::StoreGeometry() {
  if (!FSettings->FSaveFormSizeAndPosition) return;
  const Qt::WindowStates state = windowState();
  if (state & Qt::WindowMinimized) {
    FSettings->FFormState = TMyRegValues::kFormStateMinimized;
  } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
    FSettings->FFormState = TMyRegValues::kFormStateMaximized;
  } else {
    FSettings->FFormState = TMyRegValues::kFormStateNormal;
    FSettings->FFormTop = pos().y();
    FSettings->FFormLeft = pos().x();
    FSettings->FFormWidth = width();
    FSettings->FFormHeight = height();
  }
}

// --- closing -------------------------------------------------------------------------------

void TfCANUSBMain::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  GuardUserAction([&] { FormCloseQuery(canClose); });
  if (!canClose) {
    event->ignore();
    return;
  }
  if (!FClosed) FormClose();
  event->accept();
}

void TfCANUSBMain::FormCloseQuery(bool& CanClose) {
  // A disconnect that fails is reported on its own; the changed project is asked about all the
  // same, or the close would discard it unasked.
  if (CanAdapter.Connected()) GuardUserAction([this] { actionDisconnectExecute(); });
  if (!FProject || !FProject->Changed()) return;
  const auto answer = QMessageBox::question(this, QStringLiteral("Close Ferrolux"), QStringLiteral("Project was changed. Exit without saving?"),
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
  CanClose = answer == QMessageBox::Yes;
}

void TfCANUSBMain::FormClose() {
  FClosed = true;
  Timer1->stop();
  Timer3->stop();
  StoreGeometry();
  AdapterDeviceList.clear();
  HidDeviceList.clear();
  // The reader may still append to the queue until it has left its loop.
  threadRead.Stop();
  threadRead.WaitFor();
  threadRead.OnExecute = nullptr;
  FReturnWatch.reset();
  FConnection.reset();
  FReceiveQueue.reset();
  FProject.reset();
}

// --- project -------------------------------------------------------------------------------

void TfCANUSBMain::ChangeProjectName(const QString& ProjectName) {
  setWindowTitle(ProjectCaption(ProjectName));
}

void TfCANUSBMain::ChangedProject(bool) {}

void TfCANUSBMain::actionProjectNewExecute() {
  if (!ConfirmDiscardChanges()) return;
  FProject->New();
  FProject->SetChanged(false);
}

// --- keys and hints ------------------------------------------------------------------------

void TfCANUSBMain::FormKeyDown(Qt::Key Key, Qt::KeyboardModifiers Shift) {
  if (HotKeyDispatch) HotKeyDispatch(QKeyCombination(Shift, Key));
}

void TfCANUSBMain::ApplyShowHints(bool show) { FShowHints = show; }

bool TfCANUSBMain::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::ToolTip && type != QEvent::ShortcutOverride) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  if (type == QEvent::ShortcutOverride) {
    // A hot key the user gave a predefined row wins over a shortcut of ours: accepting the
    // override delivers it as a key press, which sends the row.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (HotKeyClaims && HotKeyClaims(key->keyCombination())) event->accept();
    return false;
  }
  if (type == QEvent::ToolTip) return !FShowHints;
  // A key event travels up the parents when ignored; the window sees it once, at the start.
  QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : this;
  if (widget == first) {
    const auto* key = static_cast<QKeyEvent*>(event);
    GuardUserAction([&] { FormKeyDown(static_cast<Qt::Key>(key->key()), key->modifiers()); });
  }
  return false;
}

// --- receive -------------------------------------------------------------------------------

void TfCANUSBMain::Timer1Timer() {
  FStatusPanels[4]->setText(QStringLiteral("Buff: %1").arg(FReceiveQueue->Count()));
  FTraffic.DrainTick(*FReceiveQueue);
  ShowBusLoad();  // also while the bus is silent, when it falls
}

// --- dialogs -------------------------------------------------------------------------------

void TfCANUSBMain::actionOptionsExecute() {
  fCANUSBOptions->LoadFrom(*FSettings);
  fCANUSBOptions->edTraceMemory->setValue(ReadTraceMemoryMiB());
  if (fCANUSBOptions->exec() != QDialog::Accepted) return;
  fCANUSBOptions->StoreTo(*FSettings);
  StoreTraceMemoryMiB(fCANUSBOptions->edTraceMemory->value());
  FTraffic.Trace().SetMemoryBudget(MiBToBytes(ReadTraceMemoryMiB()));
  ApplyShowHints(FSettings->FShowHints);
}

void TfCANUSBMain::actionAboutExecute() { fCANUSBAbout->exec(); }

void TfCANUSBMain::actionCalcuatorExecute() {
  if (!StartCalculator())
    QMessageBox::information(this, QStringLiteral("Calculator"),
                             QStringLiteral("No calculator program is installed (tried %1).").arg(CalculatorPrograms().join(QStringLiteral(", "))));
}
