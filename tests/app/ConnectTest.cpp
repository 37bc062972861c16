// Connecting the main window to adapters: the connect menu from the device lists, the real
// simulator behind the serial driver, scripted HID adapters, and the window's texts.

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <thread>

#include "MainWindowFixture.h"
#include "app/ConnectMenuModel.h"
#include "app/UserAction.h"
#include "platform/FtD2xx.h"
#include "platform/VirtualDevices.h"
#include "storage/ProjectDocument.h"
#include "support/PtyAdapter.h"
#include "support/ScriptedDriver.h"
#include "support/ScriptedHidBackend.h"
#include "support/SimProcess.h"
#include "support/TestData.h"
#include "filters/HwFilterMath.h"
#include "model/LogFormat.h"
#include "platform/UserMessage.h"
#include "views/TracePage.h"
#include "catalog/FormatData.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kSimSerial = "SIM00001";
const THidDeviceInfo kQuillane = HidInfo("/dev/hidraw-q0", 0x0416, 0x5020, "Quillane", "Q0001");
const THidDeviceInfo kQuillaneB = HidInfo("/dev/hidraw-q1", 0x0483, 0x5020, "Quillane", "Q0002");
const THidDeviceInfo kKeyboard = HidInfo("/dev/hidraw-k0", 0x046D, 0xC31C, "Keyboard", "K0001");

// Both HID controllers of the window (its own and the driver's) look at one scripted bus.
class SharedHidBackend final : public IHidBackend {
 public:
  explicit SharedHidBackend(std::shared_ptr<ScriptedHidBackend> bus) : FBus(std::move(bus)) {}
  std::vector<THidDeviceInfo> Enumerate() override { return FBus->Enumerate(); }
  std::unique_ptr<IHidChannel> OpenChannel(const THidDeviceInfo& device) override { return FBus->OpenChannel(device); }
  THidReportLengths ReportLengths(const THidDeviceInfo& device) override { return FBus->ReportLengths(device); }

 private:
  std::shared_ptr<ScriptedHidBackend> FBus;
};

// Waits without running the event loop, so no timer drains the queue meanwhile.
template <typename Condition>
bool WaitPlain(Condition condition, std::chrono::milliseconds limit = 5s) {
  for (auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(5ms))
    if (condition()) return true;
  return condition();
}

struct ConnectFixture : MainWindowFixture {
  void SetUp() override {
    MainWindowFixture::SetUp();
    // No USB adapter of this machine gets into the listing.
    FT_SetSysfsLayout({runtime.Path() + "/sys-empty", "/dev"});
    // Nor a CAN interface of this machine.
    qputenv("FERROLUX_SYSFS_NET", QByteArray::fromStdString(runtime.Path() + "/net-empty"));
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    FT_SetSysfsLayout({});
    qunsetenv("FERROLUX_SYSFS_NET");
  }

  TfCANUSBMain& OpenWindow() {
    window = std::make_unique<TfCANUSBMain>(nullptr, [bus = hidBus] { return std::make_unique<SharedHidBackend>(bus); });
    return *window;
  }
  // The HID controllers notice what is plugged in now.
  void PollHid() {
    window->HidDevCtrl().Poll();
    window->HidDriver().Controller().Poll();
  }

  // Opens the connect menu the way the tool button does and reads its items.
  QStringList MenuItems() {
    window->ConnectPopupMenu->popup(QPoint(0, 0));
    QStringList items;
    for (QAction* a : window->ConnectPopupMenu->actions()) items << a->objectName() + QStringLiteral("|") + a->text();
    window->ConnectPopupMenu->hide();
    return items;
  }
  QAction* MenuItem(const QString& name) {
    window->ConnectPopupMenu->popup(QPoint(0, 0));
    window->ConnectPopupMenu->hide();
    return window->ConnectPopupMenu->findChild<QAction*>(name);
  }
  // Chooses a menu item and returns the text of the message box it caused, if any.
  QString Choose(QAction* item) {
    QString text;
    QPointer<QTimer> answer = AnswerNextMessageBox(QMessageBox::Ok, &text);
    item->trigger();
    delete answer.data();
    return text;
  }

  std::unique_ptr<TSimProcess> StartSim(std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"--serial", kSimSerial});
    auto sim = std::make_unique<TSimProcess>(FERROLUX_SIM_PATH, runtime.Path(), args);
    EXPECT_TRUE(sim->Started());
    const fs::path announced = fs::path(VirtualDeviceDirectory()) / (std::string(kSimSerial) + ".dev");
    EXPECT_TRUE(WaitPlain([&] { return fs::exists(announced); }, 10s)) << "the simulator did not announce itself";
    return sim;
  }
  std::string WriteLog(const std::string& text) {
    const std::string path = runtime.Path() + "/bus.log";
    std::ofstream(path) << text;
    return path;
  }

  QString Panel(int i) { return window->StatusPanel(i)->text(); }
  std::size_t TraceRows() { return window->Traffic().Trace().RowCount(); }

  TScopedRuntimeDir runtime;
  std::shared_ptr<ScriptedHidBackend> hidBus = std::make_shared<ScriptedHidBackend>();
};

const char* const kFourFrames =
    "(1700000000.000000) can0 123#1122\n"
    "(1700000000.010000) can0 456#AABBCCDD\n"
    "(1700000000.020000) can0 123#3344\n"
    "(1700000000.030000) can0 12345678#01\n";

}  // namespace

// --- the connect menu ------------------------------------------------------------------------

