#pragma once
// The capture file: every trace row appended to disk while the program runs, so that a crash
// loses at most the last second and a capture may outgrow memory. Append-only; a block is
// written whole or recognised as torn.
//
//   file   = header block*
//   header = "FLXCAPT1" | row size u32 (40) | zero u32 | start i64 (ms since 1970, UTC)     24 bytes
//   block  = "FBLK" | rows u32 | first row u64 | crc u32 | zero u32 | rows x row             24 + 40n bytes
//   row    = a TTraceData as it lies in memory (little-endian, padding zero)
//   crc    = zlib crc32 over rows, first row and the row bytes
//
// Numbers are little-endian. A block is good when its magic, its size, its first row (the
// rows of the good blocks before it) and its checksum agree; reading stops at the first block
// that is not good, and everything before it counts.
//
// Example: a header, then one block of two rows is 24 + 24 + 80 = 128 bytes.

#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "views/TraceList.h"

namespace CaptureFormat {
inline constexpr char kMagic[8] = {'F', 'L', 'X', 'C', 'A', 'P', 'T', '1'};
inline constexpr char kBlockMagic[4] = {'F', 'B', 'L', 'K'};
inline constexpr std::size_t kHeaderSize = 24;
inline constexpr std::size_t kBlockHeaderSize = 24;
inline constexpr std::size_t kRowSize = sizeof(TTraceData);
// A block never holds more; a header claiming more is not a block.
inline constexpr std::uint32_t kMaxBlockRows = 1U << 16;
inline const QString kExtension = QStringLiteral(".flxcap");
}  // namespace CaptureFormat

// The file's first bytes for a capture started at `startMs`.
[[nodiscard]] std::vector<std::uint8_t> EncodeCaptureHeader(std::int64_t startMs);
// Appends one whole block of `rows` (at most kMaxBlockRows) numbered from `firstRow` to `out`.
void EncodeCaptureBlock(std::uint64_t firstRow, std::span<const TTraceData> rows, std::vector<std::uint8_t>& out);

// Reads a capture file: checks every block once on Open and then hands out rows by number,
// a page at a time, straight from the file.
class TCaptureReader {
 public:
  enum class TResult { Good, Torn, CannotOpen, NotACapture };

  // Good: every byte belongs to a good block. Torn: the file ends in bytes that are not a good
  // block (a write cut short); the rows before them are there.
  TResult Open(const QString& path);
  [[nodiscard]] std::uint64_t Rows() const { return FRows; }
  [[nodiscard]] std::int64_t StartMs() const { return FStartMs; }
  // The end of the last good block: where an append would continue.
  [[nodiscard]] std::int64_t GoodBytes() const { return FGoodBytes; }
  // Rows [first, first + count) into `out` (replaced); false when they are not all there or
  // the file cannot be read any more.
  [[nodiscard]] bool Read(std::uint64_t first, std::size_t count, std::vector<TTraceData>& out);

  // For the file being written: opens it without checking anything, and learns its blocks
  // from the writing side, one NoteBlock for each block handed to the writer, in order.
  [[nodiscard]] bool Follow(const QString& path);
  void NoteBlock(std::uint32_t rows);
  void Close();

 private:
  struct TBlock {
    std::int64_t Offset;  // of the first row's bytes
    std::uint64_t FirstRow;
    std::uint32_t Rows;
  };
  bool ReadBlock(std::int64_t offset);
  void Reset();

  QFile FFile;
  std::vector<TBlock> FBlocks;
  std::vector<std::uint8_t> FBuffer;
  std::uint64_t FRows = 0;
  std::int64_t FStartMs = 0;
  std::int64_t FGoodBytes = 0;
};
