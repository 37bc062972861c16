#pragma once
// Qt item model over one list's rows. Rows hidden by their state flag are left out of the
// model; appended rows are published in batches while updates are suspended (one
// beginInsertRows per batch), and changed rows are reported as one range per batch.

#include <QAbstractTableModel>
#include <QFont>
#include <cstdint>
#include <vector>

#include "lists/RowList.h"
#include "lists/RowReorder.h"

class TRowModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TRowModel(TRowListBase& list, QObject* parent = nullptr);

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  [[nodiscard]] Qt::DropActions supportedDropActions() const override;

  // The font the view draws rows with; bold columns get its bold form.
  void SetFont(const QFont& font);

  // Suspension nests; the outermost EndUpdate publishes what accumulated.
  void BeginUpdate();
  void EndUpdate();
  [[nodiscard]] bool Suspended() const { return FSuspend > 0; }
  [[nodiscard]] int UpdateDepth() const { return FSuspend; }

  // The list calls these around its changes.
  void RowsAppended();  // after rows were added at the end (all visible)
  void RowChanged(std::size_t storeRow);
  void AllRowsChanged();
  void BeginInsertRow(std::size_t storeRow);  // before a row is inserted at storeRow
  void EndInsertRow();
  void BeginRemoveRow(std::size_t storeRow);
  void EndRemoveRow();
  void BeginReset();
  void EndReset();  // also re-reads which rows are visible
  // Around a reorder of the rows (new rows merged into place): the views keep their selection
  // and current row. `reorder` tells the store row each old store row became.
  void BeginReorder();
  void EndReorder(const TRowReorder& reorder);

  [[nodiscard]] std::size_t StoreRow(int modelRow) const;
  // -1 when the row is hidden or not yet published.
  [[nodiscard]] int ModelRow(std::size_t storeRow) const;

 signals:
  // After the outermost EndUpdate, and after any change made outside an update.
  void Published();

 private:
  void FlushPending();
  void PublishAppended();
  void EmitDirty();
  void RebuildVisibleRows();
  void Settled();

  TRowListBase& FList;
  QFont FFont;
  QFont FBoldFont;
  int FSuspend = 0;
  std::size_t FPublished = 0;          // store rows [0, FPublished) are known to the views
  bool FFiltered = false;              // some published row is hidden
  std::vector<std::uint32_t> FVisible;  // when filtered: the store rows shown, ascending
  int FDirtyFirst = -1;
  int FDirtyLast = -1;
  bool FResetting = false;
  bool FStructural = false;  // a begin/end pair is open
  QModelIndexList FReorderFrom;             // the views' indexes while a reorder runs
  std::vector<std::size_t> FReorderStoreRows;  // and the store rows they stood for
};
