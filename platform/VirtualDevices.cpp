#include "platform/VirtualDevices.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtension = ".dev";
constexpr const char* kDescriptionKey = "description=";
constexpr const char* kTtyKey = "tty=";

// A serial number becomes a file name: no separators, no dot files, nothing empty.
bool IsUsableSerial(const std::string& serial) {
  return !serial.empty() && serial.front() != '.' && serial.find('/') == std::string::npos &&
         serial.find('\0') == std::string::npos;
}

fs::path AnnouncementPath(const std::string& serial) { return fs::path(VirtualDeviceDirectory()) / (serial + kExtension); }

bool ReadAnnouncement(const fs::path& file, TVirtualDevice& device) {
  std::ifstream in(file);
  if (!in) return false;
  bool haveDescription = false;
  bool haveTty = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(kDescriptionKey, 0) == 0) {
      device.Description = line.substr(std::char_traits<char>::length(kDescriptionKey));
      haveDescription = true;
    } else if (line.rfind(kTtyKey, 0) == 0) {
      device.TtyPath = line.substr(std::char_traits<char>::length(kTtyKey));
      haveTty = true;
    }
  }
  device.SerialNumber = file.stem().string();
  return haveDescription && haveTty && !device.TtyPath.empty();
}

}  // namespace

std::string VirtualDeviceDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') return std::string(runtime) + "/ferrolux/devices";
  return "/tmp/ferrolux-" + std::to_string(getuid()) + "/devices";
}

std::string AnnounceVirtualDevice(const std::string& serial, const std::string& description, const std::string& ttyPath) {
  if (!IsUsableSerial(serial)) return {};
  std::error_code ec;
  fs::create_directories(VirtualDeviceDirectory(), ec);
  if (ec) return {};
  const fs::path file = AnnouncementPath(serial);
  // Written under a temporary name and renamed, so a reader never sees half a file.
  const fs::path temporary = file.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << kDescriptionKey << description << '\n' << kTtyKey << ttyPath << '\n';
    if (!out.flush()) return {};
  }
  fs::rename(temporary, file, ec);
  if (ec) {
    fs::remove(temporary, ec);
    return {};
  }
  return file.string();
}

bool WithdrawVirtualDevice(const std::string& serial) {
  if (!IsUsableSerial(serial)) return false;
  std::error_code ec;
  return fs::remove(AnnouncementPath(serial), ec);
}

std::vector<TVirtualDevice> ListVirtualDevices() {
  std::vector<TVirtualDevice> devices;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(VirtualDeviceDirectory(), ec)) {
    if (entry.path().extension() != kExtension) continue;
    TVirtualDevice device;
    if (ReadAnnouncement(entry.path(), device)) devices.push_back(std::move(device));
  }
  std::sort(devices.begin(), devices.end(),
            [](const TVirtualDevice& a, const TVirtualDevice& b) { return a.SerialNumber < b.SerialNumber; });
  return devices;
}
