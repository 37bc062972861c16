// The real serial driver against the real ferrolux-sim replaying a candump log, through the
// facade, the reader thread and the receive queue as the window connects.
#include <gtest/gtest.h>

#include <QFile>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanUsbSerial.h"
#include "app/ReceivePipeline.h"
#include "filters/HwFilterMath.h"
#include "model/LogFormat.h"
#include "support/PtyAdapter.h"
#include "support/SimProcess.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kSerial = "SIM00042";
constexpr int kFrames = 400;

// What a frame carries on the bus, readable in a failure message.
std::string BusText(const TCanMsgProg& msg) {
  char text[64];
  std::snprintf(text, sizeof text, "%llX%s%s/%d/", static_cast<unsigned long long>(msg.CanId), msg.Extended ? "x" : "",
                msg.RTR ? "r" : "", msg.DLC);
  std::string out = text;
  for (int b = 0; b < msg.UsedBytes(); ++b) {
    std::snprintf(text, sizeof text, "%02X", msg.Data[static_cast<std::size_t>(b)]);
    out += text;
  }
  return out;
}

std::vector<std::string> BusTexts(const std::vector<TCanMsgProg>& frames) {
  std::vector<std::string> texts;
  for (const TCanMsgProg& msg : frames) texts.push_back(BusText(msg));
  return texts;
}

class SerialSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    facade.SetAdapter(&driver);
    AttachReceiveLoop(reader, facade, queue);
  }
  void TearDown() override {
    if (driver.Connected()) Disconnect();
  }

  void StartSim(std::vector<std::string> extra = {}, const std::string& replayPath = {}) {
    WriteCandumpLog(logPath, replay, 1000);
    std::vector<std::string> args{"--serial", kSerial, "--replay", replayPath.empty() ? logPath : replayPath};
    args.insert(args.end(), extra.begin(), extra.end());
    sim = std::make_unique<TSimProcess>(FERROLUX_SIM_PATH, runtime.Path(), args);
    ASSERT_TRUE(sim->Started());
    ASSERT_TRUE(sim->WaitForAnnouncement(kSerial));
  }
  void Connect() {
    ASSERT_EQ(facade.OpenDevice(kSerial, 500, 0), CanResult::Ok);
    reader.Start();
  }
  void Disconnect() {
    reader.Stop();
    reader.WaitFor();
    EXPECT_EQ(facade.CloseDevice(), CanResult::Ok);
    Drain();  // the final drain, as the window does
  }
  void Drain() {
    DrainReceiveQueue(queue, [&](const TCanMsgProg& msg) { received.push_back(msg); });
  }
  // Drains until `count` frames are in, or the time is up.
  void CollectUntil(std::size_t count, std::chrono::milliseconds timeout = 10s) {
    for (auto end = Clock::now() + timeout; received.size() < count && Clock::now() < end;
         std::this_thread::sleep_for(5ms))
      Drain();
  }
  void CollectFor(std::chrono::milliseconds span) { CollectUntil(SIZE_MAX, span); }

  TScopedRuntimeDir runtime;
  std::string logPath = runtime.Path() + "/replay.log";
  std::vector<TCanMsgProg> replay = ReplayFrames(kFrames, {0x100, 0x1A5, 0x2B0, 0x7FF, 0x18DAF110});
  std::unique_ptr<TSimProcess> sim;
  ReceiveQueue queue;
  TZelCanUsbSerial driver;
  TZelCanAdapter facade;
  TBMDThread reader;
  std::vector<TCanMsgProg> received;
};

