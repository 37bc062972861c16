#include <QLocale>
#include <gtest/gtest.h>

#include "model/CanText.h"

namespace {
TCanData Bytes(std::initializer_list<int> values) {
  TCanData d{};
  int i = 0;
  for (int v : values) d[i++] = static_cast<std::uint8_t>(v);
  return d;
}
}  // namespace

TEST(CanMsgProgLayout, FreshRecordIsAllZeroBytes) {
  TCanMsgProg msg;
  const auto* raw = reinterpret_cast<const unsigned char*>(&msg);
  for (std::size_t i = 0; i < sizeof msg; ++i) EXPECT_EQ(raw[i], 0) << "byte " << i;
}

TEST(CanMsgProgLayout, UsedBytesClampsFaultyLengths) {
  TCanMsgProg msg;
  msg.DLC = 12;
  EXPECT_EQ(msg.UsedBytes(), 8);
  msg.DLC = -1;
  EXPECT_EQ(msg.UsedBytes(), 0);
}

TEST(Bits, SetClearAndTest) {
  EXPECT_TRUE(IsBitSet(0x80000000u, 31));
  EXPECT_FALSE(IsBitSet(0x7FFFFFFFu, 31));
  EXPECT_EQ(SetBit(0, 31), 0x80000000u);
  EXPECT_EQ(ClearBit(0xFFFFFFFFu, 0), 0xFFFFFFFEu);
  const auto bits = ByteToBits(0x81);
  EXPECT_TRUE(bits[0]);
  EXPECT_TRUE(bits[7]);
  for (int i = 1; i < 7; ++i) EXPECT_FALSE(bits[i]);
}

TEST(CanIdToText, PadsToThreeOrEightDigitsUpperCase) {
  EXPECT_EQ(CanIdToText(false, 0x5), "005");
  EXPECT_EQ(CanIdToText(false, 0x7FF), "7FF");
  EXPECT_EQ(CanIdToText(true, 0x5), "00000005");
  EXPECT_EQ(CanIdToText(true, 0x1FFFFFFF), "1FFFFFFF");
  EXPECT_EQ(CanIdToText(false, 0x1234), "1234");
  EXPECT_EQ(CanIdToText(false, 0xabc), "ABC");
  EXPECT_EQ(BoolToText(true), "1");
  EXPECT_EQ(BoolToText(false), "0");
}

TEST(CanDataText, HexFormsAndBounds) {
  const TCanData d = Bytes({0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77});
  EXPECT_EQ(CanDataToHex(d), "00 11 22 33 44 55 66 77");
  EXPECT_EQ(CanDataToHexN(d, 0), "");
  EXPECT_EQ(CanDataToHexN(d, -3), "");
  EXPECT_EQ(CanDataToHexN(d, 3), "00 11 22");
  EXPECT_EQ(CanDataToHexN(d, 3).size(), 8);
  EXPECT_EQ(CanDataToHexN(d, 12), CanDataToHex(d));
  EXPECT_EQ(CanDataToHex(Bytes({0xAB, 0xCD})), "AB CD 00 00 00 00 00 00");
}

TEST(CanDataText, AsciiReplacesUnprintableBytesWithDots) {
  const TCanData d = Bytes({0x41, 0x20, 0x7E, 0x7F, 0x80, 0x00, 0x31, 0x5A});
  EXPECT_EQ(CanDataToAscii(d), "A.~...1Z");
  EXPECT_EQ(CanDataToAsciiN(d, 0), "");
  EXPECT_EQ(CanDataToAsciiN(d, 3), "A.~");
  EXPECT_EQ(CanDataToAsciiN(d, 99), "A.~...1Z");
  EXPECT_EQ(ByteToAsciiChar(33), QChar('!'));
  EXPECT_EQ(ByteToAsciiChar(32), QChar('.'));
  EXPECT_EQ(ByteToAsciiChar(255), QChar('.'));
}

TEST(CanDataText, ByteArrayToHexStopsAtArrayEnd) {
  const TKwpData bytes{0x10, 0x0A, 0xFF};
  EXPECT_EQ(ByteArrayToHex(bytes, 3), "10 0A FF");
  EXPECT_EQ(ByteArrayToHex(bytes, 2), "10 0A");
  EXPECT_EQ(ByteArrayToHex(bytes, 9), "10 0A FF");
  EXPECT_EQ(ByteArrayToHex({}, 0), "");
}

