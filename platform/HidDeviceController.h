#pragma once
// The HID device controller: the attached HID devices, noticed by re-enumerating about once a
// second; devices taken for exclusive use, each with a command and a receive channel.
//
// DeviceChange is emitted once shortly after start-up (the first poll) and after every poll
// that found an arrival or a removal; DeviceArrival / DeviceUnplug name the device itself.

#include <QObject>
#include <QTimer>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/HidBackend.h"

enum class THidChannelKind { Command, Receive };

// A device taken for exclusive use. The command channel carries commands and their replies on
// the user-interface thread, the receive channel frames on the reader thread; each buffers
// every input report independently, so neither takes reports away from the other.
class THidDevice {
 public:
  THidDevice(THidDeviceInfo info, std::unique_ptr<IHidChannel> command, std::unique_ptr<IHidChannel> receive,
             THidReportLengths lengths);

  [[nodiscard]] const THidDeviceInfo& Info() const { return FInfo; }
  [[nodiscard]] std::size_t InputReportLength() const { return FLengths.Input; }
  [[nodiscard]] std::size_t OutputReportLength() const { return FLengths.Output; }

  // Writes one output report on the command channel.
  bool WriteOutputReport(std::span<const std::uint8_t> report);
  // One input report: bytes stored, 0 when none came within timeoutMs, -1 on a system error.
  int ReadInputReport(THidChannelKind channel, std::span<std::uint8_t> report, int timeoutMs);
  // Drops the input reports queued on a channel.
  void DiscardQueued(THidChannelKind channel);

 private:
  IHidChannel& Channel(THidChannelKind kind) { return kind == THidChannelKind::Command ? *FCommand : *FReceive; }

  THidDeviceInfo FInfo;
  std::unique_ptr<IHidChannel> FCommand;
  std::unique_ptr<IHidChannel> FReceive;
  THidReportLengths FLengths;
};

class THidDeviceController : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPollIntervalMs = 1000;

  explicit THidDeviceController(std::unique_ptr<IHidBackend> backend = MakeHidapiBackend(), QObject* parent = nullptr);
  ~THidDeviceController() override;

  // The devices found by the last poll, in the system's order.
  [[nodiscard]] const std::vector<THidDeviceInfo>& Devices() const { return FDevices; }
  [[nodiscard]] bool IsAttached(const THidDeviceInfo& device) const;

  // Takes a device for exclusive use and opens both channels; null when it is already held
  // or cannot be opened. CheckIn releases it; the channels close with the last reference.
  [[nodiscard]] std::shared_ptr<THidDevice> CheckOut(const THidDeviceInfo& device);
  void CheckIn(const std::shared_ptr<THidDevice>& device);
  [[nodiscard]] bool IsCheckedOut(const THidDeviceInfo& device) const { return FCheckedOut.contains(device.Path); }

  // Re-enumerates now and reports what changed since the last poll.
  void Poll();

 signals:
  void DeviceChange();
  void DeviceArrival(const THidDeviceInfo& device);
  void DeviceUnplug(const THidDeviceInfo& device);

 private:
  std::unique_ptr<IHidBackend> FBackend;
  std::vector<THidDeviceInfo> FDevices;
  std::set<std::string> FCheckedOut;
  QTimer FTimer;
  bool FPolledOnce = false;
};
