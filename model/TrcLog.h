#pragma once
// PEAK's TRC trace. Header lines start with ';', the version and start time among them; then
// one message a line, its time offset in milliseconds from the start:
//
//   ;$FILEVERSION=1.1
//   ;$STARTTIME=25569.0007223611                 days since 1899-12-30 (absent: 1970)
//        1)      1841.0  Rx         0001  8  00 11 22 33 44 55 66 77
//        2)      1842.3  Rx     18EFC034  4  RTR                        1.1: remote frame
//        3)      1843.0  Warng  FFFFFFFF  4  00 00 00 08 BUSHEAVY       other types: passed over
//
//   ;$FILEVERSION=2.0                            columns N,O,T,I,d,l,D unless $COLUMNS says
//        1      1059.900 DT     0300 Rx 7 00 00 00 00 04 00 00
//        2      1060.100 RR     0300 Rx 4                               remote frame
//
//   ;$FILEVERSION=2.1                            columns N,O,T,B,I,d,R,L,D unless $COLUMNS says
//   ;$COLUMNS=N,O,T,B,I,d,R,L,D
//        1         0.844 DT 1      02BF Rx - 3    00 00 00
//
// Versions 1.0, 1.2 and 1.3 differ from 1.1 by their columns (no type; a bus; a reserved one)
// and are read alike. Identifiers of more than four digits are extended. 2.x types other than DT and RR (FD
// frames, errors, events, status) are passed over and counted. A message line whose fields do
// not fit is "not a CAN frame" with the reason; the reader goes on after it.

#include <array>

#include "model/LogReader.h"

class TTrcReader : public TLogLineReader {
 public:
  using TLogLineReader::TLogLineReader;

 protected:
  TStep ReadFrame(TCandumpFrame& frame) override;

 private:
  enum TColumn : char { Number = 'N', Offset = 'O', Type = 'T', Bus = 'B', Id = 'I', Direction = 'd',
                        Reserved = 'R', Dlc = 'L', Length = 'l', Data = 'D' };
  void HeaderLine(std::string_view line);
  // Nothing for a line that is passed over.
  std::optional<TStep> ColumnsLine(std::string_view line, TCandumpFrame& frame);
  TStep Identifier(std::string_view text, TCanMsgProg& msg);
  TStep DataBytes(std::string_view rest, TCanMsgProg& msg);

  int FVersion = 11;  // major * 10 + minor
  std::string FColumns;
  std::int64_t FStartUs = 0;
};

// Version 2.1 with the first frame's time (to the millisecond) as the start and offsets to
// the microsecond; every frame on bus 1, received.
class TTrcWriter : public TLogTextWriter {
 public:
  using TLogTextWriter::TLogTextWriter;

 protected:
  void AppendHeader(std::string& out, std::int64_t startMs) override;
  void AppendFrame(std::string& out, const TCandumpFrame& frame) override;

 private:
  std::uint64_t FNumber = 0;
};

// $STARTTIME: days since 1899-12-30 as a decimal fraction, of milliseconds since 1970, and
// back to the nearest millisecond.
[[nodiscard]] std::string TrcStartTimeText(std::int64_t msSinceEpoch);
[[nodiscard]] std::optional<std::int64_t> ParseTrcStartTime(std::string_view text);
