// The serial driver through the real device layer, against a scripted adapter on a pty.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanUsbSerial.h"
#include "support/PtyAdapter.h"
#include "app/ReceivePipeline.h"

using ::testing::ElementsAre;

namespace {

using Clock = std::chrono::steady_clock;

// The window's receive loop running over a driver; stopped and joined at the end.
struct TRunningReader {
  explicit TRunningReader(TZelCanCustomAdapter& driver) {
    facade.SetAdapter(&driver);
    AttachReceiveLoop(thread, facade, queue);
    thread.Start();
  }
  ~TRunningReader() {
    thread.Stop();
    thread.WaitFor();
  }
  TZelCanAdapter facade;
  ReceiveQueue queue;
  TBMDThread thread;
};

// Frame line number i of a counted stream, and the number a received frame carries.
std::string CountedFrameLine(int i) {
  char line[32];
  std::snprintf(line, sizeof line, "t1002%04X0000\r", i);
  return line;
}
int CountedFrameNumber(const TCanMsgProg& msg) { return msg.Data[0] << 8 | msg.Data[1]; }

std::vector<std::string> OpenCommands(const std::string& rate) { return {rate, "M00000000", "mFFFFFFFF", "Z1", "V", "O"}; }

class SerialDriverTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (driver.Connected()) driver.CloseDevice();
  }

  bool Open(std::uint16_t bitRate = 500, std::int32_t btr = 0) {
    const bool ok = driver.OpenDevice(adapter.Serial(), bitRate, btr) == CanResult::Ok;
    adapter.ClearCommands();
    return ok;
  }

  // One ReadData; the frame, or nothing for -7.
  std::optional<TCanMsgProg> Read() {
    PCanMsgProgs msgs;
    const std::int32_t result = driver.ReadData(msgs);
    if (result != CanResult::FramesRead) {
      EXPECT_EQ(result, CanResult::NoMessage);
      return std::nullopt;
    }
    EXPECT_EQ(msgs.size(), 1u);
    return *msgs.front();
  }

  TScopedRuntimeDir runtime;
  TPtyAdapter adapter;
  // Connection changes seen by a test's handler; a fixture member because TearDown's close
  // still reports to that handler after the test body has ended.
  std::vector<bool> changes;
  TZelCanUsbSerial driver;
};

TEST_F(SerialDriverTest, OpenSequenceAndCloseOnTheWire) {
  EXPECT_EQ(driver.GetDeviceVersionString(), QString());
  driver.FOnConnectionChange = [this](bool connected) { changes.push_back(connected); };
  driver.SetCanFilter({{0x12345678, 0x0000FFFF}, {1, 2}});

  ASSERT_EQ(driver.OpenDevice(adapter.Serial(), 250, 0), CanResult::Ok);
  EXPECT_THAT(adapter.Commands(), ElementsAre("S5", "M12345678", "m0000FFFF", "Z1", "V", "O"));
  EXPECT_EQ(driver.GetDeviceVersionString(), QStringLiteral("V1013"));
  EXPECT_TRUE(driver.Connected());
  EXPECT_EQ(driver.GetDeviceStatus(), 0);

  adapter.ClearCommands();
  EXPECT_EQ(driver.CloseDevice(), CanResult::Ok);
  EXPECT_THAT(adapter.Commands(), ElementsAre("C"));
  EXPECT_FALSE(driver.Connected());
  EXPECT_THAT(changes, ElementsAre(true, false));

  // Register bit rate, and an unknown rate that sends a lone CR.
  driver.SetCanFilter({{0, 0xFFFFFFFF}});
  ASSERT_EQ(driver.OpenDevice(adapter.Serial(), 0, 0x031C), CanResult::Ok);
  EXPECT_EQ(adapter.Commands()[1], "s031C");
  driver.CloseDevice();
  adapter.ClearCommands();
  ASSERT_EQ(driver.OpenDevice(adapter.Serial(), 83, 0), CanResult::Ok);
  EXPECT_EQ(adapter.Commands(), OpenCommands(""));
}

TEST_F(SerialDriverTest, UnknownSerialFailsWithoutTouchingAnyAdapter) {
  EXPECT_EQ(driver.OpenDevice("NOSUCH", 500, 0), CanResult::Failed);
  EXPECT_FALSE(driver.Connected());
  EXPECT_EQ(driver.OpenState(), -1);
  EXPECT_TRUE(adapter.Commands().empty());
}

TEST_F(SerialDriverTest, EachRefusedSetUpStepFailsTheOpenAndClosesTheChannel) {
  const std::vector<std::string> setup = {"S6", "M00000000", "mFFFFFFFF", "Z1"};
  // A refusal (BEL), a wrong reply and no reply at all.
  for (const std::string answer : {"\a", "x\r", ""}) {
    for (std::size_t step = 0; step < setup.size(); ++step) {
      SCOPED_TRACE("step " + setup[step] + " answer " + std::to_string(answer.size()));
      adapter.SetResponder([&](const std::string& command) { return command == setup[step] ? answer : StandardReply(command); });
      adapter.ClearCommands();
      const auto start = Clock::now();
      EXPECT_EQ(driver.OpenDevice(adapter.Serial(), 500, 0), CanResult::Failed);
      const auto took = Clock::now() - start;
      EXPECT_FALSE(driver.Connected());
      EXPECT_EQ(driver.OpenState(), -1);
      std::vector<std::string> expected(setup.begin(), setup.begin() + static_cast<std::ptrdiff_t>(step) + 1);
      expected.push_back("C");
      EXPECT_EQ(adapter.Commands(), expected);
      // A refused command fails at once, not after the reply window.
      if (answer == "\a") {
        EXPECT_LT(took, std::chrono::milliseconds(400));
      }
    }
  }
}

