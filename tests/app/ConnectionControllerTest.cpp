#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/ConnectionController.h"
#include "support/ScriptedDriver.h"

namespace {

template <typename Pred>
bool WaitUntil(Pred pred) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class OpenRecorder : public ScriptedDriver {
 public:
  std::int32_t OpenDevice(const std::string& name, std::uint16_t bitRate, std::int32_t btr) override {
    opened.push_back(name);
    lastBitRate = bitRate;
    lastBtr = btr;
    lastFilter = AcceptanceFilter;
    lastMask = AcceptanceMask;
    if (openResult == 0) SetDeviceLost(false);
    FOpenProblem = openResult == 0 ? QString() : problem;
    return openResult;
  }
  std::int32_t CloseDevice() override {
    ++closes;
    readsAtClose = Reads();
    return closeResult;
  }
  std::vector<std::string> opened;
  std::uint16_t lastBitRate = 0;
  std::int32_t lastBtr = 0;
  std::uint32_t lastFilter = 0, lastMask = 0;
  std::int32_t openResult = 0, closeResult = 0;
  QString problem;  // what a failing open says
  int closes = 0;
  long readsAtClose = -1;
};

struct Connection : ::testing::Test {
  OpenRecorder vendor, serial, hid;
  TZelCanAdapter facade;
  ReceiveQueue queue;
  TBMDThread reader;
  TConnectionController controller{facade, {&vendor, &serial, &hid}, queue, reader};
  std::vector<std::pair<bool, QString>> states;

  void SetUp() override {
    controller.BitRateSettings = [] { return TBitRateSettings{0, 0x00, 0x1C}; };
    controller.OnStateChanged = [this](bool c, const QString& n) { states.emplace_back(c, n); };
  }
  void TearDown() override { reader.Stop(); reader.WaitFor(); }
};

}  // namespace

TEST_F(Connection, MenuEntryPicksTheDriverOfItsKind) {
  const auto items = BuildConnectMenu({{"CANUSB", "A1B2C3"}, {"CAN-IF", "SIM00001"}}, {{"Quillane (0416:5020)", "Quillane", "H"}});
  ASSERT_TRUE(controller.ConnectTo(*items[0].Device, {}));
  EXPECT_EQ(facade.Adapter(), &vendor);
  EXPECT_EQ(vendor.opened, std::vector<std::string>{"A1B2C3"});
  EXPECT_EQ(vendor.lastBitRate, 0);
  EXPECT_EQ(vendor.lastBtr, 0x001C);
  ASSERT_TRUE(controller.Disconnect());

  ASSERT_TRUE(controller.ConnectTo(*items[1].Device, {}));
  EXPECT_EQ(facade.Adapter(), &serial);
  ASSERT_TRUE(controller.Disconnect());

  ASSERT_TRUE(controller.ConnectTo(*items[2].Device, "Quillane"));
  EXPECT_EQ(facade.Adapter(), &hid);
  EXPECT_EQ(hid.opened, std::vector<std::string>{"Quillane"});
  EXPECT_EQ(controller.DeviceName(), "Quillane");
}

TEST_F(Connection, FiltersAreHandedOverBeforeOpenAndTheQueueIsCleared) {
  controller.GetHardwareFilters = [] { return TCanFilters{{0x247F001F, 0x001F001F}, {1, 2}}; };
  queue.Enqueue(std::make_unique<TCanMsgProg>());
  const auto items = BuildConnectMenu({{"CAN-IF", "S"}}, {});
  ASSERT_TRUE(controller.ConnectTo(*items[0].Device, {}));
  EXPECT_EQ(serial.lastFilter, 0x247F001Fu);
  EXPECT_EQ(serial.lastMask, 0x001F001Fu);
  EXPECT_TRUE(facade.Connected());
  ASSERT_EQ(states.size(), 1u);
  EXPECT_EQ(states[0], std::make_pair(true, QString("S")));
  ASSERT_TRUE(controller.Disconnect());
  EXPECT_EQ(queue.Count(), 0u) << "frames of an earlier connection are discarded";
}

TEST_F(Connection, FailedOpenStaysDisconnectedAndStartsNoReader) {
  serial.openResult = 1;
  const auto items = BuildConnectMenu({{"CAN-IF", "S"}}, {});
  EXPECT_FALSE(controller.ConnectTo(*items[0].Device, {}));
  EXPECT_FALSE(facade.Connected());
  EXPECT_FALSE(reader.Runing());
  EXPECT_TRUE(states.empty());
  EXPECT_EQ(controller.OpenFailureText(), QStringLiteral("Connect to CAN device is failed"));

  // A driver that can tell why has its reason below the failure; a later success clears it.
  serial.problem = QStringLiteral("S is down and the kernel refused to bring it up");
  EXPECT_FALSE(controller.ConnectTo(*items[0].Device, {}));
  EXPECT_EQ(controller.OpenFailureText(),
            QStringLiteral("Connect to CAN device is failed\n\nS is down and the kernel refused to bring it up."));
  serial.openResult = 0;
  EXPECT_TRUE(controller.ConnectTo(*items[0].Device, {}));
  EXPECT_TRUE(serial.OpenProblem().isEmpty());
}

