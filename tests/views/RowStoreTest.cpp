#include <gtest/gtest.h>

#include <QSignalSpy>
#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "TrafficFixture.h"
#include "model/ShortText.h"
#include "lists/CanIdIndex.h"
#include "lists/IdSlotMap.h"
#include "lists/OrderedRowStore.h"
#include "lists/RowStore.h"

namespace {
struct TRec {
  std::int32_t Key = 0;
  std::int32_t Seq = 0;
};
bool KeyLess(const TRec& a, const TRec& b) { return a.Key < b.Key; }
std::int64_t KeyOf(const TRec& r) { return r.Key; }
using TOrderedRecs = TOrderedRowStore<TRec, KeyOf>;
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

// A merge of waiting rows gives what a stable sort of the whole list gives, tells every old
// and waiting row where it went, and leaves slot and row lookups agreeing.
TEST(OrderedRowStore, MergeTailMatchesAStableSortAndReportsWhereRowsWent) {
  std::uint32_t seed = 12345;
  const auto next = [&seed] { return seed = seed * 1103515245U + 12345U, static_cast<int>((seed >> 8) % 400); };
  TOrderedRecs rows;
  std::vector<TRec> expected;
  int seq = 0;
  for (const int batch : {1, 7, 300, 1, 2000, 64}) {
    const std::size_t sorted = rows.Count();
    std::vector<int> seqOfOldRow;
    for (std::size_t r = 0; r < sorted; ++r) seqOfOldRow.push_back(rows.Record(r).Seq);
    for (int i = 0; i < batch; ++i) {
      const TRec record{next(), seq++};  // keys repeat: equal rows must keep arrival order
      rows.Append(record, TRowState::CheckBox(record.Seq % 3 == 0));
      seqOfOldRow.push_back(record.Seq);
      expected.push_back(record);
    }
    TRowReorder reorder;
    rows.MergeTail(sorted, reorder);
    std::stable_sort(expected.begin(), expected.end(), KeyLess);
    ASSERT_EQ(rows.Count(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r) {
      ASSERT_EQ(rows.Record(r).Seq, expected[r].Seq) << "batch " << batch << ", row " << r;
      ASSERT_EQ(rows.State(r).Checked(), expected[r].Seq % 3 == 0);
      ASSERT_EQ(rows.RowOfSlot(rows.SlotOf(r)), r);
    }
    for (std::size_t old = 0; old < seqOfOldRow.size(); ++old)
      ASSERT_EQ(rows.Record(reorder.NewRow(old)).Seq, seqOfOldRow[old]) << "batch " << batch << ", old row " << old;
  }
}

// Erasing moves the last slot into the freed one; the list order and the index must not notice.
TEST(OrderedRowStore, EraseAndInsertKeepOrderAndTheIndexFindsTheFirstRow) {
  TOrderedRecs rows;
  TCanIdIndex index;
  for (int i = 0; i < 3000; ++i) {
    const TRec record{(i * 7919) % 1000, i};  // every identifier three times, in scattered order
    rows.Insert(rows.UpperBound(record), record, TRowState{});
  }
  rows.Erase(0);
  rows.Erase(1500);
  rows.Erase(rows.Count() - 1);
  ASSERT_TRUE(rows.IsSorted());
  index.Rebuild(rows);
  for (int id = 0; id < 1000; ++id) {
    const std::size_t slot = index.FindSlot(id);
    ASSERT_NE(slot, TCanIdIndex::kNone) << id;
    const std::size_t row = rows.RowOfSlot(slot);
    EXPECT_EQ(rows.Record(row).Key, id);
    EXPECT_TRUE(row == 0 || rows.Record(row - 1).Key != id) << "not the first row of " << id;
  }
  EXPECT_EQ(index.FindSlot(1000), TCanIdIndex::kNone);
  // The selection is found in list order however the slots lie.
  EXPECT_EQ(rows.FirstRowWith(RowFlag::vsSelected), TOrderedRecs::kNone);
  rows.State(2000).Set(RowFlag::vsSelected, true);
  rows.State(1999).Set(RowFlag::vsSelected, true);
  EXPECT_EQ(rows.FirstRowWith(RowFlag::vsSelected), 1999u);
}

// The flat map answers as a node map does through every growth, for keys that share their
// home bucket, negative keys and keys added twice.
TEST(IdSlotMap, AnswersAsAReferenceMapThroughGrowth) {
  TIdSlotMap map;
  std::unordered_map<std::int64_t, std::size_t> reference;
  EXPECT_EQ(map.Find(0), TIdSlotMap::kNone);
  std::uint64_t x = 88172645463325252ULL;
  for (std::size_t i = 0; i < 100'000; ++i) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    const auto key = static_cast<std::int64_t>(i % 3 == 0 ? (i << 40) : i % 3 == 1 ? (x & 0x1FFFFFFF) : x);
    const std::size_t expected = reference.emplace(key, i).first->second;
    ASSERT_EQ(map.Emplace(key, i), expected) << i;
    if (i % 997 == 0) {
      for (const auto& [k, slot] : reference) ASSERT_EQ(map.Find(k), slot);
    }
  }
  EXPECT_EQ(map.Count(), reference.size());
  EXPECT_EQ(map.Find(-1), reference.count(-1) ? reference[-1] : TIdSlotMap::kNone);
  map.Clear();
  EXPECT_EQ(map.Find(static_cast<std::int64_t>(3) << 40), TIdSlotMap::kNone);
  EXPECT_EQ(map.Emplace(7, 1), 1u);
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

// A subscriber that fails around a drain: its error goes on to the caller, and every list still
// ends its update, so the rows of that drain and of every later one are shown.
TEST_F(RowModelTest, AnObserverFailingAroundADrainLeavesNoListSuspended) {
  struct TFailingObserver : TTrafficObserver {
    bool FailBegin = false;
    bool FailEnd = true;
    void FrameEntered(const TCanMsgProg&, bool) override {}
    void DrainBegun() override {
      if (FailBegin) throw std::runtime_error("begin");
    }
    void DrainEnded() override {
      if (FailEnd) throw std::runtime_error("end");
    }
  } failing;
  const auto suspended = [this] {
    return Views.Trace().Model().Suspended() || Views.Monitor().Model().Suspended() || Views.IdFilter().Model().Suspended();
  };
  Views.AddObserver(&failing);
  Views.BeginDrain();
  Views.DispatchReceivedMessage(Frame(0x200, 1));
  Views.DispatchReceivedMessage(Frame(0x100, 2));
  EXPECT_THROW(Views.EndDrain(), std::runtime_error);
  EXPECT_FALSE(suspended());
  EXPECT_EQ(Views.Trace().Model().rowCount(), 2);
  ASSERT_EQ(Views.Monitor().Model().rowCount(), 2);
  EXPECT_EQ(MonitorCell(0, 0), QStringLiteral("100")) << "the drain's new identifiers were merged into place";

  failing.FailEnd = false;
  failing.FailBegin = true;
  EXPECT_THROW(Views.BeginDrain(), std::runtime_error);
  EXPECT_FALSE(suspended());

  Views.RemoveObserver(&failing);
  Receive({Frame(0x300, 3)});
  EXPECT_EQ(Views.Trace().Model().rowCount(), 3);
  EXPECT_EQ(FilterCell(2, 0), QStringLiteral("300"));
}
