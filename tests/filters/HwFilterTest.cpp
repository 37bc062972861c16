#include <cstring>

#include "HwFilterFixture.h"

using HwFilterTest = HwFilterFixture;

TEST_F(HwFilterTest, NewRowHasTheDefaultsIsSelectedAndMarksTheProjectChanged) {
  Filter.AppendFilter(THwFilterType::Standard);
  Filter.AppendFilter(THwFilterType::Range);
  ASSERT_EQ(Filter.Model().rowCount(), 2);
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Filter.SelectedRow(), 1u);

  THwFilterData expected;
  expected.FilterType = THwFilterType::Range;
  EXPECT_EQ(std::memcmp(Filter.RecordBytes(1), &expected, sizeof expected), 0);
  const auto* bytes = static_cast<const std::uint8_t*>(Filter.RecordBytes(1));
  EXPECT_EQ(bytes[1], 3);
  EXPECT_EQ(bytes[16], 0xFF);
  EXPECT_EQ(bytes[19], 0xFF);
  EXPECT_EQ(bytes[20], 0x00);
  EXPECT_EQ(bytes[24], 0);  // empty description
  EXPECT_EQ(Filter.RowState(1).CheckType, TCheckType::ctCheckBox);
  EXPECT_FALSE(Filter.RowState(1).Checked());
  EXPECT_EQ(Filter.Model().index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);

  const QStringList titles = {"Active", "EXT", "Type", "Code", "Maske", "Description"};
  for (int column = 0; column < 6; ++column)
    EXPECT_EQ(Filter.Model().headerData(column, Qt::Horizontal).toString(), titles[column]);
  EXPECT_EQ(Cell(1, 0), QString());
  EXPECT_EQ(Cell(1, 1), QStringLiteral("1"));
  EXPECT_EQ(Cell(1, 2), QStringLiteral("Range (29 bit)"));
  EXPECT_EQ(Cell(1, 3), QStringLiteral("00000000"));
  EXPECT_EQ(Cell(1, 4), QStringLiteral("FFFFFFFF"));
  EXPECT_EQ(Cell(0, 1), QStringLiteral("0"));
  EXPECT_EQ(Cell(0, 2), QStringLiteral("Standard (11 bit)"));
}

TEST_F(HwFilterTest, ApplyStoresIntoTheSelectedRowOnlyAndKeepsTheCheckBox) {
  EXPECT_FALSE(Filter.ApplyToSelected(THwFilterType::Extended, {1, 2}, "none selected"));
  EXPECT_EQ(Changes, 0);
  Load({{Record(0, 0xFFFFFFFF), true}});
  EXPECT_FALSE(Filter.ApplyToSelected(THwFilterType::Extended, {1, 2}, "loaded rows come unselected"));
  EXPECT_EQ(Filter.Row(0).Code, 0);

  Filter.SelectRow(0);
  // A single identifier above 7FF: its twelfth bit lands above bit 31 of the code.
  const THwCodeMask wide = HwFilterMath::SingleFilter(0xFFF, TRtrChoice::DontCare, 0, TRtrChoice::DontCare);
  EXPECT_TRUE(Filter.ApplyToSelected(THwFilterType::Single, wide, QString(300, 'd')));
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Cell(0, 1), QStringLiteral("0"));
  EXPECT_EQ(Cell(0, 2), QStringLiteral("Single (11 bit)"));
  EXPECT_EQ(Cell(0, 3), QStringLiteral("1FFFF001F"));
  EXPECT_EQ(Cell(0, 4), QStringLiteral("001F001F"));
  EXPECT_EQ(Filter.Row(0).Description.Length, 255);
  EXPECT_TRUE(Filter.RowState(0).Checked());
  // Only the 32 register bits reach the adapter.
  const TCanFilters filters = Filter.GetHardwareFilters();
  ASSERT_EQ(filters.size(), 1u);
  EXPECT_EQ(filters[0].Filter, 0xFFFF001Fu);
  EXPECT_EQ(filters[0].Mask, 0x001F001Fu);
}

