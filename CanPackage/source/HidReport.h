#pragma once
// Report layout of the HID adapter. Every report is 65 bytes: byte 0 the report id (0),
// bytes 1-64 the payload.
//
//   command (output)  0x00 'S' '6' CR 0 ...            text with its CR, rest zero
//   reply   (input)   0x00 'V' '1' '2' CR 0 ...        text up to the first zero byte
//   frames  (input)   0x00 slot0 slot1 slot2 slot3     four 16-byte slots from byte 1
//
//   slot:  +0 marker 't' standard / 'T' extended / anything else empty
//          +1 identifier, 4 bytes little-endian (standard: only +1..+2 count)
//          +5 length   +6 eight data bytes   +14 time stamp, 2 bytes little-endian
//
//   0x00 't' 23 01 00 00 02 AA BB 00.. 10 27  -> id 0x123, len 2, AA BB, time 10000

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "CanPackage/source/ZelCanClasses.h"

namespace HidReport {

inline constexpr std::size_t kLength = 65;
inline constexpr std::size_t kMaxCommandLength = kLength - 1;
inline constexpr std::size_t kSlotCount = 4;
inline constexpr std::size_t kSlotSize = 16;

// The output report of a command (its CR included); nullopt when the text does not fit.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> CommandReport(std::string_view command,
                                                                     std::size_t reportLength = kLength);
// The text of a reply report.
[[nodiscard]] std::string ReplyText(std::span<const std::uint8_t> report);
// True for a report laid out as frame slots rather than as a reply: its first payload byte is
// a frame marker or zero (an empty first slot). Replies always carry text.
[[nodiscard]] bool LooksLikeFrameReport(std::span<const std::uint8_t> report);
// The frames of a frame report, slot order; slots beyond the report's end count as empty.
[[nodiscard]] TCanMsgs DecodeFrameReport(std::span<const std::uint8_t> report);

}  // namespace HidReport
