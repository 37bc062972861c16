#include "reports/ExportList.h"

#include "lists/RowList.h"

TListLook DefaultListLook() {
  TListLook look;
  look.Font = TReportFont{QStringLiteral("DejaVu Sans Mono"), 9};
  look.HeaderFont = look.Font;
  return look;
}

TRowListExport::TRowListExport(const TRowListBase& list, const TListLook& look)
    : FList(list), FFont(look.Font), FBoldFont(look.Font), FTextColor(look.TextColor) {
  FBoldFont.Bold = true;
}

std::size_t TRowListExport::ExportRowCount() const { return FList.RowCount(); }

void TRowListExport::AppendCellText(std::size_t row, int column, TCellText& text) const {
  const QString cell = FList.CellText(row, column);
  text.append(reinterpret_cast<const char16_t*>(cell.utf16()), static_cast<std::size_t>(cell.size()));
}

TCellPaint TRowListExport::CellPaint(std::size_t row, int column) const {
  const QVariant color = FList.CellColor(row, column);
  return Paint(FList.CellBold(column), color.isValid() ? color.value<QColor>() : QColor());
}

TCellPaint TRowListExport::Paint(bool bold, const QColor& color) const {
  TCellPaint paint;
  paint.Font = bold ? &FBoldFont : &FFont;
  paint.Color = color.isValid() ? color.rgb() : FTextColor;
  // Drawn as the list's own font draws it (e.g. a filter row's black without the colour
  // filter) counts as unchanged.
  paint.Changed = bold != FFont.Bold || paint.Color != FTextColor;
  return paint;
}