TEST_F(ConnectFixture, MenuListsSerialAdaptersByListingPositionThenSupportedHidAdapters) {
  // Announcements are listed by serial number; a device of no known kind still takes a place.
  AnnounceVirtualDevice("A1B2C3", "CANUSB", "/dev/null");
  AnnounceVirtualDevice("B0000001", "USB Serial", "/dev/null");
  AnnounceVirtualDevice("C0000002", "Tiny-CAN II", "/dev/null");
  AnnounceVirtualDevice("D0000003", "CAN-IF", "/dev/null");
  AnnounceVirtualDevice("E0000004", "can-if", "/dev/null");
  hidBus->Plug(kQuillane);
  hidBus->Plug(kKeyboard);
  hidBus->Plug(kQuillaneB);
  OpenWindow();
  PollHid();

  EXPECT_EQ(MenuItems(), (QStringList{"ItemUSBLAW0|A1B2C3", "ItemUSBMHS2|Tiny-CAN II - C0000002", "ItemUSBAC3|AC CAN-IF - D0000003",
                                      "ItemHID0|Quillane (0416/5020)", "ItemHID1|Quillane (0483/5020)"}));
  const TAdapterDeviceList& entries = window->AdapterDevices();
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0]->Description, AdapterKind::LawicelUsb);
  EXPECT_EQ(entries[0]->Manufacturer, QStringLiteral("CANUSB"));
  EXPECT_EQ(entries[2]->Description, AdapterKind::AcUsb);
  EXPECT_EQ(entries[2]->SerialNr, QStringLiteral("D0000003"));
  EXPECT_EQ(entries[4]->Description, AdapterKind::ZelHid);
  EXPECT_EQ(entries[4]->SerialNr, QStringLiteral("Q0002"));
  EXPECT_TRUE(entries[4]->Manufacturer.isEmpty());

  // Rebuilt on every opening: a withdrawn adapter and an unplugged HID device disappear.
  WithdrawVirtualDevice("A1B2C3");
  hidBus->Unplug(kQuillane.Path);
  PollHid();
  EXPECT_EQ(MenuItems(), (QStringList{"ItemUSBMHS1|Tiny-CAN II - C0000002", "ItemUSBAC2|AC CAN-IF - D0000003",
                                      "ItemHID0|Quillane (0483/5020)"}));
}

TEST_F(ConnectFixture, EmptyMenuOffersOneItemThatDoesNothing) {
  hidBus->Plug(kKeyboard);
  OpenWindow();
  PollHid();
  EXPECT_EQ(MenuItems(), (QStringList{"EmptyItem|CANUSB adapter not found"}));
  EXPECT_TRUE(window->AdapterDevices().empty());
  EXPECT_EQ(Choose(MenuItem(QStringLiteral("EmptyItem"))), QString()) << "no message, no connect";
  EXPECT_FALSE(window->Adapter().Connected());
  EXPECT_EQ(Panel(1), QStringLiteral("Closed"));
}

TEST_F(ConnectFixture, OpenCommandFindsTheHidAdapterButNotASerialOne) {
  AnnounceVirtualDevice("D0000003", "CAN-IF", "/dev/null");
  OpenWindow();
  EXPECT_EQ(Choose(window->actionConnect), QStringLiteral("Connect to CAN device is failed"))
      << "a serial adapter is only reached through its menu item; no driver was selected before";
  EXPECT_FALSE(window->Adapter().Connected());

  hidBus->Plug(kKeyboard);
  hidBus->Plug(kQuillaneB);
  PollHid();
  EXPECT_EQ(Choose(window->actionConnect), QString());
  EXPECT_TRUE(window->Adapter().Connected());
  EXPECT_EQ(window->Adapter().Adapter(), &window->HidDriver());
  EXPECT_EQ(Panel(1), QStringLiteral("Opened"));
  EXPECT_EQ(Panel(2), QStringLiteral("Quillane"));
  window->actionDisconnect->trigger();
  EXPECT_EQ(Panel(1), QStringLiteral("Closed"));
}

TEST_F(ConnectFixture, OpenCommandPrefersTheVendorAdapterAndReportsItsFailure) {
  // The vendor library is not installed here, so the chosen vendor adapter fails to open.
  AnnounceVirtualDevice("A1B2C3", "CANUSB", "/dev/null");
  hidBus->Plug(kQuillane);
  OpenWindow();
  PollHid();
  EXPECT_EQ(Choose(window->actionConnect), QStringLiteral("Connect to CAN device is failed"));
  EXPECT_FALSE(window->Adapter().Connected());
  EXPECT_TRUE(window->actionConnect->isEnabled());
  EXPECT_FALSE(window->Timer1->isActive());
  EXPECT_TRUE(hidBus->Enumerations() > 0);
  EXPECT_TRUE(window->HidDevices().size() == 1u);
}

// --- end to end with the simulator -----------------------------------------------------------

