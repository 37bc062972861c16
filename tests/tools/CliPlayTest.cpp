// ferrolux-cli play against a scripted adapter (order, identifiers, loops, interrupt, refusals,
// bad command lines) and against the simulator, whose record gives the arrival times.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iomanip>

#include "model/LogFormat.h"
#include "support/PtyAdapter.h"
#include "support/SimProcess.h"
#include "tools/CliProcess.h"
#include "tools/cli/CliOptions.h"

using ::testing::HasSubstr;

namespace {

// "123#1122" as a candump line has it.
std::string FrameText(const TCanMsgProg& msg) {
  const std::string line = CandumpLine(msg, 0, 0, "x");
  return line.substr(line.rfind(' ') + 1);
}

// The transmit commands the adapter received, in order.
std::vector<std::string> Transmitted(const std::vector<std::string>& commands) {
  std::vector<std::string> sent;
  for (const std::string& c : commands)
    if (!c.empty() && (c[0] == 't' || c[0] == 'T')) sent.push_back(c);
  return sent;
}

class CliPlayTest : public ::testing::Test {
 protected:
  std::string Log(const std::vector<TCanMsgProg>& frames, std::int64_t spacingUs) {
    const std::string path = runtime.Path() + "/in.log";
    WriteCandumpLog(path, frames, spacingUs);
    return path;
  }
  TScopedRuntimeDir runtime;
};

TEST_F(CliPlayTest, SendsTheChosenIdentifiersInFileOrderLoopAfterLoopAndCloses) {
  TPtyAdapter adapter;
  adapter.SetResponder([](const std::string& command) { return StandardReply(command); });
  const std::string log = Log(ReplayFrames(9, {0x100, 0x200, 0x18DAF110}), 1000);
  const TCliRun run =
      TCliProcess(runtime.Path(), {"play", adapter.Serial(), log, "--id", "100", "--id", "18DAF110", "--loop", "2"}).Wait();
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> sent = Transmitted(adapter.Commands());
  ASSERT_EQ(sent.size(), 12u);
  EXPECT_EQ(sent[0].substr(0, 4), "t100");
  EXPECT_EQ(sent[1].substr(0, 9), "T18DAF110");
  EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 6), std::vector<std::string>(sent.begin() + 6, sent.end()));
  EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](const std::string& c) { return c.rfind("t200", 0) == 0; }), 0);
  EXPECT_EQ(adapter.Commands().back(), "C");
  EXPECT_THAT(run.Out, HasSubstr("12 frames sent in"));
}

TEST_F(CliPlayTest, AnInterruptStopsAnEndlessReplayAndClosesTheAdapter) {
  TPtyAdapter adapter;
  adapter.SetResponder([](const std::string& command) { return StandardReply(command); });
  TCliProcess cli(runtime.Path(), {"play", adapter.Serial(), Log(ReplayFrames(4, {0x123}), 0), "--loop", "0", "--speed", "max"});
  ASSERT_TRUE(adapter.WaitForCommands(50));
  cli.Signal(SIGINT);
  const TCliRun run = cli.Wait();
  EXPECT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> commands = adapter.Commands();
  EXPECT_EQ(commands.back(), "C");
  // Nothing after the close, and every transmit acknowledged before it.
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "C"), 1);
  EXPECT_GE(Transmitted(commands).size(), 40u);
}

TEST_F(CliPlayTest, FramesTheAdapterRefusesAreCountedAndGiveStatusOne) {
  TPtyAdapter adapter;
  adapter.SetResponder([](const std::string& command) {
    if (command.rfind("t124", 0) == 0) return std::string("\a");
    return StandardReply(command);
  });
  const TCliRun run = TCliProcess(runtime.Path(), {"play", adapter.Serial(), Log(ReplayFrames(6, {0x123, 0x124}), 100)}).Wait();
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_THAT(run.Err, HasSubstr("3 frames were not acknowledged"));
  EXPECT_EQ(Transmitted(adapter.Commands()).size(), 6u);
}

