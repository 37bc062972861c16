#include <gtest/gtest.h>

#include "CanPackage/source/AsciiProtocol.h"

using namespace AsciiProtocol;

namespace {
TCanMsgProg Frame(std::int64_t id, bool ext, bool rtr, int dlc, std::initializer_list<int> data = {}) {
  TCanMsgProg m;
  m.CanId = id;
  m.Extended = ext;
  m.RTR = rtr;
  m.DLC = dlc;
  int i = 0;
  for (int b : data) m.Data[static_cast<std::size_t>(i++)] = static_cast<std::uint8_t>(b);
  return m;
}
}  // namespace

TEST(AsciiFrameLine, WrittenLinesDecodeBackForEveryKind) {
  EXPECT_EQ(FrameLine(Frame(0x123, false, false, 2, {0x11, 0x22}), 1234), "t1232112204D2\r");
  EXPECT_EQ(FrameLine(Frame(0x123, false, false, 2, {0x11, 0x22}), std::nullopt), "t12321122\r");
  EXPECT_EQ(FrameLine(Frame(0x7FF, false, false, 0), 0xEA5F), "t7FF0EA5F\r");
  const TCanMsgProg frames[] = {Frame(0x123, false, false, 8, {1, 2, 3, 4, 5, 6, 7, 8}), Frame(0x7, false, true, 3),
                                Frame(0x18DAF110, true, false, 1, {0xAB}), Frame(0x1FFFFFFF, true, true, 8)};
  for (const TCanMsgProg& frame : frames) {
    const auto decoded = DecodeFrameLine(FrameLine(frame, 0x0ABC));
    ASSERT_TRUE(decoded) << TransmitLine(frame);
    EXPECT_EQ(CanMsgToProg(*decoded).CanId, frame.CanId);
    EXPECT_EQ(CanMsgToProg(*decoded).Extended, frame.Extended);
    EXPECT_EQ(CanMsgToProg(*decoded).RTR, frame.RTR);
    EXPECT_EQ(decoded->len, frame.DLC);
    if (!frame.RTR) {
      EXPECT_EQ(CanMsgToProg(*decoded).Data, frame.Data);
    }
    EXPECT_EQ(decoded->timestamp, 0x0ABC);
  }
}

TEST(AsciiTransmitParse, StrictReadingOfTransmitLines) {
  const auto t = ParseTransmitLine("t12321122");
  ASSERT_TRUE(t);
  EXPECT_EQ(TransmitLine(*t), "t12321122");
  const auto lower = ParseTransmitLine("T18daf1102abcd");
  ASSERT_TRUE(lower);
  EXPECT_EQ(lower->CanId, 0x18DAF110);
  EXPECT_EQ(lower->Data[1], 0xCD);
  const auto remote = ParseTransmitLine("r7FF8");
  ASSERT_TRUE(remote);
  EXPECT_TRUE(remote->RTR);
  EXPECT_EQ(remote->DLC, 8);
  for (const char* line : {"", "t", "t123", "t1239", "t12311", "t1231123", "t1231G1", "t8000", "t-120", "r12340",
                           "T1FFFFFFF", "T200000000", "R1234567", "x1230", "t 1230"})
    EXPECT_FALSE(ParseTransmitLine(line)) << '"' << line << '"';
}

TEST(AsciiTransmitParse, StrictHex) {
  EXPECT_EQ(ParseHexStrict("0"), 0u);
  EXPECT_EQ(ParseHexStrict("aBcD"), 0xABCDu);
  EXPECT_EQ(ParseHexStrict("FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_FALSE(ParseHexStrict(""));
  EXPECT_FALSE(ParseHexStrict("123456789"));
  EXPECT_FALSE(ParseHexStrict("12 3"));
  EXPECT_FALSE(ParseHexStrict("0x12"));
}
