#include "model/TrcLog.h"

#include "model/LogText.h"

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
constexpr std::int64_t kDaysTo1970 = 25569;  // 1899-12-30 to 1970-01-01

// The columns of each version when the header names none.
std::string_view DefaultColumns(int version) {
  switch (version) {
    case 10: return "NOILD";
    case 11: return "NOTILD";
    case 12: return "NOBTILD";
    case 13: return "NOBTIRLD";
    case 20: return "NOTIdlD";
    default: return "NOTBIdRLD";
  }
}

}  // namespace

std::string TrcStartTimeText(std::int64_t msSinceEpoch) {
  std::int64_t total = msSinceEpoch + kDaysTo1970 * kMsPerDay;
  if (total < 0) total = 0;
  std::string text;
  LogAppendDecimal(text, static_cast<std::uint64_t>(total / kMsPerDay));
  text += '.';
  std::string fraction;
  LogAppendDecimal(fraction, static_cast<std::uint64_t>(total % kMsPerDay * 10'000'000 / 864));  // twelve digits
  text.append(12 - fraction.size(), '0');
  return text + fraction;
}

std::optional<std::int64_t> ParseTrcStartTime(std::string_view text) {
  const std::size_t dot = text.find('.');
  const auto days = LogDecimal(text.substr(0, dot));
  if (!days || *days > 3'000'000) return std::nullopt;
  std::int64_t fraction = 0;  // in units of 10^-12 days
  const std::string_view digits = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
  for (std::size_t i = 0; i < 12; ++i) {
    if (i < digits.size() && (digits[i] < '0' || digits[i] > '9')) return std::nullopt;
    fraction = fraction * 10 + (i < digits.size() ? digits[i] - '0' : 0);
  }
  return (*days - kDaysTo1970) * kMsPerDay + (fraction * 864 + 5'000'000) / 10'000'000;
}

void TTrcReader::HeaderLine(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = line.substr(0, equals);
  const std::string_view value = line.substr(equals + 1);
  if (key == ";$FILEVERSION") {
    const std::size_t dot = value.find('.');
    const auto major = LogDecimal(value.substr(0, dot));
    const auto minor = dot == std::string_view::npos ? std::optional<std::int64_t>(0) : LogDecimal(value.substr(dot + 1));
    if (major && minor && *major <= 9 && *minor <= 9) FVersion = static_cast<int>(*major * 10 + *minor);
  } else if (key == ";$STARTTIME") {
    if (const auto start = ParseTrcStartTime(value)) FStartUs = *start * 1000;
  } else if (key == ";$COLUMNS") {
    FColumns.clear();
    for (char c : value)
      if (c != ',' && c != ' ') FColumns += c;
  }
}

TLogReader::TStep TTrcReader::Identifier(std::string_view text, TCanMsgProg& msg) {
  const auto id = LogHex(text);
  if (!id) return FailLine("is not a CAN frame: identifier '" + std::string(text) + "' is not hexadecimal");
  msg.Extended = text.size() > 4;
  if (*id > (msg.Extended ? 0x1FFFFFFFu : 0x7FFu))
    return FailLine("is not a CAN frame: identifier " + std::string(text) + " is too large");
  msg.CanId = *id;
  return TStep::Frame;
}

TLogReader::TStep TTrcReader::DataBytes(std::string_view rest, TCanMsgProg& msg) {
  std::string_view probe = rest;
  if (LogNextField(probe) == "RTR") msg.RTR = true;
  if (msg.RTR) return TStep::Frame;
  for (int i = 0; i < msg.DLC; ++i) {
    const std::string_view byteText = LogNextField(rest);
    const auto value = byteText.size() == 2 ? LogHex(byteText) : std::nullopt;
    if (byteText.empty())
      return FailLine("is not a CAN frame: " + std::to_string(i) + " data bytes where the length says " + std::to_string(msg.DLC));
    if (!value) return FailLine("is not a CAN frame: data byte '" + std::string(byteText) + "' is not hexadecimal");
    msg.Data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*value);
  }
  return TStep::Frame;
}

