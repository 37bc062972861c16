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
  for (int b : data) m.Data[i++] = static_cast<std::uint8_t>(b);
  return m;
}
}  // namespace

TEST(AsciiCommands, BitRateTableRegisterPairAndUnknownRate) {
  const std::pair<int, const char*> table[] = {{10, "S0"}, {20, "S1"}, {50, "S2"}, {100, "S3"}, {125, "S4"},
                                               {250, "S5"}, {500, "S6"}, {800, "S7"}, {1000, "S8"}};
  for (const auto& [rate, command] : table) EXPECT_EQ(BitRateCommand(static_cast<std::uint16_t>(rate), 0), command);
  EXPECT_EQ(BitRateCommand(0, 0x031C), "s031C");
  EXPECT_EQ(BitRateCommand(0, 0x0014), "s0014");
  EXPECT_EQ(BitRateCommand(0, 0x80D8), "s80D8");
  EXPECT_EQ(WithCR(BitRateCommand(83, 0x031C)), "\r") << "an unknown rate sends a lone CR";
}

TEST(AsciiCommands, AcceptanceCodeMaskAndFixedCommands) {
  EXPECT_EQ(WithCR(AcceptanceCodeCommand(0)), "M00000000\r");
  EXPECT_EQ(AcceptanceCodeCommand(0x12345678), "M12345678");
  EXPECT_EQ(AcceptanceMaskCommand(0xFFFFFFFF), "mFFFFFFFF");
  EXPECT_EQ(AcceptanceMaskCommand(0xabcdef01), "mABCDEF01");
  EXPECT_EQ(WithCR(TimeStampsOnCommand), "Z1\r");
  EXPECT_EQ(WithCR(OpenCommand), "O\r");
  EXPECT_EQ(WithCR(CloseCommand), "C\r");
  EXPECT_EQ(WithCR(VersionCommand), "V\r");
}

TEST(AsciiTransmit, FourFrameKinds) {
  EXPECT_EQ(TransmitLine(Frame(0x123, false, false, 2, {0x11, 0x22})), "t12321122");
  EXPECT_EQ(TransmitLine(Frame(0x18DAF110, true, true, 8)), "R18DAF1108");
  EXPECT_EQ(TransmitLine(Frame(0x123, false, true, 4, {1, 2, 3, 4})), "r1234") << "no data after the length";
  EXPECT_EQ(TransmitLine(Frame(0x123, false, false, 0)), "t1230");
  EXPECT_EQ(TransmitLine(Frame(0x7, false, false, 0)), "t0070");
  EXPECT_EQ(TransmitLine(Frame(0x7, true, false, 1, {0xAB})), "T000000071AB");
  EXPECT_EQ(TransmitLine(Frame(0x1234, false, false, 0)), "t12340") << "more digits when needed";
}

TEST(AsciiTransmit, FaultyLengthNeverReadsPastTheDataBytes) {
  const std::string line = TransmitLine(Frame(0x100, false, false, 12, {1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(line, "t100120102030405060708");
}

TEST(AsciiReplies, AcceptedAcknowledgedAndVersion) {
  EXPECT_TRUE(IsAccepted("\r"));
  EXPECT_FALSE(IsAccepted("\a"));
  EXPECT_FALSE(IsAccepted(""));
  EXPECT_FALSE(IsAccepted("\r\r"));
  EXPECT_FALSE(IsAccepted("x\r"));
  EXPECT_TRUE(IsAcknowledged("z\r"));
  EXPECT_FALSE(IsAcknowledged(""));
  EXPECT_EQ(VersionText("  V1013\r"), "V1013");
  EXPECT_EQ(VersionText("\r"), "");
  EXPECT_EQ(VersionText("\tV 2 1\x7f\r"), "V 2 1");
}

TEST(AsciiDecode, FrameLinesOfEachKind) {
  auto m = DecodeFrameLine("t1232112204D2\r");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, 0x123);
  EXPECT_EQ(m->len, 2);
  EXPECT_EQ(m->data[0], 0x11);
  EXPECT_EQ(m->data[1], 0x22);
  EXPECT_EQ(m->data[2], 0);
  EXPECT_EQ(m->timestamp, 1234);
  EXPECT_EQ(m->flags, 0);

  m = DecodeFrameLine("t7FF0EA5F\r");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, 0x7FF);
  EXPECT_EQ(m->len, 0);
  EXPECT_EQ(m->timestamp, 0xEA5F);

  m = DecodeFrameLine("r1234FFFF\r");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->flags, kCanMsgFlagRemote);
  EXPECT_EQ(m->len, 4);
  EXPECT_EQ(m->data[0], 0) << "remote frames carry no data";
  EXPECT_EQ(m->timestamp, 0xFFFF);

  m = DecodeFrameLine("T18DAF1108112233445566778800FF\r");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, 0x18DAF110);
  EXPECT_EQ(m->flags, kCanMsgFlagExtended);
  EXPECT_EQ(m->data[7], 0x88);
  EXPECT_EQ(m->timestamp, 0xFF);

  m = DecodeFrameLine("R18DAF11080010\r");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->flags, kCanMsgFlagExtended | kCanMsgFlagRemote);
  EXPECT_EQ(m->len, 8);
  EXPECT_EQ(m->timestamp, 0x10);
}

