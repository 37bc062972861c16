#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/ReceivePipeline.h"
#include "support/ScriptedDriver.h"

namespace {

using namespace std::chrono_literals;

template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 5s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

struct ReceiveLoop : ::testing::Test {
  ScriptedDriver driver;
  TZelCanAdapter facade;
  ReceiveQueue queue;
  TBMDThread thread;
  void SetUp() override {
    facade.SetAdapter(&driver);
    AttachReceiveLoop(thread, facade, queue);
  }
  void TearDown() override {
    thread.Stop();
    thread.WaitFor();
  }
  std::vector<std::int64_t> DrainSeqs() {
    std::vector<std::int64_t> seqs;
    DrainReceiveQueue(queue, [&](const TCanMsgProg& m) { seqs.push_back(FrameSeq(m)); });
    return seqs;
  }
};

}  // namespace

TEST_F(ReceiveLoop, ReadOfThreeFramesEnqueuesThreeInOrder) {
  driver.Script({{1, 3}});
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return queue.Count() == 3; }));
  EXPECT_EQ(DrainSeqs(), (std::vector<std::int64_t>{0, 1, 2}));
}

TEST_F(ReceiveLoop, OtherResultsEnqueueNothingAndKeepReading) {
  driver.Script({{0, 2}, {-3, 2}, {5, 2}, {1, 1}});
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return queue.Count() == 1; }));
  std::this_thread::sleep_for(5ms);
  EXPECT_EQ(queue.Count(), 1u) << "only a result of 1 hands frames over";
  EXPECT_GE(driver.Reads(), 4);
}

TEST_F(ReceiveLoop, StopWhileFramesKeepComingLosesNothingAndReadsNoMore) {
  driver.Script({{1, 10}}, /*repeatLast=*/true);
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return queue.Count() > 1000; }));
  thread.Stop();
  thread.WaitFor();
  EXPECT_FALSE(thread.Runing());
  const long readsAfterWait = driver.Reads();
  const auto seqs = DrainSeqs();
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(driver.Reads(), readsAfterWait) << "nothing is read after the wait returns";
  ASSERT_EQ(static_cast<std::int64_t>(seqs.size()), driver.FramesMade());
  for (std::size_t i = 0; i < seqs.size(); ++i) ASSERT_EQ(seqs[i], static_cast<std::int64_t>(i));
}

TEST_F(ReceiveLoop, IdleBusPausesBetweenReads) {
  driver.Script({{CanResult::NoMessage, 0}}, true);
  thread.Start();
  std::this_thread::sleep_for(100ms);
  thread.Stop();
  thread.WaitFor();
  // One read per pause of 1 ms; a spinning loop would read millions of times.
  EXPECT_GT(driver.Reads(), 0);
  EXPECT_LT(driver.Reads(), 200);
}

TEST_F(ReceiveLoop, StartAfterStopRunsANewWorker) {
  driver.Script({{1, 1}});
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return queue.Count() == 1; }));
  thread.Start();  // a worker exists: nothing happens
  thread.Stop();
  thread.WaitFor();
  EXPECT_FALSE(thread.Runing());
  driver.Script({{1, 2}});
  thread.Start();
  EXPECT_TRUE(thread.Runing());
  ASSERT_TRUE(WaitUntil([&] { return queue.Count() == 3; }));
  EXPECT_EQ(DrainSeqs(), (std::vector<std::int64_t>{0, 1, 2}));
}

// The reader and the user-interface thread share one more thing: the driver's lost state,
// set inside ReadData and read by the other thread once the loop has ended.
TEST_F(ReceiveLoop, LostDeviceEndsTheLoopAfterQueuingItsLastRead) {
  driver.Script({{1, 4}, {1, 4}, {1, 3, /*loseDevice=*/true}, {1, 100}}, true);
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return facade.DeviceLost() && !thread.Runing(); }));
  thread.WaitFor();
  EXPECT_EQ(driver.Reads(), 3);
  const auto seqs = DrainSeqs();
  ASSERT_EQ(seqs.size(), 11u);
  for (std::size_t i = 0; i < seqs.size(); ++i) EXPECT_EQ(seqs[i], static_cast<std::int64_t>(i));
}

TEST_F(ReceiveLoop, IdleReadThatFindsTheDeviceGoneEndsTheLoopToo) {
  driver.Script({{CanResult::NoMessage, 0}, {CanResult::NoMessage, 0, /*loseDevice=*/true}}, true);
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return !thread.Runing(); }));
  EXPECT_TRUE(facade.DeviceLost());
  EXPECT_EQ(driver.Reads(), 2);
  EXPECT_EQ(queue.Count(), 0u);
}

TEST(BMDThread, WorkerThatReturnsEndsAndPassesItsData) {
  TBMDThread thread;
  int payload = 7;
  std::atomic<int> seen{0};
  thread.Data = &payload;
  thread.OnExecute = [&](TBMDThread& sender, TBMDWorker& worker, void* data) {
    EXPECT_EQ(&sender, &thread);
    EXPECT_FALSE(worker.Terminated());
    seen = *static_cast<int*>(data);
  };
  thread.Start();
  ASSERT_TRUE(WaitUntil([&] { return !thread.Runing(); }));
  EXPECT_EQ(seen.load(), 7);
  thread.Stop();  // nothing to stop: harmless, also twice
  thread.Stop();
}
