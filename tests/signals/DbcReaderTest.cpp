// The DBC reader: every statement it uses, the encodings, the refusals with their position and
// the signals it leaves out with a warning.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <fstream>

#include "signals/DbcReader.h"
#include "signals/SignalDatabases.h"
#include "tests/signals/DbcText.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const TMessageDef& MessageNamed(const TDbcDatabase& db, const std::string& name) {
  for (const TMessageDef& message : db.Messages)
    if (message.Name == name) return message;
  throw std::runtime_error("no message " + name);
}

const TSignalDef& SignalNamed(const TMessageDef& message, const std::string& name) {
  for (const TSignalDef& signal : message.Signals)
    if (signal.Name == name) return signal;
  throw std::runtime_error("no signal " + name);
}

std::string ErrorOf(const std::string& text) {
  try {
    (void)ParseDbc(text, "bus.dbc");
  } catch (const EDbcError& error) {
    return error.what();
  }
  return "read without error";
}

TEST(DbcReaderTest, ReadsEveryStatementOfARealWorldFile) {
  const TDbcDatabase db = ParseDbc(kFullDbc, "full.dbc");
  EXPECT_EQ(db.Version, "1.0");
  EXPECT_THAT(db.Nodes, ElementsAre("Engine", "Dash", "Gateway", "Log"));
  EXPECT_EQ(db.Comment, "Demo bus; a \"quoted\" word");
  ASSERT_EQ(db.ValueTables.size(), 1u);
  EXPECT_EQ(db.ValueTables[0].first, "States");
  EXPECT_EQ(db.ValueTables[0].second, (TValueTable{{-1, "Invalid"}, {0, "Off"}}));
  ASSERT_EQ(db.Messages.size(), 5u);

  const TMessageDef& engine = MessageNamed(db, "EngineData");
  EXPECT_EQ(engine.Id, 0x0A5u);
  EXPECT_FALSE(engine.Extended);
  EXPECT_EQ(engine.Size, 8);
  EXPECT_THAT(engine.Transmitters, ElementsAre("Engine", "Gateway"));  // BO_ and BO_TX_BU_
  EXPECT_EQ(engine.Comment, "Engine state; sent every 10 ms");
  EXPECT_EQ(engine.CycleTime, 10);
  ASSERT_EQ(engine.Signals.size(), 3u);

  const TSignalDef& speed = SignalNamed(engine, "EngineSpeed");
  EXPECT_EQ(speed.StartBit, 0);
  EXPECT_EQ(speed.Length, 16);
  EXPECT_EQ(speed.Order, TByteOrder::Intel);
  EXPECT_FALSE(speed.Signed);
  EXPECT_DOUBLE_EQ(speed.Factor, 0.25);
  EXPECT_DOUBLE_EQ(speed.Offset, 0);
  EXPECT_DOUBLE_EQ(speed.Maximum, 16383.75);
  EXPECT_EQ(speed.Unit, "rpm");
  EXPECT_THAT(speed.Receivers, ElementsAre("Dash", "Log"));
  EXPECT_EQ(speed.Comment, "Crankshaft speed");
  EXPECT_EQ(speed.StartValue, 0.0);  // the default of GenSigStartValue

  const TSignalDef& temp = SignalNamed(engine, "OilTemp");
  EXPECT_EQ(temp.Order, TByteOrder::Motorola);
  EXPECT_TRUE(temp.Signed);
  EXPECT_DOUBLE_EQ(temp.Offset, -40);
  EXPECT_DOUBLE_EQ(temp.Factor, 1e-1);
  EXPECT_EQ(temp.Unit, "\xC2\xB0" "C");  // cp1252 0xB0 read as UTF-8 "°"
  EXPECT_EQ(temp.StartValue, 400.0);     // its own BA_
  EXPECT_TRUE(temp.Receivers.empty());   // Vector__XXX

  const TSignalDef& state = SignalNamed(engine, "State");
  ASSERT_EQ(state.Values.size(), 3u);
  EXPECT_EQ(state.Values[0], (std::pair<std::int64_t, std::string>{-1, "Invalid"}));
  EXPECT_EQ(state.Values[2], (std::pair<std::int64_t, std::string>{2, "Running"}));

  const TMessageDef& gateway = MessageNamed(db, "GatewayStatus");
  EXPECT_TRUE(gateway.Extended);
  EXPECT_EQ(gateway.Id, 0x18FEF1FEu);  // 2566844926 with bit 31 removed
  EXPECT_EQ(gateway.CycleTime, 100);   // the BA_DEF_DEF_ default
  EXPECT_EQ(SignalNamed(gateway, "Level").ValueType, TSignalValueType::Float);
  EXPECT_EQ(SignalNamed(MessageNamed(db, "Odometer"), "Total").ValueType, TSignalValueType::Double);

  const TMessageDef& fd = MessageNamed(db, "FdFrame");
  EXPECT_TRUE(fd.CanFd);  // VFrameFormat index 14 = "StandardCAN_FD"
  EXPECT_FALSE(fd.Decodable);
  const TMessageDef& big = MessageNamed(db, "Big");
  EXPECT_FALSE(big.Decodable);
  EXPECT_EQ(big.Signals.size(), 1u);  // kept, not checked

  // EV_, ENVVAR_DATA_, SGTYPE_, SIG_GROUP_, BA_DEF_REL_, VAL_ of an environment variable.
  EXPECT_EQ(db.SkippedStatements, 6u);
  EXPECT_THAT(db.Warnings, ElementsAre(HasSubstr("full.dbc:"), HasSubstr("full.dbc:")));
  EXPECT_THAT(db.Warnings[0], HasSubstr("message FdFrame is a CAN FD frame: kept, not decoded"));
  EXPECT_THAT(db.Warnings[1], HasSubstr("message Big has 64 bytes: kept, not decoded"));
}