TEST(HexToInt64, StrictReading) {
  EXPECT_EQ(HexToInt64(""), 0);
  EXPECT_EQ(HexToInt64("7ff"), 0x7FF);
  EXPECT_EQ(HexToInt64("1FFFFFFF"), 0x1FFFFFFF);
  EXPECT_EQ(HexToInt64("FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(HexToInt64("0000000000000000001"), 1);
  EXPECT_THROW((void)HexToInt64("10000000000000000"), EConvertError);
  EXPECT_THROW((void)HexToInt64("1g"), EConvertError);
  EXPECT_THROW((void)HexToInt64("-1"), EConvertError);
  try {
    (void)HexToInt64("12 ");
    FAIL() << "a trailing space must fail";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12 ' is not a valid hexadecimal value");
  }
}

TEST(HexTextToInt, LenientReadingNeverFails) {
  EXPECT_EQ(HexTextToInt("12 "), 0x12);
  EXPECT_EQ(HexTextToInt("1g2"), 0x12);
  EXPECT_EQ(HexTextToInt("ff"), 0xFF);
  EXPECT_EQ(HexTextToInt("FFFFFFFF"), -1);
  EXPECT_EQ(HexTextToInt("100000000"), 0);
  EXPECT_EQ(HexTextToInt(""), 0);
  EXPECT_EQ(HexTextToInt("xyz"), 0);
  EXPECT_EQ(HexTextToInt("7FFFFFFF"), 0x7FFFFFFF);
}

TEST(BtrToBitRateText, RatesForTheCommonRegisterPairs) {
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(BtrToBitRateText("00", "1C"), "500.00");
  EXPECT_EQ(BtrToBitRateText("80", "D8"), "500.00");
  EXPECT_EQ(BtrToBitRateText("03", "1C"), "125.00");
  EXPECT_EQ(BtrToBitRateText("01", "1C"), "250.00");
  EXPECT_EQ(BtrToBitRateText("00", "00"), "2666.67");
  EXPECT_EQ(BtrToBitRateText("", ""), "2666.67");
}

TEST(BtrToBitRateText, FollowsTheUsersDecimalSeparator) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(BtrToBitRateText("00", "1C"), "500,00");
  QLocale::setDefault(QLocale::c());
}

TEST(PastedBytes, TheFormsUsersPasteAndWhatIsRefused) {
  using Bytes = std::vector<std::uint8_t>;
  EXPECT_EQ(ParsePastedBytes(QStringLiteral("11 22 33")), (Bytes{0x11, 0x22, 0x33}));
  EXPECT_EQ(ParsePastedBytes(QStringLiteral("0x11,0x22")), (Bytes{0x11, 0x22}));
  EXPECT_EQ(ParsePastedBytes(QStringLiteral("1122334455667788")), (Bytes{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
  EXPECT_EQ(ParsePastedBytes(QStringLiteral(" a;B-0Xc:d\t7f ")), (Bytes{0x0A, 0x0B, 0x0C, 0x0D, 0x7F}));
  EXPECT_EQ(ParsePastedBytes(QStringLiteral("AABBCCDDEEFF0011223344")).size(), 11u) << "more than 8: the caller cuts";
  for (const char* refused : {"11 2G", "11 22!", "0x", "123", "11x22", "élan", "", "  "})
    EXPECT_TRUE(ParsePastedBytes(QString::fromUtf8(refused)).empty()) << refused;
}

TEST(FrameRefusal, AStandardIdentifierAbove7FFIsRefusedBeforeSending) {
  TCanMsgProg msg;
  msg.CanId = 0x7FF;
  EXPECT_EQ(FrameRefusal(msg), QString());
  msg.CanId = 0x800;
  EXPECT_EQ(FrameRefusal(msg), QStringLiteral("A standard CAN ID is at most 7FF."));
  msg.Extended = true;
  EXPECT_EQ(FrameRefusal(msg), QString());
}
