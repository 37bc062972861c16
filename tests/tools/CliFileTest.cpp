// ferrolux-cli's file commands as a separate process: candump logs and list files into the
// lists' exports and back, rejected inputs, and the diagnostic text of a real capture.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>

#include "storage/MyRegValues.h"
#include "storage/ProjectCaption.h"
#include "stats/FrameLength.h"
#include "storage/TreeFile.h"
#include "support/TestData.h"
#include "tools/CliProcess.h"
#include "tools/cli/CliOptions.h"
#include "transmit/TriggerLogExport.h"
#include "transmit/TriggerLogList.h"
#include "views/TrafficExport.h"
#include "views/TrafficViews.h"

using ::testing::HasSubstr;

namespace {

class CliFileTest : public ::testing::Test {
 protected:
  TCliRun Run(const std::vector<std::string>& args) {
    return TCliProcess(Dir(), args, {{"XDG_CONFIG_HOME", Path("config")}}).Wait();
  }
  std::string Dir() const { return dir.path().toStdString(); }
  std::string Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }
  std::string Write(const char* name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
    return Path(name);
  }
  static QByteArray Read(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  static bool Exists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }
  static QString Utf16(const QByteArray& bytes) {
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
  }
  // The user's stored setting, in the store the window reads.
  void StoreShow8ByteMsg(bool show) const {
    TZelCanRegIni regIni(nullptr, QString::fromStdString(Path("config")) + QStringLiteral("/Ferrolux/registry.reg"));
    ConfigureFerroluxRegIni(regIni);
    TMyRegValues settings(regIni);
    settings.FShow8ByteMsg = show;
  }

  QTemporaryDir dir;
};

// Sub-millisecond digits are cut, not rounded; extended identifiers keep their eight digits.
const std::string kLog =
    "(1700000000.000999) can0 123#0102\n"
    "(1700000000.001999) can0 18DAF110#41\n"
    "\n"
    "(1700000001.234567) can0 7FF#R\n"
    "(1700000001.300000) can0 001#R4\n"
    "(1700000002.000000) can0 100#3B.22.41\n";

const char* const kTraceCsv =
    "sep=;\r\nTime;ID;EXT;RTR;DLC;D0;D1;D2;D3;D4;D5;D6;D7;ASCII\r\n"
    "0;123;0;0;2;01;02;..\r\n"
    "1;18DAF110;1;0;1;41;A\r\n"
    "1233;7FF;0;1;0;RTR;Frame;........\r\n"
    "1299;001;0;1;4;RTR;Frame;........\r\n"
    "1999;100;0;0;3;3B;22;41;\";\"\"A\"\r\n";

const std::string kTraceLog =
    "(0.000000) can0 123#0102\n"
    "(0.001000) can0 18DAF110#41\n"
    "(1.233000) can0 7FF#R\n"
    "(1.299000) can0 001#R4\n"
    "(1.999000) can0 100#3B2241\n";

}  // namespace

TEST_F(CliFileTest, CandumpLogBecomesTheTraceExportsAndATraceLog) {
  StoreShow8ByteMsg(false);
  const std::string in = Write("bus.v2.log", kLog);
  for (const char* out : {"t.csv", "t.html", "t.rtf", "t.log"}) {
    const TCliRun run = Run({"convert", in, Path(out)});
    EXPECT_EQ(run.ExitStatus, 0) << out << run.Err;
    EXPECT_TRUE(run.Err.empty() && run.Out.empty()) << run.Err << run.Out;
  }
  EXPECT_EQ(Utf16(Read(Path("t.csv"))), QString::fromLatin1(kTraceCsv));
  EXPECT_EQ(Read(Path("t.log")).toStdString(), kTraceLog);
  const QByteArray html = Read(Path("t.html"));
  EXPECT_TRUE(html.contains(">Tarvell - Ferrolux Ver. 3.9 - bus.v2</span>")) << html.left(800).constData();
  EXPECT_TRUE(html.contains("CAN Data Tracer"));
  EXPECT_TRUE(html.contains("18DAF110"));
  const QByteArray rtf = Read(Path("t.rtf"));
  EXPECT_TRUE(rtf.startsWith("{\\rtf1")) << rtf.left(40).constData();
  // Cells are written as Unicode escapes: "18DAF110".
  EXPECT_TRUE(rtf.contains(R"(\u49\'3f\u56\'3f\u68\'3f\u65\'3f\u70\'3f\u49\'3f\u49\'3f\u48\'3f)"));

  // The trace log reads back to the same trace.
  ASSERT_EQ(Run({"convert", Path("t.log"), Path("again.csv")}).ExitStatus, 0);
  EXPECT_EQ(Read(Path("again.csv")), Read(Path("t.csv")));
}

