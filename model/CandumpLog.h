#pragma once
// Reading the can-utils candump log format, one frame per line:
//
//   (1436509052.249713) can0 123#11223344      standard data frame, up to 8 data bytes
//   (1436509052.250000) can0 18DAF110#0102     extended: eight identifier digits
//   (1436509052.260000) can0 123#R             remote frame, length 0
//   (1436509052.270000) can0 123#R4            remote frame with its length digit
//   (1436509052.280000) can0 123#11 R          python-can's direction: R received, T transmitted
//
// Data bytes may be separated by '.' (11.22.33). Anything else — CAN FD "##" lines, error
// frames (identifier above 0x1FFFFFFF), bad digits, more than 8 bytes — is not a frame.
//
// A frame's Time is the program's 32-bit millisecond counter started at the log's first
// frame: whole milliseconds since then, counted in integers from the six fraction digits,
// so no frame moves across a millisecond boundary by rounding.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/LogReader.h"

struct TCandumpLog {
  std::vector<TCandumpFrame> Frames;
  std::size_t SkippedLines = 0;  // non-empty lines that are not frames
};

[[nodiscard]] std::optional<TCandumpFrame> ParseCandumpLine(std::string_view line);

// Whole milliseconds from originUs to timeUs (rounded down), as the free-running counter.
[[nodiscard]] std::int32_t CandumpMillisecondsSince(std::int64_t timeUs, std::int64_t originUs);

// Reads a log one frame at a time and sets each frame's Time from the first frame on. A bad
// line is "line N is not a CAN frame"; the reader goes on after it.
class TCandumpReader : public TLogLineReader {
 public:
  using TLogLineReader::TLogLineReader;

 protected:
  TStep ReadFrame(TCandumpFrame& frame) override;
};

// Reads every line; empty lines are ignored, malformed ones skipped and counted.
[[nodiscard]] TCandumpLog ReadCandumpLog(std::istream& in);

// Writing the same format.
inline constexpr std::string_view kCandumpInterface = "can0";

// "(SECONDS.MICROSECONDS) INTERFACE ID#DATA": three identifier digits for standard frames,
// eight for extended ones, "R" and the length digit for a remote frame with a length.
[[nodiscard]] std::string FormatCandumpLine(const TCanMsgProg& msg, std::int64_t timeUs,
                                            std::string_view interfaceName = kCandumpInterface);
// The log time stamp of a frame's Time: the counter is unsigned and counts milliseconds.
[[nodiscard]] constexpr std::int64_t CandumpTimeUsOfTime(std::int32_t time) {
  return static_cast<std::int64_t>(static_cast<std::uint32_t>(time)) * 1000;
}

class TCandumpWriter : public TLogTextWriter {
 public:
  using TLogTextWriter::TLogTextWriter;

 protected:
  void AppendHeader(std::string&, std::int64_t) override {}  // none: each line has its time
  void AppendFrame(std::string& out, const TCandumpFrame& frame) override;
};