TEST_F(ConnectFixture, LiveTrafficFromTheSimulatorReachesMonitorAndTraceInOneDrain) {
  auto sim = StartSim({"--replay", WriteLog(kFourFrames)});
  TfCANUSBMain& w = OpenWindow();
  ShowActive();

  QAction* item = MenuItem(QStringLiteral("ItemUSBAC0"));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), QStringLiteral("AC CAN-IF - SIM00001"));
  EXPECT_EQ(Choose(item), QString());
  ASSERT_TRUE(w.Adapter().Connected());
  EXPECT_EQ(w.Adapter().Adapter(), &w.SerialDriver());
  EXPECT_TRUE(Panel(0).startsWith(QStringLiteral("Version: "))) << Panel(0).toStdString();
  EXPECT_EQ(Panel(1), QStringLiteral("Opened"));
  EXPECT_EQ(Panel(2), QStringLiteral("SIM00001"));
  EXPECT_EQ(Panel(3), QStringLiteral("500 Kbit/s"));
  w.statusBar()->showMessage(QStringLiteral("Close CAN Device"));
  EXPECT_TRUE(w.StatusPanel(1)->isVisible()) << "an action's hint does not cover the panels";
  w.statusBar()->clearMessage();
  EXPECT_TRUE(w.Timer1->isActive());
  EXPECT_TRUE(w.Timer3->isActive());
  EXPECT_TRUE(w.actionDisconnect->isEnabled());
  for (QAction* a : {w.actionConnect, w.actionPopupConnectMenu, w.actionOptions, w.actionProjectNew, w.actionProjectOpen,
                     w.actionProjectSave, w.actionProjectSaveAs})
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();

  ASSERT_TRUE(WaitPlain([&] { return w.Queue()->Count() >= 4; })) << "frames did not reach the queue";
  w.Timer1Timer();
  EXPECT_EQ(Panel(4), QStringLiteral("Buff: 4"));
  ASSERT_EQ(TraceRows(), 4u);
  EXPECT_EQ(w.Traffic().Trace().Row(0).Msg.CanId, 0x123);
  EXPECT_EQ(w.Traffic().Trace().Row(3).Msg.CanId, 0x12345678);
  EXPECT_TRUE(w.Traffic().Trace().Row(3).Msg.Extended);
  EXPECT_EQ(w.Traffic().Monitor().RowCount(), 3u);
  const TMonitorData* row123 = w.Traffic().Monitor().FindMonitorDataNode(0x123);
  ASSERT_NE(row123, nullptr);
  EXPECT_EQ(row123->Count, 2);
  EXPECT_EQ(row123->Msg.Data[0], 0x33);
  EXPECT_EQ(w.Traffic().IdFilter().RowCount(), 3u);
  EXPECT_EQ(w.TracePage->vstDataTrace()->model()->rowCount(), 4);
  EXPECT_EQ(w.TracePage->Panel18()->text(), QStringLiteral(" Messages count: 4"));
  EXPECT_TRUE(w.Project().Changed());

  EXPECT_EQ(Choose(w.actionDisconnect), QString());
  EXPECT_FALSE(w.Adapter().Connected());
  EXPECT_EQ(Panel(1), QStringLiteral("Closed"));
  for (int i : {0, 2, 3}) EXPECT_EQ(Panel(i), QString()) << i;
  EXPECT_EQ(Panel(4), QStringLiteral("Buff: 0"));
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_FALSE(w.ReaderThread().Runing());
  EXPECT_TRUE(w.actionConnect->isEnabled());
  EXPECT_TRUE(w.actionOptions->isEnabled());
  EXPECT_EQ(TraceRows(), 4u) << "closing keeps the lists";
}

TEST_F(ConnectFixture, CheckedSingleFilterRowKeepsOtherIdentifiersInTheAdapter) {
  auto sim = StartSim({"--replay", WriteLog("(1700000000.000000) can0 123#01\n"
                                            "(1700000000.001000) can0 456#02\n"
                                            "(1700000000.002000) can0 124#03\n"
                                            "(1700000000.003000) can0 7FF#04\n"
                                            "(1700000000.004000) can0 123#05\n"),
                       "--loop"});
  TfCANUSBMain& w = OpenWindow();
  ShowActive();
  THwFilterList& filters = w.HardwareFilter();
  const std::size_t row = filters.AppendFilter(THwFilterType::Single);
  ASSERT_TRUE(filters.ApplyToSelected(THwFilterType::Single,
                                      HwFilterMath::SingleFilter(0x123, TRtrChoice::Zero, 0x7FF, TRtrChoice::Zero), {}));
  QString refusal;
  const TUserMessageHandler previous =
      SetUserMessageHandler([&](TUserMessageKind, const QString&, const QString& text) { refusal = text; });
  filters.SetRowChecked(row, true);
  SetUserMessageHandler(previous);
  EXPECT_EQ(refusal, QStringLiteral("Maximum allowed hardware filter for this device: 0")) << "no driver chosen yet";

  // Without a checked row the adapter passes everything.
  ASSERT_EQ(Choose(MenuItem(QStringLiteral("ItemUSBAC0"))), QString());
  ASSERT_TRUE(WaitPlain([&] { return w.Queue()->Count() >= 5; }));
  ASSERT_EQ(Choose(w.actionDisconnect), QString());
  EXPECT_EQ(w.Traffic().Monitor().RowCount(), 4u);

  filters.SetRowChecked(row, true);  // the serial driver is chosen now: one filter allowed
  EXPECT_EQ(filters.GetHardwareFilters().size(), 1u);
  w.Traffic().Monitor().Clear();
  w.Traffic().Trace().Clear();
  ASSERT_EQ(Choose(MenuItem(QStringLiteral("ItemUSBAC0"))), QString());
  ASSERT_TRUE(WaitPlain([&] { return w.Queue()->Count() >= 20; }));
  ASSERT_EQ(Choose(w.actionDisconnect), QString());
  ASSERT_GE(TraceRows(), 20u);
  for (std::size_t i = 0; i < TraceRows(); ++i) {
    const std::int64_t id = w.Traffic().Trace().Row(i).Msg.CanId;
    ASSERT_TRUE(id == 0x123 || id == 0x7FF) << std::hex << id;
  }
  EXPECT_EQ(w.Traffic().Monitor().RowCount(), 2u);
}

