// The demo bus and its shipped database together: every periodic frame is known, and its
// signals move as the database's comments say.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "signals/DbcReader.h"
#include "signals/SignalCodec.h"
#include "signals/SignalDatabases.h"
#include "tools/sim/DemoScenario.h"

namespace {

// Values per "Message.Signal", and the value-table texts seen.
struct TSeen {
  std::map<std::string, std::vector<double>> Values;
  std::set<std::string> Texts;
  std::set<std::int64_t> Unknown;
};

TSeen DecodeDemo(const TSignalDatabases& databases, std::int64_t spanUs) {
  TDemoScenario demo;
  TSeen seen;
  std::vector<TSignalValue> values;
  for (auto frame = demo.Next(0); frame && frame->DueUs < spanUs; frame = demo.Next(0)) {
    const TMessageDef* message = databases.Find(frame->Msg);
    if (!message) {
      seen.Unknown.insert(frame->Msg.CanId);
      continue;
    }
    DecodeFrame(*message, frame->Msg, values);
    for (const TSignalValue& value : values) {
      const TSignalDef& signal = message->Signals[value.Signal];
      seen.Values[message->Name + "." + signal.Name].push_back(value.Value);
      if (const std::string* text = ValueText(signal, value.Raw)) seen.Texts.insert(*text);
    }
  }
  return seen;
}

TEST(DemoDatabase, DescribesTheDemoBusAndItsSignalsMove) {
  TSignalDatabases databases;
  std::vector<std::string> warnings;
  ASSERT_EQ(databases.Load(FERROLUX_DEMO_DBC, warnings), "");
  EXPECT_TRUE(warnings.empty());
  const TSeen seen = DecodeDemo(databases, 30'000'000);
  // Only the diagnostic answers (0x600 + target) are not described.
  for (std::int64_t id : seen.Unknown) EXPECT_EQ(id & ~0xFF, 0x600) << std::hex << id;

  const auto& speed = seen.Values.at("EngineData.EngineSpeed");  // a sine around 1500 rpm
  EXPECT_LT(*std::min_element(speed.begin(), speed.end()), 1000);
  EXPECT_GT(*std::max_element(speed.begin(), speed.end()), 2000);
  const auto& counter = seen.Values.at("EngineData.AliveCounter");  // 0..14 and round again
  EXPECT_EQ(std::vector<double>(counter.begin(), counter.begin() + 16),
            (std::vector<double>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0}));
  const auto& coolant = seen.Values.at("ClimateData.CoolantTemp");  // a ramp
  EXPECT_EQ(coolant.front(), 20);
  EXPECT_EQ(coolant.back(), 22);
  EXPECT_TRUE(std::is_sorted(coolant.begin(), coolant.end()));
  EXPECT_EQ(seen.Values.at("PowerData.RunningTime").back(), 29);
  EXPECT_THAT(seen.Texts, ::testing::IsSupersetOf({"Off", "Low", "High", "Auto", "Single", "FlowControl"}));
  EXPECT_EQ(seen.Values.at("GatewayStatus.GatewayCounter").size(), 300u);
}

}  // namespace
