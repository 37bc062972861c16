#pragma once
// The identifiers of the bus figures as a table for the Statistics page: one row per
// identifier in order of first appearance (a sorting proxy orders them), numbers as text for
// display and as numbers under Qt::UserRole for sorting. Texts are made when a cell is asked for.

#include <QAbstractTableModel>

#include "stats/TrafficStatistics.h"

class TStatisticsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum TColumn { colId, colCount, colRate, colMean, colMin, colMax, colStd, colBytesRate, colShare, colCycle, colState, kColumns };

  explicit TStatisticsModel(const TTrafficStatistics& source, QObject* parent = nullptr);

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // After the figures changed: new identifiers come in as rows, the rest is repainted.
  void Refresh();

 private:
  [[nodiscard]] QVariant Value(const TIdStatistics& id, int column) const;

  const TTrafficStatistics& FSource;
  int FRows = 0;
};
