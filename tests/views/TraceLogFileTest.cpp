// Logs into and out of the trace: the exact time conversion, the candump reader and writer,
// round trips of real captures in every format, the format by extension or by content, and
// what a damaged file leaves.
#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>
#include <fstream>
#include <sstream>

#include "TrafficFixture.h"
#include "support/TestData.h"
#include "views/TraceLogFile.h"

namespace {

TEST(CandumpTime, MillisecondsAreCountedExactlyFromTheDigits) {
  const std::int64_t origin = 1436509052'249713;
  EXPECT_EQ(CandumpMillisecondsSince(origin, origin), 0);
  EXPECT_EQ(CandumpMillisecondsSince(1436509052'250712, origin), 0);
  EXPECT_EQ(CandumpMillisecondsSince(1436509052'250713, origin), 1);
  // 4 ms apart to the microsecond; the difference of the two as doubles falls just short.
  EXPECT_EQ(CandumpMillisecondsSince(1436509052'253713, origin), 4);
  EXPECT_EQ(CandumpMillisecondsSince(origin - 500, origin), -1) << "before the first frame, down as well";
  // Past 2^32 ms the counter wraps like the adapters' free-running one.
  EXPECT_EQ(CandumpMillisecondsSince(origin + 4294967296'000 + 5'000, origin), 5);
}

TEST(CandumpReader, TimesFromTheFirstFrameAndStopsAtABadLineWithItsNumber) {
  std::istringstream in(
      "(100.000900) can0 123#11\n"
      "\n"
      "(100.002899) can0 18DAF110#R2\r\n"
      "(100.002900) can0 12#00\n"
      "(100.003000) can0 124#22\n");
  TCandumpReader reader(in);
  TCandumpFrame frame;
  ASSERT_EQ(reader.Next(frame), TCandumpReader::TStep::Frame);
  EXPECT_EQ(frame.Msg.Time, 0);
  ASSERT_EQ(reader.Next(frame), TCandumpReader::TStep::Frame);
  EXPECT_EQ(reader.LineNumber(), 3u);
  EXPECT_EQ(frame.Msg.Time, 1);
  EXPECT_TRUE(frame.Msg.RTR);
  EXPECT_EQ(frame.Msg.DLC, 2);
  EXPECT_EQ(reader.Next(frame), TCandumpReader::TStep::Bad);
  EXPECT_EQ(reader.LineNumber(), 4u);
  ASSERT_EQ(reader.Next(frame), TCandumpReader::TStep::Frame);
  EXPECT_EQ(frame.Msg.Time, 2);
  EXPECT_EQ(reader.Next(frame), TCandumpReader::TStep::End);
  EXPECT_EQ(reader.BytesRead(), in.str().size());
}

TEST(CandumpWriter, LinesAsCanUtilsWritesThem) {
  TCanMsgProg msg;
  msg.CanId = 0x7F;
  msg.DLC = 3;
  msg.Data = {0x0A, 0xBC, 0xFF};
  EXPECT_EQ(FormatCandumpLine(msg, 62'411'844), "(62.411844) can0 07F#0ABCFF");
  msg.Extended = true;
  msg.CanId = 0x18DAF110;
  msg.DLC = 0;
  EXPECT_EQ(FormatCandumpLine(msg, 5, "vcan1"), "(0.000005) vcan1 18DAF110#");
  msg.Extended = false;
  msg.CanId = 0x123;
  msg.RTR = true;
  EXPECT_EQ(FormatCandumpLine(msg, 0), "(0.000000) can0 123#R");
  msg.DLC = 4;
  EXPECT_EQ(FormatCandumpLine(msg, 0), "(0.000000) can0 123#R4");
  msg.RTR = false;
  msg.DLC = 12;  // a faulty adapter's length: eight bytes are all there are
  EXPECT_EQ(FormatCandumpLine(msg, 0), "(0.000000) can0 123#0ABCFF0000000000");
  // The counter is unsigned: past 2^31 ms it is not a negative time.
  EXPECT_EQ(CandumpTimeUsOfTime(-1), 4294967295'000);
  EXPECT_EQ(CandumpTimeUsOfTime(123456), 123'456'000);
}

class CandumpLogTrace : public TrafficFixture {
 protected:
  QTemporaryDir dir;

  QString WriteFile(const QByteArray& text, const QString& name = QStringLiteral("in.log")) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
  }
  TLogImport::TState ImportAll(TLogImport& import) {
    while (import.Step(20000) == TLogImport::TState::Reading) {
    }
    return import.State();
  }
  static std::vector<TCandumpFrame> ReadFrames(std::istream& in) {
    std::vector<TCandumpFrame> frames;
    TCandumpReader reader(in);
    TCandumpFrame frame;
    TCandumpReader::TStep step;
    while ((step = reader.Next(frame)) == TCandumpReader::TStep::Frame) frames.push_back(frame);
    EXPECT_EQ(step, TCandumpReader::TStep::End) << "line " << reader.LineNumber();
    return frames;
  }

  // Import into the trace, export, read back: the same frames, each stamped with its Time.
  void RoundTrip(const char* name, std::size_t frames, int identifiers) {
    const QString path = TestDataFile(name);
    std::ifstream original(QFile::encodeName(path).toStdString());
    const std::vector<TCandumpFrame> expected = ReadFrames(original);
    ASSERT_EQ(expected.size(), frames);

    TLogImport import(Views, path);
    ASSERT_EQ(ImportAll(import), TLogImport::TState::Finished);
    EXPECT_EQ(import.Progress(), 1000);
    ASSERT_EQ(Views.Trace().RowCount(), frames);
    EXPECT_EQ(Views.Monitor().RowCount(), static_cast<std::size_t>(identifiers));
    EXPECT_EQ(Views.IdFilter().RowCount(), static_cast<std::size_t>(identifiers));

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteTraceLog(Views.Trace(), TLogFormat::Candump, buffer));
    std::istringstream written(buffer.data().toStdString());
    const std::vector<TCandumpFrame> back = ReadFrames(written);
    ASSERT_EQ(back.size(), frames);
    for (std::size_t i = 0; i < frames; ++i) {
      const TCanMsgProg& a = expected[i].Msg;
      const TCanMsgProg& row = Views.Trace().Row(i).Msg;
      ASSERT_TRUE(Views.Trace().Row(i).Received);
      ASSERT_EQ(row.Time, a.Time) << "row " << i;
      ASSERT_EQ(back[i].TimeUs, std::int64_t{a.Time} * 1000) << "row " << i;
      ASSERT_EQ(back[i].Msg.Time, a.Time) << "row " << i;
      ASSERT_EQ(std::memcmp(&back[i].Msg, &a, sizeof a), 0) << "row " << i;
    }
  }
};

TEST_F(CandumpLogTrace, BodyBusCaptureRoundTrips) { RoundTrip("f11-kcan.log", 35767, 119); }
TEST_F(CandumpLogTrace, GvretCaptureRoundTrips) { RoundTrip("gvret.log", 12974, 180); }

TEST_F(CandumpLogTrace, ImportStopsAtTheFirstBadLineKeepingWhatCameBefore) {
  TLogImport import(Views, WriteFile("(1.000000) can0 100#01\n"
                                         "(1.001500) can0 101#02\n"
                                         "(1.002000) can0 10G#03\n"
                                         "(1.003000) can0 103#04\n"));
  EXPECT_EQ(ImportAll(import), TLogImport::TState::Bad);
  EXPECT_EQ(import.Problem().Text(), "line 3 is not a CAN frame");
  EXPECT_EQ(import.Frames(), 2u);
  ASSERT_EQ(Views.Trace().RowCount(), 2u);
  EXPECT_EQ(Views.Trace().Row(1).Msg.Time, 1);
  EXPECT_EQ(import.ProblemText(),
            "Line 3 of the log file is not a CAN frame; the 2 frames before it were imported.");

  TLogImport missing(Views, dir.filePath(QStringLiteral("none.log")));
  EXPECT_EQ(missing.State(), TLogImport::TState::CannotOpen);
  EXPECT_EQ(missing.Step(10), TLogImport::TState::CannotOpen);
  EXPECT_FALSE(missing.ProblemText().isEmpty());
}

// Each import appends the same rows again: compare them with the first import's.
TEST_F(CandumpLogTrace, EveryFormatImportsByExtensionAndByContent) {
  TLogImport original(Views, TestDataFile("gvret.log"));
  ASSERT_EQ(ImportAll(original), TLogImport::TState::Finished);
  const std::size_t frames = Views.Trace().RowCount();
  std::vector<QString> paths;
  for (const TLogFormatInfo& info : LogFormats()) {
    if (!info.Writable) continue;
    const QString named = dir.filePath(QStringLiteral("t.") + QString::fromLatin1(info.Extension));
    QString error;
    ASSERT_TRUE(SaveTraceLog(Views.Trace(), info.Format, named, error)) << error.toStdString();
    const QString unnamed = dir.filePath(QStringLiteral("t-%1.dat").arg(QString::fromLatin1(info.Extension)));
    ASSERT_TRUE(QFile::copy(named, unnamed));
    paths.insert(paths.end(), {named, unnamed});
  }
  const QString csv = dir.filePath(QStringLiteral("savvy.txt"));
  ASSERT_TRUE(QFile::copy(TestDataFile("gvret-log.csv"), csv));
  paths.insert(paths.end(), {TestDataFile("gvret-log.csv"), csv});
  for (const QString& path : paths) {
    const std::size_t before = Views.Trace().RowCount();
    TLogImport import(Views, path);
    ASSERT_EQ(ImportAll(import), TLogImport::TState::Finished) << path.toStdString() << import.ProblemText().toStdString();
    EXPECT_EQ(import.Progress(), 1000);
    ASSERT_EQ(Views.Trace().RowCount(), before + frames) << path.toStdString();
    for (std::size_t i = 0; i < frames; ++i)
      ASSERT_EQ(std::memcmp(&Views.Trace().Row(before + i).Msg, &Views.Trace().Row(i).Msg, sizeof(TCanMsgProg)), 0)
          << path.toStdString() << " row " << i;
  }
  EXPECT_EQ(Views.Monitor().RowCount(), 180u);
}

TEST_F(CandumpLogTrace, ADamagedOrUnknownFileKeepsTheFramesBeforeAndSaysWhere) {
  Receive({Frame(0x100, 0), Frame(0x101, 1), Frame(0x102, 2)});
  QBuffer blf;
  blf.open(QIODevice::ReadWrite);
  ASSERT_TRUE(WriteTraceLog(Views.Trace(), TLogFormat::Blf, blf));
  // Two stored frames and the first bytes of a third container: the file ends inside it.
  QByteArray cut = blf.data();
  const QString path = WriteFile(cut.left(cut.size() - 10), QStringLiteral("cut.blf"));
  TLogImport import(Views, path);
  EXPECT_EQ(ImportAll(import), TLogImport::TState::Bad);
  EXPECT_EQ(import.Frames(), 0u) << "the only container is cut";
  const auto objectSize = qFromLittleEndian<quint32>(cut.constData() + 144 + 8);
  EXPECT_EQ(import.ProblemText().toStdString(),
            QStringLiteral("Offset 144 of the log file is not a complete object: its size of %1 bytes runs past the end of the "
                           "file; the 0 frames before it were imported.")
                .arg(objectSize)
                .toStdString());

  TLogImport asc(Views, WriteFile("base hex  timestamps absolute\n0.1 1 100 Rx d 1 00\n0.2 1 100 Rx d 2 00\n",
                                  QStringLiteral("short.asc")));
  EXPECT_EQ(ImportAll(asc), TLogImport::TState::Bad);
  EXPECT_EQ(asc.ProblemText().toStdString(), "Line 3 of the log file is not a CAN frame: 1 data bytes where the length says 2; "
                                             "the 1 frames before it were imported.");

  TLogImport unknown(Views, WriteFile("hello\n", QStringLiteral("notes.dat")));
  EXPECT_EQ(unknown.State(), TLogImport::TState::UnknownFormat);
  EXPECT_EQ(unknown.Step(10), TLogImport::TState::UnknownFormat);
  EXPECT_TRUE(unknown.ProblemText().contains(QStringLiteral("BLF")));
}

TEST_F(CandumpLogTrace, ExportWritesEveryRowThroughASaveFile) {
  Receive({Frame(0x100, 1500), Frame(0x200, -2)});
  Views.Trace().Search(QStringLiteral("100"), 0);  // a hidden row is still written
  const QString path = dir.filePath(QStringLiteral("out.log"));
  QString error;
  ASSERT_TRUE(SaveTraceLog(Views.Trace(), TLogFormat::Candump, path, error));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "(1.500000) can0 100#1122\n(4294967.294000) can0 200#1122\n");

  EXPECT_FALSE(SaveTraceLog(Views.Trace(), TLogFormat::Candump, dir.filePath(QStringLiteral("no/such/folder/out.log")), error));
  EXPECT_FALSE(error.isEmpty());
}

}  // namespace
