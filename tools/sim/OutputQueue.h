#pragma once
// Bytes waiting for the pseudo-terminal. Command replies go before queued frame lines, but
// never into the middle of a line already being written; frame lines are kept up to a limit
// and the rest is dropped and counted, as an adapter's receive FIFO overflows.

#include <cstddef>
#include <string>
#include <string_view>

class TOutputQueue {
 public:
  static constexpr std::size_t kChunk = 4096;  // how far a reply can fall behind frame lines

  explicit TOutputQueue(std::size_t frameLimit = 64 * 1024) : FFrameLimit(frameLimit) {}

  void PushReply(std::string_view bytes) { FReplies += bytes; }
  // false (and counted as dropped) when the frame backlog is full.
  bool PushFrame(std::string_view line);
  [[nodiscard]] bool HasRoomForFrame() const { return FFrames.size() < FFrameLimit; }
  // Frame lines not yet begun are dropped, e.g. when the channel closes.
  void DiscardFrames() { FFrames.clear(); }

  // The bytes to write next (empty when nothing waits); Consume tells how many were taken.
  [[nodiscard]] std::string_view Next();
  void Consume(std::size_t count);
  [[nodiscard]] bool Empty() const { return FOffset == FCurrent.size() && FReplies.empty() && FFrames.empty(); }
  [[nodiscard]] std::size_t DroppedFrames() const { return FDropped; }

 private:
  std::size_t FFrameLimit;
  std::string FCurrent;  // being written, from FOffset on
  std::size_t FOffset = 0;
  std::string FReplies;
  std::string FFrames;  // whole lines
  std::size_t FDropped = 0;
};
