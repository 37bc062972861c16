// The log formats on the frame record: real captures through every written format frame for
// frame, SavvyCAN's CSV against the same captures, the text formats' header variants and bad
// lines, the choice of format by extension and by content.
#include <gtest/gtest.h>

#include <QBuffer>
#include <fstream>
#include <sstream>

#include "model/AscLog.h"
#include "model/LogFormat.h"
#include "model/TrcLog.h"
#include "support/TestData.h"

namespace {

std::vector<TCandumpFrame> ReadAll(TLogFormat format, const std::string& bytes, std::size_t* skipped = nullptr) {
  std::istringstream in(bytes);
  const std::unique_ptr<TLogReader> reader = MakeLogReader(format, in);
  const TLogFile file = ReadLogFile(*reader);
  EXPECT_FALSE(file.FirstProblem) << file.FirstProblem->Text();
  if (skipped) *skipped = file.Skipped;
  return file.Frames;
}

std::vector<TCandumpFrame> Capture(const char* name) {
  std::ifstream in(TestDataPath(name), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return ReadAll(TLogFormat::Candump, text.str());
}

std::string WriteAll(TLogFormat format, const std::vector<TCandumpFrame>& frames) {
  QBuffer buffer;
  buffer.open(QIODevice::ReadWrite);
  const std::unique_ptr<TLogWriter> writer = MakeLogWriter(format, buffer);
  EXPECT_TRUE(writer);
  for (const TCandumpFrame& frame : frames) writer->Write(frame);
  EXPECT_TRUE(writer->Finish());
  return buffer.data().toStdString();
}

// Identifier, kind, length, the bytes that count, the time stamp to the microsecond and the
// millisecond counter from the first frame.
void ExpectSameFrames(const std::vector<TCandumpFrame>& back, const std::vector<TCandumpFrame>& expected, const char* what) {
  ASSERT_EQ(back.size(), expected.size()) << what;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const TCanMsgProg& a = back[i].Msg;
    const TCanMsgProg& b = expected[i].Msg;
    ASSERT_EQ(a.CanId, b.CanId) << what << " frame " << i;
    ASSERT_EQ(a.Extended, b.Extended) << what << " frame " << i;
    ASSERT_EQ(a.RTR, b.RTR) << what << " frame " << i;
    ASSERT_EQ(a.DLC, b.DLC) << what << " frame " << i;
    for (int k = 0; k < (b.RTR ? 0 : b.UsedBytes()); ++k) ASSERT_EQ(a.Data[static_cast<std::size_t>(k)], b.Data[static_cast<std::size_t>(k)]) << what << " frame " << i;
    ASSERT_EQ(back[i].TimeUs, expected[i].TimeUs) << what << " frame " << i;
    ASSERT_EQ(a.Time, CandumpMillisecondsSince(expected[i].TimeUs, expected[0].TimeUs)) << what << " frame " << i;
  }
}

TCandumpFrame Frame(std::int64_t timeUs, std::uint32_t id, bool extended, bool remote, int dlc, std::initializer_list<int> data = {}) {
  TCandumpFrame frame;
  frame.TimeUs = timeUs;
  frame.Msg.CanId = id;
  frame.Msg.Extended = extended;
  frame.Msg.RTR = remote;
  frame.Msg.DLC = dlc;
  std::size_t i = 0;
  for (int byte : data) frame.Msg.Data[i++] = static_cast<std::uint8_t>(byte);
  return frame;
}

// The kinds the captures lack: extended, remote with and without a length, no data, the limits
// of both identifier ranges, a calendar time stamp.
std::vector<TCandumpFrame> Kinds() {
  const std::int64_t t = 1'700'000'000'123'456;
  return {Frame(t, 0x7FF, false, false, 8, {1, 2, 3, 4, 5, 6, 7, 8}), Frame(t + 1, 0x1FFFFFFF, true, false, 1, {0xFF}),
          Frame(t + 999, 0, false, true, 0), Frame(t + 1000, 0x18DAF110, true, true, 4),
          Frame(t + 86'400'000'001, 0x100, false, false, 0), Frame(t + 86'400'000'002, 0x800, true, false, 2, {0xAB, 0x00})};
}

class WrittenFormat : public ::testing::TestWithParam<TLogFormat> {};

TEST_P(WrittenFormat, RealCapturesAndEveryFrameKindComeBackFrameForFrame) {
  const TLogFormat format = GetParam();
  for (const char* name : {"gvret.log", "f11-kcan.log"}) {
    const std::vector<TCandumpFrame> frames = Capture(name);
    ASSERT_GT(frames.size(), 10000u);
    const std::string bytes = WriteAll(format, frames);
    EXPECT_EQ(SniffLogFormat(bytes), format) << name;
    ExpectSameFrames(ReadAll(format, bytes), frames, name);
  }
  const std::vector<TCandumpFrame> kinds = Kinds();
  ExpectSameFrames(ReadAll(format, WriteAll(format, kinds)), kinds, "kinds");
  EXPECT_TRUE(ReadAll(format, WriteAll(format, {})).empty());
}

TEST_P(WrittenFormat, ARefusedWriteIsReported) {
  QBuffer buffer;
  buffer.open(QIODevice::ReadOnly);
  const std::unique_ptr<TLogWriter> writer = MakeLogWriter(GetParam(), buffer);
  for (const TCandumpFrame& frame : Kinds()) writer->Write(frame);
  EXPECT_FALSE(writer->Finish());
}

INSTANTIATE_TEST_SUITE_P(LogFormats, WrittenFormat,
                         ::testing::Values(TLogFormat::Candump, TLogFormat::Asc, TLogFormat::Blf, TLogFormat::Trc),
                         [](const auto& info) { return std::string(LogFormatInfo(info.param).Extension); });

TEST(SavvyCsvLog, TheOriginalCsvFilesHoldTheFramesOfTheirCandumpLogs) {
  for (const auto& [csv, log] : {std::pair{"gvret-log.csv", "gvret.log"}, std::pair{"f11-kcan.csv", "f11-kcan.log"}}) {
    std::ifstream in(TestDataPath(csv), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(SniffLogFormat(text.str()), TLogFormat::SavvyCsv);
    ExpectSameFrames(ReadAll(TLogFormat::SavvyCsv, text.str()), Capture(log), csv);
  }
  QBuffer buffer;
  EXPECT_EQ(MakeLogWriter(TLogFormat::SavvyCsv, buffer), nullptr) << "read only";
}

TEST(SavvyCsvLog, ColumnsByNameAndBadLinesWithTheirNumbers) {
  std::istringstream in(
      "Time Stamp,ID,Extended,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\n"
      "100,18DAF110,true,0,2,0A,0B,00,00,00,00,00,00,\n"
      "200,0x7FF,false,0,0,00,00,00,00,00,00,00,00\n"
      "300,800,false,0,1,00,00,00,00,00,00,00,00,\n"
      "400,100,false,0,9,00,00,00,00,00,00,00,00,\n"
      "500,100,false,0,1,G0,00,00,00,00,00,00,00,\n"
      "600,100,false,0,1\n"
      "x,100,false,0,1,00,00,00,00,00,00,00,00,\n");
  const std::unique_ptr<TLogReader> reader = MakeLogReader(TLogFormat::SavvyCsv, in);
  TCandumpFrame frame;
  ASSERT_EQ(reader->Next(frame), TLogReader::TStep::Frame);
  EXPECT_TRUE(frame.Msg.Extended);
  EXPECT_EQ(frame.Msg.CanId, 0x18DAF110);
  EXPECT_EQ(frame.Msg.Data[1], 0x0B);
  ASSERT_EQ(reader->Next(frame), TLogReader::TStep::Frame);
  EXPECT_EQ(frame.Msg.CanId, 0x7FF);
  EXPECT_EQ(frame.Msg.Time, 0) << "a tenth of a millisecond later";
  for (const char* problem : {"line 4 is not a CAN frame: identifier 800 is too large",
                              "line 5 is not a CAN frame: length '9' is not 0 to 8",
                              "line 6 is not a CAN frame: data byte 'G0' is not hexadecimal",
                              "line 7 is not a CAN frame: 5 columns where the header names 13",
                              "line 8 is not a CAN frame: time stamp 'x' is not a number"}) {
    ASSERT_EQ(reader->Next(frame), TLogReader::TStep::Bad);
    EXPECT_EQ(reader->Problem().Text(), problem);
  }
  EXPECT_EQ(reader->Next(frame), TLogReader::TStep::End);

  std::istringstream headless("62411844,000002BF,false,Rx,0,3,00,00,00,00,00,00,00,00,\n1,2,3\n");
  const std::unique_ptr<TLogReader> none = MakeLogReader(TLogFormat::SavvyCsv, headless);
  ASSERT_EQ(none->Next(frame), TLogReader::TStep::Bad);
  EXPECT_EQ(none->Problem().Where, "line 1");
  EXPECT_EQ(none->Next(frame), TLogReader::TStep::End) << "no header, no columns to read by";
}

TEST(AscLog, WrittenAsVectorsToolsWriteIt) {
  EXPECT_EQ(WriteAll(TLogFormat::Asc, {Frame(62'411'844, 0x2BF, false, false, 3, {0, 0x1F, 0xA0}),
                                       Frame(63'000'000, 0x18DAF110, true, true, 4)}),
            "date Thu Jan 01 12:01:02.411 am 1970\n"
            "base hex  timestamps absolute\n"
            "no internal events logged\n"
            "Begin Triggerblock Thu Jan 01 12:01:02.411 am 1970\n"
            "   0.000844 1  2BF             Rx   d 3 00 1F A0\n"
            "   0.589000 1  18DAF110x       Rx   r 4\n"
            "End TriggerBlock\n");
  EXPECT_EQ(AscDateText(1'700'000'000'123), "Tue Nov 14 10:13:20.123 pm 2023");
  EXPECT_EQ(ParseAscDate("Tue Nov 14 10:13:20.123 pm 2023"), 1'700'000'000'123);
  EXPECT_EQ(ParseAscDate("Di Dez 14 22:13:20 2023"), 1'702'592'000'000) << "German month, 24-hour clock";
  EXPECT_EQ(ParseAscDate("Tue Nov 14 12:00:00.000 am 2023"), 1'699'920'000'000) << "12 am is midnight";
  EXPECT_FALSE(ParseAscDate("Tue Foo 14 10:13:20 2023"));
  EXPECT_FALSE(ParseAscDate("Tue Feb 30 10:13:20 2023"));
}

TEST(AscLog, DecimalRelativeAndOtherEventsAreReadOrCounted) {
  std::size_t skipped = 0;
  const std::vector<TCandumpFrame> frames = ReadAll(TLogFormat::Asc,
                                                    "date Thu Jan 01 12:00:01 am 1970\r\n"
                                                    "base dec  timestamps relative\r\n"
                                                    "// version 13.0.0\r\n"
                                                    "internal events logged\r\n"
                                                    "Begin TriggerBlock Thu Jan 01 12:00:01.000 am 1970\r\n"
                                                    "   0.000000 Start of measurement\r\n"
                                                    "   0.001500 1  2047            Rx   d 2 255 16\r\n"
                                                    "   0.000500 1  ErrorFrame\r\n"
                                                    "   0.000250 CANFD   1 Rx      123  1 0 8  8 11 22 33 44 55 66 77 88\r\n"
                                                    "   1.000000 2  Statistic: D 0 R 0 XD 0 XR 0 E 0 O 0 B 0.00%\r\n"
                                                    "   0.000001 1  256x            Tx   r\r\n"
                                                    "End TriggerBlock\r\n",
                                                    &skipped);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].Msg.CanId, 2047);
  EXPECT_EQ(frames[0].Msg.Data[0], 255);
  EXPECT_EQ(frames[0].TimeUs, 1'001'500);
  EXPECT_TRUE(frames[1].Msg.Extended && frames[1].Msg.RTR);
  EXPECT_EQ(frames[1].Msg.CanId, 256);
  EXPECT_EQ(frames[1].TimeUs, 1'001'500 + 500 + 250 + 1'000'000 + 1);
  EXPECT_EQ(skipped, 5u) << "comment, start event, error frame, CAN FD frame, statistics";
}

