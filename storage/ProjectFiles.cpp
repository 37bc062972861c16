// Saving and opening a project. Both work in two steps so that a failure changes nothing: a
// save writes every file beside its old version before any replaces it, and an open reads
// the XML and all list files before the settings, lists and name take the new values.

#include "storage/ProjectFiles.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "lists/RowList.h"
#include "platform/UserMessage.h"
#include "storage/MyRegValues.h"
#include "storage/ProjectDocument.h"
#include "storage/TreeFile.h"

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kBaudRate = QStringLiteral("BaudRate");
const QString kBtr0 = QStringLiteral("BTR0");
const QString kBtr1 = QStringLiteral("BTR1");
const QString kDatabases = QStringLiteral("Databases");
const QString kDatabase = QStringLiteral("Database");
const QString kPlot = QStringLiteral("Plot");
const QString kPlotSignal = QStringLiteral("Signal");
const QString kOverlaid = QStringLiteral("Overlaid");
const QString kSpan = QStringLiteral("Span");
const QString kId = QStringLiteral("Id");
const QString kExtended = QStringLiteral("Extended");
constexpr std::uint32_t kMostId = 0x1FFFFFFF;

[[noreturn]] void Fail(const QString& text) { throw std::runtime_error(text.toStdString()); }

std::int32_t ElementValue(const QDomElement& settings, const QString& name) {
  const QString text = settings.firstChildElement(name).text();
  bool ok = false;
  const int value = text.trimmed().toInt(&ok, 10);
  if (!ok) Fail(QStringLiteral("'%1' is not a valid integer value").arg(text));
  return value;
}

QByteArray ReadWholeFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) Fail(CannotOpenFileText(fileName, file.errorString()));
  return file.readAll();
}

// Creates the side folder when it is missing; only that one level, like the rest of the path
// is the user's choice.
void EnsureSideFolder(const QString& folder) {
  std::error_code error;
  std::filesystem::create_directory(folder.toStdString(), error);
  if (error) Fail(QStringLiteral("Cannot create directory \"%1\". %2").arg(folder, QString::fromStdString(error.message())));
}

// Files being written; none replaces its old version until all are complete.
class TPendingFiles {
 public:
  QSaveFile& Begin(const QString& fileName) {
    auto& file = *FFiles.emplace_back(std::make_unique<QSaveFile>(fileName));
    if (!file.open(QIODevice::WriteOnly)) Fail(CannotCreateFileText(fileName, file.errorString()));
    return file;
  }
  void Write(QSaveFile& file, const QByteArray& bytes) {
    if (file.write(bytes) != bytes.size()) Fail(CannotCreateFileText(file.fileName(), file.errorString()));
  }
  void CommitAll() {
    for (auto& file : FFiles)
      if (!file->commit()) Fail(CannotCreateFileText(file->fileName(), file->errorString()));
  }

 private:
  std::vector<std::unique_ptr<QSaveFile>> FFiles;
};

}  // namespace

QString ProjectSideFolder(const QString& projectFile) {
  const QFileInfo info(projectFile);
  return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("_Data");
}

QString ProjectSideFile(const QString& projectFile, const QString& extension) {
  return ProjectSideFolder(projectFile) + QLatin1Char('/') + QFileInfo(projectFile).completeBaseName() + extension;
}

namespace {

void AppendPlot(QDomDocument& doc, QDomElement& root, const TProjectPlot& plot) {
  if (plot.Signals.empty()) return;
  QDomElement element = doc.createElement(kPlot);
  element.setAttribute(kOverlaid, plot.Overlaid ? 1 : 0);
  element.setAttribute(kSpan, plot.SpanSeconds);
  root.appendChild(element);
  for (const TSignalKey& key : plot.Signals) {
    QDomElement signal = doc.createElement(kPlotSignal);
    signal.setAttribute(kId, QString::number(key.Id, 16).toUpper());
    signal.setAttribute(kExtended, key.Extended ? 1 : 0);
    signal.appendChild(doc.createTextNode(QString::fromStdString(key.Signal)));
    element.appendChild(signal);
  }
}

}  // namespace

QByteArray ProjectXml(const TProjectBitRates& bitRates, const QStringList& databases, const TProjectPlot& plot) {
  QDomDocument doc;
  doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"UTF-16\"")));
  QDomElement root = doc.createElement(QStringLiteral("Project"));
  doc.appendChild(root);
  QDomElement settings = doc.createElement(kSettings);
  root.appendChild(settings);
  for (const auto& [name, value] : {std::pair{kBaudRate, bitRates.BaudRate}, {kBtr0, bitRates.BTR0}, {kBtr1, bitRates.BTR1}}) {
    QDomElement element = doc.createElement(name);
    element.appendChild(doc.createTextNode(QString::number(value)));
    settings.appendChild(element);
  }
  if (!databases.isEmpty()) {
    QDomElement list = doc.createElement(kDatabases);
    root.appendChild(list);
    for (const QString& path : databases) {
      QDomElement element = doc.createElement(kDatabase);
      element.appendChild(doc.createTextNode(path));
      list.appendChild(element);
    }
  }
  AppendPlot(doc, root, plot);
  QStringEncoder toUtf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
  return toUtf16.encode(doc.toString(2));
}

