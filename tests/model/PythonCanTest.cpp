// Our logs against python-can, the independent implementation Debian ships: what we write it
// reads frame for frame, and what it writes we read frame for frame. python-can stores time as
// seconds in a double, so times are compared from the first frame, to a microsecond.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "model/LogFormat.h"
#include "support/TestData.h"

namespace {

// Debian's interpreter, where python3-can is installed; another one first on the path may lack it.
const QString kPython = QStringLiteral("/usr/bin/python3");

struct TPyFrame {
  std::int64_t SinceFirstUs;
  std::uint32_t Id;
  bool Extended, Remote;
  int Dlc;
  std::string Data;
};

QString Script() { return QStringLiteral(FERROLUX_PYTHON_CAN_CHECK); }

QByteArray RunPython(const QStringList& args) {
  QProcess python;
  python.start(kPython, QStringList{Script()} + args);
  EXPECT_TRUE(python.waitForFinished(120000)) << "python-can did not finish";
  EXPECT_EQ(python.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
  return python.readAllStandardOutput();
}

std::vector<TPyFrame> PythonReads(const char* format, const QString& path) {
  std::vector<TPyFrame> frames;
  std::istringstream lines(RunPython({QStringLiteral("read"), QString::fromLatin1(format), path}).toStdString());
  TPyFrame frame;
  std::string data;
  int extended = 0, remote = 0;
  while (lines >> frame.SinceFirstUs >> frame.Id >> extended >> remote >> frame.Dlc) {
    frame.Extended = extended != 0;
    frame.Remote = remote != 0;
    frame.Data.clear();
    if (lines.peek() == ' ') lines.get();
    if (lines.peek() != '\n' && lines.peek() != EOF) lines >> frame.Data;
    frames.push_back(frame);
  }
  return frames;
}

std::string Hex(const TCanMsgProg& msg) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (int i = 0; i < (msg.RTR ? 0 : msg.UsedBytes()); ++i) {
    text += kDigits[msg.Data[static_cast<std::size_t>(i)] >> 4];
    text += kDigits[msg.Data[static_cast<std::size_t>(i)] & 0xF];
  }
  return text;
}

void ExpectSame(const std::vector<TPyFrame>& theirs, const std::vector<TCandumpFrame>& ours, const char* what) {
  ASSERT_EQ(theirs.size(), ours.size()) << what;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const TCanMsgProg& msg = ours[i].Msg;
    ASSERT_EQ(theirs[i].Id, msg.CanId) << what << " frame " << i;
    ASSERT_EQ(theirs[i].Extended, msg.Extended) << what << " frame " << i;
    ASSERT_EQ(theirs[i].Remote, msg.RTR) << what << " frame " << i;
    ASSERT_EQ(theirs[i].Dlc, msg.DLC) << what << " frame " << i;
    ASSERT_EQ(theirs[i].Data, Hex(msg)) << what << " frame " << i;
    ASSERT_LE(std::llabs(theirs[i].SinceFirstUs - (ours[i].TimeUs - ours[0].TimeUs)), 1) << what << " frame " << i;
  }
}

std::vector<TCandumpFrame> OurRead(TLogFormat format, const QString& path) {
  std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
  const TLogFile file = ReadLogFile(*MakeLogReader(format, in));
  EXPECT_FALSE(file.FirstProblem) << file.FirstProblem->Text();
  return file.Frames;
}

void OurWrite(TLogFormat format, const QString& path, const std::vector<TCandumpFrame>& frames) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const std::unique_ptr<TLogWriter> writer = MakeLogWriter(format, file);
  for (const TCandumpFrame& frame : frames) writer->Write(frame);
  ASSERT_TRUE(writer->Finish());
}

// Extended identifiers, remote frames and short frames, which the captures lack.
std::vector<TCandumpFrame> Kinds(bool remote) {
  std::vector<TCandumpFrame> frames;
  for (int i = 0; i < 40; ++i) {
    TCandumpFrame frame;
    frame.TimeUs = 1'700'000'000'000'000 + i * 1'234'567;
    frame.Msg.Extended = i % 2 == 0;
    frame.Msg.CanId = frame.Msg.Extended ? 0x18DA0000 + i : 0x700 + i;
    frame.Msg.RTR = remote && i % 5 == 0;
    frame.Msg.DLC = i % 9;
    for (int b = 0; b < 8; ++b) frame.Msg.Data[static_cast<std::size_t>(b)] = frame.Msg.RTR ? 0 : static_cast<std::uint8_t>(i * 16 + b);
    frames.push_back(frame);
  }
  return frames;
}

class PythonCan : public ::testing::TestWithParam<TLogFormat> {
 protected:
  const char* Extension() const { return LogFormatInfo(GetParam()).Extension; }
  QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name) + QLatin1Char('.') + QString::fromLatin1(Extension())); }
  QTemporaryDir dir;
};

TEST_P(PythonCan, ReadsWhatWeWrite) {
  for (const char* name : {"gvret.log", "f11-kcan.log"}) {
    const std::vector<TCandumpFrame> frames = OurRead(TLogFormat::Candump, TestDataFile(name));
    OurWrite(GetParam(), Path("ours"), frames);
    ExpectSame(PythonReads(Extension(), Path("ours")), frames, name);
  }
  // python-can's TRC reader passes remote frames over.
  const std::vector<TCandumpFrame> kinds = Kinds(GetParam() != TLogFormat::Trc);
  OurWrite(GetParam(), Path("kinds"), kinds);
  ExpectSame(PythonReads(Extension(), Path("kinds")), kinds, "kinds");
}

TEST_P(PythonCan, WeReadWhatItWrites) {
  for (const char* name : {"gvret.log", "f11-kcan.log"}) {
    const std::vector<TCandumpFrame> frames = OurRead(TLogFormat::Candump, TestDataFile(name));
    RunPython({QStringLiteral("write"), QString::fromLatin1(Extension()), Path("theirs"), TestDataFile(name)});
    std::vector<TCandumpFrame> back = OurRead(GetParam(), Path("theirs"));
    ASSERT_EQ(back.size(), frames.size()) << name;
    std::vector<TPyFrame> asSeen;
    for (const TCandumpFrame& frame : back)
      asSeen.push_back({frame.TimeUs - back[0].TimeUs, static_cast<std::uint32_t>(frame.Msg.CanId), frame.Msg.Extended, frame.Msg.RTR,
                        frame.Msg.DLC, Hex(frame.Msg)});
    ExpectSame(asSeen, frames, name);
  }
}

INSTANTIATE_TEST_SUITE_P(LogFormats, PythonCan,
                         ::testing::Values(TLogFormat::Candump, TLogFormat::Asc, TLogFormat::Blf, TLogFormat::Trc),
                         [](const auto& info) { return std::string(LogFormatInfo(info.param).Extension); });

}  // namespace
