#pragma once
// A list view and the column layout the exports use: the defaults are applied to the view,
// and the view's arrangement (order, widths) is read back for an export.

#include <QTreeView>

#include "reports/ExportList.h"

[[nodiscard]] QFont ListFont(const TReportFont& font);
// The layout's fonts and column widths on the view.
void ApplyListLayout(QTreeView& view, const TListLayout& layout);
// The default layout with the columns the view shows, in the user's order and widths.
[[nodiscard]] TListLayout ShownListLayout(const QTreeView& view, const TListLayout& defaults);
