#pragma once
// List files (".sf1", ".hf1", ".mo1", ".tr1", ".pm1", ".lm1"): a 16-byte header, then one node
// chunk per row holding the row's display state, its record byte for byte and its caption.
// One reader and one writer serve every list; a list supplies only its record size and
// caption text through TRowListBase.
//
// Reading never touches a list: a file is read completely into TLoadedRows, which replace a
// list's rows only afterwards, so a rejected file leaves the list as it was.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "lists/RowList.h"
#include "lists/RowStore.h"

class QIODevice;

// A list file that could not be read or written; what() is the text shown to the user.
class TTreeFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace TreeFileMessage {
inline constexpr const char* kNotEnoughData = "Unable to load tree structure, not enough data available.";
inline constexpr const char* kWrongFormat = "Unable to load tree structure, the format is wrong.";
inline constexpr const char* kUnknownVersion = "Unable to load tree structure, the version is unknown.";
inline constexpr const char* kAnchorMissing = "Stream data corrupt. A node's anchor chunk is missing.";
inline constexpr const char* kDataAfterEnd = "Stream data corrupt. Unexpected data after node's end position.";
}  // namespace TreeFileMessage

// The top-level rows of one list file: records of one size, back to back, and their states.
class TLoadedRows {
 public:
  explicit TLoadedRows(std::size_t recordSize) : FRecordSize(recordSize) {}

  [[nodiscard]] std::size_t RecordSize() const { return FRecordSize; }
  [[nodiscard]] std::size_t Count() const { return FStates.size(); }
  [[nodiscard]] const std::uint8_t* Record(std::size_t row) const { return FRecords.data() + row * FRecordSize; }
  [[nodiscard]] const TRowState& State(std::size_t row) const { return FStates[row]; }

  // Replaces the list's rows with these.
  void ApplyTo(TRowListBase& list) const;

 private:
  friend class TTreeStreamReader;
  std::size_t FRecordSize;
  std::vector<std::uint8_t> FRecords;
  std::vector<TRowState> FStates;
};

// Reads list-file bytes into rows of `recordSize` bytes. Throws TTreeFileError with the
// format's message, or with "Stream read error" when the bytes end inside a count or a record.
[[nodiscard]] TLoadedRows ReadTreeStream(std::span<const std::uint8_t> bytes, std::size_t recordSize);
// Reads a whole file; a file that cannot be opened throws TTreeFileError with the system's reason.
[[nodiscard]] TLoadedRows ReadTreeFile(const QString& fileName, std::size_t recordSize);
// Reads the file, then replaces the list's rows.
void LoadTreeFile(const QString& fileName, TRowListBase& list);

// Writes the list in large blocks to `out`; throws TTreeFileError when the device refuses.
void WriteTreeStream(QIODevice& out, const TRowListBase& list);
// Writes the file through a temporary file that replaces the old one only when complete.
void SaveTreeFile(const QString& fileName, const TRowListBase& list);

// The system's reasons, in the words the user sees.
[[nodiscard]] QString CannotOpenFileText(const QString& fileName, const QString& reason);
[[nodiscard]] QString CannotCreateFileText(const QString& fileName, const QString& reason);
