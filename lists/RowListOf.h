#pragma once
// The common part of every list: its row store, its item model, and the list-file hooks
// that copy records as raw bytes.

#include <algorithm>
#include <cstring>
#include <vector>

#include "lists/CanIdIndex.h"
#include "lists/RowModel.h"
#include "lists/RowStore.h"

template <typename TRecord>
class TRowListOf : public TRowListBase {
 public:
  TRowListOf() : FModel(*this) {}
  TRowListOf(const TRowListOf&) = delete;
  TRowListOf& operator=(const TRowListOf&) = delete;

  [[nodiscard]] std::size_t RowCount() const override { return FRows.Count(); }
  [[nodiscard]] const TRowState& RowState(std::size_t row) const override { return FRows.State(row); }
  [[nodiscard]] const TRecord& Row(std::size_t row) const { return FRows.Record(row); }

  [[nodiscard]] std::size_t RecordSize() const override { return sizeof(TRecord); }
  [[nodiscard]] const void* RecordBytes(std::size_t row) const override { return &FRows.Record(row); }

  void BeginLoad() override {
    FModel.BeginReset();
    FRows.Clear();
    FPendingFrom = kNoRow;
  }
  void AppendLoadedRow(const void* bytes, TRowState state) override {
    TRecord record;
    std::memcpy(static_cast<void*>(&record), bytes, sizeof(TRecord));
    FRows.Append(record, state);
  }
  void EndLoad() override {
    RowsReplaced();
    FModel.EndReset();
  }

  [[nodiscard]] TRowModel& Model() override { return FModel; }
  [[nodiscard]] const TRowModel& Model() const { return FModel; }

  // Single selection, kept in the row flags so that the list files carry it.
  static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
  void SelectRow(std::size_t row) {  // kNoRow clears it
    for (std::size_t i = 0; i < FRows.Count(); ++i) FRows.State(i).Set(RowFlag::vsSelected, i == row);
  }
  [[nodiscard]] std::size_t SelectedRow() const {
    for (std::size_t i = 0; i < FRows.Count(); ++i)
      if (FRows.State(i).Selected()) return i;
    return kNoRow;
  }

  void BeginUpdate() { FModel.BeginUpdate(); }
  // The outermost end first puts the rows that arrived meanwhile into their places.
  virtual void EndUpdate() {
    if (FModel.UpdateDepth() == 1) MergePendingRows();
    FModel.EndUpdate();
  }

 protected:
  // After rows were replaced wholesale (load, clear): rebuild whatever indexes the list keeps.
  virtual void RowsReplaced() {}
  // A per-identifier list merges its waiting rows here (MergeInOrder in its own order).
  virtual void MergePendingRows() {}

  // For the per-identifier lists: the same result as appending and sorting the whole list
  // stably; when the list is already in order that is a single insertion, which keeps the
  // views' selection where it was. Such a list has one order and never changes a row's
  // identifier in place, so rows found in order stay so until rows are added, removed or moved.
  // During an update (a drain, an import step) new rows wait at the end, already found by the
  // index, and the update's end merges them all in one pass: a bus that brings thousands of
  // new identifiers a second costs one pass per drain, not one per identifier.
  template <typename Less, typename Key>
  void InsertInOrder(const TRecord& record, TRowState state, TCanIdIndex& index, Less less, Key key) {
    if (FModel.Suspended()) {
      if (FPendingFrom == kNoRow) {
        FPendingInOrder = InOrder(less);
        FPendingFrom = FRows.Count();
      }
      index.NoteAppended(key(record), FRows.Append(record, state));
      return;
    }
    if (InOrder(less)) {
      const std::size_t row = FRows.UpperBound(record, less);
      FModel.BeginInsertRow(row);
      FRows.Insert(row, record, state);
      index.NoteInserted(key(record), row);
      FModel.EndInsertRow();
    } else {
      FModel.BeginReset();
      FRows.Append(record, state);
      FRows.StableSort(less);
      index.Rebuild(FRows, key);
      FModel.EndReset();
    }
    FInOrderArrangement = FRows.Arrangement();
  }

  template <typename Less, typename Key>
  void MergeInOrder(TCanIdIndex& index, Less less, Key key) {
    if (FPendingFrom == kNoRow) return;
    const std::size_t firstNew = FPendingFrom;
    FPendingFrom = kNoRow;
    if (!FPendingInOrder) {  // the user had moved rows: the whole list is sorted again
      FModel.BeginReset();
      FRows.StableSort(less);
      index.Rebuild(FRows, key);
      FModel.EndReset();
    } else {
      FModel.BeginReorder();
      FRows.MergeTail(firstNew, less, FNewRowOfOld);
      index.Remap(FNewRowOfOld);
      FModel.EndReorder(FNewRowOfOld);
    }
    FInOrderArrangement = FRows.Arrangement();
  }

  void ClearRows() {
    FPendingFrom = kNoRow;
    FModel.BeginReset();
    FRows.Clear();
    RowsReplaced();
    FModel.EndReset();
  }

  TRowStore<TRecord> FRows;
  TRowModel FModel;

 private:
  template <typename Less>
  [[nodiscard]] bool InOrder(Less less) const {
    return FInOrderArrangement == FRows.Arrangement() || FRows.IsSorted(less);
  }

  std::uint64_t FInOrderArrangement = static_cast<std::uint64_t>(-1);  // none seen yet
  std::size_t FPendingFrom = kNoRow;  // first row waiting for its place, during an update
  bool FPendingInOrder = false;       // the rows before it were in order
  std::vector<std::size_t> FNewRowOfOld;  // kept between merges: no fresh pages for each drain
};
