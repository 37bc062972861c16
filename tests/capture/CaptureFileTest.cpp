#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "capture/CaptureFile.h"
#include "capture/CaptureRows.h"

namespace {
using TResult = TCaptureReader::TResult;

class CaptureFileTest : public ::testing::Test {
 protected:
  QString Write(const std::vector<std::uint8_t>& bytes, std::size_t size) {
    const QString path = Dir.filePath(QStringLiteral("c.flxcap"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(size));
    return path;
  }
  QString Write(const std::vector<std::uint8_t>& bytes) { return Write(bytes, bytes.size()); }
  QTemporaryDir Dir;
  TCaptureReader Reader;
};

TEST_F(CaptureFileTest, HeaderAndBlockBytesAreTheDocumentedLayout) {
  const std::vector<std::uint8_t> bytes = CaptureBytes(1, 2, 0x0102030405060708);
  ASSERT_EQ(bytes.size(), 24U + 24U + 80U);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "FLXCAPT1");
  EXPECT_EQ(bytes[8], 40);  // row size, little-endian
  EXPECT_EQ(bytes[16], 0x08);
  EXPECT_EQ(bytes[23], 0x01);
  EXPECT_EQ(std::string(bytes.begin() + 24, bytes.begin() + 28), "FBLK");
  EXPECT_EQ(bytes[28], 2);  // rows
  EXPECT_EQ(bytes[32], 0);  // first row
  const TTraceData second = NumberedRow(1);
  EXPECT_EQ(std::memcmp(bytes.data() + 48 + 40, &second, 40), 0);
}

TEST_F(CaptureFileTest, ReadsRowsByNumberAcrossBlocks) {
  ASSERT_EQ(Reader.Open(Write(CaptureBytes(5, 7))), TResult::Good);
  EXPECT_EQ(Reader.Rows(), 35U);
  EXPECT_EQ(Reader.StartMs(), 1'700'000'000'000);
  std::vector<TTraceData> rows;
  // A page inside a block, one across three blocks, the last row, the whole file.
  for (const auto& [first, count] : std::vector<std::pair<std::uint64_t, std::size_t>>{{2, 3}, {6, 16}, {34, 1}, {0, 35}, {35, 0}}) {
    ASSERT_TRUE(Reader.Read(first, count, rows)) << first;
    EXPECT_EQ(rows.size(), count);
    EXPECT_TRUE(AreNumberedRows(rows, first)) << first;
  }
  EXPECT_FALSE(Reader.Read(30, 6, rows));
  EXPECT_TRUE(rows.empty());
  EXPECT_FALSE(Reader.Read(36, 0, rows));
}

// A kill can stop the file after any byte of the block being written: every earlier block
// counts, the torn one never does.
TEST_F(CaptureFileTest, AFileCutAtAnyByteOfItsLastBlockKeepsTheWholeBlocks) {
  const std::vector<std::uint8_t> bytes = CaptureBytes(3, 4);
  const std::size_t lastBlock = 24 + 2 * (24 + 160);
  for (std::size_t size = lastBlock; size < bytes.size(); ++size) {
    ASSERT_EQ(Reader.Open(Write(bytes, size)), size == lastBlock ? TResult::Good : TResult::Torn) << size;
    EXPECT_EQ(Reader.Rows(), 8U) << size;
    EXPECT_EQ(Reader.GoodBytes(), static_cast<std::int64_t>(lastBlock));
  }
  ASSERT_EQ(Reader.Open(Write(bytes)), TResult::Good);
  EXPECT_EQ(Reader.Rows(), 12U);
}

TEST_F(CaptureFileTest, AHeaderCutShortOrForeignIsNoCapture) {
  const std::vector<std::uint8_t> bytes = CaptureBytes(1, 1);
  for (std::size_t size = 0; size < 24; ++size) EXPECT_EQ(Reader.Open(Write(bytes, size)), TResult::NotACapture) << size;
  std::vector<std::uint8_t> foreign = bytes;
  foreign[7] = '2';
  EXPECT_EQ(Reader.Open(Write(foreign)), TResult::NotACapture);
  foreign = bytes;
  foreign[8] = 48;  // rows of another size
  EXPECT_EQ(Reader.Open(Write(foreign)), TResult::NotACapture);
  EXPECT_EQ(Reader.Open(Dir.filePath(QStringLiteral("missing.flxcap"))), TResult::CannotOpen);
  EXPECT_EQ(Reader.Rows(), 0U);
}

// A changed byte anywhere in a block (header or rows) ends the good part before that block.
TEST_F(CaptureFileTest, ABlockWhoseBytesChangedEndsTheGoodPart) {
  const std::vector<std::uint8_t> bytes = CaptureBytes(3, 2);
  const std::size_t second = 24 + 24 + 80;
  for (std::size_t at = second; at < second + 24 + 80; ++at) {
    if (at >= second + 20 && at < second + 24) continue;  // the zero field is not checked
    std::vector<std::uint8_t> changed = bytes;
    changed[at] ^= 0x40;
    ASSERT_EQ(Reader.Open(Write(changed)), TResult::Torn) << at;
    EXPECT_EQ(Reader.Rows(), 2U) << at;
  }
}

// A well-formed file may still carry any byte where the rows hold flags.
TEST_F(CaptureFileTest, FlagBytesReadBackAsTrueOrFalse) {
  std::vector<std::uint8_t> bytes = EncodeCaptureHeader(0);
  std::vector<TTraceData> rows = NumberedRows(0, 1);
  auto* raw = reinterpret_cast<std::uint8_t*>(rows.data());
  raw[8] = 0x80, raw[9] = 0x02, raw[32] = 0xFF;
  EncodeCaptureBlock(0, rows, bytes);
  ASSERT_EQ(Reader.Open(Write(bytes)), TResult::Good);
  ASSERT_TRUE(Reader.Read(0, 1, rows));
  raw = reinterpret_cast<std::uint8_t*>(rows.data());
  EXPECT_EQ(raw[8], 1);
  EXPECT_EQ(raw[9], 1);
  EXPECT_EQ(raw[32], 1);
}

TEST_F(CaptureFileTest, ABlockOutOfPlaceOrOfImpossibleSizeIsNotTaken) {
  // Block 0 twice: the second claims rows 0.. where row 2 must follow.
  std::vector<std::uint8_t> bytes = CaptureBytes(1, 2);
  EncodeCaptureBlock(0, NumberedRows(0, 2), bytes);
  ASSERT_EQ(Reader.Open(Write(bytes)), TResult::Torn);
  EXPECT_EQ(Reader.Rows(), 2U);
  // A header that claims more rows than a block holds is not believed (nor read).
  bytes = CaptureBytes(1, 1);
  bytes[28] = 0xFF, bytes[29] = 0xFF, bytes[30] = 0xFF, bytes[31] = 0xFF;
  ASSERT_EQ(Reader.Open(Write(bytes)), TResult::Torn);
  EXPECT_EQ(Reader.Rows(), 0U);
  // An empty block is none.
  bytes = CaptureBytes(0, 0);
  EncodeCaptureBlock(0, {}, bytes);
  EXPECT_EQ(Reader.Open(Write(bytes)), TResult::Torn);
}
}  // namespace
