// Bytes as a project file holds them: the reader either gives the three bit-rate values or
// rejects the document with a reason; whatever it accepts it writes back to the same values.

#include <QByteArray>
#include <stdexcept>

#include "storage/ProjectFiles.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  TProjectBitRates read;
  try {
    read = ParseProjectXml(xml);
  } catch (const std::runtime_error&) {
    return 0;
  }
  FuzzCheck(ParseProjectXml(ProjectXml(read)) == read, "written back, read differently");
  return 0;
}
