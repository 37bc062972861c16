// Text as a candump log file holds it: every frame read must be one a CAN bus can carry, and
// every non-empty line is either a frame or counted as skipped.

#include "tests/fuzz/FuzzLog.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const TLogFile log = FuzzReadLog(TLogFormat::Candump, data, size, true);
  for (const TCandumpFrame& frame : log.Frames) FuzzCheck(frame.TimeUs >= 0, "negative time stamp");
  return 0;
}