TEST(AscLog, AFrameLineWithBadContentIsNamedWithItsReason) {
  std::istringstream in(
      "base hex  timestamps absolute\n"
      "0.1 1 7G Rx d 1 00\n"
      "0.2 1 800 Rx d 1 00\n"
      "0.3 1 100 Rx q 1 00\n"
      "0.4 1 100 Rx d 16\n"
      "0.5 1 100 Rx d 3 00 11\n"
      "0.6 1 100 Rx d 2 00 1FF\n"
      "0.7 1 100 Rx d 9 00 01 02 03 04 05 06 07 Length = 240 BitCount = 124\n");
  const std::unique_ptr<TLogReader> reader = MakeLogReader(TLogFormat::Asc, in);
  TCandumpFrame frame;
  for (const char* problem : {"line 2 is not a CAN frame: identifier '7G' is not a number",
                              "line 3 is not a CAN frame: identifier 800 is too large",
                              "line 4 is not a CAN frame: 'q' is neither d (data) nor r (remote)",
                              "line 5 is not a CAN frame: length '16' is not 0 to 15",
                              "line 6 is not a CAN frame: 2 data bytes where the length says 3",
                              "line 7 is not a CAN frame: data byte '1FF' is not a number"}) {
    ASSERT_EQ(reader->Next(frame), TLogReader::TStep::Bad) << problem;
    EXPECT_EQ(reader->Problem().Text(), problem);
  }
  ASSERT_EQ(reader->Next(frame), TLogReader::TStep::Frame) << "a length above 8 carries eight bytes";
  EXPECT_EQ(frame.Msg.DLC, 8);
  EXPECT_EQ(frame.Msg.Data[7], 7);
}

