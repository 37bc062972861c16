// A stand-in for the adapter maker's driver library. It writes one line per call to the file
// named by FAKE_CANUSB_LOG and answers as the FAKE_CANUSB_* variables say, so a test can see
// exactly what the driver passed and when the library was loaded and unloaded.
// Plain C library calls only: nothing here may keep the library from being unloaded.

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CanPackage/source/CanUsbLibrary.h"

namespace {

TCanUsbReceiveCallback gCallback = nullptr;
int gNextAdapter = 0;

void Log(const char* format, ...) {
  const char* path = std::getenv("FAKE_CANUSB_LOG");
  if (!path) return;
  FILE* file = std::fopen(path, "a");
  if (!file) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(file, format, args);
  va_end(args);
  std::fputc('\n', file);
  std::fclose(file);
}

int Setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : fallback;
}

// The n-th serial number of FAKE_CANUSB_ADAPTERS (comma-separated, blanks kept); false past the end.
bool Adapter(int n, char* out, int size) {
  const char* list = std::getenv("FAKE_CANUSB_ADAPTERS");
  if (!list || !*list) return false;
  for (int i = 0; i < n; ++i) {
    list = std::strchr(list, ',');
    if (!list) return false;
    ++list;
  }
  const char* end = std::strchr(list, ',');
  const int length = end ? static_cast<int>(end - list) : static_cast<int>(std::strlen(list));
  std::snprintf(out, static_cast<std::size_t>(size), "%.*s", length, list);
  return true;
}

int AdapterCount() {
  char scratch[64];
  int count = 0;
  while (Adapter(count, scratch, sizeof scratch)) ++count;
  return count;
}

__attribute__((constructor)) void Loaded() { Log("load"); }
__attribute__((destructor)) void Unloaded() { Log("unload"); }

}  // namespace

extern "C" {
TCanUsbOpen canusb_Open;
TCanUsbClose canusb_Close;
TCanUsbRead canusb_Read;
TCanUsbWrite canusb_Write;
#ifndef FAKE_WITHOUT_STATUS
TCanUsbStatus canusb_Status;
#endif
TCanUsbVersionInfo canusb_VersionInfo;
TCanUsbFlush canusb_Flush;
TCanUsbSetReceiveCallBack canusb_setReceiveCallBack;
TCanUsbGetAdapter canusb_getFirstAdapter;
TCanUsbGetAdapter canusb_getNextAdapter;
void fake_canusb_fire(const TCanMsg* msg);

TCanUsbHandle canusb_Open(const char* serial, const char* bitRate, std::uint32_t code, std::uint32_t mask,
                          std::uint32_t flags) {
  Log("Open %s %s %08X %08X %u", serial, bitRate, code, mask, flags);
  return Setting("FAKE_CANUSB_OPEN_HANDLE", 7);
}

std::int32_t canusb_Close(TCanUsbHandle handle) {
  Log("Close %d", handle);
  return Setting("FAKE_CANUSB_CLOSE_RESULT", 1);
}

std::int32_t canusb_Read(TCanUsbHandle handle, TCanMsg* msg) {
  Log("Read %d", handle);
  const int status = Setting("FAKE_CANUSB_READ_STATUS", -7);
  if (status == 1) {
    *msg = TCanMsg{};
    msg->id = 0x18DAF110;
    msg->timestamp = 4660;
    msg->flags = 0x80;
    msg->len = 3;
    msg->data[0] = 1;
    msg->data[1] = 2;
    msg->data[2] = 3;
  }
  return status;
}

std::int32_t canusb_Write(TCanUsbHandle handle, const TCanMsg* msg) {
  Log("Write %d %08X %d %02X %u %02X%02X%02X%02X%02X%02X%02X%02X", handle, static_cast<unsigned>(msg->id),
      msg->timestamp, msg->flags, msg->len, msg->data[0], msg->data[1], msg->data[2], msg->data[3], msg->data[4],
      msg->data[5], msg->data[6], msg->data[7]);
  return Setting("FAKE_CANUSB_WRITE_STATUS", 1);
}

#ifndef FAKE_WITHOUT_STATUS
std::int32_t canusb_Status(TCanUsbHandle handle) {
  Log("Status %d", handle);
  return 0x0C;
}
#endif

std::int32_t canusb_VersionInfo(TCanUsbHandle handle, char* text) {
  Log("VersionInfo %d", handle);
  const char* version = std::getenv("FAKE_CANUSB_VERSION");
  if (version && std::strcmp(version, "-") == 0) return 0;
  std::snprintf(text, kCanUsbVersionTextSize, "%s", version ? version : "HW 1.0 SW 2.1");
  return 1;
}

std::int32_t canusb_Flush(TCanUsbHandle handle, std::uint32_t flags) {
  Log("Flush %d %u", handle, flags);
  return 1;
}

std::int32_t canusb_setReceiveCallBack(TCanUsbHandle handle, TCanUsbReceiveCallback callback) {
  Log("Callback %d %s", handle, callback ? "set" : "none");
  gCallback = callback;
  return 1;
}

std::int32_t canusb_getFirstAdapter(char* serial, std::int32_t size) {
  Log("FirstAdapter %d", size);
  gNextAdapter = 1;
  const int count = AdapterCount();
  if (count > 0) Adapter(0, serial, size);
  return count;
}

std::int32_t canusb_getNextAdapter(char* serial, std::int32_t size) {
  Log("NextAdapter %d", size);
  return Adapter(gNextAdapter++, serial, size) ? 1 : -1;
}

// The adapter reports a received frame, on the caller's thread.
void fake_canusb_fire(const TCanMsg* msg) {
  if (gCallback) gCallback(msg);
}
}
