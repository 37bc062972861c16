#include <gtest/gtest.h>

#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanUsbHid.h"
#include "app/ReceivePipeline.h"
#include "support/ScriptedHidBackend.h"

namespace {

using Commands = std::vector<std::string>;
const Commands kOpenAt500 = {"V\r", "S6\r", "M00000000\r", "mFFFFFFFF\r", "Z1\r", "O\r"};

class HidDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCoreApplication();
    connectionEvents.clear();
    auto backend = std::make_unique<ScriptedHidBackend>();
    bus = backend.get();
    bus->Plug(HidInfo("/dev/hidraw0", 0x046D, 0xC52B, "Receiver"));
    adapter = bus->Plug(HidInfo("/dev/hidraw1", 0x0416, 0x5020, "CAN-HID"));
    driver = std::make_unique<TZelCanUsbHid>(std::move(backend));
    driver->FOnConnectionChange = [this](bool c) { connectionEvents.push_back(c); };
    driver->Controller().Poll();
  }

  // The replies of the commands reached the receive channel as well; the reader skips them.
  std::int32_t ReadFrames(PCanMsgProgs& msgs) {
    std::int32_t result = CanResult::NoMessage;
    for (int i = 0; i < 16 && result == CanResult::NoMessage; ++i) result = driver->ReadData(msgs);
    return result;
  }

  std::int32_t Open(std::uint16_t bitRate = 500, std::int32_t btr = 0) { return driver->OpenDevice("CAN-HID", bitRate, btr); }

  ScriptedHidBackend* bus = nullptr;
  std::shared_ptr<ScriptedHidAdapter> adapter;
  std::unique_ptr<TZelCanUsbHid> driver;
  std::vector<bool> connectionEvents;
};

}  // namespace

TEST_F(HidDriver, OpenSequenceAndVersion) {
  driver->SetCanFilter({{0x12345678, 0x0000FFFF}, {1, 2}});
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(adapter->Commands(), (Commands{"V\r", "S6\r", "M12345678\r", "m0000FFFF\r", "Z1\r", "O\r"}));
  EXPECT_TRUE(driver->Connected());
  EXPECT_EQ(connectionEvents, std::vector<bool>{true});
  EXPECT_EQ(driver->GetDeviceVersionString(), "V1013");
  EXPECT_EQ(driver->GetFilterCount(), 1);
  EXPECT_EQ(driver->GetDeviceStatus(), 0);
}

TEST_F(HidDriver, RegisterBitRateAndUnknownRate) {
  EXPECT_EQ(Open(0, 0x0014), 0);
  EXPECT_EQ(adapter->Commands()[1], "s0014\r");
  ASSERT_EQ(driver->CloseDevice(), 0);
  EXPECT_EQ(Open(83, 0), 0);
  EXPECT_EQ(adapter->Commands()[8], "\r") << "an unknown rate sends a lone CR";
}

TEST_F(HidDriver, EachRefusedStepEndsTheOpen) {
  for (std::size_t step = 1; step < kOpenAt500.size(); ++step) {
    SCOPED_TRACE(kOpenAt500[step]);
    SetUp();
    adapter->Answer(kOpenAt500[step], "\a");
    EXPECT_EQ(Open(), 1);
    const Commands sent(kOpenAt500.begin(), kOpenAt500.begin() + static_cast<long>(step) + 1);
    EXPECT_EQ(adapter->Commands(), sent) << "nothing after the refused step, no close";
    EXPECT_FALSE(driver->Connected());
    EXPECT_EQ(connectionEvents, std::vector<bool>{false});
    EXPECT_EQ(driver->CloseDevice(), 0);
    EXPECT_EQ(adapter->Commands().size(), sent.size()) << "a failed open leaves nothing to close";
  }
}

TEST_F(HidDriver, ReplyOtherThanALoneCrRefusesTheStep) {
  adapter->Answer("Z1\r", "\r\r");
  EXPECT_EQ(Open(), 1);
  SetUp();
  adapter->Answer("O\r", std::nullopt);  // silent: the bounded wait ends the step
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(adapter->Commands(), kOpenAt500);
}

TEST_F(HidDriver, VersionExchangeFailingDoesNotStopTheOpen) {
  EXPECT_EQ(Open(), 0);
  ASSERT_EQ(driver->CloseDevice(), 0);
  adapter->Answer("V\r", std::nullopt);
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(driver->GetDeviceVersionString(), "Versions info not available") << "the earlier version is cleared";
  QStringList versions;
  driver->GetDeviceVersion(versions);
  EXPECT_EQ(versions, QStringList{"Versions info not available"});
  adapter->Answer("V\r", " V2000 \r");
  driver->GetDeviceDriverVersion(versions);
  EXPECT_EQ(versions.last(), "V2000");
}

