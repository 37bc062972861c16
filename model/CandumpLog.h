#pragma once
// Reading the can-utils candump log format, one frame per line:
//
//   (1436509052.249713) can0 123#11223344      standard data frame, up to 8 data bytes
//   (1436509052.250000) can0 18DAF110#0102     extended: eight identifier digits
//   (1436509052.260000) can0 123#R             remote frame, length 0
//   (1436509052.270000) can0 123#R4            remote frame with its length digit
//
// Data bytes may be separated by '.' (11.22.33). Anything else — CAN FD "##" lines, error
// frames (identifier above 0x1FFFFFFF), bad digits, more than 8 bytes — is not a frame.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/CanMsgProg.h"

struct TCandumpFrame {
  std::int64_t TimeUs = 0;  // time stamp of the line in microseconds
  TCanMsgProg Msg;
};

struct TCandumpLog {
  std::vector<TCandumpFrame> Frames;
  std::size_t SkippedLines = 0;  // non-empty lines that are not frames
};

[[nodiscard]] std::optional<TCandumpFrame> ParseCandumpLine(std::string_view line);
// The line of one frame, without line end, in the form ParseCandumpLine reads.
[[nodiscard]] std::string FormatCandumpLine(std::int64_t timeUs, const TCanMsgProg& msg, std::string_view interface = "can0");
// Reads every line; empty lines are ignored, malformed ones skipped and counted.
[[nodiscard]] TCandumpLog ReadCandumpLog(std::istream& in);
