#include "CanPackage/source/AsciiProtocol.h"

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

// A command letter and its argument. Built by appending rather than with `"s" + text`, which
// GCC 12 at -O3 wrongly reports as overlapping copies (-Wrestrict) inside std::string.
std::string Command(char letter, std::string_view argument) {
  std::string command(1, letter);
  command += argument;
  return command;
}

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
  if (bitRate == 0) return Command('s', Hex(static_cast<std::uint32_t>(btr), 4));
  for (std::size_t i = 0; i < kStandardBitRates.size(); ++i)
    if (kStandardBitRates[i] == bitRate) return Command('S', std::to_string(i));
  return {};  // an unknown rate sends a lone CR
}

std::string AcceptanceCodeCommand(std::uint32_t code) { return Command('M', Hex(code, 8)); }
std::string AcceptanceMaskCommand(std::uint32_t mask) { return Command('m', Hex(mask, 8)); }

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

std::string FrameLine(const TCanMsgProg& msg, std::optional<std::uint16_t> timestamp) {
  std::string line = TransmitLine(msg);
  if (timestamp) line += Hex(*timestamp, 4);
  line.push_back(CR);
  return line;
}

std::optional<std::uint32_t> ParseHexStrict(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::optional<TCanMsgProg> ParseTransmitLine(std::string_view command) {
  if (command.empty()) return std::nullopt;
  const std::optional<FrameKind> kind = KindOf(command.front());
  if (!kind) return std::nullopt;
  const std::size_t lengthPos = 1 + kind->idDigits;
  if (command.size() <= lengthPos) return std::nullopt;
  const std::optional<std::uint32_t> id = ParseHexStrict(command.substr(1, kind->idDigits));
  const char length = command[lengthPos];
  if (!id || length < '0' || length > '8') return std::nullopt;
  const bool extended = (kind->flags & kCanMsgFlagExtended) != 0;
  if (*id > (extended ? 0x1FFFFFFFu : 0x7FFu)) return std::nullopt;

  TCanMsgProg msg;
  msg.CanId = *id;
  msg.Extended = extended;
  msg.RTR = !kind->hasData;
  msg.DLC = length - '0';
  const std::size_t dataChars = kind->hasData ? 2 * static_cast<std::size_t>(msg.DLC) : 0;
  if (command.size() != lengthPos + 1 + dataChars) return std::nullopt;
  for (std::size_t i = 0; i < dataChars / 2; ++i) {
    const std::optional<std::uint32_t> byte = ParseHexStrict(command.substr(lengthPos + 1 + 2 * i, 2));
    if (!byte) return std::nullopt;
    msg.Data[i] = static_cast<std::uint8_t>(*byte);
  }
  return msg;
}

}  // namespace AsciiProtocol
