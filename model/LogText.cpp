#include "model/LogText.h"

#include <algorithm>
#include <array>

int LogHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::uint32_t> LogHex(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    const int digit = LogHexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::optional<std::int64_t> LogDecimal(std::string_view digits) {
  if (digits.empty() || digits.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<std::int64_t> LogFixedPoint(std::string_view text, int scale) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  const std::size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
  if (dot != std::string_view::npos && fraction.empty()) return std::nullopt;
  const auto integer = LogDecimal(whole);
  if (!integer || whole.size() > 12) return std::nullopt;
  std::int64_t value = *integer;
  for (int i = 0; i < scale; ++i) {
    int digit = 0;
    if (static_cast<std::size_t>(i) < fraction.size()) {
      if (fraction[static_cast<std::size_t>(i)] < '0' || fraction[static_cast<std::size_t>(i)] > '9') return std::nullopt;
      digit = fraction[static_cast<std::size_t>(i)] - '0';
    }
    value = value * 10 + digit;
  }
  const std::size_t used = std::min(fraction.size(), static_cast<std::size_t>(scale));
  if (!std::all_of(fraction.begin() + static_cast<std::ptrdiff_t>(used), fraction.end(),
                   [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return negative ? -value : value;
}

std::string_view LogNextField(std::string_view& rest) {
  const std::size_t begin = rest.find_first_not_of(" \t");
  if (begin == std::string_view::npos) {
    rest = {};
    return {};
  }
  rest.remove_prefix(begin);
  const std::size_t end = std::min(rest.find_first_of(" \t"), rest.size());
  std::string_view field = rest.substr(0, end);
  rest.remove_prefix(end);
  return field;
}

namespace {
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool LogEqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

bool LogStartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && LogEqualNoCase(text.substr(0, prefix.size()), prefix);
}

void LogAppendHex(std::string& out, std::uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

void LogAppendDecimal(std::string& out, std::uint64_t value) {
  std::array<char, 20> digits{};
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) out += digits[--count];
}

void LogAppendFixedPoint(std::string& out, std::int64_t value, int scale, int width) {
  std::string text;
  const bool negative = value < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::uint64_t unit = 1;
  for (int i = 0; i < scale; ++i) unit *= 10;
  if (negative) text += '-';
  LogAppendDecimal(text, magnitude / unit);
  if (scale > 0) {
    text += '.';
    std::string fraction;
    LogAppendDecimal(fraction, magnitude % unit);
    text.append(static_cast<std::size_t>(scale) - fraction.size(), '0');
    text += fraction;
  }
  if (static_cast<int>(text.size()) < width) out.append(static_cast<std::size_t>(width) - text.size(), ' ');
  out += text;
}
