#include "app/ListExportActions.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "platform/UserMessage.h"
#include "storage/DataFolder.h"

namespace {
const QStringList kNameFilters = {QStringLiteral("CSV File (*.csv)"), QStringLiteral("HTML File (*.html)"),
                                  QStringLiteral("RTF File (*.rtf)")};
const QStringList kSuffixes = {QStringLiteral("csv"), QStringLiteral("html"), QStringLiteral("rtf")};
constexpr qsizetype kFirstLogFilter = 3;

// The log formats that are written, as "candump log (*.log)".
std::vector<TLogFormat> WrittenLogFormats() {
  std::vector<TLogFormat> formats;
  for (const TLogFormatInfo& info : LogFormats())
    if (info.Writable) formats.push_back(info.Format);
  return formats;
}

QString LogFilter(const TLogFormatInfo& info) {
  return QStringLiteral("%1 (*.%2)").arg(QString::fromLatin1(info.Name), QString::fromLatin1(info.Extension));
}
}  // namespace

TLogFileSaveDialog::TLogFileSaveDialog(QWidget* parent, bool offerLogs)
    : QFileDialog(parent), FFilters(kNameFilters), FSuffixes(kSuffixes) {
  if (offerLogs) FLogFormats = WrittenLogFormats();
  for (TLogFormat format : FLogFormats) {
    FFilters << LogFilter(LogFormatInfo(format));
    FSuffixes << QString::fromLatin1(LogFormatInfo(format).Extension);
  }
  setObjectName(QStringLiteral("LogFileSaveDialog"));
  setWindowTitle(QStringLiteral("Export Data"));
  setAcceptMode(QFileDialog::AcceptSave);
  setFileMode(QFileDialog::AnyFile);
  setNameFilters(FFilters);
  setDefaultSuffix(kSuffixes[0]);
  ForceDataFolder(DataFolder::Logfiles);
  setDirectory(DataFolderPath(DataFolder::Logfiles));
  // A name typed without extension gets the one of the format picked.
  connect(this, &QFileDialog::filterSelected, this, [this](const QString& filter) {
    const qsizetype index = FFilters.indexOf(filter);
    if (index >= 0) setDefaultSuffix(FSuffixes[index]);
  });
}

TExportFormat TLogFileSaveDialog::Format() const {
  const qsizetype index = FFilters.indexOf(selectedNameFilter());
  return static_cast<TExportFormat>(index < 0 || index >= kFirstLogFilter ? 1 : index + 1);
}

std::optional<TLogFormat> TLogFileSaveDialog::LogChosen() const {
  const qsizetype index = FFilters.indexOf(selectedNameFilter()) - kFirstLogFilter;
  if (index < 0 || index >= static_cast<qsizetype>(FLogFormats.size())) return std::nullopt;
  return FLogFormats[static_cast<std::size_t>(index)];
}

std::optional<TExportChoice> ChooseExportFile(QWidget* parent, bool offerLogs) {
  TLogFileSaveDialog dialog(parent, offerLogs);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return TExportChoice{dialog.selectedFiles().constFirst(), dialog.Format(), dialog.LogChosen()};
}

void ExportListToChosenFile(QWidget* window, const TListExportJob& job, const QString& subtitle) {
  const std::optional<TExportChoice> choice = ChooseExportFile(window);
  if (!choice) return;
  WriteListExport(choice->FileName, choice->Format, job, window->windowTitle(), subtitle);
}

void PrintListReport(QWidget* window, const TListExportJob& job, const QString& subtitle) {
  const QString report = DataFolderPath(DataFolder::TempReport);
  WriteListExport(report, TExportFormat::Html, job, window->windowTitle(), subtitle);
  // Without a browser (none installed, or one that refuses to start) the report is still there.
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(report)))
    ShowUserMessage(TUserMessageKind::Warning, QStringLiteral("Print"),
                    QStringLiteral("No browser could be started to print the report. It was written to %1.")
                        .arg(QDir::toNativeSeparators(report)));
}
