#include "app/ListExportActions.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "platform/UserMessage.h"
#include "storage/DataFolder.h"

namespace {
const QStringList kNameFilters = {QStringLiteral("CSV File (*.csv)"), QStringLiteral("HTML File (*.html)"),
                                  QStringLiteral("RTF File (*.rtf)"), QStringLiteral("candump log (*.log)")};
const QStringList kSuffixes = {QStringLiteral("csv"), QStringLiteral("html"), QStringLiteral("rtf"),
                               QStringLiteral("log")};
constexpr qsizetype kCandumpLogFilter = 3;
}  // namespace

TLogFileSaveDialog::TLogFileSaveDialog(QWidget* parent, bool offerCandumpLog)
    : QFileDialog(parent), FFilters(kNameFilters.mid(0, offerCandumpLog ? kCandumpLogFilter + 1 : kCandumpLogFilter)) {
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
    if (index >= 0) setDefaultSuffix(kSuffixes[index]);
  });
}

TExportFormat TLogFileSaveDialog::Format() const {
  const qsizetype index = FFilters.indexOf(selectedNameFilter());
  return static_cast<TExportFormat>(index < 0 || index >= kCandumpLogFilter ? 1 : index + 1);
}

bool TLogFileSaveDialog::CandumpLogChosen() const { return FFilters.indexOf(selectedNameFilter()) == kCandumpLogFilter; }

std::optional<TExportChoice> ChooseExportFile(QWidget* parent, bool offerCandumpLog) {
  TLogFileSaveDialog dialog(parent, offerCandumpLog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return TExportChoice{dialog.selectedFiles().constFirst(), dialog.Format(), dialog.CandumpLogChosen()};
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