TEST_F(HidDriver, OpenDiscardsWhatWasQueuedBefore) {
  adapter->Send(ReplyReport("\a"));
  adapter->Send(FrameReport({FrameSlot{'t', 0x7EF, 0, {}, 0}}));  // left over from an earlier session
  EXPECT_EQ(Open(), 0);
  PCanMsgProgs msgs;
  EXPECT_EQ(ReadFrames(msgs), CanResult::NoMessage);
  EXPECT_TRUE(msgs.empty());
}

TEST_F(HidDriver, SystemErrorsFailTheExchange) {
  adapter->FailWrites(true);
  EXPECT_EQ(Open(), 1);
  adapter->FailWrites(false);
  adapter->FailReads(true);
  EXPECT_EQ(Open(), 1);
  PCanMsgProgs msgs;
  EXPECT_EQ(driver->ReadData(msgs), CanResult::NoMessage);
}

TEST_F(HidDriver, ReadDataOneToFourFramesInSlotOrder) {
  ASSERT_EQ(Open(), 0);
  for (std::size_t count = 1; count <= 4; ++count) {
    std::vector<std::optional<FrameSlot>> frameSlots;
    for (std::size_t i = 0; i < count; ++i)
      frameSlots.push_back(FrameSlot{i % 2 ? 'T' : 't', static_cast<std::uint32_t>(0x100 + i), 2, {0xAA, 0xBB},
                                static_cast<std::uint16_t>(1000 + i)});
    adapter->Send(FrameReport(frameSlots));
    PCanMsgProgs msgs;
    ASSERT_EQ(ReadFrames(msgs), CanResult::FramesRead);
    ASSERT_EQ(msgs.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
      EXPECT_EQ(msgs[i]->CanId, static_cast<std::int64_t>(0x100 + i));
      EXPECT_EQ(msgs[i]->Extended, i % 2 == 1);
      EXPECT_FALSE(msgs[i]->RTR);
      EXPECT_EQ(msgs[i]->DLC, 2);
      EXPECT_EQ(msgs[i]->Data[1], 0xBB);
      EXPECT_EQ(msgs[i]->Time, static_cast<std::int32_t>(1000 + i));
    }
  }
}

TEST_F(HidDriver, EmptyReportReplyReportAndIdleBusGiveNothing) {
  ASSERT_EQ(Open(), 0);
  PCanMsgProgs msgs;
  msgs.push_back(std::make_unique<TCanMsgProg>());
  adapter->Send(FrameReport({{}, {}, {}, {}}));
  EXPECT_EQ(driver->ReadData(msgs), CanResult::NoMessage);
  EXPECT_EQ(msgs.size(), 1u) << "msgs untouched without frames";

  // The open sequence's replies reached the receive channel too; so does a transmit's.
  EXPECT_EQ(driver->WriteData(TCanMsgProg{}), 0);
  int replies = 0;
  while (driver->ReadData(msgs) == CanResult::NoMessage && ++replies < 10) {
  }
  EXPECT_EQ(replies, 10) << "neither replies nor an idle bus give frames";
  EXPECT_EQ(msgs.size(), 1u);
}

TEST_F(HidDriver, WriteDataSendsTheTransmitLineAndFindsItsReplyAmongFrames) {
  ASSERT_EQ(Open(), 0);
  TCanMsgProg msg;
  msg.CanId = 0x123;
  msg.DLC = 2;
  msg.Data[0] = 0x11;
  msg.Data[1] = 0x22;
  adapter->Send(FrameReport({FrameSlot{'t', 0x321, 0, {}, 0}}));
  adapter->Send(FrameReport({{}, FrameSlot{'t', 0x322, 0, {}, 0}}));
  EXPECT_EQ(driver->WriteData(msg), 0);
  EXPECT_EQ(adapter->Commands().back(), "t12321122\r");

  adapter->Answer("t12321122\r", std::nullopt);
  adapter->Send(FrameReport({FrameSlot{'t', 0x323, 0, {}, 0}}));
  EXPECT_EQ(driver->WriteData(msg), 1) << "a frame report is no acknowledgement";

  PCanMsgProgs msgs;
  ASSERT_EQ(ReadFrames(msgs), CanResult::FramesRead) << "the receive channel still has the frames";
  EXPECT_EQ(msgs[0]->CanId, 0x321);
}

TEST_F(HidDriver, CloseSendsCOnlyWhenOpen) {
  EXPECT_EQ(driver->CloseDevice(), 0);
  EXPECT_TRUE(adapter->Commands().empty());
  ASSERT_EQ(Open(), 0);
  adapter->Answer("C\r", "\a");
  EXPECT_EQ(driver->CloseDevice(), 0) << "the close reply is not checked";
  EXPECT_EQ(adapter->Commands().back(), "C\r");
  EXPECT_FALSE(driver->Connected());
  EXPECT_EQ(connectionEvents, (std::vector<bool>{true, false}));
  EXPECT_EQ(driver->CloseDevice(), 0);
  EXPECT_EQ(adapter->Commands().size(), kOpenAt500.size() + 1);
}

