#include "tools/sim/FloodSource.h"

std::optional<TTimedFrame> TFloodSource::Next(std::int64_t nowUs) {
  TTimedFrame frame;
  // Computed from the count, not added up, so the pace does not drift over hours.
  frame.DueUs = FRate > 0 ? static_cast<std::int64_t>(FCount * 1'000'000 / static_cast<std::uint64_t>(FRate)) : nowUs;
  frame.Msg.CanId = kFirstId + static_cast<std::int64_t>(FCount % kIdentifiers);
  frame.Msg.DLC = 8;
  for (int i = 0; i < 8; ++i) frame.Msg.Data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(FCount >> (8 * i));
  ++FCount;
  return frame;
}

std::uint64_t TFloodSource::SequenceOf(const TCanMsgProg& msg) {
  std::uint64_t sequence = 0;
  for (int i = 7; i >= 0; --i) sequence = (sequence << 8) | msg.Data[static_cast<std::size_t>(i)];
  return sequence;
}