TEST_F(SerialDriverTest, MissingVersionReplyStillOpens) {
  adapter.SetResponder([](const std::string& command) { return command == "V" ? std::string() : StandardReply(command); });
  ASSERT_TRUE(Open());
  EXPECT_EQ(driver.GetDeviceVersionString(), QStringLiteral("Versions info not available"));

  adapter.SetResponder([](const std::string& command) { return command == "V" ? std::string(" V2 \r") : StandardReply(command); });
  QStringList versions;
  driver.GetDeviceVersion(versions);
  EXPECT_THAT(versions, ElementsAre(QStringLiteral("V2")));
}

TEST_F(SerialDriverTest, FrameLinesAreReadOneByOneWhetherTogetherOrSplit) {
  ASSERT_TRUE(Open());
  adapter.Send("t12321122" "04D2\rT18DAF1108" "0102030405060708" "FFFF\rr7FF4\r");
  const auto first = Read();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->CanId, 0x123);
  EXPECT_EQ(first->DLC, 2);
  EXPECT_EQ(first->Data[1], 0x22);
  EXPECT_EQ(first->Time, 1234);
  const auto second = Read();
  ASSERT_TRUE(second);
  EXPECT_TRUE(second->Extended);
  EXPECT_EQ(second->CanId, 0x18DAF110);
  EXPECT_EQ(second->Data[7], 8);
  EXPECT_EQ(second->Time, 0xFFFF);
  const auto third = Read();
  ASSERT_TRUE(third);
  EXPECT_TRUE(third->RTR);
  EXPECT_EQ(third->CanId, 0x7FF);

  // The second half arrives while ReadData waits.
  adapter.Send("t3212");
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    adapter.Send("AABB0001\r");
  });
  const auto joined = Read();
  late.join();
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->CanId, 0x321);
  EXPECT_EQ(joined->Data[1], 0xBB);
}

TEST_F(SerialDriverTest, LineWhoseEndComesAfterTheWindowIsLost) {
  ASSERT_TRUE(Open());
  adapter.Send("t12321122");
  EXPECT_FALSE(Read());  // waits the whole window
  adapter.Send("04D2\r");
  EXPECT_FALSE(Read());  // only the tail remains, which is no frame
  adapter.Send("t1230\r");
  EXPECT_TRUE(Read());
}

TEST_F(SerialDriverTest, GarbageNulBytesBadLengthsAndOverlongLinesAreDropped) {
  ASSERT_TRUE(Open());
  adapter.Send(std::string("zz\0\xFF\r", 5));
  adapter.Send("t123X11\r");  // no length digit
  adapter.Send(std::string(100, 'A'));
  adapter.Send("\rt1230\r");
  EXPECT_FALSE(Read());
  EXPECT_FALSE(Read());
  const auto frame = Read();  // the overlong run was skipped up to its CR
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->CanId, 0x123);
  EXPECT_EQ(frame->DLC, 0);
  EXPECT_EQ(driver.LineOverflows(), 1u);

  // An overlong line that looks like a frame is not cut into one.
  adapter.Send("t1238" + std::string(60, '1') + "\rt4561AA\r");
  const auto next = Read();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->CanId, 0x456);
  EXPECT_EQ(driver.LineOverflows(), 2u);
}

TEST_F(SerialDriverTest, BelRefusesATransmitAtOnceAndDoesNotSpoilTheNextLine) {
  ASSERT_TRUE(Open());
  adapter.SetResponder([](const std::string& command) { return command[0] == 't' ? std::string("\a") : StandardReply(command); });
  TCanMsgProg msg;
  msg.CanId = 0x123;
  msg.DLC = 2;
  msg.Data[0] = 0x11;
  msg.Data[1] = 0x22;
  const auto start = Clock::now();
  EXPECT_EQ(driver.WriteData(msg), 1);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(400));
  EXPECT_EQ(adapter.Commands().back(), "t12321122");

  adapter.Send("\at7FF0\r");
  EXPECT_FALSE(Read());  // the BEL on its own
  const auto frame = Read();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->CanId, 0x7FF);

  adapter.SetResponder(StandardReply);
  EXPECT_EQ(driver.WriteData(msg), 0);
}