TEST(AsciiDecode, LowerCaseShortLinesAndMissingTimeStamp) {
  auto m = DecodeFrameLine("t1ab2aabb04d2\r");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, 0x1AB);
  EXPECT_EQ(m->data[0], 0xAA);
  EXPECT_EQ(m->timestamp, 0x4D2);

  m = DecodeFrameLine("t12321122\r");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->timestamp, 0) << "no time stamp decodes as 0";

  m = DecodeFrameLine("t1238112\r");
  ASSERT_TRUE(m) << "a line shorter than its fields still decodes";
  EXPECT_EQ(m->data[0], 0x11);
  EXPECT_EQ(m->data[1], 0x02);
  EXPECT_EQ(m->data[2], 0);
}

TEST(AsciiDecode, NonFrameLinesAreDropped) {
  EXPECT_FALSE(DecodeFrameLine("z\r"));
  EXPECT_FALSE(DecodeFrameLine("Z\r"));
  EXPECT_FALSE(DecodeFrameLine("\r"));
  EXPECT_FALSE(DecodeFrameLine(""));
  EXPECT_FALSE(DecodeFrameLine("V1013\r"));
  EXPECT_FALSE(DecodeFrameLine("t123\r")) << "missing length digit";
  EXPECT_FALSE(DecodeFrameLine("t123x11\r")) << "length is not a digit";
  EXPECT_FALSE(DecodeFrameLine("T1234\r"));
  EXPECT_FALSE(DecodeFrameLine(std::string_view("\0t1231\r", 7)));
}

TEST(AsciiDecode, LengthAboveEightTakesEightBytes) {
  const auto m = DecodeFrameLine("t12390102030405060708090001\r");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->len, 9);
  EXPECT_EQ(m->data[7], 0x08);
  EXPECT_EQ(m->timestamp, 0x0001) << "time stamp read after nine byte pairs";
}

TEST(AsciiRoundTrip, TransmitLineDecodesToTheSameFrame) {
  for (bool ext : {false, true})
    for (bool rtr : {false, true})
      for (int dlc : {0, 1, 8}) {
        const TCanMsgProg sent = Frame(ext ? 0x1FFFFFFF : 0x7FF, ext, rtr, dlc, {0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3, 4});
        const auto got = DecodeFrameLine(TransmitLine(sent) + "1F40\r");
        ASSERT_TRUE(got);
        const TCanMsgProg back = CanMsgToProg(*got);
        EXPECT_EQ(back.CanId, sent.CanId);
        EXPECT_EQ(back.Extended, ext);
        EXPECT_EQ(back.RTR, rtr);
        EXPECT_EQ(back.DLC, dlc);
        EXPECT_EQ(back.Time, 0x1F40);
        if (!rtr) {
          for (int i = 0; i < dlc; ++i) EXPECT_EQ(back.Data[i], sent.Data[i]);
        }
      }
}

// Adapter side: what a simulated adapter writes and how strictly it reads transmit lines.

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
