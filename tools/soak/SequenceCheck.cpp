#include "tools/soak/SequenceCheck.h"

#include "tools/sim/FloodSource.h"

void TSequenceCheck::See(const TCanMsgProg& msg) {
  const std::uint64_t sequence = TFloodSource::SequenceOf(msg);
  const auto expectedId = TFloodSource::kFirstId + static_cast<std::int64_t>(sequence % TFloodSource::kIdentifiers);
  if (msg.CanId != expectedId || msg.DLC != 8 || msg.Extended || msg.RTR) ++FCorrupt;
  SeeNumber(sequence);
}

void TSequenceCheck::SeeNumber(std::uint64_t sequence) {
  ++FSeen;
  if (!FStarted) {
    FStarted = true;
    FFirst = sequence;
    FNext = sequence + 1;
    return;
  }
  if (sequence < FNext) {
    ++FBackwards;
    return;
  }
  if (sequence > FNext) {
    FMissing += sequence - FNext;
    ++FGaps;
  }
  FNext = sequence + 1;
}
