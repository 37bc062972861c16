// Text as SavvyCAN's CSV log holds it: a header naming columns in any order, then frames.

#include "tests/fuzz/FuzzLog.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  (void)FuzzReadLog(TLogFormat::SavvyCsv, data, size, true);
  return 0;
}
