#include "platform/CanInterfaces.h"

#include <QDir>
#include <QFile>

QString CanInterfaceRoot() {
  const QString overridden = qEnvironmentVariable("FERROLUX_SYSFS_NET");
  return overridden.isEmpty() ? QStringLiteral("/sys/class/net") : overridden;
}

QStringList ListCanInterfaces(const QString& netRoot) {
  QStringList interfaces;
  const QDir root(netRoot);
  const QStringList names = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
  for (const QString& name : names) {
    QFile type(root.filePath(name + QStringLiteral("/type")));
    if (!type.open(QIODevice::ReadOnly)) continue;
    bool number = false;
    if (type.read(16).trimmed().toInt(&number) == kArphrdCan && number) interfaces.append(name);
  }
  return interfaces;
}
