#pragma once
// FIFO of received frames between the reader thread (producer) and the drain tick (consumer).
// A ring buffer that grows to 4 entries first, then doubles, and never shrinks. Each
// operation takes the lock once; the batch forms exist so that a read of many frames or a
// drain of many frames costs one lock, not one per frame.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

#include "model/CanMsgProg.h"

class ReceiveQueue {
 public:
  void Enqueue(PCanMsgProg msg);
  // Moves every frame of `msgs` in array order; `msgs` keeps its (now empty) slots.
  void EnqueueAll(PCanMsgProgs& msgs);
  // Oldest frame, or null when empty.
  PCanMsgProg Dequeue();
  // Moves up to `max` oldest frames to the end of `out`; returns how many were moved.
  std::size_t DequeueBatch(PCanMsgProgs& out, std::size_t max);
  // Blocks until a frame is queued or `timeout` has passed; true when frames are queued. For
  // a consumer that has nothing else to do between frames.
  bool WaitForFrames(std::chrono::microseconds timeout);
  [[nodiscard]] std::size_t Count() const;
  [[nodiscard]] std::size_t Capacity() const;
  void Clear();

 private:
  void GrowLocked();
  void PushLocked(PCanMsgProg msg);

  mutable std::mutex FLock;
  std::condition_variable FQueued;
  std::vector<PCanMsgProg> FRing;
  std::size_t FMask = 0;  // capacity is a power of two
  std::size_t FHead = 0;
  std::size_t FCount = 0;
};