// Through the trace, every log format goes to every other and comes back as the same trace.
TEST_F(CliFileTest, EveryLogFormatConvertsToEveryOther) {
  StoreShow8ByteMsg(false);
  const std::string in = Write("bus.log", kLog);
  const std::vector<std::string> formats = {"log", "asc", "blf", "trc"};
  for (const std::string& from : formats) {
    const std::string first = Path(("from." + from).c_str());
    ASSERT_EQ(Run({"convert", in, first}).ExitStatus, 0) << from;
    for (const std::string& to : formats) {
      const std::string second = Path(("to-" + from + "." + to).c_str());
      const TCliRun run = Run({"convert", first, second});
      ASSERT_EQ(run.ExitStatus, 0) << from << " -> " << to << ": " << run.Err;
      const std::string back = Path(("back-" + from + "-" + to + ".log").c_str());
      ASSERT_EQ(Run({"convert", second, back}).ExitStatus, 0);
      EXPECT_EQ(Read(back).toStdString(), kTraceLog) << from << " -> " << to;
    }
  }
  // A log by its content under another name; SavvyCAN's CSV in, a .csv out is the export.
  ASSERT_TRUE(QFile::copy(QString::fromStdString(Path("from.blf")), QString::fromStdString(Path("capture.bin"))));
  ASSERT_EQ(Run({"convert", Path("capture.bin"), Path("sniffed.log")}).ExitStatus, 0);
  EXPECT_EQ(Read(Path("sniffed.log")).toStdString(), kTraceLog);
  const std::string savvy = Write("savvy.csv",
                                  "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\n"
                                  "5000,00000123,false,Rx,0,2,01,02,00,00,00,00,00,00,\n"
                                  "6500,18DAF110,true,Rx,0,1,41,00,00,00,00,00,00,00,\n");
  ASSERT_EQ(Run({"convert", savvy, Path("savvy.asc")}).ExitStatus, 0);
  ASSERT_EQ(Run({"convert", Path("savvy.asc"), Path("savvy.log")}).ExitStatus, 0);
  EXPECT_EQ(Read(Path("savvy.log")).toStdString(), "(0.000000) can0 123#0102\n(0.001000) can0 18DAF110#41\n");

  // A damaged BLF: its offset, no output.
  const QByteArray blf = Read(Path("from.blf"));
  const std::string cut = Write("cut.blf", blf.left(blf.size() - 3).toStdString());
  const TCliRun damaged = Run({"convert", cut, Path("cut.log")});
  EXPECT_EQ(damaged.ExitStatus, 2);
  EXPECT_THAT(damaged.Err, HasSubstr("cut.blf: offset 144 is not a complete object"));
  EXPECT_FALSE(Exists(Path("cut.log")));
}

TEST_F(CliFileTest, StoredShow8ByteMsgSettingShapesTheExport) {
  const std::string in = Write("one.log", "(5.000000) can0 123#0102\n");
  StoreShow8ByteMsg(true);
  ASSERT_EQ(Run({"convert", in, Path("eight.csv")}).ExitStatus, 0);
  EXPECT_THAT(Utf16(Read(Path("eight.csv"))).toStdString(), HasSubstr("\r\n0;123;0;0;2;01;02;00;00;00;00;00;00;........\r\n"));
  StoreShow8ByteMsg(false);
  ASSERT_EQ(Run({"convert", in, Path("two.csv")}).ExitStatus, 0);
  EXPECT_THAT(Utf16(Read(Path("two.csv"))).toStdString(), HasSubstr("\r\n0;123;0;0;2;01;02;..\r\n"));
}