TEST_F(ConnectFixture, DisconnectDrainsWhatTheReaderQueuedAndTheStatusQueryAnswers) {
  auto sim = StartSim();  // the demo bus
  TfCANUSBMain& w = OpenWindow();

  QString text, caption;
  QPointer<QTimer> answer = AnswerNextMessageBox(QMessageBox::Ok, &text, &caption);
  w.actionGetCanStatus->trigger();
  delete answer.data();
  EXPECT_EQ(text, QStringLiteral("CAN device not connected."));
  EXPECT_EQ(caption, QStringLiteral("Information"));

  ASSERT_EQ(Choose(MenuItem(QStringLiteral("ItemUSBAC0"))), QString());
  ASSERT_TRUE(w.Adapter().Connected());
  answer = AnswerNextMessageBox(QMessageBox::Ok, &text, &caption);
  w.actionGetCanStatus->trigger();
  delete answer.data();
  EXPECT_EQ(text, QStringLiteral("CAN device status: No errors."));
  EXPECT_EQ(caption, QStringLiteral("Information"));

  // Frames arrive and nobody drains them until the close.
  ASSERT_TRUE(WaitPlain([&] { return w.Queue()->Count() >= 3; })) << "the demo bus sent nothing";
  EXPECT_EQ(TraceRows(), 0u);
  EXPECT_EQ(Choose(w.actionDisconnect), QString());
  EXPECT_GE(TraceRows(), 3u) << "the final drain shows what was queued";
  EXPECT_EQ(Panel(4), QStringLiteral("Buff: 0"));
  EXPECT_EQ(Panel(1), QStringLiteral("Closed"));
}

TEST_F(ConnectFixture, RegisterPairRateIsShownAndTheWarningListsTheStatusBits) {
  StoreSetting(QStringLiteral("CanBitRate"), 0);
  StoreSetting(QStringLiteral("CanBitRateBTR0"), 0x00);
  StoreSetting(QStringLiteral("CanBitRateBTR1"), 0x1C);
  auto sim = StartSim();
  TfCANUSBMain& w = OpenWindow();
  ASSERT_EQ(Choose(MenuItem(QStringLiteral("ItemUSBAC0"))), QString());
  EXPECT_EQ(Panel(3), QStringLiteral("500.00 Kbit/s"));
  ASSERT_EQ(Choose(w.actionDisconnect), QString());

  // A driver with error bits set: the warning box names them.
  class FaultyDriver : public ScriptedDriver {
   public:
    std::int32_t GetDeviceStatus() override { return 0x81; }
  } faulty;
  w.Adapter().SetAdapter(&faulty);
  w.Adapter().SetConnected(true);
  QString text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QPointer<QTimer> answer = OnNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    text = box->text();
    caption = box->windowTitle();
    icon = box->icon();
    box->button(QMessageBox::Ok)->click();
  });
  w.actionGetCanStatus->trigger();
  delete answer.data();
  EXPECT_EQ(text, QStringLiteral("Adapter state: \r\n--> RECEIVE_FIFO_FULL\r\n--> BUS_ERROR"));
  EXPECT_EQ(caption, QStringLiteral("Warning"));
  EXPECT_EQ(icon, QMessageBox::Warning);
  w.Adapter().SetConnected(false);
  w.Adapter().SetAdapter(nullptr);
}

TEST_F(ConnectFixture, AnAdapterThatDoesNotAnswerFailsToOpenAndNothingChanges) {
  TPtyAdapter silent("MUTE0001", "CAN-IF");
  silent.SetResponder([](const std::string&) { return std::string(); });
  TfCANUSBMain& w = OpenWindow();
  QString caption;
  QString text;
  QPointer<QTimer> answer = AnswerNextMessageBox(QMessageBox::Ok, &text, &caption);
  MenuItem(QStringLiteral("ItemUSBAC0"))->trigger();
  delete answer.data();
  EXPECT_EQ(text, QStringLiteral("Connect to CAN device is failed"));
  EXPECT_EQ(caption, QStringLiteral("Ferrolux"));
  EXPECT_FALSE(w.Adapter().Connected());
  EXPECT_FALSE(w.ReaderThread().Runing());
  EXPECT_EQ(Panel(1), QStringLiteral("Closed"));
  EXPECT_TRUE(w.actionConnect->isEnabled());
  EXPECT_FALSE(w.actionDisconnect->isEnabled());
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone";
}

TEST_F(ConnectFixture, ClosingTheWindowWhileCapturingClosesTheAdapterAfterTheReader) {
  auto sim = StartSim();
  TfCANUSBMain& w = OpenWindow();
  ASSERT_EQ(Choose(MenuItem(QStringLiteral("ItemUSBAC0"))), QString());
  ASSERT_TRUE(WaitPlain([&] { return w.Queue()->Count() >= 1; }));
  // The final drain of the close enters frames, so the project asks before it goes.
  QString question;
  QPointer<QTimer> answer = AnswerNextMessageBox(QMessageBox::Yes, &question);
  EXPECT_TRUE(w.close());
  delete answer.data();
  EXPECT_EQ(question, QStringLiteral("Project was changed. Exit without saving?"));
  EXPECT_FALSE(w.ReaderThread().Runing());
  EXPECT_FALSE(w.Adapter().Connected());
  EXPECT_GE(TraceRows(), 1u);
  EXPECT_EQ(w.Queue(), nullptr);
  window.reset();
}

