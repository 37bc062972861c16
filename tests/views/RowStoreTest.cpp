#include <gtest/gtest.h>

#include <QSignalSpy>

#include "TrafficFixture.h"
#include "model/ShortText.h"
#include "lists/RowStore.h"

namespace {
struct TRec {
  std::int32_t Key = 0;
  std::int32_t Seq = 0;
};
bool KeyLess(const TRec& a, const TRec& b) { return a.Key < b.Key; }
}  // namespace

TEST(RowStore, KeepsRowsAcrossChunksThroughInsertEraseAndStableSort) {
  TRowStore<TRec> rows;
  const std::size_t n = TRowStore<TRec>::kChunkRows * 2 + 3;
  for (std::size_t i = 0; i < n; ++i) rows.Append({static_cast<int>(i % 5), static_cast<int>(i)}, TRowState{});
  rows.Insert(TRowStore<TRec>::kChunkRows - 1, {99, -1}, TRowState::CheckBox(true));
  ASSERT_EQ(rows.Count(), n + 1);
  EXPECT_EQ(rows.Record(TRowStore<TRec>::kChunkRows - 1).Seq, -1);
  EXPECT_TRUE(rows.State(TRowStore<TRec>::kChunkRows - 1).Checked());
  EXPECT_EQ(rows.Record(TRowStore<TRec>::kChunkRows).Seq, static_cast<int>(TRowStore<TRec>::kChunkRows - 1));
  rows.Erase(TRowStore<TRec>::kChunkRows - 1);
  for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(rows.Record(i).Seq, static_cast<int>(i));

  rows.StableSort(KeyLess);
  EXPECT_TRUE(rows.IsSorted(KeyLess));
  for (std::size_t i = 1; i < n; ++i) {
    if (rows.Record(i).Key == rows.Record(i - 1).Key) {
      ASSERT_LT(rows.Record(i - 1).Seq, rows.Record(i).Seq);
    }
  }
  // Where a stable sort would place a newcomer: after the rows with an equal key.
  const std::size_t at = rows.UpperBound({2, 0}, KeyLess);
  EXPECT_EQ(rows.Record(at - 1).Key, 2);
  EXPECT_EQ(rows.Record(at).Key, 3);
}

TEST(ShortText, CutsTo255AndUsesWindows1252) {
  TShortText text;
  text.Set(QString(300, QChar('x')));
  EXPECT_EQ(text.Length, 255);
  text.Set(QStringLiteral("Öl €5 — ✓"));
  EXPECT_EQ(static_cast<std::uint8_t>(text.Text[0]), 0xD6);
  EXPECT_EQ(static_cast<std::uint8_t>(text.Text[3]), 0x80);
  EXPECT_EQ(static_cast<std::uint8_t>(text.Text[6]), 0x97);
  EXPECT_EQ(text.ToString(), QStringLiteral("Öl €5 — ?"));
  text.SetAscii("12", 2);
  EXPECT_EQ(text.ToString(), QStringLiteral("12"));
  EXPECT_EQ(text.Text[2], 0);  // no leftovers of the longer text
}

using RowModelTest = TrafficFixture;

TEST_F(RowModelTest, ADrainPublishesItsRowsWithOneInsertAndOneChangeRange) {
  TRowModel& trace = Views.Trace().Model();
  TRowModel& monitor = Views.Monitor().Model();
  Receive({Frame(0x100, 1), Frame(0x200, 1)});
  QSignalSpy inserted(&trace, &QAbstractItemModel::rowsInserted);
  QSignalSpy changed(&monitor, &QAbstractItemModel::dataChanged);
  Views.BeginDrain();
  for (int i = 0; i < 500; ++i) Views.DispatchReceivedMessage(Frame(i % 2 ? 0x100 : 0x200, 10 + i));
  EXPECT_EQ(trace.rowCount(), 2);  // nothing published while suspended
  Views.EndDrain();
  EXPECT_EQ(trace.rowCount(), 502);
  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted[0][1].toInt(), 2);
  EXPECT_EQ(inserted[0][2].toInt(), 501);
  EXPECT_EQ(changed.count(), 1);
}

TEST_F(RowModelTest, CheckBoxesOnlyWhereTheRowHasOne) {
  Receive({Frame(0x123, 1)});
  TRowModel& filter = Views.IdFilter().Model();
  EXPECT_EQ(filter.index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_TRUE(filter.flags(filter.index(0, 0)) & Qt::ItemIsUserCheckable);
  EXPECT_FALSE(Views.Monitor().Model().index(0, 0).data(Qt::CheckStateRole).isValid());
  EXPECT_TRUE(filter.setData(filter.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
  EXPECT_FALSE(Views.IdFilter().Row(0).AddToLog);
  EXPECT_FALSE(Views.Monitor().Model().setData(Views.Monitor().Model().index(0, 0), Qt::Checked, Qt::CheckStateRole));
}
