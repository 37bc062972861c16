#include "app/ReceiveQueue.h"

void ReceiveQueue::GrowLocked() {
  const std::size_t capacity = FRing.empty() ? 4 : FRing.size() * 2;
  std::vector<PCanMsgProg> grown(capacity);
  for (std::size_t i = 0; i < FCount; ++i) grown[i] = std::move(FRing[(FHead + i) & FMask]);
  FRing = std::move(grown);
  FMask = capacity - 1;
  FHead = 0;
}

void ReceiveQueue::PushLocked(PCanMsgProg msg) {
  if (FCount == FRing.size()) GrowLocked();
  FRing[(FHead + FCount) & FMask] = std::move(msg);
  ++FCount;
}

void ReceiveQueue::Enqueue(PCanMsgProg msg) {
  {
    std::lock_guard lock(FLock);
    PushLocked(std::move(msg));
  }
  FQueued.notify_one();
}

void ReceiveQueue::EnqueueAll(PCanMsgProgs& msgs) {
  {
    std::lock_guard lock(FLock);
    for (PCanMsgProg& msg : msgs) PushLocked(std::move(msg));
  }
  FQueued.notify_one();
}

bool ReceiveQueue::WaitForFrames(std::chrono::microseconds timeout) {
  std::unique_lock lock(FLock);
  return FQueued.wait_for(lock, timeout, [this] { return FCount > 0; });
}

PCanMsgProg ReceiveQueue::Dequeue() {
  std::lock_guard lock(FLock);
  if (FCount == 0) return nullptr;
  PCanMsgProg msg = std::move(FRing[FHead]);
  FHead = (FHead + 1) & FMask;
  --FCount;
  return msg;
}

std::size_t ReceiveQueue::DequeueBatch(PCanMsgProgs& out, std::size_t max) {
  std::lock_guard lock(FLock);
  const std::size_t n = FCount < max ? FCount : max;
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back(std::move(FRing[FHead]));
    FHead = (FHead + 1) & FMask;
  }
  FCount -= n;
  return n;
}

std::size_t ReceiveQueue::Count() const {
  std::lock_guard lock(FLock);
  return FCount;
}

std::size_t ReceiveQueue::Capacity() const {
  std::lock_guard lock(FLock);
  return FRing.size();
}

void ReceiveQueue::Clear() {
  std::lock_guard lock(FLock);
  for (std::size_t i = 0; i < FCount; ++i) FRing[(FHead + i) & FMask].reset();
  FHead = 0;
  FCount = 0;
}
