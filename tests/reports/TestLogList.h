#pragma once
// A small two-column log list for the export tests: a time column drawn bold, a text
// column, and per row an optional colour, as a list's paint handler would give them.

#include <QColor>
#include <QTime>
#include <vector>

#include "lists/RowListOf.h"
#include "transmit/TriggerLogData.h"

class TTestLogList : public TRowListOf<TTriggerLogData> {
 public:
  void Add(double timeStamp, const QString& text, QColor color = {}) {
    TTriggerLogData record;
    record.TimeStamp = timeStamp;
    record.Text.Set(text);
    FRows.Append(record, TRowState{});
    FModel.RowsAppended();
    FColors.push_back(color);
  }
  void Hide(std::size_t row) { FRows.State(row).Set(RowFlag::vsVisible, false); }

  [[nodiscard]] int ColumnCount() const override { return 2; }
  [[nodiscard]] QString ColumnTitle(int column) const override { return column == 0 ? "Time" : "Message"; }
  [[nodiscard]] QString CellText(std::size_t row, int column) const override {
    const TTriggerLogData& r = Row(row);
    if (column == 1) return r.Text.ToString();
    const double dayFraction = r.TimeStamp - static_cast<long long>(r.TimeStamp);
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(dayFraction * 86400000.0 + 0.5)).toString("hh:mm:ss.zzz");
  }
  [[nodiscard]] QVariant CellColor(std::size_t row, int /*column*/) const override {
    return FColors[row].isValid() ? QVariant(FColors[row]) : QVariant();
  }
  [[nodiscard]] bool CellBold(int column) const override { return column == 0 && FBoldTime; }

  bool FBoldTime = true;

 private:
  std::vector<QColor> FColors;
};
