#pragma once
// The facade the window talks to: forwards every operation to the plugged-in driver, or
// answers with a fixed result when none is plugged in.

#include <vector>

#include "CanPackage/source/ZelCanCustomAdapter.h"

class TZelCanAdapter {
 public:
  TZelCanAdapter();
  ~TZelCanAdapter();
  TZelCanAdapter(const TZelCanAdapter&) = delete;
  TZelCanAdapter& operator=(const TZelCanAdapter&) = delete;

  void GetAvailableDevices(QStringList& list);
  std::int32_t OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR);
  std::int32_t CloseDevice();
  void GetDeviceDriverVersion(QStringList& list);
  void GetDeviceVersion(QStringList& list);
  QString GetDeviceVersionString();
  std::int32_t GetFilterCount();
  void SetFilter(const TCanFilters& filters);
  std::int32_t ReadData(PCanMsgProgs& msgs);
  std::int32_t WriteData(const TCanMsgProg& msg);
  std::int32_t GetDeviceStatus();
  std::int32_t SetParameter();
  void StartRxEvent();
  void StopRxEvent();

  // The plugged-in driver lost its device; false without a driver.
  [[nodiscard]] bool DeviceLost() const { return FAdapter && FAdapter->DeviceLost(); }

  [[nodiscard]] TZelCanCustomAdapter* Adapter() const { return FAdapter; }
  void SetAdapter(TZelCanCustomAdapter* Value);
  // Called by a driver that is being destroyed.
  void Notification(TZelCanCustomAdapter* removed);

  [[nodiscard]] bool Connected() const { return FConnected; }
  void SetConnected(bool value) { FConnected = value; }
  [[nodiscard]] TAdapterType AdapterType() const { return FAdapterType; }
  void SetAdapterType(TAdapterType value) { FAdapterType = value; }

  TRxEvent FOnRxCanData;

 private:
  TCanEventLink FLink;
  TAdapterType FAdapterType = TAdapterType::atUSB;
  TZelCanCustomAdapter* FAdapter = nullptr;
  bool FConnected = false;
  // Drivers that hold our link; each is unhooked when the facade goes first.
  std::vector<TZelCanCustomAdapter*> FRegisteredWith;
};
