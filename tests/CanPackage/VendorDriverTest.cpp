#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <thread>

#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanUsb.h"
#include "platform/UserMessage.h"
#include "support/CoreApplication.h"

namespace {

const char* const kSettings[] = {"FAKE_CANUSB_ADAPTERS", "FAKE_CANUSB_OPEN_HANDLE", "FAKE_CANUSB_CLOSE_RESULT",
                                 "FAKE_CANUSB_READ_STATUS", "FAKE_CANUSB_WRITE_STATUS", "FAKE_CANUSB_VERSION"};

class VendorDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCoreApplication();
    for (const char* name : kSettings) unsetenv(name);
    logPath = dir.filePath("calls.log").toStdString();
    setenv("FAKE_CANUSB_LOG", logPath.c_str(), 1);
    previousHandler = SetUserMessageHandler([this](TUserMessageKind, const QString&, const QString& text) {
      messages.append(text);
    });
    driver.FOnConnectionChange = [this](bool c) { connectionEvents.push_back(c); };
  }
  void TearDown() override {
    (void)driver.CloseDevice();
    SetUserMessageHandler(previousHandler);
    unsetenv("FAKE_CANUSB_LOG");
  }

  // The library's calls since the last look.
  QStringList Calls() {
    QFile file(QString::fromStdString(logPath));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    file.close();
    file.remove();
    return lines;
  }

  QTemporaryDir dir;
  std::string logPath;
  TUserMessageHandler previousHandler;
  QStringList messages;
  std::vector<bool> connectionEvents;
  TZelCanUsb driver;
};

}  // namespace

TEST_F(VendorDriver, OpenPassesBitRateTextFilterAndFlags) {
  EXPECT_EQ(driver.OpenDevice("A1B2C3", 500, 0), 0);
  EXPECT_TRUE(driver.Connected());
  EXPECT_EQ(driver.Handle(), 7);
  EXPECT_EQ(Calls(), (QStringList{"load", "Open A1B2C3 500 00000000 FFFFFFFF 1"}));

  EXPECT_EQ(driver.OpenDevice("A1B2C3", 0, 0x0014), 0);
  EXPECT_EQ(Calls(), (QStringList{"Flush 7 0", "Close 7", "unload", "load", "Open A1B2C3 0:20 00000000 FFFFFFFF 1"}))
      << "an open channel is closed and the library reloaded first";
  EXPECT_EQ(TZelCanUsb::BitRateText(0, 0x031C), "3:28");
  EXPECT_EQ(TZelCanUsb::BitRateText(1000, 0x031C), "1000");
  EXPECT_EQ(connectionEvents, (std::vector<bool>{true, false, true}));
}

TEST_F(VendorDriver, FilterStoredByteReversed) {
  driver.SetCanFilter({{0x12345678, 0x0000FFFF}, {1, 1}});
  EXPECT_EQ(driver.AcceptanceFilter, 0x78563412u);
  EXPECT_EQ(driver.AcceptanceMask, 0xFFFF0000u);
  driver.SetCanFilter({});
  EXPECT_EQ(driver.AcceptanceFilter, 0x78563412u) << "an empty list keeps the pair";
  ASSERT_EQ(driver.OpenDevice("X", 125, 0), 0);
  EXPECT_EQ(Calls().last(), "Open X 125 78563412 FFFF0000 1");
}

TEST_F(VendorDriver, OpenRefusedByTheLibrary) {
  setenv("FAKE_CANUSB_OPEN_HANDLE", "0", 1);
  EXPECT_EQ(driver.OpenDevice("X", 500, 0), 1);
  EXPECT_FALSE(driver.Connected());
  EXPECT_EQ(connectionEvents, std::vector<bool>{false});
  PCanMsgProgs msgs;
  EXPECT_EQ(driver.ReadData(msgs), CanResult::NoMessage);
  EXPECT_EQ(driver.CloseDevice(), 0);
  EXPECT_EQ(Calls(), (QStringList{"load", "Open X 500 00000000 FFFFFFFF 1", "unload"}));
}

TEST_F(VendorDriver, CloseFailureStillDropsHandleAndLibrary) {
  ASSERT_EQ(driver.OpenDevice("X", 500, 0), 0);
  setenv("FAKE_CANUSB_CLOSE_RESULT", "0", 1);
  (void)Calls();
  EXPECT_EQ(driver.CloseDevice(), 1);
  EXPECT_EQ(Calls(), (QStringList{"Flush 7 0", "Close 7", "unload"}));
  EXPECT_EQ(driver.Handle(), 0);
  EXPECT_FALSE(driver.IsLibraryLoaded());
  EXPECT_FALSE(driver.Connected()) << "nothing is left to read from";
  EXPECT_EQ(driver.CloseDevice(), 0);
  EXPECT_TRUE(Calls().isEmpty());
}