TEST(DbcReaderTest, MultiplexIndicatorsAndMultiplexValues) {
  const TDbcDatabase db = ParseDbc(kMultiplexDbc, "mux.dbc");
  const TMessageDef& simple = MessageNamed(db, "Simple");
  EXPECT_TRUE(simple.Multiplexed);
  const TSignalDef& selector = SignalNamed(simple, "Page");
  EXPECT_TRUE(selector.Multiplexor);
  EXPECT_EQ(selector.Selector, -1);
  const TSignalDef& a = SignalNamed(simple, "PageOneValue");
  EXPECT_EQ(a.Selector, 0);
  ASSERT_EQ(a.MuxRanges.size(), 1u);
  EXPECT_EQ(a.MuxRanges[0].First, 1u);
  EXPECT_EQ(a.MuxRanges[0].Last, 1u);

  const TMessageDef& extended = MessageNamed(db, "Extended");
  const TSignalDef& second = SignalNamed(extended, "Second");
  EXPECT_TRUE(second.Multiplexor);
  EXPECT_EQ(second.MuxValue, 1u);  // m1M
  const TSignalDef& deep = SignalNamed(extended, "Deep");
  EXPECT_EQ(extended.Signals[static_cast<std::size_t>(deep.Selector)].Name, "Second");
  ASSERT_EQ(deep.MuxRanges.size(), 2u);
  EXPECT_EQ(deep.MuxRanges[0].First, 3u);
  EXPECT_EQ(deep.MuxRanges[0].Last, 5u);
  EXPECT_EQ(deep.MuxRanges[1].First, 9u);
  // A multiplexer value beyond 32 bits stays whole.
  const TSignalDef& wide = SignalNamed(MessageNamed(db, "WideMux"), "Wide");
  EXPECT_EQ(wide.MuxRanges.at(0).First, 4294967296u);
}

TEST(DbcReaderTest, RefusesABrokenFileWithItsPosition) {
  EXPECT_EQ(ErrorOf("VERSION \"\"\n\nBO_ 100 Engine 8 Engine\n"), "bus.dbc:3:16: expected ':'");
  EXPECT_EQ(ErrorOf("BO_ 100 E: 8 X\n SG_ S : 0|8@2+ (1,0) [0|0] \"\" X\n"), "bus.dbc:2:14: expected the byte order 0 or 1");
  EXPECT_EQ(ErrorOf("BO_ 100 E: 8 X\n SG_ S : 0|8@1+ (1,0) [0|0] \"unit\n"), "bus.dbc:3:1: expected '\"' closing the text");
  EXPECT_EQ(ErrorOf("BO_ 100 E: 8 X\n SG_ S : 0|8@1+ (1,x) [0|0] \"\" X\n"), "bus.dbc:2:20: expected the offset");
  EXPECT_EQ(ErrorOf(" SG_ S : 0|8@1+ (1,0) [0|0] \"\" X\n"), "bus.dbc:1:2: expected BO_ before the first SG_");
  EXPECT_EQ(ErrorOf("CM_ BO_ 100 \"never ended\""), "bus.dbc:1:26: expected ';'");
  EXPECT_EQ(ErrorOf("EV_ Unfinished: 0 [0|0]"), "bus.dbc:1:24: expected ';' ending the statement");
  EXPECT_EQ(ErrorOf("\x7F\x45LF\x02\x01"), "bus.dbc:1:1: expected a statement keyword");
  EXPECT_EQ(ErrorOf("BO_ 100 E: 8 X\n SG_ S x1 : 0|8@1+ (1,0) [0|0] \"\" X\n"),
            "bus.dbc:2:8: expected a multiplex indicator M, mN or mNM");
  EXPECT_EQ(ErrorOf("BO_ 100 E: 8 X\n SG_ S : 0|8@1+ (1e999,0) [0|0] \"\" X\n"), "bus.dbc:2:18: expected the factor");
  // Columns count characters: after a UTF-8 byte-order mark, "°" is one.
  EXPECT_EQ(ErrorOf("\xEF\xBB\xBF" "CM_ \"\xC2\xB0\" x;"), "bus.dbc:1:9: expected ';'");
}