// An adapter whose close fails with an error: the error is shown, the changed project is still
// asked about, and the window closes once the user agrees.
TEST_F(ConnectFixture, AFailingDisconnectAtCloseStillAsksAboutTheChangedProject) {
  class ThrowingDriver : public ScriptedDriver {
   public:
    std::int32_t CloseDevice() override { throw std::runtime_error("the adapter does not answer"); }
  } failing;
  TfCANUSBMain& w = OpenWindow();
  ShowActive();
  w.Adapter().SetAdapter(&failing);
  w.Adapter().SetConnected(true);
  w.Project().SetChanged(true);
  QStringList texts;
  QMessageBox::StandardButton answer = QMessageBox::Cancel;
  QTimer boxes;
  boxes.setInterval(10);
  QObject::connect(&boxes, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    texts << box->text();
    box->button(box->button(answer) ? answer : QMessageBox::Ok)->click();
  });
  boxes.start();

  EXPECT_FALSE(w.close());
  EXPECT_EQ(texts, (QStringList{QStringLiteral("the adapter does not answer"), QStringLiteral("Project was changed. Exit without saving?")}));
  EXPECT_TRUE(w.isVisible());

  texts.clear();
  answer = QMessageBox::Yes;
  EXPECT_TRUE(w.close());
  EXPECT_EQ(texts.size(), 2);
  EXPECT_FALSE(w.isVisible());
  boxes.stop();
  window.reset();
}

// --- HID adapters come and go ----------------------------------------------------------------

TEST_F(ConnectFixture, HidAdapterDeliversFramesAndItsUnplugClosesTheConnection) {
  std::shared_ptr<ScriptedHidAdapter> adapter = hidBus->Plug(kQuillane);
  TfCANUSBMain& w = OpenWindow();
  PollHid();
  QAction* item = MenuItem(QStringLiteral("ItemHID0"));
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(Choose(item), QString());
  ASSERT_TRUE(w.Adapter().Connected());
  EXPECT_EQ(Panel(2), QStringLiteral("Quillane"));

  adapter->Send(FrameReport({FrameSlot{'t', 0x321, 2, {0xAB, 0xCD}, 7}, std::nullopt, FrameSlot{'T', 0x1ABCDEF, 1, {0x01}, 8}}));
  ASSERT_TRUE(WaitPlain([&] { return w.Queue()->Count() >= 2; }));
  w.Timer1Timer();
  EXPECT_EQ(TraceRows(), 2u);
  EXPECT_NE(w.Traffic().Monitor().FindMonitorDataNode(0x1ABCDEF), nullptr);

  // Another device of no interest goes: nothing happens.
  hidBus->Plug(kKeyboard);
  PollHid();
  hidBus->Unplug(kKeyboard.Path);
  PollHid();
  EXPECT_TRUE(w.Adapter().Connected());

  hidBus->Unplug(kQuillane.Path);
  PollHid();
  EXPECT_FALSE(w.Adapter().Connected());
  EXPECT_EQ(Panel(1), QStringLiteral("Closed"));
  EXPECT_TRUE(w.HidDevices().empty());
}

TEST_F(ConnectFixture, UnpluggingAHidAdapterLeavesASerialCaptureRunning) {
  std::shared_ptr<ScriptedHidAdapter> adapter = hidBus->Plug(kQuillane);
  auto sim = StartSim();
  TfCANUSBMain& w = OpenWindow();
  PollHid();
  ASSERT_EQ(Choose(MenuItem(QStringLiteral("ItemUSBAC0"))), QString());
  ASSERT_TRUE(w.Adapter().Connected());

  hidBus->Unplug(kQuillane.Path);
  PollHid();
  EXPECT_TRUE(w.Adapter().Connected()) << "the serial capture goes on";
  EXPECT_EQ(Panel(1), QStringLiteral("Opened"));
  EXPECT_TRUE(w.ReaderThread().Runing());
  const std::size_t before = w.Queue()->Count() + TraceRows();
  ASSERT_TRUE(WaitPlain([&] { return w.Queue()->Count() + TraceRows() > before; })) << "frames keep coming";
  EXPECT_EQ(Choose(w.actionDisconnect), QString());
}

// --- SocketCAN interfaces and candump logs ---------------------------------------------------

TEST_F(ConnectFixture, CanInterfacesFollowTheAdaptersInTheMenu) {
  const fs::path net = fs::path(runtime.Path()) / "net";
  for (const char* name : {"fxcan1", "fxcan0", "fxeth0"}) {
    fs::create_directories(net / name);
    std::ofstream(net / name / "type") << (std::string(name) == "fxeth0" ? "1\n" : "280\n");
  }
  qputenv("FERROLUX_SYSFS_NET", QByteArray::fromStdString(net.string()));
  hidBus->Plug(kQuillane);
  OpenWindow();
  PollHid();
  EXPECT_EQ(MenuItems(), QStringList({"ItemHID0|Quillane (0416/5020)", "ItemSocketCAN0|SocketCAN - fxcan0",
                                      "ItemSocketCAN1|SocketCAN - fxcan1"}));
  const TAdapterDeviceList& entries = window->AdapterDevices();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2]->Description, AdapterKind::SocketCan);
  EXPECT_EQ(entries[2]->SerialNr, "fxcan1");

  // No such interface on this machine: the socket driver is chosen, its open fails and the box
  // says why below the failure.
  const QString failure = Choose(MenuItem(QStringLiteral("ItemSocketCAN1")));
  EXPECT_TRUE(failure.startsWith(QStringLiteral("Connect to CAN device is failed\n\nfxcan1: "))) << failure.toStdString();
  EXPECT_TRUE(failure.endsWith(QLatin1Char('.'))) << failure.toStdString();
  EXPECT_EQ(window->Adapter().Adapter(), &window->SocketDriver());
  EXPECT_FALSE(window->Adapter().Connected());
  EXPECT_EQ(window->Adapter().GetFilterCount(), TZelCanSocket::kMaxFilters);
}

