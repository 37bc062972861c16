#pragma once
// Driver of the HID adapter (adapter kind "ZELHID"). Commands and replies are text lines, one
// per report, on the command channel; frames arrive up to four per report on the receive
// channel. The driver takes the first matching device its own controller finds.

#include <QString>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "CanPackage/source/ZelCanDriver.h"
#include "platform/HidDeviceController.h"

// The vendor/product id pairs of the adapter.
[[nodiscard]] bool IsZelHidDevice(std::uint16_t vendorId, std::uint16_t productId);
[[nodiscard]] inline bool IsZelHidDevice(const THidDeviceInfo& d) { return IsZelHidDevice(d.VendorId, d.ProductId); }
// The connect-menu text of a device: product name, " (", "0416/5020", ")".
[[nodiscard]] QString HidDeviceListEntry(const THidDeviceInfo& device);

class TZelCanUsbHid : public TZelCanDriver {
 public:
  // Longest wait for one input report in ReadData: the reader can always be stopped.
  static constexpr int kReadWaitMs = 100;
  // Longest wait for the reply of a command.
  static constexpr int kReplyWaitMs = 1000;

  explicit TZelCanUsbHid(std::unique_ptr<IHidBackend> backend = MakeHidapiBackend());
  ~TZelCanUsbHid() override;

  std::int32_t OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR) override;
  std::int32_t CloseDevice() override;
  void GetDeviceDriverVersion(QStringList& list) override;
  void GetDeviceVersion(QStringList& list) override;
  QString GetDeviceVersionString() override;
  std::int32_t ReadData(PCanMsgProgs& msgs) override;
  std::int32_t WriteData(TCanMsgProg msg) override;
  // The adapter has no status command; no error is known to the driver.
  std::int32_t GetDeviceStatus() override { return 0; }
  void StopRxEvent() override;

  [[nodiscard]] THidDeviceController& Controller() { return *FController; }
  [[nodiscard]] bool HasDevice() const { return Device() != nullptr; }
  [[nodiscard]] bool IsOpen() const { return FOpen; }

 private:
  // Runs after every enumeration of the controller.
  void TakeOverDevice();
  [[nodiscard]] std::shared_ptr<THidDevice> Device() const;
  void SetDevice(std::shared_ptr<THidDevice> device);

  // Writes one command and waits for its reply on the command channel; nullopt when there is
  // no device, a write or read fails, or no reply came in time.
  [[nodiscard]] std::optional<std::string> ExchangeCommand(const std::string& command);
  [[nodiscard]] bool ExchangeAccepted(const std::string& command);
  [[nodiscard]] bool InitAdapter(std::uint16_t bitRate, std::int32_t btr);
  void DiscardCommandInput();
  void AddVersion(QStringList& list);

  std::unique_ptr<THidDeviceController> FController;
  mutable std::mutex FDeviceLock;  // the reader thread copies the device while enumeration may swap it
  std::shared_ptr<THidDevice> FDevice;
  bool FOpen = false;
  QString FVersion;
};
