#include <gtest/gtest.h>

#include <sstream>

#include "model/CandumpLog.h"

TEST(CandumpLog, FirstLinesOfTheBodyBusCapture) {
  std::istringstream in(
      "(62.411844) can0 2BF#000000\n"
      "(62.447936) can0 1A6#000000000000A0F9\n"
      "(62.449000) can0 1B9#00FF\n"
      "(62.449752) can0 281#25F3\n"
      "(62.450796) can0 2C4#0000FF64646400F0\n");
  const TCandumpLog log = ReadCandumpLog(in);
  ASSERT_EQ(log.Frames.size(), 5u);
  EXPECT_EQ(log.SkippedLines, 0u);
  EXPECT_EQ(log.Frames[0].TimeUs, 62'411'844);
  EXPECT_EQ(log.Frames[0].Msg.CanId, 0x2BF);
  EXPECT_EQ(log.Frames[0].Msg.DLC, 3);
  EXPECT_FALSE(log.Frames[0].Msg.Extended);
  const TCanMsgProg& full = log.Frames[1].Msg;
  EXPECT_EQ(full.DLC, 8);
  EXPECT_EQ(full.Data[6], 0xA0);
  EXPECT_EQ(full.Data[7], 0xF9);
  EXPECT_EQ(log.Frames[4].TimeUs - log.Frames[0].TimeUs, 38'952);
}

TEST(CandumpLog, OtherFrameKinds) {
  auto ext = ParseCandumpLine("(1436509052.249713) vcan0 18DAF110#0102");
  ASSERT_TRUE(ext);
  EXPECT_TRUE(ext->Msg.Extended);
  EXPECT_EQ(ext->Msg.CanId, 0x18DAF110);
  EXPECT_EQ(ext->TimeUs, 1436509052249713);
  auto remote = ParseCandumpLine("(0.000001) can0 123#R");
  ASSERT_TRUE(remote);
  EXPECT_TRUE(remote->Msg.RTR);
  EXPECT_EQ(remote->Msg.DLC, 0);
  auto remoteLength = ParseCandumpLine("(0.000001) can0 123#R4");
  ASSERT_TRUE(remoteLength);
  EXPECT_EQ(remoteLength->Msg.DLC, 4);
  auto empty = ParseCandumpLine("(0.000001) can0 7FF#");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->Msg.DLC, 0);
  auto sent = ParseCandumpLine("(0.000001) can0 123#11 T");
  ASSERT_TRUE(sent) << "python-can's direction";
  EXPECT_EQ(sent->Msg.Data[0], 0x11);
  EXPECT_FALSE(ParseCandumpLine("(0.000001) can0 123#11 X"));
  auto dotted = ParseCandumpLine("(0.000001) can0 123#11.22.33");
  ASSERT_TRUE(dotted);
  EXPECT_EQ(dotted->Msg.DLC, 3);
  EXPECT_EQ(dotted->Msg.Data[2], 0x33);
}

TEST(CandumpLog, MalformedLinesAreSkippedAndCounted) {
  std::istringstream in(
      "(62.411844) can0 2BF#000000\n"
      "\n"
      "62.411844 can0 2BF#00\n"               // no parentheses
      "(62.41184) can0 2BF#00\n"              // five fraction digits
      "(62.411844) can0 2BF#0\n"              // half a byte
      "(62.411844) can0 2BF#0011223344556677889\n"
      "(62.411844) can0 2BF#001122334455667788\n"  // nine bytes
      "(62.411844) can0 2BG#00\n"
      "(62.411844) can0 2BFF#00\n"            // neither 3 nor 8 digits
      "(62.411844) can0 800#00\n"             // above the standard range
      "(62.411844) can0 20000080#0000000000000000\n"  // error frame
      "(62.411844) can0 123##1112233\n"       // CAN FD
      "(62.411844) can0 123#R9\n"
      "(62.411844) can0\n"
      "(62.411844) can0 123#00 trailing\n"
      "(62.447936) can0 1A6#000000000000A0F9\r\n");
  const TCandumpLog log = ReadCandumpLog(in);
  EXPECT_EQ(log.Frames.size(), 2u);
  EXPECT_EQ(log.SkippedLines, 13u);
}

TEST(CandumpLog, WrittenLinesReadBackAsTheSameFrames) {
  TCanMsgProg standard;
  standard.CanId = 0x7E8;
  standard.DLC = 3;
  standard.Data = {0x02, 0x7E, 0x00, 0, 0, 0, 0, 0};
  TCanMsgProg extended;
  extended.CanId = 0x18DAF110;
  extended.Extended = true;
  TCanMsgProg remote;
  remote.CanId = 0x123;
  remote.RTR = true;
  remote.DLC = 4;
  EXPECT_EQ(FormatCandumpLine(standard, 1'700'000'000'012'345), "(1700000000.012345) can0 7E8#027E00");
  EXPECT_EQ(FormatCandumpLine(extended, 5), "(0.000005) can0 18DAF110#");
  EXPECT_EQ(FormatCandumpLine(remote, 0), "(0.000000) can0 123#R4");
  for (const TCanMsgProg& msg : {standard, extended, remote}) {
    const auto frame = ParseCandumpLine(FormatCandumpLine(msg, 42));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->TimeUs, 42);
    EXPECT_EQ(frame->Msg.CanId, msg.CanId);
    EXPECT_EQ(frame->Msg.Extended, msg.Extended);
    EXPECT_EQ(frame->Msg.RTR, msg.RTR);
    EXPECT_EQ(frame->Msg.DLC, msg.DLC);
    EXPECT_EQ(frame->Msg.Data, msg.Data);
  }
}
