#include "capture/CaptureFile.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "storage/ByteCursor.h"

namespace {
using namespace CaptureFormat;

std::uint32_t BlockCrc(std::uint32_t rows, std::uint64_t firstRow, const std::uint8_t* rowBytes) {
  TByteWriter fields;
  fields.U32(rows);
  fields.U64(firstRow);
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, fields.Bytes().data(), static_cast<uInt>(fields.Size()));
  crc = crc32(crc, rowBytes, static_cast<uInt>(rows * kRowSize));
  return static_cast<std::uint32_t>(crc);
}
}  // namespace

std::vector<std::uint8_t> EncodeCaptureHeader(std::int64_t startMs) {
  TByteWriter out;
  out.Append(kMagic, sizeof kMagic);
  out.U32(static_cast<std::uint32_t>(kRowSize));
  out.U32(0);
  out.U64(static_cast<std::uint64_t>(startMs));
  return out.Bytes();
}

void EncodeCaptureBlock(std::uint64_t firstRow, std::span<const TTraceData> rows, std::vector<std::uint8_t>& out) {
  const auto count = static_cast<std::uint32_t>(rows.size());
  const std::size_t at = out.size();
  out.resize(at + kBlockHeaderSize + count * kRowSize);
  std::uint8_t* rowBytes = out.data() + at + kBlockHeaderSize;
  if (count > 0) std::memcpy(rowBytes, rows.data(), count * kRowSize);  // an empty span may hold no pointer
  TByteWriter header;
  header.Append(kBlockMagic, sizeof kBlockMagic);
  header.U32(count);
  header.U64(firstRow);
  header.U32(BlockCrc(count, firstRow, rowBytes));
  header.U32(0);
  std::memcpy(out.data() + at, header.Bytes().data(), kBlockHeaderSize);
}

void TCaptureReader::Reset() {
  FFile.close();
  FBlocks.clear();
  FRows = 0;
  FStartMs = 0;
  FGoodBytes = 0;
}

void TCaptureReader::Close() { Reset(); }

bool TCaptureReader::Follow(const QString& path) {
  Reset();
  FFile.setFileName(path);
  FGoodBytes = kHeaderSize;
  // Unbuffered: the file grows behind this reader's back.
  return FFile.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void TCaptureReader::NoteBlock(std::uint32_t rows) {
  const std::int64_t rowsAt = FGoodBytes + static_cast<std::int64_t>(kBlockHeaderSize);
  FBlocks.push_back(TBlock{rowsAt, FRows, rows});
  FRows += rows;
  FGoodBytes = rowsAt + static_cast<std::int64_t>(rows * kRowSize);
}

TCaptureReader::TResult TCaptureReader::Open(const QString& path) {
  Reset();
  FFile.setFileName(path);
  if (!FFile.open(QIODevice::ReadOnly)) return TResult::CannotOpen;
  std::uint8_t header[kHeaderSize];
  if (FFile.read(reinterpret_cast<char*>(header), kHeaderSize) != static_cast<qint64>(kHeaderSize)) return TResult::NotACapture;
  TByteReader fields(header);
  if (std::memcmp(fields.Take(sizeof kMagic), kMagic, sizeof kMagic) != 0 || fields.U32() != kRowSize) return TResult::NotACapture;
  fields.Skip(4);
  FStartMs = static_cast<std::int64_t>(fields.U64());
  FGoodBytes = kHeaderSize;
  while (ReadBlock(FGoodBytes)) {
  }
  return FGoodBytes == FFile.size() ? TResult::Good : TResult::Torn;
}

// Checks the block at `offset` and, when it is good, takes it into the index.
bool TCaptureReader::ReadBlock(std::int64_t offset) {
  std::uint8_t header[kBlockHeaderSize];
  if (!FFile.seek(offset) || FFile.read(reinterpret_cast<char*>(header), kBlockHeaderSize) != static_cast<qint64>(kBlockHeaderSize))
    return false;
  TByteReader fields(header);
  if (std::memcmp(fields.Take(sizeof kBlockMagic), kBlockMagic, sizeof kBlockMagic) != 0) return false;
  const std::uint32_t rows = fields.U32();
  const std::uint64_t firstRow = fields.U64();
  const std::uint32_t crc = fields.U32();
  if (rows == 0 || rows > kMaxBlockRows || firstRow != FRows) return false;
  FBuffer.resize(rows * kRowSize);
  if (FFile.read(reinterpret_cast<char*>(FBuffer.data()), static_cast<qint64>(FBuffer.size())) != static_cast<qint64>(FBuffer.size()))
    return false;
  if (BlockCrc(rows, firstRow, FBuffer.data()) != crc) return false;
  NoteBlock(rows);
  return true;
}

bool TCaptureReader::Read(std::uint64_t first, std::size_t count, std::vector<TTraceData>& out) {
  if (first > FRows || count > FRows - first) {
    out.clear();
    return false;
  }
  out.resize(count);  // a page of the same size again constructs nothing: the read overwrites it
  // The block holding `first`, then each following one in turn.
  std::size_t b = static_cast<std::size_t>(
      std::upper_bound(FBlocks.begin(), FBlocks.end(), first, [](std::uint64_t row, const TBlock& x) { return row < x.FirstRow; }) -
      FBlocks.begin());
  for (std::size_t done = 0; done < count; ++b) {
    const TBlock& block = FBlocks[b - 1];
    const std::uint64_t inBlock = first + done - block.FirstRow;
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, block.Rows - inBlock));
    const qint64 bytes = static_cast<qint64>(take * kRowSize);
    if (!FFile.seek(block.Offset + static_cast<std::int64_t>(inBlock * kRowSize)) ||
        FFile.read(reinterpret_cast<char*>(out.data() + done), bytes) != bytes) {
      out.clear();
      return false;
    }
    done += take;
  }
  // The flags are bools in memory: a file (checksum and all) holding another byte there must
  // not make them anything but true or false.
  for (TTraceData& row : out) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(&row);
    bytes[offsetof(TCanMsgProg, Extended)] = bytes[offsetof(TCanMsgProg, Extended)] != 0;
    bytes[offsetof(TCanMsgProg, RTR)] = bytes[offsetof(TCanMsgProg, RTR)] != 0;
    bytes[offsetof(TTraceData, Received)] = bytes[offsetof(TTraceData, Received)] != 0;
  }
  return true;
}
