// The hand-off between the replay thread and the owner of the send path, on the real clock:
// frames in order and on time, pause, step, stop in the middle of a send, an adapter slower
// than the capture. Also built with ThreadSanitizer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

#include "replay/ReplayController.h"

namespace {

using namespace std::chrono_literals;
constexpr std::int64_t kMs = 1'000'000;

struct TSentFrame {
  std::int64_t CanId;
  std::int64_t AtNs;
};

// Frames 0x100, 0x101, ... spaced by gapUs.
TReplaySchedule Spaced(int count, std::int64_t gapUs, TReplayPace pace = {}) {
  std::vector<TCandumpFrame> log;
  for (int i = 0; i < count; ++i) {
    TCandumpFrame frame;
    frame.TimeUs = i * gapUs;
    frame.Msg.CanId = 0x100 + i;
    frame.Msg.DLC = 1;
    log.push_back(frame);
  }
  return TReplaySchedule(ReplayFramesOfLog(log), pace);
}

struct ReplayThreadTest : testing::Test {
  std::vector<TSentFrame> Sent;
  std::function<bool(const TCanMsgProg&)> OnSend = [](const TCanMsgProg&) { return true; };
  TReplayController Controller{{[this](const TCanMsgProg& msg) {
                                  Sent.push_back({msg.CanId, SteadyClockNs()});
                                  return OnSend(msg);
                                }},
                               TReplayController::TWakeup::Wait};