TEST(TrcLog, VersionsOneAndTwoWithTheirColumnsAndTypes) {
  std::size_t skipped = 0;
  const std::vector<TCandumpFrame> one = ReadAll(TLogFormat::Trc,
                                                 ";$FILEVERSION=1.1\n"
                                                 ";$STARTTIME=25569.5\n"
                                                 ";   Message Number\n"
                                                 "     1)      1841.0  Rx         0001  8  00 11 22 33 44 55 66 77\n"
                                                 "     2)      1842.3  Rx     18EFC034  4  RTR\n"
                                                 "     3)      1843.0  Warng  FFFFFFFF  4  00 00 00 08 BUSHEAVY\n",
                                                 &skipped);
  ASSERT_EQ(one.size(), 2u);
  EXPECT_EQ(one[0].TimeUs, 43'200'000'000 + 1'841'000) << "noon of 1970-01-01 plus the offset";
  EXPECT_EQ(one[0].Msg.Data[7], 0x77);
  EXPECT_TRUE(one[1].Msg.Extended && one[1].Msg.RTR);
  EXPECT_EQ(one[1].Msg.DLC, 4);
  EXPECT_EQ(one[1].TimeUs - one[0].TimeUs, 1'300);
  EXPECT_EQ(skipped, 1u);

  const std::vector<TCandumpFrame> two = ReadAll(TLogFormat::Trc,
                                                 ";$FILEVERSION=2.0\r\n"
                                                 ";$STARTTIME=25569.000011574074\r\n"
                                                 "      1      1059.900 DT     0300 Rx 7 00 00 00 00 04 00 00\r\n"
                                                 "      2      1060.100 RR     0300 Rx 4\r\n"
                                                 "      3      1061.000 ER          Rx 04 00 02 00 00\r\n"
                                                 "      4      1062.000 FD     0300 Rx 8 00 00 00 00 00 00 00 00\r\n",
                                                 &skipped);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].TimeUs, 1'000'000 + 1'059'900);
  EXPECT_EQ(two[0].Msg.DLC, 7);
  EXPECT_EQ(two[0].Msg.Data[4], 0x04);
  EXPECT_TRUE(two[1].Msg.RTR);
  EXPECT_EQ(skipped, 2u) << "error frame, CAN FD frame";

  const std::vector<TCandumpFrame> columns = ReadAll(TLogFormat::Trc,
                                                     ";$FILEVERSION=2.1\n"
                                                     ";$COLUMNS=N,O,T,B,I,d,R,L,D\n"
                                                     "      1         0.844 DT  1     02BF Rx -  3    00 00 00\n"
                                                     ";$COLUMNS=N,O,T,I,d,L,D\n"
                                                     "      2         1.000 DT     02C0 Tx 1    AA\n");
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[0].Msg.CanId, 0x2BF);
  EXPECT_EQ(columns[1].Msg.Data[0], 0xAA);
}

