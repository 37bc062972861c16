#include "model/CandumpLog.h"

#include <string>

#include "model/LogText.h"

namespace {

// "(sec.usec)" with exactly six fraction digits, as candump writes it.
std::optional<std::int64_t> TimeStamp(std::string_view field) {
  if (field.size() < 4 || field.front() != '(' || field.back() != ')') return std::nullopt;
  field = field.substr(1, field.size() - 2);
  const std::size_t dot = field.find('.');
  if (dot == std::string_view::npos || field.size() - dot - 1 != 6 || field.front() == '-') return std::nullopt;
  return LogFixedPoint(field, 6);
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
    const int high = LogHexDigit(text[i]), low = LogHexDigit(text[i + 1]);
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
  const auto id = LogHex(text.substr(0, hash));
  if (!id) return std::nullopt;
  TCanMsgProg msg;
  msg.Extended = hash == 8;
  if (*id > (msg.Extended ? 0x1FFFFFFFu : 0x7FFu)) return std::nullopt;
  msg.CanId = *id;
  if (!ParseData(text.substr(hash + 1), msg)) return std::nullopt;
  return msg;
}

}  // namespace

std::optional<TCandumpFrame> ParseCandumpLine(std::string_view line) {
  std::string_view rest = line;
  const auto time = TimeStamp(LogNextField(rest));
  const std::string_view iface = LogNextField(rest);
  const std::string_view frameText = LogNextField(rest);
  const std::string_view direction = LogNextField(rest);
  if (!time || iface.empty() || frameText.empty() || !LogNextField(rest).empty()) return std::nullopt;
  if (!direction.empty() && direction != "R" && direction != "T") return std::nullopt;
  auto msg = ParseFrame(frameText);
  if (!msg) return std::nullopt;
  return TCandumpFrame{*time, *msg};
}

std::int32_t CandumpMillisecondsSince(std::int64_t timeUs, std::int64_t originUs) {
  const std::int64_t us = timeUs - originUs;
  std::int64_t ms = us / 1000;
  if (us % 1000 < 0) --ms;  // down, also before the origin, so boundaries stay in place
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

TLogReader::TStep TCandumpReader::ReadFrame(TCandumpFrame& frame) {
  const std::optional<std::string_view> line = NextLine();
  if (!line) return TStep::End;
  std::optional<TCandumpFrame> parsed = ParseCandumpLine(*line);
  if (!parsed) return FailLine("is not a CAN frame");
  frame = *parsed;
  return TStep::Frame;
}

TCandumpLog ReadCandumpLog(std::istream& in) {
  TCandumpLog log;
  TCandumpReader reader(in);
  TCandumpFrame frame;
  for (;;) {
    const TCandumpReader::TStep step = reader.Next(frame);
    if (step == TCandumpReader::TStep::End) break;
    if (step == TCandumpReader::TStep::Frame) log.Frames.push_back(frame);
    else ++log.SkippedLines;
  }
  return log;
}

std::string FormatCandumpLine(const TCanMsgProg& msg, std::int64_t timeUs, std::string_view interfaceName) {
  std::string line;
  line += '(';
  LogAppendFixedPoint(line, timeUs, 6);
  line += ") ";
  line += interfaceName;
  line += ' ';
  const auto id = static_cast<std::uint32_t>(msg.CanId) & (msg.Extended ? 0x1FFFFFFFu : 0x7FFu);
  LogAppendHex(line, id, msg.Extended ? 8 : 3);
  line += '#';
  if (msg.RTR) {
    line += 'R';
    if (msg.DLC > 0 && msg.DLC <= 8) line += static_cast<char>('0' + msg.DLC);
    return line;
  }
  for (int i = 0; i < msg.UsedBytes(); ++i) LogAppendHex(line, msg.Data[static_cast<std::size_t>(i)], 2);
  return line;
}

void TCandumpWriter::AppendFrame(std::string& out, const TCandumpFrame& frame) {
  out += FormatCandumpLine(frame.Msg, frame.TimeUs);
  out += '\n';
}
