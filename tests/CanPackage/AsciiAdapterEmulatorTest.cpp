#include <gtest/gtest.h>

#include "CanPackage/source/AsciiAdapterEmulator.h"
#include "CanPackage/source/AsciiProtocol.h"

namespace {

const std::string OK = "\r";
const std::string NO = "\a";

TCanMsgProg Frame(std::int64_t id, bool ext = false) {
  TCanMsgProg m;
  m.CanId = id;
  m.Extended = ext;
  m.DLC = 2;
  m.Data[0] = 0x11;
  m.Data[1] = 0x22;
  return m;
}

class Emulator : public ::testing::Test {
 protected:
  std::string Send(std::string_view command) { return adapter.Feed(std::string(command) + "\r"); }
  void Open() {
    ASSERT_EQ(Send("S6"), OK);
    ASSERT_EQ(Send("O"), OK);
  }
  TAsciiAdapterEmulator adapter;
};

}  // namespace

TEST_F(Emulator, SetUpCommandsWhileClosed) {
  for (int n = 0; n <= 8; ++n) {
    EXPECT_EQ(Send("S" + std::to_string(n)), OK);
    EXPECT_EQ(adapter.BitRate()->KBitPerSecond, AsciiProtocol::kStandardBitRates[static_cast<std::size_t>(n)]);
  }
  EXPECT_EQ(Send("s031C"), OK);
  EXPECT_EQ(adapter.BitRate()->KBitPerSecond, 0);
  EXPECT_EQ(adapter.BitRate()->Btr, 0x031C);
  EXPECT_EQ(adapter.BitRateText(), "BTR 031C (125.00 kbit/s)");
  EXPECT_EQ(Send("M12345678"), OK);
  EXPECT_EQ(Send("mabcdef01"), OK);
  EXPECT_EQ(adapter.AcceptanceCode(), 0x12345678u);
  EXPECT_EQ(adapter.AcceptanceMask(), 0xABCDEF01u);
  EXPECT_EQ(Send("Z1"), OK);
  EXPECT_TRUE(adapter.TimeStamps());
  EXPECT_EQ(Send("Z0"), OK);
  EXPECT_FALSE(adapter.TimeStamps());
  EXPECT_EQ(Send(""), OK) << "the empty command of an unknown bit rate";
}

TEST_F(Emulator, MalformedSetUpCommandsAreRefusedAndChangeNothing) {
  for (const char* bad : {"S9", "S", "S66", "s31C", "s031G", "s0031C", "M1234567", "M123456789", "M1234567X", "m", "Z",
                          "Z2", "Z11", "X", "F", "VV", "OO", "L"})
    EXPECT_EQ(Send(bad), NO) << bad;
  EXPECT_FALSE(adapter.BitRate());
  EXPECT_EQ(adapter.AcceptanceCode(), 0u);
  EXPECT_EQ(adapter.AcceptanceMask(), 0xFFFFFFFFu);
}

TEST_F(Emulator, OpenNeedsBitRateAndRefusesSetUpWhileOpen) {
  EXPECT_EQ(Send("O"), NO) << "no bit rate yet";
  EXPECT_EQ(Send("C"), NO) << "not open";
  Open();
  EXPECT_TRUE(adapter.IsOpen());
  EXPECT_EQ(Send("O"), NO);
  for (const char* setUp : {"S4", "s031C", "M00000000", "mFFFFFFFF", "Z1"}) EXPECT_EQ(Send(setUp), NO) << setUp;
  EXPECT_EQ(adapter.BitRate()->KBitPerSecond, 500);
  EXPECT_EQ(Send("V"), "V1013\r");
  EXPECT_EQ(Send("C"), OK);
  EXPECT_FALSE(adapter.IsOpen());
  EXPECT_EQ(Send("V"), "V1013\r");
  EXPECT_EQ(Send("O"), OK) << "the bit rate is kept across close";
}

