// The HID backend over hidapi's hidraw flavour. hidraw hands every open file its own copy of
// each input report, which gives the command and receive channels independent queues.

#include <hidapi/hidapi.h>

#include <QFile>
#include <QFileInfo>
#include <vector>

#include "platform/HidBackend.h"
#include "platform/HidReportDescriptor.h"

namespace {

QString FromWide(const wchar_t* text) { return text ? QString::fromWCharArray(text) : QString(); }

// The descriptor the kernel read from the device, through the hidraw node's sysfs entry.
THidDescriptorSummary DescriptorOf(const THidDeviceInfo& device) {
  const QString node = QFileInfo(QString::fromStdString(device.Path)).fileName();
  QFile file(QStringLiteral("/sys/class/hidraw/%1/device/report_descriptor").arg(node));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return SummariseReportDescriptor(
      std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
}

class HidapiChannel final : public IHidChannel {
 public:
  HidapiChannel(hid_device* handle, bool numberedReports) : FHandle(handle), FNumbered(numberedReports) {}
  ~HidapiChannel() override { hid_close(FHandle); }
  HidapiChannel(const HidapiChannel&) = delete;
  HidapiChannel& operator=(const HidapiChannel&) = delete;

  bool Write(std::span<const std::uint8_t> report) override {
    const int written = hid_write(FHandle, report.data(), report.size());
    return written >= 0 && static_cast<std::size_t>(written) == report.size();
  }

  int Read(std::span<std::uint8_t> report, int timeoutMs) override {
    if (report.empty()) return -1;
    // Unnumbered reports arrive without their id byte; put the 0 back where callers expect it.
    const std::size_t skip = FNumbered ? 0 : 1;
    if (skip) report[0] = 0;
    const int got = hid_read_timeout(FHandle, report.data() + skip, report.size() - skip, timeoutMs);
    if (got < 0) return -1;
    return got == 0 ? 0 : got + static_cast<int>(skip);
  }

 private:
  hid_device* FHandle;
  bool FNumbered;
};

class HidapiBackend final : public IHidBackend {
 public:
  HidapiBackend() { FReady = hid_init() == 0; }

  std::vector<THidDeviceInfo> Enumerate() override {
    std::vector<THidDeviceInfo> devices;
    if (!FReady) return devices;
    hid_device_info* list = hid_enumerate(0, 0);
    for (const hid_device_info* d = list; d != nullptr; d = d->next) {
      devices.push_back({d->path ? d->path : "", d->vendor_id, d->product_id, FromWide(d->product_string),
                         FromWide(d->serial_number)});
    }
    hid_free_enumeration(list);
    return devices;
  }

  std::unique_ptr<IHidChannel> OpenChannel(const THidDeviceInfo& device) override {
    if (!FReady) return nullptr;
    hid_device* handle = hid_open_path(device.Path.c_str());
    if (!handle) return nullptr;
    return std::make_unique<HidapiChannel>(handle, DescriptorOf(device).NumberedReports);
  }

  THidReportLengths ReportLengths(const THidDeviceInfo& device) override {
    const THidDescriptorSummary summary = DescriptorOf(device);
    return {summary.InputLength, summary.OutputLength};
  }

 private:
  bool FReady = false;
};

}  // namespace

std::unique_ptr<IHidBackend> MakeHidapiBackend() { return std::make_unique<HidapiBackend>(); }
