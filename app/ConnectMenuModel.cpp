#include "app/ConnectMenuModel.h"

#include "CanPackage/source/AdapterKinds.h"
#include "CanPackage/source/ZelCanUsbHid.h"
#include "model/CanText.h"

namespace {

TConnectMenuItem FtdiItem(const QString& kind, const TFtdiListEntry& device, int index) {
  TConnectMenuItem item;
  const QString number = QString::number(index);
  if (kind == AdapterKind::LawicelUsb) {
    item.Name = QStringLiteral("ItemUSBLAW") + number;
    item.Caption = device.SerialNumber;
  } else if (kind == AdapterKind::AcUsb) {
    item.Name = QStringLiteral("ItemUSBAC") + number;
    item.Caption = QStringLiteral("AC CAN-IF - ") + device.SerialNumber;
  } else {
    item.Name = QStringLiteral("ItemUSBMHS") + number;
    item.Caption = device.Description + QStringLiteral(" - ") + device.SerialNumber;
  }
  item.Device = TZelCanAdapterDevice::Create(kind, device.Description, device.SerialNumber);
  return item;
}

}  // namespace

std::vector<TFtdiListEntry> FtdiListEntries(const TFT_Device_Info_List& devices) {
  std::vector<TFtdiListEntry> entries;
  entries.reserve(devices.size());
  for (const TFT_Device_Info_Node& node : devices) entries.push_back({FtdiDescription(node), FtdiSerialNumber(node)});
  return entries;
}

void AddSupportedHidDevices(const std::vector<THidDeviceInfo>& devices, THidDeviceList& list) {
  for (const THidDeviceInfo& device : devices)
    if (IsZelHidDevice(device)) list.push_back({HidDeviceListEntry(device), device});
}

std::vector<THidListEntry> HidListEntries(const THidDeviceList& list) {
  std::vector<THidListEntry> entries;
  entries.reserve(list.size());
  for (const THidDeviceListItem& item : list) entries.push_back({item.Text, item.Device.ProductName, item.Device.SerialNumber});
  return entries;
}

std::vector<TConnectMenuItem> BuildConnectMenu(const std::vector<TFtdiListEntry>& ftdi,
                                               const std::vector<THidListEntry>& hid, const QStringList& canInterfaces) {
  std::vector<TConnectMenuItem> items;
  for (std::size_t i = 0; i < ftdi.size(); ++i)
    for (const QString& kind : FtdiAdapterKinds(ftdi[i].Description))
      items.push_back(FtdiItem(kind, ftdi[i], static_cast<int>(i)));
  for (std::size_t j = 0; j < hid.size(); ++j) {
    TConnectMenuItem item;
    item.Name = QStringLiteral("ItemHID") + QString::number(j);
    item.Caption = hid[j].Text;
    item.Device = TZelCanAdapterDevice::Create(AdapterKind::ZelHid, QString(), hid[j].SerialNumber);
    item.HidIndex = static_cast<int>(j);
    items.push_back(std::move(item));
  }
  for (qsizetype k = 0; k < canInterfaces.size(); ++k) {
    TConnectMenuItem item;
    item.Name = QStringLiteral("ItemSocketCAN") + QString::number(k);
    item.Caption = QStringLiteral("SocketCAN - ") + canInterfaces[k];
    item.Device = TZelCanAdapterDevice::Create(AdapterKind::SocketCan, QStringLiteral("SocketCAN"), canInterfaces[k]);
    items.push_back(std::move(item));
  }
  if (items.empty()) {
    TConnectMenuItem empty;
    empty.Name = QStringLiteral("EmptyItem");
    empty.Caption = QStringLiteral("CANUSB adapter not found");
    items.push_back(std::move(empty));
  }
  return items;
}

QString BitRatePanelText(std::int32_t canBitRate, std::uint8_t btr0, std::uint8_t btr1) {
  if ((canBitRate & 0xFFFF) != 0) return QString::asprintf("%d Kbit/s", canBitRate);
  const auto hex2 = [](std::uint8_t b) { return QString::asprintf("%02X", b); };
  return BtrToBitRateText(hex2(btr0), hex2(btr1)) + QStringLiteral(" Kbit/s");
}

QString AdapterStateText(std::int32_t status) {
  static constexpr std::pair<int, const char*> kBits[] = {
      {0, "--> RECEIVE_FIFO_FULL\r\n"}, {1, "--> TRANSMIT_FIFO_FULL\r\n"}, {2, "--> ERROR_WARNING\r\n"},
      {3, "--> DATA_OVERRUN\r\n"},      {5, "--> ERROR_PASSIVE\r\n"},      {6, "--> ARBITRATION_LOST\r\n"},
      {7, "--> BUS_ERROR"}};
  QString text = QStringLiteral("Adapter state: \r\n");
  for (const auto& [bit, line] : kBits)
    if (IsBitSet(static_cast<std::uint32_t>(status), bit)) text += QLatin1String(line);
  return text;
}
