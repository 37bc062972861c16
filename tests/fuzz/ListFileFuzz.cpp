// Bytes as a list file holds them, read for every record size the lists use: the reader either
// rejects them with one of its messages or delivers whole records, never reading past the end.

#include <cstring>
#include <span>

#include "storage/TreeFile.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  // Software filter, hardware filter, monitor, trace, predefined messages, trigger log.
  for (std::size_t recordSize : {272u, 280u, 560u, 40u, 632u, 264u}) {
    try {
      const TLoadedRows rows = ReadTreeStream(std::span<const std::uint8_t>(data, size), recordSize);
      FuzzCheck(rows.RecordSize() == recordSize, "record size changed");
      // Every record is readable in full: ASan stops us when one is not.
      unsigned char sink = 0;
      for (std::size_t row = 0; row < rows.Count(); ++row) {
        sink ^= rows.Record(row)[0] ^ rows.Record(row)[recordSize - 1];
        FuzzCheck(!rows.State(row).Selected(), "a loaded row is still selected");
      }
      (void)sink;
    } catch (const TTreeFileError& error) {
      FuzzCheck(std::strlen(error.what()) > 0, "rejection without a message");
    }
  }
  return 0;
}
