#include "model/SavvyCsvLog.h"

#include <optional>
#include <vector>

#include "model/LogText.h"

namespace {

constexpr std::size_t kMaxColumns = 64;

// The fields of a line; a trailing comma ends the last one, it does not add an empty one.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  if (!line.empty() && line.back() == ',') line.remove_suffix(1);
  while (fields.size() < kMaxColumns) {
    const std::size_t comma = line.find(',');
    std::string_view field = line.substr(0, comma);
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    fields.push_back(field);
    if (comma == std::string_view::npos) break;
    line.remove_prefix(comma + 1);
  }
  return fields;
}

}  // namespace

bool TSavvyCsvReader::Header(std::string_view line) {
  const std::vector<std::string_view> names = Fields(line);
  std::optional<std::size_t> time, id, length;
  std::array<std::optional<std::size_t>, 8> data;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string_view name = names[i];
    if (LogEqualNoCase(name, "Time Stamp")) time = i;
    else if (LogEqualNoCase(name, "ID")) id = i;
    else if (LogEqualNoCase(name, "LEN")) length = i;
    else if (LogEqualNoCase(name, "Extended")) {
      FExtended = i;
      FHasExtended = true;
    } else if (name.size() == 2 && (name[0] == 'D' || name[0] == 'd') && name[1] >= '1' && name[1] <= '8')
      data[static_cast<std::size_t>(name[1] - '1')] = i;
  }
  if (!time || !id || !length) return false;
  for (std::size_t b = 0; b < data.size(); ++b) {
    if (!data[b]) return false;
    FData[b] = *data[b];
  }
  FTime = *time;
  FId = *id;
  FLength = *length;
  FColumns = names.size();
  return true;
}

TLogReader::TStep TSavvyCsvReader::Frame(std::string_view line, TCandumpFrame& frame) {
  const std::vector<std::string_view> fields = Fields(line);
  if (fields.size() < FColumns)
    return FailLine("is not a CAN frame: " + std::to_string(fields.size()) + " columns where the header names " +
                    std::to_string(FColumns));
  frame = TCandumpFrame{};
  TCanMsgProg& msg = frame.Msg;
  const auto time = LogDecimal(fields[FTime]);
  if (!time) return FailLine("is not a CAN frame: time stamp '" + std::string(fields[FTime]) + "' is not a number");
  frame.TimeUs = *time;
  std::string_view idText = fields[FId];
  if (LogStartsNoCase(idText, "0x")) idText.remove_prefix(2);
  const auto id = LogHex(idText);
  if (!id || *id > 0x1FFFFFFF) return FailLine("is not a CAN frame: identifier '" + std::string(fields[FId]) + "' is not a CAN identifier");
  msg.Extended = FHasExtended ? LogEqualNoCase(fields[FExtended], "true") : *id > 0x7FF;
  if (!msg.Extended && *id > 0x7FF) return FailLine("is not a CAN frame: identifier " + std::string(idText) + " is too large");
  msg.CanId = *id;
  const auto length = LogDecimal(fields[FLength]);
  if (!length || *length > 8) return FailLine("is not a CAN frame: length '" + std::string(fields[FLength]) + "' is not 0 to 8");
  msg.DLC = static_cast<std::int32_t>(*length);
  for (std::size_t b = 0; b < static_cast<std::size_t>(msg.DLC); ++b) {
    const std::string_view byteText = fields[FData[b]];
    const auto value = byteText.size() <= 2 ? LogHex(byteText) : std::nullopt;
    if (!value) return FailLine("is not a CAN frame: data byte '" + std::string(byteText) + "' is not hexadecimal");
    msg.Data[b] = static_cast<std::uint8_t>(*value);
  }
  return TStep::Frame;
}

TLogReader::TStep TSavvyCsvReader::ReadFrame(TCandumpFrame& frame) {
  if (FBroken) return TStep::End;
  const std::optional<std::string_view> line = NextLine();
  if (!line) return TStep::End;
  if (!FHeaderRead) {
    FHeaderRead = true;
    if (!Header(*line)) {
      FBroken = true;
      return FailLine("is not the header of a SavvyCAN log (Time Stamp,ID,Extended,Dir,Bus,LEN,D1..D8)");
    }
    return ReadFrame(frame);
  }
  return Frame(*line, frame);
}
