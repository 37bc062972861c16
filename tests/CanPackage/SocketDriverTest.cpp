// The SocketCAN driver end to end over a socketpair that carries struct can_frame datagrams,
// standing in for the raw CAN socket the kernel would bind to the interface.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/can.h>
#include <linux/can/error.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "CanPackage/source/Sja1000Filter.h"
#include "CanPackage/source/ZelCanSocket.h"

namespace {

class FakeSockets : public TCanSocketApi {
 public:
  ~FakeSockets() override { ClosePeer(); }
  int OpenRaw(const std::string& interfaceName) override {
    OpenedName = interfaceName;
    if (Refuse) {
      errno = ENODEV;
      return -1;
    }
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends) != 0) return -1;
    ClosePeer();
    Peer = ends[1];
    return ends[0];
  }
  bool ReceiveErrorFrames(int) override {
    ++ErrorFramesAsked;
    return true;
  }
  void ClosePeer() {
    if (Peer >= 0) close(Peer);
    Peer = -1;
  }
  void Send(canid_t id, std::initializer_list<std::uint8_t> data, std::uint8_t len = 0xFF) {
    can_frame frame{};
    frame.can_id = id;
    frame.len = len != 0xFF ? len : static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), frame.data);
    ASSERT_EQ(send(Peer, &frame, sizeof frame, 0), static_cast<ssize_t>(sizeof frame));
  }
  std::optional<can_frame> Receive() {
    can_frame frame{};
    if (recv(Peer, &frame, sizeof frame, MSG_DONTWAIT) != static_cast<ssize_t>(sizeof frame)) return std::nullopt;
    return frame;
  }

  std::string OpenedName;
  bool Refuse = false;
  int ErrorFramesAsked = 0;
  int Peer = -1;
};

class FakeLinks : public TCanLinkApi {
 public:
  std::optional<TCanLinkState> Read(const std::string&) override { return State; }
  TCanLinkChange BringUp(const std::string& name, std::uint32_t bitRate) override {
    BroughtUp = name;
    BitRateSet = bitRate;
    return Change;
  }
  std::optional<TCanLinkState> State = TCanLinkState{true, true, 250000};
  TCanLinkChange Change = TCanLinkChange::Done;
  std::string BroughtUp;
  std::uint32_t BitRateSet = 0;
};

std::uint32_t NowMs() {
  timeval now{};
  gettimeofday(&now, nullptr);
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_usec / 1000);
}

std::int64_t NowUs() {
  timeval now{};
  gettimeofday(&now, nullptr);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_usec;
}

struct SocketDriver : ::testing::Test {
  FakeSockets sockets;
  FakeLinks links;
  TZelCanSocket driver{sockets, links};

  void Open(std::uint16_t bitRate = 500, std::int32_t btr = 0) {
    ASSERT_EQ(driver.OpenDevice("can0", bitRate, btr), CanResult::Ok);
  }
  PCanMsgProgs ReadAll(std::size_t expected) {
    PCanMsgProgs all;
    for (int attempt = 0; attempt < 20 && all.size() < expected; ++attempt) {
      PCanMsgProgs msgs;
      if (driver.ReadData(msgs) == CanResult::FramesRead)
        for (auto& msg : msgs) all.push_back(std::move(msg));
    }
    return all;
  }
};

TEST_F(SocketDriver, OpensTheNamedInterfaceAndShowsItsOwnBitRate) {
  bool connected = false;
  driver.FOnConnectionChange = [&](bool state) { connected = state; };
  Open();
  EXPECT_EQ(sockets.OpenedName, "can0");
  EXPECT_EQ(sockets.ErrorFramesAsked, 1);
  EXPECT_TRUE(connected);
  EXPECT_TRUE(links.BroughtUp.empty()) << "an interface that is up is not touched";
  EXPECT_EQ(driver.LinkText(), "250 Kbit/s");
  EXPECT_EQ(driver.LinkBitRate(), 250000u) << "what the load is measured against";
  EXPECT_EQ(driver.GetDeviceVersionString(), "SocketCAN");
  EXPECT_EQ(driver.CloseDevice(), CanResult::Ok);
  EXPECT_FALSE(connected);
}

