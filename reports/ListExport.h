#pragma once
// Writing a list to a file in one of the three export formats. A file is written under a
// temporary name and put in place only when complete; a failed write leaves whatever was
// there before and raises EExportError with the platform's error.

#include <QIODevice>
#include <QString>
#include <functional>

#include "reports/ExportList.h"
#include "reports/OutputBuffer.h"
#include "reports/RtfRenderer.h"

// The save dialog's filter index picks the format.
enum class TExportFormat { Csv = 1, Html = 2, Rtf = 3 };

// One list ready for export: its cells, the columns as arranged, and how its semicolon text
// is laid out (the plain delimited text unless the list has its own layout).
struct TListExportJob {
  using TCsvWriter = std::function<void(const TExportList&, const std::vector<TExportColumn>&, QIODevice&)>;

  const TExportList& List;
  TListLayout Layout;
  TCsvWriter WriteCsv;
};

// Creates the file's folder when it is missing (one level), writes the file through
// `write` and puts it in place.
void SaveExportFile(const QString& fileName, const std::function<void(QIODevice&)>& write);

// The export formats: `title` (the window caption) and `subtitle` are used by the HTML report
// only; the RTF page follows the user's locale.
void WriteListExport(const QString& fileName, TExportFormat format, const TListExportJob& job, const QString& title,
                     const QString& subtitle, const TRtfPage& rtfPage = RtfPageFor(QLocale()));
