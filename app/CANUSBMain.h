#pragma once
// The main window: owns every long-lived object (settings, project, adapter facade, receive
// queue and reader, timers, dialogs) and composes the pages. The rules of each list live in
// the list's own controller; this class only wires them together.

#include <QKeyCombination>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanAdapterDevice.h"
#include "app/BMDThread.h"
#include "app/ReceiveQueue.h"
#include "model/CanMsgProg.h"
#include "storage/ZelCanRegIni.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class TMainPages;
class TMyRegValues;
class TProjectDocument;
class TProjectList;
class TfCANUSBOptions;
class TfCANUSBAbout;

inline const QString kMainCaptionPrefix = QStringLiteral("Tarvell - Ferrolux Ver. 3.9 - ");

class TfCANUSBMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TfCANUSBMain(QWidget* parent = nullptr);
  ~TfCANUSBMain() override;

  enum class TProjectListRole { SoftwareFilter, HardwareFilter, Monitor, Trace, PredefinedMessages, LogMessage };
  // Hands a list to the project and makes its content changes mark the project changed.
  void SetProjectList(TProjectListRole role, TProjectList* list);

  // Receives every key pressed in this window before the focused control; set by the
  // predefined messages. The key is not consumed.
  std::function<void(QKeyCombination shortcut)> HotKeyDispatch;

  void FormKeyDown(Qt::Key Key, Qt::KeyboardModifiers Shift);
  void FormCloseQuery(bool& CanClose);
  void FormClose();
  void ChangeProjectName(const QString& ProjectName);
  void ChangedProject(bool Changed);

  void Timer1Timer();
  void Timer3Timer();
  void DispatchReceivedMessage(const TCanMsgProg& msg);

  void actionProjectNewExecute();
  void actionOptionsExecute();
  void actionDisconnectExecute();
  void actionCalcuatorExecute();
  void actionAboutExecute();
  void actionShowIdDetailsWindowExecute();
  void ConnectPopupMenuPopup();

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
  [[nodiscard]] const TCanMsgProg& EmptyMessage() const { return EmptyMsg; }

  TfCANUSBOptions* fCANUSBOptions = nullptr;
  TfCANUSBAbout* fCANUSBAbout = nullptr;

  // Components, named as in the window definition.
  TMainPages* PageControl1 = nullptr;
  QTimer* Timer1 = nullptr;
  QTimer* Timer3 = nullptr;
  QMenu* ConnectPopupMenu = nullptr;
  QToolButton* btnOpenCANUSB = nullptr;

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
  void FormCreate();
  void RestoreGeometry();
  void StoreGeometry();
  void ShowWarningOnStart();
  QAction* MakeAction(const char* name, const QString& caption, const QString& hint, void (TfCANUSBMain::*handler)());

  // Owned for the window's whole life; member order is teardown order in reverse, so the
  // reader stops before the queue and the facade go.
  TAdapterDeviceList AdapterDeviceList;
  QStringList HidDeviceList;
  TZelCanRegIni RegIni;
  std::unique_ptr<TMyRegValues> FSettings;
  std::unique_ptr<TProjectDocument> FProject;
  TCanMsgProg EmptyMsg;
  TZelCanAdapter CanAdapter;
  std::unique_ptr<ReceiveQueue> FReceiveQueue;
  TBMDThread threadRead;

  bool FShowHints = true;
  bool FClosed = false;
  QLabel* FStatusPanels[6] = {};
};
