#pragma once
// The decoded messages as a tree for the window: control-unit rows at the top level, their
// message rows as children. Follows the list's own model, which only ever changes by resets.

#include <QAbstractItemModel>

#include "catalog/FormatDataList.h"

class TFormatDataTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit TFormatDataTreeModel(TFormatDataList& list, QObject* parent = nullptr);

  [[nodiscard]] QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  [[nodiscard]] QModelIndex parent(const QModelIndex& child) const override;
  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The list row an index shows.
  [[nodiscard]] std::size_t StoreRow(const QModelIndex& index) const;

 private:
  // A child's internal id is its control unit's top-level row + 1; top-level rows carry 0.
  [[nodiscard]] std::size_t ChildCount(std::size_t unit) const;

  TFormatDataList& FList;
};
