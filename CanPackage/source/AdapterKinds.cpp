#include "CanPackage/source/AdapterKinds.h"

#include <cstring>

QStringList FtdiAdapterKinds(const QString& description) {
  QStringList kinds;
  if (description == QLatin1String("CANUSB")) kinds.append(AdapterKind::LawicelUsb);
  if (description == QLatin1String("CAN-IF")) kinds.append(AdapterKind::AcUsb);
  if (description.contains(QLatin1String("Tiny"), Qt::CaseSensitive)) kinds.append(AdapterKind::MhsUsb);
  return kinds;
}

void AddFtdiAdapterDevices(const TFT_Device_Info_List& devices, TAdapterDeviceList& list) {
  for (const TFT_Device_Info_Node& node : devices) {
    const QString description =
        QString::fromLatin1(node.Description, static_cast<qsizetype>(strnlen(node.Description, sizeof node.Description)));
    const QString serial =
        QString::fromLatin1(node.SerialNumber, static_cast<qsizetype>(strnlen(node.SerialNumber, sizeof node.SerialNumber)));
    for (const QString& kind : FtdiAdapterKinds(description)) list.push_back(TZelCanAdapterDevice::Create(kind, description, serial));
  }
}