TEST(TrcLog, StartTimeAndBadLines) {
  EXPECT_EQ(TrcStartTimeText(0), "25569.000000000000");
  EXPECT_EQ(TrcStartTimeText(1'700'000'000'123), "45244.925927349537");
  for (std::int64_t ms : {std::int64_t{0}, std::int64_t{1}, std::int64_t{62'411}, std::int64_t{1'700'000'000'123}, std::int64_t{86'399'999}})
    EXPECT_EQ(ParseTrcStartTime(TrcStartTimeText(ms)), ms);
  EXPECT_EQ(ParseTrcStartTime("25569"), 0);
  EXPECT_FALSE(ParseTrcStartTime("x.5"));

  std::istringstream in(
      ";$FILEVERSION=2.1\n"
      "      1         x DT  1     02BF Rx -  3    00 00 00\n"
      "      2         0.1 DT  1     08FF Rx -  0\n"
      "      3         0.1 DT  1     02BF Rx -  3    00 00\n"
      "      4         0.1 DT  1\n"
      "      5         0.1 DT  1     02BF Rx -  16\n");
  const std::unique_ptr<TLogReader> reader = MakeLogReader(TLogFormat::Trc, in);
  TCandumpFrame frame;
  for (const char* problem : {"line 2 is not a CAN frame: time offset 'x' is not a number",
                              "line 3 is not a CAN frame: identifier 08FF is too large",
                              "line 4 is not a CAN frame: 2 data bytes where the length says 3",
                              "line 5 is not a CAN frame: it ends before its 'I' column",
                              "line 6 is not a CAN frame: length '16' is out of range"}) {
    ASSERT_EQ(reader->Next(frame), TLogReader::TStep::Bad) << problem;
    EXPECT_EQ(reader->Problem().Text(), problem);
  }
  EXPECT_EQ(reader->Next(frame), TLogReader::TStep::End);
}

TEST(LogFormat, ByExtensionAndByContent) {
  EXPECT_EQ(LogFormatOfExtension("ASC"), TLogFormat::Asc);
  EXPECT_EQ(LogFormatOfExtension(".blf"), TLogFormat::Blf);
  EXPECT_EQ(LogFormatOfExtension("trc"), TLogFormat::Trc);
  EXPECT_EQ(LogFormatOfExtension("csv"), TLogFormat::SavvyCsv);
  EXPECT_EQ(LogFormatOfExtension("log"), TLogFormat::Candump);
  EXPECT_FALSE(LogFormatOfExtension("txt"));
  EXPECT_EQ(SniffLogFormat("LOGG\x90"), TLogFormat::Blf);
  EXPECT_EQ(SniffLogFormat("\n\n(62.411844) can0 2BF#00\n"), TLogFormat::Candump);
  EXPECT_EQ(SniffLogFormat("\xEF\xBB\xBF;$FILEVERSION=1.1\r\n"), TLogFormat::Trc);
  EXPECT_EQ(SniffLogFormat("Time Stamp,ID,Extended,Bus,LEN,D1"), TLogFormat::SavvyCsv);
  EXPECT_EQ(SniffLogFormat("date Thu Jan 01 12:01:02.411 am 1970\n"), TLogFormat::Asc);
  EXPECT_EQ(SniffLogFormat("// a comment first\n"), TLogFormat::Asc);
  EXPECT_FALSE(SniffLogFormat("x"));
  EXPECT_FALSE(SniffLogFormat(""));
}

}  // namespace
