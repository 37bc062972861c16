#pragma once
// The trigger log: time-stamped texts that predefined messages leave when they are sent, in
// the order they were added.

#include <QDateTime>
#include <functional>

#include "lists/RowListOf.h"
#include "storage/ProjectList.h"
#include "transmit/TriggerLogData.h"

// Local date and time as the records store it: days since 1899-12-30, the fraction the time
// of day; and back.
[[nodiscard]] double DateTimeToDays(const QDateTime& time);
[[nodiscard]] QDateTime DaysToDateTime(double days);
// "hh:nn:ss.zzz" of a stored time stamp; the date is left out.
[[nodiscard]] QString TimeOfDayText(double days);

class TTriggerLogList : public TRowListOf<TTriggerLogData>, public TProjectList {
 public:
  // `now` is the clock of the entries; the local time unless a test sets its own.
  explicit TTriggerLogList(std::function<QDateTime()> now = &QDateTime::currentDateTime) : FNow(std::move(now)) {}

  // Appends a row with the current time and `text` (cut to 255 characters). The list is not
  // scrolled to it.
  void AddTriggerLogEntry(const QString& text);
  // Empties the list; the question before it is the page's.
  void ClearLog();
  void Clear() override { ClearRows(); }

  [[nodiscard]] int ColumnCount() const override { return 2; }
  [[nodiscard]] QString ColumnTitle(int column) const override;
  [[nodiscard]] QString CellText(std::size_t row, int column) const override;
  [[nodiscard]] QString FileCaption(std::size_t row) const override { return TimeOfDayText(Row(row).TimeStamp); }

 private:
  std::function<QDateTime()> FNow;
};
