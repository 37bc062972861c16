// The CAN interface listing over a prepared sysfs tree: device folders are symlinks there,
// and only type 280 (ARPHRD_CAN) counts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/CanInterfaces.h"

namespace {

void AddInterface(const QTemporaryDir& root, const QString& name, const QByteArray& type, bool symlink = true) {
  // As in sysfs: /sys/class/net/<name> links to the device's folder elsewhere.
  const QString target = root.filePath(QStringLiteral("devices/") + name);
  ASSERT_TRUE(QDir().mkpath(target));
  if (!type.isNull()) {
    QFile file(target + QStringLiteral("/type"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(type);
  }
  const QString entry = root.filePath(QStringLiteral("net/") + name);
  if (symlink) ASSERT_TRUE(QFile::link(target, entry));
  else ASSERT_TRUE(QDir().rename(target, entry));
}

TEST(CanInterfaces, ListsTheCanInterfacesOfASysfsTreeInNameOrder) {
  QTemporaryDir root;
  ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("net")));
  AddInterface(root, QStringLiteral("vcan0"), "280\n");
  AddInterface(root, QStringLiteral("can0"), "280\n");
  AddInterface(root, QStringLiteral("slcan0"), "280\n", false);
  AddInterface(root, QStringLiteral("eth0"), "1\n");
  AddInterface(root, QStringLiteral("lo"), "772\n");
  AddInterface(root, QStringLiteral("bogus"), "280x\n");
  AddInterface(root, QStringLiteral("notype"), QByteArray());
  AddInterface(root, QStringLiteral("can1"), "2800\n");

  const QString net = root.filePath(QStringLiteral("net"));
  EXPECT_EQ(ListCanInterfaces(net), (QStringList{"can0", "slcan0", "vcan0"}));
  EXPECT_TRUE(ListCanInterfaces(root.filePath(QStringLiteral("missing"))).isEmpty());

  qputenv("FERROLUX_SYSFS_NET", net.toLocal8Bit());
  EXPECT_EQ(CanInterfaceRoot(), net);
  EXPECT_EQ(ListCanInterfaces().size(), 3);
  qunsetenv("FERROLUX_SYSFS_NET");
  EXPECT_EQ(CanInterfaceRoot(), "/sys/class/net");
}

}  // namespace