TEST_F(ConnectFixture, ImportedLogFillsTheListsOnlyWhileNoDeviceIsOpen) {
  TfCANUSBMain& w = OpenWindow();
  QAction* import = w.TracePage->actionImportTraceLog;
  EXPECT_TRUE(import->isEnabled());
  ASSERT_TRUE(w.ImportTraceLog(TestDataFile("f11-kcan.log")));
  EXPECT_EQ(TraceRows(), 35767u);
  EXPECT_EQ(w.Traffic().Monitor().RowCount(), 119u);
  EXPECT_EQ(w.TracePage->Panel18()->text(), " Messages count: 35767");
  EXPECT_EQ(w.Traffic().Trace().Row(0).Msg.Time, 0);

  QStringList warnings;
  SetUserMessageHandler([&](TUserMessageKind, const QString&, const QString& text) { warnings << text; });
  const std::string bad = WriteLog(std::string(kFourFrames) + "(1700000000.040000) can0 123#1\n");
  EXPECT_FALSE(w.ImportTraceLog(QString::fromStdString(bad)));
  SetUserMessageHandler(nullptr);
  EXPECT_EQ(warnings, QStringList({"Line 5 of the log file is not a CAN frame; the 4 frames before it were imported."}));
  EXPECT_EQ(TraceRows(), 35771u);

  // The dialog offers every format read; a BLF log picked there is entered.
  {
    std::ifstream in(TestDataPath("f11-kcan.log"));
    QFile blf(QString::fromStdString(runtime.Path() + "/kcan.blf"));
    ASSERT_TRUE(blf.open(QIODevice::WriteOnly));
    const std::unique_ptr<TLogWriter> writer = MakeLogWriter(TLogFormat::Blf, blf);
    for (const TCandumpFrame& frame : ReadLogFile(*MakeLogReader(TLogFormat::Candump, in)).Frames) writer->Write(frame);
    ASSERT_TRUE(writer->Finish());
  }
  QStringList filters;
  OnNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->objectName(), QStringLiteral("dlgImportLog"));
    filters = dialog->nameFilters();
    dialog->selectFile(QString::fromStdString(runtime.Path() + "/kcan.blf"));
    // selectFile leaves the name field alone while it has the focus; type it as a user would.
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
      name->setText(QString::fromStdString(runtime.Path() + "/kcan.blf"));
    QMetaObject::invokeMethod(dialog, "accept");
  });
  import->trigger();
  EXPECT_EQ(filters, QStringList({"Log files (*.log *.asc *.blf *.trc *.csv)", "candump log (*.log)", "ASC log (*.asc)",
                                  "BLF log (*.blf)", "TRC trace (*.trc)", "SavvyCAN CSV (*.csv)", "All files (*)"}));
  EXPECT_EQ(TraceRows(), 35771u + 35767u);

  w.UpdateConnectionState(true, QStringLiteral("can0"));
  EXPECT_FALSE(import->isEnabled());
  w.UpdateConnectionState(false, QString());
  EXPECT_TRUE(import->isEnabled());
}

// --- an adapter that goes away during a capture ------------------------------------------------

namespace {
// Collects what the window tells the user through the message handler.
// The notice of a lost adapter: the texts it came up with, and whether it is on screen now.
struct LossNotices : QObject {
  LossNotices() { qApp->installEventFilter(this); }
  ~LossNotices() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("LossNotice"))
      texts << static_cast<QMessageBox*>(watched)->text();
    return false;
  }
  static bool OnScreen() {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->objectName() == QStringLiteral("LossNotice") && widget->isVisible()) return true;
    return false;
  }
  QStringList texts;
};
}  // namespace

TEST_F(ConnectFixture, KilledSimulatorIsClosedReportedOnceAndReopenedWhenItIsBack) {
  StoreSetting(QStringLiteral("CanBitRate"), 250);
  auto sim = StartSim();
  TfCANUSBMain& w = OpenWindow();
  LossNotices messages;
  ASSERT_EQ(Choose(MenuItem(QStringLiteral("ItemUSBAC0"))), QString());
  ASSERT_TRUE(QTest::qWaitFor([&] { return TraceRows() >= 3; }, 5000)) << "the demo bus sent nothing";
  const TCanMsgProg firstRow = w.Traffic().Trace().Row(0).Msg;

  sim->Stop(SIGKILL);  // its announcement stays behind, pointing at a terminal that is gone
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Adapter().Connected(); }, 5000)) << "the loss went unnoticed";
  const std::size_t rowsAtLoss = TraceRows();
  EXPECT_GE(rowsAtLoss, 3u) << "every captured row is kept";
  EXPECT_FALSE(w.ReaderThread().Runing());
  EXPECT_EQ(Panel(1), QStringLiteral("Closed"));
  EXPECT_EQ(Panel(2), QStringLiteral("Lost: SIM00001 - waiting"));
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("SIM00001"))) << messages.texts[0].toStdString();
  EXPECT_TRUE(LossNotices::OnScreen());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the notice blocks nothing";
  EXPECT_TRUE(w.ReturnWatch().Awaiting());
  EXPECT_TRUE(w.actionDisconnect->isEnabled()) << "Close ends the wait";
  EXPECT_FALSE(w.actionOptions->isEnabled()) << "the settings it reopens with stay as they were";
  EXPECT_FALSE(w.actionProjectOpen->isEnabled());

  // Listed but not there: the reopen fails quietly, again and again.
  QTest::qWait(2500);
  EXPECT_FALSE(w.Adapter().Connected());
  EXPECT_EQ(messages.texts.size(), 1);

  auto back = StartSim();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Adapter().Connected(); }, 10'000)) << "not reopened";
  EXPECT_EQ(Panel(1), QStringLiteral("Opened"));
  EXPECT_EQ(Panel(2), QStringLiteral("SIM00001"));
  EXPECT_EQ(Panel(3), QStringLiteral("250 Kbit/s"));
  EXPECT_FALSE(w.ReturnWatch().Awaiting());
  EXPECT_EQ(messages.texts.size(), 1) << "coming back is shown in the status bar only";
  EXPECT_FALSE(LossNotices::OnScreen()) << "the notice of the loss went with it";
  ASSERT_TRUE(QTest::qWaitFor([&] { return TraceRows() > rowsAtLoss; }, 5000)) << "the capture goes on";
  EXPECT_EQ(w.Traffic().Trace().Row(0).Msg.CanId, firstRow.CanId);
  EXPECT_EQ(w.Traffic().Trace().Row(0).Msg.Time, firstRow.Time);

  EXPECT_EQ(Choose(w.actionDisconnect), QString());
  EXPECT_EQ(Panel(1), QStringLiteral("Closed"));
  EXPECT_EQ(Panel(2), QString());
  EXPECT_TRUE(w.actionOptions->isEnabled());
}