TEST_F(SerialDriverTest, FrameArrivingDuringATransmitExchangeReachesTheNextRead) {
  ASSERT_TRUE(Open());
  adapter.SetResponder([](const std::string& command) {
    return command[0] == 'R' ? std::string("t3211AA0001\rZ\r") : StandardReply(command);
  });
  TCanMsgProg msg;
  msg.CanId = 0x18DAF110;
  msg.Extended = true;
  msg.RTR = true;
  msg.DLC = 8;
  EXPECT_EQ(driver.WriteData(msg), 0);
  EXPECT_EQ(adapter.Commands().back(), "R18DAF1108");
  const auto frame = Read();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->CanId, 0x321);
  EXPECT_EQ(frame->Data[0], 0xAA);
}

TEST_F(SerialDriverTest, NoReplyToATransmitIsFailure) {
  ASSERT_TRUE(Open());
  adapter.SetResponder([](const std::string& command) { return command[0] == 't' ? std::string() : StandardReply(command); });
  TCanMsgProg msg;
  msg.CanId = 0x7;
  EXPECT_EQ(driver.WriteData(msg), 1);
  EXPECT_EQ(adapter.Commands().back(), "t0070");
}

TEST_F(SerialDriverTest, VanishedAdapterFailsReadsAndWritesAndStillCloses) {
  ASSERT_TRUE(Open());
  adapter.Hangup();
  const auto start = Clock::now();
  EXPECT_FALSE(Read());
  EXPECT_FALSE(Read());
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(400));  // no reply window is waited out
  TCanMsgProg msg;
  EXPECT_EQ(driver.WriteData(msg), 1);
  EXPECT_EQ(driver.GetDeviceStatus(), TZelCanUsbSerial::kStatusPortFailed);
  EXPECT_TRUE(driver.DeviceLost());
  EXPECT_EQ(driver.CloseDevice(), CanResult::Ok);
  EXPECT_FALSE(driver.Connected());
  EXPECT_FALSE(driver.Port().Connected());
  EXPECT_EQ(driver.GetDeviceStatus(), 0);
  EXPECT_FALSE(driver.DeviceLost());
}

// The tty vanishes while the reader is busy with a stream of frames: the reader stops by
// itself, keeps every frame that arrived, and the other thread sees the driver's lost state.
// Also built under TSan.
TEST_F(SerialDriverTest, TtyThatVanishesUnderTheReaderEndsItsLoop) {
  ASSERT_TRUE(Open());
  TRunningReader reader(driver);
  TZelCanAdapter& facade = reader.facade;
  ReceiveQueue& queue = reader.queue;
  TBMDThread& thread = reader.thread;
  constexpr int kFrames = 500;
  for (int i = 0; i < kFrames; ++i) adapter.Send(CountedFrameLine(i));
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (queue.Count() < static_cast<std::size_t>(kFrames) && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  adapter.Hangup();
  while (thread.Runing() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_FALSE(thread.Runing()) << "the reader went on reading a vanished tty";
  EXPECT_TRUE(facade.DeviceLost());
  thread.WaitFor();
  std::vector<int> seen;
  DrainReceiveQueue(queue, [&](const TCanMsgProg& m) { seen.push_back(CountedFrameNumber(m)); });
  ASSERT_EQ(seen.size(), static_cast<std::size_t>(kFrames));
  for (int i = 0; i < kFrames; ++i) ASSERT_EQ(seen[static_cast<std::size_t>(i)], i);
  EXPECT_EQ(driver.CloseDevice(), CanResult::Ok);
  EXPECT_FALSE(facade.DeviceLost());
}

// The reader thread and the user-interface thread on one stream: while frames flow, every
// transmit is acknowledged (its reply is not lost to the reader) and every frame the adapter
// sends arrives exactly once and in order. Also built under TSan.
TEST_F(SerialDriverTest, ReaderThreadAndTransmitsShareTheStream) {
  ASSERT_TRUE(Open());
  TRunningReader reader(driver);
  TZelCanAdapter& facade = reader.facade;
  ReceiveQueue& queue = reader.queue;
  TBMDThread& thread = reader.thread;

  std::atomic<bool> transmitting{true};
  int sent = 0;
  std::thread bus([&] {
    for (; sent < 0x10000 && (transmitting.load() || sent < 300); ++sent) {
      adapter.Send(CountedFrameLine(sent));
      if (sent % 20 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  constexpr int kTransmits = 200;
  int acknowledged = 0;
  std::thread sender([&] {
    TCanMsgProg msg;
    msg.CanId = 0x200;
    for (int i = 0; i < kTransmits; ++i) acknowledged += facade.WriteData(msg) == 0 ? 1 : 0;
    transmitting.store(false);
  });
  sender.join();
  bus.join();

  std::vector<int> seen;
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (static_cast<int>(seen.size()) < sent && Clock::now() < deadline) {
    DrainReceiveQueue(queue, [&](const TCanMsgProg& m) { seen.push_back(CountedFrameNumber(m)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  thread.Stop();
  thread.WaitFor();
  EXPECT_EQ(acknowledged, kTransmits);
  ASSERT_EQ(static_cast<int>(seen.size()), sent);
  for (int i = 0; i < sent; ++i) ASSERT_EQ(seen[static_cast<std::size_t>(i)], i);
  EXPECT_GE(adapter.Commands().size(), static_cast<std::size_t>(kTransmits));
}

}  // namespace
