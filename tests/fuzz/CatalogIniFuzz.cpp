// Text as a catalog file holds it: every entry has a name, and each identifier's name is the
// one of its first entry.

#include "catalog/ControlUnitCatalog.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const TControlUnitCatalog catalog = TControlUnitCatalog::Parse(FuzzText(data, size));
  for (const TControlUnitEntry& entry : catalog.Entries()) {
    FuzzCheck(!catalog.NameOf(entry.CanId).isNull(), "an entry's identifier has no name");
    for (const TControlUnitEntry& first : catalog.Entries()) {
      if (first.CanId != entry.CanId) continue;
      FuzzCheck(catalog.NameOf(entry.CanId) == first.Name, "not the first entry's name");
      break;
    }
  }
  return 0;
}
