#include "app/ListExportActions.h"

#include <QDesktopServices>
#include <QUrl>

#include "storage/DataFolder.h"

namespace {
const QStringList& NameFilters() {
  static const QStringList filters = {QStringLiteral("CSV File (*.csv)"), QStringLiteral("HTML File (*.html)"),
                                      QStringLiteral("RTF File (*.rtf)")};
  return filters;
}
const QStringList kSuffixes = {QStringLiteral("csv"), QStringLiteral("html"), QStringLiteral("rtf")};
}  // namespace

TLogFileSaveDialog::TLogFileSaveDialog(QWidget* parent) : QFileDialog(parent) {
  setObjectName(QStringLiteral("LogFileSaveDialog"));
  setWindowTitle(QStringLiteral("Export Data"));
  setAcceptMode(QFileDialog::AcceptSave);
  setFileMode(QFileDialog::AnyFile);
  setNameFilters(NameFilters());
  setDefaultSuffix(kSuffixes[0]);
  ForceDataFolder(DataFolder::Logfiles);
  setDirectory(DataFolderPath(DataFolder::Logfiles));
  // A name typed without extension gets the one of the format picked.
  connect(this, &QFileDialog::filterSelected, this, [this](const QString& filter) {
    const qsizetype index = NameFilters().indexOf(filter);
    if (index >= 0) setDefaultSuffix(kSuffixes[index]);
  });
}

TExportFormat TLogFileSaveDialog::Format() const {
  const qsizetype index = NameFilters().indexOf(selectedNameFilter());
  return static_cast<TExportFormat>(index < 0 ? 1 : index + 1);
}

std::optional<TExportChoice> ChooseExportFile(QWidget* parent) {
  TLogFileSaveDialog dialog(parent);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return TExportChoice{dialog.selectedFiles().constFirst(), dialog.Format()};
}

void ExportListToChosenFile(QWidget* window, const TListExportJob& job, const QString& subtitle) {
  const std::optional<TExportChoice> choice = ChooseExportFile(window);
  if (!choice) return;
  WriteListExport(choice->FileName, choice->Format, job, window->windowTitle(), subtitle);
}

void PrintListReport(QWidget* window, const TListExportJob& job, const QString& subtitle) {
  const QString report = DataFolderPath(DataFolder::TempReport);
  WriteListExport(report, TExportFormat::Html, job, window->windowTitle(), subtitle);
  QDesktopServices::openUrl(QUrl::fromLocalFile(report));
}
