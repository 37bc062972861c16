// Text as a TRC trace holds it: any version and column list, messages of every type.

#include "tests/fuzz/FuzzLog.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  (void)FuzzReadLog(TLogFormat::Trc, data, size, true);
  return 0;
}
