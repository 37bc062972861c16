// Decoding and encoding, computed by hand: both byte orders across byte boundaries, 1 and 64
// bits, signed, IEEE values, both kinds of multiplexing, the DLC and the value tables.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "signals/DbcReader.h"
#include "signals/SignalCodec.h"
#include "signals/SignalText.h"
#include "tests/signals/DbcText.h"

namespace {

using ::testing::ElementsAre;

// One message "M" (identifier 1) holding the given SG_ lines and statements.
TDbcDatabase OneMessage(const std::string& lines, const std::string& more = {}) {
  return ParseDbc("BO_ 1 M: 8 X\n" + lines + more, "test.dbc");
}

TCanMsgProg Frame(std::initializer_list<std::uint8_t> data, int dlc = -1) {
  TCanMsgProg msg;
  msg.CanId = 1;
  std::copy(data.begin(), data.end(), msg.Data.begin());
  msg.DLC = dlc < 0 ? static_cast<int>(data.size()) : dlc;
  return msg;
}

// Raw value and physical value of the message's only signal.
struct TDecoded {
  std::uint64_t Raw;
  double Value;
};
TDecoded DecodeOnly(const TDbcDatabase& db, const TCanMsgProg& msg) {
  std::vector<TSignalValue> values;
  EXPECT_EQ(DecodeFrame(db.Messages.at(0), msg, values), 1u);
  if (values.empty()) return {0, NAN};
  return {values[0].Raw, values[0].Value};
}

std::vector<std::string> PresentNames(const TMessageDef& message, const TCanMsgProg& msg) {
  std::vector<TSignalValue> values;
  DecodeFrame(message, msg, values);
  std::vector<std::string> names;
  for (const TSignalValue& value : values) names.push_back(message.Signals[value.Signal].Name);
  return names;
}

TEST(SignalCodecTest, IntelAndMotorolaAcrossByteBoundaries) {
  const auto intel = OneMessage(" SG_ S : 0|12@1+ (1,0) [0|0] \"\" X\n");
  EXPECT_EQ(DecodeOnly(intel, Frame({0x34, 0x12})).Raw, 0x234u);
  const auto intelMiddle = OneMessage(" SG_ S : 12|10@1+ (1,0) [0|0] \"\" X\n");  // bits 12..21
  EXPECT_EQ(DecodeOnly(intelMiddle, Frame({0x00, 0xA0, 0x2B})).Raw, 0x2BAu);
  const auto motorola = OneMessage(" SG_ S : 7|12@0+ (1,0) [0|0] \"\" X\n");
  EXPECT_EQ(DecodeOnly(motorola, Frame({0x12, 0x34})).Raw, 0x123u);
  // Start bit 11 is bit 3 of byte 1: four bits there, then the top six of byte 2.
  const auto motorolaMiddle = OneMessage(" SG_ S : 11|10@0+ (1,0) [0|0] \"\" X\n");
  EXPECT_EQ(DecodeOnly(motorolaMiddle, Frame({0xFF, 0xFA, 0xCF})).Raw, 0x2B3u);
  // A big-endian counter in the low nibble of byte 6, as rolling counters are.
  const auto counter = OneMessage(" SG_ S : 51|4@0+ (1,0) [0|0] \"\" X\n");
  EXPECT_EQ(DecodeOnly(counter, Frame({0, 0, 0, 0, 0, 0, 0xF9, 0})).Raw, 9u);
}

TEST(SignalCodecTest, OneAndSixtyFourBits) {
  const auto bit = OneMessage(" SG_ S : 13|1@1+ (1,0) [0|0] \"\" X\n");
  EXPECT_EQ(DecodeOnly(bit, Frame({0x00, 0x20})).Raw, 1u);
  EXPECT_EQ(DecodeOnly(bit, Frame({0xFF, 0xDF})).Raw, 0u);
  const auto motorolaBit = OneMessage(" SG_ S : 13|1@0+ (1,0) [0|0] \"\" X\n");
  EXPECT_EQ(DecodeOnly(motorolaBit, Frame({0x00, 0x20})).Raw, 1u);

  const TCanMsgProg counting = Frame({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08});
  EXPECT_EQ(DecodeOnly(OneMessage(" SG_ S : 0|64@1+ (1,0) [0|0] \"\" X\n"), counting).Raw, 0x0807060504030201u);
  EXPECT_EQ(DecodeOnly(OneMessage(" SG_ S : 7|64@0+ (1,0) [0|0] \"\" X\n"), counting).Raw, 0x0102030405060708u);
  const TCanMsgProg ones = Frame({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
  const TDecoded unsignedMax = DecodeOnly(OneMessage(" SG_ S : 0|64@1+ (1,0) [0|0] \"\" X\n"), ones);
  EXPECT_EQ(unsignedMax.Raw, ~std::uint64_t{0});
  EXPECT_EQ(unsignedMax.Value, 18446744073709551615.0);
  EXPECT_EQ(DecodeOnly(OneMessage(" SG_ S : 0|64@1- (1,0) [0|0] \"\" X\n"), ones).Value, -1.0);
}

TEST(SignalCodecTest, SignedNegativesAndScaling) {
  const auto intel = OneMessage(" SG_ S : 8|8@1- (0.5,1) [0|0] \"\" X\n");
  const TDecoded minusTen = DecodeOnly(intel, Frame({0x00, 0xF6}));
  EXPECT_EQ(static_cast<std::int64_t>(minusTen.Raw), -10);
  EXPECT_EQ(minusTen.Value, -4.0);
  const auto motorola = OneMessage(" SG_ S : 7|12@0- (1,0) [0|0] \"\" X\n");
  EXPECT_EQ(DecodeOnly(motorola, Frame({0xFF, 0xE0})).Value, -2.0);
  EXPECT_EQ(DecodeOnly(motorola, Frame({0x7F, 0xF0})).Value, 2047.0);
  // 0.1 as a factor is not 1/10: the product is taken in double, as the DBC says.
  const auto tenth = OneMessage(" SG_ S : 0|16@1+ (0.1,-40) [0|0] \"\" X\n");
  EXPECT_EQ(DecodeOnly(tenth, Frame({0x2C, 0x01})).Value, 300 * 0.1 - 40);
}

TEST(SignalCodecTest, FloatAndDouble) {
  const auto single = OneMessage(" SG_ S : 0|32@1- (1,0) [0|0] \"\" X\n", "SIG_VALTYPE_ 1 S : 1;\n");
  const TDecoded oneAndHalf = DecodeOnly(single, Frame({0x00, 0x00, 0xC0, 0x3F}));
  EXPECT_EQ(oneAndHalf.Raw, 0x3FC00000u);
  EXPECT_EQ(oneAndHalf.Value, 1.5);
  EXPECT_EQ(RawDecimalText(single.Messages[0].Signals[0], oneAndHalf.Raw), "1.5");
  const TDecoded tenth = DecodeOnly(single, Frame({0xCD, 0xCC, 0xCC, 0x3D}));
  EXPECT_EQ(tenth.Value, static_cast<double>(0.1f));

  const auto twice = OneMessage(" SG_ S : 7|64@0- (2,0) [0|0] \"\" X\n", "SIG_VALTYPE_ 1 S : 2;\n");
  EXPECT_EQ(DecodeOnly(twice, Frame({0x40, 0x04, 0, 0, 0, 0, 0, 0})).Value, 5.0);  // 2.5 x 2
  const auto negative = OneMessage(" SG_ S : 0|64@1- (1,0) [0|0] \"\" X\n", "SIG_VALTYPE_ 1 S : 2;\n");
  EXPECT_EQ(DecodeOnly(negative, Frame({0, 0, 0, 0, 0, 0, 0xF0, 0xBF})).Value, -1.0);
}

TEST(SignalCodecTest, SimpleMultiplexing) {
  const TDbcDatabase db = ParseDbc(kMultiplexDbc, "mux.dbc");
  const TMessageDef& simple = db.Messages[0];
  EXPECT_THAT(PresentNames(simple, Frame({1, 0x10, 0x00, 0, 0, 0, 0, 7})), ElementsAre("Page", "PageOneValue", "Always"));
  EXPECT_THAT(PresentNames(simple, Frame({2, 0xFF, 0xFF, 0, 0, 0, 0, 7})), ElementsAre("Page", "PageTwoValue", "Always"));
  EXPECT_THAT(PresentNames(simple, Frame({3, 0, 0, 0, 0, 0, 0, 7})), ElementsAre("Page", "Always"));
  std::vector<TSignalValue> values;
  DecodeFrame(simple, Frame({2, 0xFF, 0xFF, 0, 0, 0, 0, 7}), values);
  EXPECT_EQ(values[1].Value, -1.0);
}

TEST(SignalCodecTest, ExtendedMultiplexingFollowsTheWholeChain) {
  const TDbcDatabase db = ParseDbc(kMultiplexDbc, "mux.dbc");
  const TMessageDef& extended = db.Messages[1];
  // First (low nibble) = 1 selects Second (high nibble); Second 3..5 or 9 selects Deep.
  EXPECT_THAT(PresentNames(extended, Frame({0x41, 0xAA, 0, 0, 0, 0, 0, 0})), ElementsAre("First", "Second", "Deep"));
  EXPECT_THAT(PresentNames(extended, Frame({0x91, 0xAA, 0, 0, 0, 0, 0, 0})), ElementsAre("First", "Second", "Deep"));
  EXPECT_THAT(PresentNames(extended, Frame({0x61, 0xAA, 0, 0, 0, 0, 0, 0})), ElementsAre("First", "Second"));
  // Second would select Deep, but First does not select Second.
  EXPECT_THAT(PresentNames(extended, Frame({0x42, 0xAA, 0, 0, 0, 0, 0, 0})), ElementsAre("First"));
  // A selector value above 32 bits.
  const TMessageDef& wide = db.Messages[2];
  EXPECT_THAT(PresentNames(wide, Frame({0, 0, 0, 0, 1, 5, 0, 0})), ElementsAre("Key", "Wide"));
  EXPECT_THAT(PresentNames(wide, Frame({0, 0, 0, 0, 0, 5, 0, 0})), ElementsAre("Key"));
}

TEST(SignalCodecTest, ASignalIsPresentOnlyWithinTheDlc) {
  const auto db = OneMessage(" SG_ A : 0|8@1+ (1,0) [0|0] \"\" X\n SG_ B : 32|16@1+ (1,0) [0|0] \"\" X\n"
                             " SG_ C : 39|16@0+ (1,0) [0|0] \"\" X\n");  // Motorola: bytes 4 and 5
  const TMessageDef& message = db.Messages[0];
  EXPECT_THAT(PresentNames(message, Frame({1, 2, 3, 4, 5, 6, 7, 8}, 5)), ElementsAre("A"));
  EXPECT_THAT(PresentNames(message, Frame({1, 2, 3, 4, 5, 6, 7, 8}, 6)), ElementsAre("A", "B", "C"));
  EXPECT_THAT(PresentNames(message, Frame({}, 0)), ElementsAre());
  // A faulty adapter's DLC above 8 means 8 bytes.
  EXPECT_THAT(PresentNames(message, Frame({1, 2, 3, 4, 5, 6, 7, 8}, 15)), ElementsAre("A", "B", "C"));
}

TEST(SignalCodecTest, ValueTablesAndTexts) {
  const auto db = OneMessage(" SG_ S : 0|8@1- (1,0) [0|0] \"\" X\n SG_ T : 8|8@1+ (0.5,-40) [0|0] \"\xB0" "C\" X\n",
                             "VAL_ 1 S -1 \"Invalid\" 0 \"Off\" 1 \"On\" ;\n");
  const TSignalDef& s = db.Messages[0].Signals[0];
  const TSignalDef& t = db.Messages[0].Signals[1];
  std::vector<TSignalValue> values;
  DecodeFrame(db.Messages[0], Frame({0xFF, 100}), values);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(SignalValueText(s, values[0].Raw, values[0].Value), QStringLiteral("Invalid"));
  EXPECT_EQ(SignalValueText(t, values[1].Raw, values[1].Value), QStringLiteral("10.0 \u00B0C"));
  EXPECT_EQ(RawHexText(s, values[0].Raw), QStringLiteral("0xFF"));
  EXPECT_EQ(RawDecimalText(s, values[0].Raw), "-1");
  EXPECT_EQ(ValueText(s, 2), nullptr);
  EXPECT_EQ(ShortestDouble(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(ShortestDouble(1e21), "1e+21");
  EXPECT_EQ(ShortestDouble(-0.0), "-0");
  TSignalDef volts;
  volts.Factor = 0.001;
  EXPECT_EQ(DisplayNumber(volts, 14290 * 0.001), QStringLiteral("14.290"));
  volts.Factor = 1e-5;
  volts.Offset = -40;
  EXPECT_EQ(DisplayNumber(volts, 3 * 1e-5 - 40), QStringLiteral("-39.99997"));
  volts.ValueType = TSignalValueType::Float;
  EXPECT_EQ(DisplayNumber(volts, 0.1f), QStringLiteral("0.10000000149011612"));
}

TEST(SignalCodecTest, EncodeIsTheInverseWithRangeChecks) {
  const auto db = OneMessage(" SG_ Speed : 7|12@0+ (0.25,0) [0|1000] \"\" X\n SG_ Temp : 16|8@1- (1,-40) [0|0] \"\" X\n"
                             " SG_ F : 32|32@1- (1,0) [0|0] \"\" X\n",
                             "SIG_VALTYPE_ 1 F : 1;\n");
  const TMessageDef& message = db.Messages[0];
  TCanData data{};
  EXPECT_EQ(EncodeSignal(message, message.Signals[0], 291.0 / 4 + 0.1, data), "");  // 291.4 rounds to 291 = 0x123
  EXPECT_EQ(EncodeSignal(message, message.Signals[1], -168, data), "");              // raw -128
  EXPECT_EQ(EncodeSignal(message, message.Signals[2], -2.5, data), "");
  EXPECT_THAT(data, ElementsAre(0x12, 0x30, 0x80, 0x00, 0x00, 0x00, 0x20, 0xC0));
  std::vector<TSignalValue> values;
  DecodeFrame(message, Frame({0x12, 0x30, 0x80, 0, 0, 0, 0x20, 0xC0}), values);
  EXPECT_EQ(values[0].Value, 72.75);
  EXPECT_EQ(values[1].Value, -168.0);
  EXPECT_EQ(values[2].Value, -2.5);

  const TCanData before = data;
  EXPECT_EQ(EncodeSignal(message, message.Signals[0], 1000.25, data), "Speed: 1000.25 is outside [0|1000]");
  EXPECT_EQ(EncodeSignal(message, message.Signals[1], -169, data), "Temp: raw value -129 does not fit in 8 signed bits");
  EXPECT_EQ(EncodeSignal(message, message.Signals[1], 88, data), "Temp: raw value 128 does not fit in 8 signed bits");
  EXPECT_EQ(data, before);
  // Rounded to nearest, halves away from zero.
  EXPECT_EQ(EncodeSignal(message, message.Signals[1], -40.5, data), "");
  DecodeFrame(message, Frame({data[0], data[1], data[2], 0, 0, 0, 0, 0}), values);
  EXPECT_EQ(values[1].Value, -41.0);
}

TEST(SignalCodecTest, EncodesSixtyFourBitsWhole) {
  const auto db = OneMessage(" SG_ U : 0|64@1+ (1,0) [0|0] \"\" X\n");
  const TMessageDef& message = db.Messages[0];
  TCanData data{};
  EXPECT_EQ(EncodeSignal(message, message.Signals[0], 18446744073709549568.0, data), "");  // 2^64 - 2048
  EXPECT_THAT(data, ElementsAre(0x00, 0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF));
  EXPECT_EQ(EncodeSignal(message, message.Signals[0], 18446744073709551616.0, data), "U: raw value 18446744073709551616 does not fit in 64 bits");
  EXPECT_EQ(EncodeSignal(message, message.Signals[0], -1, data), "U: raw value -1 does not fit in 64 bits");
}

}  // namespace
