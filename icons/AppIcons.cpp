#include "icons/AppIcons.h"

#include <QFile>
#include <QString>

namespace {
QString ResourcePath(const char* name, int size) {
  return QStringLiteral(":/icons/%1/%2.png").arg(size).arg(QLatin1String(name));
}
}  // namespace

QIcon AppIcon(const char* name) {
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString path = ResourcePath(name, size);
    if (QFile::exists(path)) icon.addFile(path, QSize(size, size));
  }
  return icon;
}

QIcon ThemedAppIcon(const char* themeName, const char* name) {
  return QIcon::fromTheme(QLatin1String(themeName), AppIcon(name));
}

QImage AppImage(const char* name, int size) { return QImage(ResourcePath(name, size)); }