TEST_F(Connection, OpenCommandFindsVendorThenHidThenKeepsTheEarlierDriver) {
  ASSERT_TRUE(controller.ConnectAuto({{"CAN-IF", "S"}, {"CANUSB", "V1"}}, {{"Quillane (0416:5020)", "Quillane", "H"}}));
  EXPECT_EQ(facade.Adapter(), &vendor);
  ASSERT_TRUE(controller.Disconnect());
  ASSERT_TRUE(controller.ConnectAuto({{"CAN-IF", "S"}}, {{"Other (1:2)", "Other", "X"}, {"Quillane (0416:5020)", "Quillane", "H"}}));
  EXPECT_EQ(facade.Adapter(), &hid);
  EXPECT_EQ(hid.opened.back(), "Quillane");
  ASSERT_TRUE(controller.Disconnect());
  ASSERT_TRUE(controller.ConnectAuto({}, {}));
  EXPECT_EQ(facade.Adapter(), &hid) << "nothing found: the earlier driver stays";
  EXPECT_EQ(hid.opened.back(), "");
}

TEST_F(Connection, OpenCommandWithoutAnyDriverFails) {
  EXPECT_FALSE(controller.ConnectAuto({}, {}));
}

TEST_F(Connection, CloseWaitsForTheReaderAndAFailedCloseStaysConnected) {
  serial.Script({{1, 5}}, /*repeatLast=*/true);
  const auto items = BuildConnectMenu({{"CAN-IF", "S"}}, {});
  ASSERT_TRUE(controller.ConnectTo(*items[0].Device, {}));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (queue.Count() < 100 && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  serial.closeResult = 1;
  EXPECT_FALSE(controller.Disconnect());
  EXPECT_TRUE(facade.Connected());
  EXPECT_EQ(serial.readsAtClose, serial.Reads()) << "no read after the close began";
  EXPECT_FALSE(reader.Runing());
  serial.closeResult = 0;
  EXPECT_TRUE(controller.Disconnect());
  EXPECT_FALSE(facade.Connected());
  EXPECT_EQ(states.back(), std::make_pair(false, QString()));
}

// --- an adapter that goes away --------------------------------------------------------------

TEST_F(Connection, LostDeviceStopsTheReaderAndReopenUsesTheSettingsOfTheFirstConnect) {
  controller.GetHardwareFilters = [] { return TCanFilters{{0x123, 0x7FF}}; };
  const auto items = BuildConnectMenu({{"CAN-IF", "SIM00001"}}, {});
  serial.Script({{1, 3}, {1, 2, /*loseDevice=*/true}, {1, 5}});
  ASSERT_TRUE(controller.ConnectTo(*items[0].Device, {}));
  EXPECT_EQ(controller.LastOpened().Kind, AdapterKind::AcUsb);
  EXPECT_EQ(controller.LastOpened().SerialNr, QStringLiteral("SIM00001"));

  ASSERT_TRUE(WaitUntil([&] { return !reader.Runing(); })) << "the reader stops by itself";
  EXPECT_TRUE(controller.DeviceLost());
  EXPECT_EQ(queue.Count(), 5u) << "the frames of the read that noticed the loss are kept";
  EXPECT_EQ(serial.Reads(), 2) << "a lost device is not read again";
  ASSERT_TRUE(controller.Disconnect());
  EXPECT_FALSE(controller.DeviceLost()) << "only an open device can be lost";

  // The user's settings change meanwhile; the adapter comes back as it was.
  controller.GetHardwareFilters = [] { return TCanFilters{{0x456, 0x000}}; };
  controller.BitRateSettings = [] { return TBitRateSettings{125, 0, 0}; };
  serial.Script({{1, 1}});
  ASSERT_TRUE(controller.Reopen());
  EXPECT_EQ(facade.Adapter(), &serial);
  EXPECT_EQ(serial.opened, (std::vector<std::string>{"SIM00001", "SIM00001"}));
  EXPECT_EQ(serial.lastBitRate, 0);
  EXPECT_EQ(serial.lastBtr, 0x001C);
  EXPECT_EQ(serial.lastFilter, 0x123u);
  EXPECT_EQ(serial.lastMask, 0x7FFu);
  EXPECT_FALSE(controller.DeviceLost());
  EXPECT_TRUE(reader.Runing());
  EXPECT_FALSE(controller.Reopen()) << "already open";
  ASSERT_TRUE(WaitUntil([&] { return queue.Count() == 1; })) << "the queue was cleared by the reopen, then filled";
  ASSERT_TRUE(controller.Disconnect());
  EXPECT_EQ(states.back(), std::make_pair(false, QString()));
}

TEST_F(Connection, ReopenFailsQuietlyUntilTheDeviceOpensAndNeedsAnEarlierConnect) {
  EXPECT_FALSE(controller.Reopen()) << "nothing was opened yet";
  const auto items = BuildConnectMenu({{"CAN-IF", "SIM00001"}}, {});
  ASSERT_TRUE(controller.ConnectTo(*items[0].Device, {}));
  ASSERT_TRUE(controller.Disconnect());
  const std::size_t reported = states.size();
  serial.openResult = 1;
  EXPECT_FALSE(controller.Reopen());
  EXPECT_FALSE(controller.Connected());
  EXPECT_FALSE(reader.Runing());
  EXPECT_EQ(states.size(), reported) << "a failed reopen changes no state";
  serial.openResult = 0;
  facade.SetAdapter(&vendor);  // another driver was chosen meanwhile
  EXPECT_TRUE(controller.Reopen());
  EXPECT_EQ(facade.Adapter(), &serial);
  ASSERT_TRUE(controller.Disconnect());
}
