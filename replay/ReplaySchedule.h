#pragma once
// When each frame of a replay is due: its recorded offset from the first replayed frame,
// divided by the speed factor, counted from one start time. Loops repeat the capture at its
// own cadence, so the first frame of a loop follows the last one by the capture's mean gap.
//
// Offsets come from the recorded stamps: a stamp below the one before it (a log pieced
// together from several, or a clock set back) makes the frame due right after the one
// before, and the capture goes on from there; nothing is skipped and nothing waits for the
// clock to come round again.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "model/LogReader.h"

struct TReplayFrame {
  TCanMsgProg Msg;
  std::int64_t OffsetUs = 0;  // since the first replayed frame, never going back
};

// Which frames of a capture are replayed; all when empty.
using TReplayFilter = std::function<bool(const TCanMsgProg&)>;

// The frames of a log (time stamps in microseconds) that pass the filter, in file order.
[[nodiscard]] std::vector<TReplayFrame> ReplayFramesOfLog(const std::vector<TCandumpFrame>& frames,
                                                          const TReplayFilter& accept = {});
// A trace row: received frames carry the adapter's wrapping millisecond counter; sent ones
// carry no stamp of the bus, so a sent row is due together with the row before it.
struct TTraceFrame {
  TCanMsgProg Msg;
  bool Received = true;
};
[[nodiscard]] std::vector<TReplayFrame> ReplayFramesOfTrace(const std::vector<TTraceFrame>& rows,
                                                            const TReplayFilter& accept = {});

struct TReplayPace {
  static constexpr double kMinSpeed = 0.1;
  static constexpr double kMaxSpeed = 10.0;
  // 0.1 to 10; 0 sends every frame as soon as the adapter takes it.
  double Speed = 1.0;
  // How often the capture is played; 0 is endless.
  std::uint32_t Loops = 1;
};

class TReplaySchedule {
 public:
  // Throws std::invalid_argument for a speed outside 0.1..10 other than 0.
  TReplaySchedule(std::vector<TReplayFrame> frames, TReplayPace pace);

  // Frames in one pass of the capture.
  [[nodiscard]] std::uint64_t FramesPerLoop() const { return FFrames.size(); }
  // Frames of the whole replay; nothing for an endless one.
  [[nodiscard]] std::optional<std::uint64_t> Total() const;
  [[nodiscard]] bool Endless() const { return FPace.Loops == 0 && !FFrames.empty(); }
  [[nodiscard]] bool HasFrame(std::uint64_t index) const;
  // The index-th frame sent, counted over all loops.
  [[nodiscard]] const TCanMsgProg& Frame(std::uint64_t index) const { return FFrames[index % FFrames.size()].Msg; }
  // Nanoseconds from the start at which the index-th frame is due.
  [[nodiscard]] std::int64_t DueNs(std::uint64_t index) const;
  [[nodiscard]] bool AsFastAsPossible() const { return FPace.Speed == 0; }
  [[nodiscard]] const TReplayPace& Pace() const { return FPace; }

 private:
  std::vector<TReplayFrame> FFrames;
  TReplayPace FPace;
  std::int64_t FLoopPeriodUs = 0;
};
