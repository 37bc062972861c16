#include "CanPackage/source/HidReport.h"

#include <algorithm>

#include "platform/LittleEndian.h"

namespace HidReport {

namespace {

constexpr std::size_t kMarker = 0;
constexpr std::size_t kId = 1;
constexpr std::size_t kLen = 5;
constexpr std::size_t kData = 6;
constexpr std::size_t kTime = 14;

bool IsFrameMarker(std::uint8_t marker) { return marker == 't' || marker == 'T'; }

TCanMsg DecodeSlot(std::span<const std::uint8_t, kSlotSize> slot) {
  TCanMsg msg;
  const bool extended = slot[kMarker] == 'T';
  msg.flags = extended ? kCanMsgFlagExtended : 0;
  msg.id = static_cast<std::int32_t>(ReadLittleEndian(slot.subspan(kId, extended ? 4 : 2)));
  msg.len = slot[kLen];
  const std::size_t taken = std::min<std::size_t>(msg.len, 8);
  std::copy_n(slot.begin() + kData, taken, msg.data);
  msg.timestamp = static_cast<std::int32_t>(ReadLittleEndian(slot.subspan(kTime, 2)));
  return msg;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> CommandReport(std::string_view command, std::size_t reportLength) {
  if (reportLength < 1 || command.size() > reportLength - 1 || command.size() > kMaxCommandLength) return std::nullopt;
  std::vector<std::uint8_t> report(reportLength, 0);
  std::copy(command.begin(), command.end(), report.begin() + 1);
  return report;
}

std::string ReplyText(std::span<const std::uint8_t> report) {
  const std::span<const std::uint8_t> payload = report.size() > kLength ? report.subspan(1, kLength - 1)
                                                : report.empty()          ? report
                                                                          : report.subspan(1);
  const auto end = std::find(payload.begin(), payload.end(), std::uint8_t{0});
  return std::string(payload.begin(), end);
}

bool LooksLikeFrameReport(std::span<const std::uint8_t> report) {
  return report.size() > 1 && (report[1] == 0 || IsFrameMarker(report[1]));
}

TCanMsgs DecodeFrameReport(std::span<const std::uint8_t> report) {
  TCanMsgs frames;
  const std::span<const std::uint8_t> bounded = report.first(std::min(report.size(), kLength));
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const std::size_t start = 1 + kSlotSize * i;
    if (start + kSlotSize > bounded.size()) break;
    const auto slot = bounded.subspan(start).first<kSlotSize>();
    if (IsFrameMarker(slot[kMarker])) frames.push_back(DecodeSlot(slot));
  }
  return frames;
}

}  // namespace HidReport
