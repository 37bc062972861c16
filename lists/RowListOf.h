#pragma once
// The common part of every list: its row store, its item model, and the list-file hooks
// that copy records as raw bytes.

#include <cstring>

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
  virtual void EndUpdate() { FModel.EndUpdate(); }

 protected:
  // After rows were replaced wholesale (load, clear): rebuild whatever indexes the list keeps.
  virtual void RowsReplaced() {}

  // For the per-identifier lists: the same result as appending and sorting the whole list
  // stably; when the list is already in order that is a single insertion, which keeps the
  // views' selection where it was. Such a list has one order and never changes a row's
  // identifier in place, so rows found in order stay so until rows are added, removed or moved.
  template <typename Less, typename Key>
  void InsertInOrder(const TRecord& record, TRowState state, TCanIdIndex& index, Less less, Key key) {
    if (FInOrderArrangement == FRows.Arrangement() || FRows.IsSorted(less)) {
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

  void ClearRows() {
    FModel.BeginReset();
    FRows.Clear();
    RowsReplaced();
    FModel.EndReset();
  }

  TRowStore<TRecord> FRows;
  TRowModel FModel;

 private:
  std::uint64_t FInOrderArrangement = static_cast<std::uint64_t>(-1);  // none seen yet
};
