#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestLogList.h"
#include "reports/DelimitedText.h"
#include "reports/ListExport.h"
#include "transmit/TriggerLogExport.h"

namespace {
QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct ExportFile : ::testing::Test {
  QTemporaryDir dir;
  TTestLogList log;
  TRowListExport source{log, DefaultListLook()};
  TListExportJob job{source, TriggerLogLayout(), {}};
  QString Path(const QString& name) const { return dir.path() + "/" + name; }
};
}  // namespace

TEST_F(ExportFile, TheFilterIndexPicksTheFormatAndAMissingFolderIsCreated) {
  log.Add(45000.5, "x");
  WriteListExport(Path("logfiles/a.csv"), TExportFormat::Csv, job, "T", "S");
  WriteListExport(Path("logfiles/a.html"), TExportFormat::Html, job, "T", "S");
  WriteListExport(Path("logfiles/a.rtf"), TExportFormat::Rtf, job, "T", "S");
  EXPECT_TRUE(ReadAll(Path("logfiles/a.csv")).startsWith("\xFF\xFET\0i\0m\0e\0;\0"));
  EXPECT_TRUE(ReadAll(Path("logfiles/a.html")).startsWith("<!DOCTYPE HTML PUBLIC"));
  const QByteArray rtf = ReadAll(Path("logfiles/a.rtf"));
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
  EXPECT_TRUE(rtf.endsWith("\\pard\\par}\r\n"));
  // A list's own semicolon layout replaces the plain one.
  job.WriteCsv = [](const TExportList&, const std::vector<TExportColumn>&, QIODevice& device) { device.write("own"); };
  WriteListExport(Path("logfiles/a.csv"), TExportFormat::Csv, job, "T", "S");
  EXPECT_EQ(ReadAll(Path("logfiles/a.csv")), "own");
}

// A failed write leaves the previous file as it was and no partial file beside it.
TEST_F(ExportFile, AFailedWriteKeepsThePreviousFileAndReportsThePlatformError) {
  QFile old(Path("a.csv"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("previous");
  old.close();
  try {
    SaveExportFile(Path("a.csv"), [](QIODevice& device) {
      device.write("half of it");
      throw EExportError("No space left on device");
    });
    FAIL() << "no error";
  } catch (const EExportError& error) {
    EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos);
  }
  EXPECT_EQ(ReadAll(Path("a.csv")), "previous");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.csv"});
}

TEST_F(ExportFile, AFolderThatCannotBeCreatedIsReported) {
  QFile blocker(Path("file"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_THROW(WriteListExport(Path("file/a.csv"), TExportFormat::Csv, job, "T", "S"), EExportError);
  // Only one level of folder is made.
  EXPECT_THROW(WriteListExport(Path("x/y/a.csv"), TExportFormat::Csv, job, "T", "S"), EExportError);
  EXPECT_FALSE(QFile::exists(Path("x")));
}

TEST(OutputBuffer, ADeviceThatRefusesTheTextRaisesItsError) {
  TTestLogList log;
  QBuffer readOnly;
  readOnly.open(QIODevice::ReadOnly);
  EXPECT_THROW(WriteListCsv(TRowListExport(log, DefaultListLook()), TriggerLogLayout().Columns, readOnly), EExportError);
}
