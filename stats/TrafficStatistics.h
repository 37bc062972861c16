#pragma once
// The bus figures of the window's frame path: every frame the drain or the sender enters, on
// the adapter's own time stamps, counted on across the turns of their counter. The figures
// start again at every connect and every cleared trace.

#include <functional>

#include "model/StampUnwrap.h"
#include "stats/BusStatistics.h"
#include "views/TrafficObserver.h"

class TTrafficStatistics : public TTrafficObserver {
 public:
  explicit TTrafficStatistics(double bitRate) : FStatistics(bitRate) {}

  void FrameEntered(const TCanMsgProg& msg, bool received) override;
  void DrainEnded() override;

  // Starts over, at `bitRate` bit/s.
  void Restart(double bitRate);
  [[nodiscard]] const TBusStatistics& Statistics() const { return FStatistics; }
  // The time of the newest frame, on the same scale as the figures.
  [[nodiscard]] std::int64_t NowUs() const { return FLastUs; }
  // Now, on that scale: the newest frame's time plus what the clock says has passed since the
  // drain that brought it, so that a bus gone silent shows its load falling.
  [[nodiscard]] std::int64_t NowUs(std::int64_t clockUs) const { return FLastUs + (FDrainClockUs >= 0 ? clockUs - FDrainClockUs : 0); }
  // Monotonic microseconds; tests set their own.
  std::function<std::int64_t()> Clock;

  // After each drain that brought frames; the page and the status bar show them then.
  std::function<void()> OnPublished;
  // The cycle a signal database gives an identifier, in microseconds (0 for none); asked when
  // the identifier first comes and by RefreshExpectedCycles.
  std::function<std::int64_t(std::int64_t canId, bool extended)> ExpectedCycleUs;
  // After the databases changed.
  void RefreshExpectedCycles();

 private:
  TBusStatistics FStatistics;
  TStampUnwrap FStamps;
  std::int64_t FLastUs = 0;
  std::int64_t FDrainClockUs = -1;
  bool FChanged = false;
};