TEST(DbcReaderTest, LeavesOutSignalsThatCannotBeDecoded) {
  const TDbcDatabase db = ParseDbc(kHostileDbc, "bad.dbc");
  const TMessageDef& message = MessageNamed(db, "Bad");
  std::vector<std::string> kept;
  for (const TSignalDef& signal : message.Signals) kept.push_back(signal.Name);
  EXPECT_THAT(kept, ElementsAre("Good", "Selected"));
  EXPECT_THAT(db.Warnings,
              ElementsAre("bad.dbc:3:1: signal Empty of message Bad left out: length 0 outside 1..64",
                          "bad.dbc:4:1: signal Huge of message Bad left out: length 1000000 outside 1..64",
                          "bad.dbc:5:1: signal Far of message Bad left out: start bit 10000 outside the 8 data bytes",
                          "bad.dbc:6:1: signal Over of message Bad left out: bits outside the 8 data bytes",
                          "bad.dbc:7:1: signal Flat of message Bad left out: factor 0",
                          "bad.dbc:8:1: signal ShortFloat of message Bad left out: a float needs 32 bits",
                          "bad.dbc:9:1: signal Orphan of message Bad left out: its multiplexor Nobody is not a multiplexor of the message",
                          "bad.dbc:10:1: signal LoopA of message Bad left out: its selectors go round or deeper than 16",
                          "bad.dbc:11:1: signal LoopB of message Bad left out: its multiplexor LoopA is left out",
                          "bad.dbc:15:1: signal MotorolaOver of message Bad left out: bits outside the 8 data bytes"));
  EXPECT_EQ(message.Signals[1].Selector, 0);  // remapped after the left-out ones
}

TEST(DbcReaderTest, TheFirstDefinitionOfAnIdentifierWins) {
  const TDbcDatabase db = ParseDbc("BO_ 100 First: 8 X\n SG_ A : 0|8@1+ (1,0) [0|0] \"\" X\n"
                                   " SG_ A : 8|8@1+ (1,0) [0|0] \"\" X\n"
                                   "BO_ 100 Second: 8 X\n SG_ B : 0|8@1+ (1,0) [0|0] \"\" X\n",
                                   "dup.dbc");
  ASSERT_EQ(db.Messages.size(), 1u);
  EXPECT_EQ(db.Messages[0].Name, "First");
  EXPECT_EQ(db.Messages[0].Signals.size(), 1u);
  EXPECT_EQ(db.Messages[0].Signals[0].StartBit, 0);
  EXPECT_THAT(db.Warnings, ElementsAre("dup.dbc:3:6: signal A of message First left out: defined twice",
                                       "dup.dbc:4:1: message Second left out: its identifier is already defined by First"));

  TSignalDatabases set;
  std::vector<std::string> warnings;
  set.Add(ParseDbc("BO_ 2147483748 Ext: 8 X\nBO_ 100 Std: 8 X\n", "a.dbc"), warnings);
  set.Add(ParseDbc("BO_ 100 Later: 8 X\nBO_ 200 Other: 8 X\n", "b.dbc"), warnings);
  EXPECT_EQ(set.Find(100, false)->Name, "Std");
  EXPECT_EQ(set.Find(100, true)->Name, "Ext");  // 29-bit 0x64 is another identifier
  EXPECT_EQ(set.Find(200, false)->Name, "Other");
  EXPECT_EQ(set.Find(300, false), nullptr);
  EXPECT_THAT(warnings, ElementsAre("b.dbc:1:1: message Later left out: its identifier is already defined by Std"));
}

