#pragma once
// The CAN network interfaces of the machine (can0, vcan0, slcan0, ...): every entry of
// /sys/class/net whose "type" holds ARPHRD_CAN (280), in name order.

#include <QString>
#include <QStringList>

inline constexpr int kArphrdCan = 280;

// The folder listed: /sys/class/net, or the folder in FERROLUX_SYSFS_NET. The variable exists
// for tests and screenshots on machines without CAN interfaces.
[[nodiscard]] QString CanInterfaceRoot();
[[nodiscard]] QStringList ListCanInterfaces(const QString& netRoot = CanInterfaceRoot());