  // Drains as the command line does, until the replay ends or the time is up.
  void RunFor(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (Controller.Running() && std::chrono::steady_clock::now() < end) {
      Controller.Wait(5ms);
      Controller.Drain();
    }
  }
  [[nodiscard]] std::vector<std::int64_t> SentIds() const {
    std::vector<std::int64_t> ids;
    for (const TSentFrame& frame : Sent) ids.push_back(frame.CanId);
    return ids;
  }
};

TEST_F(ReplayThreadTest, FramesGoOutInOrderAndNoneBeforeItsDueTime) {
  const std::int64_t startNs = SteadyClockNs();
  Controller.Start(Spaced(20, 2000, {1.0, 2}));
  RunFor(5s);
  ASSERT_EQ(Sent.size(), 40u);
  for (std::size_t i = 0; i < Sent.size(); ++i) {
    EXPECT_EQ(Sent[i].CanId, 0x100 + static_cast<std::int64_t>(i % 20));
    EXPECT_GE(Sent[i].AtNs - startNs, static_cast<std::int64_t>(i) * 2 * kMs) << i;
  }
  EXPECT_FALSE(Controller.Running());
  EXPECT_EQ(Controller.Progress().Sent, 40u);
  EXPECT_EQ(Controller.Progress().Total, 40u);
  EXPECT_EQ(Controller.Progress().ReplayTimeNs, 39 * 2 * kMs);
}

TEST_F(ReplayThreadTest, RefusedSendsAreCountedAndTheReplayGoesOn) {
  OnSend = [](const TCanMsgProg& msg) { return msg.CanId % 2 == 0; };
  Controller.Start(Spaced(6, 0, {0.0, 1}));
  RunFor(5s);
  EXPECT_EQ(Sent.size(), 6u);
  EXPECT_EQ(Controller.Progress().Refused, 3u);
}

TEST_F(ReplayThreadTest, StopDuringASendSendsNothingMore) {
  OnSend = [this](const TCanMsgProg& msg) {
    if (msg.CanId == 0x102) Controller.Stop();
    return true;
  };
  Controller.Start(Spaced(50, 0, {0.0, 0}));  // endless and as fast as possible
  RunFor(5s);
  EXPECT_EQ(SentIds(), (std::vector<std::int64_t>{0x100, 0x101, 0x102}));
  EXPECT_FALSE(Controller.Running());
}

TEST_F(ReplayThreadTest, AnOutsideStopEndsAfterTheFrameInFlight) {
  TReplayController controller{{[this](const TCanMsgProg& msg) {
                                  Sent.push_back({msg.CanId, 0});
                                  return true;
                                },
                                [this] { return Sent.size() >= 5; }},
                               TReplayController::TWakeup::Wait};
  controller.Start(Spaced(100, 0, {0.0, 1}));
  while (controller.Running()) {
    controller.Wait(5ms);
    controller.Drain();
  }
  EXPECT_EQ(Sent.size(), 5u);
}

TEST_F(ReplayThreadTest, PausedItWaitsForStepsAndResumesTheSchedule) {
  Controller.Start(Spaced(5, 20'000), true);
  std::this_thread::sleep_for(30ms);
  Controller.Drain();
  EXPECT_TRUE(Sent.empty());
  Controller.Step();
  Controller.Step();
  const auto deadline = std::chrono::steady_clock::now() + 2s;
  while (Sent.size() < 2 && std::chrono::steady_clock::now() < deadline) {
    Controller.Wait(5ms);
    Controller.Drain();
  }
  EXPECT_EQ(SentIds(), (std::vector<std::int64_t>{0x100, 0x101}));
  EXPECT_TRUE(Controller.Paused());
  std::this_thread::sleep_for(30ms);
  Controller.Drain();
  EXPECT_EQ(Sent.size(), 2u);

  const std::int64_t resumedNs = SteadyClockNs();
  Controller.Resume();
  RunFor(5s);
  ASSERT_EQ(Sent.size(), 5u);
  // After the step to frame 1, frame 2 is due one gap after the resume.
  EXPECT_GE(Sent[2].AtNs - resumedNs, 20 * kMs);
  EXPECT_GE(Sent[4].AtNs - resumedNs, 60 * kMs);
}

TEST_F(ReplayThreadTest, ASlowAdapterFallsBehindWithoutSkippingAndShowsTheLag) {
  OnSend = [](const TCanMsgProg&) {
    std::this_thread::sleep_for(1ms);
    return true;
  };
  Controller.Start(Spaced(300, 100));  // 10,000 frames/s, ten times what this adapter takes
  RunFor(10s);
  ASSERT_EQ(Sent.size(), 300u);
  for (std::size_t i = 0; i < Sent.size(); ++i) EXPECT_EQ(Sent[i].CanId, 0x100 + static_cast<std::int64_t>(i));
  EXPECT_GT(Controller.Progress().MaxLagNs, 100 * kMs);
}

TEST_F(ReplayThreadTest, ANewStartReplacesTheRunningReplay) {
  Controller.Start(Spaced(10, 1'000'000));
  Controller.Start(Spaced(3, 0, {0.0, 1}));
  RunFor(5s);
  EXPECT_EQ(SentIds(), (std::vector<std::int64_t>{0x100, 0x101, 0x102}));
}

// The window's way: the replay thread wakes the owner's event loop, which sends.
struct ReplayEventLoop : testing::Test {
  int Argc = 1;
  char Name[12] = "test_replay";
  char* Argv[2] = {Name, nullptr};
  QCoreApplication Application{Argc, Argv};

  // Runs the event loop until the replay ends; how often a 1 ms timer came through meanwhile.
  static int RunUntilEnded(const TReplayController& controller) {
    QEventLoop loop;
    QTimer look;
    int looks = 0;
    look.setInterval(1);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
      ++looks;
      if (!controller.Running()) loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    look.start();
    loop.exec();
    return looks;
  }
};

TEST_F(ReplayEventLoop, DueFramesAreSentFromTheOwnersEventLoopInOrder) {
  std::vector<std::int64_t> ids;
  const std::thread::id owner = std::this_thread::get_id();
  bool sentElsewhere = false;
  TReplayController controller({[&](const TCanMsgProg& msg) {
                                  sentElsewhere = sentElsewhere || std::this_thread::get_id() != owner;
                                  ids.push_back(msg.CanId);
                                  return true;
                                }},
                               TReplayController::TWakeup::EventLoop);
  controller.Start(Spaced(200, 250, {1.0, 2}));
  RunUntilEnded(controller);
  ASSERT_EQ(ids.size(), 400u);
  for (std::size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(ids[i], 0x100 + static_cast<std::int64_t>(i % 200));
  EXPECT_FALSE(sentElsewhere);
}

TEST_F(ReplayEventLoop, ASlowAdapterLeavesTheEventLoopRoomBetweenSlices) {
  std::size_t sent = 0;
  TReplayController controller({[&](const TCanMsgProg&) {
                                  std::this_thread::sleep_for(1ms);
                                  ++sent;
                                  return true;
                                }},
                               TReplayController::TWakeup::EventLoop);
  controller.Start(Spaced(200, 0, {0.0, 1}));  // 200 ms of sending, frames queued 64 at a time
  const int looks = RunUntilEnded(controller);
  EXPECT_EQ(sent, 200u);
  // A drain holding the loop for whole queues would let the timer through two or three times.
  EXPECT_GE(looks, 8);
}

}  // namespace
