#pragma once
// The "Statistics" page: the bus figures (load of the last second, its peak, the average,
// frames and bit rate) above a table of the identifiers that sorts by any column.

#include <QWidget>

#include "CanPackage/source/CanErrorClasses.h"
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
  // The error frames of a SocketCAN channel by class; null for an adapter that has none.
  void ShowErrors(const TCanErrorCounts* counts);

  [[nodiscard]] QTreeView* List() const { return FList; }
  [[nodiscard]] QLabel* BusFigures() const { return FFigures; }
  [[nodiscard]] TStatisticsModel& Model() { return FModel; }

 private:
  const TTrafficStatistics& FSource;
  TStatisticsModel FModel;
  QSortFilterProxyModel* FSorted = nullptr;
  QTreeView* FList = nullptr;
  QLabel* FFigures = nullptr;
  QLabel* FErrors = nullptr;
};

// "Errors: bus-off 0, error passive 1, …, last at 1234 ms; bus error passive".
[[nodiscard]] QString CanErrorsText(const TCanErrorCounts& counts);

// "Load: 12.5 %" of the last second; orange over 70 %, red over 90 %.
[[nodiscard]] QString BusLoadText(double load);
[[nodiscard]] QString BusLoadStyle(double load);
