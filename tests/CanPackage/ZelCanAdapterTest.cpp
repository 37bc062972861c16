#include <gtest/gtest.h>

#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanDriver.h"

namespace {

class RecordingDriver : public TZelCanDriver {
 public:
  std::int32_t OpenDevice(const std::string& name, std::uint16_t bitRate, std::int32_t btr) override {
    openedWith = name;
    openBitRate = bitRate;
    openBtr = btr;
    openedFilter = AcceptanceFilter;
    openedMask = AcceptanceMask;
    SetConnected(true);
    return 0;
  }
  std::int32_t WriteData(TCanMsgProg msg) override {
    written = msg;
    return 0;
  }
  std::string openedWith;
  std::uint16_t openBitRate = 0;
  std::int32_t openBtr = 0;
  std::uint32_t openedFilter = 0, openedMask = 0;
  TCanMsgProg written;
};

}  // namespace

TEST(Facade, AnswersWithoutDriver) {
  TZelCanAdapter facade;
  PCanMsgProgs msgs;
  QStringList list;
  EXPECT_EQ(facade.OpenDevice("x", 500, 0), 1);
  EXPECT_EQ(facade.CloseDevice(), 1);
  EXPECT_EQ(facade.ReadData(msgs), 0);
  EXPECT_EQ(facade.WriteData(TCanMsgProg{}), 0);
  EXPECT_EQ(facade.GetFilterCount(), 0);
  EXPECT_EQ(facade.GetDeviceStatus(), 0);
  EXPECT_EQ(facade.SetParameter(), 1);
  EXPECT_EQ(facade.GetDeviceVersionString(), "");
  facade.GetAvailableDevices(list);
  facade.SetFilter({{1, 2}});
  EXPECT_TRUE(list.isEmpty());
  EXPECT_TRUE(msgs.empty());
}

TEST(Facade, BaseDriverBehaviourIsForwarded) {
  TZelCanCustomAdapter base;
  TZelCanAdapter facade;
  facade.SetAdapter(&base);
  EXPECT_EQ(facade.OpenDevice("x", 0, 0), 0);
  EXPECT_EQ(facade.WriteData(TCanMsgProg{}), -1);
  EXPECT_EQ(facade.GetDeviceVersionString(), "?");
  EXPECT_EQ(facade.GetFilterCount(), 0);
}

TEST(Facade, ForwardsOpenArgumentsAndFrames) {
  RecordingDriver driver;
  TZelCanAdapter facade;
  facade.SetAdapter(&driver);
  EXPECT_EQ(facade.OpenDevice("SIM00001", 0, 0x80D8), 0);
  EXPECT_EQ(driver.openedWith, "SIM00001");
  EXPECT_EQ(driver.openBtr, 0x80D8);
  TCanMsgProg msg;
  msg.CanId = 0x123;
  msg.DLC = 2;
  msg.Data[0] = 0x11;
  facade.WriteData(msg);
  EXPECT_EQ(driver.written.CanId, 0x123);
  EXPECT_EQ(driver.written.Data[0], 0x11);
  EXPECT_EQ(facade.GetFilterCount(), 1);
}

TEST(SetFilter, EmptyOneAndThreeFilters) {
  RecordingDriver driver;
  TZelCanAdapter facade;
  facade.SetAdapter(&driver);

  facade.SetFilter({});
  facade.OpenDevice("a", 500, 0);
  EXPECT_EQ(driver.openedFilter, 0u);
  EXPECT_EQ(driver.openedMask, 0xFFFFFFFFu);

  facade.SetFilter({{0x24600000, 0x001FFFFF}});
  EXPECT_EQ(driver.openedFilter, 0u) << "takes effect at the next open only";
  facade.OpenDevice("a", 500, 0);
  EXPECT_EQ(driver.openedFilter, 0x24600000u);
  EXPECT_EQ(driver.openedMask, 0x001FFFFFu);

  facade.SetFilter({{1, 2}, {3, 4}, {5, 6}});
  facade.OpenDevice("a", 500, 0);
  EXPECT_EQ(driver.openedFilter, 1u);
  EXPECT_EQ(driver.openedMask, 2u);

  facade.SetFilter({});
  facade.OpenDevice("a", 500, 0);
  EXPECT_EQ(driver.openedFilter, 1u) << "an empty list keeps the stored pair";
}

TEST(SetAdapter, SameDriverRegistersOnceAndPreviousKeepsItsLink) {
  RecordingDriver first, second;
  TZelCanAdapter facade;
  int raised = 0;
  facade.FOnRxCanData = [&](TZelCanCustomAdapter* sender, std::int32_t, PCanMsg, std::int32_t count) {
    EXPECT_EQ(sender, &first);
    raised += count;
  };
  facade.SetAdapter(&first);
  TCanEventLink* link = first.CanEventLink();
  ASSERT_NE(link, nullptr);
  first.UnRegisterEventLink(link);
  facade.SetAdapter(&first);
  EXPECT_EQ(first.CanEventLink(), nullptr) << "setting the active driver again does nothing";

  first.RegisterEventLink(link);
  facade.SetAdapter(&second);
  EXPECT_EQ(first.CanEventLink(), link);
  EXPECT_EQ(second.CanEventLink(), link);
  TRawCanMsg raw;
  first.CanEventLink()->RxCanData()(&first, 0, &raw, 1);
  EXPECT_EQ(raised, 1);
}

TEST(SetAdapter, RemovingTheActiveDriverLeavesNone) {
  TZelCanAdapter facade;
  {
    RecordingDriver driver;
    facade.SetAdapter(&driver);
    EXPECT_EQ(facade.Adapter(), &driver);
  }
  EXPECT_EQ(facade.Adapter(), nullptr);
  EXPECT_EQ(facade.OpenDevice("x", 500, 0), 1);
}

TEST(SetAdapter, DriverOutlivingTheFacadeDropsItsLink) {
  RecordingDriver driver;
  {
    TZelCanAdapter facade;
    facade.SetAdapter(&driver);
    ASSERT_NE(driver.CanEventLink(), nullptr);
  }
  EXPECT_EQ(driver.CanEventLink(), nullptr);
}

TEST(Driver, ConnectionChangeRaisedOnEverySet) {
  RecordingDriver driver;
  std::vector<bool> seen;
  driver.FOnConnectionChange = [&](bool c) { seen.push_back(c); };
  driver.OpenDevice("a", 500, 0);
  driver.OpenDevice("a", 500, 0);
  EXPECT_EQ(seen, (std::vector<bool>{true, true}));
  EXPECT_TRUE(driver.Connected());
}

TEST(CanMsgConversion, FlagsLengthAndSignExtension) {
  TCanMsg m;
  m.id = -1;
  m.timestamp = 59999;
  m.flags = kCanMsgFlagExtended | kCanMsgFlagRemote;
  m.len = 9;
  m.data[7] = 0xEE;
  const TCanMsgProg p = CanMsgToProg(m);
  EXPECT_EQ(p.CanId, -1);
  EXPECT_TRUE(p.Extended);
  EXPECT_TRUE(p.RTR);
  EXPECT_EQ(p.DLC, 9) << "a faulty length is passed on";
  EXPECT_EQ(p.Data[7], 0xEE);
  EXPECT_EQ(p.Time, 59999);
}
