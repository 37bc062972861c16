#pragma once
// Frames as fast as the line takes them: 100 standard identifiers in turn, a counter as data.

#include "tools/sim/TrafficSource.h"

class TFloodSource : public TTrafficSource {
 public:
  static constexpr int kIdentifiers = 100;
  static constexpr std::int64_t kFirstId = 0x100;

  [[nodiscard]] std::optional<TTimedFrame> Next(std::int64_t nowUs) override;

 private:
  std::uint64_t FCount = 0;
};
