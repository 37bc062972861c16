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
  return OpenNew({entry.Description, entry.SerialNr, DriverForKind(entry.Description), name.toStdString(), name, {}, {}});
}

bool TConnectionController::ConnectAuto(const std::vector<TFtdiListEntry>& ftdi,
                                        const std::vector<THidListEntry>& hid) {
  for (const TFtdiListEntry& device : ftdi) {
    if (device.Description == QLatin1String("CANUSB"))
      return OpenNew({AdapterKind::LawicelUsb, device.SerialNumber, FDrivers.CanUsb, device.SerialNumber.toStdString(),
                      device.SerialNumber, {}, {}});
  }
  for (const THidListEntry& device : hid) {
    if (device.Text.contains(kHidProduct))
      return OpenNew({AdapterKind::ZelHid, device.SerialNumber, FDrivers.CanUsbHid, device.ProductName.toStdString(),
                      device.ProductName, {}, {}});
  }
  // Nothing found: whatever driver an earlier connect selected stays selected.
  return OpenNew({});
}

bool TConnectionController::OpenNew(TOpenedDevice device) {
  if (device.Driver) FAdapter.SetAdapter(device.Driver);
  device.Driver = FAdapter.Adapter();
  device.Filters = GetHardwareFilters ? GetHardwareFilters() : TCanFilters{{0, 0xFFFFFFFF}};
  device.Rate = BitRateSettings ? BitRateSettings() : TBitRateSettings{};
  return Open(device);
}

QString TConnectionController::OpenFailureText() const {
  const QString failed = QStringLiteral("Connect to CAN device is failed");
  const QString problem = FAdapter.Adapter() ? FAdapter.Adapter()->OpenProblem() : QString();
  return problem.isEmpty() ? failed : failed + QStringLiteral("\n\n") + problem + QLatin1Char('.');
}

bool TConnectionController::Reopen() {
  if (!FLastOpened.Driver || FAdapter.Connected()) return false;
  FAdapter.SetAdapter(FLastOpened.Driver);
  return Open(FLastOpened);
}

bool TConnectionController::Open(const TOpenedDevice& device) {
  FQueue.Clear();
  FAdapter.SetFilter(device.Filters);
  const std::int32_t btr = device.Rate.Btr0 * 256 + device.Rate.Btr1;
  if (FAdapter.OpenDevice(device.DeviceName, static_cast<std::uint16_t>(device.Rate.CanBitRate), btr) != 0) return false;
  FLastOpened = device;
  FDeviceName = device.ShownName;
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