TEST_F(HwFilterTest, CheckingIsLimitedToWhatTheDriverSupports) {
  Filter.AppendFilter(THwFilterType::Standard);
  Filter.AppendFilter(THwFilterType::Standard);
  Changes = 0;

  // No driver chosen yet: every check is refused, but the request is noted in Active.
  Filter.Model().setData(Filter.Model().index(0, 0), Qt::Checked, Qt::CheckStateRole);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].Kind, TUserMessageKind::Information);
  EXPECT_EQ(Messages[0].Caption, QStringLiteral("Information"));
  EXPECT_EQ(Messages[0].Text, QStringLiteral("Maximum allowed hardware filter for this device: 0"));
  EXPECT_FALSE(Filter.RowState(0).Checked());
  EXPECT_EQ(Filter.Row(0).Active, 1);

  MaxFilters = 1;
  Filter.SetRowChecked(0, true);
  EXPECT_TRUE(Filter.RowState(0).Checked());
  Filter.SetRowChecked(1, true);
  ASSERT_EQ(Messages.size(), 2u);
  EXPECT_EQ(Messages[1].Text, QStringLiteral("Maximum allowed hardware filter for this device: 1"));
  EXPECT_FALSE(Filter.RowState(1).Checked());
  Filter.SetRowChecked(0, true);  // already checked: not a further filter
  EXPECT_EQ(Messages.size(), 2u);

  Filter.SetRowChecked(0, false);
  EXPECT_EQ(Filter.Row(0).Active, 0);
  Filter.SetRowChecked(1, true);
  EXPECT_TRUE(Filter.RowState(1).Checked());
  EXPECT_EQ(Messages.size(), 2u);
  EXPECT_EQ(Changes, 0);
}

TEST_F(HwFilterTest, HardwareFiltersAreTheCheckedRowsInListOrder) {
  TCanFilters filters = Filter.GetHardwareFilters();
  ASSERT_EQ(filters.size(), 1u);
  EXPECT_EQ(filters[0].Filter, 0u);
  EXPECT_EQ(filters[0].Mask, 0xFFFFFFFFu);

  // Loading does not apply the maximum; checking a further row afterwards does.
  MaxFilters = 1;
  Load({{Record(0x247F001F, 0x001F001F), true}, {Record(0x11, 0x22), false}, {Record(0x91A20000, 0), true}});
  filters = Filter.GetHardwareFilters();
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].Filter, 0x247F001Fu);
  EXPECT_EQ(filters[0].Mask, 0x001F001Fu);
  EXPECT_EQ(filters[1].Filter, 0x91A20000u);
  EXPECT_EQ(filters[1].Mask, 0u);
  Filter.SetRowChecked(1, true);
  EXPECT_EQ(Messages.size(), 1u);

  Filter.SetRowChecked(0, false);
  Filter.SetRowChecked(2, false);
  filters = Filter.GetHardwareFilters();
  ASSERT_EQ(filters.size(), 1u);
  EXPECT_EQ(filters[0].Mask, 0xFFFFFFFFu);
}

TEST_F(HwFilterTest, RemovingSelectsTheLastRowAndTheLastRemovalLeavesTheChangedStateAlone) {
  for (auto type : {THwFilterType::Standard, THwFilterType::Extended, THwFilterType::Single}) Filter.AppendFilter(type);
  Filter.SelectRow(0);
  Changes = 0;
  EXPECT_EQ(Filter.RemoveSelected(), 1u);
  EXPECT_EQ(Filter.SelectedRow(), 1u);
  EXPECT_EQ(Cell(1, 2), QStringLiteral("Single (11 bit)"));
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Filter.RemoveSelected(), 0u);
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Filter.RemoveSelected(), THwFilterList::kNoRow);
  EXPECT_EQ(Filter.RowCount(), 0u);
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Filter.RemoveSelected(), THwFilterList::kNoRow);  // nothing selected

  Filter.AppendFilter(THwFilterType::Range);
  Changes = 0;
  Filter.ClearFilterList();
  EXPECT_EQ(Filter.Model().rowCount(), 0);
  EXPECT_EQ(Changes, 1);
  Filter.AppendFilter(THwFilterType::Range);
  Changes = 0;
  Filter.Clear();  // a new project empties the list without marking it changed
  EXPECT_EQ(Filter.RowCount(), 0u);
  EXPECT_EQ(Changes, 0);
}

TEST_F(HwFilterTest, ContentChangesAlsoReachTheProjectListCallback) {
  int notified = 0;
  Filter.OnContentChanged = [&] { ++notified; };
  Filter.AppendFilter(THwFilterType::Standard);
  Filter.SetRowChecked(0, false);
  EXPECT_EQ(notified, 1);
}
