// Our decoder against an independent one: Debian's python3-canmatrix decodes the same frames
// of the same DBC, and every signal's presence, raw value and physical value must agree.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "signals/DbcReader.h"
#include "signals/SignalCodec.h"
#include "signals/SignalText.h"
#include "support/TestData.h"

namespace {

struct TTheirValue {
  std::string Raw;
  double Physical = 0;
};
// Per frame, per signal name.
using TTheirDecoding = std::map<std::size_t, std::map<std::string, TTheirValue>>;

std::vector<TCanMsgProg> RandomFrames(const TDbcDatabase& db, int perMessage) {
  std::mt19937_64 random(20261209);
  std::vector<TCanMsgProg> frames;
  for (const TMessageDef& message : db.Messages)
    for (int i = 0; i < perMessage; ++i) {
      TCanMsgProg msg;
      msg.CanId = message.Id;
      msg.Extended = message.Extended;
      msg.DLC = 8;
      const std::uint64_t bits = random();
      for (std::size_t b = 0; b < 8; ++b) msg.Data[b] = static_cast<std::uint8_t>(bits >> (8 * b));
      if (message.Multiplexed) msg.Data[0] = static_cast<std::uint8_t>(i % 3);  // pages 0, 1 and one none selects
      frames.push_back(msg);
    }
  return frames;
}

TTheirDecoding DecodeWithCanmatrix(const QString& dbc, const std::vector<TCanMsgProg>& frames) {
  QTemporaryDir dir;
  const QString input = dir.filePath(QStringLiteral("frames.txt"));
  {
    std::ofstream out(input.toStdString());
    for (const TCanMsgProg& msg : frames) {
      out << msg.CanId << ' ' << (msg.Extended ? 1 : 0) << ' ';
      for (std::uint8_t byte : msg.Data) out << "0123456789abcdef"[byte >> 4] << "0123456789abcdef"[byte & 15];
      out << '\n';
    }
  }
  QProcess python;
  python.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral(FERROLUX_TEST_SOURCES "/signals/canmatrix_decode.py"), dbc, input});
  const bool finished = python.waitForFinished(60000);
  const QByteArray errors = python.readAllStandardError();
  if (!finished || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
    ADD_FAILURE() << "python3-canmatrix did not decode (install it with scripts/bootstrap.sh): " << errors.toStdString();
  TTheirDecoding decoded;
  std::istringstream lines(python.readAllStandardOutput().toStdString());
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string index, name, raw, physical;
    std::getline(fields, index, ';');
    std::getline(fields, name, ';');
    std::getline(fields, raw, ';');
    std::getline(fields, physical);
    decoded[std::stoul(index)][name] = {raw, std::stod(physical)};
  }
  return decoded;
}

TEST(CanmatrixCrossCheckTest, EverySignalOfEveryFrameAgrees) {
  const QString dbc = TestDataFile("signals/crosscheck.dbc");
  const TDbcRead read = ReadDbcFile(dbc.toStdString());
  ASSERT_TRUE(read.Database) << read.Error;
  const TDbcDatabase& db = *read.Database;
  ASSERT_TRUE(db.Warnings.empty());
  const std::vector<TCanMsgProg> frames = RandomFrames(db, 60);
  const TTheirDecoding theirs = DecodeWithCanmatrix(dbc, frames);
  ASSERT_EQ(theirs.size(), frames.size());

  std::size_t compared = 0;
  std::vector<TSignalValue> values;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const TMessageDef& message = *std::find_if(db.Messages.begin(), db.Messages.end(), [&](const TMessageDef& m) {
      return m.Id == frames[i].CanId && m.Extended == frames[i].Extended;
    });
    DecodeFrame(message, frames[i], values);
    const auto& their = theirs.at(i);
    ASSERT_EQ(values.size(), their.size()) << message.Name << " frame " << i;
    for (const TSignalValue& value : values) {
      const TSignalDef& signal = message.Signals[value.Signal];
      const auto found = their.find(signal.Name);
      ASSERT_NE(found, their.end()) << message.Name << "." << signal.Name << " frame " << i;
      if (signal.ValueType == TSignalValueType::Integer)
        EXPECT_EQ(RawDecimalText(signal, value.Raw), found->second.Raw) << message.Name << "." << signal.Name;
      else
        EXPECT_EQ(RawNumber(signal, value.Raw), std::stod(found->second.Raw)) << message.Name << "." << signal.Name;
      // canmatrix computes in decimal arithmetic; the double product may differ in the last bits.
      EXPECT_NEAR(value.Value, found->second.Physical, 1e-12 * std::max(1.0, std::fabs(value.Value)))
          << message.Name << "." << signal.Name;
      ++compared;
    }
  }
  EXPECT_GT(compared, 1000u);
}

}  // namespace
