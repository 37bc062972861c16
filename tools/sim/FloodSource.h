#pragma once
// Frames over 100 standard identifiers in turn, each carrying its sequence number (0, 1, 2 ...)
// as eight little-endian data bytes, so a receiver can tell a lost, repeated or reordered
// frame. Without a rate the frames come as fast as the line takes them; with one, frame n is
// due at n / rate seconds of bus time.

#include "tools/sim/TrafficSource.h"

class TFloodSource : public TTrafficSource {
 public:
  static constexpr int kIdentifiers = 100;
  static constexpr std::int64_t kFirstId = 0x100;

  // framesPerSecond 0: unbounded.
  explicit TFloodSource(std::int64_t framesPerSecond = 0) : FRate(framesPerSecond) {}

  [[nodiscard]] std::optional<TTimedFrame> Next(std::int64_t nowUs) override;

  // The sequence number a flood frame carries.
  [[nodiscard]] static std::uint64_t SequenceOf(const TCanMsgProg& msg);

 private:
  std::int64_t FRate;
  std::uint64_t FCount = 0;
};
