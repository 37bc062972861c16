#include "model/StampUnwrap.h"

namespace {
// The counter's range, judged from the highest stamp it reached before it went back.
std::int64_t CounterRange(std::int64_t highest) {
  if (highest < 60'000) return 60'000;
  if (highest < 65'536) return 65'536;
  return std::int64_t{1} << 32;
}
}  // namespace

std::int64_t TStampUnwrap::Unwrapped(std::int32_t stampMs) {
  const std::int64_t stamp = static_cast<std::uint32_t>(stampMs);
  if (FLastStampMs >= 0 && stamp < FLastStampMs) FTurnsMs += CounterRange(FLastStampMs);
  FLastStampMs = stamp;
  return FTurnsMs + stamp;
}
