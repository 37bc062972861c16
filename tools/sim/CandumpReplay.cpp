#include "tools/sim/CandumpReplay.h"

#include <algorithm>

TCandumpReplay::TCandumpReplay(std::vector<TCandumpFrame> frames, bool loop)
    : FFrames(std::move(frames)), FLoop(loop) {}

std::optional<TTimedFrame> TCandumpReplay::Next(std::int64_t) {
  if (FFrames.empty()) return std::nullopt;
  if (FIndex == FFrames.size()) {
    if (!FLoop) return std::nullopt;
    FRoundStartUs = FLastDueUs + kLoopGapUs;
    FIndex = 0;
  }
  const TCandumpFrame& frame = FFrames[FIndex++];
  // A log merged from several interfaces can step back in time; it is played in file order.
  const std::int64_t due = FRoundStartUs + (frame.TimeUs - FFrames.front().TimeUs);
  FLastDueUs = std::max(FLastDueUs, due);
  return TTimedFrame{FLastDueUs, frame.Msg};
}
