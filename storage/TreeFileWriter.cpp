// Writing list files. Nodes are built in a memory block that goes to the device once it is
// large, so a trace of a million rows is written in a few dozen calls.

#include <QIODevice>
#include <QSaveFile>
#include <bit>

#include "storage/ByteCursor.h"
#include "storage/TreeFile.h"

// Records and captions are copied as they lie in memory, which is the file's byte order.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr std::int32_t kNodeChunk = 1;
constexpr std::int32_t kBaseChunk = 2;
constexpr std::int32_t kCaptionChunk = 3;
constexpr std::int32_t kUserChunk = 4;

constexpr std::uint8_t kHeader[12] = {0x45, 0x20, 'V', 0, 'T', 0, 2, 0, ' ', 0, 0x46, 0x20};
// vsChecking, vsCutOrCopy, vsDeleting, vsOnFreeNodeCallRequired and vsHeightMeasured describe
// a moment of the running view, never a stored row.
constexpr std::uint16_t kStoredFlags = 0xDDE9;
constexpr std::uint32_t kRowHeight = 18;
constexpr std::uint8_t kAlignment = 50;
constexpr std::size_t kBlockSize = std::size_t{1} << 20;

class TTreeStreamWriter {
 public:
  TTreeStreamWriter(QIODevice& out, const TRowListBase& list) : FDevice(out), FList(list) { FOut.Reserve(kBlockSize + 4096); }

  void Write() {
    FOut.Append(kHeader, sizeof kHeader);
    FOut.U32(static_cast<std::uint32_t>(FList.RowCount()));
    for (std::size_t row = 0; row < FList.RowCount(); ++row) {
      WriteNode(row);
      if (FOut.Size() >= kBlockSize) Flush();
    }
    Flush();
  }

 private:
  std::size_t BeginChunk(std::int32_t type) {
    const std::size_t start = FOut.Size();
    FOut.I32(type);
    FOut.I32(0);
    return start;
  }
  void EndChunk(std::size_t start) { FOut.PatchI32(start + 4, static_cast<std::int32_t>(FOut.Size() - start - 8)); }

  void WriteNode(std::size_t row) {
    const std::size_t node = BeginChunk(kNodeChunk);
    WriteBase(FList.RowState(row));
    WriteUser(row);
    WriteCaption(FList.FileCaption(row));
    EndChunk(node);
  }

  // Rows of these lists have no children, so the base chunk is its body alone.
  void WriteBase(const TRowState& state) {
    const std::size_t base = BeginChunk(kBaseChunk);
    FOut.U32(0);
    FOut.U32(kRowHeight);
    FOut.U16(static_cast<std::uint16_t>((state.Flags & kStoredFlags) | RowFlag::vsInitialized));
    FOut.U8(kAlignment);
    FOut.U8(static_cast<std::uint8_t>(state.CheckState));
    FOut.U8(static_cast<std::uint8_t>(state.CheckType));
    FOut.U32(0);
    EndChunk(base);
  }

  void WriteUser(std::size_t row) {
    const std::size_t user = BeginChunk(kUserChunk);
    FOut.Append(FList.RecordBytes(row), FList.RecordSize());
    if (FOut.Size() == user + 8) FOut.Truncate(user);  // a record of no bytes leaves no chunk
    else EndChunk(user);
  }

  void WriteCaption(const QString& caption) {
    if (caption.isEmpty()) return;
    FOut.I32(kCaptionChunk);
    FOut.I32(static_cast<std::int32_t>(2 * caption.size()));
    FOut.Append(caption.utf16(), 2 * static_cast<std::size_t>(caption.size()));
  }

  void Flush() {
    const auto size = static_cast<qint64>(FOut.Size());
    if (size > 0 && FDevice.write(reinterpret_cast<const char*>(FOut.Bytes().data()), size) != size)
      throw TTreeFileError(FDevice.errorString().toStdString());
    FOut.Clear();
  }

  QIODevice& FDevice;
  const TRowListBase& FList;
  TByteWriter FOut;
};

}  // namespace

void WriteTreeStream(QIODevice& out, const TRowListBase& list) { TTreeStreamWriter(out, list).Write(); }

void SaveTreeFile(const QString& fileName, const TRowListBase& list) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) throw TTreeFileError(CannotCreateFileText(fileName, file.errorString()).toStdString());
  WriteTreeStream(file, list);
  if (!file.commit()) throw TTreeFileError(CannotCreateFileText(fileName, file.errorString()).toStdString());
}
