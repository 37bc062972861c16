#include "platform/HidDeviceController.h"

#include <algorithm>

namespace {
bool Contains(const std::vector<THidDeviceInfo>& devices, const THidDeviceInfo& device) {
  return std::find(devices.begin(), devices.end(), device) != devices.end();
}
// Bounds a discard on a device that keeps sending.
constexpr int kMaxDiscardedReports = 1024;
}  // namespace

THidDevice::THidDevice(THidDeviceInfo info, std::unique_ptr<IHidChannel> command, std::unique_ptr<IHidChannel> receive,
                       THidReportLengths lengths)
    : FInfo(std::move(info)), FCommand(std::move(command)), FReceive(std::move(receive)), FLengths(lengths) {}

bool THidDevice::WriteOutputReport(std::span<const std::uint8_t> report) { return FCommand->Write(report); }

int THidDevice::ReadInputReport(THidChannelKind channel, std::span<std::uint8_t> report, int timeoutMs) {
  return Channel(channel).Read(report, timeoutMs);
}

void THidDevice::DiscardQueued(THidChannelKind channel) {
  std::vector<std::uint8_t> scratch(std::max<std::size_t>(FLengths.Input, 1));
  for (int i = 0; i < kMaxDiscardedReports; ++i)
    if (Channel(channel).Read(scratch, 0) <= 0) return;
}

THidDeviceController::THidDeviceController(std::unique_ptr<IHidBackend> backend, QObject* parent)
    : QObject(parent), FBackend(std::move(backend)) {
  FTimer.setInterval(kPollIntervalMs);
  connect(&FTimer, &QTimer::timeout, this, &THidDeviceController::Poll);
  FTimer.start();
  // The first report comes once the event loop runs, after every handler is connected.
  QTimer::singleShot(0, this, [this] {
    if (!FPolledOnce) Poll();
  });
}

THidDeviceController::~THidDeviceController() = default;

bool THidDeviceController::IsAttached(const THidDeviceInfo& device) const { return Contains(FDevices, device); }

std::shared_ptr<THidDevice> THidDeviceController::CheckOut(const THidDeviceInfo& device) {
  if (IsCheckedOut(device)) return nullptr;
  std::unique_ptr<IHidChannel> command = FBackend->OpenChannel(device);
  std::unique_ptr<IHidChannel> receive = command ? FBackend->OpenChannel(device) : nullptr;
  if (!command || !receive) return nullptr;
  FCheckedOut.insert(device.Path);
  return std::make_shared<THidDevice>(device, std::move(command), std::move(receive), FBackend->ReportLengths(device));
}

void THidDeviceController::CheckIn(const std::shared_ptr<THidDevice>& device) {
  if (device) FCheckedOut.erase(device->Info().Path);
}

void THidDeviceController::Poll() {
  std::vector<THidDeviceInfo> now = FBackend->Enumerate();
  std::vector<THidDeviceInfo> gone;
  std::vector<THidDeviceInfo> arrived;
  for (const THidDeviceInfo& d : FDevices)
    if (!Contains(now, d)) gone.push_back(d);
  for (const THidDeviceInfo& d : now)
    if (!Contains(FDevices, d)) arrived.push_back(d);
  const bool first = !FPolledOnce;
  FPolledOnce = true;
  FDevices = std::move(now);

  for (const THidDeviceInfo& d : gone) emit DeviceUnplug(d);
  for (const THidDeviceInfo& d : arrived) emit DeviceArrival(d);
  if (first || !gone.empty() || !arrived.empty()) emit DeviceChange();
}
