#pragma once
// Opening and closing a device: picks the driver for a connect-menu entry (or finds an adapter
// by itself), hands over the acceptance filters, opens with the configured bit rate and runs
// the reader. The window shows the messages and switches its controls on OnStateChanged.

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "CanPackage/source/ZelCanAdapter.h"
#include "app/BMDThread.h"
#include "app/ConnectMenuModel.h"
#include "app/ReceiveQueue.h"

struct TBitRateSettings {
  std::int32_t CanBitRate = 500;  // kbit/s; 0: the register pair applies
  std::uint8_t Btr0 = 0;
  std::uint8_t Btr1 = 0;
};

// What the last successful connect opened, kept so that a device that went away can be
// opened again exactly so: same driver, device, acceptance filters and bit rate.
struct TOpenedDevice {
  QString Kind;      // adapter kind key of the device; empty when no device was found
  QString SerialNr;  // its serial number in the device lists
  TZelCanCustomAdapter* Driver = nullptr;
  std::string DeviceName;
  QString ShownName;
  TCanFilters Filters;
  TBitRateSettings Rate;
};

struct TConnectDrivers {
  TZelCanCustomAdapter* CanUsb = nullptr;
  TZelCanCustomAdapter* CanUsbSerial = nullptr;
  TZelCanCustomAdapter* CanUsbHid = nullptr;
  TZelCanCustomAdapter* CanSocket = nullptr;
};

class TConnectionController {
 public:
  TConnectionController(TZelCanAdapter& adapter, TConnectDrivers drivers, ReceiveQueue& queue, TBMDThread& reader);

  std::function<TCanFilters()> GetHardwareFilters;
  std::function<TBitRateSettings()> BitRateSettings;
  // Called after a successful open (true) or close (false) with the device name.
  std::function<void(bool connected, const QString& deviceName)> OnStateChanged;

  // A connect-menu entry; hidProductName is the product of the HID device it stands for.
  [[nodiscard]] bool ConnectTo(const TZelCanAdapterDevice& entry, const QString& hidProductName);
  // The "Open" command: the first vendor adapter, else the first supported HID adapter,
  // else whatever driver an earlier connect selected.
  [[nodiscard]] bool ConnectAuto(const std::vector<TFtdiListEntry>& ftdi, const std::vector<THidListEntry>& hid);
  // Stops the reader, waits for it, closes. False when the driver refused to close.
  [[nodiscard]] bool Disconnect();

  // Opens the device of the last successful connect again, with the filters and bit rate it
  // had then (the settings may have changed meanwhile). False when it does not open.
  [[nodiscard]] bool Reopen();

  [[nodiscard]] bool Connected() const { return FAdapter.Connected(); }
  // The open device went away: its driver says so (the reader has stopped on it).
  [[nodiscard]] bool DeviceLost() const { return FAdapter.Connected() && FAdapter.DeviceLost(); }
  [[nodiscard]] const TOpenedDevice& LastOpened() const { return FLastOpened; }
  [[nodiscard]] const QString& DeviceName() const { return FDeviceName; }
  // What the window says when an open failed: the failure, and below it the driver's reason
  // where the driver can tell one.
  [[nodiscard]] QString OpenFailureText() const;
  // The driver a connect uses for an adapter kind, or null for an unknown kind.
  [[nodiscard]] TZelCanCustomAdapter* DriverForKind(const QString& kind) const;

 private:
  // Selects the driver (when known) and opens with the current filters and bit rate.
  bool OpenNew(TOpenedDevice device);
  bool Open(const TOpenedDevice& device);

  TZelCanAdapter& FAdapter;
  TConnectDrivers FDrivers;
  ReceiveQueue& FQueue;
  TBMDThread& FReader;
  QString FDeviceName;
  TOpenedDevice FLastOpened;
};
