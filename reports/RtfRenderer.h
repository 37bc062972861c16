#pragma once
// A list as an RTF table: header row of captions, one table row per list row, each cell in
// the font and colour the list paints it with. The text is 7-bit apart from font names; every
// character is written as a Unicode escape.

#include <QIODevice>
#include <QLocale>

#include "reports/ExportList.h"

struct TRtfPage {
  bool Metric = true;  // A4 landscape, else US letter landscape
  // Column widths are Qt's device-independent pixels, 96 to the inch.
  int PixelsPerInch = 96;
};

// A4 unless the locale measures in US units. British locales measure in imperial units but
// print on A4.
[[nodiscard]] TRtfPage RtfPageFor(const QLocale& locale);

// Right edge in twips of a column ending `pixels` from the table's left, rounded to the
// nearest twip with ties to even.
[[nodiscard]] long long PixelsToTwips(long long pixels, int pixelsPerInch);

// The document followed by CR LF.
void WriteRtf(const TExportList& list, const TListLayout& layout, const TRtfPage& page, QIODevice& device);
