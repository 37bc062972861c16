#pragma once
// The adapter maker's driver library, loaded at run time: its ten entry points, resolved by
// name in one go. Handles and results are 32-bit, texts 8-bit and zero-terminated.

#include <cstdint>
#include <string>

#include "CanPackage/source/ZelCanClasses.h"

extern "C" {
using TCanUsbHandle = std::int32_t;
using TCanUsbReceiveCallback = void (*)(const TCanMsg* msg);

using TCanUsbOpen = TCanUsbHandle(const char* serial, const char* bitRate, std::uint32_t code, std::uint32_t mask,
                                  std::uint32_t flags);
using TCanUsbClose = std::int32_t(TCanUsbHandle handle);
using TCanUsbRead = std::int32_t(TCanUsbHandle handle, TCanMsg* msg);
using TCanUsbWrite = std::int32_t(TCanUsbHandle handle, const TCanMsg* msg);
using TCanUsbStatus = std::int32_t(TCanUsbHandle handle);
using TCanUsbVersionInfo = std::int32_t(TCanUsbHandle handle, char* text);  // 255 characters
using TCanUsbFlush = std::int32_t(TCanUsbHandle handle, std::uint32_t flags);
using TCanUsbSetReceiveCallBack = std::int32_t(TCanUsbHandle handle, TCanUsbReceiveCallback callback);
using TCanUsbGetAdapter = std::int32_t(char* serial, std::int32_t size);
}

inline constexpr std::size_t kCanUsbVersionTextSize = 255;
inline constexpr std::int32_t kCanUsbSerialSize = 32;

class TCanUsbLibrary {
 public:
  static constexpr const char* kFileName = "libcanusbdrv.so";

  TCanUsbLibrary() = default;
  ~TCanUsbLibrary() { Unload(); }
  TCanUsbLibrary(const TCanUsbLibrary&) = delete;
  TCanUsbLibrary& operator=(const TCanUsbLibrary&) = delete;

  enum class TLoadResult { Loaded, NotFound, EntryPointMissing };
  // Loads the library from the standard search path, or from `directory` when it is given,
  // and resolves every entry point; on any failure nothing stays loaded.
  TLoadResult Load(const std::string& directory = {});
  void Unload();
  [[nodiscard]] bool IsLoaded() const { return FHandle != nullptr; }
  // The entry point a failed load could not find.
  [[nodiscard]] const std::string& MissingEntryPoint() const { return FMissing; }

  TCanUsbOpen* Open = nullptr;
  TCanUsbClose* Close = nullptr;
  TCanUsbRead* Read = nullptr;
  TCanUsbWrite* Write = nullptr;
  TCanUsbStatus* Status = nullptr;
  TCanUsbVersionInfo* VersionInfo = nullptr;
  TCanUsbFlush* Flush = nullptr;
  TCanUsbSetReceiveCallBack* SetReceiveCallBack = nullptr;
  TCanUsbGetAdapter* GetFirstAdapter = nullptr;
  TCanUsbGetAdapter* GetNextAdapter = nullptr;

 private:
  template <typename Function>
  void Resolve(Function*& entry, const char* name);
  void ClearEntryPoints();

  void* FHandle = nullptr;
  std::string FMissing;
};
