// Text as a candump log file holds it: every frame read must be one a CAN bus can carry, and
// every non-empty line is either a frame or counted as skipped.

#include <sstream>
#include <string>

#include "model/CandumpLog.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  std::istringstream in{std::string(FuzzText(data, size))};
  const TCandumpLog log = ReadCandumpLog(in);
  for (const TCandumpFrame& frame : log.Frames) {
    const TCanMsgProg& msg = frame.Msg;
    FuzzCheck(msg.DLC >= 0 && msg.DLC <= 8, "length outside 0..8");
    FuzzCheck(msg.CanId >= 0 && msg.CanId <= (msg.Extended ? 0x1FFFFFFF : 0x7FF), "identifier out of range");
    FuzzCheck(frame.TimeUs >= 0, "negative time stamp");
  }
  std::size_t lines = 0;
  for (std::size_t i = 0; i < size; ++i) lines += data[i] == '\n';
  FuzzCheck(log.Frames.size() + log.SkippedLines <= lines + 1, "more frames and skipped lines than lines");
  return 0;
}