TEST_F(Emulator, TransmitsAcknowledgedOnlyWhileOpen) {
  EXPECT_EQ(Send("t12321122"), NO);
  Open();
  EXPECT_EQ(Send("t12321122"), "z\r");
  EXPECT_EQ(Send("r1234"), "z\r");
  EXPECT_EQ(Send("T18DAF1101AB"), "Z\r");
  EXPECT_EQ(Send("R18DAF1108"), "Z\r");
  for (const char* bad : {"t1232112", "t123211223", "t1239", "t800", "t8000", "tXYZ0", "T2000000000", "r12", "t"})
    EXPECT_EQ(Send(bad), NO) << bad;
  const auto sent = adapter.TakeTransmitted();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[0].CanId, 0x123);
  EXPECT_EQ(sent[0].Data[1], 0x22);
  EXPECT_TRUE(sent[1].RTR);
  EXPECT_EQ(sent[1].DLC, 4);
  EXPECT_TRUE(sent[2].Extended);
  EXPECT_TRUE(sent[3].Extended && sent[3].RTR);
  EXPECT_TRUE(adapter.TakeTransmitted().empty());
}

TEST_F(Emulator, BytesSplitJoinedOrOverlong) {
  EXPECT_EQ(adapter.Feed("S"), "");
  EXPECT_EQ(adapter.Feed("6\rZ1\r\nO\r"), "\r\r\r") << "a line feed after the CR is ignored";
  EXPECT_TRUE(adapter.IsOpen());
  EXPECT_EQ(adapter.Feed(std::string(200, '1') + "\r"), NO) << "longer than any legal line";
  EXPECT_EQ(Send("V"), "V1013\r") << "the next command is read afresh";
}

TEST_F(Emulator, FramesOnlyWhileOpenThroughTheFilter) {
  EXPECT_EQ(adapter.ReportFrame(Frame(0x123), 0), "") << "closed";
  ASSERT_EQ(Send("S6"), OK);
  EXPECT_EQ(adapter.ReportFrame(Frame(0x123), 0), "") << "bit rate set, still closed";
  ASSERT_EQ(Send("M24600000"), OK);  // filter 1: 0x123 data frames, data byte 1 = 0x00 ...
  ASSERT_EQ(Send("m000FFFFF"), OK);  // ... data don't care; filter 2 all don't care is off:
  ASSERT_EQ(Send("O"), OK);
  EXPECT_EQ(adapter.ReportFrame(Frame(0x123), 0), "t12321122\r") << "no time stamp without Z1";
  EXPECT_EQ(adapter.ReportFrame(Frame(0x456), 0), "t45621122\r") << "filter 2 takes everything";
  ASSERT_EQ(Send("C"), OK);
  ASSERT_EQ(Send("mFFFF0000"), OK);  // filter 1 takes everything, filter 2 only 0x000
  ASSERT_EQ(Send("M00000000"), OK);
  ASSERT_EQ(Send("m000F000F"), OK);  // both filters exact on 0x000 data frames
  ASSERT_EQ(Send("O"), OK);
  EXPECT_EQ(adapter.ReportFrame(Frame(0x123), 0), "");
  EXPECT_EQ(adapter.ReportFrame(Frame(0x000), 0), "t00021122\r");
  EXPECT_EQ(adapter.ReportFrame(Frame(0x0, true), 0), "T0000000021122\r");
}

TEST_F(Emulator, TimeStampsWrapAtSixtyThousand) {
  ASSERT_EQ(Send("S6"), OK);
  ASSERT_EQ(Send("Z1"), OK);
  ASSERT_EQ(Send("O"), OK);
  const std::pair<std::uint64_t, const char*> rows[] = {
      {0, "0000"}, {1234, "04D2"}, {59999, "EA5F"}, {60000, "0000"}, {61234, "04D2"}, {600000 + 59999, "EA5F"}};
  for (const auto& [ms, stamp] : rows) {
    const std::string line = adapter.ReportFrame(Frame(0x123), ms);
    EXPECT_EQ(line, std::string("t12321122") + stamp + "\r") << ms;
    const auto decoded = AsciiProtocol::DecodeFrameLine(line);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(static_cast<std::uint64_t>(decoded->timestamp), ms % 60000);
  }
}