TEST(DbcReaderTest, EncodingsAndIdentifiers) {
  // Windows-1252 is the default: 0x80 is the euro sign, 0xB5 the micro sign.
  const TDbcDatabase cp1252 = ParseDbc("BO_ 1 M: 8 X\n SG_ S : 0|8@1+ (1,0) [0|0] \"\x80/\xB5s\" X\n", "a.dbc");
  EXPECT_EQ(cp1252.Messages[0].Signals[0].Unit, "\xE2\x82\xAC/\xC2\xB5s");
  // With a byte-order mark the text is UTF-8 and stays as it is.
  const TDbcDatabase utf8 = ParseDbc("\xEF\xBB\xBF" "BO_ 1 M: 8 X\n SG_ S : 0|8@1+ (1,0) [0|0] \"\xC2\xB0" "C\" X\n", "b.dbc");
  EXPECT_EQ(utf8.Messages[0].Signals[0].Unit, "\xC2\xB0" "C");

  const TDbcDatabase ids = ParseDbc("BO_ 2047 Top: 8 X\nBO_ 2048 Above: 8 X\nBO_ 2684354559 Max: 8 X\n"
                                    "BO_ 3221225472 VECTOR__INDEPENDENT_SIG_MSG: 0 Vector__XXX\n"
                                    " SG_ Loose : 0|8@1+ (1,0) [0|0] \"\" X\n"
                                    "CM_ SG_ 3221225472 Loose \"belongs to no message\";\n"
                                    "VAL_ 3221225472 Loose 0 \"Zero\" ;\n"
                                    "CM_ BO_ 99 \"nobody\";\n",
                                    "ids.dbc");
  ASSERT_EQ(ids.Messages.size(), 3u);
  EXPECT_FALSE(ids.Messages[0].Extended);
  EXPECT_TRUE(ids.Messages[1].Extended);  // no 11-bit identifier is that large
  EXPECT_EQ(ids.Messages[2].Id, 0x1FFFFFFFu);
  EXPECT_THAT(ids.Warnings, ElementsAre("ids.dbc:2:1: message Above: identifier 2048 is above 11 bits and taken as 29-bit",
                                        "ids.dbc:8:5: no message 99 for this statement"));
}

TEST(DbcReaderTest, AHundredThousandSignalsInOneMessage) {
  std::string text = "BO_ 1 Many: 8 X\n";
  for (int i = 0; i < 100000; ++i) text += " SG_ S" + std::to_string(i) + " : " + std::to_string(i % 64) + "|1@1+ (1,0) [0|1] \"\" X\n";
  const TDbcDatabase db = ParseDbc(text, "many.dbc");
  EXPECT_EQ(db.Messages[0].Signals.size(), 100000u);
  EXPECT_TRUE(db.Warnings.empty());
}

TEST(DbcReaderTest, ReadsFilesAndKeepsWhatWasLoadedWhenOneIsRefused) {
  QTemporaryDir dir;
  const std::string good = dir.filePath(QStringLiteral("good.dbc")).toStdString();
  const std::string bad = dir.filePath(QStringLiteral("bad.dbc")).toStdString();
  std::ofstream(good) << "BO_ 100 Good: 8 X\n SG_ A : 0|8@1+ (1,0) [0|0] \"\" X\n";
  std::ofstream(bad) << "BO_ 200 Bad 8 X\n";
  TSignalDatabases set;
  std::vector<std::string> warnings;
  EXPECT_EQ(set.Load(good, warnings), "");
  EXPECT_EQ(set.Load(bad, warnings), bad + ":1:13: expected ':'");
  EXPECT_EQ(set.Load(dir.filePath(QStringLiteral("none.dbc")).toStdString(), warnings),
            dir.filePath(QStringLiteral("none.dbc")).toStdString() + ": cannot open: No such file or directory");
  EXPECT_EQ(set.FileCount(), 1u);
  EXPECT_NE(set.Find(100, false), nullptr);
  EXPECT_EQ(set.Find(200, false), nullptr);
}

}  // namespace

namespace {

// A hostile file of one long line with many statements that each warn: read in linear time.
TEST(DbcReaderTest, OneLongLineOfWarningsReadsQuickly) {
  std::string text = "BO_ 1 M: 8 X";
  for (int i = 0; i < 100000; ++i) text += " CM_ BO_ 7 \"\";";
  const auto start = std::chrono::steady_clock::now();
  const TDbcDatabase db = ParseDbc(text, "long.dbc");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_EQ(db.Warnings.size(), 100000u);
  EXPECT_EQ(db.Warnings.back(), "long.dbc:1:" + std::to_string(12 + 99999 * 14 + 6) + ": no message 7 for this statement");
}

}  // namespace

namespace {

TEST(DbcReaderTest, AttributeNumbersNoIntegerHoldsAreNoCycleTimeOrEnumIndex) {
  const TDbcDatabase db = ParseDbc("BO_ 1 M: 8 X\nBO_ 2 N: 8 X\n"
                                   "BA_DEF_ BO_ \"VFrameFormat\" ENUM \"StandardCAN\",\"StandardCAN_FD\";\n"
                                   "BA_ \"GenMsgCycleTime\" BO_ 1 1e300;\nBA_ \"VFrameFormat\" BO_ 1 -1e300;\n"
                                   "BA_ \"GenMsgCycleTime\" BO_ 2 -20;\nBA_ \"VFrameFormat\" BO_ 2 1;\n",
                                   "attr.dbc");
  EXPECT_FALSE(db.Messages[0].CycleTime);
  EXPECT_FALSE(db.Messages[0].CanFd);
  EXPECT_EQ(db.Messages[1].CycleTime, -20);
  EXPECT_TRUE(db.Messages[1].CanFd);
}

}  // namespace
