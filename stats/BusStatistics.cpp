#include "stats/BusStatistics.h"

#include <algorithm>
#include <cmath>

#include "lists/CanIdIndex.h"
#include "model/CanText.h"
#include "stats/FrameLength.h"

namespace {

std::int64_t Key(std::int64_t canId, bool extended) { return (canId & 0xFFFFFFFF) | (extended ? std::int64_t{1} << 40 : 0); }

std::uint64_t BitsOnWire(TIdStatistics& id, const TCanMsgProg& msg) {
  const auto key = static_cast<std::uint8_t>(1 + (msg.DLC & 0xF) + (msg.RTR ? 16 : 0));
  if (id.HeaderKey != key) {
    const TFrameHeaderState header = FrameHeaderState(msg);
    id.Header = header;
    id.HeaderKey = key;
    return static_cast<std::uint64_t>(FrameBitsOnWire(header, msg));
  }
  return static_cast<std::uint64_t>(FrameBitsOnWire(id.Header, msg));
}

void AddPeriod(TIdStatistics& id, std::int64_t period) {
  if (id.Count == 1) {
    id.PeriodOriginUs = id.MinPeriodUs = id.MaxPeriodUs = period;
    return;
  }
  id.MinPeriodUs = std::min(id.MinPeriodUs, period);
  id.MaxPeriodUs = std::max(id.MaxPeriodUs, period);
  const std::int64_t offset = period - id.PeriodOriginUs;
  id.PeriodOffsetSumUs += offset;
  id.PeriodOffsetSquares += static_cast<double>(offset) * static_cast<double>(offset);
}

}  // namespace

double BitRateInUse(std::int32_t canBitRate, std::uint8_t btr0, std::uint8_t btr1) {
  if ((canBitRate & 0xFFFF) != 0) return 1000.0 * canBitRate;
  return 1000.0 * BtrToBitRate(btr0, btr1);
}

double TIdStatistics::MeanPeriodUs() const {
  const std::uint64_t n = Periods();
  return n ? static_cast<double>(PeriodOriginUs) + static_cast<double>(PeriodOffsetSumUs) / static_cast<double>(n) : 0.0;
}

double TIdStatistics::StdPeriodUs() const {
  const std::uint64_t n = Periods();
  if (n < 2) return 0.0;
  const auto sum = static_cast<double>(PeriodOffsetSumUs);
  const double squares = PeriodOffsetSquares - sum * sum / static_cast<double>(n);
  return squares > 0 ? std::sqrt(squares / static_cast<double>(n - 1)) : 0.0;
}

TBusStatistics::TBusStatistics(double bitRate) : FBitRate(bitRate > 0 ? bitRate : 1) {}

void TBusStatistics::Clear() { *this = TBusStatistics(FBitRate); }

const TIdStatistics& TBusStatistics::Add(const TCanMsgProg& msg, std::int64_t timeUs) {
  TIdStatistics& id = FIds[Place(msg.CanId, msg.Extended)];
  const std::uint64_t bits = BitsOnWire(id, msg);
  if (FFrames == 0) FFirstUs = timeUs;
  ++FFrames;
  FBits += bits;
  FLastUs = timeUs;

  if (id.Count > 0) AddPeriod(id, timeUs - id.LastUs);
  else id.FirstUs = timeUs;
  ++id.Count;
  id.Bits += bits;
  id.Bytes += msg.RTR ? 0 : static_cast<std::uint64_t>(msg.UsedBytes());
  id.LastUs = timeUs;

  if (timeUs >= FSlotEndUs || timeUs < FSlotEndUs - kSlotUs) {
    AdvanceWindow(timeUs / kSlotUs);
    FSlotEndUs = (FSlot + 1) * kSlotUs;
  }
  FSlotBits[FSlot % kSlots] += bits;
  FWindowBits += bits;
  FPeakBits = std::max(FPeakBits, FWindowBits);
  return id;
}

// Slots that fall out of the second are emptied; a gap longer than the window empties it all.
void TBusStatistics::AdvanceWindow(std::int64_t slot) {
  if (FSlot < 0 || slot - FSlot >= kSlots) {
    std::fill(std::begin(FSlotBits), std::end(FSlotBits), 0);
    FWindowBits = 0;
  } else {
    for (std::int64_t s = FSlot + 1; s <= slot; ++s) {
      FWindowBits -= FSlotBits[s % kSlots];
      FSlotBits[s % kSlots] = 0;
    }
  }
  FSlot = std::max(FSlot, slot);
}

double TBusStatistics::LastSecondLoad(std::int64_t nowUs) const {
  const std::int64_t now = nowUs / kSlotUs;
  if (FSlot < 0 || now - FSlot >= kSlots) return 0;
  std::uint64_t bits = FWindowBits;
  for (std::int64_t s = FSlot + 1; s <= now; ++s) bits -= FSlotBits[s % kSlots];
  return static_cast<double>(bits) / FBitRate;
}

double TBusStatistics::AverageLoad(std::int64_t nowUs) const {
  const std::int64_t span = nowUs - FFirstUs;
  if (FFrames == 0 || span <= 0) return 0;
  return static_cast<double>(FBits) / FBitRate / (static_cast<double>(span) / 1e6);
}

std::vector<const TIdStatistics*> TBusStatistics::InIdentifierOrder() const {
  std::vector<const TIdStatistics*> ordered;
  ordered.reserve(FIds.size());
  for (const TIdStatistics& id : FIds) ordered.push_back(&id);
  std::sort(ordered.begin(), ordered.end(), [](const TIdStatistics* a, const TIdStatistics* b) {
    if (a->CanId != b->CanId) return CanIdLess(a->CanId, b->CanId);
    return !a->Extended && b->Extended;
  });
  return ordered;
}

const TIdStatistics* TBusStatistics::Find(std::int64_t canId, bool extended) const {
  if (InStandardTable(canId, extended)) {
    const std::uint32_t place = FStandardPlaces.empty() ? 0 : FStandardPlaces[static_cast<std::size_t>(canId)];
    return place ? &FIds[place - 1] : nullptr;
  }
  const std::size_t place = FIndex.Find(Key(canId, extended));
  return place == TIdSlotMap::kNone ? nullptr : &FIds[place];
}

void TBusStatistics::SetExpectedCycle(std::int64_t canId, bool extended, std::int64_t cycleUs) {
  FIds[Place(canId, extended)].ExpectedCycleUs = cycleUs;
}

std::size_t TBusStatistics::Place(std::int64_t canId, bool extended) {
  if (InStandardTable(canId, extended)) {
    if (FStandardPlaces.empty()) FStandardPlaces.assign(kStandardIds, 0);
    std::uint32_t& place = FStandardPlaces[static_cast<std::size_t>(canId)];
    if (place == 0) {
      FIds.push_back({canId, extended});
      place = static_cast<std::uint32_t>(FIds.size());
    }
    return place - 1;
  }
  const std::size_t place = FIndex.Emplace(Key(canId, extended), FIds.size());
  if (place == FIds.size()) FIds.push_back({canId, extended});
  return place;
}

TArrival TBusStatistics::Arrival(const TIdStatistics& id, std::int64_t nowUs) const {
  const double period = id.ExpectedCycleUs > 0 ? static_cast<double>(id.ExpectedCycleUs) : id.MeanPeriodUs();
  if (id.Count == 0 || period <= 0) return TArrival::OnTime;
  const auto silent = static_cast<double>(nowUs - id.LastUs);
  if (silent > 10 * period) return TArrival::Gone;
  if (silent > 3 * period) return TArrival::Late;
  return TArrival::OnTime;
}
