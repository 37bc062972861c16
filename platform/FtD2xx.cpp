#include "platform/FtD2xx.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/TtyPort.h"
#include "platform/VirtualDevices.h"

namespace {

struct TDeviceEntry {
  TFT_Device_Info_Node Node;
  std::string TtyPath;
};

// An open device. Once the terminal reports a hang-up every call but close fails with
// FT_IO_ERROR, so a vanished adapter does not look like an idle one.
struct TOpenPort {
  int Fd = -1;
  std::string TtyPath;
  std::atomic<bool> Lost{false};
};

struct TLayer {
  std::mutex Lock;
  TSysfsLayout Layout;
  std::vector<TDeviceEntry> Snapshot;  // the list FT_CreateDeviceInfoList built
  std::set<TOpenPort*> Ports;
};

TLayer& Layer() {
  static TLayer layer;
  return layer;
}

void CopyText(char* target, std::size_t size, const std::string& text) {
  std::memset(target, 0, size);
  std::memcpy(target, text.data(), std::min(text.size(), size - 1));
}

bool IsOpenLocked(const TLayer& layer, const std::string& path) {
  return std::any_of(layer.Ports.begin(), layer.Ports.end(), [&](const TOpenPort* p) { return p->TtyPath == path; });
}

std::vector<TDeviceEntry> EnumerateLocked(const TLayer& layer) {
  std::vector<TDeviceEntry> entries;
  auto add = [&](const std::string& serial, const std::string& description, const std::string& path, ULONG type,
                 ULONG id, DWORD loc) {
    TDeviceEntry e;
    e.TtyPath = path;
    e.Node.Flags = IsOpenLocked(layer, path) ? FT_FLAGS_OPENED : 0;
    e.Node.DeviceType = type;
    e.Node.ID = id;
    e.Node.LocID = loc;
    CopyText(e.Node.SerialNumber, sizeof e.Node.SerialNumber, serial);
    CopyText(e.Node.Description, sizeof e.Node.Description, description);
    entries.push_back(std::move(e));
  };
  for (const TUsbSerialDevice& d : ListUsbSerialDevices(layer.Layout))
    add(d.SerialNumber, d.Description, d.DevicePath, d.DeviceType, d.Id, d.LocId);
  for (const TVirtualDevice& d : ListVirtualDevices()) add(d.Serial, d.Description, d.Tty, FT_DEVICE_UNKNOWN, 0, 0);
  return entries;
}

TOpenPort* Find(FT_HANDLE handle) {
  TLayer& layer = Layer();
  std::lock_guard lock(layer.Lock);
  auto* port = static_cast<TOpenPort*>(handle);
  return layer.Ports.count(port) != 0 ? port : nullptr;
}

// Looks the handle up and refuses a port whose device is gone.
FT_STATUS Usable(FT_HANDLE handle, TOpenPort*& port) {
  port = Find(handle);
  if (port == nullptr) return FT_INVALID_HANDLE;
  if (port->Lost.load(std::memory_order_acquire)) return FT_IO_ERROR;
  return FT_OK;
}

FT_STATUS MarkLost(TOpenPort& port) {
  port.Lost.store(true, std::memory_order_release);
  return FT_IO_ERROR;
}

FT_STATUS OpenPath(const std::string& path, FT_HANDLE* handle) {
  const int fd = TtyPort::OpenRaw(path);
  if (fd < 0) return errno == ENOENT || errno == ENXIO || errno == ENODEV ? FT_DEVICE_NOT_FOUND : FT_DEVICE_NOT_OPENED;
  auto* port = new TOpenPort;
  port->Fd = fd;
  port->TtyPath = path;
  TLayer& layer = Layer();
  std::lock_guard lock(layer.Lock);
  layer.Ports.insert(port);
  *handle = port;
  return FT_OK;
}

template <typename Match>
FT_STATUS OpenMatching(Match&& match, FT_HANDLE* handle) {
  if (handle == nullptr) return FT_INVALID_PARAMETER;
  *handle = nullptr;
  std::string path;
  {
    TLayer& layer = Layer();
    std::lock_guard lock(layer.Lock);
    for (const TDeviceEntry& e : EnumerateLocked(layer))
      if (match(e.Node)) {
        path = e.TtyPath;
        break;
      }
  }
  return path.empty() ? FT_DEVICE_NOT_FOUND : OpenPath(path, handle);
}

}  // namespace

void FT_SetSysfsLayout(const TSysfsLayout& layout) {
  TLayer& layer = Layer();
  std::lock_guard lock(layer.Lock);
  layer.Layout = layout;
}

FT_STATUS FT_CreateDeviceInfoList(DWORD* numDevices) {
  if (numDevices == nullptr) return FT_INVALID_PARAMETER;
  TLayer& layer = Layer();
  std::lock_guard lock(layer.Lock);
  layer.Snapshot = EnumerateLocked(layer);
  *numDevices = static_cast<DWORD>(layer.Snapshot.size());
  return FT_OK;
}

