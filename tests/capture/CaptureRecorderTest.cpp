#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "capture/CaptureImport.h"
#include "capture/CaptureRecorder.h"
#include "capture/CaptureRows.h"
#include "views/TrafficFixture.h"

namespace {

class CaptureRecorderTest : public TrafficFixture {
 protected:
  QString Folder() const { return Dir.filePath(QStringLiteral("capture")); }
  QStringList Files() const { return QDir(Folder()).entryList({QStringLiteral("*.flxcap")}, QDir::Files, QDir::Name); }
  void Enter(std::uint64_t first, std::size_t count) {
    Views.BeginDrain();
    for (std::uint64_t n = first; n < first + count; ++n) {
      const TTraceData row = NumberedRow(n);
      if (row.Received) Views.EnterReceivedMessage(row.Msg);
      else Views.EnterSentMessage(row.Msg);
    }
    Views.EndDrain();
  }
  // The rows of the capture file as it is now.
  std::vector<TTraceData> FileRows(const QString& path) {
    TCaptureReader reader;
    EXPECT_NE(reader.Open(path), TCaptureReader::TResult::CannotOpen);
    std::vector<TTraceData> rows;
    EXPECT_TRUE(reader.Read(0, reader.Rows(), rows));
    return rows;
  }
  std::vector<TTraceData> TraceRows() {
    std::vector<TTraceData> rows;
    for (std::size_t r = 0; r < Views.Trace().RowCount(); ++r) rows.push_back(Views.Trace().Row(r));
    return rows;
  }
  static bool SameBytes(const std::vector<TTraceData>& a, const std::vector<TTraceData>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(TTraceData)) == 0;
  }

  QTemporaryDir Dir;
};

TEST_F(CaptureRecorderTest, EveryTraceRowReachesTheFileWhichACleanEndDeletes) {
  QString path;
  {
    TCaptureRecorder recorder(Folder());
    EXPECT_TRUE(recorder.Open().isEmpty());
    Views.Trace().SetSink(&recorder);
    EXPECT_TRUE(recorder.Path().isEmpty());  // no file before the first row
    Enter(0, TCaptureRecorder::kBlockRows + 10);  // a full block and a partial one
    recorder.Sync();
    path = recorder.Path();
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_TRUE(recorder.StatusText().isEmpty());
    EXPECT_TRUE(SameBytes(FileRows(path), TraceRows()));
    Enter(TCaptureRecorder::kBlockRows + 10, 5);
    recorder.Sync();
    EXPECT_TRUE(SameBytes(FileRows(path), TraceRows()));
    EXPECT_TRUE(AreNumberedRows(FileRows(path), 0));
    Views.Trace().SetSink(nullptr);
  }
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_TRUE(Files().isEmpty());
}

// Rows the software filter keeps out of the trace stay out of the file too.
TEST_F(CaptureRecorderTest, TheFileHoldsTheTraceNotTheBus) {
  TCaptureRecorder recorder(Folder());
  (void)recorder.Open();
  Views.Trace().SetSink(&recorder);
  Receive({Frame(0x100, 1), Frame(0x200, 2)});
  Views.IdFilter().SetRowChecked(Views.IdFilter().FindRow(0x200), false);  // no longer admitted
  Receive({Frame(0x100, 3), Frame(0x200, 4)});
  recorder.Sync();
  ASSERT_EQ(Views.Trace().RowCount(), 3U);
  EXPECT_TRUE(SameBytes(FileRows(recorder.Path()), TraceRows()));
  Views.Trace().SetSink(nullptr);
}

TEST_F(CaptureRecorderTest, ClearStartsAnEmptyCaptureAndALoadedTraceIsWrittenWhole) {
  TCaptureRecorder recorder(Folder());
  (void)recorder.Open();
  Views.Trace().SetSink(&recorder);
  Enter(0, 100);
  recorder.Sync();
  const QString first = recorder.Path();
  Views.Trace().ClearTrace();
  EXPECT_FALSE(QFile::exists(first));
  EXPECT_TRUE(Files().isEmpty());

  // A list file loaded into the trace replaces it: the capture is the loaded rows.
  Views.Trace().BeginLoad();
  for (const TTraceData& row : NumberedRows(7, 30)) Views.Trace().AppendLoadedRow(&row, TRowState{});
  Views.Trace().EndLoad();
  recorder.Sync();
  ASSERT_EQ(Files().size(), 1);
  EXPECT_TRUE(AreNumberedRows(FileRows(recorder.Path()), 7));
  EXPECT_EQ(FileRows(recorder.Path()).size(), 30U);
  Views.Trace().SetSink(nullptr);
}

TEST_F(CaptureRecorderTest, ASecondProgramOnTheSameFolderCapturesInMemoryOnly) {
  TCaptureRecorder first(Folder());
  (void)first.Open();
  TCaptureRecorder second(Folder());
  EXPECT_TRUE(second.Open().isEmpty());
  EXPECT_TRUE(second.StatusText().startsWith(QStringLiteral("Capture in memory only: another Ferrolux"))) << second.StatusText().toStdString();
  Views.Trace().SetSink(&second);
  Enter(0, 10);
  EXPECT_TRUE(second.Path().isEmpty());
  EXPECT_EQ(Views.Trace().RowCount(), 10U);
  Views.Trace().SetSink(nullptr);

}

