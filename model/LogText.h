#pragma once
// Digits, fields and fixed-point numbers as the text log formats write them. Every reader
// checks each character; nothing here reads past the text it is given.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

[[nodiscard]] int LogHexDigit(char c);
// One to eight hexadecimal digits.
[[nodiscard]] std::optional<std::uint32_t> LogHex(std::string_view digits);
// One to eighteen decimal digits.
[[nodiscard]] std::optional<std::int64_t> LogDecimal(std::string_view digits);
// "[-]S[.F]" in units of 10^-scale: "1.5" with scale 3 is 1500. Fraction digits past the scale
// are dropped (the time stamp rounds down to the unit), a missing fraction is zero.
[[nodiscard]] std::optional<std::int64_t> LogFixedPoint(std::string_view text, int scale);

// Splits off the next field separated by blanks and tabs; also called to pass one over.
std::string_view LogNextField(std::string_view& rest);
[[nodiscard]] bool LogEqualNoCase(std::string_view a, std::string_view b);
[[nodiscard]] bool LogStartsNoCase(std::string_view text, std::string_view prefix);

void LogAppendHex(std::string& out, std::uint32_t value, int digits);
void LogAppendDecimal(std::string& out, std::uint64_t value);
// value in units of 10^-scale as "[-]S.FFF", right-aligned in width characters.
void LogAppendFixedPoint(std::string& out, std::int64_t value, int scale, int width = 0);
