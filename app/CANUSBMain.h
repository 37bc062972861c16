#pragma once
// The main window: owns every long-lived object (settings, project, adapter facade, receive
// queue and reader, timers, dialogs) and composes the pages. The rules of each list live in
// the list's own controller; this class only wires them together.

#include <QKeyCombination>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanAdapterDevice.h"
#include "CanPackage/source/ZelCanUsb.h"
#include "CanPackage/source/ZelCanUsbHid.h"
#include "CanPackage/source/ZelCanUsbSerial.h"
#include "CanPackage/source/ZelCanSocket.h"
#include "app/BMDThread.h"
#include "app/ConnectMenuModel.h"
#include "app/ConnectionController.h"
#include "app/DeviceReturnWatch.h"
#include "app/ReceiveQueue.h"
#include "ftdi/FTDI_D2XX.h"
#include "model/CanMsgProg.h"
#include "platform/HidDeviceController.h"
#include "platform/TickCount.h"
#include "signals/SignalKey.h"
#include "storage/ProjectCaption.h"
#include "storage/ProjectPlot.h"
#include "storage/ZelCanRegIni.h"
#include "filters/HwFilterList.h"
#include "transmit/FrameSender.h"
#include "transmit/PredefinedMessageList.h"
#include "transmit/TriggerLogList.h"
#include "views/TrafficViews.h"

class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class QTreeView;
class TRowListBase;
class TMainPages;
class TMyRegValues;
class TProjectDocument;
class TProjectList;
class TRowListBase;
class TfCANUSBOptions;
class TfCANUSBAbout;
class TfFormatData;
class TMonitorPage;
class TTracePage;
class TIdFilterPage;
class THwFilterPage;
class TSendMessagePanel;
class TPredefinedMessagePage;
class TTriggerLogPage;
class TTrafficStatistics;
class TStatisticsPage;
class TSignalsController;
class TSignalsPage;
class TSignalDetailsPane;
class TPlotSamples;
class TPlotWindow;
class TReplayBar;
class TCaptureRecorder;

// Makes the HID backend of the window's device controller and of the HID driver (each gets
// its own); tests put scripted devices behind it.
using THidBackendFactory = std::function<std::unique_ptr<IHidBackend>()>;

class TfCANUSBMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TfCANUSBMain(QWidget* parent = nullptr, const THidBackendFactory& hidBackends = MakeHidapiBackend);
  ~TfCANUSBMain() override;

  enum class TProjectListRole { SoftwareFilter, HardwareFilter, Monitor, Trace, PredefinedMessages, LogMessage };
  // Hands a list to the project and makes its content changes mark the project changed.
  void SetProjectList(TProjectListRole role, TProjectList* list);

  // Receives every key pressed in this window before the focused control; set by the
  // predefined messages. The key is not consumed.
  std::function<void(QKeyCombination shortcut)> HotKeyDispatch;
  std::function<bool(QKeyCombination shortcut)> HotKeyClaims;

  void FormKeyDown(Qt::Key Key, Qt::KeyboardModifiers Shift);
  void FormCloseQuery(bool& CanClose);
  void FormClose();
  void ChangeProjectName(const QString& ProjectName);
  void ChangedProject(bool Changed);

  void Timer1Timer();
  void Timer3Timer();

  void actionProjectNewExecute();
  // Project files and the separate ".pm1" and ".hf1" list files (CANUSBMainProject.cpp).
  void actionProjectOpenExecute();
  void actionProjectSaveExecute();
  void actionProjectSaveAsExecute();
  void actionOpenPredefinedMessagesExecute();
  void actionSavePredefinedMessagesExecute();
  void actionHWFilterOpenExecute();
  void actionHWFilterSpeichernExecute();
  void actionOptionsExecute();
  void actionCalcuatorExecute();
  void actionAboutExecute();

  // Connection management: Sender is a device item of ConnectPopupMenu, or anything else for
  // the "Open" command, which looks for an adapter by itself.
  void ConnectPopupMenuPopup();
  void actionConnectExecute(QObject* Sender);
  void actionDisconnectExecute();
  void UpdateConnectionState(bool connected, const QString& deviceName);
  void actionGetCanStatusExecute();

  // Export and print of the lists (CANUSBMainExport.cpp). The trigger log's commands take
  // the log and the view that shows it.
  void actionExportMonitorDataExecute();
  void actionPrintMonitorDataExecute();
  void actionExportTraceDataExecute();
  void actionPrintTraceDataExecute();
  void ExportTriggerLog(const TRowListBase& log, const QTreeView& view);
  void PrintTriggerLog(const TRowListBase& log, const QTreeView& view);
  // An adapter that went away during a capture: closed, reported once, and reopened with the
  // same settings when it is listed again; "Close" stops the wait.
  void HandleDeviceLoss();
  void ShowLossNotice(const QString& text);
  [[nodiscard]] TDeviceReturnWatch& ReturnWatch() { return *FReturnWatch; }

  // The window's HID device controller.
  void HidDevCtrlEnumerate();
  void HidDevCtrlDeviceChange();
  void HidDevCtrlDeviceUnplug(const THidDeviceInfo& device);

  // Tool-tip hints on or off for this window.
  void ApplyShowHints(bool show);
  [[nodiscard]] bool HintsShown() const { return FShowHints; }

  [[nodiscard]] TMainPages* Pages() const { return PageControl1; }
  [[nodiscard]] TMyRegValues& Settings() const { return *FSettings; }
  [[nodiscard]] TProjectDocument& Project() const { return *FProject; }
  [[nodiscard]] TZelCanAdapter& Adapter() { return CanAdapter; }
  [[nodiscard]] ReceiveQueue* Queue() const { return FReceiveQueue.get(); }
  [[nodiscard]] TBMDThread& ReaderThread() { return threadRead; }
  [[nodiscard]] QLabel* StatusPanel(int index) const { return FStatusPanels[index]; }
  [[nodiscard]] QLabel* SendFailedPanel() const { return FSendFailedPanel; }
  [[nodiscard]] QLabel* BusLoadPanel() const { return FBusLoadPanel; }
  [[nodiscard]] QLabel* CapturePanel() const { return FCapturePanel; }
  [[nodiscard]] TCaptureRecorder& Capture() { return *FCapture; }
  [[nodiscard]] const TTrafficStatistics& TrafficStatistics() const { return *FStatistics; }
  [[nodiscard]] const TCanMsgProg& EmptyMessage() const { return EmptyMsg; }
  [[nodiscard]] TTrafficViews& Traffic() { return FTraffic; }
  [[nodiscard]] THwFilterList& HardwareFilter() { return FHwFilter; }
  [[nodiscard]] TPredefinedMessageList& PredefinedMessages() { return FPredefined; }
  [[nodiscard]] TTriggerLogList& TriggerLog() { return FTriggerLog; }
  [[nodiscard]] TFrameSender& Sender() { return FSender; }
  [[nodiscard]] const TAdapterDeviceList& AdapterDevices() const { return AdapterDeviceList; }
  [[nodiscard]] const THidDeviceList& HidDevices() const { return HidDeviceList; }
  [[nodiscard]] THidDeviceController& HidDevCtrl() { return *FHidDevCtrl; }
  [[nodiscard]] TZelCanUsb& CanUsbDriver() { return CanUsb; }
  [[nodiscard]] TZelCanUsbSerial& SerialDriver() { return CanUsbSerial; }
  [[nodiscard]] TZelCanUsbHid& HidDriver() { return *CanUsbHid; }
  [[nodiscard]] TZelCanSocket& SocketDriver() { return CanSocket; }

  // Signal databases (CANUSBMainSignals.cpp): loading adds to the loaded files; problems are
  // shown, what was loaded stays. Paths in FERROLUX_DBC (separated by ':') load at start.
  void actionLoadDatabaseExecute();
  void actionUnloadDatabasesExecute();
  void LoadDatabases(const QStringList& paths);
  [[nodiscard]] TSignalsController& Signals() { return *FSignals; }

  // The plot (CANUSBMainPlot.cpp): its window, opened from the Signals page and the tool bar,
  // its samples fed at the drain, cleared with the trace and at every connect, built anew
  // from a loaded trace; its signals and layout kept in the project.
  [[nodiscard]] TPlotWindow* PlotWindow() const { return fPlot; }
  [[nodiscard]] TPlotSamples& PlotSamples() { return *FPlotSamples; }
  // Adds the signals of the Signals page's current row to the plot and shows it.
  void PlotSelectedSignals();
  // Adds signals (dropped onto the plot, say) with what the trace holds of them, and shows it.
  void PlotSignals(const std::vector<TSignalKey>& keys);
  // Selects, on the Trace page, the row a plotted sample came from.
  void ShowPlotSampleInTrace(std::size_t series, std::size_t sample);

  // SocketCAN interfaces and candump logs (CANUSBMainSocketCan.cpp).
  void actionImportTraceLogExecute();
  // Enters a candump log into the trace; false with the reason shown when it stopped early.
  bool ImportTraceLog(const QString& path);

  TfCANUSBOptions* fCANUSBOptions = nullptr;
  TfCANUSBAbout* fCANUSBAbout = nullptr;
  TfFormatData* fFormatData = nullptr;
  TPlotWindow* fPlot = nullptr;

  // Components, named as in the window definition.
  TMainPages* PageControl1 = nullptr;
  QTimer* Timer1 = nullptr;
  QTimer* Timer3 = nullptr;
  QMenu* ConnectPopupMenu = nullptr;
  QToolButton* btnOpenCANUSB = nullptr;
  TMonitorPage* MonitorPage = nullptr;
  TTracePage* TracePage = nullptr;
  TReplayBar* ReplayBar = nullptr;  // on the trace page
  TIdFilterPage* IdFilterPage = nullptr;
  THwFilterPage* HwFilterPage = nullptr;
  TSendMessagePanel* SendMessagePanel = nullptr;
  TPredefinedMessagePage* PredefinedMessagePage = nullptr;
  TTriggerLogPage* TriggerLogPage = nullptr;
  TStatisticsPage* StatisticsPage = nullptr;
  TSignalsPage* SignalsPage = nullptr;
  TSignalDetailsPane* TraceSignalsPane = nullptr;

  QAction* actionProjectNew = nullptr;
  QAction* actionProjectOpen = nullptr;
  QAction* actionProjectSave = nullptr;
  QAction* actionProjectSaveAs = nullptr;
  QAction* actionOptions = nullptr;
  QAction* actionCloseProgramm = nullptr;
  QAction* actionConnect = nullptr;
  QAction* actionDisconnect = nullptr;
  QAction* actionPopupConnectMenu = nullptr;
  QAction* actionGetCanStatus = nullptr;
  QAction* actionCalcuator = nullptr;
  QAction* actionAbout = nullptr;
  QAction* actionLoadDatabase = nullptr;
  QAction* actionUnloadDatabases = nullptr;
  QAction* actionShowPlot = nullptr;
  QMenu* RecentDatabasesMenu = nullptr;
  QFileDialog* DatabaseDialog = nullptr;
  // Of the predefined-messages page's tool bar; enabled once that list is placed.
  QAction* actionOpenPredefinedMessages = nullptr;
  QAction* actionSavePredefinedMessages = nullptr;
  QFileDialog* OpenDialog = nullptr;
  QFileDialog* SaveDialog = nullptr;
  QFileDialog* ListOpenDialog = nullptr;
  QFileDialog* ListSaveDialog = nullptr;
  // Runs a prepared file dialog and gives the chosen file, empty when cancelled; tests answer
  // the dialogs through it. Unset: the dialog runs modally.
  std::function<QString(QFileDialog& dialog)> FileDialogRunner;
  // Of the Monitor and Trace pages.
  QAction* actionMonitorColor = nullptr;
  QAction* actionTraceColor = nullptr;
  QAction* actionShowIdDetailsWindow = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void BuildTimers();
  void BuildTrafficPages();
  void BuildConnection();
  void BuildSocketCan();
  void ShowSocketCanLink();
  void BuildExport();
  void BuildTransmitPages();
  [[nodiscard]] bool WriteToAdapter(const TCanMsgProg& msg);
  void ShowFailedSends(int failed);
  void BuildDeviceLossWatch();
  void CheckDeviceLost();
  // Ends the wait for a lost adapter; false when none was awaited.
  bool StopAwaitingDevice();
  void SetAwaitingControls(bool awaiting);
  [[nodiscard]] bool IsDeviceListed(const QString& kind, const QString& serialNr);
  void BuildCatalogWindow();
  // Bus statistics (CANUSBMainStatistics.cpp): the page, the bus-load panel, a fresh start
  // at every connect and every cleared trace.
  void BuildStatistics();
  void RestartStatistics();
  void ShowBusLoad();
  void BuildSignals();
  void BuildSignalPages();
  void BuildPlot();
  // Replay onto the bus (CANUSBMainReplay.cpp): the trace page's Replay tool bar.
  void BuildReplay();
  void ShowPlot();
  // The trace's selected row: the plot's first cursor goes to its time.
  void PlaceCursorAtTraceRow();
  [[nodiscard]] TProjectPlot PlotLayout() const;
  void OpenPlotLayout(const TProjectPlot& plot);
  void PlotWholeTrace();
  void LoadPresetDatabases();
  // The trace's capture file (CANUSBMainCapture.cpp): taken at start, with the offer of a
  // capture a program left behind.
  void BuildCapture();
  void OfferLeftCaptures(const QStringList& paths);
  void ShowCaptureStatus();
  // Runs `step` from the event loop under a progress dialog until it returns false or the
  // user cancels; `progress` is 0..1000.
  void RunImportSteps(const QString& title, const QString& label, const std::function<bool()>& step, const std::function<int()>& progress);
  void FillRecentDatabases();
  void ShowTraceRowSignals();
  void OpenProjectDatabases(const QStringList& paths);
  void BuildProjectFiles();
  void UpdateListFileActions();
  [[nodiscard]] bool ConfirmDiscardChanges();
  QString RunFileDialog(QFileDialog& dialog);
  void SaveProjectTo(const QString& fileName);
  struct TListFileKind;
  static const TListFileKind kPredefinedMessagesFile;
  static const TListFileKind kHardwareFilterFile;
  TRowListBase* ChooseListFile(QFileDialog& dialog, const TListFileKind& kind, QString& fileName);
  void OpenListFile(const TListFileKind& kind);
  void SaveListFile(const TListFileKind& kind);
  [[nodiscard]] std::vector<TFtdiListEntry> ListFtdiDevices();
  void ShowPlainMessage(const QString& text);
  void FormCreate();
  void RestoreGeometry();
  void StoreGeometry();
  void ShowWarningOnStart();
  QAction* MakeAction(const char* name, const QString& caption, const QString& hint, void (TfCANUSBMain::*handler)());

  // Owned for the window's whole life; member order is teardown order in reverse, so the
  // reader stops before the queue, the facade and the drivers go.
  TAdapterDeviceList AdapterDeviceList;
  std::vector<int> FMenuHidIndex;  // per connect-menu item: its place in HidDeviceList, or -1
  THidDeviceList HidDeviceList;
  TZelCanRegIni RegIni;
  std::unique_ptr<TMyRegValues> FSettings;
  std::unique_ptr<TProjectDocument> FProject;
  TCanMsgProg EmptyMsg;
  TTrafficViews FTraffic;
  // The trace writes into it: goes before the trace.
  std::unique_ptr<TCaptureRecorder> FCapture;
  // Observes the traffic: goes before it.
  std::unique_ptr<TSignalsController> FSignals;
  // Observes the traffic and reads the databases: goes before both.
  std::unique_ptr<TPlotSamples> FPlotSamples;
  bool FOpeningPlotLayout = false;  // the project's own signals are no change to it
  // The check limit is what the chosen driver can load: 0 until a connect picked one.
  THwFilterList FHwFilter{{}, [this] { return CanAdapter.GetFilterCount(); }};
  TTriggerLogList FTriggerLog;
  TFrameSender FSender{{[this](const TCanMsgProg& msg) { return WriteToAdapter(msg); },
                        [this](const TCanMsgProg& msg) { FTraffic.EnterSentMessage(msg); }}};
  TPredefinedMessageList FPredefined{{[this](const TCanMsgProg& msg) { FSender.Send(msg); },
                                      [this](const QString& text) { FTriggerLog.AddTriggerLogEntry(text); }, &GetTickCount}};
  TZelCanUsb CanUsb;
  TZelCanUsbSerial CanUsbSerial;
  std::unique_ptr<TZelCanUsbHid> CanUsbHid;
  TZelCanSocket CanSocket;
  TFTDI_D2XX ftdi;
  std::unique_ptr<THidDeviceController> FHidDevCtrl;
  TZelCanAdapter CanAdapter;
  std::unique_ptr<ReceiveQueue> FReceiveQueue;
  TBMDThread threadRead;
  std::unique_ptr<TConnectionController> FConnection;
  std::unique_ptr<TDeviceReturnWatch> FReturnWatch;
  // The non-modal notice of a lost adapter; it closes itself when the adapter is back.
  QPointer<QMessageBox> FLossNotice;

  bool FShowHints = true;
  bool FClosed = false;
  QLabel* FStatusPanels[6] = {};
  QLabel* FSendFailedPanel = nullptr;
  QLabel* FBusLoadPanel = nullptr;
  QLabel* FCapturePanel = nullptr;
  std::unique_ptr<TTrafficStatistics> FStatistics;
};