FT_STATUS FT_GetDeviceInfoList(TFT_Device_Info_Node* list, DWORD* numDevices) {
  if (list == nullptr || numDevices == nullptr) return FT_INVALID_PARAMETER;
  TLayer& layer = Layer();
  std::lock_guard lock(layer.Lock);
  const std::size_t n = std::min<std::size_t>(*numDevices, layer.Snapshot.size());
  for (std::size_t i = 0; i < n; ++i) list[i] = layer.Snapshot[i].Node;
  *numDevices = static_cast<DWORD>(n);
  return FT_OK;
}

FT_STATUS FT_GetDeviceInfoDetail(DWORD index, DWORD* flags, DWORD* type, DWORD* id, DWORD* locId, char* serialNumber,
                                 char* description, FT_HANDLE* handle) {
  TLayer& layer = Layer();
  std::lock_guard lock(layer.Lock);
  if (index >= layer.Snapshot.size()) return FT_DEVICE_NOT_FOUND;
  const TFT_Device_Info_Node& n = layer.Snapshot[index].Node;
  if (flags) *flags = n.Flags;
  if (type) *type = n.DeviceType;
  if (id) *id = n.ID;
  if (locId) *locId = n.LocID;
  if (serialNumber) std::memcpy(serialNumber, n.SerialNumber, sizeof n.SerialNumber);
  if (description) std::memcpy(description, n.Description, sizeof n.Description);
  if (handle) *handle = n.DeviceHandle;
  return FT_OK;
}

FT_STATUS FT_ListDevices(void* arg1, void* arg2, DWORD flags) {
  std::vector<TDeviceEntry> entries;
  {
    TLayer& layer = Layer();
    std::lock_guard lock(layer.Lock);
    entries = EnumerateLocked(layer);
  }
  if ((flags & FT_LIST_NUMBER_ONLY) != 0) {
    if (arg1 == nullptr) return FT_INVALID_PARAMETER;
    *static_cast<DWORD*>(arg1) = static_cast<DWORD>(entries.size());
    return FT_OK;
  }
  if ((flags & FT_LIST_BY_INDEX) == 0 || arg2 == nullptr) return FT_INVALID_PARAMETER;
  const auto index = reinterpret_cast<std::uintptr_t>(arg1);
  if (index >= entries.size()) return FT_DEVICE_NOT_FOUND;
  const TFT_Device_Info_Node& n = entries[index].Node;
  if ((flags & FT_OPEN_BY_DESCRIPTION) != 0)
    std::memcpy(arg2, n.Description, sizeof n.Description);
  else
    std::memcpy(arg2, n.SerialNumber, sizeof n.SerialNumber);
  return FT_OK;
}

FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) {
  int index = 0;
  return OpenMatching([&](const TFT_Device_Info_Node&) { return index++ == deviceNumber; }, handle);
}

FT_STATUS FT_OpenEx(void* arg, DWORD flags, FT_HANDLE* handle) {
  if (arg == nullptr) return FT_INVALID_PARAMETER;
  switch (flags) {
    case FT_OPEN_BY_SERIAL_NUMBER: {
      const std::string serial(static_cast<const char*>(arg));
      return OpenMatching([&](const TFT_Device_Info_Node& n) { return serial == n.SerialNumber; }, handle);
    }
    case FT_OPEN_BY_DESCRIPTION: {
      const std::string description(static_cast<const char*>(arg));
      return OpenMatching([&](const TFT_Device_Info_Node& n) { return description == n.Description; }, handle);
    }
    case FT_OPEN_BY_LOCATION: {
      const auto location = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(arg));
      return OpenMatching([&](const TFT_Device_Info_Node& n) { return n.LocID != 0 && n.LocID == location; }, handle);
    }
    default: return FT_INVALID_PARAMETER;
  }
}

FT_STATUS FT_Close(FT_HANDLE handle) {
  auto* port = static_cast<TOpenPort*>(handle);
  {
    TLayer& layer = Layer();
    std::lock_guard lock(layer.Lock);
    if (layer.Ports.erase(port) == 0) return FT_INVALID_HANDLE;
  }
  TtyPort::Close(port->Fd);
  delete port;
  return FT_OK;
}

FT_STATUS FT_ResetDevice(FT_HANDLE handle) {
  // A terminal cannot reset the chip; what remains of a reset is emptying both queues.
  return FT_Purge(handle, FT_PURGE_RX | FT_PURGE_TX);
}

FT_STATUS FT_SetBaudRate(FT_HANDLE handle, ULONG baudRate) {
  TOpenPort* port = nullptr;
  if (const FT_STATUS s = Usable(handle, port); s != FT_OK) return s;
  return TtyPort::SetBaudRate(port->Fd, baudRate) ? FT_OK : FT_INVALID_BAUD_RATE;
}

FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
  TOpenPort* port = nullptr;
  if (const FT_STATUS s = Usable(handle, port); s != FT_OK) return s;
  if ((wordLength != FT_BITS_7 && wordLength != FT_BITS_8) || (stopBits != FT_STOP_BITS_1 && stopBits != FT_STOP_BITS_2) ||
      parity > 4)
    return FT_INVALID_PARAMETER;
  return TtyPort::SetLineSettings(port->Fd, wordLength, stopBits == FT_STOP_BITS_2, parity) ? FT_OK : FT_IO_ERROR;
}

FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes) {
  TOpenPort* port = nullptr;
  if (const FT_STATUS s = Usable(handle, port); s != FT_OK) return s;
  if (rxBytes == nullptr) return FT_INVALID_PARAMETER;
  const int waiting = TtyPort::BytesWaiting(port->Fd);
  if (waiting < 0 || (waiting == 0 && TtyPort::HungUp(port->Fd))) return MarkLost(*port);
  *rxBytes = static_cast<DWORD>(waiting);
  return FT_OK;
}

FT_STATUS FT_GetStatus(FT_HANDLE handle, DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus) {
  if (const FT_STATUS s = FT_GetQueueStatus(handle, rxBytes); s != FT_OK) return s;
  TOpenPort* port = Find(handle);
  const int unsent = TtyPort::BytesUnsent(port->Fd);
  if (unsent < 0) return MarkLost(*port);
  if (txBytes) *txBytes = static_cast<DWORD>(unsent);
  if (eventStatus) *eventStatus = 0;
  return FT_OK;
}

FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, DWORD toRead, DWORD* bytesRead) {
  TOpenPort* port = nullptr;
  if (const FT_STATUS s = Usable(handle, port); s != FT_OK) return s;
  if (bytesRead == nullptr || (buffer == nullptr && toRead > 0)) return FT_INVALID_PARAMETER;
  *bytesRead = 0;
  if (toRead == 0) return FT_OK;
  ssize_t n;
  do n = read(port->Fd, buffer, toRead);
  while (n < 0 && errno == EINTR);
  if (n > 0) {
    *bytesRead = static_cast<DWORD>(n);
    return FT_OK;
  }
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return FT_OK;
  return MarkLost(*port);  // end of file or EIO: the other end hung up
}

FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, DWORD toWrite, DWORD* bytesWritten) {
  constexpr int kWriteTimeoutMs = 1000;
  TOpenPort* port = nullptr;
  if (const FT_STATUS s = Usable(handle, port); s != FT_OK) return s;
  if (bytesWritten == nullptr || (buffer == nullptr && toWrite > 0)) return FT_INVALID_PARAMETER;
  *bytesWritten = 0;
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  while (*bytesWritten < toWrite) {
    const ssize_t n = write(port->Fd, bytes + *bytesWritten, toWrite - *bytesWritten);
    if (n > 0) {
      *bytesWritten += static_cast<DWORD>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return MarkLost(*port);
    const TtyPort::TWaitResult room = TtyPort::WaitWritable(port->Fd, kWriteTimeoutMs);
    if (room == TtyPort::TWaitResult::HungUp) return MarkLost(*port);
    if (room == TtyPort::TWaitResult::Timeout) break;  // short count: the caller sees it
  }
  return FT_OK;
}

FT_STATUS FT_Purge(FT_HANDLE handle, ULONG mask) {
  TOpenPort* port = nullptr;
  if (const FT_STATUS s = Usable(handle, port); s != FT_OK) return s;
  if ((mask & ~(FT_PURGE_RX | FT_PURGE_TX)) != 0) return FT_INVALID_PARAMETER;
  return TtyPort::Flush(port->Fd, (mask & FT_PURGE_RX) != 0, (mask & FT_PURGE_TX) != 0) ? FT_OK : MarkLost(*port);
}

FT_STATUS FT_WaitForInput(FT_HANDLE handle, DWORD timeoutMs) {
  TOpenPort* port = nullptr;
  if (const FT_STATUS s = Usable(handle, port); s != FT_OK) return s;
  const TtyPort::TWaitResult r = TtyPort::WaitReadable(port->Fd, static_cast<int>(std::min<DWORD>(timeoutMs, 60000)));
  return r == TtyPort::TWaitResult::HungUp ? MarkLost(*port) : FT_OK;
}

// Chip-level operations: a terminal gives no access to them.
namespace {
FT_STATUS NotOnATerminal(FT_HANDLE handle) {
  TOpenPort* port = nullptr;
  const FT_STATUS s = Usable(handle, port);
  return s != FT_OK ? s : FT_NOT_SUPPORTED;
}
}  // namespace

FT_STATUS FT_CyclePort(FT_HANDLE handle) { return NotOnATerminal(handle); }
FT_STATUS FT_GetBitMode(FT_HANDLE handle, UCHAR*) { return NotOnATerminal(handle); }
FT_STATUS FT_SetBitMode(FT_HANDLE handle, UCHAR, UCHAR) { return NotOnATerminal(handle); }
FT_STATUS FT_EEPROM_Read(FT_HANDLE handle, void*, DWORD, char*, char*, char*, char*) { return NotOnATerminal(handle); }
FT_STATUS FT_EEPROM_Program(FT_HANDLE handle, void*, DWORD, char*, char*, char*, char*) { return NotOnATerminal(handle); }
