#include "signals/SignalsController.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kRecentKey = QStringLiteral("RecentDatabases");

QSettings RecentStore() {
  return QSettings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Ferrolux/signals.ini"),
                   QSettings::IniFormat);
}

QString Absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

}  // namespace

TSignalsController::TSignalsController(TTrafficViews& traffic) : FTraffic(traffic), FTree(FDatabases), FDetails(FDatabases) {
  FTraffic.AddObserver(&FTree);
  FTraffic.Monitor().MessageName = [this](const TCanMsgProg& msg) { return MessageName(msg); };
}

TSignalsController::~TSignalsController() {
  FTraffic.Monitor().MessageName = nullptr;
  FTraffic.RemoveObserver(&FTree);
}

TSignalsController::TReport TSignalsController::Load(const QStringList& paths) {
  TReport report;
  const QStringList loaded = Paths();
  bool added = false;
  for (const QString& given : paths) {
    const QString path = Absolute(given);
    if (loaded.contains(path)) continue;
    std::vector<std::string> warnings;
    const std::string refused = FDatabases.Load(path.toStdString(), warnings);
    if (!refused.empty()) {
      report.Refused << QString::fromStdString(refused);
      continue;
    }
    for (const std::string& warning : warnings) report.Warnings << QString::fromStdString(warning);
    NoteRecent(path);
    added = true;
  }
  if (added) Changed();
  return report;
}

TSignalsController::TReport TSignalsController::Replace(const QStringList& paths) {
  const bool hadFiles = !FDatabases.Empty();
  FDatabases.Clear();
  TReport report = Load(paths);
  if (hadFiles && FDatabases.Empty()) Changed();
  return report;
}

void TSignalsController::UnloadAll() {
  if (FDatabases.Empty()) return;
  FDatabases.Clear();
  Changed();
}

QStringList TSignalsController::Paths() const {
  QStringList paths;
  for (const std::string& path : FDatabases.Paths()) paths << QString::fromStdString(path);
  return paths;
}

QString TSignalsController::MessageName(const TCanMsgProg& msg) const {
  const TMessageDef* message = FDatabases.Find(msg);
  return message ? QString::fromStdString(message->Name) : QString();
}

void TSignalsController::Changed() {
  FTree.DatabasesChanged();
  FDetails.ShowFrame(std::nullopt);
  FTraffic.Monitor().Model().AllRowsChanged();
  if (OnDatabasesChanged) OnDatabasesChanged();
}

QStringList TSignalsController::RecentFiles() const { return RecentStore().value(kRecentKey).toStringList(); }

void TSignalsController::NoteRecent(const QString& path) {
  QSettings store = RecentStore();
  QStringList recent = store.value(kRecentKey).toStringList();
  recent.removeAll(path);
  recent.prepend(path);
  while (recent.size() > kRecentCount) recent.removeLast();
  store.setValue(kRecentKey, recent);
}
