#include "catalog/FormatDataTreeModel.h"

TFormatDataTreeModel::TFormatDataTreeModel(TFormatDataList& list, QObject* parent)
    : QAbstractItemModel(parent), FList(list) {
  connect(&list.Model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
  connect(&list.Model(), &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
}

std::size_t TFormatDataTreeModel::ChildCount(std::size_t unit) const {
  const auto& units = FList.ControlUnitRows();
  const std::size_t end = unit + 1 < units.size() ? units[unit + 1] : FList.RowCount();
  return end - units[unit] - 1;
}

QModelIndex TFormatDataTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (!hasIndex(row, column, parent)) return {};
  return createIndex(row, column, parent.isValid() ? static_cast<quintptr>(parent.row()) + 1 : 0);
}

QModelIndex TFormatDataTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == 0) return {};
  return createIndex(static_cast<int>(child.internalId() - 1), 0, quintptr{0});
}

int TFormatDataTreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(FList.ControlUnitRows().size());
  if (parent.internalId() != 0 || parent.column() != 0) return 0;
  return static_cast<int>(ChildCount(static_cast<std::size_t>(parent.row())));
}

int TFormatDataTreeModel::columnCount(const QModelIndex& /*parent*/) const { return FList.ColumnCount(); }

std::size_t TFormatDataTreeModel::StoreRow(const QModelIndex& index) const {
  const auto& units = FList.ControlUnitRows();
  if (index.internalId() == 0) return units[static_cast<std::size_t>(index.row())];
  return units[index.internalId() - 1] + 1 + static_cast<std::size_t>(index.row());
}

QVariant TFormatDataTreeModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  switch (role) {
    case Qt::DisplayRole: return FList.CellText(StoreRow(index), index.column());
    case Qt::BackgroundRole: return FList.CellBackground(StoreRow(index), index.column());
    case Qt::TextAlignmentRole:
      if (TFormatDataList::ColumnRightAligned(index.column())) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default: return {};
  }
}

QVariant TFormatDataTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= FList.ColumnCount()) return {};
  if (role == Qt::DisplayRole) return FList.ColumnTitle(section);
  if (role == Qt::TextAlignmentRole && TFormatDataList::ColumnRightAligned(section))
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags TFormatDataTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.internalId() != 0) result |= Qt::ItemNeverHasChildren;
  return result;
}
