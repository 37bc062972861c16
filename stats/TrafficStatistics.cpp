#include "stats/TrafficStatistics.h"

namespace {
// The counter's range, judged from the highest stamp it reached before it went back.
std::int64_t CounterRange(std::int64_t highest) {
  if (highest < 60'000) return 60'000;
  if (highest < 65'536) return 65'536;
  return std::int64_t{1} << 32;
}
}  // namespace

std::int64_t TTrafficStatistics::Unwrapped(std::int32_t stampMs) {
  const std::int64_t stamp = static_cast<std::uint32_t>(stampMs);
  if (FLastStampMs >= 0 && stamp < FLastStampMs) FTurnsMs += CounterRange(FLastStampMs);
  FLastStampMs = stamp;
  return (FTurnsMs + stamp) * 1000;
}

// A sent frame carries no stamp of its own; it counts at the time of the frame before it.
void TTrafficStatistics::FrameEntered(const TCanMsgProg& msg, bool received) {
  if (received) FLastUs = Unwrapped(msg.Time);
  FStatistics.Add(msg, FLastUs);
  if (ExpectedCycleUs && FStatistics.Find(msg.CanId, msg.Extended)->Count == 1)
    FStatistics.SetExpectedCycle(msg.CanId, msg.Extended, ExpectedCycleUs(msg.CanId, msg.Extended));
  FChanged = true;
}

void TTrafficStatistics::RefreshExpectedCycles() {
  if (!ExpectedCycleUs) return;
  for (std::size_t i = 0; i < FStatistics.Identifiers().size(); ++i) {
    const TIdStatistics& id = FStatistics.Identifiers()[i];
    FStatistics.SetExpectedCycle(id.CanId, id.Extended, ExpectedCycleUs(id.CanId, id.Extended));
  }
  FChanged = true;
}

void TTrafficStatistics::DrainEnded() {
  if (!FChanged) return;
  FChanged = false;
  if (Clock) FDrainClockUs = Clock();
  if (OnPublished) OnPublished();
}

void TTrafficStatistics::Restart(double bitRate) {
  FStatistics = TBusStatistics(bitRate);
  FTurnsMs = 0;
  FLastStampMs = -1;
  FLastUs = 0;
  FDrainClockUs = -1;
  FChanged = true;
}
