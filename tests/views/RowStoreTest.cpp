#include <gtest/gtest.h>

#include <QSignalSpy>
#include <vector>

#include "TrafficFixture.h"
#include "model/ShortText.h"
#include "lists/CanIdIndex.h"
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

// Insertion shifts whole runs of a chunk; every position around the chunk seams must give
// what a plain vector insert gives, states included.
TEST(RowStore, InsertAtAnyPositionMatchesAVectorInsert) {
  constexpr std::size_t kRows = TRowStore<TRec>::kChunkRows;
  for (const std::size_t at : {std::size_t{0}, kRows - 1, kRows, kRows + 1, 2 * kRows, 2 * kRows + 2}) {
    TRowStore<TRec> rows;
    std::vector<int> expected;
    for (int i = 0; i < static_cast<int>(2 * kRows + 2); ++i) {
      rows.Append({0, i}, TRowState::CheckBox(i % 2 == 0));
      expected.push_back(i);
    }
    rows.Insert(at, {0, -1}, TRowState::CheckBox(true));
    expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), -1);
    ASSERT_EQ(rows.Count(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(rows.Record(i).Seq, expected[i]) << "insert at " << at << ", row " << i;
      ASSERT_EQ(rows.State(i).Checked(), expected[i] < 0 || expected[i] % 2 == 0) << "insert at " << at << ", row " << i;
    }
  }
}

// The index kept up to date insertion by insertion answers as a rebuilt one does.
TEST(CanIdIndex, InsertionsKeepTheFirstRowOfEachIdentifier) {
  TRowStore<TRec> rows;
  TCanIdIndex index;
  const auto key = [](const TRec& r) { return std::int64_t{r.Key}; };
  for (int i = 0; i < 3000; ++i) {
    const TRec record{(i * 7919) % 1000, i};  // every identifier three times, in scattered order
    const std::size_t at = rows.UpperBound(record, KeyLess);
    rows.Insert(at, record, TRowState{});
    index.NoteInserted(record.Key, at);
  }
  ASSERT_TRUE(rows.IsSorted(KeyLess));
  TCanIdIndex rebuilt;
  rebuilt.Rebuild(rows, key);
  for (int id = 0; id < 1000; ++id) {
    ASSERT_EQ(index.Find(id), rebuilt.Find(id)) << id;
    EXPECT_EQ(rows.Record(index.Find(id)).Key, id);
  }
  EXPECT_EQ(index.Find(1000), TCanIdIndex::kNone);
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
