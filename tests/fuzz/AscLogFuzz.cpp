// Text as an ASC log holds it: header lines in any order and base, frames, events and junk.

#include "tests/fuzz/FuzzLog.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  (void)FuzzReadLog(TLogFormat::Asc, data, size, true);
  return 0;
}
