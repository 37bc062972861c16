// The writer thread's hand-off; also built under ThreadSanitizer.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <thread>

#include "capture/CaptureRows.h"
#include "capture/CaptureWriter.h"

namespace {

std::vector<std::uint8_t> Block(std::uint64_t first, std::size_t rows) {
  std::vector<std::uint8_t> bytes;
  EncodeCaptureBlock(first, NumberedRows(first, rows), bytes);
  return bytes;
}

TEST(CaptureWriter, WritesEveryBlockInOrderWhileTheProducerKeepsSubmitting) {
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("w.flxcap")).toStdString();
  TCaptureWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Start(path, EncodeCaptureHeader(5), error)) << error;
  constexpr std::size_t kBlocks = 400, kRows = 97;
  for (std::size_t b = 0; b < kBlocks; ++b) {
    writer.Submit(Block(b * kRows, kRows), kRows);
    if (b % 50 == 0) (void)writer.Report();  // the report is read while the thread writes
    if (b == kBlocks / 2) {
      writer.WaitWritten();
      EXPECT_EQ(writer.Report().RowsWritten, (b + 1) * kRows);
    }
  }
  writer.Stop();
  writer.Stop();  // safe twice
  EXPECT_FALSE(writer.Report().Failed);
  EXPECT_EQ(writer.Report().RowsWritten, kBlocks * kRows);

  TCaptureReader reader;
  ASSERT_EQ(reader.Open(QString::fromStdString(path)), TCaptureReader::TResult::Good);
  ASSERT_EQ(reader.Rows(), kBlocks * kRows);
  EXPECT_EQ(reader.StartMs(), 5);
  std::vector<TTraceData> rows;
  ASSERT_TRUE(reader.Read(0, kBlocks * kRows, rows));
  EXPECT_TRUE(AreNumberedRows(rows, 0));
}

TEST(CaptureWriter, NeverWritesOverAnExistingFileNorIntoAMissingFolder) {
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("w.flxcap")).toStdString();
  std::string error;
  {
    TCaptureWriter first;
    ASSERT_TRUE(first.Start(path, EncodeCaptureHeader(1), error));
    first.Submit(Block(0, 3), 3);
  }
  TCaptureWriter second;
  EXPECT_FALSE(second.Start(path, EncodeCaptureHeader(2), error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(second.Running());
  EXPECT_FALSE(second.Start(dir.filePath(QStringLiteral("no/such/w.flxcap")).toStdString(), EncodeCaptureHeader(2), error));
  TCaptureReader reader;
  ASSERT_EQ(reader.Open(QString::fromStdString(path)), TCaptureReader::TResult::Good);
  EXPECT_EQ(reader.Rows(), 3U);
  EXPECT_EQ(reader.StartMs(), 1);
}

TEST(CaptureWriter, StopsOnARequestWithNothingQueued) {
  QTemporaryDir dir;
  TCaptureWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Start(dir.filePath(QStringLiteral("w.flxcap")).toStdString(), EncodeCaptureHeader(1), error));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  writer.WaitWritten();  // nothing submitted: returns at once
  writer.Stop();
  EXPECT_FALSE(writer.Running());
  EXPECT_EQ(writer.Report().RowsWritten, 0U);
}
}  // namespace
