#include "lists/RowModel.h"

#include <algorithm>

TRowModel::TRowModel(TRowListBase& list, QObject* parent) : QAbstractTableModel(parent), FList(list) {
  FBoldFont.setBold(true);
}

int TRowModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(FFiltered ? FVisible.size() : FPublished);
}

int TRowModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : FList.ColumnCount(); }

std::size_t TRowModel::StoreRow(int modelRow) const {
  return FFiltered ? FVisible[static_cast<std::size_t>(modelRow)] : static_cast<std::size_t>(modelRow);
}

int TRowModel::ModelRow(std::size_t storeRow) const {
  if (storeRow >= FPublished) return -1;
  if (!FFiltered) return static_cast<int>(storeRow);
  const auto it = std::lower_bound(FVisible.begin(), FVisible.end(), storeRow);
  return (it != FVisible.end() && *it == storeRow) ? static_cast<int>(it - FVisible.begin()) : -1;
}

QVariant TRowModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const std::size_t row = StoreRow(index.row());
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return FList.CellText(row, column);
    case Qt::ForegroundRole:
      return FList.CellColor(row, column);
    case Qt::FontRole:
      return FList.CellBold(column) ? QVariant(FBoldFont) : QVariant();
    case Qt::DecorationRole:
      return FList.CellImage(row, column);
    case Qt::UserRole:
      return FList.CellValue(row, column);
    case Qt::CheckStateRole: {
      const TRowState& state = FList.RowState(row);
      if (column != 0 || state.CheckType == TCheckType::ctNone) return {};
      return state.Checked() ? Qt::Checked : Qt::Unchecked;
    }
    default:
      return {};
  }
}

QVariant TRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= FList.ColumnCount()) return {};
  if (role == Qt::DisplayRole) return FList.ColumnTitle(section);
  return {};
}

Qt::ItemFlags TRowModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return FList.RowsDraggable() ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (FList.RowsDraggable()) result |= Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
  if (index.column() == 0 && FList.RowState(StoreRow(index.row())).CheckType != TCheckType::ctNone)
    result |= Qt::ItemIsUserCheckable;
  return result;
}

bool TRowModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !checkIndex(index, CheckIndexOption::IndexIsValid) || index.column() != 0) return false;
  const std::size_t row = StoreRow(index.row());
  if (FList.RowState(row).CheckType == TCheckType::ctNone) return false;
  FList.SetRowChecked(row, static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
  return true;
}

Qt::DropActions TRowModel::supportedDropActions() const {
  return FList.RowsDraggable() ? Qt::MoveAction : Qt::IgnoreAction;
}

void TRowModel::SetFont(const QFont& font) {
  FFont = font;
  FBoldFont = font;
  FBoldFont.setBold(true);
  AllRowsChanged();
}

void TRowModel::BeginUpdate() { ++FSuspend; }

void TRowModel::EndUpdate() {
  if (FSuspend == 0 || --FSuspend > 0) return;
  FlushPending();
  emit Published();
}

void TRowModel::Settled() {
  if (FSuspend == 0) emit Published();
}

void TRowModel::RowsAppended() {
  if (FSuspend > 0 || FResetting || FStructural) return;
  PublishAppended();
  Settled();
}

void TRowModel::PublishAppended() {
  const std::size_t count = FList.RowCount();
  if (count <= FPublished) return;
  const int first = rowCount();
  const int last = first + static_cast<int>(count - FPublished) - 1;
  beginInsertRows({}, first, last);
  if (FFiltered)
    for (std::size_t row = FPublished; row < count; ++row) FVisible.push_back(static_cast<std::uint32_t>(row));
  FPublished = count;
  endInsertRows();
}

void TRowModel::RowChanged(std::size_t storeRow) {
  const int row = ModelRow(storeRow);
  if (row < 0) return;
  if (FSuspend > 0) {
    FDirtyFirst = FDirtyFirst < 0 ? row : std::min(FDirtyFirst, row);
    FDirtyLast = std::max(FDirtyLast, row);
    return;
  }
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
  Settled();
}

void TRowModel::AllRowsChanged() {
  if (rowCount() == 0) return;
  FDirtyFirst = 0;
  FDirtyLast = rowCount() - 1;
  if (FSuspend == 0) {
    EmitDirty();
    Settled();
  }
}

void TRowModel::EmitDirty() {
  if (FDirtyFirst < 0) return;
  const int first = FDirtyFirst, last = std::min(FDirtyLast, rowCount() - 1);
  FDirtyFirst = FDirtyLast = -1;
  if (first <= last) emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

void TRowModel::FlushPending() {
  EmitDirty();
  PublishAppended();
}

void TRowModel::BeginInsertRow(std::size_t storeRow) {
  FlushPending();
  FStructural = true;
  if (FFiltered) {
    BeginReset();
    return;
  }
  beginInsertRows({}, static_cast<int>(storeRow), static_cast<int>(storeRow));
}

void TRowModel::EndInsertRow() {
  FStructural = false;
  if (FResetting) {
    EndReset();
    return;
  }
  ++FPublished;
  endInsertRows();
  Settled();
}

void TRowModel::BeginRemoveRow(std::size_t storeRow) {
  FlushPending();
  FStructural = true;
  const int row = ModelRow(storeRow);
  if (FFiltered || row < 0) {
    BeginReset();
    return;
  }
  beginRemoveRows({}, row, row);
}

void TRowModel::EndRemoveRow() {
  FStructural = false;
  if (FResetting) {
    EndReset();
    return;
  }
  --FPublished;
  endRemoveRows();
  Settled();
}

void TRowModel::BeginReset() {
  if (FResetting) return;
  EmitDirty();
  FResetting = true;
  beginResetModel();
}

void TRowModel::EndReset() {
  if (!FResetting) return;
  FResetting = false;
  FStructural = false;
  FDirtyFirst = FDirtyLast = -1;
  FPublished = FList.RowCount();
  RebuildVisibleRows();
  endResetModel();
  Settled();
}

void TRowModel::BeginReorder() {
  FlushPending();  // rows appended meanwhile are published at the end first
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  FReorderFrom = persistentIndexList();
  FReorderStoreRows.clear();
  for (const QModelIndex& index : FReorderFrom) FReorderStoreRows.push_back(StoreRow(index.row()));
}

void TRowModel::EndReorder(const TRowReorder& reorder) {
  if (FFiltered) RebuildVisibleRows();  // merged rows are published visible, as appended ones
  QModelIndexList to;
  to.reserve(FReorderFrom.size());
  for (qsizetype i = 0; i < FReorderFrom.size(); ++i) {
    const int row = ModelRow(reorder.NewRow(FReorderStoreRows[static_cast<std::size_t>(i)]));
    to << (row < 0 ? QModelIndex() : index(row, FReorderFrom[i].column()));
  }
  changePersistentIndexList(FReorderFrom, to);
  FReorderFrom.clear();
  FReorderStoreRows.clear();
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  Settled();
}

void TRowModel::RebuildVisibleRows() {
  FVisible.clear();
  FFiltered = false;
  for (std::size_t row = 0; row < FPublished; ++row)
    if (!FList.RowState(row).Visible()) {
      FFiltered = true;
      break;
    }
  if (!FFiltered) {
    FVisible.shrink_to_fit();
    return;
  }
  for (std::size_t row = 0; row < FPublished; ++row)
    if (FList.RowState(row).Visible()) FVisible.push_back(static_cast<std::uint32_t>(row));
}
