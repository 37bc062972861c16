#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <optional>

#include "filters/HwFilterList.h"
#include "platform/UserMessage.h"
#include "storage/ListFileSupport.h"
#include "storage/MyRegValues.h"
#include "storage/ProjectDocument.h"
#include "storage/ProjectFiles.h"
#include "transmit/PredefinedMessageData.h"
#include "transmit/TriggerLogData.h"
#include "views/TrafficFixture.h"

namespace {

template <typename TRecord>
class TProjectPlainList : public TPlainList<TRecord>, public TProjectList {
 public:
  void Clear() override { this->ClearRows(); }
};

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// One window's worth of project lists and settings, with something in every list.
class ProjectFixture : public TrafficFixture {
 protected:
  ProjectFixture() {
    Store = std::make_unique<TZelCanRegIni>(nullptr, Dir.filePath(QStringLiteral("registry.reg")));
    ConfigureFerroluxRegIni(*Store);
    Settings = std::make_unique<TMyRegValues>(*Store);
    Project.Settings = Settings.get();
    Project.SoftwareFilterTree = &Views.IdFilter();
    Project.HardwareFilterTree = &Hw;
    Project.MonitorTree = &Views.Monitor();
    Project.TraceTree = &Views.Trace();
    Project.PredefinedMessagesTree = &Predefined;
    Project.LogMessageTree = &Log;
    Project.OnChangeName = [this](const QString& name) { Names.push_back(name); };
    Project.New();
    Names.clear();
  }

  void Fill(std::int64_t id) {
    Receive({Frame(id, 1), Frame(id + 1, 2)});
    THwFilterData filter;
    filter.Code = id;
    Hw.BeginLoad();
    Hw.AppendLoadedRow(&filter, TRowState::CheckBox(true));
    Hw.EndLoad();
    TPredefinedMessageData message;
    message.Message = Frame(id, 0);
    Predefined.Add(message, TRowState::CheckBox(true));
    TTriggerLogData entry;
    entry.Text.Set(QStringLiteral("sent %1").arg(id));
    Log.Add(entry, {});
  }

  // Row counts and first identifiers of all six lists, and the three settings.
  [[nodiscard]] std::vector<std::int64_t> Snapshot() {
    std::vector<std::int64_t> out;
    for (const TRowListBase* list : std::initializer_list<const TRowListBase*>{&Views.IdFilter(), &Hw, &Views.Monitor(), &Views.Trace(), &Predefined, &Log})
      out.push_back(static_cast<std::int64_t>(list->RowCount()));
    if (Views.Trace().RowCount()) out.push_back(Views.Trace().Row(0).Msg.CanId);
    if (Hw.RowCount()) out.push_back(Hw.Row(0).Code);
    out.insert(out.end(), {Settings->FCanBitRate, Settings->FCanBitRateBTR0, Settings->FCanBitRateBTR1});
    return out;
  }

  QString ProjectPath(const QString& name = QStringLiteral("bench.fxproj")) const { return Dir.filePath(name); }

  QTemporaryDir Dir;
  std::unique_ptr<TZelCanRegIni> Store;
  std::unique_ptr<TMyRegValues> Settings;
  THwFilterList Hw{{}, [] { return 2; }};
  TProjectPlainList<TPredefinedMessageData> Predefined;
  TProjectPlainList<TTriggerLogData> Log;
  TProjectDocument Project;
  std::vector<QString> Names;
};

const QStringList kSideFiles = {"bench.sf1", "bench.hf1", "bench.mo1", "bench.tr1", "bench.pm1", "bench.lm1"};

}  // namespace

TEST_F(ProjectFixture, SaveWritesTheXmlAndSixListFilesEvenWhenEmpty) {
  Project.Save(ProjectPath());
  const QDir side(Dir.filePath(QStringLiteral("bench_Data")));
  ASSERT_TRUE(side.exists());
  EXPECT_EQ(side.entryList(QDir::Files, QDir::Name), (QStringList{"bench.hf1", "bench.lm1", "bench.mo1", "bench.pm1", "bench.sf1", "bench.tr1"}));
  for (const QString& name : kSideFiles) EXPECT_EQ(QFileInfo(side.filePath(name)).size(), 16) << name.toStdString();
  EXPECT_EQ(Project.ProjectName(), ProjectPath());
  EXPECT_EQ(Names, std::vector<QString>{ProjectPath()});
  EXPECT_EQ(QDir(Dir.path()).entryList({"*.tmp", ".*"}, QDir::Files | QDir::Hidden), QStringList{});
}

