#include "TrafficFixture.h"
#include <cstring>
#include "model/CanText.h"

using IdFilterTest = TrafficFixture;

TEST_F(IdFilterTest, TrafficAddsOneCheckedRowPerIdentifierInOrder) {
  Receive({Frame(0x123, 1), Frame(0x123, 2), Frame(0x123, 3, {}, true), Frame(0x050, 4)});
  TIdFilterList& filter = Views.IdFilter();
  ASSERT_EQ(filter.Model().rowCount(), 2);
  EXPECT_EQ(FilterCell(0, 0), QStringLiteral("050"));
  EXPECT_EQ(FilterCell(1, 0), QStringLiteral("123"));
  EXPECT_EQ(FilterCell(1, 1), QStringLiteral("0"));  // the later extended frame changes nothing
  EXPECT_EQ(FilterCell(1, 2), QStringLiteral("CAN ID: 123"));
  EXPECT_TRUE(filter.RowState(1).Checked());
  EXPECT_EQ(filter.RowState(1).CheckType, TCheckType::ctCheckBox);
  EXPECT_TRUE(filter.Row(1).AddToLog);
  EXPECT_EQ(filter.Row(1).Color, 0u);
}

TEST_F(IdFilterTest, HandAddedRowsStartUncheckedAndDuplicatesLookUpTheFirst) {
  TIdFilterList& filter = Views.IdFilter();
  Receive({Frame(0x200, 1)});
  filter.BeginAddMode();
  filter.ApplyEdit("300", false, "by hand");
  filter.BeginAddMode();
  filter.ApplyEdit("200", false, "second 200");
  filter.BeginAddMode();
  filter.ApplyEdit("", true, QString(300, 'd'));  // empty identifier counts as 0
  ASSERT_EQ(filter.RowCount(), 4u);
  EXPECT_EQ(filter.Row(3).CanId, 0);
  EXPECT_EQ(filter.Row(3).Description.Length, 255);
  EXPECT_FALSE(filter.RowState(1).Checked());
  EXPECT_EQ(filter.FindCanIdFilterDataNode(0x200)->Description.ToString(), QStringLiteral("CAN ID: 200"));
  Receive({Frame(0x300, 2)});  // unchecked row keeps it out of both views
  EXPECT_EQ(Views.Trace().RowCount(), 1u);
  EXPECT_EQ(Views.Monitor().RowCount(), 1u);
  Receive({Frame(0x100, 3)});  // the next automatic addition sorts the whole list
  EXPECT_EQ(FilterCell(0, 0), QStringLiteral("00000000"));
  EXPECT_EQ(FilterCell(1, 0), QStringLiteral("100"));
  EXPECT_EQ(FilterCell(2, 2), QStringLiteral("CAN ID: 200"));
  EXPECT_EQ(FilterCell(3, 2), QStringLiteral("second 200"));
  // Outside add mode, apply edits the first row of the identifier.
  filter.ApplyEdit("200", false, "renamed");
  EXPECT_EQ(FilterCell(2, 2), QStringLiteral("renamed"));
  EXPECT_THROW(filter.ApplyEdit("2G0", false, "x"), EConvertError);
}

TEST_F(IdFilterTest, CheckUncheckAllAlternatesFromUncheckWhateverTheRowsHold) {
  TIdFilterList& filter = Views.IdFilter();
  Receive({Frame(0x1, 1), Frame(0x2, 1)});
  filter.SetRowChecked(0, false);
  filter.SetRowChecked(1, false);
  const int before = Changes;
  filter.CheckUncheckAll();
  EXPECT_FALSE(filter.RowState(0).Checked() || filter.RowState(1).Checked());
  filter.CheckUncheckAll();
  EXPECT_TRUE(filter.RowState(0).Checked() && filter.Row(1).AddToLog);
  filter.CheckUncheckAll();
  EXPECT_FALSE(filter.Row(0).AddToLog);
  EXPECT_EQ(Changes, before);  // neither checking nor colours mark the project
  filter.SetRowColor(0, 0x00FF00);
  EXPECT_EQ(Changes, before);
}

TEST_F(IdFilterTest, RemovedRowsComeBackCheckedWithTheirDefaultDescription) {
  TIdFilterList& filter = Views.IdFilter();
  Receive({Frame(0x1, 1), Frame(0x2, 1)});
  filter.SetRowChecked(0, false);
  filter.RemoveRow(0);
  EXPECT_EQ(filter.FindCanIdFilterDataNode(0x1), nullptr);
  EXPECT_EQ(filter.FindRow(0x2), 0u);
  Views.EnterSentMessage(Frame(0x1, 0));
  EXPECT_TRUE(filter.FindCanIdFilterDataNode(0x1)->AddToLog);
  filter.ClearFilterList();
  EXPECT_EQ(filter.Model().rowCount(), 0);
  Receive({Frame(0x2, 5)});
  EXPECT_EQ(FilterCell(0, 2), QStringLiteral("CAN ID: 002"));
}

TEST_F(IdFilterTest, ViewColoursPerColourAction) {
  TIdFilterList& filter = Views.IdFilter();
  Receive({Frame(0x1, 1)});
  filter.SetRowColor(0, 0xFF0000);  // blue
  Views.Trace().SetColorFilter(true);
  EXPECT_EQ(Views.Trace().Model().index(0, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
  EXPECT_EQ(Views.Monitor().Model().index(0, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
  EXPECT_EQ(filter.Model().index(0, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
}

TEST_F(IdFilterTest, LoadedRowsAreFoundAndTheModelShowsThem) {
  TIdFilterList& filter = Views.IdFilter();
  TIdFilterData row;
  row.CanId = 0x42;
  row.AddToLog = true;
  row.Description.Set("loaded");
  filter.BeginLoad();
  filter.AppendLoadedRow(&row, TRowState::CheckBox(true));
  filter.EndLoad();
  EXPECT_EQ(filter.Model().rowCount(), 1);
  ASSERT_NE(filter.FindCanIdFilterDataNode(0x42), nullptr);
  EXPECT_EQ(std::memcmp(filter.RecordBytes(0), &row, sizeof row), 0);
}
