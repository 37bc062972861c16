#include <gtest/gtest.h>

#include "filters/HwFilterMath.h"

using namespace HwFilterMath;

TEST(HwSingleFilter, ExampleAndRtrChoices) {
  auto f = SingleFilter(0x123, TRtrChoice::DontCare, 0x000, TRtrChoice::DontCare);
  EXPECT_EQ(f.Code, 0x247F001F);
  EXPECT_EQ(f.Mask, 0x001F001F);
  f = SingleFilter(0x123, TRtrChoice::One, 0x000, TRtrChoice::Zero);
  EXPECT_EQ(f.Code, 0x247F000F);
  EXPECT_EQ(f.Mask, 0x000F000F);
  f = SingleFilter(0x7FF, TRtrChoice::Zero, 0x7FF, TRtrChoice::One);
  EXPECT_EQ(f.Code, 0xFFEFFFFF);
  EXPECT_EQ(f.Mask, 0x000F000F);
  EXPECT_EQ(SingleId1(f.Code), 0x7FF);
  EXPECT_EQ(SingleId2(f.Code), 0x7FF);
}

TEST(HwSingleFilter, IdentifierAboveSevenFFSpillsAboveBit31) {
  const auto f = SingleFilter(0xFFF, TRtrChoice::Zero, 0, TRtrChoice::Zero);
  EXPECT_EQ(CodeMaskText(f.Code), "1FFEF000F");
  EXPECT_EQ(CodeMaskText(f.Code).size(), 9);
}

TEST(HwRangeFilter, ExampleAndRangeTexts) {
  const auto f = RangeFilter(0x12345678, 0);
  EXPECT_EQ(f.Code, 0x91A20000);
  EXPECT_EQ(f.Mask, 0);
  EXPECT_EQ(RangeText(0x12345678), "12344000-12345FFF");
  EXPECT_EQ(RangeText(0x1FFF), "00000000-1FFFFFFF");
  EXPECT_EQ(RangeText(0x2000), "00002000-00003FFF");
  EXPECT_EQ(RangeId1(f.Code), 0x12344000);
  EXPECT_EQ(RangeId2(f.Code), 0);
}

TEST(HwRangeFilter, FoldsIdentifiersAbove29Bits) {
  QString text;
  EXPECT_EQ(FoldRangeId(0xFFFFFFFF, &text), 0x1FFFFFFF);
  EXPECT_EQ(text, "1FFFFFFF");
  EXPECT_EQ(RangeText(0x1FFFFFFF), "1FFFE000-1FFFFFFF");
  EXPECT_EQ(FoldRangeId(0x20000005, &text), 0x10000005);
  EXPECT_EQ(text, "10000005");
  text = "unchanged";
  EXPECT_EQ(FoldRangeId(0x1FFFFFFF, &text), 0x1FFFFFFF);
  EXPECT_EQ(text, "unchanged");
}

TEST(HwFilterTexts, LabelsTypesAndCodes) {
  EXPECT_EQ(BitLabel(0, 0xFFFFFFFF, 31), "X");
  EXPECT_EQ(BitLabel(0, 0x7FFFFFFF, 31), "0");
  EXPECT_EQ(BitLabel(0x80000000, 0x7FFFFFFF, 31), "1");
  EXPECT_EQ(FilterTypeText(THwFilterType::Range), "Range (29 bit)");
  EXPECT_TRUE(IsExtendedType(THwFilterType::Range));
  EXPECT_FALSE(IsExtendedType(THwFilterType::Single));
  EXPECT_EQ(CodeMaskText(0xFFFFFFFF), "FFFFFFFF");
  EXPECT_EQ(CodeMaskText(0x5), "00000005");
}
