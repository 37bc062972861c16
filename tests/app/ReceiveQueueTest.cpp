#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/ReceivePipeline.h"
#include "app/ReceiveQueue.h"

namespace {
PCanMsgProg Frame(std::int64_t seq) {
  auto msg = std::make_unique<TCanMsgProg>();
  msg->CanId = seq;
  return msg;
}
}  // namespace

TEST(ReceiveQueue, KeepsOrderAcrossGrowthAndWrapAround) {
  ReceiveQueue queue;
  EXPECT_EQ(queue.Capacity(), 0u);
  queue.Enqueue(Frame(0));
  EXPECT_EQ(queue.Capacity(), 4u);
  std::int64_t next = 1, expected = 0;
  // Interleave so that the ring wraps before every growth.
  for (int round = 0; round < 6; ++round) {
    for (int i = 0; i < 5 + round * 3; ++i) queue.Enqueue(Frame(next++));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(queue.Dequeue()->CanId, expected++);
  }
  while (auto msg = queue.Dequeue()) EXPECT_EQ(msg->CanId, expected++);
  EXPECT_EQ(expected, next);
  EXPECT_EQ(queue.Count(), 0u);
}

TEST(ReceiveQueue, GrowsToFourThenDoublesAndNeverShrinks) {
  ReceiveQueue queue;
  std::vector<std::size_t> capacities;
  for (int i = 0; i < 33; ++i) {
    queue.Enqueue(Frame(i));
    if (capacities.empty() || capacities.back() != queue.Capacity()) capacities.push_back(queue.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<std::size_t>{4, 8, 16, 32, 64}));
  queue.Clear();
  EXPECT_EQ(queue.Count(), 0u);
  EXPECT_EQ(queue.Capacity(), 64u);
  EXPECT_EQ(queue.Dequeue(), nullptr);
}

TEST(ReceiveQueue, ClearReleasesEntries) {
  ReceiveQueue queue;
  // The queue holds frames by unique ownership: after Clear the slots are empty and a
  // later dequeue sees nothing of the old content.
  for (int i = 0; i < 10; ++i) queue.Enqueue(Frame(i));
  queue.Clear();
  queue.Enqueue(Frame(42));
  EXPECT_EQ(queue.Count(), 1u);
  EXPECT_EQ(queue.Dequeue()->CanId, 42);
}

TEST(ReceiveQueue, BatchOperationsKeepArrayOrder) {
  ReceiveQueue queue;
  PCanMsgProgs in;
  for (int i = 0; i < 7; ++i) in.push_back(Frame(i));
  queue.EnqueueAll(in);
  EXPECT_EQ(queue.Count(), 7u);
  for (const auto& slot : in) EXPECT_EQ(slot, nullptr) << "ownership moved into the queue";
  PCanMsgProgs out;
  EXPECT_EQ(queue.DequeueBatch(out, 3), 3u);
  EXPECT_EQ(queue.DequeueBatch(out, 100), 4u);
  ASSERT_EQ(out.size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(out[i]->CanId, i);
}

TEST(DrainReceiveQueue, DispatchesInOrderIncludingFramesArrivingMeanwhile) {
  ReceiveQueue queue;
  for (int i = 0; i < 3; ++i) queue.Enqueue(Frame(i));
  std::vector<std::int64_t> seen;
  const std::size_t n = DrainReceiveQueue(queue, [&](const TCanMsgProg& msg) {
    seen.push_back(msg.CanId);
    if (msg.CanId == 1) queue.Enqueue(Frame(99));  // as if the reader appended during the tick
  });
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(seen, (std::vector<std::int64_t>{0, 1, 2, 99}));
  EXPECT_EQ(DrainReceiveQueue(queue, [](const TCanMsgProg&) { FAIL(); }), 0u);
}

TEST(ReceiveQueueStress, OneProducerOneConsumerMillionFrames) {
  constexpr std::int64_t kFrames = 1'000'000;
  ReceiveQueue queue;
  std::thread producer([&] {
    std::int64_t seq = 0;
    PCanMsgProgs batch;
    while (seq < kFrames) {
      if (seq % 3 == 0) {
        queue.Enqueue(Frame(seq++));
        continue;
      }
      batch.clear();
      for (int i = 0; i < 1 + seq % 7 && seq < kFrames; ++i) batch.push_back(Frame(seq++));
      queue.EnqueueAll(batch);
    }
  });
  std::int64_t expected = 0;
  bool ordered = true;
  while (expected < kFrames) {
    if (expected % 5 == 0) {
      if (auto msg = queue.Dequeue()) ordered &= msg->CanId == expected++;
      continue;
    }
    DrainReceiveQueue(queue, [&](const TCanMsgProg& msg) { ordered &= msg.CanId == expected++; });
  }
  producer.join();
  EXPECT_TRUE(ordered);
  EXPECT_EQ(expected, kFrames);
  EXPECT_EQ(queue.Count(), 0u);
}

// A consumer with nothing else to do sleeps in the queue: it wakes for a frame from the other
// thread, and at its time limit when none comes.
TEST(ReceiveQueueWait, WakesForAFrameOrAtTheTimeLimit) {
  ReceiveQueue queue;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(queue.WaitForFrames(std::chrono::milliseconds(20)));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));

  std::thread producer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    PCanMsgProgs batch;
    batch.push_back(Frame(7));
    queue.EnqueueAll(batch);
  });
  EXPECT_TRUE(queue.WaitForFrames(std::chrono::seconds(30)));
  producer.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << "woken, not timed out";
  EXPECT_TRUE(queue.WaitForFrames(std::chrono::microseconds(0))) << "frames already queued need no wait";
  EXPECT_EQ(queue.Dequeue()->CanId, 7);
}
