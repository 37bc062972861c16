#include "tools/cli/CliOptions.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

#include "tools/cli/CliCommands.h"

namespace {

bool IsHex(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

std::uint64_t HexValue(const std::string& text, std::size_t maxDigits, const std::string& what) {
  if (!IsHex(text) || text.size() > maxDigits)
    throw TUsageError(what + " must be 1 to " + std::to_string(maxDigits) + " hexadecimal digits, not '" + text + "'");
  return std::stoull(text, nullptr, 16);
}

std::uint64_t DecimalValue(const std::string& text, std::uint64_t min, std::uint64_t max, const std::string& what) {
  const bool digits = !text.empty() && text.size() <= 19 &&
                      text.find_first_not_of("0123456789") == std::string::npos;
  const std::uint64_t value = digits ? std::stoull(text) : 0;
  if (!digits || value < min || value > max)
    throw TUsageError(what + " must be a whole number from " + std::to_string(min) + " to " + std::to_string(max) +
                      ", not '" + text + "'");
  return value;
}

// A finite decimal number taking the whole text, or nothing.
std::optional<double> NumberValue(const std::string& text) {
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

double SecondsValue(const std::string& text, const std::string& what) {
  const std::optional<double> value = NumberValue(text);
  if (!value || *value <= 0) throw TUsageError(what + " must be a positive number of seconds, not '" + text + "'");
  return *value;
}

std::string Hex(std::uint64_t value, int digits) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%0*llX", digits, static_cast<unsigned long long>(value));
  return buffer;
}

}  // namespace

TCanMsgProg ParseFrameText(const std::string& text) {
  const std::size_t hash = text.find('#');
  if (hash == std::string::npos) throw TUsageError("frame must be ID#DATA, not '" + text + "'");
  const std::string id = text.substr(0, hash);
  std::string data = text.substr(hash + 1);
  TCanMsgProg msg;
  if (id.size() == 3 && IsHex(id)) {
    msg.CanId = static_cast<std::int64_t>(std::stoull(id, nullptr, 16));
    if (msg.CanId > 0x7FF) throw TUsageError("standard identifier above 7FF in '" + text + "'");
  } else if (id.size() == 8 && IsHex(id)) {
    msg.CanId = static_cast<std::int64_t>(std::stoull(id, nullptr, 16));
    msg.Extended = true;
    if (msg.CanId > 0x1FFFFFFF) throw TUsageError("extended identifier above 1FFFFFFF in '" + text + "'");
  } else {
    throw TUsageError("identifier must be 3 or 8 hexadecimal digits in '" + text + "'");
  }
  if (!data.empty() && (data[0] == 'R' || data[0] == 'r')) {
    msg.RTR = true;
    const std::string length = data.substr(1);
    if (length.size() > 1 || (length.size() == 1 && (length[0] < '0' || length[0] > '8')))
      throw TUsageError("remote frame length must be one digit 0 to 8 in '" + text + "'");
    msg.DLC = length.empty() ? 0 : length[0] - '0';
    return msg;
  }
  std::string digits;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '.' && i % 3 == 2) continue;  // "11.22.33"
    digits.push_back(data[i]);
  }
  if ((!digits.empty() && !IsHex(digits)) || digits.size() % 2 != 0 || digits.size() > 16)
    throw TUsageError("data must be up to 8 bytes of two hexadecimal digits in '" + text + "'");
  msg.DLC = static_cast<std::int32_t>(digits.size() / 2);
  for (int i = 0; i < msg.DLC; ++i)
    msg.Data[static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(std::stoul(digits.substr(2 * static_cast<std::size_t>(i), 2), nullptr, 16));
  return msg;
}

