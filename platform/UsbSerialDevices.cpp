#include "platform/UsbSerialDevices.h"

#include <algorithm>
#include <optional>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kFtdiVendor = 0x0403;
constexpr std::uint32_t kUnknownChip = 3;

std::string ReadAttribute(const fs::path& dir, const char* name) {
  std::ifstream in(dir / name);
  std::string value;
  std::getline(in, value);
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r' || value.back() == ' ')) value.pop_back();
  return value;
}

std::uint32_t ReadNumber(const fs::path& dir, const char* name, int base) {
  const std::string text = ReadAttribute(dir, name);
  try {
    return text.empty() ? 0 : static_cast<std::uint32_t>(std::stoul(text, nullptr, base));
  } catch (const std::exception&) {
    return 0;
  }
}

// The USB device directory (the one with idVendor) above a tty's interface directory.
std::optional<fs::path> UsbDeviceOf(const fs::path& ttyDeviceLink) {
  std::error_code ec;
  fs::path dir = fs::canonical(ttyDeviceLink, ec);
  if (ec) return std::nullopt;
  for (int up = 0; up < 4 && dir.has_relative_path(); ++up, dir = dir.parent_path())
    if (fs::exists(dir / "idVendor", ec)) return dir;
  return std::nullopt;
}

void AddTtys(const fs::path& dir, const std::string& prefix, bool linkIsDevice, const TSysfsLayout& layout,
             std::vector<TUsbSerialDevice>& out) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const std::optional<fs::path> usb = UsbDeviceOf(linkIsDevice ? entry.path() : entry.path() / "device");
    if (!usb) continue;
    TUsbSerialDevice device;
    device.TtyName = name;
    device.DevicePath = layout.DevRoot + "/" + name;
    device.Description = ReadAttribute(*usb, "product");
    device.SerialNumber = ReadAttribute(*usb, "serial");
    const std::uint32_t vendor = ReadNumber(*usb, "idVendor", 16);
    device.Id = vendor << 16 | ReadNumber(*usb, "idProduct", 16);
    device.DeviceType = FtdiChipType(vendor, ReadNumber(*usb, "bcdDevice", 16));
    device.LocId = ReadNumber(*usb, "busnum", 10) << 16 | ReadNumber(*usb, "devnum", 10);
    out.push_back(std::move(device));
  }
}

// "ttyUSB10" after "ttyUSB9".
bool TtyOrder(const TUsbSerialDevice& a, const TUsbSerialDevice& b) {
  const auto split = [](const std::string& name) {
    const std::size_t digits = name.find_first_of("0123456789");
    const std::string stem = name.substr(0, digits);
    const unsigned long number = digits == std::string::npos ? 0 : std::stoul(name.substr(digits));
    return std::pair(stem, number);
  };
  return split(a.TtyName) < split(b.TtyName);
}

}  // namespace

std::uint32_t FtdiChipType(std::uint32_t vendorId, std::uint32_t bcdDevice) {
  if (vendorId != kFtdiVendor) return kUnknownChip;
  switch (bcdDevice & 0xFF00) {
    case 0x0200: return 1;  // FT232AM
    case 0x0400: return 0;  // FT232BM
    case 0x0500: return 4;  // FT2232C
    case 0x0600: return 5;  // FT232R
    case 0x0700: return 6;  // FT2232H
    case 0x0800: return 7;  // FT4232H
    case 0x0900: return 8;  // FT232H
    case 0x1000: return 9;  // X series
    default: return kUnknownChip;
  }
}

std::vector<TUsbSerialDevice> ListUsbSerialDevices(const TSysfsLayout& layout) {
  std::vector<TUsbSerialDevice> devices;
  AddTtys(fs::path(layout.SysfsRoot) / "bus/usb-serial/devices", "ttyUSB", true, layout, devices);
  AddTtys(fs::path(layout.SysfsRoot) / "class/tty", "ttyACM", false, layout, devices);
  std::sort(devices.begin(), devices.end(), TtyOrder);
  return devices;
}
