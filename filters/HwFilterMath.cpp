#include "filters/HwFilterMath.h"

namespace HwFilterMath {

namespace {
constexpr std::int64_t kDataNibbles = 0x000F000F;
constexpr std::int64_t kRtr1Bit = std::int64_t{1} << 20;
constexpr std::int64_t kRtr2Bit = std::int64_t{1} << 4;

void ApplyRtr(THwCodeMask& filter, TRtrChoice choice, std::int64_t bit) {
  if (choice == TRtrChoice::Zero) return;
  filter.Code |= bit;
  if (choice == TRtrChoice::DontCare) filter.Mask |= bit;
}

QString Hex8(std::int64_t value) {
  return QString::number(static_cast<qulonglong>(value), 16).toUpper().rightJustified(8, QChar('0'));
}
}  // namespace

THwCodeMask SingleFilter(std::int64_t id1, TRtrChoice rtr1, std::int64_t id2, TRtrChoice rtr2) {
  THwCodeMask filter;
  filter.Code = (id1 << 21) | (id2 << 5) | kDataNibbles;
  filter.Mask = kDataNibbles;
  ApplyRtr(filter, rtr2, kRtr2Bit);
  ApplyRtr(filter, rtr1, kRtr1Bit);
  return filter;
}

THwCodeMask RangeFilter(std::int64_t id1, std::int64_t id2) {
  THwCodeMask filter;
  filter.Code = (((id1 & kRangeBlockMask) >> 13) << 16) | ((id2 & kRangeBlockMask) >> 13);
  filter.Mask = 0;
  return filter;
}

std::int64_t SingleId1(std::int64_t code) { return (code >> 21) & 0x7FF; }
std::int64_t SingleId2(std::int64_t code) { return (code >> 5) & 0x7FF; }
std::int64_t RangeId1(std::int64_t code) { return ((code >> 16) & 0xFFFF) << 13; }
std::int64_t RangeId2(std::int64_t code) { return (code & 0xFFFF) << 13; }

std::int64_t FoldRangeId(std::int64_t value, QString* text) {
  if (value <= kMaxExtendedId) return value;
  QString folded = Hex8(value & kMaxExtendedId);
  folded[0] = QChar('1');
  if (text) *text = folded;
  return folded.toLongLong(nullptr, 16);
}

QString RangeText(std::int64_t value) {
  if (value < 0x2000) return QStringLiteral("00000000-1FFFFFFF");
  const std::int64_t first = value & kRangeBlockMask;
  return Hex8(first) + QChar('-') + Hex8(first | 0x1FFF);
}

QString BitLabel(std::uint32_t code, std::uint32_t mask, int bit) {
  if ((mask >> bit) & 1U) return QStringLiteral("X");
  return ((code >> bit) & 1U) ? QStringLiteral("1") : QStringLiteral("0");
}

QString FilterTypeText(THwFilterType type) {
  switch (type) {
    case THwFilterType::Standard: return QStringLiteral("Standard (11 bit)");
    case THwFilterType::Extended: return QStringLiteral("Extended (29 bit)");
    case THwFilterType::Single: return QStringLiteral("Single (11 bit)");
    case THwFilterType::Range: return QStringLiteral("Range (29 bit)");
  }
  return {};
}

bool IsExtendedType(THwFilterType type) { return type == THwFilterType::Extended || type == THwFilterType::Range; }

QString CodeMaskText(std::int64_t value) { return Hex8(value); }

}  // namespace HwFilterMath