std::string CandumpLine(const TCanMsgProg& msg, std::int64_t seconds, std::int64_t microseconds,
                        const std::string& interfaceName) {
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "(%lld.%06lld) ", static_cast<long long>(seconds), static_cast<long long>(microseconds));
  std::string line = stamp + interfaceName + " ";
  line += Hex(static_cast<std::uint64_t>(msg.CanId) & (msg.Extended ? 0x1FFFFFFFu : 0x7FFu), msg.Extended ? 8 : 3);
  line += '#';
  if (msg.RTR) {
    line += 'R';
    if (msg.DLC > 0 && msg.DLC <= 8) line += static_cast<char>('0' + msg.DLC);  // as candump writes a remote length
    return line;
  }
  for (int i = 0; i < msg.UsedBytes(); ++i) line += Hex(msg.Data[static_cast<std::size_t>(i)], 2);
  return line;
}

TCliOptions ReadAdapterOptions(const TCliArgs& args) {
  TCliOptions options;
  options.Serial = args.Arguments.at(0);
  if (options.Serial.empty()) throw TUsageError("missing SERIAL");
  if (args.Has("bitrate") && args.Has("btr")) throw TUsageError("--bitrate and --btr exclude each other");
  if (args.Has("code") != args.Has("mask")) throw TUsageError("--code and --mask go together");
  if (args.Has("bitrate")) options.BitRate = static_cast<std::uint16_t>(DecimalValue(args.Value("bitrate"), 1, 65535, "--bitrate"));
  if (args.Has("btr")) {
    options.Btr = static_cast<std::int32_t>(HexValue(args.Value("btr"), 4, "--btr"));
    options.BitRate = 0;
  }
  if (args.Has("code")) options.Code = static_cast<std::uint32_t>(HexValue(args.Value("code"), 8, "--code"));
  if (args.Has("mask")) options.Mask = static_cast<std::uint32_t>(HexValue(args.Value("mask"), 8, "--mask"));
  if (args.Has("count")) options.Count = DecimalValue(args.Value("count"), 1, UINT64_MAX >> 1, "--count");
  if (args.Has("timeout")) options.TimeoutSeconds = SecondsValue(args.Value("timeout"), "--timeout");
  if (args.Has("duration")) options.TimeoutSeconds = SecondsValue(args.Value("duration"), "--duration");
  return options;
}

void LoadSignalDatabases(const TCliArgs& args, TSignalDatabases& databases) {
  std::vector<std::string> warnings;
  for (const std::string& path : args.AllValues(CliOption::Dbc.Name)) {
    const std::string refused = databases.Load(path, warnings);
    if (!refused.empty()) throw TCliFailure{refused};
  }
  for (const std::string& warning : warnings) std::fprintf(stderr, "ferrolux-cli: warning: %s\n", warning.c_str());
}

double ReadBitRateOption(const TCliArgs& args) {
  if (!args.Has("bitrate")) return 0;
  return 1000.0 * static_cast<double>(DecimalValue(args.Value("bitrate"), 1, 65535, "--bitrate"));
}

TCliPlayOptions ReadPlayOptions(const TCliArgs& args) {
  TCliPlayOptions play;
  if (args.Has("speed")) {
    const std::string& text = args.Value("speed");
    const std::optional<double> speed = text == "max" ? std::optional(0.0) : NumberValue(text);
    if (!speed || (*speed != 0 && (*speed < TReplayPace::kMinSpeed || *speed > TReplayPace::kMaxSpeed)) || *speed < 0)
      throw TUsageError("--speed must be a factor from 0.1 to 10 or 'max', not '" + text + "'");
    play.Pace.Speed = *speed;
  }
  if (args.Has("loop")) play.Pace.Loops = static_cast<std::uint32_t>(DecimalValue(args.Value("loop"), 0, UINT32_MAX, "--loop"));
  for (const std::string& id : args.AllValues("id")) {
    const std::uint64_t value = HexValue(id, 8, "--id");
    if (value > 0x1FFFFFFF) throw TUsageError("--id must be an identifier up to 1FFFFFFF, not '" + id + "'");
    play.Ids.push_back(static_cast<std::int64_t>(value));
  }
  return play;
}
