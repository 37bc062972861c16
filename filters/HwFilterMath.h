#pragma once
// Code and mask arithmetic of the hardware acceptance filter (SJA1000, dual filter mode).
// Bits 31..0 are ACR0..ACR3 / AMR0..AMR3, ACR0 the most significant; a mask bit 1 means
// "don't care".
//
//   standard: 31..21 id1  20 rtr1  19..16 data1 hi | 15..5 id2  4 rtr2  3..0 data1 lo
//   extended: 31..21 id1 28..18  20..16 id1 17..13 | 15..5 id2 28..18  4..0 id2 17..13

#include <QString>
#include <cstdint>

enum class THwFilterType : std::uint8_t { Standard = 0, Extended = 1, Single = 2, Range = 3 };

// Choice of an RTR selector on the single-identifier page.
enum class TRtrChoice { DontCare, One, Zero };

struct THwCodeMask {
  std::int64_t Code = 0;
  std::int64_t Mask = 0xFFFFFFFF;
};

namespace HwFilterMath {

inline constexpr std::uint32_t kMaxExtendedId = 0x1FFFFFFF;
inline constexpr std::uint32_t kRangeBlockMask = 0x1FFFE000;

// One or two single 11-bit identifiers; the data-byte bits of filter 1 are "don't care".
[[nodiscard]] THwCodeMask SingleFilter(std::int64_t id1, TRtrChoice rtr1, std::int64_t id2, TRtrChoice rtr2);
// One or two blocks of 0x2000 consecutive 29-bit identifiers, compared exactly on bits 28..13.
[[nodiscard]] THwCodeMask RangeFilter(std::int64_t id1, std::int64_t id2);

// Identifiers shown again when a row of that kind is selected.
[[nodiscard]] std::int64_t SingleId1(std::int64_t code);
[[nodiscard]] std::int64_t SingleId2(std::int64_t code);
[[nodiscard]] std::int64_t RangeId1(std::int64_t code);
[[nodiscard]] std::int64_t RangeId2(std::int64_t code);

// A typed range identifier above 1FFFFFFF is folded to 29 bits with its first digit made "1".
// Returns the value to use; `text` receives the rewritten 8-digit field text when folded.
[[nodiscard]] std::int64_t FoldRangeId(std::int64_t value, QString* text);
// "00000000-1FFFFFFF" below 0x2000, otherwise the block the identifier falls in.
[[nodiscard]] QString RangeText(std::int64_t value);

// Result label of one bit: "X" when masked, else the code bit.
[[nodiscard]] QString BitLabel(std::uint32_t code, std::uint32_t mask, int bit);

[[nodiscard]] QString FilterTypeText(THwFilterType type);
[[nodiscard]] bool IsExtendedType(THwFilterType type);
// Code or mask as shown in the list: upper-case hexadecimal, at least 8 digits.
[[nodiscard]] QString CodeMaskText(std::int64_t value);

}  // namespace HwFilterMath