TEST_F(ConnectFixture, CloseEndsTheWaitForALostAdapter) {
  auto sim = StartSim();
  TfCANUSBMain& w = OpenWindow();
  LossNotices messages;
  ASSERT_EQ(Choose(MenuItem(QStringLiteral("ItemUSBAC0"))), QString());
  sim->Stop(SIGTERM);  // a clean end withdraws the announcement
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.ReturnWatch().Awaiting(); }, 5000));
  EXPECT_EQ(messages.texts.size(), 1);

  w.actionDisconnect->trigger();
  EXPECT_FALSE(w.ReturnWatch().Awaiting());
  EXPECT_FALSE(w.actionDisconnect->isEnabled());
  EXPECT_TRUE(w.actionOptions->isEnabled());
  EXPECT_TRUE(w.actionConnect->isEnabled());
  EXPECT_EQ(Panel(1), QStringLiteral("Closed"));
  EXPECT_EQ(Panel(2), QString());

  auto back = StartSim();
  QTest::qWait(2500);
  EXPECT_FALSE(w.Adapter().Connected()) << "nobody waits for it any more";
  EXPECT_EQ(messages.texts.size(), 1);
}

TEST_F(ConnectFixture, UnpluggedHidAdapterIsReopenedWhenPluggedInAgain) {
  std::shared_ptr<ScriptedHidAdapter> adapter = hidBus->Plug(kQuillane);
  TfCANUSBMain& w = OpenWindow();
  LossNotices messages;
  PollHid();
  ASSERT_EQ(Choose(MenuItem(QStringLiteral("ItemHID0"))), QString());
  ASSERT_TRUE(w.Adapter().Connected());

  hidBus->Unplug(kQuillane.Path);
  PollHid();
  EXPECT_FALSE(w.Adapter().Connected());
  EXPECT_EQ(Panel(2), QStringLiteral("Lost: Quillane - waiting"));
  EXPECT_EQ(messages.texts.size(), 1);

  QTest::qWait(1200);
  EXPECT_FALSE(w.Adapter().Connected()) << "not listed, not opened";

  std::shared_ptr<ScriptedHidAdapter> again = hidBus->Plug(kQuillane);
  PollHid();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Adapter().Connected(); }, 5000));
  EXPECT_EQ(w.Adapter().Adapter(), &w.HidDriver());
  EXPECT_EQ(Panel(1), QStringLiteral("Opened"));
  EXPECT_EQ(Panel(2), QStringLiteral("Quillane"));
  EXPECT_EQ(messages.texts.size(), 1);
  EXPECT_EQ(Choose(w.actionDisconnect), QString());
}

// --- a long session of modal boxes ends in a window that still closes ----------------------

namespace {
// Runs `session` inside the application's own event loop, as the program does; Qt quits on
// its own only while that loop runs. True when the session came to its end and nothing but
// the session ended the loop.
bool RunInApplicationLoop(const std::function<void()>& session) {
  constexpr int kSessionDone = 42;
  QTimer::singleShot(0, [&] {
    session();
    QCoreApplication::exit(kSessionDone);
  });
  return QApplication::exec() == kSessionDone;
}
}  // namespace

