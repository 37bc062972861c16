#pragma once
// The driver contract every adapter implements. The operations are virtual in this order;
// the base behaviour is what a driver gets when it does not override one.

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "CanPackage/source/ZelCanClasses.h"

class TZelCanAdapter;

class TZelCanCustomAdapter {
 public:
  TZelCanCustomAdapter() = default;
  virtual ~TZelCanCustomAdapter();
  TZelCanCustomAdapter(const TZelCanCustomAdapter&) = delete;
  TZelCanCustomAdapter& operator=(const TZelCanCustomAdapter&) = delete;

  virtual void GetAvailableDevices(QStringList& list);
  virtual std::int32_t OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR);
  virtual std::int32_t CloseDevice();
  virtual void GetDeviceDriverVersion(QStringList& list);
  virtual void GetDeviceVersion(QStringList& list);
  virtual QString GetDeviceVersionString();
  // Must never throw and must return within a bounded time: the receive loop calls it.
  virtual std::int32_t ReadData(PCanMsgProgs& msgs);
  virtual std::int32_t WriteData(TCanMsgProg msg);
  virtual std::int32_t GetDeviceStatus();
  virtual std::int32_t GetFilterCount();
  virtual void SetCanFilter(const TCanFilters& filters);
  virtual std::int32_t SetParameter();
  virtual void StartRxEvent();
  virtual void StopRxEvent();

  void RegisterEventLink(TCanEventLink* CanEventLink) { FCanEventLink = CanEventLink; }
  void UnRegisterEventLink(TCanEventLink* /*CanEventLink*/) { FCanEventLink = nullptr; }
  [[nodiscard]] TCanEventLink* CanEventLink() const { return FCanEventLink; }

  // The device went away under an open channel (unplugged, its tty or interface gone). A
  // driver sets this wherever it notices, usually inside ReadData on the reader thread, and
  // from then on answers reads with NoMessage at once; the receive loop stops on it and the
  // window closes the channel and waits for the device to come back. Cleared by the next
  // open and by close.
  [[nodiscard]] bool DeviceLost() const { return FDeviceLost.load(std::memory_order_acquire); }

  // Why the last OpenDevice failed, where the driver can tell; empty after a successful one.
  [[nodiscard]] const QString& OpenProblem() const { return FOpenProblem; }

  [[nodiscard]] TAdapterType AdapterType() const { return FAdapterType; }
  void SetAdapterType(TAdapterType value) { FAdapterType = value; }

  // A facade that plugs this driver in is told when the driver goes away.
  void AddFreeNotification(TZelCanAdapter* facade);
  void RemoveFreeNotification(TZelCanAdapter* facade);

 protected:
  void SetDeviceLost(bool lost) { FDeviceLost.store(lost, std::memory_order_release); }

  std::uint16_t FCanBaudRate = 0;
  TAdapterType FAdapterType = TAdapterType::atUSB;
  TCanEventLink* FCanEventLink = nullptr;
  QString FOpenProblem;

 private:
  std::vector<TZelCanAdapter*> FFreeNotifies;
  // Written by whichever thread notices the loss, read by the reader loop and the window.
  std::atomic<bool> FDeviceLost{false};
};
