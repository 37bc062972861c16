#pragma once
// Bus figures of a capture or a live bus: each identifier's count, bits on the wire, bytes and
// the periods between its frames (mean, minimum, maximum, standard deviation), and the load of
// the bus over the last second, its peak and its average since the first frame. Frames come in
// with their time in microseconds, never decreasing; times are the caller's (the adapter's
// stamps, or the trace's), so a capture gives the same figures however often it is read.

#include <cstdint>
#include <vector>

#include "lists/IdSlotMap.h"
#include "model/CanMsgProg.h"
#include "stats/FrameLength.h"

// The bit rate in bit/s of the settings: kbit/s, or what the BTR0/BTR1 pair gives when the
// kbit/s value says "custom" (its low 16 bits are 0).
[[nodiscard]] double BitRateInUse(std::int32_t canBitRate, std::uint8_t btr0, std::uint8_t btr1);

struct TIdStatistics {
  std::int64_t CanId = 0;
  bool Extended = false;
  std::uint64_t Count = 0;
  std::uint64_t Bits = 0;   // exact, on the wire
  std::uint64_t Bytes = 0;  // data bytes
  std::int64_t FirstUs = 0;
  std::int64_t LastUs = 0;
  std::int64_t MinPeriodUs = 0;
  std::int64_t MaxPeriodUs = 0;
  // The periods as sums of their distances from the first one: exact in integers, no division
  // per frame, and the squares stay small where periods hardly vary.
  std::int64_t PeriodOriginUs = 0;
  std::int64_t PeriodOffsetSumUs = 0;
  double PeriodOffsetSquares = 0;
  std::int64_t ExpectedCycleUs = 0;  // from a signal database; 0 when none is known
  // The header of this identifier's last frame, with what makes it (1 + DLC + 16 RTR; 0 none).
  std::uint8_t HeaderKey = 0;
  TFrameHeaderState Header{};

  [[nodiscard]] std::uint64_t Periods() const { return Count > 0 ? Count - 1 : 0; }
  [[nodiscard]] double MeanPeriodUs() const;
  [[nodiscard]] double StdPeriodUs() const;
};

// Late after 3 periods without the frame, gone after 10; the period is the database's cycle
// when it has one, otherwise the measured mean.
enum class TArrival { OnTime, Late, Gone };

class TBusStatistics {
 public:
  // The bus's bit rate in bit/s; the load is bits on the wire divided by it.
  explicit TBusStatistics(double bitRate);

  // Counts the frame; returns its identifier's figures.
  const TIdStatistics& Add(const TCanMsgProg& msg, std::int64_t timeUs);
  void Clear();
  void SetBitRate(double bitRate) { FBitRate = bitRate; }
  [[nodiscard]] double BitRate() const { return FBitRate; }

  // In order of first appearance.
  [[nodiscard]] const std::vector<TIdStatistics>& Identifiers() const { return FIds; }
  // In the lists' identifier order, standard before extended of the same number.
  [[nodiscard]] std::vector<const TIdStatistics*> InIdentifierOrder() const;
  [[nodiscard]] const TIdStatistics* Find(std::int64_t canId, bool extended) const;
  void SetExpectedCycle(std::int64_t canId, bool extended, std::int64_t cycleUs);

  [[nodiscard]] std::uint64_t Frames() const { return FFrames; }
  [[nodiscard]] std::uint64_t Bits() const { return FBits; }
  [[nodiscard]] std::int64_t SpanUs() const { return FFrames ? FLastUs - FFirstUs : 0; }

  // Loads as fractions of the bit rate: the second up to `nowUs`, the highest such second seen
  // at the steps of the window (10 ms), and the average over the span since the first frame.
  [[nodiscard]] double LastSecondLoad(std::int64_t nowUs) const;
  [[nodiscard]] double PeakLoad() const { return static_cast<double>(FPeakBits) / FBitRate; }
  [[nodiscard]] double AverageLoad(std::int64_t nowUs) const;
  [[nodiscard]] TArrival Arrival(const TIdStatistics& id, std::int64_t nowUs) const;

 private:
  static constexpr int kSlots = 100;  // the last second in steps of 10 ms
  static constexpr std::int64_t kSlotUs = 10'000;
  static constexpr std::int64_t kStandardIds = 0x800;
  void AdvanceWindow(std::int64_t slot);
  [[nodiscard]] std::size_t Place(std::int64_t canId, bool extended);
  [[nodiscard]] static bool InStandardTable(std::int64_t canId, bool extended) { return !extended && canId >= 0 && canId < kStandardIds; }

  double FBitRate;
  std::vector<TIdStatistics> FIds;
  // Standard identifiers index a flat table (place + 1; 0 for none), which every frame of a
  // standard bus reads without hashing; the rest go through the map.
  std::vector<std::uint32_t> FStandardPlaces;
  TIdSlotMap FIndex;  // identifier and kind -> place in FIds
  std::uint64_t FFrames = 0;
  std::uint64_t FBits = 0;
  std::int64_t FFirstUs = 0;
  std::int64_t FLastUs = 0;
  std::uint64_t FSlotBits[kSlots] = {};
  std::int64_t FSlot = -1;  // the window's newest slot number (time / 10 ms)
  std::int64_t FSlotEndUs = 0;  // where that slot ends
  std::uint64_t FWindowBits = 0;
  std::uint64_t FPeakBits = 0;
};
