#include <gtest/gtest.h>

#include "CanPackage/source/HidReport.h"
#include "support/ScriptedHidBackend.h"

using namespace HidReport;

TEST(HidFrameReport, StandardFrameExample) {
  Report r = FrameReport({FrameSlot{'t', 0x0123, 2, {0xAA, 0xBB}, 10000}});
  r[1 + 3] = 0xFF;  // identifier bytes 3-4 do not count for a standard frame
  r[1 + 4] = 0xFF;
  const TCanMsgs frames = DecodeFrameReport(r);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].id, 0x123);
  EXPECT_EQ(frames[0].flags, 0);
  EXPECT_EQ(frames[0].len, 2);
  EXPECT_EQ(frames[0].data[0], 0xAA);
  EXPECT_EQ(frames[0].data[1], 0xBB);
  EXPECT_EQ(frames[0].data[2], 0);
  EXPECT_EQ(frames[0].timestamp, 10000);
}

TEST(HidFrameReport, SlotsInOrderEmptyOnesSkipped) {
  const TCanMsgs two = DecodeFrameReport(FrameReport(
      {FrameSlot{'t', 0x7FF, 1, {1}, 1}, FrameSlot{'T', 0x18DAF110, 8, {1, 2, 3, 4, 5, 6, 7, 8}, 65535}, {}, {}}));
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].id, 0x7FF);
  EXPECT_EQ(two[1].id, 0x18DAF110);
  EXPECT_EQ(two[1].flags, kCanMsgFlagExtended);
  EXPECT_EQ(two[1].data[7], 8);
  EXPECT_EQ(two[1].timestamp, 65535);

  const TCanMsgs second = DecodeFrameReport(FrameReport({{}, FrameSlot{'t', 0x100, 0, {}, 5}}));
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].id, 0x100);
  EXPECT_EQ(second[0].timestamp, 5);

  Report unknownMarker = FrameReport({FrameSlot{'r', 0x100, 0, {}, 0}, FrameSlot{'x', 0x100, 0, {}, 0}});
  EXPECT_TRUE(DecodeFrameReport(unknownMarker).empty()) << "only 't' and 'T' mark a frame";
  EXPECT_EQ(DecodeFrameReport(FrameReport({FrameSlot{}, FrameSlot{}, FrameSlot{}, FrameSlot{}})).size(), 4u);
}

TEST(HidFrameReport, LengthAboveEightTakesEightBytesAndKeepsTheTimeStamp) {
  Report r = FrameReport({FrameSlot{'t', 0x200, 12, {1, 2, 3, 4, 5, 6, 7, 8}, 0x1234}});
  const TCanMsgs frames = DecodeFrameReport(r);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].len, 12);
  EXPECT_EQ(frames[0].data[7], 8);
  EXPECT_EQ(frames[0].timestamp, 0x1234) << "data bytes never spill into the time stamp";
}

TEST(HidFrameReport, NeverReadsBeyondTheReport) {
  // A longer buffer: byte 65 onwards is not part of the report.
  Report longer = FrameReport({FrameSlot{'t', 1, 0, {}, 0}});
  longer.resize(100, 0);
  longer[65] = 't';
  EXPECT_EQ(DecodeFrameReport(longer).size(), 1u);
  // A short read: slots that do not fit completely count as empty.
  const Report full = FrameReport({FrameSlot{'t', 1, 0, {}, 0}, FrameSlot{'t', 2, 0, {}, 0}});
  EXPECT_EQ(DecodeFrameReport(std::span(full).first(17 + 16)).size(), 2u);
  EXPECT_EQ(DecodeFrameReport(std::span(full).first(17 + 15)).size(), 1u);
  EXPECT_TRUE(DecodeFrameReport(std::span(full).first(1)).empty());
  EXPECT_TRUE(DecodeFrameReport({}).empty());
}

TEST(HidReplyReport, TextUpToFirstZeroAndFrameReportsTold) {
  EXPECT_EQ(ReplyText(ReplyReport("V1013\r")), "V1013\r");
  EXPECT_EQ(ReplyText(ReplyReport("\r")), "\r");
  EXPECT_TRUE(DecodeFrameReport(ReplyReport("\r")).empty()) << "a reply is no frame report";
  Report unterminated(HidReport::kLength, 'A');
  unterminated[0] = 0;
  EXPECT_EQ(ReplyText(unterminated).size(), 64u);
  EXPECT_EQ(ReplyText({}), "");

  EXPECT_FALSE(LooksLikeFrameReport(ReplyReport("\r")));
  EXPECT_FALSE(LooksLikeFrameReport(ReplyReport("z\r")));
  EXPECT_TRUE(LooksLikeFrameReport(FrameReport({FrameSlot{'T', 1, 0, {}, 0}})));
  EXPECT_TRUE(LooksLikeFrameReport(FrameReport({{}, FrameSlot{'t', 1, 0, {}, 0}})));
}

TEST(HidCommandReport, TextAfterTheIdAndZeroPadded) {
  const auto r = CommandReport("S6\r");
  ASSERT_TRUE(r);
  ASSERT_EQ(r->size(), 65u);
  EXPECT_EQ((*r)[0], 0);
  EXPECT_EQ((*r)[1], 'S');
  EXPECT_EQ((*r)[3], '\r');
  EXPECT_TRUE(std::all_of(r->begin() + 4, r->end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(CommandReport(std::string(64, 'x')));
  EXPECT_FALSE(CommandReport(std::string(65, 'x'))) << "commands are at most 64 characters";
  EXPECT_FALSE(CommandReport("S6\r", 3));
}
