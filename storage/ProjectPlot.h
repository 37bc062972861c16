#pragma once
// What a project keeps of its plot: the plotted signals in their order, whether they share
// one strip, and the seconds shown while following the bus.

#include <vector>

#include "signals/SignalKey.h"

struct TProjectPlot {
  static constexpr int kDefaultSpanSeconds = 10;
  std::vector<TSignalKey> Signals;
  bool Overlaid = false;
  int SpanSeconds = kDefaultSpanSeconds;
  bool operator==(const TProjectPlot&) const = default;
};