// Every modal box on the way (file dialogs, the options, the refused search) runs an event loop
// of its own inside a user action; none of them may leave the window unable to close. Keys
// and closes take the window system's path, where modality and the last-window rule apply.
TEST_F(ConnectFixture, AfterASessionOfModalBoxesTheWindowStillAsksAndCloses) {
  // The program's own message boxes, not the tests' stderr lines.
  const TUserMessageHandler previous = SetUserMessageHandler({});
  InstallMessageBoxHandler();
  auto sim = StartSim();
  TfCANUSBMain& w = OpenWindow();
  ShowActive();
  const bool ended = RunInApplicationLoop([&] {
    const QString project = QString::fromStdString(runtime.Path() + "/session.fxproj");
    w.FileDialogRunner = [&](QFileDialog&) { return project; };
    w.actionProjectSaveAs->trigger();
    ASSERT_TRUE(QFileInfo::exists(project));
    w.actionProjectOpen->trigger();
    w.FileDialogRunner = nullptr;

    // "Format Data": decode, export through its dialog, close with its close button.
    w.TracePage->actionBMW->trigger();
    ASSERT_TRUE(w.fFormatData->isVisible());
    w.fFormatData->actionDecode->trigger();
    QPointer<QTimer> save = OnNextModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(runtime.Path() + "/units.txt"));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    w.fFormatData->actionExport->trigger();
    delete save.data();
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(runtime.Path() + "/units.txt")));
    EXPECT_TRUE(w.fFormatData->windowHandle()->close());
    EXPECT_FALSE(w.fFormatData->isVisible());

    w.actionProjectNew->trigger();
    QPointer<QTimer> import = OnNextModal([](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(TestDataFile("gvret.log"));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    w.TracePage->actionImportTraceLog->trigger();
    delete import.data();
    ASSERT_GT(TraceRows(), 0u);
    QPointer<QTimer> cancel = OnNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    w.actionOptions->trigger();
    delete cancel.data();

    ASSERT_EQ(Choose(MenuItem(QStringLiteral("ItemUSBAC0"))), QString());
    ASSERT_TRUE(w.Adapter().Connected());
    QString refused;
    QPointer<QTimer> dismiss = OnNextModal([&](QWidget* modal) {
      refused = static_cast<QMessageBox*>(modal)->text();
      QTest::keyClick(modal->windowHandle(), Qt::Key_Return);
    });
    w.TracePage->edSearchTrace()->setFocus();
    QTest::keyClick(w.windowHandle(), Qt::Key_1);
    delete dismiss.data();
    EXPECT_EQ(refused, QStringLiteral("Please stop the data tracing."));
    EXPECT_TRUE(w.TracePage->edSearchTrace()->text().isEmpty());

    // The first close asks and is refused; the window stays and still answers every command.
    QString question;
    QPointer<QTimer> no = AnswerNextMessageBox(QMessageBox::Cancel, &question);
    EXPECT_FALSE(w.windowHandle()->close());
    delete no.data();
    EXPECT_EQ(question, QStringLiteral("Project was changed. Exit without saving?"));
    EXPECT_FALSE(w.Adapter().Connected()) << "the close closed the adapter";
    ASSERT_TRUE(w.isVisible());

    QString warning;
    QPointer<QTimer> ok = AnswerNextMessageBox(QMessageBox::Ok, &warning);
    w.actionProjectNew->trigger();
    delete ok.data();
    EXPECT_EQ(warning, QStringLiteral("All unsaved data will be deleted."));
    EXPECT_EQ(TraceRows(), 0u);

    question.clear();
    w.Traffic().Trace().AddToTrace(TCanMsgProg{}, true);
    QPointer<QTimer> yes = AnswerNextMessageBox(QMessageBox::Yes, &question);
    w.actionCloseProgramm->trigger();
    delete yes.data();
    EXPECT_EQ(question, QStringLiteral("Project was changed. Exit without saving?"));
    EXPECT_FALSE(w.isVisible());
  });
  EXPECT_TRUE(ended) << "the session did not come to its end, or something else ended the event loop";
  window.reset();
  SetUserMessageHandler(previous);
}

// --- a kernel CAN interface ----------------------------------------------------------------

// Runs where FERROLUX_KERNEL_VCAN names a vcan interface that is up and the test may take
// down, bring up and delete (the SocketCAN stage of the test guest); skipped elsewhere.
TEST_F(ConnectFixture, KernelInterfaceCapturePausesWhileDownAndIsLostWhenDeleted) {
  const QString vcan = qEnvironmentVariable("FERROLUX_KERNEL_VCAN");
  if (vcan.isEmpty()) GTEST_SKIP() << "needs a kernel vcan interface (the test guest's SocketCAN stage)";
  const std::string name = vcan.toStdString();
  const auto run = [](const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; };
  qunsetenv("FERROLUX_SYSFS_NET");  // the kernel's own interfaces
  TfCANUSBMain& w = OpenWindow();
  LossNotices messages;
  QAction* item = nullptr;
  for (const QString& entry : MenuItems())
    if (entry.endsWith(QStringLiteral("|SocketCAN - ") + vcan)) item = MenuItem(entry.section(QLatin1Char('|'), 0, 0));
  ASSERT_NE(item, nullptr) << "the menu lists no " << name;
  ASSERT_EQ(Choose(item), QString());
  ASSERT_TRUE(w.Adapter().Connected());
  EXPECT_EQ(Panel(3), QStringLiteral("virtual interface"));

  run("cansend " + name + " 123#1122");
  ASSERT_TRUE(QTest::qWaitFor([&] { return TraceRows() == 1; }, 30'000)) << "the frame did not reach the trace";
  EXPECT_EQ(w.Traffic().Trace().Row(0).Msg.CanId, 0x123);

  run("ip link set " + name + " down");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Panel(3) == QStringLiteral("interface down"); }, 30'000)) << Panel(3).toStdString();
  EXPECT_TRUE(w.Adapter().Connected()) << "a down interface is a pause";
  run("ip link set " + name + " up");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Panel(3) == QStringLiteral("virtual interface"); }, 30'000)) << Panel(3).toStdString();
  run("cansend " + name + " 456#33");
  ASSERT_TRUE(QTest::qWaitFor([&] { return TraceRows() == 2; }, 30'000)) << "nothing received after the pause";
  EXPECT_TRUE(messages.texts.isEmpty());

  run("ip link del " + name);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Adapter().Connected(); }, 30'000)) << "the loss went unnoticed";
  EXPECT_EQ(Panel(2), QStringLiteral("Lost: ") + vcan + QStringLiteral(" - waiting"));
  EXPECT_EQ(messages.texts.size(), 1);
  EXPECT_EQ(TraceRows(), 2u) << "every captured row is kept";
  EXPECT_EQ(Choose(w.actionDisconnect), QString());
}
