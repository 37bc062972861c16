#include "storage/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

QString GetSpecialFolderPath(int csidl) {
  if (csidl != CSIDL_PERSONAL) return {};
  return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString DataFolderPath() { return GetSpecialFolderPath(CSIDL_PERSONAL) + QLatin1Char('/') + QCoreApplication::applicationName(); }

QString DataFolderPath(const QString& entry) { return DataFolderPath() + entry; }

bool ForceDataFolder(const QString& entry) { return QDir().mkpath(DataFolderPath(entry)); }
