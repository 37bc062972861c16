#include "CanPackage/source/AsciiAdapterEmulator.h"

#include <cstdio>

#include "CanPackage/source/AsciiProtocol.h"
#include "CanPackage/source/Sja1000Filter.h"
#include "model/CanText.h"

using namespace AsciiProtocol;

namespace {
const std::string kAccepted(1, CR);
const std::string kRefused(1, BEL);
}  // namespace

TAsciiAdapterEmulator::TAsciiAdapterEmulator(std::string version) : FVersion(std::move(version)) {}

std::string TAsciiAdapterEmulator::Feed(std::string_view bytes) {
  std::string replies;
  for (char c : bytes) {
    if (c == CR) {
      replies += FOverflow ? kRefused : Execute(FCommand);
      FCommand.clear();
      FOverflow = false;
    } else if (c == '\n') {
      // A terminal's line feed after the CR is not part of any command.
    } else if (FCommand.size() < kMaxLineLength) {
      FCommand.push_back(c);
    } else {
      FOverflow = true;
    }
  }
  return replies;
}

std::string TAsciiAdapterEmulator::Execute(std::string_view command) {
  if (command.empty()) return kAccepted;
  switch (command.front()) {
    case 'V':
      return command.size() == 1 ? FVersion + CR : kRefused;
    case 'O':
      if (command.size() != 1 || FOpen || !FBitRate) return kRefused;
      FOpen = true;
      return kAccepted;
    case 'C':
      if (command.size() != 1 || !FOpen) return kRefused;
      FOpen = false;
      return kAccepted;
    case 't': case 'r': case 'T': case 'R':
      return Transmit(command);
    default:
      return !FOpen && SetUp(command) ? kAccepted : kRefused;
  }
}

bool TAsciiAdapterEmulator::SetUp(std::string_view command) {
  const std::string_view argument = command.substr(1);
  switch (command.front()) {
    case 'S':
      if (argument.size() != 1 || argument[0] < '0' || argument[0] > '8') return false;
      FBitRate = TBitRate{kStandardBitRates[static_cast<std::size_t>(argument[0] - '0')], 0};
      return true;
    case 's': {
      const auto btr = argument.size() == 4 ? ParseHexStrict(argument) : std::nullopt;
      if (!btr) return false;
      FBitRate = TBitRate{0, static_cast<std::uint16_t>(*btr)};
      return true;
    }
    case 'M':
    case 'm': {
      const auto value = argument.size() == 8 ? ParseHexStrict(argument) : std::nullopt;
      if (!value) return false;
      (command.front() == 'M' ? FCode : FMask) = *value;
      return true;
    }
    case 'Z':
      if (argument != "0" && argument != "1") return false;
      FTimeStamps = argument == "1";
      return true;
    default:
      return false;
  }
}

std::string TAsciiAdapterEmulator::Transmit(std::string_view command) {
  const std::optional<TCanMsgProg> msg = FOpen ? ParseTransmitLine(command) : std::nullopt;
  if (!msg) return kRefused;
  FTransmitted.push_back(*msg);
  return std::string(1, msg->Extended ? 'Z' : 'z') + CR;
}

std::string TAsciiAdapterEmulator::ReportFrame(const TCanMsgProg& msg, std::uint64_t nowMs) const {
  if (!FOpen || !Sja1000DualFilterAccepts(FCode, FMask, msg)) return {};
  std::optional<std::uint16_t> stamp;
  if (FTimeStamps) stamp = static_cast<std::uint16_t>(nowMs % kTimeStampWrap);
  return FrameLine(msg, stamp);
}

std::vector<TCanMsgProg> TAsciiAdapterEmulator::TakeTransmitted() {
  std::vector<TCanMsgProg> taken;
  taken.swap(FTransmitted);
  return taken;
}

std::string TAsciiAdapterEmulator::BitRateText() const {
  if (!FBitRate) return "no bit rate";
  if (FBitRate->KBitPerSecond != 0) return std::to_string(FBitRate->KBitPerSecond) + " kbit/s";
  char text[48];
  std::snprintf(text, sizeof text, "BTR %04X (%.2f kbit/s)", FBitRate->Btr,
                BtrToBitRate(static_cast<std::uint8_t>(FBitRate->Btr >> 8), static_cast<std::uint8_t>(FBitRate->Btr)));
  return text;
}
