#include "transmit/TriggerLogList.h"

#include <cmath>

namespace {
constexpr double kMsPerDay = 86'400'000.0;
const QDate kDayZero(1899, 12, 30);
}  // namespace

double DateTimeToDays(const QDateTime& time) {
  return static_cast<double>(kDayZero.daysTo(time.date())) + time.time().msecsSinceStartOfDay() / kMsPerDay;
}

// Before the day zero the fraction still counts forward from midnight, as the stored values do.
QDateTime DaysToDateTime(double days) {
  const double whole = std::trunc(days);
  const int ms = static_cast<int>(std::lround(std::fabs(days - whole) * kMsPerDay));
  return QDateTime(kDayZero.addDays(static_cast<qint64>(whole)), QTime(0, 0)).addMSecs(ms);
}

QString TimeOfDayText(double days) { return DaysToDateTime(days).time().toString(QStringLiteral("hh:mm:ss.zzz")); }

void TTriggerLogList::AddTriggerLogEntry(const QString& text) {
  TTriggerLogData record;
  record.TimeStamp = DateTimeToDays(FNow());
  record.Text.Set(text);
  FRows.Append(record, TRowState{});
  FModel.RowsAppended();
  NotifyContentChanged();
}

void TTriggerLogList::ClearLog() {
  ClearRows();
  NotifyContentChanged();
}

QString TTriggerLogList::ColumnTitle(int column) const {
  return column == 0 ? QStringLiteral("Time") : QStringLiteral("Message");
}

QString TTriggerLogList::CellText(std::size_t row, int column) const {
  const TTriggerLogData& r = Row(row);
  return column == 0 ? TimeOfDayText(r.TimeStamp) : r.Text.ToString();
}