TEST_F(SerialSimTest, ReplayArrivesInOrderWhileTransmitsAreAcknowledgedAndReopenWorks) {
  StartSim();
  Connect();
  EXPECT_EQ(driver.GetDeviceVersionString(), QStringLiteral("V1013"));

  // Transmits go out for as long as the replay runs.
  int sent = 0, acknowledged = 0;
  TCanMsgProg msg;
  msg.CanId = 0x321;
  msg.DLC = 1;
  for (auto end = Clock::now() + 10s; (received.size() < replay.size() || sent < 50) && Clock::now() < end; ++sent) {
    msg.Data[0] = static_cast<std::uint8_t>(sent);
    acknowledged += facade.WriteData(msg) == 0 ? 1 : 0;
    Drain();
  }
  CollectUntil(replay.size());
  EXPECT_EQ(acknowledged, sent);
  RecordProperty("transmits", sent);
  EXPECT_EQ(BusTexts(received), BusTexts(replay));

  Disconnect();
  EXPECT_FALSE(driver.Connected());
  Connect();
  EXPECT_TRUE(driver.Connected());
  EXPECT_EQ(driver.GetDeviceVersionString(), QStringLiteral("V1013"));
  msg.Extended = true;
  EXPECT_EQ(facade.WriteData(msg), 0);
}

// The replay log in each other format, one named without its extension, plays the same frames.
class SerialSimFormatTest : public SerialSimTest, public ::testing::WithParamInterface<std::pair<TLogFormat, const char*>> {};

TEST_P(SerialSimFormatTest, ReplayPlaysTheLogsFrames) {
  WriteCandumpLog(logPath, replay, 1000);
  std::ifstream in(logPath);
  const TLogFile log = ReadLogFile(*MakeLogReader(TLogFormat::Candump, in));
  const std::string path = runtime.Path() + "/" + GetParam().second;
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const std::unique_ptr<TLogWriter> writer = MakeLogWriter(GetParam().first, file);
  for (const TCandumpFrame& frame : log.Frames) writer->Write(frame);
  ASSERT_TRUE(writer->Finish());
  file.close();
  StartSim({}, path);
  Connect();
  CollectUntil(replay.size());
  EXPECT_EQ(BusTexts(received), BusTexts(replay));
}

INSTANTIATE_TEST_SUITE_P(LogFormats, SerialSimFormatTest,
                         ::testing::Values(std::pair{TLogFormat::Asc, "replay.asc"}, std::pair{TLogFormat::Blf, "replay-blf.bin"},
                                           std::pair{TLogFormat::Trc, "replay.trc"}),
                         [](const auto& info) { return std::string(LogFormatInfo(info.param.first).Extension); });

TEST_F(SerialSimTest, AcceptanceFilterSetBeforeOpenLetsOnlyTheChosenIdentifiersThrough) {
  const THwCodeMask filter = HwFilterMath::SingleFilter(0x1A5, TRtrChoice::DontCare, 0x7FF, TRtrChoice::DontCare);
  facade.SetFilter({{static_cast<std::uint32_t>(filter.Code), static_cast<std::uint32_t>(filter.Mask)}});
  std::vector<TCanMsgProg> expected;
  for (const TCanMsgProg& msg : replay)
    if (msg.CanId == 0x1A5 || msg.CanId == 0x7FF) expected.push_back(msg);

  StartSim();
  Connect();
  CollectUntil(expected.size());
  CollectFor(200ms);  // nothing else follows
  EXPECT_EQ(BusTexts(received), BusTexts(expected));
}

TEST_F(SerialSimTest, ReopenedChannelGoesOnWithTheReplay) {
  StartSim({"--loop"});
  // Each connection gets a run of consecutive frames of the log.
  const auto expectConsecutive = [&] {
    ASSERT_GE(received.size(), 100u);
    std::size_t at = 0;
    while (at < replay.size() && BusText(replay[at]) != BusText(received.front())) ++at;
    ASSERT_LT(at, replay.size()) << BusText(received.front());
    for (std::size_t i = 0; i < received.size(); ++i)
      ASSERT_EQ(BusText(received[i]), BusText(replay[(at + i) % replay.size()])) << i;
  };
  Connect();
  CollectUntil(100);
  Disconnect();
  expectConsecutive();
  const std::string lastBeforeClose = BusText(received.back());

  received.clear();
  Connect();
  CollectUntil(100);
  Disconnect();
  expectConsecutive();
  EXPECT_NE(BusText(received.front()), BusText(replay.front())) << "the replay did not start over";
  EXPECT_NE(BusText(received.front()), lastBeforeClose);
}

}  // namespace
