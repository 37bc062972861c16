#pragma once
// Follows the sequence numbers of a flood as they come out of the trace: counts the frames
// that never arrived, those that came twice or out of order, and those whose identifier does
// not belong to their number (a corrupted frame).

#include <cstdint>

#include "model/CanMsgProg.h"

class TSequenceCheck {
 public:
  void See(const TCanMsgProg& msg);
  // A frame of another flood, by its number alone.
  void SeeNumber(std::uint64_t sequence);

  [[nodiscard]] std::uint64_t Seen() const { return FSeen; }
  [[nodiscard]] std::uint64_t First() const { return FFirst; }
  // The number the next frame should carry.
  [[nodiscard]] std::uint64_t Next() const { return FNext; }
  [[nodiscard]] std::uint64_t Missing() const { return FMissing; }
  [[nodiscard]] std::uint64_t Gaps() const { return FGaps; }
  [[nodiscard]] std::uint64_t Backwards() const { return FBackwards; }
  [[nodiscard]] std::uint64_t Corrupt() const { return FCorrupt; }
  // Every frame from the first one on, in order, each once, none altered.
  [[nodiscard]] bool Intact() const { return FMissing == 0 && FBackwards == 0 && FCorrupt == 0 && FFirst == 0; }

 private:
  bool FStarted = false;
  std::uint64_t FSeen = 0;
  std::uint64_t FFirst = 0;
  std::uint64_t FNext = 0;
  std::uint64_t FMissing = 0;
  std::uint64_t FGaps = 0;
  std::uint64_t FBackwards = 0;  // repeated or reordered
  std::uint64_t FCorrupt = 0;
};
