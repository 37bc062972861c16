#include "CanPackage/source/AdapterKinds.h"

#include <cstring>

QStringList FtdiAdapterKinds(const QString& description) {
  QStringList kinds;
  if (description == QLatin1String("CANUSB")) kinds.append(AdapterKind::LawicelUsb);
  if (description == QLatin1String("CAN-IF")) kinds.append(AdapterKind::AcUsb);
  if (description.contains(QLatin1String("Tiny"), Qt::CaseSensitive)) kinds.append(AdapterKind::MhsUsb);
  return kinds;
}

namespace {
template <std::size_t N>
QString NodeText(const char (&text)[N]) {
  return QString::fromLatin1(text, static_cast<qsizetype>(strnlen(text, N)));
}
}  // namespace

QString FtdiDescription(const TFT_Device_Info_Node& node) { return NodeText(node.Description); }
QString FtdiSerialNumber(const TFT_Device_Info_Node& node) { return NodeText(node.SerialNumber); }

void AddFtdiAdapterDevices(const TFT_Device_Info_List& devices, TAdapterDeviceList& list) {
  for (const TFT_Device_Info_Node& node : devices) {
    const QString description = FtdiDescription(node);
    for (const QString& kind : FtdiAdapterKinds(description))
      list.push_back(TZelCanAdapterDevice::Create(kind, description, FtdiSerialNumber(node)));
  }
}
