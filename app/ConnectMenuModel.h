#pragma once
// What the connect menu offers and the texts of the connection state, apart from widgets.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "CanPackage/source/ZelCanAdapterDevice.h"
#include "ftdi/FTDI_D2XX.h"
#include "platform/HidBackend.h"

// One FTDI device as the port listing reports it.
struct TFtdiListEntry {
  QString Description;
  QString SerialNumber;
};

// One HID adapter as the HID device list shows it.
struct THidListEntry {
  QString Text;         // product name + " (" + ids + ")"
  QString ProductName;  // handed to the driver as device name
  QString SerialNumber;
};

// The FTDI listing as the connect menu reads it.
[[nodiscard]] std::vector<TFtdiListEntry> FtdiListEntries(const TFT_Device_Info_List& devices);

// One entry of the window's HID device list: its text and the device it describes.
struct THidDeviceListItem {
  QString Text;
  THidDeviceInfo Device;
};
using THidDeviceList = std::vector<THidDeviceListItem>;

// Appends the supported HID adapters among `devices`, in the system's order.
void AddSupportedHidDevices(const std::vector<THidDeviceInfo>& devices, THidDeviceList& list);
[[nodiscard]] std::vector<THidListEntry> HidListEntries(const THidDeviceList& list);

struct TConnectMenuItem {
  QString Name;     // object name of the menu item
  QString Caption;
  std::unique_ptr<TZelCanAdapterDevice> Device;  // null for the "not found" item
  int HidIndex = -1;                             // position in the HID list for HID entries
};

// FTDI entries (three tests per device, in listing order), then HID entries, then one
// "SocketCAN - <name>" entry per CAN network interface, or the single "EmptyItem" when
// nothing was found.
[[nodiscard]] std::vector<TConnectMenuItem> BuildConnectMenu(const std::vector<TFtdiListEntry>& ftdi,
                                                             const std::vector<THidListEntry>& hid,
                                                             const QStringList& canInterfaces = {});

// Status panel 3 while connected: "%d Kbit/s", or the rate of the register pair.
[[nodiscard]] QString BitRatePanelText(std::int32_t canBitRate, std::uint8_t btr0, std::uint8_t btr1);

// Text of the device-status message for a non-zero status word.
[[nodiscard]] QString AdapterStateText(std::int32_t status);
