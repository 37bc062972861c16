#include "model/CandumpLog.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::int64_t> Decimal(std::string_view digits) {
  if (digits.empty() || digits.size() > 12) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// "(sec.usec)" with exactly six fraction digits, as candump writes it.
std::optional<std::int64_t> TimeStamp(std::string_view field) {
  if (field.size() < 4 || field.front() != '(' || field.back() != ')') return std::nullopt;
  field = field.substr(1, field.size() - 2);
  const std::size_t dot = field.find('.');
  if (dot == std::string_view::npos || field.size() - dot - 1 != 6) return std::nullopt;
  const auto sec = Decimal(field.substr(0, dot));
  const auto usec = Decimal(field.substr(dot + 1));
  if (!sec || !usec) return std::nullopt;
  return *sec * 1'000'000 + *usec;
}

// Splits off the next blank-separated field.
std::string_view NextField(std::string_view& rest) {
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

bool ParseData(std::string_view text, TCanMsgProg& msg) {
  if (!text.empty() && (text.front() == 'R' || text.front() == 'r')) {
    msg.RTR = true;
    if (text.size() == 1) return true;
    if (text.size() != 2 || text[1] < '0' || text[1] > '8') return false;
    msg.DLC = text[1] - '0';
    return true;
  }
  int count = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '.') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size() || count == 8) return false;
    const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    msg.Data[static_cast<std::size_t>(count++)] = static_cast<std::uint8_t>(high << 4 | low);
    i += 2;
  }
  msg.DLC = count;
  return true;
}

std::optional<TCanMsgProg> ParseFrame(std::string_view text) {
  const std::size_t hash = text.find('#');
  if (hash == std::string_view::npos || (hash != 3 && hash != 8)) return std::nullopt;
  std::uint32_t id = 0;
  for (char c : text.substr(0, hash)) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    id = id << 4 | static_cast<std::uint32_t>(digit);
  }
  TCanMsgProg msg;
  msg.Extended = hash == 8;
  if (id > (msg.Extended ? 0x1FFFFFFFu : 0x7FFu)) return std::nullopt;
  msg.CanId = id;
  if (!ParseData(text.substr(hash + 1), msg)) return std::nullopt;
  return msg;
}

}  // namespace

std::optional<TCandumpFrame> ParseCandumpLine(std::string_view line) {
  std::string_view rest = line;
  const auto time = TimeStamp(NextField(rest));
  const std::string_view iface = NextField(rest);
  const std::string_view frameText = NextField(rest);
  if (!time || iface.empty() || frameText.empty() || !NextField(rest).empty()) return std::nullopt;
  auto msg = ParseFrame(frameText);
  if (!msg) return std::nullopt;
  return TCandumpFrame{*time, *msg};
}

TCandumpLog ReadCandumpLog(std::istream& in) {
  TCandumpLog log;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    if (auto frame = ParseCandumpLine(line)) log.Frames.push_back(*frame);
    else ++log.SkippedLines;
  }
  return log;
}

std::string FormatCandumpLine(std::int64_t timeUs, const TCanMsgProg& msg, std::string_view interface) {
  char head[64];
  std::snprintf(head, sizeof head, "(%lld.%06lld) ", static_cast<long long>(timeUs / 1'000'000),
                static_cast<long long>(timeUs % 1'000'000));
  std::string line = head;
  line.append(interface);
  char id[16];
  std::snprintf(id, sizeof id, msg.Extended ? " %08llX#" : " %03llX#", static_cast<unsigned long long>(msg.CanId));
  line += id;
  if (msg.RTR) {
    line += 'R';
    if (msg.DLC > 0) line += static_cast<char>('0' + msg.UsedBytes());
    return line;
  }
  for (int i = 0; i < msg.UsedBytes(); ++i) {
    char byte[3];
    std::snprintf(byte, sizeof byte, "%02X", msg.Data[i]);
    line += byte;
  }
  return line;
}
