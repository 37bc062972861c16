#pragma once
// The adapters' time stamps count milliseconds and wrap (at 60,000 on the serial adapters,
// 65,536 or 2^32 on others), so a stamp lower than the one before starts the next turn of the
// counter. The bus figures and the plot count time on across the turns with this.

#include <cstdint>

class TStampUnwrap {
 public:
  // Milliseconds since the counter's zero before the first stamp, counted on across turns.
  [[nodiscard]] std::int64_t Unwrapped(std::int32_t stampMs);
  void Restart() { *this = TStampUnwrap(); }

 private:
  std::int64_t FTurnsMs = 0;
  std::int64_t FLastStampMs = -1;
};
