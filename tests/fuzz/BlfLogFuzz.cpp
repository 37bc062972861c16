// Bytes as a BLF file holds them: sizes that lie, containers that do not inflate, objects
// across containers. The reading ends with frames a bus can carry, at most one problem.

#include "tests/fuzz/FuzzLog.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const TLogFile log = FuzzReadLog(TLogFormat::Blf, data, size, false);
  FuzzCheck(!log.FirstProblem || log.FirstProblem->Where.rfind("offset ", 0) == 0, "a problem without its offset");
  return 0;
}
