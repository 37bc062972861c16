#include "app/ConnectionController.h"

#include "app/ReceivePipeline.h"

namespace {
// The product name the supported HID adapter reports.
const QString kHidProduct = QStringLiteral("Quillane");
}  // namespace

TConnectionController::TConnectionController(TZelCanAdapter& adapter, TConnectDrivers drivers, ReceiveQueue& queue,
                                             TBMDThread& reader)
    : FAdapter(adapter), FDrivers(drivers), FQueue(queue), FReader(reader) {
  AttachReceiveLoop(FReader, FAdapter, FQueue);
}

TZelCanCustomAdapter* TConnectionController::DriverForKind(const QString& kind) const {
  if (kind == AdapterKind::LawicelUsb) return FDrivers.CanUsb;
  if (kind == AdapterKind::ZelHid) return FDrivers.CanUsbHid;
  if (kind == AdapterKind::AcUsb || kind == AdapterKind::MhsUsb) return FDrivers.CanUsbSerial;
  if (kind == AdapterKind::SocketCan) return FDrivers.CanSocket;
  return nullptr;
}

bool TConnectionController::ConnectTo(const TZelCanAdapterDevice& entry, const QString& hidProductName) {
  const bool hid = entry.Description == AdapterKind::ZelHid;
  const QString name = hid ? hidProductName : entry.SerialNr;
  if (TZelCanCustomAdapter* driver = DriverForKind(entry.Description)) FAdapter.SetAdapter(driver);
  return Open(name.toStdString(), name);
}

bool TConnectionController::ConnectAuto(const std::vector<TFtdiListEntry>& ftdi,
                                        const std::vector<THidListEntry>& hid) {
  for (const TFtdiListEntry& device : ftdi) {
    if (device.Description == QLatin1String("CANUSB")) {
      FAdapter.SetAdapter(FDrivers.CanUsb);
      return Open(device.SerialNumber.toStdString(), device.SerialNumber);
    }
  }
  for (const THidListEntry& device : hid) {
    if (device.Text.contains(kHidProduct)) {
      FAdapter.SetAdapter(FDrivers.CanUsbHid);
      return Open(device.ProductName.toStdString(), device.ProductName);
    }
  }
  return Open(std::string(), QString());
}

bool TConnectionController::Open(const std::string& deviceName, const QString& shownName) {
  FQueue.Clear();
  FAdapter.SetFilter(GetHardwareFilters ? GetHardwareFilters() : TCanFilters{{0, 0xFFFFFFFF}});
  const TBitRateSettings rate = BitRateSettings ? BitRateSettings() : TBitRateSettings{};
  const std::int32_t btr = rate.Btr0 * 256 + rate.Btr1;
  if (FAdapter.OpenDevice(deviceName, static_cast<std::uint16_t>(rate.CanBitRate), btr) != 0) return false;
  FDeviceName = shownName;
  FAdapter.SetConnected(true);
  if (OnStateChanged) OnStateChanged(true, FDeviceName);
  FReader.Start();
  return true;
}

bool TConnectionController::Disconnect() {
  FReader.Stop();
  // The driver must not be closed while the reader may still be inside ReadData.
  FReader.WaitFor();
  if (FAdapter.CloseDevice() != 0) return false;
  FDeviceName.clear();
  FAdapter.SetConnected(false);
  if (OnStateChanged) OnStateChanged(false, QString());
  return true;
}
