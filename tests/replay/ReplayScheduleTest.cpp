// Due times with an injected clock: speed factors, loops, stamps that wrap or go back,
// pause and resume, steps, the identifier filter.
#include <gtest/gtest.h>

#include <stdexcept>

#include "replay/ReplayRun.h"

namespace {

constexpr std::int64_t kMs = 1'000'000;  // nanoseconds

TCanMsgProg Frame(std::int64_t id, std::int32_t timeMs = 0) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.DLC = 1;
  msg.Time = timeMs;
  return msg;
}

std::vector<TCandumpFrame> Log(std::initializer_list<std::int64_t> stampsUs) {
  std::vector<TCandumpFrame> frames;
  std::int64_t id = 0x100;
  for (const std::int64_t us : stampsUs) frames.push_back(TCandumpFrame{us, Frame(id++)});
  return frames;
}

std::vector<std::int64_t> DueMs(const TReplaySchedule& schedule, std::uint64_t count) {
  std::vector<std::int64_t> due;
  for (std::uint64_t i = 0; i < count; ++i) due.push_back(schedule.DueNs(i) / kMs);
  return due;
}

TEST(ReplaySchedule, OffsetsCountFromTheFirstFrameAndScaleWithTheSpeed) {
  const auto frames = ReplayFramesOfLog(Log({1'700'000'000'000'000, 1'700'000'000'010'000, 1'700'000'000'040'000}));
  EXPECT_EQ(DueMs(TReplaySchedule(frames, {1.0, 1}), 3), (std::vector<std::int64_t>{0, 10, 40}));
  EXPECT_EQ(DueMs(TReplaySchedule(frames, {2.0, 1}), 3), (std::vector<std::int64_t>{0, 5, 20}));
  EXPECT_EQ(DueMs(TReplaySchedule(frames, {0.1, 1}), 3), (std::vector<std::int64_t>{0, 100, 400}));
  EXPECT_EQ(DueMs(TReplaySchedule(frames, {10.0, 1}), 3), (std::vector<std::int64_t>{0, 1, 4}));
  EXPECT_EQ(DueMs(TReplaySchedule(frames, {0.0, 1}), 3), (std::vector<std::int64_t>{0, 0, 0}));
  // Microseconds survive the division: 10 ms at 3x is 3.333 ms.
  EXPECT_EQ(TReplaySchedule(frames, {3.0, 1}).DueNs(1), 3'333'333);
}

TEST(ReplaySchedule, SpeedOutsideTheRangeIsRefused) {
  for (const double speed : {0.05, 10.5, -1.0})
    EXPECT_THROW(TReplaySchedule({}, TReplayPace{speed, 1}), std::invalid_argument) << speed;
}

TEST(ReplaySchedule, LoopsRepeatAtTheCapturesOwnCadence) {
  // Four frames 10 ms apart: the next pass starts 10 ms after the last frame.
  const TReplaySchedule schedule(ReplayFramesOfLog(Log({0, 10'000, 20'000, 30'000})), {1.0, 3});
  EXPECT_EQ(schedule.Total(), 12u);
  EXPECT_EQ(DueMs(schedule, 12), (std::vector<std::int64_t>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110}));
  EXPECT_EQ(schedule.Frame(5).CanId, 0x101);
  EXPECT_FALSE(schedule.HasFrame(12));

  const TReplaySchedule endless(ReplayFramesOfLog(Log({0, 10'000})), {1.0, 0});
  EXPECT_TRUE(endless.Endless());
  EXPECT_FALSE(endless.Total());
  EXPECT_TRUE(endless.HasFrame(1'000'000'000));
  EXPECT_EQ(endless.DueNs(1'000'000'000) / kMs, 10'000'000'000);

  EXPECT_FALSE(TReplaySchedule({}, {1.0, 0}).HasFrame(0));
}

TEST(ReplaySchedule, StampsGoingBackMakeTheFrameDueRightAfterTheOneBefore) {
  // A log pieced together: the second part starts at a lower time and keeps its own spacing.
  const auto frames = ReplayFramesOfLog(Log({5'000'000, 5'010'000, 1'000'000, 1'020'000, 1'020'000}));
  EXPECT_EQ(DueMs(TReplaySchedule(frames, {1.0, 1}), 5), (std::vector<std::int64_t>{0, 10, 10, 30, 30}));
  // Negative stamps (before 1970) are stamps like any other.
  EXPECT_EQ(DueMs(TReplaySchedule(ReplayFramesOfLog(Log({-20'000, -10'000})), {1.0, 1}), 2),
            (std::vector<std::int64_t>{0, 10}));
}

TEST(ReplaySchedule, TraceStampsCountOnAcrossTheAdaptersCounterTurn) {
  // The serial adapters' millisecond counter wraps at 60,000.
  const auto frames = ReplayFramesOfTrace({{Frame(1, 59'990)}, {Frame(2, 59'999)}, {Frame(3, 5)}, {Frame(4, 25)}});
  EXPECT_EQ(DueMs(TReplaySchedule(frames, {1.0, 1}), 4), (std::vector<std::int64_t>{0, 9, 15, 35}));
}

TEST(ReplaySchedule, SentTraceRowsFollowTheRowBeforeAndTurnNoCounter) {
  // A sent row's stamp 0 is no turn of the adapter's counter: no minute's wait before it.
  const auto frames =
      ReplayFramesOfTrace({{Frame(1, 5'000)}, {Frame(2, 0), false}, {Frame(3, 5'010)}, {Frame(4, 0), false}});
  EXPECT_EQ(DueMs(TReplaySchedule(frames, {1.0, 1}), 4), (std::vector<std::int64_t>{0, 0, 10, 10}));
}

TEST(ReplaySchedule, TheFilterDropsFramesAndTimeCountsFromTheFirstOneKept) {
  const TReplayFilter only101 = [](const TCanMsgProg& msg) { return msg.CanId == 0x101 || msg.CanId == 0x103; };
  const auto frames = ReplayFramesOfLog(Log({0, 100'000, 150'000, 300'000}), only101);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].Msg.CanId, 0x101);
  EXPECT_EQ(frames[1].OffsetUs, 200'000);
  // Rows left out of a trace still count the turns of the counter.
  const auto trace = ReplayFramesOfTrace({{Frame(1, 59'000)}, {Frame(2, 100)}, {Frame(1, 200)}},
                                         [](const TCanMsgProg& msg) { return msg.CanId == 1; });
  ASSERT_EQ(trace.size(), 2u);
  EXPECT_EQ(trace[1].OffsetUs, 1'200'000);
}

// A run of three frames 10 ms apart, started at 1000 ms on the injected clock.
struct ReplayRunTest : testing::Test {
  TReplaySchedule Schedule{ReplayFramesOfLog(Log({0, 10'000, 20'000})), {1.0, 1}};
  using TKind = TReplayRun::TAction::TKind;

  // Sends what is due at nowMs; returns the indexes sent.
  static std::vector<std::uint64_t> SendDue(TReplayRun& run, std::int64_t nowMs) {
    std::vector<std::uint64_t> sent;
    for (auto action = run.Next(nowMs * kMs); action.Kind == TKind::Send; action = run.Next(nowMs * kMs)) {
      sent.push_back(action.Index);
      run.Sent();
    }
    return sent;
  }
};

TEST_F(ReplayRunTest, FramesAreDueAgainstOneStartTime) {
  TReplayRun run(Schedule, 1000 * kMs);
  EXPECT_EQ(SendDue(run, 1000), (std::vector<std::uint64_t>{0}));
  const auto wait = run.Next(1003 * kMs);
  EXPECT_EQ(wait.Kind, TKind::Wait);
  EXPECT_EQ(wait.AtNs, 1010 * kMs);
  // Late by 5 ms: the next frame is still due at 1020, not 5 ms after this one.
  EXPECT_EQ(SendDue(run, 1015), (std::vector<std::uint64_t>{1}));
  EXPECT_EQ(run.Next(1015 * kMs).AtNs, 1020 * kMs);
  EXPECT_EQ(SendDue(run, 1020), (std::vector<std::uint64_t>{2}));
  EXPECT_EQ(run.Next(1020 * kMs).Kind, TKind::Finished);
  EXPECT_EQ(run.ReplayTimeNs(5000 * kMs), 20 * kMs);
}

TEST_F(ReplayRunTest, AReplayBehindSendsEveryFrameAtOnceSkippingNone) {
  TReplayRun run(Schedule, 0);
  const auto action = run.Next(500 * kMs);
  EXPECT_EQ(action.AtNs, 0);  // the due time stays, so the owner sees the lag
  EXPECT_EQ(SendDue(run, 500), (std::vector<std::uint64_t>{0, 1, 2}));
}

TEST_F(ReplayRunTest, PauseAndResumeKeepTheSpacing) {
  TReplayRun run(Schedule, 1000 * kMs);
  SendDue(run, 1000);
  run.Pause(1004 * kMs);
  EXPECT_EQ(run.State(), TReplayRun::TState::Paused);
  EXPECT_EQ(run.Next(1050 * kMs).Kind, TKind::Idle);
  EXPECT_EQ(run.ReplayTimeNs(1050 * kMs), 4 * kMs);
  run.Resume(2000 * kMs);
  // 6 ms of the gap were left when paused.
  EXPECT_EQ(run.Next(2000 * kMs).AtNs, 2006 * kMs);
  EXPECT_EQ(run.Next(2016 * kMs).AtNs, 2006 * kMs);
  SendDue(run, 2006);
  EXPECT_EQ(run.Next(2006 * kMs).AtNs, 2016 * kMs);
}

TEST_F(ReplayRunTest, APauseForgivesTheLagOfAReplayBehind) {
  TReplayRun run(Schedule, 0);
  SendDue(run, 0);
  run.Pause(50 * kMs);  // frame 1 was due at 10 ms
  run.Resume(100 * kMs);
  EXPECT_EQ(run.Next(100 * kMs).AtNs, 100 * kMs);
  EXPECT_EQ(SendDue(run, 100), (std::vector<std::uint64_t>{1}));
  EXPECT_EQ(run.Next(100 * kMs).AtNs, 110 * kMs);
}

TEST_F(ReplayRunTest, StepsSendOneFrameEachAndResumeFromTheLastStepped) {
  TReplayRun run(Schedule, 1000 * kMs, true);
  EXPECT_EQ(run.Next(1000 * kMs).Kind, TKind::Idle);
  run.Step();
  run.Step();  // two clicks before the thread looked: two frames
  EXPECT_EQ(SendDue(run, 1500), (std::vector<std::uint64_t>{0, 1}));
  EXPECT_EQ(run.Next(1600 * kMs).Kind, TKind::Idle);
  EXPECT_EQ(run.ReplayTimeNs(1700 * kMs), 10 * kMs);
  run.Resume(3000 * kMs);
  EXPECT_EQ(run.Next(3000 * kMs).AtNs, 3010 * kMs);
  SendDue(run, 3010);
  EXPECT_EQ(run.State(), TReplayRun::TState::Finished);
  run.Step();
  EXPECT_EQ(run.Next(4000 * kMs).Kind, TKind::Finished);
}

TEST_F(ReplayRunTest, StopEndsAtOnce) {
  TReplayRun run(Schedule, 0);
  SendDue(run, 0);
  run.Stop();
  EXPECT_EQ(run.Next(100 * kMs).Kind, TKind::Finished);
  EXPECT_EQ(run.Position(), 1u);
}

}  // namespace
