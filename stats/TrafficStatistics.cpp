#include "stats/TrafficStatistics.h"

// A sent frame carries no stamp of its own; it counts at the time of the frame before it.
void TTrafficStatistics::FrameEntered(const TCanMsgProg& msg, bool received) {
  if (received) FLastUs = FStamps.Unwrapped(msg.Time) * 1000;
  FStatistics.Add(msg, FLastUs);
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