// An input that cannot be read leaves no output, and an older output as it was.
TEST_F(CliFileTest, UnreadableInputsExitWithStatusTwoAndWriteNothing) {
  const std::string bad = Write("bad.log", "(1.000000) can0 123#11\n\n(1.000100) can0 123#1\n");
  const std::string fd = Write("fd.log", "(1.000000) can0 123##311\n");
  const std::string old = Write("old.csv", "older");
  struct TCase {
    std::vector<std::string> Args;
    const char* Message;
    std::string Out;
  };
  const std::vector<TCase> cases = {
      {{"convert", bad, Path("b.csv")}, "line 3 is not a CAN frame", Path("b.csv")},
      {{"convert", bad, Path("b.log")}, "line 3 is not a CAN frame", Path("b.log")},
      {{"convert", fd, old}, "line 1 is not a CAN frame", ""},
      {{"convert", Path("missing.log"), Path("m.csv")}, "cannot open", Path("m.csv")},
      {{"convert", Write("x.txt", "x"), Path("x.csv")}, "cannot read", Path("x.csv")},
      {{"convert", bad, Path("b.pdf")}, "cannot write", Path("b.pdf")},
      {{"decode", bad}, "line 3 is not a CAN frame", ""},
      {{"decode", Write("ok.log", "(1.000000) can0 123#11\n"), "--catalog", Path("none.ini")}, "cannot open catalog", ""},
  };
  for (const TCase& c : cases) {
    const TCliRun run = Run(c.Args);
    EXPECT_EQ(run.ExitStatus, 2) << ::testing::PrintToString(c.Args);
    EXPECT_THAT(run.Err, HasSubstr(c.Message));
    EXPECT_EQ(Lines(run.Err).size(), 1u) << run.Err;
    EXPECT_TRUE(run.Out.empty());
    if (!c.Out.empty()) {
      EXPECT_FALSE(Exists(c.Out)) << c.Out;
    }
  }
  EXPECT_EQ(Read(old), QByteArray("older"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).filter(QStringLiteral(".tmp")).size(), 0);
}

// At 108.537 s a tester at 0x6F0 asks three control units; their answers interleave.
TEST_F(CliFileTest, DecodeOfARealCapturePrintsTheFormatDataList) {
  const TCliRun run = Run({"decode", TestDataPath("f11-kcan.log")});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  ASSERT_GT(run.Out.size(), 100u);
  EXPECT_TRUE(run.Out.rfind(";Pos;Time;ID;Len;Src;Trg;;Msg\r\nNo IDs available;;;;;;;;\r\n", 0) == 0) << run.Out.substr(0, 100);
  const std::vector<std::string> lines = Lines(run.Out);
  for (const std::string& line : lines) ASSERT_TRUE(!line.empty() && line.back() == '\r') << line;
  std::vector<std::string> tester;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(";46125;6F0;3;F0;DF;;22 F1 01") != std::string::npos)
      tester.assign(lines.begin() + static_cast<std::ptrdiff_t>(i), lines.begin() + static_cast<std::ptrdiff_t>(i) + 10);
  ASSERT_FALSE(tester.empty());
  const auto answer = [&](const char* start) {
    for (const std::string& line : tester)
      if (line.find(start) != std::string::npos) return line;
    return std::string();
  };
  EXPECT_THAT(answer(";673;68;73;F0;;62 F1 01 01"), HasSubstr(";46130;"));
  EXPECT_THAT(answer(";667;52;67;F0;;62 F1 01 01"), HasSubstr(";46135;"));
  EXPECT_THAT(answer(";678;60;78;F0;;62 F1 01 01"), HasSubstr(";46142;"));
  // Each answer carries all its bytes: 3 characters a byte, no trailing separator.
  const std::string answer673 = answer(";673;68;");
  EXPECT_EQ(answer673.size() - answer673.find("62 F1") - 1, 68u * 3 - 1);
}

TEST_F(CliFileTest, HelpOfTheFileCommands) {
  for (const char* command : {"convert", "decode"}) {
    const TCliRun run = Run({command, "--help"});
    EXPECT_EQ(run.ExitStatus, 0);
    EXPECT_THAT(run.Out, HasSubstr(std::string("ferrolux-cli [options] ") + command));
  }
  EXPECT_THAT(Run({"decode", "--help"}).Out, HasSubstr("--catalog <FILE>"));
}

