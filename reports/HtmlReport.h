#pragma once
// The printable report of a list: a fixed page head, the window's caption as title banner, a
// subtitle naming the list, and the list as an HTML table in its own fonts and colours.
// Every text taken from the program or its data is escaped, so a description such as
// <script> shows as typed.

#include <QIODevice>
#include <QString>

#include "reports/ExportList.h"

// "#RRGGBB".
[[nodiscard]] QByteArray HtmlColor(QRgb color);
// The CSS font description: family, size, style, weight, decoration and colour, ending ";}".
[[nodiscard]] QByteArray HtmlFontDescription(const TReportFont& font, QRgb color);

void WriteHtmlReport(const QString& title, const QString& subtitle, const TExportList& list, const TListLayout& layout,
                     QIODevice& device);