TEST_F(ProjectFixture, XmlDeclaresUtf16AndHoldsTheBitRateForAnIndependentReader) {
  Project.Save(ProjectPath());
  const QByteArray bytes = FileBytes(ProjectPath());
  ASSERT_GE(bytes.size(), 4);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);

  QProcess python;
  python.start(QStringLiteral("python3"),
               {QStringLiteral("-c"), QStringLiteral("import sys, xml.etree.ElementTree as ET\n"
                                                     "raw = open(sys.argv[1], 'rb').read().decode('utf-16')\n"
                                                     "print(raw.splitlines()[0])\n"
                                                     "root = ET.parse(sys.argv[1]).getroot()\n"
                                                     "print(root.tag, *[e.tag + '=' + e.text for e in root.find('Settings')])\n"),
                ProjectPath()});
  ASSERT_TRUE(python.waitForFinished(30000));
  ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
  const QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'));
  EXPECT_EQ(lines.value(0), QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>"));
  EXPECT_EQ(lines.value(1), QStringLiteral("Project BaudRate=500 BTR0=128 BTR1=216"));
}

TEST_F(ProjectFixture, OpenBringsBackListsSettingsAndNameAlsoWithSeveralDots) {
  Fill(0x123);
  Settings->FCanBitRate = 0;
  Settings->FCanBitRateBTR0 = 0x03;
  Settings->FCanBitRateBTR1 = 0x1C;
  const QString path = ProjectPath(QStringLiteral("a.b.fxproj"));
  Project.Save(path);
  EXPECT_TRUE(QFileInfo::exists(Dir.filePath(QStringLiteral("a.b_Data/a.b.sf1"))));
  EXPECT_TRUE(QFileInfo::exists(Dir.filePath(QStringLiteral("a.b_Data/a.b.lm1"))));
  const std::vector<std::int64_t> saved = Snapshot();

  Project.New();
  Settings->FCanBitRate = 500;
  Fill(0x456);
  Fill(0x500);
  Names.clear();
  ASSERT_TRUE(Project.Open(path));
  EXPECT_EQ(Snapshot(), saved);
  EXPECT_EQ(Project.ProjectName(), path);
  EXPECT_EQ(Names, std::vector<QString>{path});
}

TEST_F(ProjectFixture, AProjectThatCannotBeReadChangesNothing) {
  Fill(0x123);
  Project.Save(ProjectPath());
  const QByteArray xml = FileBytes(ProjectPath());
  Project.New();
  Fill(0x777);
  Settings->FCanBitRate = 250;
  Project.SetProjectName(QStringLiteral("/before.fxproj"));
  Names.clear();
  const std::vector<std::int64_t> before = Snapshot();

  const auto expectUnchanged = [&](const char* what) {
    EXPECT_EQ(Snapshot(), before) << what;
    EXPECT_EQ(Project.ProjectName(), QStringLiteral("/before.fxproj")) << what;
    EXPECT_TRUE(Names.empty()) << what;
  };
  const QString side = Dir.filePath(QStringLiteral("bench_Data"));
  const auto reject = [&](const char* what, const std::string& message) {
    try {
      Project.Open(ProjectPath());
      ADD_FAILURE() << what << " was accepted";
    } catch (const std::exception& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << what << ": " << error.what();
    }
    expectUnchanged(what);
  };

  const QString xmlText = QString::fromUtf16(reinterpret_cast<const char16_t*>(xml.constData() + 2), (xml.size() - 2) / 2);
  const auto withXml = [&](const QString& text) {
    QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    WriteBytes(ProjectPath(), encoder.encode(text));
  };
  withXml(QString(xmlText).replace(QStringLiteral("<BTR1>216</BTR1>"), QString()));
  reject("missing BTR1", "'' is not a valid integer value");
  withXml(QString(xmlText).replace(QStringLiteral("<BTR0>128</BTR0>"), QStringLiteral("<BTR0>x80</BTR0>")));
  reject("non-numeric BTR0", "'x80' is not a valid integer value");
  withXml(QString(xmlText).replace(QStringLiteral("</Project>"), QString()));
  reject("unclosed root", "line");
  WriteBytes(ProjectPath(), xml);

  const QString trace = side + QStringLiteral("/bench.tr1");
  const QByteArray traceBytes = FileBytes(trace);
  WriteBytes(trace, traceBytes.left(traceBytes.size() - 5));
  reject("cut trace", "Stream read error");
  QFile::remove(trace);
  reject("missing trace", "Cannot open file");
  WriteBytes(trace, traceBytes);
  const QString log = side + QStringLiteral("/bench.lm1");
  const QByteArray logBytes = FileBytes(log);
  WriteBytes(log, QByteArray("not a list file"));
  reject("corrupt log", TreeFileMessage::kWrongFormat);
  WriteBytes(log, logBytes);

  std::vector<QString> messages;
  const TUserMessageHandler previous =
      SetUserMessageHandler([&](TUserMessageKind, const QString&, const QString& text) { messages.push_back(text); });
  ASSERT_TRUE(QDir(side).removeRecursively());
  EXPECT_FALSE(Project.Open(ProjectPath()));
  SetUserMessageHandler(previous);
  EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("Project data files not found!")});
  expectUnchanged("side folder deleted");
}

