#pragma once
// The common part of every list: its row store, its item model, and the list-file hooks
// that copy records as raw bytes.

#include <algorithm>
#include <cstring>
#include <vector>

#include "lists/CanIdIndex.h"
#include "lists/RowReorder.h"
#include "lists/RowModel.h"
#include "lists/RowStore.h"

// TStore is TRowStore, or TOrderedRowStore for a list kept in one order.
template <typename TRecord, typename TStore = TRowStore<TRecord>>
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
  [[nodiscard]] std::size_t SelectedRow() const { return FRows.FirstRowWith(RowFlag::vsSelected); }

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
  // new identifiers a second costs one merge per drain, not one insertion per identifier.
  void InsertInOrder(const TRecord& record, TRowState state, TCanIdIndex& index) {
    if (FModel.Suspended()) {
      if (FPendingFrom == kNoRow) {
        FPendingInOrder = InOrder();
        FPendingFrom = FRows.Count();
      }
      index.NoteAdded(TStore::Key(record), FRows.SlotOf(FRows.Append(record, state)));
      return;
    }
    if (InOrder()) {
      const std::size_t row = FRows.UpperBound(record);
      FModel.BeginInsertRow(row);
      FRows.Insert(row, record, state);
      index.NoteAdded(TStore::Key(record), FRows.SlotOf(row));
      FModel.EndInsertRow();
    } else {
      FModel.BeginReset();
      FRows.Append(record, state);
      FRows.StableSort();
      index.Rebuild(FRows);
      FModel.EndReset();
    }
    FInOrderArrangement = FRows.Arrangement();
  }

  void MergeInOrder(TCanIdIndex& index) {
    if (FPendingFrom == kNoRow) return;
    const std::size_t firstNew = FPendingFrom;
    FPendingFrom = kNoRow;
    if (!FPendingInOrder) {  // the user had moved rows: the whole list is sorted again
      FModel.BeginReset();
      FRows.StableSort();
      index.Rebuild(FRows);
      FModel.EndReset();
    } else {
      FModel.BeginReorder();
      FRows.MergeTail(firstNew, FReorder);
      FModel.EndReorder(FReorder);
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

  TStore FRows;
  TRowModel FModel;

 private:
  [[nodiscard]] bool InOrder() const { return FInOrderArrangement == FRows.Arrangement() || FRows.IsSorted(); }

  std::uint64_t FInOrderArrangement = static_cast<std::uint64_t>(-1);  // none seen yet
  std::size_t FPendingFrom = kNoRow;  // first row waiting for its place, during an update
  bool FPendingInOrder = false;       // the rows before it were in order
  TRowReorder FReorder;
};
