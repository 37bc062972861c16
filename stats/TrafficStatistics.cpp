#include "stats/TrafficStatistics.h"

// A sent frame carries no stamp of its own; it counts at the time of the frame before it.
void TTrafficStatistics::FrameEntered(const TCanMsgProg& msg, bool received) {
  if (received) FLastUs = FStamps.Unwrapped(msg.Time) * 1000;
  const TIdStatistics& id = FStatistics.Add(msg, FLastUs);
  if (ExpectedCycleUs && id.Count == 1)
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
  FStamps.Restart();
  FLastUs = 0;
  FDrainClockUs = -1;
  FChanged = true;
}
