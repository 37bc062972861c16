#include "CanPackage/source/ZelCanUsbHid.h"

#include <chrono>
#include <vector>

#include "CanPackage/source/AsciiProtocol.h"
#include "CanPackage/source/HidReport.h"

namespace {
const QString kNoVersion = QStringLiteral("Versions info not available");

std::size_t ReportBufferLength(std::size_t deviceLength) { return deviceLength ? deviceLength : HidReport::kLength; }
}  // namespace

bool IsZelHidDevice(std::uint16_t vendorId, std::uint16_t productId) {
  return productId == 0x5020 && (vendorId == 0x0416 || vendorId == 0x0483);
}

QString HidDeviceListEntry(const THidDeviceInfo& device) {
  const QString ids = QStringLiteral("%1/%2")
                          .arg(device.VendorId, 4, 16, QChar('0'))
                          .arg(device.ProductId, 4, 16, QChar('0'))
                          .toUpper();
  return device.ProductName + QStringLiteral(" (") + ids + QStringLiteral(")");
}

TZelCanUsbHid::TZelCanUsbHid(std::unique_ptr<IHidBackend> backend)
    : FController(std::make_unique<THidDeviceController>(std::move(backend))) {
  QObject::connect(FController.get(), &THidDeviceController::DeviceChange, FController.get(),
                   [this] { TakeOverDevice(); });
}

TZelCanUsbHid::~TZelCanUsbHid() {
  FController->disconnect();
  SetDevice(nullptr);
}

std::shared_ptr<THidDevice> TZelCanUsbHid::Device() const {
  std::lock_guard lock(FDeviceLock);
  return FDevice;
}

void TZelCanUsbHid::SetDevice(std::shared_ptr<THidDevice> device) {
  std::shared_ptr<THidDevice> previous;
  {
    std::lock_guard lock(FDeviceLock);
    previous = std::exchange(FDevice, std::move(device));
  }
  if (previous) FController->CheckIn(previous);
}

// The held device stays while it is attached; an unplugged one is dropped, and the first
// matching device that can be taken becomes the driver's device.
void TZelCanUsbHid::TakeOverDevice() {
  const std::shared_ptr<THidDevice> held = Device();
  if (held && FController->IsAttached(held->Info())) return;
  if (held) SetDevice(nullptr);
  for (const THidDeviceInfo& info : FController->Devices()) {
    if (!IsZelHidDevice(info)) continue;
    if (std::shared_ptr<THidDevice> taken = FController->CheckOut(info)) SetDevice(std::move(taken));
    return;
  }
}

void TZelCanUsbHid::DiscardCommandInput() {
  if (const std::shared_ptr<THidDevice> device = Device()) device->DiscardQueued(THidChannelKind::Command);
}

std::optional<std::string> TZelCanUsbHid::ExchangeCommand(const std::string& command) {
  const std::shared_ptr<THidDevice> device = Device();
  if (!device) return std::nullopt;
  const auto report = HidReport::CommandReport(command, ReportBufferLength(device->OutputReportLength()));
  if (!report) return std::nullopt;
  // Frames of the running bus pile up on the command channel too; drop them so the next
  // reply read is the one to this command.
  device->DiscardQueued(THidChannelKind::Command);
  if (!device->WriteOutputReport(*report)) return std::nullopt;

  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kReplyWaitMs);
  std::vector<std::uint8_t> reply(ReportBufferLength(device->InputReportLength()));
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return std::nullopt;
    std::fill(reply.begin(), reply.end(), std::uint8_t{0});
    const int got = device->ReadInputReport(THidChannelKind::Command, reply, static_cast<int>(left));
    if (got < 0) return std::nullopt;
    if (got == 0) continue;
    const std::span<const std::uint8_t> received(reply.data(), static_cast<std::size_t>(got));
    if (!HidReport::LooksLikeFrameReport(received)) return HidReport::ReplyText(received);
  }
}

bool TZelCanUsbHid::ExchangeAccepted(const std::string& command) {
  const std::optional<std::string> reply = ExchangeCommand(command);
  return reply && AsciiProtocol::IsAccepted(*reply);
}