TEST_F(VendorDriver, CloseWithoutOpenUnloadsAndSucceeds) {
  EXPECT_EQ(driver.CloseDevice(), 0);
  EXPECT_TRUE(Calls().isEmpty());
  EXPECT_FALSE(driver.IsLibraryLoaded());
  EXPECT_TRUE(connectionEvents.empty());
}

TEST_F(VendorDriver, ReadAndWritePassStatusesAndFrames) {
  ASSERT_EQ(driver.OpenDevice("X", 500, 0), 0);
  PCanMsgProgs msgs;
  EXPECT_EQ(driver.ReadData(msgs), -7);
  EXPECT_TRUE(msgs.empty());
  setenv("FAKE_CANUSB_READ_STATUS", "-5", 1);
  EXPECT_EQ(driver.ReadData(msgs), -5);
  EXPECT_TRUE(msgs.empty());
  setenv("FAKE_CANUSB_READ_STATUS", "1", 1);
  ASSERT_EQ(driver.ReadData(msgs), 1);
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0]->CanId, 0x18DAF110);
  EXPECT_TRUE(msgs[0]->Extended);
  EXPECT_EQ(msgs[0]->DLC, 3);
  EXPECT_EQ(msgs[0]->Data[2], 3);
  EXPECT_EQ(msgs[0]->Time, 4660);

  TCanMsgProg out;
  out.CanId = 0x118DAF110;  // only the low 32 bits travel
  out.Extended = true;
  out.RTR = true;
  out.DLC = 0x102;
  out.Data = {0xDE, 0xAD, 0, 0, 0, 0, 0, 0xEF};
  out.Time = 99;
  setenv("FAKE_CANUSB_WRITE_STATUS", "-3", 1);
  (void)Calls();
  EXPECT_EQ(driver.WriteData(out), -3);
  EXPECT_EQ(Calls(), QStringList{"Write 7 18DAF110 99 C0 2 DEAD0000000000EF"});
}

TEST_F(VendorDriver, StatusAndVersion) {
  EXPECT_EQ(driver.GetDeviceStatus(), 0);
  EXPECT_EQ(driver.GetDeviceVersionString(), "Versions info not available");
  ASSERT_EQ(driver.OpenDevice("X", 500, 0), 0);
  EXPECT_EQ(driver.GetDeviceStatus(), 0x0C);
  EXPECT_EQ(driver.GetDeviceVersionString(), "HW 1.0 SW 2.1");
  QStringList list;
  setenv("FAKE_CANUSB_VERSION", "-", 1);
  driver.GetDeviceVersion(list);
  setenv("FAKE_CANUSB_VERSION", "V 3", 1);
  driver.GetDeviceDriverVersion(list);
  EXPECT_EQ(list, (QStringList{"Versions info not available", "V 3"}));
}

TEST_F(VendorDriver, AvailableDevices) {
  QStringList none;
  driver.GetAvailableDevices(none);
  EXPECT_EQ(none, QStringList{"<empty>"});
  EXPECT_EQ(Calls(), (QStringList{"load", "FirstAdapter 32", "unload"}));

  setenv("FAKE_CANUSB_ADAPTERS", " A1 ,B2  ,C3", 1);
  QStringList three;
  driver.GetAvailableDevices(three);
  EXPECT_EQ(three, (QStringList{"A1", "B2", "C3"}));
  EXPECT_EQ(Calls(), (QStringList{"load", "FirstAdapter 32", "NextAdapter 32", "NextAdapter 32", "unload"}));

  ASSERT_EQ(driver.OpenDevice("A1", 500, 0), 0);
  QStringList whileOpen;
  driver.GetAvailableDevices(whileOpen);
  EXPECT_EQ(whileOpen.size(), 3);
  EXPECT_TRUE(driver.IsLibraryLoaded()) << "the open channel's library stays";
}

TEST_F(VendorDriver, MissingLibraryIsReportedWithItsNameInCapitals) {
  QTemporaryDir empty;
  driver.SetLibraryDirectory(empty.path().toStdString());
  EXPECT_EQ(driver.OpenDevice("X", 500, 0), 1);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0],
            "LIBCANUSBDRV.SO not found or not loaded. Please install the \"CANUSB DLL driver\" from the adapter "
            "maker's web site, to use this software.");
  EXPECT_TRUE(connectionEvents.empty()) << "nothing else changes";
  EXPECT_FALSE(driver.IsLibraryLoaded());
  EXPECT_EQ(driver.CloseDevice(), 0);
}

