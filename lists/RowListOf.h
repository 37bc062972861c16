#pragma once
// The common part of every list: its row store, its item model, and the list-file hooks
// that copy records as raw bytes.

#include <cstring>

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

  void ClearRows() {
    FModel.BeginReset();
    FRows.Clear();
    RowsReplaced();
    FModel.EndReset();
  }

  TRowStore<TRecord> FRows;
  TRowModel FModel;
};
