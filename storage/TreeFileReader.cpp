// Reading list files. The reader works on the whole file in memory and appends records into
// one growing buffer, so a file of a million rows costs no allocation per row.

#include <QFile>
#include <algorithm>

#include "storage/ByteCursor.h"
#include "storage/TreeFile.h"

namespace {

constexpr std::int32_t kNodeChunk = 1;
constexpr std::int32_t kBaseChunk = 2;
constexpr std::int32_t kCaptionChunk = 3;
constexpr std::int32_t kUserChunk = 4;

// The smallest node a file can hold: its header and a base chunk with the older, shorter body.
constexpr std::int64_t kSmallestNode = 8 + 8 + 12;
// Rows of these lists have no children; a file nesting deeper than this is not one of ours.
constexpr int kMaxDepth = 32;

// Characters 0, 1, 2 and 5 of the header; 3 is the version and 4 is not checked.
constexpr std::uint16_t kMagic[6] = {0x2045, 'V', 'T', 0, 0, 0x2046};
constexpr std::uint16_t kNewestVersion = 2;

}  // namespace

class TTreeStreamReader {
 public:
  TTreeStreamReader(std::span<const std::uint8_t> bytes, std::size_t recordSize)
      : FIn(bytes), FRows(recordSize), FScratch(recordSize) {}

  TLoadedRows Read() {
    ReadHeader();
    // Reserving for what the bytes can hold at most keeps a lying count from costing memory.
    const std::uint64_t fit = static_cast<std::uint64_t>(FIn.Available()) / kSmallestNode;
    const std::uint64_t expected = FVersion == 1 ? 0 : std::min<std::uint64_t>(FCount, fit);
    FRows.FRecords.reserve(expected * FRows.RecordSize());
    FRows.FStates.reserve(expected);

    for (std::uint64_t row = 0; !FIn.AtEnd() && (FVersion == 1 || row < FCount); ++row) {
      FRows.FStates.emplace_back();
      FRows.FRecords.resize(FRows.FRecords.size() + FRows.RecordSize());
      const std::size_t index = FRows.FStates.size() - 1;
      ReadNode(FRows.FRecords.data() + index * FRows.RecordSize(), FRows.FStates[index], 0);
      // None of the lists selects more than one row; a stored selection is not restored.
      FRows.FStates[index].Set(RowFlag::vsSelected, false);
    }
    return std::move(FRows);
  }

 private:
  void ReadHeader() {
    if (FIn.Available() < 12) throw TTreeFileError(TreeFileMessage::kNotEnoughData);
    std::uint16_t magic[6];
    for (std::uint16_t& c : magic) c = FIn.U16();
    for (int i : {0, 1, 2, 5})
      if (magic[i] != kMagic[i]) throw TTreeFileError(TreeFileMessage::kWrongFormat);
    FVersion = magic[3];
    if (FVersion > kNewestVersion) throw TTreeFileError(TreeFileMessage::kUnknownVersion);
    if (FVersion == kNewestVersion) FCount = FIn.U32();
  }

  // One node chunk into `record` and `state`; children are read past, as flat lists keep none.
  void ReadNode(std::uint8_t* record, TRowState& state, int depth) {
    if (FIn.I32() != kNodeChunk || depth > kMaxDepth) throw TTreeFileError(TreeFileMessage::kAnchorMissing);
    const std::int32_t size = FIn.I32();
    const std::int64_t end = FIn.Position() + size;
    while (FIn.Position() < end) {
      const std::int32_t type = FIn.I32();
      const std::int32_t chunkSize = FIn.I32();
      switch (type) {
        case kBaseChunk:
          ReadBase(state, depth);
          break;
        case kUserChunk:
          ReadUser(record, chunkSize);
          break;
        case kCaptionChunk:  // shown text only; every list computes its own
          if (chunkSize > 0) FIn.Skip(chunkSize / 2 * 2);
          break;
        default:
          SkipForward(chunkSize);
          break;
      }
    }
    if (FIn.Position() != end) throw TTreeFileError(TreeFileMessage::kDataAfterEnd);
  }

  void ReadBase(TRowState& state, int depth) {
    const std::uint32_t children = FIn.U32();
    FIn.Skip(4);  // row height: every list draws its rows at one height
    if (FVersion == 1) {
      const std::uint8_t oldFlags = FIn.U8();
      state.Flags = static_cast<std::uint16_t>(oldFlags | ((oldFlags & 0x80) ? RowFlag::vsSelected : RowFlag::vsVisible));
    } else {
      state.Flags = FIn.U16();
    }
    FIn.Skip(1);  // alignment
    state.CheckState = static_cast<TCheckState>(FIn.U8());
    state.CheckType = static_cast<TCheckType>(FIn.U8());
    if (FVersion != 1) FIn.Skip(4);  // reserved
    TRowState childState;
    for (std::uint32_t i = 0; i < children; ++i) ReadNode(FScratch.data(), childState, depth + 1);
  }

  // The record is always read at full size, even from a shorter chunk; reading then goes on
  // at the chunk's end whatever the record took.
  void ReadUser(std::uint8_t* record, std::int32_t chunkSize) {
    if (chunkSize <= 0) return;
    const std::int64_t start = FIn.Position();
    FIn.Read(record, static_cast<std::int64_t>(FRows.RecordSize()));
    FIn.Seek(start + chunkSize);
  }

  // A negative size would walk backwards and never end; such a chunk is passed as empty.
  void SkipForward(std::int64_t count) {
    if (count > 0) FIn.Seek(FIn.Position() + count);
  }

  TByteReader FIn;
  TLoadedRows FRows;
  std::vector<std::uint8_t> FScratch;
  std::uint16_t FVersion = 0;
  std::uint32_t FCount = 0;
};

TLoadedRows ReadTreeStream(std::span<const std::uint8_t> bytes, std::size_t recordSize) {
  try {
    return TTreeStreamReader(bytes, recordSize).Read();
  } catch (const TStreamReadError& error) {
    throw TTreeFileError(error.what());
  }
}

TLoadedRows ReadTreeFile(const QString& fileName, std::size_t recordSize) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) throw TTreeFileError(CannotOpenFileText(fileName, file.errorString()).toStdString());
  const qint64 size = file.size();
  if (size > 0) {
    if (const uchar* mapped = file.map(0, size))
      return ReadTreeStream({mapped, static_cast<std::size_t>(size)}, recordSize);
  }
  const QByteArray bytes = file.readAll();
  return ReadTreeStream({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())}, recordSize);
}

void TLoadedRows::ApplyTo(TRowListBase& list) const {
  list.BeginLoad();
  for (std::size_t row = 0; row < Count(); ++row) list.AppendLoadedRow(Record(row), FStates[row]);
  list.EndLoad();
}

void LoadTreeFile(const QString& fileName, TRowListBase& list) { ReadTreeFile(fileName, list.RecordSize()).ApplyTo(list); }

QString CannotOpenFileText(const QString& fileName, const QString& reason) {
  return QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason);
}

QString CannotCreateFileText(const QString& fileName, const QString& reason) {
  return QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason);
}
