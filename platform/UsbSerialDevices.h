#pragma once
// The USB-serial terminals attached to this machine, as sysfs describes them: ttyUSB* (the
// usb-serial bus, FTDI chips among them) and ttyACM* (CDC adapters).

#include <cstdint>
#include <string>
#include <vector>

struct TUsbSerialDevice {
  std::string TtyName;       // "ttyUSB0"
  std::string DevicePath;    // "/dev/ttyUSB0"
  std::string Description;   // the USB product string
  std::string SerialNumber;  // the USB serial string
  std::uint32_t DeviceType = 3;  // FTDI chip number, 3 (unknown) for anything else
  std::uint32_t Id = 0;          // vendor id << 16 | product id
  std::uint32_t LocId = 0;       // bus number << 16 | device number
};

struct TSysfsLayout {
  std::string SysfsRoot = "/sys";
  std::string DevRoot = "/dev";
};

// Ordered by terminal name (ttyACM*, then ttyUSB*, each numerically).
[[nodiscard]] std::vector<TUsbSerialDevice> ListUsbSerialDevices(const TSysfsLayout& layout = {});

// FTDI chip number from the USB device release (bcdDevice) of an FTDI vendor id; 3 otherwise.
[[nodiscard]] std::uint32_t FtdiChipType(std::uint32_t vendorId, std::uint32_t bcdDevice);
