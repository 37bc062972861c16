#pragma once
// Virtual adapters announced by files, so the device list shows them next to the USB ones.
// A device is the file "<serial>.dev" in VirtualDeviceDirectory(), holding the lines
//   description=<text>
//   tty=<path of the pseudo-terminal slave>
//   pid=<process id of the announcer>   (optional; a device whose announcer has died is not listed)
// The directory is $XDG_RUNTIME_DIR/ferrolux/devices, or /tmp/ferrolux-<uid>/devices when
// XDG_RUNTIME_DIR is unset or empty; it is created with mode 0700.

#include <string>
#include <vector>

struct TVirtualDevice {
  std::string Serial;
  std::string Description;
  std::string Tty;
};

[[nodiscard]] std::string VirtualDeviceDirectory();
// Writes the announcement atomically (temporary file, then rename) and returns its path.
// Throws std::runtime_error when the directory or the file cannot be written, or when the
// serial is not usable as a file name.
std::string AnnounceVirtualDevice(const std::string& serial, const std::string& description,
                                  const std::string& ttyPath);
// Removes the announcement; true if it existed.
bool WithdrawVirtualDevice(const std::string& serial);
// Every announcement with a tty line, sorted by serial; unreadable files are left out.
[[nodiscard]] std::vector<TVirtualDevice> ListVirtualDevices();