namespace {
// A trace, a monitor and a trigger log as the window would save them.
class CliListFileTest : public CliFileTest {
 protected:
  CliListFileTest() {
    StoreShow8ByteMsg(false);
    Views.BeginDrain();
    for (const char* text : {"123#0102", "18DAF110#41", "7FF#R", "123#0304"}) {
      TCanMsgProg msg = ParseFrameText(text);
      msg.Time = Time += 7;
      Views.DispatchReceivedMessage(msg);
    }
    Views.EndDrain();
    Log.AddTriggerLogEntry(QStringLiteral("answered; \"quoted\""));
    Log.AddTriggerLogEntry(QStringLiteral("second"));
    SaveTreeFile(QString::fromStdString(Path("bus.tr1")), Views.Trace());
    SaveTreeFile(QString::fromStdString(Path("bus.mo1")), Views.Monitor());
    SaveTreeFile(QString::fromStdString(Path("bus.lm1")), Log);
  }
  // What the window's export writes for the list, for a project named like the input.
  QByteArray Expected(const TRowListBase& list, const TListLayout& layout, TExportFormat format, const char* subtitle) {
    const std::string path = Path("expected.out");
    WriteListExport(QString::fromStdString(path), format, {TRowListExport(list, DefaultListLook()), layout, {}},
                    ProjectCaption(QStringLiteral("bus.x")), QString::fromLatin1(subtitle));
    return Read(path);
  }

  std::int32_t Time = 0;
  TTrafficViews Views{TTrafficSeams{[] { return false; }, [] { return false; }, [] {}}};
  TTriggerLogList Log{[] { return QDateTime(QDate(2026, 12, 9), QTime(17, 5, 1, 250)); }};
};
}  // namespace

TEST_F(CliListFileTest, TraceListFileGoesToALogAndBackToTheSameFile) {
  ASSERT_EQ(Run({"convert", Path("bus.tr1"), Path("t.log")}).ExitStatus, 0);
  EXPECT_EQ(Read(Path("t.log")).toStdString(),
            "(0.007000) can0 123#0102\n(0.014000) can0 18DAF110#41\n(0.021000) can0 7FF#R\n(0.028000) can0 123#0304\n");
  // The log starts its clock at the first frame, so that one moves to 0.
  ASSERT_EQ(Run({"convert", Path("t.log"), Path("back.tr1")}).ExitStatus, 0);
  ASSERT_EQ(Run({"convert", Path("back.tr1"), Path("back.log")}).ExitStatus, 0);
  EXPECT_EQ(Read(Path("back.log")).toStdString(),
            "(0.000000) can0 123#0102\n(0.007000) can0 18DAF110#41\n(0.014000) can0 7FF#R\n(0.021000) can0 123#0304\n");
  ASSERT_EQ(Run({"convert", Path("bus.tr1"), Path("same.tr1")}).ExitStatus, 0);
  EXPECT_EQ(Read(Path("same.tr1")), Read(Path("bus.tr1")));
  ASSERT_EQ(Run({"decode", Path("bus.tr1")}).ExitStatus, 0);
}

// The monitor's descriptions come from the software filter, which a list file does not carry:
// the expectation is the window's export right after opening the file.
TEST_F(CliListFileTest, EachListFileExportsAsTheWindowExportsThatList) {
  TTrafficViews opened{TTrafficSeams{[] { return false; }, [] { return false; }, [] {}}};
  LoadTreeFile(QString::fromStdString(Path("bus.mo1")), opened.Monitor());
  ASSERT_EQ(opened.Monitor().RowCount(), 3u);
  for (const auto& [format, extension] : {std::pair{TExportFormat::Csv, "csv"}, {TExportFormat::Html, "html"}}) {
    const std::string mo = Path("m.") + extension, lm = Path("l.") + extension;
    ASSERT_EQ(Run({"convert", Path("bus.mo1"), mo}).ExitStatus, 0);
    ASSERT_EQ(Run({"convert", Path("bus.lm1"), lm}).ExitStatus, 0);
    EXPECT_EQ(Read(mo).toStdString(), Expected(opened.Monitor(), MonitorLayout(), format, "CAN Data Monitor").toStdString()) << extension;
    EXPECT_EQ(Read(lm).toStdString(), Expected(Log, TriggerLogLayout(), format, "Trigger Log").toStdString()) << extension;
  }
  EXPECT_EQ(Utf16(Read(Path("l.csv"))).toStdString(), std::string("Time;Message\r\n17:05:01.250;\"answered; \"\"quoted\"\"\"\r\n17:05:01.250;second\r\n\r\n"));
  ASSERT_EQ(Run({"convert", Path("bus.mo1"), Path("m.rtf")}).ExitStatus, 0);
  EXPECT_TRUE(Read(Path("m.rtf")).startsWith("{\\rtf1"));
}

