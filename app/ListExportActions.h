#pragma once
// The export and print commands of the list pages: the save dialog that picks file and
// format, and the report handed to the user's browser for printing.

#include <QFileDialog>
#include <optional>
#include <vector>

#include "model/LogFormat.h"
#include "reports/ListExport.h"

class QTreeView;

// "Export Data": semicolon text, HTML or RTF, starting in the data folder's "logfiles". The
// trace also offers the log formats that are written, candump log first.
class TLogFileSaveDialog : public QFileDialog {
  Q_OBJECT
 public:
  explicit TLogFileSaveDialog(QWidget* parent = nullptr, bool offerLogs = false);
  // The format of the filter the user picked.
  [[nodiscard]] TExportFormat Format() const;
  // The log format picked, if the filter is one.
  [[nodiscard]] std::optional<TLogFormat> LogChosen() const;

 private:
  QStringList FFilters;
  QStringList FSuffixes;
  std::vector<TLogFormat> FLogFormats;  // of the filters after the exports
};

struct TExportChoice {
  QString FileName;
  TExportFormat Format = TExportFormat::Csv;
  std::optional<TLogFormat> Log;
};
// Shows the save dialog; nothing when the user cancels.
[[nodiscard]] std::optional<TExportChoice> ChooseExportFile(QWidget* parent, bool offerLogs = false);

// Asks for a file and writes the list to it. Raises EExportError when writing fails.
void ExportListToChosenFile(QWidget* window, const TListExportJob& job, const QString& subtitle);
// Writes the report to the data folder's "reports/tempreport.html" and asks the desktop to
// open it; when no browser comes up, says where the report is.
void PrintListReport(QWidget* window, const TListExportJob& job, const QString& subtitle);
