#pragma once
// What a list tells the generic item model and the list files about its rows. Each list
// supplies its cell texts, colours, fonts and images the way its paint handlers draw them.

#include <QString>
#include <QVariant>
#include <cstddef>

#include "lists/RowStore.h"

class TRowModel;

class TRowListBase {
 public:
  virtual ~TRowListBase() = default;

  [[nodiscard]] virtual std::size_t RowCount() const = 0;
  [[nodiscard]] virtual const TRowState& RowState(std::size_t row) const = 0;

  [[nodiscard]] virtual int ColumnCount() const = 0;
  [[nodiscard]] virtual QString ColumnTitle(int column) const = 0;
  [[nodiscard]] virtual QString CellText(std::size_t row, int column) const = 0;
  // A QColor, or an invalid variant for the view's default colour.
  [[nodiscard]] virtual QVariant CellColor(std::size_t /*row*/, int /*column*/) const { return {}; }
  [[nodiscard]] virtual bool CellBold(int /*column*/) const { return false; }
  [[nodiscard]] virtual QVariant CellImage(std::size_t /*row*/, int /*column*/) const { return {}; }
  // A number the list's own drawing needs (e.g. a bar's value); Qt::UserRole.
  [[nodiscard]] virtual QVariant CellValue(std::size_t /*row*/, int /*column*/) const { return {}; }
  // Rows can be reordered by dragging them within the list; the list's page does the move.
  [[nodiscard]] virtual bool RowsDraggable() const { return false; }
  // The user clicked the row's check box.
  virtual void SetRowChecked(std::size_t /*row*/, bool /*checked*/) {}

  // The row's main-column text as the list files carry it (their caption chunk); empty for none.
  [[nodiscard]] virtual QString FileCaption(std::size_t /*row*/) const { return {}; }

  // Byte image of one record, as the list files store it.
  [[nodiscard]] virtual std::size_t RecordSize() const = 0;
  [[nodiscard]] virtual const void* RecordBytes(std::size_t row) const = 0;
  // Loading: empties the list, then rows are appended in file order, then the list settles
  // (indexes, views). `bytes` holds RecordSize() bytes.
  virtual void BeginLoad() = 0;
  virtual void AppendLoadedRow(const void* bytes, TRowState state) = 0;
  virtual void EndLoad() = 0;

  [[nodiscard]] virtual TRowModel& Model() = 0;
};