TEST_F(CliListFileTest, ListFilesThatCannotBeReadOrConvertedAreRejected) {
  const QByteArray trace = Read(Path("bus.tr1"));
  const std::string shortFile = Write("short.tr1", trace.left(trace.size() - 3).toStdString());
  const std::string empty = Write("empty.mo1", "");
  const std::string wrong = Write("wrong.lm1", std::string(64, 'x'));
  const std::vector<std::pair<std::vector<std::string>, const char*>> cases = {
      {{"convert", shortFile, Path("s.csv")}, "short.tr1: Stream read error"},
      {{"convert", empty, Path("e.csv")}, "empty.mo1: Unable to load tree structure, not enough data available."},
      {{"convert", wrong, Path("w.csv")}, "wrong.lm1: Unable to load tree structure"},
      {{"convert", Path("bus.mo1"), Path("m.log")}, "only a trace"},
      {{"convert", Path("bus.lm1"), Path("l.tr1")}, "only a trace"},
      {{"convert", Path("bus.tr1"), Path("t.mo1")}, "cannot write"},
      {{"decode", Path("bus.mo1")}, "only a trace"},
      {{"decode", shortFile}, "Stream read error"},
  };
  for (const auto& [args, message] : cases) {
    const TCliRun run = Run(args);
    EXPECT_EQ(run.ExitStatus, 2) << ::testing::PrintToString(args);
    EXPECT_THAT(run.Err, HasSubstr(message)) << ::testing::PrintToString(args);
    EXPECT_TRUE(run.Out.empty());
  }
  for (const char* out : {"s.csv", "e.csv", "w.csv", "m.log", "l.tr1", "t.mo1"}) EXPECT_FALSE(Exists(Path(out))) << out;
}

namespace {

// Speed scaled by a tenth, a value table with a quote, a unit with the separator in it (cp1252
// "°"), a 29-bit message, and a second file that tries to redefine 0x0A5.
const std::string kEngineDbc =
    "BO_ 165 Engine: 8 X\n"
    " SG_ Speed : 0|16@1+ (0.1,0) [0|0] \"rpm\" X\n"
    " SG_ Temp : 16|8@1- (1,0) [0|0] \"\xB0" "C;air\" X\n"
    " SG_ State : 63|8@0+ (1,0) [0|0] \"\" X\n"
    "BO_ 2566844926 Gateway: 8 X\n"
    " SG_ Load : 0|8@1+ (0.5,0) [0|0] \"%\" X\n"
    "VAL_ 165 State 5 \"Run \\\"fast\\\"\" ;\n";
const std::string kLaterDbc = "BO_ 165 Other: 8 X\n SG_ Whole : 0|64@1+ (1,0) [0|0] \"\" X\nBO_ 768 Third: 1 X\n SG_ B : 0|8@1- (1,0) [0|0] \"\" X\n";

TEST_F(CliFileTest, SignalsPrintsEveryPresentSignalInTraceOrder) {
  const std::string log = Write("bus.log",
                                "(1700000000.000000) can0 0A5#0102F60000000005\n"
                                "(1700000000.012500) can0 7FF#00\n"
                                "(1700000000.020000) can0 18FEF1FE#C8\n"
                                "(1700000000.030000) can0 300#FF\n"
                                "(1700000000.040000) can0 0A5#0102\n");
  const TCliRun run = Run({"signals", log, "--dbc", Write("engine.dbc", kEngineDbc), "--dbc", Write("later.dbc", kLaterDbc)});
  EXPECT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(run.Out,
            "Time;ID;Message;Signal;Value;Unit;Raw;Text\r\n"
            "0;0A5;Engine;Speed;51.300000000000004;rpm;513;\r\n"
            "0;0A5;Engine;Temp;-10;\"\xC2\xB0" "C;air\";-10;\r\n"
            "0;0A5;Engine;State;5;;5;\"Run \"\"fast\"\"\"\r\n"
            "20;18FEF1FE;Gateway;Load;100;%;200;\r\n"
            "30;300;Third;B;-1;;-1;\r\n"
            "40;0A5;Engine;Speed;51.300000000000004;rpm;513;\r\n");
  // The second file's 0x0A5 loses to the first, with a warning.
  EXPECT_THAT(run.Err, HasSubstr("warning: " + Path("later.dbc") + ":1:1: message Other left out"));

  // The same frames from a trace list file.
  ASSERT_EQ(Run({"convert", log, Path("bus.tr1")}).ExitStatus, 0);
  EXPECT_EQ(Run({"signals", Path("bus.tr1"), "--dbc", Path("engine.dbc"), "--dbc", Path("later.dbc")}).Out, run.Out);
}

TEST_F(CliFileTest, SignalsRefusesAnUnreadableDatabaseWithItsPosition) {
  const std::string log = Write("bus.log", "(1700000000.000000) can0 0A5#01\n");
  const TCliRun broken = Run({"signals", log, "--dbc", Write("broken.dbc", "BO_ 165 Engine: 8 X\n SG_ S : 0|8@1+ (1 0) [0|0] \"\" X\n")});
  EXPECT_EQ(broken.ExitStatus, 2);
  EXPECT_EQ(broken.Out, "");
  EXPECT_EQ(broken.Err, "ferrolux-cli: " + Path("broken.dbc") + ":2:20: expected ','\n");
  const TCliRun missing = Run({"signals", log, "--dbc", Path("none.dbc")});
  EXPECT_EQ(missing.ExitStatus, 2);
  EXPECT_EQ(missing.Err, "ferrolux-cli: " + Path("none.dbc") + ": cannot open: No such file or directory\n");
  EXPECT_EQ(Run({"signals", log}).ExitStatus, 2);
  EXPECT_EQ(Run({"signals", Write("bus.mo1", ""), "--dbc", Path("broken.dbc")}).ExitStatus, 2);
}

}  // namespace

