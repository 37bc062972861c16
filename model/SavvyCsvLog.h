#pragma once
// The comma-separated log SavvyCAN writes: a header naming the columns, then one frame a line,
// the time in microseconds, the identifier in hex, eight data columns of which LEN count:
//
//   Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8
//   62411844,000002BF,false,Rx,0,3,00,00,00,00,00,00,00,00,
//
// Older versions write no Dir column; the columns are found by their names. Read only: it is
// the format captures arrive in, not one colleagues ask for. A line that does not fit is "not a
// CAN frame" with the reason; a first line that is no such header ends the reading.

#include <array>

#include "model/LogReader.h"

class TSavvyCsvReader : public TLogLineReader {
 public:
  using TLogLineReader::TLogLineReader;

 protected:
  TStep ReadFrame(TCandumpFrame& frame) override;

 private:
  bool Header(std::string_view line);
  TStep Frame(std::string_view line, TCandumpFrame& frame);

  bool FHeaderRead = false;
  bool FBroken = false;
  std::size_t FTime = 0, FId = 0, FExtended = 0, FLength = 0;
  bool FHasExtended = false;
  std::array<std::size_t, 8> FData{};
  std::size_t FColumns = 0;
};
