#include "lists/ListLayoutView.h"

#include <QHeaderView>

#include "lists/RowModel.h"

QFont ListFont(const TReportFont& look) {
  QFont font(look.Name);
  font.setStyleHint(QFont::Monospace);
  if (look.SizeInPixels)
    font.setPixelSize(look.Size);
  else
    font.setPointSize(look.Size);
  font.setBold(look.Bold);
  font.setItalic(look.Italic);
  font.setUnderline(look.Underline);
  return font;
}

void ApplyListLayout(QTreeView& view, const TListLayout& layout) {
  view.setFont(ListFont(layout.Look.Font));
  view.header()->setFont(ListFont(layout.Look.HeaderFont));
  if (auto* model = qobject_cast<TRowModel*>(view.model())) model->SetFont(ListFont(layout.Look.Font));
  for (const TExportColumn& column : layout.Columns) view.setColumnWidth(column.Column, column.Width);
}

TListLayout ShownListLayout(const QTreeView& view, const TListLayout& defaults) {
  TListLayout shown{defaults.Look, {}};
  const QHeaderView& header = *view.header();
  for (int visual = 0; visual < header.count(); ++visual) {
    const int logical = header.logicalIndex(visual);
    if (header.isSectionHidden(logical)) continue;
    for (const TExportColumn& column : defaults.Columns)
      if (column.Column == logical) {
        shown.Columns.push_back(column);
        shown.Columns.back().Width = header.sectionSize(logical);
      }
  }
  return shown;
}
