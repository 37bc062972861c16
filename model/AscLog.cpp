#include "model/AscLog.h"

#include <QDateTime>
#include <array>

#include "model/LogText.h"

namespace {

constexpr std::array<std::string_view, 7> kWeekdays = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int MonthOf(std::string_view name) {
  for (std::size_t i = 0; i < kMonths.size(); ++i)
    if (LogEqualNoCase(name, kMonths[i])) return static_cast<int>(i) + 1;
  if (name == "M\xC3\xA4r") return 3;
  if (LogEqualNoCase(name, "Mai")) return 5;
  if (LogEqualNoCase(name, "Okt")) return 10;
  if (LogEqualNoCase(name, "Dez")) return 12;
  return 0;
}

void AppendTwo(std::string& out, int value) {
  out += static_cast<char>('0' + value / 10);
  out += static_cast<char>('0' + value % 10);
}

// "12:01:02.411" or "12:01:02": milliseconds of the day, the hour as written.
std::optional<std::int64_t> ClockMs(std::string_view text, int& hour) {
  if (text.size() < 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
  const auto h = LogDecimal(text.substr(0, 2)), m = LogDecimal(text.substr(3, 2));
  const auto s = LogFixedPoint(text.substr(6), 3);
  if (!h || !m || !s || *h > 23 || *m > 59 || *s < 0 || *s >= 60'000) return std::nullopt;
  hour = static_cast<int>(*h);
  return *m * 60'000 + *s;
}

}  // namespace

std::string AscDateText(std::int64_t msSinceEpoch) {
  const QDateTime at = QDateTime::fromMSecsSinceEpoch(msSinceEpoch, Qt::UTC);
  const QDate date = at.date();
  const QTime time = at.time();
  std::string text(kWeekdays[static_cast<std::size_t>(date.dayOfWeek() - 1)]);
  text += ' ';
  text += kMonths[static_cast<std::size_t>(date.month() - 1)];
  text += ' ';
  AppendTwo(text, date.day());
  text += ' ';
  const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
  AppendTwo(text, hour12);
  text += ':';
  AppendTwo(text, time.minute());
  text += ':';
  AppendTwo(text, time.second());
  text += '.';
  text += static_cast<char>('0' + time.msec() / 100);
  AppendTwo(text, time.msec() % 100);
  text += time.hour() < 12 ? " am " : " pm ";
  LogAppendDecimal(text, static_cast<std::uint64_t>(date.year()));
  return text;
}

std::optional<std::int64_t> ParseAscDate(std::string_view text) {
  std::string_view rest = text;
  LogNextField(rest);  // the weekday
  const int month = MonthOf(LogNextField(rest));
  const auto day = LogDecimal(LogNextField(rest));
  int hour = 0;
  const auto clock = ClockMs(LogNextField(rest), hour);
  std::string_view field = LogNextField(rest);
  if (LogEqualNoCase(field, "am") || LogEqualNoCase(field, "pm")) {
    if (hour < 1 || hour > 12) return std::nullopt;
    hour = hour % 12 + (LogEqualNoCase(field, "pm") ? 12 : 0);
    field = LogNextField(rest);
  }
  const auto year = LogDecimal(field);
  if (month == 0 || !day || !clock || !year || *year > 9999) return std::nullopt;
  const QDate date(static_cast<int>(*year), month, static_cast<int>(*day));
  if (!date.isValid()) return std::nullopt;
  return QDateTime(date, QTime(0, 0), Qt::UTC).toMSecsSinceEpoch() + hour * 3'600'000LL + *clock;
}

bool TAscReader::HeaderLine(std::string_view first, std::string_view rest) {
  if (LogEqualNoCase(first, "date") || LogEqualNoCase(first, "begin")) {
    if (LogEqualNoCase(first, "begin")) LogNextField(rest);  // "Triggerblock"
    if (const auto start = ParseAscDate(rest)) FStartUs = *start * 1000;
    return true;
  }
  if (LogEqualNoCase(first, "base")) {
    FDecimal = LogEqualNoCase(LogNextField(rest), "dec");
    if (LogEqualNoCase(LogNextField(rest), "timestamps")) FRelative = LogEqualNoCase(LogNextField(rest), "relative");
    return true;
  }
  return LogEqualNoCase(first, "end") || LogEqualNoCase(first, "internal") || LogEqualNoCase(first, "no");
}

TLogReader::TStep TAscReader::FrameFields(std::string_view rest, TCanMsgProg& msg) {
  auto number = [this](std::string_view digits) -> std::optional<std::int64_t> {
    if (FDecimal) return LogDecimal(digits);
    const auto value = LogHex(digits);
    return value ? std::optional<std::int64_t>(*value) : std::nullopt;
  };
  std::string_view idText = LogNextField(rest);
  msg.Extended = idText.size() > 1 && (idText.back() == 'x' || idText.back() == 'X');
  if (msg.Extended) idText.remove_suffix(1);
  const auto id = number(idText);
  if (!id) return FailLine("is not a CAN frame: identifier '" + std::string(idText) + "' is not a number");
  if (*id > (msg.Extended ? 0x1FFFFFFF : 0x7FF))
    return FailLine("is not a CAN frame: identifier " + std::string(idText) + " is too large");
  msg.CanId = *id;
  LogNextField(rest);  // Rx or Tx
  const std::string_view kind = LogNextField(rest);
  const bool remote = LogEqualNoCase(kind, "r");
  if (!remote && !LogEqualNoCase(kind, "d"))
    return FailLine("is not a CAN frame: '" + std::string(kind) + "' is neither d (data) nor r (remote)");
  const std::string_view lengthText = LogNextField(rest);
  const auto length = lengthText.empty() && remote ? std::optional<std::int64_t>(0) : number(lengthText);
  if (!length || *length > 15) return FailLine("is not a CAN frame: length '" + std::string(lengthText) + "' is not 0 to 15");
  msg.RTR = remote;
  msg.DLC = static_cast<std::int32_t>(*length > 8 ? 8 : *length);
  if (remote) return TStep::Frame;
  for (int i = 0; i < msg.DLC; ++i) {
    const std::string_view byteText = LogNextField(rest);
    if (byteText.empty())
      return FailLine("is not a CAN frame: " + std::to_string(i) + " data bytes where the length says " + std::to_string(msg.DLC));
    const auto value = byteText.size() <= (FDecimal ? 3u : 2u) ? number(byteText) : std::nullopt;
    if (!value || *value > 255) return FailLine("is not a CAN frame: data byte '" + std::string(byteText) + "' is not a number");
    msg.Data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*value);
  }
  return TStep::Frame;
}

TLogReader::TStep TAscReader::ReadFrame(TCandumpFrame& frame) {
  while (const std::optional<std::string_view> line = NextLine()) {
    std::string_view rest = *line;
    const std::string_view first = LogNextField(rest);
    if (HeaderLine(first, rest)) continue;
    const auto time = LogFixedPoint(first, 6);
    if (!time) {
      CountSkipped();
      continue;
    }
    const std::int64_t eventUs = FRelative ? FLastUs + *time : *time;
    FLastUs = eventUs;
    const std::string_view channel = LogNextField(rest);
    std::string_view probe = rest;
    LogNextField(probe);  // the identifier
    const std::string_view direction = LogNextField(probe);
    if (!LogDecimal(channel) || (direction != "Rx" && direction != "Tx")) {
      CountSkipped();  // error frames, CAN FD, statistics, chip states, comments
      continue;
    }
    frame = TCandumpFrame{FStartUs + eventUs, TCanMsgProg{}};
    return FrameFields(rest, frame.Msg);
  }
  return TStep::End;
}

void TAscWriter::AppendHeader(std::string& out, std::int64_t startMs) {
  const std::string date = AscDateText(startMs);
  out += "date " + date + "\nbase hex  timestamps absolute\nno internal events logged\nBegin Triggerblock " + date + '\n';
}

void TAscWriter::AppendFrame(std::string& out, const TCandumpFrame& frame) {
  const TCanMsgProg& msg = frame.Msg;
  LogAppendFixedPoint(out, SinceStartUs(frame), 6, 11);
  out += " 1  ";
  const std::size_t idStart = out.size();
  const auto id = static_cast<std::uint32_t>(msg.CanId) & (msg.Extended ? 0x1FFFFFFFu : 0x7FFu);
  LogAppendHex(out, id, msg.Extended ? 8 : 3);
  if (msg.Extended) out += 'x';
  out.append(16 - (out.size() - idStart), ' ');
  out += msg.RTR ? "Rx   r " : "Rx   d ";
  const int length = msg.DLC < 0 ? 0 : (msg.DLC > 15 ? 15 : msg.DLC);
  LogAppendHex(out, static_cast<std::uint32_t>(length), 1);
  if (!msg.RTR) {
    for (int i = 0; i < msg.UsedBytes(); ++i) {
      out += ' ';
      LogAppendHex(out, msg.Data[static_cast<std::size_t>(i)], 2);
    }
  }
  out += '\n';
}

void TAscWriter::AppendTrailer(std::string& out) { out += "End TriggerBlock\n"; }
