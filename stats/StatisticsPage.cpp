#include "stats/StatisticsPage.h"

#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

#include "lists/ListView.h"

TStatisticsPage::TStatisticsPage(const TTrafficStatistics& source, QWidget* parent)
    : QWidget(parent), FSource(source), FModel(source) {
  setObjectName(QStringLiteral("tsStatistics"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(CreateTitleBar(this, QStringLiteral("Statistics")));
  FFigures = new QLabel(this);
  FFigures->setObjectName(QStringLiteral("labBusFigures"));
  FFigures->setContentsMargins(6, 4, 6, 4);
  layout->addWidget(FFigures);
  FErrors = new QLabel(this);
  FErrors->setObjectName(QStringLiteral("labBusErrors"));
  FErrors->setContentsMargins(6, 0, 6, 4);
  FErrors->setVisible(false);
  layout->addWidget(FErrors);

  FSorted = new QSortFilterProxyModel(this);
  FSorted->setSourceModel(&FModel);
  FSorted->setSortRole(Qt::UserRole);
  FList = CreateTreeListView(this, QStringLiteral("vstStatistics"), QStringLiteral("Statistics"));
  FList->setRootIsDecorated(false);
  FList->setModel(FSorted);
  FList->setSortingEnabled(true);
  FList->sortByColumn(TStatisticsModel::colId, Qt::AscendingOrder);
  FList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(FList, 1);
  Refresh();
}

void TStatisticsPage::Refresh() {
  FModel.Refresh();
  const TBusStatistics& bus = FSource.Statistics();
  const std::int64_t now = FSource.NowUs();
  FFigures->setText(QStringLiteral("Bus load %1 %  (peak %2 %, average %3 %)    Frames %4    Bit rate %5 kbit/s")
                        .arg(100 * bus.LastSecondLoad(now), 0, 'f', 1)
                        .arg(100 * bus.PeakLoad(), 0, 'f', 1)
                        .arg(100 * bus.AverageLoad(now), 0, 'f', 1)
                        .arg(bus.Frames())
                        .arg(bus.BitRate() / 1000, 0, 'f', 1));
}

void TStatisticsPage::ShowErrors(const TCanErrorCounts* counts) {
  FErrors->setVisible(counts != nullptr);
  if (counts) FErrors->setText(CanErrorsText(*counts));
}

QString CanErrorsText(const TCanErrorCounts& counts) {
  QStringList classes;
  for (std::size_t i = 0; i < kCanErrorClasses; ++i)
    classes << QStringLiteral("%1 %2").arg(QLatin1String(CanErrorClassName(static_cast<TCanErrorClass>(i)))).arg(counts.Count[i]);
  QString text = QStringLiteral("Errors: ") + classes.join(QStringLiteral(", "));
  if (counts.LastMs >= 0) text += QStringLiteral(", last at %1 ms").arg(counts.LastMs);
  if (counts.KernelDrops > 0) text += QStringLiteral("; %1 frames dropped by the kernel").arg(counts.KernelDrops);
  return text + QStringLiteral("; bus ") + QLatin1String(CanBusStateName(counts.State));
}

QString BusLoadText(double load) { return QStringLiteral("Load: %1 %").arg(100 * load, 0, 'f', 1); }

QString BusLoadStyle(double load) {
  if (load > 0.9) return QStringLiteral("color: #C00000; font-weight: bold;");
  if (load > 0.7) return QStringLiteral("color: #C06000;");
  return {};
}
