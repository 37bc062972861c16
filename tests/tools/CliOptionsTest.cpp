#include <gtest/gtest.h>

#include "tools/cli/CliOptions.h"

namespace {

TEST(CliFrameText, ReadsTheCandumpForms) {
  const TCanMsgProg standard = ParseFrameText("123#11.22");
  EXPECT_EQ(standard.CanId, 0x123);
  EXPECT_FALSE(standard.Extended);
  EXPECT_EQ(standard.DLC, 2);
  EXPECT_EQ(standard.Data[1], 0x22);
  const TCanMsgProg extended = ParseFrameText("18daf110#");
  EXPECT_TRUE(extended.Extended);
  EXPECT_EQ(extended.CanId, 0x18DAF110);
  EXPECT_EQ(extended.DLC, 0);
  const TCanMsgProg remote = ParseFrameText("7FF#R4");
  EXPECT_TRUE(remote.RTR);
  EXPECT_EQ(remote.DLC, 4);
  for (const char* bad : {"123", "12#11", "800#", "20000000#", "123#1", "123#112233445566778899", "123#R9", "123#GG"})
    EXPECT_THROW((void)ParseFrameText(bad), TUsageError) << bad;
}

TEST(CliFrameText, WritesCandumpLogLines) {
  TCanMsgProg msg = ParseFrameText("00000007#0102030405060708");
  EXPECT_EQ(CandumpLine(msg, 1700000000, 42, "SIM00001"), "(1700000000.000042) SIM00001 00000007#0102030405060708");
  EXPECT_EQ(CandumpLine(ParseFrameText("07F#"), 1, 999999, "X"), "(1.999999) X 07F#");
  EXPECT_EQ(CandumpLine(ParseFrameText("123#R"), 0, 0, "X"), "(0.000000) X 123#R");
  EXPECT_EQ(CandumpLine(ParseFrameText("123#R3"), 0, 0, "X"), "(0.000000) X 123#R3");
  msg = ParseFrameText("123#AB");
  msg.Data[1] = 0xCD;  // bytes beyond the length are not written
  EXPECT_EQ(CandumpLine(msg, 0, 0, "X"), "(0.000000) X 123#AB");
}

TEST(CliOptions, DefaultsAndBusOptions) {
  const char* dump[] = {"dump", "S1", "--btr", "031c", "--code", "12345678", "--mask", "0000ffff", "--count", "5",
                        "--timeout", "1.5"};
  const TCliOptions options = ParseCliOptions(12, dump);
  EXPECT_EQ(options.BitRate, 0);
  EXPECT_EQ(options.Btr, 0x031C);
  EXPECT_EQ(options.Code, 0x12345678u);
  EXPECT_EQ(options.Mask, 0x0000FFFFu);
  EXPECT_EQ(options.Count, 5u);
  EXPECT_DOUBLE_EQ(options.TimeoutSeconds.value(), 1.5);
  const char* plain[] = {"dump", "S1"};
  const TCliOptions defaults = ParseCliOptions(2, plain);
  EXPECT_EQ(defaults.BitRate, 500);
  EXPECT_EQ(defaults.Mask, 0xFFFFFFFFu);
  EXPECT_FALSE(defaults.TimeoutSeconds);
}

}  // namespace
