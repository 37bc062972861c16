#pragma once
// Announcement of adapters that are not on the USB bus, such as the simulator or a test's
// pseudo-terminal adapter. A device is a file "<serial>.dev" in VirtualDeviceDirectory()
// holding two lines:
//   description=<text the device list shows>
//   tty=<path of the terminal to open>
// The device layer lists these after the USB adapters and opens their tty like a USB one.

#include <string>
#include <vector>

struct TVirtualDevice {
  std::string SerialNumber;
  std::string Description;
  std::string TtyPath;
};

// $XDG_RUNTIME_DIR/ferrolux/devices, or /tmp/ferrolux-<uid>/devices without XDG_RUNTIME_DIR.
[[nodiscard]] std::string VirtualDeviceDirectory();

// Writes the announcement (creating the directory) and returns the file's path; empty when
// it could not be written or the serial number is not usable as a file name.
std::string AnnounceVirtualDevice(const std::string& serial, const std::string& description, const std::string& ttyPath);

// Removes the announcement; true when a file was removed.
bool WithdrawVirtualDevice(const std::string& serial);

// Every well-formed announcement, ordered by serial number (the directory order is not stable).
[[nodiscard]] std::vector<TVirtualDevice> ListVirtualDevices();
