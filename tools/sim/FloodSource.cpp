#include "tools/sim/FloodSource.h"

std::optional<TTimedFrame> TFloodSource::Next(std::int64_t nowUs) {
  TTimedFrame frame;
  frame.DueUs = nowUs;
  frame.Msg.CanId = kFirstId + static_cast<std::int64_t>(FCount % kIdentifiers);
  frame.Msg.DLC = 8;
  for (int i = 0; i < 8; ++i) frame.Msg.Data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(FCount >> (8 * i));
  ++FCount;
  return frame;
}