TEST_F(VendorDriver, MissingEntryPointAbandonsTheOpen) {
  driver.SetLibraryDirectory(FAKE_CANUSB_PARTIAL_DIR);
  EXPECT_EQ(driver.OpenDevice("X", 500, 0), 1);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("canusb_Status")) << messages[0].toStdString();
  EXPECT_FALSE(driver.IsLibraryLoaded());
  EXPECT_FALSE(driver.Connected());
  EXPECT_EQ(Calls(), (QStringList{"load", "unload"})) << "no entry point was called";
}

TEST_F(VendorDriver, DefaultMessageGoesToStderr) {
  SetUserMessageHandler(nullptr);
  QTemporaryDir empty;
  driver.SetLibraryDirectory(empty.path().toStdString());
  testing::internal::CaptureStderr();
  EXPECT_EQ(driver.OpenDevice("X", 500, 0), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
  EXPECT_NE(err.find("LIBCANUSBDRV.SO not found"), std::string::npos);
}

namespace {
using FireFn = void (*)(const TCanMsg*);

// The frame the adapter reports, from a thread of the library's own.
void FireFromLibraryThread(const TCanMsg& frame) {
  void* lib = dlopen(TCanUsbLibrary::kFileName, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(lib, nullptr);
  auto fire = reinterpret_cast<FireFn>(dlsym(lib, "fake_canusb_fire"));
  ASSERT_NE(fire, nullptr);
  std::thread([&] { fire(&frame); }).join();
  dlclose(lib);
}

void RunEventsUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 200 && !done(); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}
}  // namespace

TEST_F(VendorDriver, ReceiveEventsReachTheFacadeOnTheUserInterfaceThread) {
  TZelCanAdapter facade;
  facade.SetAdapter(&driver);
  struct Seen {
    TZelCanCustomAdapter* sender;
    std::int32_t index, count;
    TRawCanMsg msg;
    QThread* thread;
  };
  std::vector<Seen> seen;
  facade.FOnRxCanData = [&](TZelCanCustomAdapter* s, std::int32_t index, PCanMsg msg, std::int32_t count) {
    seen.push_back({s, index, count, *msg, QThread::currentThread()});
  };
  ASSERT_EQ(driver.OpenDevice("X", 500, 0), 0);
  TCanMsg frame;
  frame.id = 0x123;
  frame.flags = 0x80;
  frame.len = 3;
  frame.data[0] = 0xA1;
  frame.data[7] = 0xA8;
  frame.timestamp = 4660;

  FireFromLibraryThread(frame);
  QCoreApplication::processEvents();
  EXPECT_TRUE(seen.empty()) << "no callback before StartRxEvent";

  driver.StartRxEvent();
  EXPECT_EQ(Calls().last(), "Callback 7 set");
  FireFromLibraryThread(frame);
  RunEventsUntil([&] { return !seen.empty(); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].sender, &driver);
  EXPECT_EQ(seen[0].index, 0);
  EXPECT_EQ(seen[0].count, 1);
  EXPECT_EQ(seen[0].msg.Id, 0x123u);
  EXPECT_EQ(seen[0].msg.Flags, 0x83u) << "flags and length together";
  EXPECT_EQ(seen[0].msg.Data.Bytes[0], 0xA1);
  EXPECT_EQ(seen[0].msg.Data.Bytes[7], 0xA8);
  EXPECT_EQ(seen[0].msg.Time.USec, 4660u);
  EXPECT_EQ(seen[0].msg.Time.Sec, 0u);
  EXPECT_EQ(seen[0].thread, QCoreApplication::instance()->thread());

  facade.FOnRxCanData = [](TZelCanCustomAdapter*, std::int32_t, PCanMsg, std::int32_t) {
    throw std::runtime_error("handler failed");
  };
  FireFromLibraryThread(frame);
  QCoreApplication::processEvents();  // the handler's exception stays inside the driver

  driver.StopRxEvent();
  EXPECT_EQ(Calls(), (QStringList{"Flush 7 0", "Callback 7 none", "Flush 7 0"}));
}

TEST_F(VendorDriver, ReceiveEventQueuedBeforeCloseIsNotRaisedAfterIt) {
  TZelCanAdapter facade;
  facade.SetAdapter(&driver);
  int raised = 0;
  facade.FOnRxCanData = [&](TZelCanCustomAdapter*, std::int32_t, PCanMsg, std::int32_t) { ++raised; };
  ASSERT_EQ(driver.OpenDevice("X", 500, 0), 0);
  driver.StartRxEvent();
  FireFromLibraryThread(TCanMsg{});
  ASSERT_EQ(driver.CloseDevice(), 0);
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(raised, 0);
}
