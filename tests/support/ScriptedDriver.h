#pragma once
// A driver whose reads follow a script: each step is a result and the frames it delivers.
// After the script it either repeats the last step or reports "nothing" (-7).

#include <atomic>
#include <deque>
#include <mutex>

#include "CanPackage/source/ZelCanDriver.h"

struct ReadStep {
  std::int32_t result = CanResult::NoMessage;
  int frames = 0;
  bool loseDevice = false;  // the device goes away during this read
};

class ScriptedDriver : public TZelCanDriver {
 public:
  void Script(std::deque<ReadStep> steps, bool repeatLast = false) {
    std::lock_guard lock(FLock);
    FSteps = std::move(steps);
    FRepeatLast = repeatLast;
  }

  std::int32_t ReadData(PCanMsgProgs& msgs) override {
    FReads.fetch_add(1, std::memory_order_relaxed);
    ReadStep step;
    {
      std::lock_guard lock(FLock);
      if (!FSteps.empty()) {
        step = FSteps.front();
        if (!(FRepeatLast && FSteps.size() == 1)) FSteps.pop_front();
      }
    }
    for (int i = 0; i < step.frames; ++i) {
      auto msg = std::make_unique<TCanMsgProg>();
      const std::int64_t seq = FNextSeq.fetch_add(1, std::memory_order_relaxed);
      msg->CanId = seq % 2048;
      msg->DLC = 8;
      for (int b = 0; b < 8; ++b) msg->Data[b] = static_cast<std::uint8_t>(seq >> (8 * b));
      msg->Time = static_cast<std::int32_t>(seq);
      msgs.push_back(std::move(msg));
    }
    if (step.loseDevice) SetDeviceLost(true);
    return step.result;
  }

  [[nodiscard]] long Reads() const { return FReads.load(std::memory_order_relaxed); }
  [[nodiscard]] std::int64_t FramesMade() const { return FNextSeq.load(std::memory_order_relaxed); }

 private:
  std::mutex FLock;
  std::deque<ReadStep> FSteps;
  bool FRepeatLast = false;
  std::atomic<long> FReads{0};
  std::atomic<std::int64_t> FNextSeq{0};
};

// The sequence number a ScriptedDriver frame carries in its data bytes.
inline std::int64_t FrameSeq(const TCanMsgProg& msg) {
  std::int64_t seq = 0;
  for (int b = 7; b >= 0; --b) seq = (seq << 8) | msg.Data[b];
  return seq;
}
