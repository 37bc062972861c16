#pragma once
// The decoded diagnostic messages as the exports write them: the window's columns with their
// captions and widths, and the semicolon text the window and ferrolux-cli write.

#include <QIODevice>
#include <QString>

#include "catalog/FormatDataList.h"
#include "reports/ExportList.h"

[[nodiscard]] TListLayout FormatDataLayout(const TFormatDataList& list);

// UTF-16LE with a byte-order mark, the captions line, then one line per row in tree order.
void WriteFormatDataCsv(const TFormatDataList& list, QIODevice& out);
// The same through a temporary file; raises EExportError with the platform's error.
void SaveFormatDataCsv(const TFormatDataList& list, const QString& fileName);
// The captions line and the rows as UTF-8 text with CR LF line ends, for a pipeline.
[[nodiscard]] QByteArray FormatDataCsvUtf8(const TFormatDataList& list);
