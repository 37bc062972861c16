#pragma once
// What the HID device controller needs from the system: the attached devices and channels to
// them. The hidapi (hidraw) backend is the real one; tests put a scripted adapter behind it.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct THidDeviceInfo {
  std::string Path;  // system path of the device node; the identity of an attached device
  std::uint16_t VendorId = 0;
  std::uint16_t ProductId = 0;
  QString ProductName;
  QString SerialNumber;

  friend bool operator==(const THidDeviceInfo&, const THidDeviceInfo&) = default;
};

// Report lengths as the adapter's reports are laid out: byte 0 is the report id (0 when the
// device does not number its reports), the payload follows.
struct THidReportLengths {
  std::size_t Input = 0;
  std::size_t Output = 0;
};

// One open handle to a device. Every handle receives its own copy of every input report.
class IHidChannel {
 public:
  virtual ~IHidChannel() = default;
  // Writes one output report (byte 0 = report id). True when the whole report went out.
  virtual bool Write(std::span<const std::uint8_t> report) = 0;
  // Reads one input report into `report` (byte 0 = report id). Returns the bytes stored,
  // 0 when none arrived within timeoutMs (0 = do not wait), -1 on a system error.
  virtual int Read(std::span<std::uint8_t> report, int timeoutMs) = 0;
};

class IHidBackend {
 public:
  virtual ~IHidBackend() = default;
  [[nodiscard]] virtual std::vector<THidDeviceInfo> Enumerate() = 0;
  // Null when the device cannot be opened.
  [[nodiscard]] virtual std::unique_ptr<IHidChannel> OpenChannel(const THidDeviceInfo& device) = 0;
  [[nodiscard]] virtual THidReportLengths ReportLengths(const THidDeviceInfo& device) = 0;
};

// hidapi over hidraw.
[[nodiscard]] std::unique_ptr<IHidBackend> MakeHidapiBackend();
