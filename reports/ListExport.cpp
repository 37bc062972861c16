#include "reports/ListExport.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "reports/DelimitedText.h"
#include "reports/HtmlReport.h"

namespace {
[[noreturn]] void Fail(const QString& fileName, const QString& error) {
  throw EExportError(QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), error));
}
}  // namespace

void SaveExportFile(const QString& fileName, const std::function<void(QIODevice&)>& write) {
  const QFileInfo info(fileName);
  if (!info.absoluteDir().exists()) QDir().mkdir(info.absolutePath());
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) Fail(fileName, file.errorString());
  try {
    write(file);
  } catch (const EExportError& error) {
    file.cancelWriting();
    Fail(fileName, QString::fromStdString(error.what()));
  }
  if (!file.commit()) Fail(fileName, file.errorString());
}

void WriteListExport(const QString& fileName, TExportFormat format, const TListExportJob& job, const QString& title,
                     const QString& subtitle, const TRtfPage& rtfPage) {
  SaveExportFile(fileName, [&](QIODevice& device) {
    switch (format) {
      case TExportFormat::Csv:
        if (job.WriteCsv)
          job.WriteCsv(job.List, job.Layout.Columns, device);
        else
          WriteListCsv(job.List, job.Layout.Columns, device);
        break;
      case TExportFormat::Html: WriteHtmlReport(title, subtitle, job.List, job.Layout, device); break;
      case TExportFormat::Rtf: WriteRtf(job.List, job.Layout, rtfPage, device); break;
    }
  });
}