TEST_F(ProjectFixture, AFailedSaveKeepsTheOldFilesAndTheName) {
  Fill(0x123);
  Project.Save(ProjectPath());
  const QString side = Dir.filePath(QStringLiteral("bench_Data"));
  std::vector<QByteArray> old;
  for (const QString& name : kSideFiles) old.push_back(FileBytes(side + QLatin1Char('/') + name));
  const QByteArray oldXml = FileBytes(ProjectPath());

  Fill(0x456);
  Settings->FCanBitRate = 125;
  // The trace file cannot be replaced: a folder has taken its name.
  ASSERT_TRUE(QFile::remove(side + QStringLiteral("/bench.tr1")));
  ASSERT_TRUE(QDir(side).mkdir(QStringLiteral("bench.tr1")));
  old[3].clear();
  Project.SetProjectName(QStringLiteral("/before.fxproj"));
  EXPECT_THROW(Project.Save(ProjectPath()), std::exception);
  EXPECT_EQ(Project.ProjectName(), QStringLiteral("/before.fxproj"));
  EXPECT_TRUE(Names.size() == 1);  // the first, successful save only
  EXPECT_EQ(FileBytes(ProjectPath()), oldXml);
  for (int i = 0; i < kSideFiles.size(); ++i) EXPECT_EQ(FileBytes(side + QLatin1Char('/') + kSideFiles[i]), old[static_cast<std::size_t>(i)]) << i;
}

// The databases are an addition: absent when there are none, so older projects keep their
// bytes; passed over by the settings reader when present.
TEST(ProjectXmlDatabases, AnOptionalElementAfterTheSettings) {
  const TProjectBitRates bitRates{250, 0x03, 0x1C};
  EXPECT_EQ(ProjectXml(bitRates, {}), ProjectXml(bitRates));
  const QByteArray xml = ProjectXml(bitRates, {QStringLiteral("dbc/body.dbc"), QStringLiteral("/bus/\u00E9 chassis.dbc")});
  EXPECT_TRUE(QString::fromUtf16(reinterpret_cast<const char16_t*>(xml.constData() + 2), (xml.size() - 2) / 2)
                  .contains(QStringLiteral("<Databases>")));
  EXPECT_EQ(ParseProjectXml(xml), bitRates);
  EXPECT_EQ(ParseProjectDatabases(xml), (QStringList{"dbc/body.dbc", "/bus/\u00E9 chassis.dbc"}));
  EXPECT_TRUE(ParseProjectDatabases(ProjectXml(bitRates)).isEmpty());

  EXPECT_EQ(ProjectRelativePath("/p/bench.fxproj", "/p/dbc/body.dbc"), QStringLiteral("dbc/body.dbc"));
  EXPECT_EQ(ProjectRelativePath("/p/bench.fxproj", "/q/body.dbc"), QStringLiteral("/q/body.dbc"));
  EXPECT_EQ(ProjectAbsolutePath("/p/bench.fxproj", "dbc/body.dbc"), QStringLiteral("/p/dbc/body.dbc"));
  EXPECT_EQ(ProjectAbsolutePath("/p/bench.fxproj", "/q/body.dbc"), QStringLiteral("/q/body.dbc"));
}

// The plot as well: absent while nothing is plotted; read back in order; a signal whose
// identifier does not read, or does not fit its kind, is left out rather than plotted wrong.
TEST(ProjectXmlPlot, PlottedSignalsInOrderAndNothingThatDoesNotRead) {
  const TProjectBitRates bitRates{500, 0, 0x1C};
  EXPECT_EQ(ProjectXml(bitRates, {}, TProjectPlot{}), ProjectXml(bitRates));
  EXPECT_EQ(ParseProjectPlot(ProjectXml(bitRates)), TProjectPlot{});
  const TProjectPlot plot{{{0x1A5, false, "Speed"}, {0x18FEF100, true, "Wheel speed \u00E9"}, {0x7FF, false, "Temp"}}, true, 60};
  const QByteArray xml = ProjectXml(bitRates, {QStringLiteral("a.dbc")}, plot);
  EXPECT_EQ(ParseProjectPlot(xml), plot);
  EXPECT_EQ(ParseProjectXml(xml), bitRates);
  EXPECT_EQ(ParseProjectDatabases(xml), QStringList{"a.dbc"});

  const QByteArray odd =
      "<Project><Settings/><Plot Overlaid=\"yes\" Span=\"-4\">"
      "<Signal Id=\"800\" Extended=\"0\">TooBig</Signal><Signal Id=\"zz\" Extended=\"1\">NotHex</Signal>"
      "<Signal Id=\"20000000\" Extended=\"1\">Beyond</Signal><Signal Id=\"10\" Extended=\"1\"></Signal>"
      "<Signal Id=\"1f\" Extended=\"1\">Kept</Signal></Plot></Project>";
  const TProjectPlot read = ParseProjectPlot(odd);
  EXPECT_FALSE(read.Overlaid);
  EXPECT_EQ(read.SpanSeconds, TProjectPlot::kDefaultSpanSeconds);
  ASSERT_EQ(read.Signals.size(), 1U);
  EXPECT_EQ(read.Signals[0], (TSignalKey{0x1F, true, "Kept"}));
}
