#pragma once
// One entry of the connect menu's device list.

#include <QString>
#include <memory>
#include <vector>

// Adapter-kind keys stored in TZelCanAdapterDevice::Description.
namespace AdapterKind {
inline const QString LawicelUsb = QStringLiteral("LAWICELUSB");
inline const QString AcUsb = QStringLiteral("ACUSB");
inline const QString MhsUsb = QStringLiteral("MHSUSB");
inline const QString ZelHid = QStringLiteral("ZELHID");
inline const QString SocketCan = QStringLiteral("SOCKETCAN");  // SerialNr: the interface name
}  // namespace AdapterKind

class TZelCanAdapterDevice {
 public:
  TZelCanAdapterDevice(QString description, QString manufacturer, QString serialNr)
      : Description(std::move(description)), Manufacturer(std::move(manufacturer)), SerialNr(std::move(serialNr)) {}

  static std::unique_ptr<TZelCanAdapterDevice> Create(QString description, QString manufacturer, QString serialNr) {
    return std::make_unique<TZelCanAdapterDevice>(std::move(description), std::move(manufacturer), std::move(serialNr));
  }

  QString Description;
  QString Manufacturer;
  QString SerialNr;
};

using TAdapterDeviceList = std::vector<std::unique_ptr<TZelCanAdapterDevice>>;
