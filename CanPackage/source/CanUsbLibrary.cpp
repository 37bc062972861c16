#include "CanPackage/source/CanUsbLibrary.h"

#include <dlfcn.h>

template <typename Function>
void TCanUsbLibrary::Resolve(Function*& entry, const char* name) {
  entry = reinterpret_cast<Function*>(dlsym(FHandle, name));
  if (!entry && FMissing.empty()) FMissing = name;
}

TCanUsbLibrary::TLoadResult TCanUsbLibrary::Load(const std::string& directory) {
  Unload();
  FMissing.clear();
  const std::string path = directory.empty() ? std::string(kFileName) : directory + "/" + kFileName;
  FHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!FHandle) return TLoadResult::NotFound;
  // Every entry point is looked up; the first missing one is named.
  Resolve(Open, "canusb_Open");
  Resolve(Close, "canusb_Close");
  Resolve(Read, "canusb_Read");
  Resolve(Write, "canusb_Write");
  Resolve(Status, "canusb_Status");
  Resolve(VersionInfo, "canusb_VersionInfo");
  Resolve(Flush, "canusb_Flush");
  Resolve(SetReceiveCallBack, "canusb_setReceiveCallBack");
  Resolve(GetFirstAdapter, "canusb_getFirstAdapter");
  Resolve(GetNextAdapter, "canusb_getNextAdapter");
  if (FMissing.empty()) return TLoadResult::Loaded;
  const std::string missing = FMissing;
  Unload();
  FMissing = missing;
  return TLoadResult::EntryPointMissing;
}

void TCanUsbLibrary::ClearEntryPoints() {
  Open = nullptr;
  Close = nullptr;
  Read = nullptr;
  Write = nullptr;
  Status = nullptr;
  VersionInfo = nullptr;
  Flush = nullptr;
  SetReceiveCallBack = nullptr;
  GetFirstAdapter = nullptr;
  GetNextAdapter = nullptr;
}

void TCanUsbLibrary::Unload() {
  ClearEntryPoints();
  if (FHandle) dlclose(FHandle);
  FHandle = nullptr;
}
