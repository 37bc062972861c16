#pragma once
// Text and bit conventions shared by every view and editor.

#include <QString>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/CanMsgProg.h"

// Raised by strict hexadecimal reading; shown to the user by the standard error box.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[nodiscard]] bool IsBitSet(std::uint32_t value, int bit);
[[nodiscard]] std::uint32_t SetBit(std::uint32_t value, int bit);
[[nodiscard]] std::uint32_t ClearBit(std::uint32_t value, int bit);
[[nodiscard]] std::array<bool, 8> ByteToBits(std::uint8_t byte);

[[nodiscard]] QString BoolToText(bool flag);
[[nodiscard]] QString CanIdToText(bool extended, std::int64_t id);

[[nodiscard]] QString CanDataToHex(const TCanData& data);
[[nodiscard]] QString CanDataToHexN(const TCanData& data, int n);
[[nodiscard]] QString CanDataToAscii(const TCanData& data);
[[nodiscard]] QString CanDataToAsciiN(const TCanData& data, int n);
[[nodiscard]] QChar ByteToAsciiChar(std::uint8_t byte);
[[nodiscard]] QString ByteArrayToHex(const TKwpData& bytes, int n);

// The same texts written as ASCII into a caller's buffer, for the exports that build millions
// of cells; each returns the end of what it wrote. CanIdToText needs at most 16 characters,
// the data texts at most 23.
char* WriteCanIdText(char* out, bool extended, std::int64_t id);
char* WriteCanDataHex(char* out, const TCanData& data, int n);
char* WriteCanDataAscii(char* out, const TCanData& data, int n);

// Strict: empty text is 0, any non-hex character throws EConvertError.
[[nodiscard]] std::int64_t HexToInt64(const QString& text);
// Lenient: skips non-hex characters, 32-bit wrapping accumulator, never fails.
[[nodiscard]] std::int64_t HexTextToInt(const QString& text);
[[nodiscard]] std::int64_t HexTextToInt(std::string_view text);
[[nodiscard]] inline std::int64_t HexTextToInt(const char* text) { return HexTextToInt(std::string_view(text)); }

// A byte string as users paste it into a data field: "11 22 33", "0x11,0x22", "1122334455667788".
// Separators are blanks, commas, semicolons, colons and dashes; a token is one or two hex digits,
// an even run of them (two a byte), each optionally after "0x". Empty for any other character.
[[nodiscard]] std::vector<std::uint8_t> ParsePastedBytes(const QString& text);

// Why a frame the user made cannot go onto the bus as it stands; empty when it can.
[[nodiscard]] QString FrameRefusal(const TCanMsgProg& msg);

// Bit rate in kbit/s ("%.2f", locale decimal separator) of an SJA1000 at 16 MHz.
[[nodiscard]] QString BtrToBitRateText(const QString& btr0Text, const QString& btr1Text);
[[nodiscard]] double BtrToBitRate(std::uint8_t btr0, std::uint8_t btr1);
