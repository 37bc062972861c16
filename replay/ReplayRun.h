#pragma once
// The position of a replay in its schedule, and what is to be done at a given time: send the
// next frame, wait until it is due, or nothing (paused, finished). Times are nanoseconds of
// one monotonic clock that the caller reads, so tests hand in the times they want.
//
// Pausing freezes the replay time; resuming moves the start so the rest keeps its spacing.
// A step while paused sends the next frame at once and puts the replay time at its due time.
// A replay that falls behind sends at once, frame after frame; it never skips one.

#include <cstdint>

#include "replay/ReplaySchedule.h"

class TReplayRun {
 public:
  enum class TState { Playing, Paused, Finished };
  struct TAction {
    enum class TKind { Send, Wait, Idle, Finished } Kind;
    std::uint64_t Index = 0;  // Send: the frame
    std::int64_t AtNs = 0;    // Send: its due time; Wait: until when
  };

  // Starts playing at nowNs, or paused (for a first step) when paused is set.
  TReplayRun(const TReplaySchedule& schedule, std::int64_t nowNs, bool paused = false);

  [[nodiscard]] TAction Next(std::int64_t nowNs) const;
  // The frame Next named was handed on.
  void Sent();

  void Pause(std::int64_t nowNs);
  void Resume(std::int64_t nowNs);
  // While paused: one more frame goes out at once.
  void Step();
  void Stop() { FState = TState::Finished; }

  [[nodiscard]] TState State() const;
  // Frames handed on so far.
  [[nodiscard]] std::uint64_t Position() const { return FNext; }
  // Nanoseconds of schedule played, pauses left out.
  [[nodiscard]] std::int64_t ReplayTimeNs(std::int64_t nowNs) const;
  // When the index-th frame is due on the clock.
  [[nodiscard]] std::int64_t DueAtNs(std::uint64_t index) const { return FStartNs + FSchedule.DueNs(index); }

 private:
  const TReplaySchedule& FSchedule;
  TState FState;
  std::int64_t FStartNs = 0;     // the clock's time of schedule time 0
  std::int64_t FPausedAtNs = 0;  // schedule time where a pause holds
  std::uint64_t FNext = 0;
  std::uint64_t FStepsPending = 0;
};
