#include "CanPackage/source/AsciiProtocol.h"

#include <array>
#include <cstdio>

#include "model/CanText.h"

namespace AsciiProtocol {

namespace {

std::string Hex(std::uint64_t value, int minDigits) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%0*llX", minDigits, static_cast<unsigned long long>(value));
  return buffer;
}

// Characters beyond the end of the line are absent and contribute nothing.
std::string_view Field(std::string_view line, std::size_t position, std::size_t width) {
  if (position >= line.size()) return {};
  return line.substr(position, width);
}

struct FrameKind {
  std::uint8_t flags;
  std::size_t idDigits;
  bool hasData;
};

std::optional<FrameKind> KindOf(char first) {
  switch (first) {
    case 't': return FrameKind{0x00, 3, true};
    case 'r': return FrameKind{kCanMsgFlagRemote, 3, false};
    case 'T': return FrameKind{kCanMsgFlagExtended, 8, true};
    case 'R': return FrameKind{kCanMsgFlagExtended | kCanMsgFlagRemote, 8, false};
    default: return std::nullopt;
  }
}

}  // namespace

std::string BitRateCommand(std::uint16_t bitRate, std::int32_t btr) {
  static constexpr std::array<std::pair<std::uint16_t, const char*>, 9> kRates{{
      {10, "S0"}, {20, "S1"}, {50, "S2"}, {100, "S3"}, {125, "S4"},
      {250, "S5"}, {500, "S6"}, {800, "S7"}, {1000, "S8"}}};
  if (bitRate == 0) return "s" + Hex(static_cast<std::uint32_t>(btr), 4);
  for (const auto& [rate, command] : kRates)
    if (rate == bitRate) return command;
  return {};  // an unknown rate sends a lone CR
}

std::string AcceptanceCodeCommand(std::uint32_t code) { return "M" + Hex(code, 8); }
std::string AcceptanceMaskCommand(std::uint32_t mask) { return "m" + Hex(mask, 8); }

std::string WithCR(std::string_view command) {
  std::string line(command);
  line.push_back(CR);
  return line;
}

std::string TransmitLine(const TCanMsgProg& msg) {
  const char kind = msg.Extended ? (msg.RTR ? 'R' : 'T') : (msg.RTR ? 'r' : 't');
  std::string line(1, kind);
  line += Hex(static_cast<std::uint64_t>(msg.CanId), msg.Extended ? 8 : 3);
  line += std::to_string(msg.DLC);
  if (!msg.RTR)
    for (int i = 0; i < msg.UsedBytes(); ++i) line += Hex(msg.Data[i], 2);
  return line;
}

QString VersionText(std::string_view reply) {
  auto isTrimmed = [](unsigned char c) { return c <= ' ' || c == 0x7F; };
  while (!reply.empty() && isTrimmed(static_cast<unsigned char>(reply.front()))) reply.remove_prefix(1);
  while (!reply.empty() && isTrimmed(static_cast<unsigned char>(reply.back()))) reply.remove_suffix(1);
  return QString::fromLatin1(reply.data(), static_cast<qsizetype>(reply.size()));
}

std::optional<TCanMsg> DecodeFrameLine(std::string_view line) {
  if (line.size() <= 2) return std::nullopt;
  const std::optional<FrameKind> kind = KindOf(line.front());
  if (!kind) return std::nullopt;
  const std::size_t lengthPos = 1 + kind->idDigits;
  if (lengthPos >= line.size() || line[lengthPos] < '0' || line[lengthPos] > '9') return std::nullopt;

  TCanMsg msg;
  msg.flags = kind->flags;
  msg.id = static_cast<std::int32_t>(HexTextToInt(Field(line, 1, kind->idDigits)));
  msg.len = static_cast<std::uint8_t>(line[lengthPos] - '0');
  const std::size_t dataPos = lengthPos + 1;
  if (kind->hasData) {
    const int taken = msg.len > 8 ? 8 : msg.len;
    for (int i = 0; i < taken; ++i)
      msg.data[i] = static_cast<std::uint8_t>(HexTextToInt(Field(line, dataPos + 2 * static_cast<std::size_t>(i), 2)));
  }
  const std::size_t timePos = dataPos + (kind->hasData ? 2 * std::size_t{msg.len} : 0);
  msg.timestamp = static_cast<std::int32_t>(HexTextToInt(Field(line, timePos, 4)));
  return msg;
}

}  // namespace AsciiProtocol
