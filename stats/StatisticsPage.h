#pragma once
// The "Statistics" page: the bus figures (load of the last second, its peak, the average,
// frames and bit rate) above a table of the identifiers that sorts by any column.

#include <QWidget>

#include "stats/StatisticsModel.h"

class QLabel;
class QSortFilterProxyModel;
class QTreeView;

class TStatisticsPage : public QWidget {
  Q_OBJECT
 public:
  explicit TStatisticsPage(const TTrafficStatistics& source, QWidget* parent = nullptr);

  // After the figures changed.
  void Refresh();

  [[nodiscard]] QTreeView* List() const { return FList; }
  [[nodiscard]] QLabel* BusFigures() const { return FFigures; }
  [[nodiscard]] TStatisticsModel& Model() { return FModel; }

 private:
  const TTrafficStatistics& FSource;
  TStatisticsModel FModel;
  QSortFilterProxyModel* FSorted = nullptr;
  QTreeView* FList = nullptr;
  QLabel* FFigures = nullptr;
};

// "Load: 12.5 %" of the last second; orange over 70 %, red over 90 %.
[[nodiscard]] QString BusLoadText(double load);
[[nodiscard]] QString BusLoadStyle(double load);
