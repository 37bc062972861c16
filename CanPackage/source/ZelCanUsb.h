#pragma once
// Driver of the adapter reached through its maker's driver library (adapter kind
// "LAWICELUSB"). The library is loaded at every open and unloaded at close.

#include <QObject>
#include <memory>
#include <string>

#include "CanPackage/source/CanUsbLibrary.h"
#include "CanPackage/source/ZelCanDriver.h"

class TZelCanUsb : public TZelCanDriver {
 public:
  // The library's status for a frame it took for sending.
  static constexpr std::int32_t kWriteAccepted = 1;

  // Create on the user-interface thread: receive events are delivered on the creating thread.
  TZelCanUsb();
  ~TZelCanUsb() override;

  void GetAvailableDevices(QStringList& list) override;
  std::int32_t OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR) override;
  std::int32_t CloseDevice() override;
  void GetDeviceDriverVersion(QStringList& list) override;
  void GetDeviceVersion(QStringList& list) override;
  QString GetDeviceVersionString() override;
  std::int32_t ReadData(PCanMsgProgs& msgs) override;
  std::int32_t WriteData(TCanMsgProg msg) override;
  std::int32_t GetDeviceStatus() override;
  // Stores code and mask with their byte order reversed, as the library takes them.
  void SetCanFilter(const TCanFilters& filters) override;
  void StartRxEvent() override;
  void StopRxEvent() override;

  [[nodiscard]] bool IsLibraryLoaded() const { return FLibrary.IsLoaded(); }
  [[nodiscard]] TCanUsbHandle Handle() const { return FHandle; }
  // Loads the library from this folder instead of the standard search path (tests).
  void SetLibraryDirectory(std::string directory) { FLibraryDirectory = std::move(directory); }

  // "3:28" for BTR0 0x03, BTR1 0x1C when BitRate is 0, else the rate in decimal.
  [[nodiscard]] static std::string BitRateText(std::uint16_t bitRate, std::int32_t btr);

 private:
  bool LoadLibrary();
  bool HasChannel() const { return FLibrary.IsLoaded() && FHandle != 0; }
  void AddVersion(QStringList& list);
  void DeliverRxEvent(const TRawCanMsg& frame);
  static void ReceiveCallback(const TCanMsg* msg);

  TCanUsbLibrary FLibrary;
  std::string FLibraryDirectory;
  TCanUsbHandle FHandle = 0;
  TCanUsbReceiveCallback FMyProc = &TZelCanUsb::ReceiveCallback;
  // Receive events are queued onto this object's thread, the user-interface thread.
  std::unique_ptr<QObject> FEventTarget;
};