TEST_F(CliPlayTest, BadCommandLinesAndFilesExitWithStatusTwoBeforeOpening) {
  TPtyAdapter adapter;
  const std::string log = Log(ReplayFrames(2, {0x123}), 100);
  std::ofstream(runtime.Path() + "/garbage.bin") << "\x01\x02\x03 nothing";
  const std::vector<std::pair<std::vector<std::string>, const char*>> cases = {
      {{"play", adapter.Serial(), log, "--speed", "20"}, "--speed must be a factor from 0.1 to 10"},
      {{"play", adapter.Serial(), log, "--speed", "0.05"}, "--speed must be"},
      {{"play", adapter.Serial(), log, "--speed", "fast"}, "--speed must be"},
      {{"play", adapter.Serial(), log, "--loop", "-1"}, "--loop must be a whole number"},
      {{"play", adapter.Serial(), log, "--id", "20000000"}, "--id must be an identifier up to 1FFFFFFF"},
      {{"play", adapter.Serial(), log, "--id", "12G"}, "--id must be 1 to 8 hexadecimal digits"},
      {{"play", adapter.Serial(), runtime.Path() + "/none.log"}, "cannot read"},
      {{"play", adapter.Serial(), runtime.Path() + "/garbage.bin"}, "is not a log in a format that is read"},
      {{"play", adapter.Serial()}, "missing IN"},
  };
  for (const auto& [args, message] : cases) {
    const TCliRun run = TCliProcess(runtime.Path(), args).Wait();
    EXPECT_EQ(run.ExitStatus, 2) << ::testing::PrintToString(args);
    EXPECT_THAT(run.Err, HasSubstr(message)) << ::testing::PrintToString(args);
  }
  EXPECT_TRUE(adapter.Commands().empty());
}

// Irregular gaps, played at twice the speed onto the simulator: each frame arrives on time,
// by the simulator's own clock, and the whole replay takes half the recorded span.
TEST_F(CliPlayTest, TheSimulatorRecordsTheFramesAtTheirScaledOffsets) {
  std::vector<TCanMsgProg> frames = ReplayFrames(120, {0x321, 0x654, 0x18DB33F1});
  const std::string path = runtime.Path() + "/gaps.log";
  std::vector<std::int64_t> offsetsUs;
  {
    std::ofstream out(path);
    std::int64_t us = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      us += 1000 + static_cast<std::int64_t>(i % 7) * 1700;  // 1 to 11.2 ms
      offsetsUs.push_back(us);
      out << "(" << 1'600'000'000 + us / 1'000'000 << "." << std::setw(6) << std::setfill('0') << us % 1'000'000
          << ") can0 " << FrameText(frames[i]) << "\n";
    }
  }
  const std::string record = runtime.Path() + "/record.log";
  TSimProcess sim(FERROLUX_SIM_PATH, runtime.Path(), {"--serial", "SIM00031", "--record", record});
  ASSERT_TRUE(sim.WaitForAnnouncement("SIM00031"));
  const TCliRun run = TCliProcess(runtime.Path(), {"play", "SIM00031", path, "--speed", "2"}).Wait(30000);
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  sim.Stop(SIGTERM);

  const TLogFile recorded = ReadLogFileAt(QString::fromStdString(record));
  ASSERT_EQ(recorded.Frames.size(), frames.size());
  // Arrival minus due time; the earliest frame is the reference, as no frame goes out early.
  std::vector<double> arrivalMs;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(recorded.Frames[i].Msg.CanId, frames[i].CanId) << i;
    EXPECT_EQ(recorded.Frames[i].Msg.Data, frames[i].Data) << i;
    const double dueMs = static_cast<double>(offsetsUs[i] - offsetsUs[0]) / 2000.0;
    arrivalMs.push_back(static_cast<double>(recorded.Frames[i].TimeUs - recorded.Frames[0].TimeUs) / 1000.0 - dueMs);
  }
  const double referenceMs = *std::min_element(arrivalMs.begin(), arrivalMs.end());
  std::vector<double> lateMs;
  for (const double ms : arrivalMs) lateMs.push_back(ms - referenceMs);
  std::sort(lateMs.begin(), lateMs.end());
  // Loose bounds for a loaded test machine (the benchmark measures the real figures); a wrong
  // speed factor or a drifting schedule is late by tens to hundreds of milliseconds.
  EXPECT_LT(lateMs[lateMs.size() / 2], 3.0);
  EXPECT_LT(lateMs[lateMs.size() * 9 / 10], 20.0);
}

}  // namespace
