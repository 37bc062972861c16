#include "stats/StatisticsModel.h"

#include <QColor>

#include "model/CanText.h"

namespace {
QString StateText(TArrival arrival) {
  switch (arrival) {
    case TArrival::Late: return QStringLiteral("late");
    case TArrival::Gone: return QStringLiteral("gone");
    case TArrival::OnTime: break;
  }
  return {};
}
}  // namespace

TStatisticsModel::TStatisticsModel(const TTrafficStatistics& source, QObject* parent) : QAbstractTableModel(parent), FSource(source) {}

int TStatisticsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : FRows; }
int TStatisticsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant TStatisticsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kTitles[kColumns] = {"CAN ID",      "Count",       "Frames/s", "Mean period ms", "Min period ms", "Max period ms",
                                                "Std period ms", "Bytes/s", "Load share %", "Cycle ms",      "State"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) return {};
  return QString::fromLatin1(kTitles[section]);
}

// Numbers for sorting; the display text is made from them.
QVariant TStatisticsModel::Value(const TIdStatistics& id, int column) const {
  const TBusStatistics& bus = FSource.Statistics();
  const double seconds = static_cast<double>(bus.SpanUs()) / 1e6;
  const bool periods = id.Periods() > 0;
  switch (column) {
    case colId: return (static_cast<qlonglong>(id.CanId) << 1) | (id.Extended ? 1 : 0);
    case colCount: return static_cast<qulonglong>(id.Count);
    case colRate: return periods && id.MeanPeriodUs() > 0 ? QVariant(1e6 / id.MeanPeriodUs()) : QVariant();
    case colMean: return periods ? QVariant(id.MeanPeriodUs() / 1000) : QVariant();
    case colMin: return periods ? QVariant(static_cast<double>(id.MinPeriodUs) / 1000) : QVariant();
    case colMax: return periods ? QVariant(static_cast<double>(id.MaxPeriodUs) / 1000) : QVariant();
    case colStd: return periods ? QVariant(id.StdPeriodUs() / 1000) : QVariant();
    case colBytesRate: return seconds > 0 ? QVariant(static_cast<double>(id.Bytes) / seconds) : QVariant();
    case colShare: return bus.Bits() > 0 ? QVariant(100.0 * static_cast<double>(id.Bits) / static_cast<double>(bus.Bits())) : QVariant();
    case colCycle: return id.ExpectedCycleUs > 0 ? QVariant(static_cast<double>(id.ExpectedCycleUs) / 1000) : QVariant();
    case colState: return static_cast<int>(bus.Arrival(id, FSource.NowUs()));
    default: return {};
  }
}

QVariant TStatisticsModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const TIdStatistics& id = FSource.Statistics().Identifiers()[static_cast<std::size_t>(index.row())];
  const int column = index.column();
  if (role == Qt::UserRole) return Value(id, column);
  if (role == Qt::ForegroundRole && column == colState) {
    const TArrival arrival = FSource.Statistics().Arrival(id, FSource.NowUs());
    return arrival == TArrival::Gone ? QColor(Qt::red) : arrival == TArrival::Late ? QColor(0xC0, 0x60, 0x00) : QVariant();
  }
  if (role == Qt::TextAlignmentRole) return column == colId || column == colState ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  if (column == colId) return CanIdToText(id.Extended, id.CanId);
  if (column == colCount) return QString::number(id.Count);
  if (column == colState) return StateText(FSource.Statistics().Arrival(id, FSource.NowUs()));
  const QVariant value = Value(id, column);
  return value.isValid() ? QString::number(value.toDouble(), 'f', column == colShare ? 2 : 1) : QString();
}

void TStatisticsModel::Refresh() {
  const int rows = static_cast<int>(FSource.Statistics().Identifiers().size());
  if (rows < FRows) {  // started over
    beginResetModel();
    FRows = rows;
    endResetModel();
    return;
  }
  if (rows > FRows) {
    beginInsertRows({}, FRows, rows - 1);
    FRows = rows;
    endInsertRows();
  }
  if (FRows > 0) emit dataChanged(index(0, 0), index(FRows - 1, kColumns - 1));
}
