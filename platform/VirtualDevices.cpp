#include "platform/VirtualDevices.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace {

constexpr const char* kSuffix = ".dev";

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// The fallback lives in /tmp, where anyone could have put a directory or a link there first.
void MakeDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) Fail("cannot create", path);
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) Fail("cannot inspect", path);
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
    throw std::runtime_error("not a directory of this user: " + path);
}

bool IsUsableSerial(const std::string& serial) {
  return !serial.empty() && serial != "." && serial != ".." &&
         serial.find_first_of("/\n\r") == std::string::npos;
}

// Description and tty path become single lines of the file.
bool IsSingleLine(const std::string& text) { return text.find_first_of("\n\r") == std::string::npos; }

std::string DevicePath(const std::string& serial) { return VirtualDeviceDirectory() + "/" + serial + kSuffix; }

bool ProcessGone(const std::string& pidText) {
  char* end = nullptr;
  const long pid = std::strtol(pidText.c_str(), &end, 10);
  if (end == pidText.c_str() || *end != '\0' || pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

std::optional<TVirtualDevice> ReadDevice(const std::string& path, std::string serial) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  TVirtualDevice device{std::move(serial), {}, {}};
  std::string line;
  bool announcerGone = false;
  while (std::getline(in, line)) {
    if (line.rfind("description=", 0) == 0) device.Description = line.substr(12);
    else if (line.rfind("tty=", 0) == 0) device.Tty = line.substr(4);
    else if (line.rfind("pid=", 0) == 0) announcerGone = ProcessGone(line.substr(4));
  }
  // A killed announcer leaves its file behind, and the system may since have given its
  // terminal's name to somebody else's terminal: such a device is not listed.
  if (device.Tty.empty() || announcerGone) return std::nullopt;
  return device;
}

}  // namespace

std::string VirtualDeviceDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/ferrolux/devices";
  return "/tmp/ferrolux-" + std::to_string(::getuid()) + "/devices";
}

std::string AnnounceVirtualDevice(const std::string& serial, const std::string& description,
                                  const std::string& ttyPath) {
  if (!IsUsableSerial(serial)) throw std::runtime_error("unusable serial number: " + serial);
  if (!IsSingleLine(description) || !IsSingleLine(ttyPath))
    throw std::runtime_error("description and tty path must be single lines");
  const std::string directory = VirtualDeviceDirectory();
  MakeDirectory(directory.substr(0, directory.rfind('/')));
  MakeDirectory(directory);

  const std::string path = DevicePath(serial);
  std::string temporary = directory + "/." + serial + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) Fail("cannot create", temporary);
  const std::string content =
      "description=" + description + "\ntty=" + ttyPath + "\npid=" + std::to_string(::getpid()) + "\n";
  const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
                       ::fchmod(fd, 0644) == 0;
  const int savedErrno = errno;
  if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    if (written) errno = savedErrno;
    ::unlink(temporary.c_str());
    Fail("cannot write", path);
  }
  return path;
}

bool WithdrawVirtualDevice(const std::string& serial) {
  if (!IsUsableSerial(serial)) return false;
  return ::unlink(DevicePath(serial).c_str()) == 0;
}

std::vector<TVirtualDevice> ListVirtualDevices() {
  std::vector<TVirtualDevice> devices;
  const std::string directory = VirtualDeviceDirectory();
  DIR* dir = ::opendir(directory.c_str());
  if (!dir) return devices;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    const std::size_t suffixLength = std::strlen(kSuffix);
    if (name.size() <= suffixLength || name[0] == '.' ||
        name.compare(name.size() - suffixLength, suffixLength, kSuffix) != 0)
      continue;
    if (auto device = ReadDevice(directory + "/" + name, name.substr(0, name.size() - suffixLength)))
      devices.push_back(std::move(*device));
  }
  ::closedir(dir);
  std::sort(devices.begin(), devices.end(),
            [](const TVirtualDevice& a, const TVirtualDevice& b) { return a.Serial < b.Serial; });
  return devices;
}