// Bits on the wire of 123#00 (DLC 1) and 7E8#R (remote), counted as the frame-length code
// counts them; the command prints them per identifier and loads over the capture's span.
TEST_F(CliFileTest, StatsPrintsEachIdentifiersFiguresAndTheTotalAtTheStoredOrGivenBitRate) {
  const std::string log = Write("bus.log",
                                "(1700000000.000000) can0 123#00\n"
                                "(1700000000.100000) can0 7E8#R\n"
                                "(1700000000.200000) can0 123#00\n"
                                "(1700000001.000000) can0 123#00\n");
  TCanMsgProg data, remote;
  data.CanId = 0x123;
  data.DLC = 1;
  remote.CanId = 0x7E8;
  remote.RTR = true;
  const int dataBits = FrameBitsOnWire(data), remoteBits = FrameBitsOnWire(remote);
  const TCliRun given = Run({"stats", log, "--bitrate", "125"});
  ASSERT_EQ(given.ExitStatus, 0) << given.Err;
  const auto load = [](double bits, double rate) { return QByteArray::number(bits / rate * 100, 'f', 3).toStdString(); };
  EXPECT_EQ(given.Out, "ID;Count;Bits;Frames/s;Mean period ms;Min period ms;Max period ms;Std period ms;Load %\r\n"
                       "123;3;" + std::to_string(3 * dataBits) + ";3.000;500.000;200.000;800.000;424.264;" + load(3 * dataBits, 125'000) +
                           "\r\n"
                           "7E8;1;" + std::to_string(remoteBits) + ";1.000;;;;;" + load(remoteBits, 125'000) +
                           "\r\n"
                           "Total;4;" + std::to_string(3 * dataBits + remoteBits) + ";4.000;;;;;" +
                           load(3 * dataBits + remoteBits, 125'000) + "\r\n");
  // Without --bitrate the stored setting counts: 500 kbit/s on a fresh store.
  const TCliRun stored = Run({"stats", log});
  ASSERT_EQ(stored.ExitStatus, 0) << stored.Err;
  EXPECT_THAT(stored.Out, HasSubstr("Total;4;" + std::to_string(3 * dataBits + remoteBits) + ";4.000;;;;;" +
                                    load(3 * dataBits + remoteBits, 500'000) + "\r\n"));
  EXPECT_EQ(Run({"stats", log, "--bitrate", "0"}).ExitStatus, 2);
  EXPECT_EQ(Run({"stats", Path("missing.log")}).ExitStatus, 2);
}