TProjectBitRates ParseProjectXml(const QByteArray& xml) {
  QDomDocument doc;
  QString message;
  int line = 0, column = 0;
  if (!doc.setContent(xml, &message, &line, &column))
    Fail(QStringLiteral("%1 (line %2, column %3)").arg(message).arg(line).arg(column));
  const QDomElement settings = doc.documentElement().firstChildElement(kSettings);
  TProjectBitRates bitRates;
  bitRates.BaudRate = ElementValue(settings, kBaudRate);
  bitRates.BTR0 = ElementValue(settings, kBtr0);
  bitRates.BTR1 = ElementValue(settings, kBtr1);
  return bitRates;
}

QStringList ParseProjectDatabases(const QByteArray& xml) {
  QDomDocument doc;
  if (!doc.setContent(xml)) return {};
  QStringList paths;
  const QDomElement list = doc.documentElement().firstChildElement(kDatabases);
  for (QDomElement e = list.firstChildElement(kDatabase); !e.isNull(); e = e.nextSiblingElement(kDatabase)) paths << e.text();
  return paths;
}

TProjectPlot ParseProjectPlot(const QByteArray& xml) {
  QDomDocument doc;
  TProjectPlot plot;
  if (!doc.setContent(xml)) return plot;
  const QDomElement element = doc.documentElement().firstChildElement(kPlot);
  plot.Overlaid = element.attribute(kOverlaid) == QStringLiteral("1");
  bool ok = false;
  const int span = element.attribute(kSpan).toInt(&ok);
  if (ok && span > 0) plot.SpanSeconds = span;
  for (QDomElement e = element.firstChildElement(kPlotSignal); !e.isNull(); e = e.nextSiblingElement(kPlotSignal)) {
    const std::uint32_t id = e.attribute(kId).toUInt(&ok, 16);
    const bool extended = e.attribute(kExtended) == QStringLiteral("1");
    if (!ok || id > (extended ? kMostId : 0x7FFU) || e.text().isEmpty()) continue;
    plot.Signals.push_back({id, extended, e.text().toStdString()});
  }
  return plot;
}

QString ProjectRelativePath(const QString& projectFile, const QString& path) {
  const QDir folder = QFileInfo(projectFile).absoluteDir();
  const QString relative = folder.relativeFilePath(QFileInfo(path).absoluteFilePath());
  return relative.startsWith(QStringLiteral("../")) || QDir::isAbsolutePath(relative) ? QFileInfo(path).absoluteFilePath() : relative;
}

QString ProjectAbsolutePath(const QString& projectFile, const QString& stored) {
  return QDir::cleanPath(QFileInfo(projectFile).absoluteDir().absoluteFilePath(stored));
}

TRowListBase& ProjectListRows(TProjectList& list) {
  auto* rows = dynamic_cast<TRowListBase*>(&list);
  if (!rows) throw std::logic_error("a project list without rows");
  return *rows;
}

void TProjectDocument::Save(const QString& FileName) {
  EnsureSideFolder(ProjectSideFolder(FileName));
  TProjectBitRates bitRates;
  if (Settings) bitRates = {Settings->FCanBitRate, Settings->FCanBitRateBTR0, Settings->FCanBitRateBTR1};

  QStringList databases;
  if (DatabasePaths)
    for (const QString& path : DatabasePaths()) databases << ProjectRelativePath(FileName, path);

  TPendingFiles files;
  files.Write(files.Begin(FileName), ProjectXml(bitRates, databases, PlotLayout ? PlotLayout() : TProjectPlot{}));
  const auto lists = Lists();
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (!lists[i]) continue;
    QSaveFile& file = files.Begin(ProjectSideFile(FileName, kProjectListExtensions[i]));
    WriteTreeStream(file, ProjectListRows(*lists[i]));
  }
  files.CommitAll();

  SetProjectName(FileName);
  if (OnChangeName) OnChangeName(FileName);
}

bool TProjectDocument::Open(const QString& FileName) {
  if (!QFileInfo(ProjectSideFolder(FileName)).isDir()) {
    ShowUserMessage(TUserMessageKind::Error, QStringLiteral("Error"), kProjectDataMissing);
    return false;
  }
  const QByteArray xml = ReadWholeFile(FileName);
  const TProjectBitRates bitRates = ParseProjectXml(xml);
  const auto lists = Lists();
  std::vector<std::optional<TLoadedRows>> loaded(lists.size());
  for (std::size_t i = 0; i < lists.size(); ++i)
    if (lists[i]) loaded[i] = ReadTreeFile(ProjectSideFile(FileName, kProjectListExtensions[i]), ProjectListRows(*lists[i]).RecordSize());

  if (Settings) {
    Settings->FCanBitRate = bitRates.BaudRate;
    Settings->FCanBitRateBTR0 = bitRates.BTR0;
    Settings->FCanBitRateBTR1 = bitRates.BTR1;
  }
  for (std::size_t i = 0; i < lists.size(); ++i)
    if (loaded[i]) loaded[i]->ApplyTo(ProjectListRows(*lists[i]));
  if (OpenDatabases) {
    QStringList databases;
    for (const QString& stored : ParseProjectDatabases(xml)) databases << ProjectAbsolutePath(FileName, stored);
    OpenDatabases(databases);
  }
  if (OpenPlotLayout) OpenPlotLayout(ParseProjectPlot(xml));
  SetProjectName(FileName);
  if (OnChangeName) OnChangeName(FileName);
  return true;
}
