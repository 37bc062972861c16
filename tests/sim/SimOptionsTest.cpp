#include <gtest/gtest.h>

#include "tools/sim/SimOptions.h"

namespace {
std::variant<TSimOptions, TSimOptionsError> Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "ferrolux-sim");
  return ParseSimOptions(static_cast<int>(args.size()), args.data());
}
}  // namespace

TEST(SimOptions, DefaultsAndEveryOption) {
  const auto defaults = std::get<TSimOptions>(Parse({}));
  EXPECT_EQ(defaults.Serial, "SIM00001");
  EXPECT_EQ(defaults.Description, "CAN-IF");
  EXPECT_TRUE(defaults.ReplayFile.empty());
  EXPECT_FALSE(defaults.Flood || defaults.Loop || defaults.Help);

  const auto set = std::get<TSimOptions>(
      Parse({"--serial", "AB12", "--description", "Tiny CAN", "--replay", "x.log", "--loop", "--verbose", "--record", "sent.log"}));
  EXPECT_EQ(set.RecordFile, "sent.log");
  EXPECT_EQ(set.Serial, "AB12");
  EXPECT_EQ(set.Description, "Tiny CAN");
  EXPECT_EQ(set.ReplayFile, "x.log");
  EXPECT_TRUE(set.Loop && set.Verbose);
  EXPECT_TRUE(std::get<TSimOptions>(Parse({"--flood"})).Flood);
  EXPECT_EQ(std::get<TSimOptions>(Parse({"--flood"})).FloodRate, 0) << "unbounded unless asked";
  EXPECT_EQ(std::get<TSimOptions>(Parse({"--flood", "--rate", "20000"})).FloodRate, 20'000);
  EXPECT_TRUE(std::get<TSimOptions>(Parse({"--help"})).Help);
  EXPECT_NE(SimUsage().find("--replay <FILE>"), std::string::npos);
  EXPECT_TRUE(std::get<TSimOptions>(Parse({"--version"})).Version);
}

TEST(SimOptions, Mistakes) {
  for (const auto& args : std::vector<std::vector<const char*>>{
           {"--serial"}, {"--serial", ""}, {"--replay"}, {"--record"}, {"--bogus"}, {"--loop"}, {"--flood", "--replay", "x.log"}, {"stray"},
           {"--rate", "100"}, {"--flood", "--rate"}, {"--flood", "--rate", "0"}, {"--flood", "--rate", "-5"},
           {"--flood", "--rate", "20k"}, {"--flood", "--rate", "1000001"}})
    EXPECT_TRUE(std::holds_alternative<TSimOptionsError>(Parse(args))) << args.front();
}
