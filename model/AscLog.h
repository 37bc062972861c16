#pragma once
// Vector's ASC text log. A header, then one event a line, its time in seconds first:
//
//   date Thu Jan 01 12:01:02.411 am 1970        start of the measurement (also "Begin Triggerblock ...")
//   base hex  timestamps absolute               numbers hex|dec; times from the start|from the previous event
//   no internal events logged
//   Begin Triggerblock Thu Jan 01 12:01:02.411 am 1970
//      0.000844 1  2BF             Rx   d 3 00 00 00     data frame: channel, identifier, length, bytes
//      0.010000 1  18DAF110x       Tx   d 8 02 10 03 00 00 00 00 00 Length = 240 BitCount = 124
//      0.020000 1  123             Rx   r 4              remote frame with its length
//      0.030000 1  ErrorFrame                            error frame: passed over, counted
//   // a comment                                          other lines: passed over, counted
//   End TriggerBlock
//
// A frame's TimeUs is the start of the measurement plus its time. A line that has the shape
// of a frame (time, channel, identifier, Rx or Tx) but bad content is "not a CAN frame" with
// the reason; the reader goes on after it.

#include "model/LogReader.h"

class TAscReader : public TLogLineReader {
 public:
  using TLogLineReader::TLogLineReader;

 protected:
  TStep ReadFrame(TCandumpFrame& frame) override;

 private:
  bool HeaderLine(std::string_view first, std::string_view rest);
  TStep FrameFields(std::string_view rest, TCanMsgProg& msg);

  bool FDecimal = false;
  bool FRelative = false;
  std::int64_t FStartUs = 0;
  std::int64_t FLastUs = 0;
};

// Writes the header with the first frame's time (to the millisecond) as the start, times
// from it to the microsecond, every frame received on channel 1.
class TAscWriter : public TLogTextWriter {
 public:
  using TLogTextWriter::TLogTextWriter;

 protected:
  void AppendHeader(std::string& out, std::int64_t startMs) override;
  void AppendFrame(std::string& out, const TCandumpFrame& frame) override;
  void AppendTrailer(std::string& out) override;
};

// "Thu Jan 01 12:01:02.411 am 1970" of milliseconds since 1970 (UTC), and back; the reading
// takes the German month abbreviations and a 24-hour time too.
[[nodiscard]] std::string AscDateText(std::int64_t msSinceEpoch);
[[nodiscard]] std::optional<std::int64_t> ParseAscDate(std::string_view text);