std::optional<TLogReader::TStep> TTrcReader::ColumnsLine(std::string_view line, TCandumpFrame& frame) {
  const std::string_view columns = FColumns.empty() ? DefaultColumns(FVersion) : std::string_view(FColumns);
  frame = TCandumpFrame{FStartUs, TCanMsgProg{}};
  TCanMsgProg& msg = frame.Msg;
  std::string_view rest = line;
  bool sawOffset = false, sawId = false, sawLength = false;
  for (char column : columns) {
    if (column == Data) break;
    const std::string_view field = LogNextField(rest);
    if (field.empty()) return FailLine("is not a CAN frame: it ends before its '" + std::string(1, column) + "' column");
    if (column == Offset) {
      const auto offsetUs = LogFixedPoint(field, 3);
      if (!offsetUs) return FailLine("is not a CAN frame: time offset '" + std::string(field) + "' is not a number");
      frame.TimeUs += *offsetUs;
      sawOffset = true;
    } else if (column == Type) {
      if (field == "RR") msg.RTR = true;
      else if (field != "DT" && field != "Rx" && field != "Tx") {
        CountSkipped();  // FD frames, errors, events, status, warnings
        return std::nullopt;
      }
    } else if (column == Id) {
      if (field == "FFFFFFFF") {
        CountSkipped();  // the bus status of version 1
        return std::nullopt;
      }
      if (Identifier(field, msg) == TStep::Bad) return TStep::Bad;
      sawId = true;
    } else if (column == Dlc || column == Length) {
      const auto length = LogDecimal(field);
      if (!length || *length > (column == Dlc ? 15 : 8))
        return FailLine("is not a CAN frame: length '" + std::string(field) + "' is out of range");
      msg.DLC = static_cast<std::int32_t>(*length > 8 ? 8 : *length);
      sawLength = true;
    }
  }
  if (!sawOffset || !sawId || !sawLength) return FailLine("is not a CAN frame: the columns lack time, identifier or length");
  return DataBytes(rest, msg);
}

TLogReader::TStep TTrcReader::ReadFrame(TCandumpFrame& frame) {
  while (const std::optional<std::string_view> line = NextLine()) {
    const std::size_t begin = line->find_first_not_of(" \t");
    const std::string_view text = line->substr(begin);
    if (text.front() == ';') {
      HeaderLine(text);
      continue;
    }
    if (const std::optional<TStep> step = ColumnsLine(text, frame)) return *step;
  }
  return TStep::End;
}

void TTrcWriter::AppendHeader(std::string& out, std::int64_t startMs) {
  out += ";$FILEVERSION=2.1\r\n;$STARTTIME=" + TrcStartTimeText(startMs) +
         "\r\n;$COLUMNS=N,O,T,B,I,d,R,L,D\r\n"
         ";\r\n"
         ";   Message   Time    Type    ID     Rx/Tx\r\n"
         ";   Number    Offset  |  Bus  [hex]  |  Reserved\r\n"
         ";   |         [ms]    |  |    |      |  |  Data Length Code\r\n"
         ";   |         |       |  |    |      |  |  |    Data [hex] ...\r\n"
         ";   |         |       |  |    |      |  |  |    |\r\n"
         ";---+-- ------+------ +- +- --+----- +- +- +--- +- -- -- -- -- -- -- --\r\n";
}

void TTrcWriter::AppendFrame(std::string& out, const TCandumpFrame& frame) {
  const TCanMsgProg& msg = frame.Msg;
  std::string number;
  LogAppendDecimal(number, ++FNumber);
  if (number.size() < 7) out.append(7 - number.size(), ' ');
  out += number;
  out += ' ';
  LogAppendFixedPoint(out, SinceStartUs(frame), 3, 13);
  out += msg.RTR ? " RR  1 " : " DT  1 ";
  const auto id = static_cast<std::uint32_t>(msg.CanId) & (msg.Extended ? 0x1FFFFFFFu : 0x7FFu);
  out.append(msg.Extended ? 0 : 4, ' ');
  LogAppendHex(out, id, msg.Extended ? 8 : 4);
  out += " Rx -  ";
  const int length = msg.DLC < 0 ? 0 : (msg.DLC > 15 ? 15 : msg.DLC);
  LogAppendDecimal(out, static_cast<std::uint64_t>(length));
  out += length >= 10 ? "  " : "   ";
  if (!msg.RTR)
    for (int i = 0; i < msg.UsedBytes(); ++i) {
      out += ' ';
      LogAppendHex(out, msg.Data[static_cast<std::size_t>(i)], 2);
    }
  out += "\r\n";
}
