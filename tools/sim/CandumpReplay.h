#pragma once
// A candump log played back at its original pace: the first frame is due at once, every
// later one after its distance from the first. With looping, the log starts over 100 ms after
// its last frame.

#include <cstddef>
#include <vector>

#include "model/CandumpLog.h"
#include "tools/sim/TrafficSource.h"

class TCandumpReplay : public TTrafficSource {
 public:
  static constexpr std::int64_t kLoopGapUs = 100'000;

  TCandumpReplay(std::vector<TCandumpFrame> frames, bool loop);
  [[nodiscard]] std::optional<TTimedFrame> Next(std::int64_t nowUs) override;

 private:
  std::vector<TCandumpFrame> FFrames;
  bool FLoop;
  std::size_t FIndex = 0;
  std::int64_t FRoundStartUs = 0;  // bus time of the first frame of this round
  std::int64_t FLastDueUs = 0;
};