TEST_F(HidDriver, TakesOnlyMatchingDevicesAndFollowsReplugging) {
  EXPECT_TRUE(driver->HasDevice());
  bus->Unplug("/dev/hidraw1");
  driver->Controller().Poll();
  EXPECT_FALSE(driver->HasDevice());
  EXPECT_EQ(adapter->OpenChannels(), 0) << "the unplugged device's channels are closed";
  EXPECT_EQ(Open(), 1);

  auto wrongProduct = bus->Plug(HidInfo("/dev/hidraw2", 0x0483, 0x5021));
  driver->Controller().Poll();
  EXPECT_FALSE(driver->HasDevice());
  EXPECT_EQ(wrongProduct->OpenChannels(), 0);

  auto second = bus->Plug(HidInfo("/dev/hidraw3", 0x0483, 0x5020));
  auto third = bus->Plug(HidInfo("/dev/hidraw4", 0x0416, 0x5020));
  driver->Controller().Poll();
  EXPECT_EQ(second->OpenChannels(), 2) << "the first matching device, both channels";
  EXPECT_EQ(third->OpenChannels(), 0);
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(second->Commands(), kOpenAt500);
}

TEST_F(HidDriver, DeviceThatCannotBeOpenedIsNotTaken) {
  auto backend = std::make_unique<ScriptedHidBackend>();
  backend->Plug(HidInfo("/dev/hidraw7", 0x0416, 0x5020));
  backend->RefuseOpen("/dev/hidraw7");
  TZelCanUsbHid refused(std::move(backend));
  refused.Controller().Poll();
  EXPECT_FALSE(refused.HasDevice());
  EXPECT_EQ(refused.OpenDevice("", 500, 0), 1);
}

TEST_F(HidDriver, FirstEnumerationComesFromTheEventLoop) {
  auto backend = std::make_unique<ScriptedHidBackend>();
  auto late = backend->Plug(HidInfo("/dev/hidraw5", 0x0416, 0x5020));
  TZelCanUsbHid fresh(std::move(backend));
  EXPECT_FALSE(fresh.HasDevice());
  QCoreApplication::processEvents();
  EXPECT_TRUE(fresh.HasDevice());
  EXPECT_EQ(fresh.OpenDevice("", 1000, 0), 0);
  EXPECT_EQ(late->Commands()[1], "S8\r");
}

TEST_F(HidDriver, OpenBeforeAnyEnumerationLooksForTheDevice) {
  auto backend = std::make_unique<ScriptedHidBackend>();
  backend->Plug(HidInfo("/dev/hidraw6", 0x0416, 0x5020));
  TZelCanUsbHid fresh(std::move(backend));
  EXPECT_EQ(fresh.OpenDevice("", 500, 0), 0);
}

TEST_F(HidDriver, ReceiveLoopStopsOnAnIdleBusAndDeliversFrames) {
  ASSERT_EQ(Open(), 0);
  TZelCanAdapter facade;
  facade.SetAdapter(driver.get());
  ReceiveQueue queue;
  TBMDThread reader;
  AttachReceiveLoop(reader, facade, queue);
  reader.Start();
  adapter->Send(FrameReport({FrameSlot{'t', 0x55, 1, {9}, 7}, FrameSlot{'T', 0x66, 0, {}, 8}}));
  PCanMsgProgs got;
  for (int i = 0; i < 500 && got.size() < 2; ++i) {
    queue.DequeueBatch(got, 16);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  reader.Stop();
  reader.WaitFor();  // returns although no further report arrives
  EXPECT_FALSE(reader.Runing());
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0]->CanId, 0x55);
  EXPECT_EQ(got[1]->CanId, 0x66);
  EXPECT_EQ(driver->CloseDevice(), 0);
}

TEST(HidDeviceEntry, IdentityAndMenuText) {
  EXPECT_TRUE(IsZelHidDevice(0x0416, 0x5020));
  EXPECT_TRUE(IsZelHidDevice(0x0483, 0x5020));
  EXPECT_FALSE(IsZelHidDevice(0x0483, 0x5021));
  EXPECT_FALSE(IsZelHidDevice(0x0417, 0x5020));
  EXPECT_EQ(HidDeviceListEntry(HidInfo("p", 0x0416, 0x5020, "CAN HID Adapter")), "CAN HID Adapter (0416/5020)");
  EXPECT_EQ(HidDeviceListEntry(HidInfo("p", 0xABCD, 0x00EF, "X")), "X (ABCD/00EF)");
}