// As a removed disk's mount point or a read-only medium: the folder cannot be written.
TEST_F(CaptureRecorderTest, AReadOnlyFolderAtStartCapturesInMemoryOnly) {
  const QString readOnly = Dir.filePath(QStringLiteral("ro"));
  QDir().mkpath(readOnly);
  const bool mounted = geteuid() == 0 && mount("tmpfs", QFile::encodeName(readOnly).constData(), "tmpfs", MS_RDONLY, "size=64k") == 0;
  if (!mounted) QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  if (!mounted && geteuid() == 0) GTEST_SKIP() << "permissions do not stop root, and no tmpfs can be mounted";
  {
    TCaptureRecorder recorder(readOnly + QStringLiteral("/capture"));
    EXPECT_TRUE(recorder.Open().isEmpty());
    EXPECT_TRUE(recorder.StatusText().startsWith(QStringLiteral("Capture in memory only: cannot make the folder"))) << recorder.StatusText().toStdString();
    Views.Trace().SetSink(&recorder);
    Enter(0, 10);
    EXPECT_EQ(Views.Trace().RowCount(), 10U);
    EXPECT_TRUE(recorder.Path().isEmpty());
    Views.Trace().SetSink(nullptr);
  }
  if (mounted) umount(QFile::encodeName(readOnly).constData());
}

// A capture left behind comes back as the same rows, received and sent, byte for byte.
TEST_F(CaptureRecorderTest, ACaptureLeftBehindIsOfferedAndOpensAsTheSameTrace) {
  QDir().mkpath(Folder());
  const QString left = Folder() + QStringLiteral("/capture-20260101-000000-000.flxcap");
  {
    std::vector<std::uint8_t> bytes = CaptureBytes(3, 1000);
    bytes.resize(bytes.size() - 17);  // the last block torn by the kill
    QFile file(left);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  }
  TCaptureRecorder recorder(Folder());
  ASSERT_EQ(recorder.Open(), QStringList{left});
  Views.Trace().SetSink(&recorder);
  TCaptureImport import(Views, left);
  ASSERT_TRUE(import.Usable());
  EXPECT_EQ(import.Rows(), 2000U);
  EXPECT_TRUE(import.OfferText().startsWith(QStringLiteral("The last capture did not end cleanly: 2000 frames from 2023-11-")));
  EXPECT_TRUE(import.OfferText().endsWith(QStringLiteral(". Open it?")));
  while (import.Step(300)) {
  }
  EXPECT_EQ(import.Entered(), 2000U);
  EXPECT_EQ(import.Progress(), 1000);
  EXPECT_TRUE(AreNumberedRows(TraceRows(), 0));
  // Now in the new capture as well.
  recorder.Sync();
  EXPECT_NE(recorder.Path(), left);
  EXPECT_TRUE(SameBytes(FileRows(recorder.Path()), TraceRows()));
  Views.Trace().SetSink(nullptr);
}

// The real thing: a program killed while it captures. Everything handed to the writer a
// moment before the kill is in the file, numbered, in order, once.
TEST_F(CaptureRecorderTest, AProgramKilledWhileCapturingLeavesEveryRowUpToTheKill) {
  int progress[2];
  ASSERT_EQ(pipe(progress), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(progress[0]);
    TCaptureRecorder recorder(Folder());
    (void)recorder.Open();
    for (std::uint64_t n = 0;; ++n) {
      recorder.RowAppended(NumberedRow(n));
      if (n % 777 == 0) recorder.BatchEnded();
      if (n % 50000 == 49999) {
        recorder.Sync();
        const std::uint64_t synced = n + 1;
        if (write(progress[1], &synced, sizeof synced) != sizeof synced) _exit(1);
      }
    }
  }
  close(progress[1]);
  std::uint64_t synced = 0;
  for (int i = 0; i < 6; ++i) ASSERT_EQ(read(progress[0], &synced, sizeof synced), static_cast<ssize_t>(sizeof synced));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(progress[0]);
  ASSERT_TRUE(WIFSIGNALED(status));

  TCaptureRecorder next(Folder());
  const QStringList left = next.Open();  // the dead program's lock is stale
  ASSERT_EQ(left.size(), 1);
  const std::vector<TTraceData> rows = FileRows(left.front());
  EXPECT_GE(rows.size(), synced);
  EXPECT_TRUE(AreNumberedRows(rows, 0));
}

// A small tmpfs fills up: one message, the rows before it stay readable, the trace goes on.
TEST_F(CaptureRecorderTest, AFullDiskStopsTheFileWithOneMessageAndKeepsWhatWasWritten) {
  const QString mountPoint = Dir.filePath(QStringLiteral("small"));
  QDir().mkpath(mountPoint);
  if (mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=256k") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
  {
    TCaptureRecorder recorder(mountPoint + QStringLiteral("/capture"));
    (void)recorder.Open();
    QStringList messages;
    recorder.OnWriteFailed = [&](const QString& text) { messages << text; };
    Views.Trace().SetSink(&recorder);
    for (std::uint64_t n = 0; n < 40000; n += 1000) {
      Enter(n, 1000);
      recorder.Sync();
    }
    EXPECT_EQ(Views.Trace().RowCount(), 40000U);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().startsWith(QStringLiteral("Writing the capture file "))) << messages.front().toStdString();
    EXPECT_TRUE(recorder.StatusText().startsWith(QStringLiteral("Capture in memory only"))) << recorder.StatusText().toStdString();
    TCaptureReader reader;
    EXPECT_EQ(reader.Open(recorder.Path()), TCaptureReader::TResult::Good);  // cut back to a whole block
    EXPECT_GT(reader.Rows(), 0U);
    EXPECT_LT(reader.Rows(), 40000U);
    std::vector<TTraceData> rows;
    ASSERT_TRUE(reader.Read(0, reader.Rows(), rows));
    EXPECT_TRUE(AreNumberedRows(rows, 0));
    Views.Trace().SetSink(nullptr);
  }
  umount(QFile::encodeName(mountPoint).constData());
}
}  // namespace