TEST_F(SocketDriver, DownInterfaceIsConfiguredOrTheOpenSaysWhyNot) {
  links.State = TCanLinkState{false, true, 125000};
  Open(0, 0x001C);  // the register pair for 500 kbit/s
  EXPECT_EQ(links.BroughtUp, "can0");
  EXPECT_EQ(links.BitRateSet, 500000u);
  EXPECT_EQ(driver.LinkText(), "500 Kbit/s");

  EXPECT_TRUE(driver.OpenProblem().isEmpty());

  // A channel on an interface that stays down would receive nothing: the open fails.
  links.Change = TCanLinkChange::NotPermitted;
  EXPECT_EQ(driver.OpenDevice("can0", 1000, 0), CanResult::Failed);
  EXPECT_EQ(links.BitRateSet, 1000000u);
  EXPECT_FALSE(driver.Connected());
  EXPECT_EQ(driver.OpenProblem(), "can0 is down and this user may not bring it up (it needs CAP_NET_ADMIN)");
  links.Change = TCanLinkChange::Failed;
  EXPECT_EQ(driver.OpenDevice("can0", 300, 0), CanResult::Failed);
  EXPECT_EQ(driver.OpenProblem(), "can0 is down and the kernel refused to bring it up at 300 Kbit/s");
  links.State = TCanLinkState{false, false, 0};
  EXPECT_EQ(driver.OpenDevice("vcan0", 300, 0), CanResult::Failed);
  EXPECT_EQ(driver.OpenProblem(), "vcan0 is down and the kernel refused to bring it up");
  sockets.Refuse = true;
  links.State = TCanLinkState{true, false, 0};
  EXPECT_EQ(driver.OpenDevice("vcan0", 300, 0), CanResult::Failed);
  EXPECT_EQ(driver.OpenProblem(), "vcan0: No such device");
  sockets.Refuse = false;

  links.State = std::nullopt;
  Open();
  EXPECT_EQ(driver.LinkText(), "bit rate unknown");
  links.State = TCanLinkState{true, false, 0};
  Open();
  EXPECT_EQ(driver.LinkText(), "virtual interface");
}

TEST_F(SocketDriver, MissingInterfaceFailsToOpen) {
  sockets.Refuse = true;
  EXPECT_EQ(driver.OpenDevice("can7", 500, 0), CanResult::Failed);
  EXPECT_FALSE(driver.Connected());
  PCanMsgProgs msgs;
  EXPECT_EQ(driver.ReadData(msgs), CanResult::NoMessage);
  EXPECT_EQ(driver.WriteData(TCanMsgProg{}), 1);
}