bool TZelCanUsbHid::InitAdapter(std::uint16_t bitRate, std::int32_t btr) {
  using namespace AsciiProtocol;
  DiscardCommandInput();
  // Frames left from an earlier connection are not news of this one.
  if (const std::shared_ptr<THidDevice> device = Device()) device->DiscardQueued(THidChannelKind::Receive);
  const std::optional<std::string> version = ExchangeCommand(WithCR(VersionCommand));
  FVersion = version ? VersionText(*version) : QString();
  return ExchangeAccepted(WithCR(BitRateCommand(bitRate, btr))) &&
         ExchangeAccepted(WithCR(AcceptanceCodeCommand(AcceptanceFilter))) &&
         ExchangeAccepted(WithCR(AcceptanceMaskCommand(AcceptanceMask))) &&
         ExchangeAccepted(WithCR(TimeStampsOnCommand)) && ExchangeAccepted(WithCR(OpenCommand));
}

std::int32_t TZelCanUsbHid::OpenDevice(const std::string& /*DeviceName*/, std::uint16_t BitRate, std::int32_t BTR) {
  // Before the first timed enumeration has run (a tool opening right after start) look now.
  if (!HasDevice()) FController->Poll();
  SetDeviceLost(false);
  FOpen = HasDevice() && InitAdapter(BitRate, BTR);
  SetConnected(FOpen);
  return FOpen ? CanResult::Ok : CanResult::Failed;
}

std::int32_t TZelCanUsbHid::CloseDevice() {
  SetDeviceLost(false);
  if (!FOpen) return CanResult::Ok;
  DiscardCommandInput();
  (void)ExchangeCommand(AsciiProtocol::WithCR(AsciiProtocol::CloseCommand));
  DiscardCommandInput();
  SetConnected(false);
  FOpen = false;
  return CanResult::Ok;
}

std::int32_t TZelCanUsbHid::ReadData(PCanMsgProgs& msgs) {
  try {
    const std::shared_ptr<THidDevice> device = Device();
    if (!device) return CanResult::NoMessage;
    std::vector<std::uint8_t> report(ReportBufferLength(device->InputReportLength()), 0);
    const int got = device->ReadInputReport(THidChannelKind::Receive, report, kReadWaitMs);
    if (got < 0 && FOpen) SetDeviceLost(true);  // the system refuses reads of an unplugged device
    if (got <= 0) return CanResult::NoMessage;
    const TCanMsgs frames = HidReport::DecodeFrameReport(std::span(report.data(), static_cast<std::size_t>(got)));
    if (frames.empty()) return CanResult::NoMessage;
    PCanMsgProgs decoded;
    decoded.reserve(frames.size());
    for (const TCanMsg& frame : frames) decoded.push_back(std::make_unique<TCanMsgProg>(CanMsgToProg(frame)));
    msgs = std::move(decoded);
    return CanResult::FramesRead;
  } catch (...) {  // allocation failure: the reader loop must go on
    return CanResult::NoMessage;
  }
}

std::int32_t TZelCanUsbHid::WriteData(TCanMsgProg msg) {
  const std::optional<std::string> reply = ExchangeCommand(AsciiProtocol::WithCR(AsciiProtocol::TransmitLine(msg)));
  return reply && AsciiProtocol::IsAcknowledged(*reply) ? CanResult::Ok : CanResult::Failed;
}

void TZelCanUsbHid::AddVersion(QStringList& list) {
  const std::optional<std::string> reply = ExchangeCommand(AsciiProtocol::WithCR(AsciiProtocol::VersionCommand));
  list.append(reply ? AsciiProtocol::VersionText(*reply) : kNoVersion);
}

void TZelCanUsbHid::GetDeviceVersion(QStringList& list) { AddVersion(list); }
void TZelCanUsbHid::GetDeviceDriverVersion(QStringList& list) { AddVersion(list); }

QString TZelCanUsbHid::GetDeviceVersionString() { return FVersion.isEmpty() ? kNoVersion : FVersion; }

void TZelCanUsbHid::StopRxEvent() {
  TZelCanDriver::StopRxEvent();
  DiscardCommandInput();
  DiscardCommandInput();
}
