#include <gtest/gtest.h>

#include "tools/sim/OutputQueue.h"

namespace {
// Takes everything the queue hands out, at most `step` bytes per write.
std::string Drain(TOutputQueue& queue, std::size_t step = 1'000'000) {
  std::string out;
  for (std::string_view next = queue.Next(); !next.empty(); next = queue.Next()) {
    const std::size_t taken = std::min(step, next.size());
    out.append(next.substr(0, taken));
    queue.Consume(taken);
  }
  return out;
}
}  // namespace

TEST(OutputQueue, ReplyOvertakesQueuedFramesButNotAHalfWrittenLine) {
  TOutputQueue queue;
  const std::string line = "t1238000102030405060708\r";  // 24 bytes
  const std::size_t lines = 2 * TOutputQueue::kChunk / line.size();
  for (std::size_t i = 0; i < lines; ++i) ASSERT_TRUE(queue.PushFrame(line));

  std::string_view first = queue.Next();
  ASSERT_LE(first.size(), TOutputQueue::kChunk);
  ASSERT_EQ(first.back(), '\r') << "chunks end at a line end";
  queue.Consume(first.size() - 5);
  queue.PushReply("z\r");
  EXPECT_EQ(queue.Next(), std::string_view(line).substr(line.size() - 5)) << "the started line is finished first";
  queue.Consume(5);
  EXPECT_EQ(queue.Next(), "z\r") << "then the reply, before the rest of the frames";
  queue.Consume(2);
  const std::string rest = Drain(queue, 7);
  EXPECT_EQ(rest.size() % line.size(), 0u);
  EXPECT_EQ(rest.size() + first.size(), lines * line.size());
  EXPECT_TRUE(queue.Empty());
}

TEST(OutputQueue, FrameBacklogIsBoundedAndDiscardable) {
  TOutputQueue queue(100);
  const std::string line = "t1230\r";
  int accepted = 0;
  for (int i = 0; i < 30; ++i) accepted += queue.PushFrame(line) ? 1 : 0;
  EXPECT_EQ(accepted, 17) << "up to the limit";
  EXPECT_EQ(queue.DroppedFrames(), 13u);
  EXPECT_FALSE(queue.HasRoomForFrame());
  queue.PushReply("\r");
  queue.DiscardFrames();
  EXPECT_TRUE(queue.HasRoomForFrame());
  EXPECT_EQ(Drain(queue), "\r") << "replies survive a close";
}