TEST_F(SocketDriver, ReceivesFramesInOrderWithKernelTimeStamps) {
  Open();
  const std::int64_t beforeUs = NowUs();
  const std::uint32_t before = NowMs();
  sockets.Send(0x123, {0x11, 0x22, 0x33});
  sockets.Send(CAN_EFF_FLAG | 0x18DAF110, {1, 2, 3, 4, 5, 6, 7, 8});
  sockets.Send(CAN_RTR_FLAG | 0x7FF, {}, 4);
  sockets.Send(0x000, {});
  const std::uint32_t after = NowMs();
  const std::int64_t afterUs = NowUs();
  usleep(30'000);  // the stamp is when the frame came in, not when it was read
  const PCanMsgProgs msgs = ReadAll(4);
  ASSERT_EQ(msgs.size(), 4u);

  EXPECT_EQ(msgs[0]->CanId, 0x123);
  EXPECT_FALSE(msgs[0]->Extended);
  EXPECT_EQ(msgs[0]->DLC, 3);
  EXPECT_EQ(msgs[0]->Data[2], 0x33);
  EXPECT_EQ(msgs[1]->CanId, 0x18DAF110);
  EXPECT_TRUE(msgs[1]->Extended);
  EXPECT_EQ(msgs[1]->Data[7], 8);
  EXPECT_TRUE(msgs[2]->RTR);
  EXPECT_EQ(msgs[2]->CanId, 0x7FF);
  EXPECT_EQ(msgs[2]->DLC, 4);
  EXPECT_EQ(msgs[3]->DLC, 0);
  for (const auto& msg : msgs) {
    // The wall-clock milliseconds as the free-running 32-bit counter, wrap included.
    const auto stamp = static_cast<std::uint32_t>(msg->Time);
    EXPECT_LE(stamp - before, after - before);
    // The microseconds too, for a candump line that shows the kernel's own stamp.
    const std::int64_t us = TZelCanSocket::StampMicroseconds(*msg, NowUs());
    EXPECT_LT(msg->TimeUs, 1000);
    EXPECT_GE(us, beforeUs);
    EXPECT_LE(us, afterUs);
  }
}

// Time and TimeUs are unwrapped against a clock reading taken a little later (or, after a
// clock step, a little earlier), across the counter's 49-day wrap too.
TEST(SocketDriverStamp, MicrosecondsSinceTheEpochFromTheCounter) {
  const std::int64_t stampUs = 1'733'800'000'123'456;
  TCanMsgProg msg;
  msg.Time = static_cast<std::int32_t>(static_cast<std::uint32_t>(stampUs / 1000));
  msg.TimeUs = 456;
  EXPECT_EQ(TZelCanSocket::StampMicroseconds(msg, stampUs), stampUs);
  EXPECT_EQ(TZelCanSocket::StampMicroseconds(msg, stampUs + 2'500'000), stampUs);
  EXPECT_EQ(TZelCanSocket::StampMicroseconds(msg, stampUs - 3'000), stampUs);
  const std::int64_t wrapUs = ((std::int64_t{1} << 32) * 5 - 2) * 1000 + 999;  // 2 ms before a wrap
  msg.Time = static_cast<std::int32_t>(static_cast<std::uint32_t>(wrapUs / 1000));
  msg.TimeUs = 999;
  EXPECT_EQ(TZelCanSocket::StampMicroseconds(msg, wrapUs + 10'000), wrapUs);
}

// One read takes everything queued, in order, however it is split into batches.
TEST_F(SocketDriver, BurstsArriveWholeAndInOrder) {
  Open();
  constexpr int kFrames = 3 * TZelCanSocket::kReadBatch + 5;
  for (int i = 0; i < kFrames; ++i) sockets.Send(static_cast<canid_t>(i), {static_cast<std::uint8_t>(i)});
  const PCanMsgProgs msgs = ReadAll(kFrames);
  ASSERT_EQ(msgs.size(), static_cast<std::size_t>(kFrames));
  for (int i = 0; i < kFrames; ++i) EXPECT_EQ(msgs[static_cast<std::size_t>(i)]->CanId, i);
  EXPECT_EQ(driver.KernelDrops(), 0u);
  EXPECT_FALSE(driver.LinkDown());
}

TEST_F(SocketDriver, IdleReadReturnsNothing) {
  Open();
  PCanMsgProgs msgs;
  EXPECT_EQ(driver.ReadData(msgs), CanResult::NoMessage);
  EXPECT_TRUE(msgs.empty());
}

TEST_F(SocketDriver, SendsFramesWithTheirFlags) {
  Open();
  TCanMsgProg msg;
  msg.CanId = 0x1ABCDEF0;
  msg.Extended = true;
  msg.DLC = 2;
  msg.Data = {0xDE, 0xAD};
  EXPECT_EQ(driver.WriteData(msg), 0);
  TCanMsgProg remote;
  remote.CanId = 0x456;
  remote.RTR = true;
  remote.DLC = 3;
  EXPECT_EQ(driver.WriteData(remote), 0);

  const auto first = sockets.Receive();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->can_id, CAN_EFF_FLAG | 0x1ABCDEF0u);
  EXPECT_EQ(first->len, 2);
  EXPECT_EQ(first->data[1], 0xAD);
  const auto second = sockets.Receive();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->can_id, CAN_RTR_FLAG | 0x456u);
  EXPECT_EQ(second->len, 3);
}

// Each checked row is one SJA1000 dual filter; a frame passes when any row accepts it, and
// exactly the frames the adapters' own filter accepts pass.
TEST_F(SocketDriver, CheckedFiltersPassWhatTheAdaptersPass) {
  const TCanFilters filters = {{0x60206100, 0x011F001F}, {0x247F001F, 0x001F001F}};
  driver.SetCanFilter(filters);
  driver.SetCanFilter({});  // an empty list keeps what was set
  Open();
  std::size_t expected = 0;
  for (canid_t id = 0; id <= 0x7FF; ++id) {
    TCanMsgProg msg;
    msg.CanId = id;
    msg.DLC = 1;
    msg.Data[0] = static_cast<std::uint8_t>(id);
    if (Sja1000DualFilterAccepts(filters[0].Filter, filters[0].Mask, msg) ||
        Sja1000DualFilterAccepts(filters[1].Filter, filters[1].Mask, msg))
      ++expected;
  }
  ASSERT_GT(expected, 0u);
  std::size_t passed = 0;
  for (canid_t base = 0; base <= 0x7FF; base += 8) {
    for (canid_t id = base; id < base + 8; ++id) sockets.Send(id, {static_cast<std::uint8_t>(id)});
    PCanMsgProgs msgs;
    while (driver.ReadData(msgs) == CanResult::FramesRead) {
      for (const auto& msg : msgs) {
        EXPECT_TRUE(msg->CanId == 0x301 || msg->CanId == 0x309 || msg->CanId == 0x308 || msg->CanId == 0x123 ||
                    msg->CanId == 0x000)
            << std::hex << msg->CanId;
      }
      passed += msgs.size();
      msgs.clear();
    }
  }
  EXPECT_EQ(passed, expected);
}

TEST_F(SocketDriver, ErrorFramesAreCountedIntoTheStatus) {
  Open();
  EXPECT_EQ(driver.GetDeviceStatus(), 0);
  sockets.Send(CAN_ERR_FLAG | CAN_ERR_CRTL | CAN_ERR_BUSOFF, {0, CAN_ERR_CRTL_RX_PASSIVE}, 8);
  sockets.Send(CAN_ERR_FLAG | CAN_ERR_LOSTARB, {}, 8);
  sockets.Send(0x100, {1});
  const PCanMsgProgs msgs = ReadAll(1);
  ASSERT_EQ(msgs.size(), 1u) << "error frames are not frames of the bus";
  EXPECT_EQ(msgs[0]->CanId, 0x100);
  EXPECT_EQ(driver.ErrorFrames(), 2u);
  EXPECT_EQ(driver.GetDeviceStatus(), 0x20 | 0x40 | 0x80);
  EXPECT_EQ(driver.GetDeviceStatus(), 0) << "a query reports what happened since the one before";
}

// Error frames by class as the kernel writes them: controller state in data byte 1, the protocol
// error's kind in byte 2 and its place in byte 3; the bus state follows the last one that says.
TEST_F(SocketDriver, ErrorFramesAreCountedByClassWithTheBusState) {
  Open();
  sockets.Send(CAN_ERR_FLAG | CAN_ERR_CRTL, {0, CAN_ERR_CRTL_TX_WARNING}, 8);
  sockets.Send(CAN_ERR_FLAG | CAN_ERR_PROT, {0, 0, CAN_ERR_PROT_STUFF | CAN_ERR_PROT_BIT0, 0}, 8);
  sockets.Send(CAN_ERR_FLAG | CAN_ERR_PROT, {0, 0, CAN_ERR_PROT_FORM, CAN_ERR_PROT_LOC_CRC_SEQ}, 8);
  sockets.Send(CAN_ERR_FLAG | CAN_ERR_ACK, {}, 8);
  sockets.Send(CAN_ERR_FLAG | CAN_ERR_CRTL, {0, CAN_ERR_CRTL_RX_PASSIVE}, 8);
  sockets.Send(CAN_ERR_FLAG | CAN_ERR_BUSOFF, {}, 8);
  sockets.Send(0x100, {1});
  ASSERT_EQ(ReadAll(1).size(), 1u);
  TCanErrorCounts counts = driver.ErrorCounts();
  const auto count = [&](TCanErrorClass c) { return counts.Count[static_cast<std::size_t>(c)]; };
  EXPECT_EQ(count(TCanErrorClass::Warning), 1u);
  EXPECT_EQ(count(TCanErrorClass::Stuff), 1u);
  EXPECT_EQ(count(TCanErrorClass::Bit), 1u);
  EXPECT_EQ(count(TCanErrorClass::Form), 1u);
  EXPECT_EQ(count(TCanErrorClass::Crc), 1u);
  EXPECT_EQ(count(TCanErrorClass::Ack), 1u);
  EXPECT_EQ(count(TCanErrorClass::ErrorPassive), 1u);
  EXPECT_EQ(count(TCanErrorClass::BusOff), 1u);
  EXPECT_EQ(count(TCanErrorClass::Restarted), 0u);
  EXPECT_EQ(counts.State, TCanBusState::BusOff);
  EXPECT_GE(counts.LastMs, 0);
  sockets.Send(CAN_ERR_FLAG | CAN_ERR_RESTARTED, {}, 8);
  sockets.Send(0x101, {1});
  ASSERT_EQ(ReadAll(1).size(), 1u);
  counts = driver.ErrorCounts();
  EXPECT_EQ(count(TCanErrorClass::Restarted), 1u);
  EXPECT_EQ(counts.State, TCanBusState::ErrorActive);
  EXPECT_STREQ(CanBusStateName(counts.State), "error active");
  driver.CloseDevice();
  Open();
  EXPECT_EQ(driver.ErrorCounts().Count, TCanErrorCounts{}.Count) << "a new channel counts afresh";
}

TEST_F(SocketDriver, VanishedInterfaceIsAReadErrorAndClosesCleanly) {
  Open();
  sockets.Send(0x100, {1});
  sockets.ClosePeer();  // the adapter is unplugged
  const PCanMsgProgs msgs = ReadAll(1);
  ASSERT_EQ(msgs.size(), 1u) << "what came before is still delivered";
  PCanMsgProgs more;
  EXPECT_EQ(driver.ReadData(more), CanResult::NoMessage);
  EXPECT_TRUE(driver.DeviceLost());
  EXPECT_EQ(driver.GetDeviceStatus(), TZelCanSocket::kStatusInterfaceFailed);
  EXPECT_EQ(driver.WriteData(TCanMsgProg{}), 1);
  EXPECT_EQ(driver.CloseDevice(), CanResult::Ok);
  EXPECT_FALSE(driver.Connected());
  EXPECT_FALSE(driver.DeviceLost());

  Open();  // plugged in again
  sockets.Send(0x200, {2});
  EXPECT_EQ(ReadAll(1).size(), 1u);
}

}  // namespace
