#include "CanPackage/source/ZelCanUsbSerial.h"

#include <array>
#include <chrono>
#include <utility>

#include "CanPackage/source/AsciiProtocol.h"
#include "platform/TickCount.h"

namespace {
const QString kNoVersion = QStringLiteral("Versions info not available");
constexpr std::uint32_t kReadChunk = 4096;
}  // namespace

TZelCanUsbSerial::TZelCanUsbSerial() {
  SetAdapterType(TAdapterType::atSeriell);
  FPort.EnableErrorReports = false;
  FPort.SetSleepTime(10);
}

TZelCanUsbSerial::~TZelCanUsbSerial() {
  if (FPort.Connected()) FPort.Close();
}

// ---- input ------------------------------------------------------------------------------

void TZelCanUsbSerial::FillLocked() {
  const std::uint32_t waiting = FPort.GetRXCount();
  if (waiting == 0) return;
  std::array<char, kReadChunk> buffer;
  const std::int32_t n = FPort.Read(buffer.data(), static_cast<std::int32_t>(std::min(waiting, kReadChunk)));
  if (n > 0) FLines.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)), GetTickCount());
}

namespace {
bool IsFrameUnit(const TSerialLineAssembler::TUnit& unit) {
  return !unit.Refused && AsciiProtocol::DecodeFrameLine(unit.Text).has_value();
}
}  // namespace

std::optional<TZelCanUsbSerial::TUnit> TZelCanUsbSerial::TakeLocked(bool receivePath) {
  if (!receivePath) return TakeForExchangeLocked();
  if (!FPendingFrames.empty()) {
    TUnit unit{std::move(FPendingFrames.front()), false};
    FPendingFrames.pop_front();
    return unit;
  }
  std::optional<TUnit> unit = FLines.Take();
  if (unit && FExchangeWaiting && !FReply && !IsFrameUnit(*unit)) {
    // The reply of the exchange that waits on the other thread: it is that exchange's line.
    FReply = std::move(unit);
    FInputTaken.notify_all();
    return FLines.Take();
  }
  return unit;
}

std::optional<TZelCanUsbSerial::TUnit> TZelCanUsbSerial::TakeForExchangeLocked() {
  if (FReply) return std::exchange(FReply, std::nullopt);
  while (std::optional<TUnit> unit = FLines.Take()) {
    // Frame lines are kept for the receive path, in arrival order.
    if (!IsFrameUnit(*unit)) return unit;
    FPendingFrames.push_back(std::move(unit->Text));
  }
  return std::nullopt;
}

void TZelCanUsbSerial::WaitForPortUnlocked(std::unique_lock<std::mutex>& lock, std::uint32_t timeoutMs) {
  FWatchingPort = true;
  lock.unlock();
  const bool alive = FPort.WaitForInput(timeoutMs);
  lock.lock();
  FWatchingPort = false;
  if (!alive) SetDeviceLost(true);
  FInputTaken.notify_all();  // whoever waits may now read the port itself
}

std::optional<TZelCanUsbSerial::TUnit> TZelCanUsbSerial::ReadUnit(std::uint32_t start, bool receivePath) {
  if (!FPort.Connected()) return std::nullopt;
  std::unique_lock lock(FLock);
  for (;;) {
    if (auto unit = TakeLocked(receivePath)) return unit;
    if (!DeviceLost() && !FWatchingPort) {
      FillLocked();
      if (auto unit = TakeLocked(receivePath)) return unit;
    }
    if (DeviceLost()) return std::nullopt;
    const std::uint32_t elapsed = GetTickCount() - start;  // unsigned: wraps correctly
    if (elapsed >= kReplyTimeoutMs) {
      // A line whose CR did not come within the window is lost.
      FLines.DropStalePartial(GetTickCount(), start, kReplyTimeoutMs);
      return std::nullopt;
    }
    const std::uint32_t left = kReplyTimeoutMs - elapsed;
    if (FWatchingPort) FInputTaken.wait_for(lock, std::chrono::milliseconds(left));
    else WaitForPortUnlocked(lock, left);
  }
}

void TZelCanUsbSerial::NotePortState() {
  if (!FPort.WaitForInput(0)) SetDeviceLost(true);
}

void TZelCanUsbSerial::PurgeInput() {
  std::lock_guard lock(FLock);
  FPort.PurgeBuffers(FT_PURGE_RX);
  FLines.Clear();
  FPendingFrames.clear();
  FReply.reset();
}

void TZelCanUsbSerial::PurgeBoth() {
  PurgeInput();
  FPort.PurgeBuffers(FT_PURGE_TX);
}

std::uint64_t TZelCanUsbSerial::LineOverflows() {
  std::lock_guard lock(FLock);
  return FLines.Overflows();
}

// ---- command exchange -------------------------------------------------------------------

bool TZelCanUsbSerial::ExchangeCommand(std::string_view text, std::string& reply) {
  reply.clear();
  if (DeviceLost()) return false;
  {
    // Whatever came before the command is not its reply: frames are kept, the rest dropped.
    std::lock_guard lock(FLock);
    while (TakeForExchangeLocked()) {
    }
    FExchangeWaiting = true;
  }
  const std::int32_t length = static_cast<std::int32_t>(text.size());
  std::optional<TUnit> unit;
  if (FPort.Write(text.data(), length) == length) unit = ReadUnit(GetTickCount(), false);
  else NotePortState();
  {
    std::lock_guard lock(FLock);
    FExchangeWaiting = false;
    FReply.reset();  // a reply that came too late belongs to no one
  }
  if (!unit || unit->Refused) return false;
  reply = std::move(unit->Text);
  return true;
}

// ---- driver operations ------------------------------------------------------------------

bool TZelCanUsbSerial::InitAdapter(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR) {
  using namespace AsciiProtocol;
  FPort.BaudRate = 57600;
  FPort.DataBits = TFT_DataBits::db8;
  FPort.StopBits = TFT_StopBits::sb1;
  FPort.Parity = TFT_Parity::Pa_none;
  SetDeviceLost(false);
  if (!FPort.OpenBySerial(DeviceName)) return false;
  PurgeInput();
  FPort.PurgeBuffers(FT_PURGE_TX);

  const std::string setup[] = {BitRateCommand(BitRate, BTR), AcceptanceCodeCommand(AcceptanceFilter),
                               AcceptanceMaskCommand(AcceptanceMask), std::string(TimeStampsOnCommand)};
  std::string reply;
  for (const std::string& command : setup) {
    if (!ExchangeCommand(WithCR(command), reply) || !IsAccepted(reply)) {
      CloseDevice();
      return false;
    }
  }
  FVersion = ExchangeCommand(WithCR(VersionCommand), reply) ? VersionText(reply) : kNoVersion;
  ExchangeCommand(WithCR(OpenCommand), reply);  // the adapter's answer to "O" is not examined
  return true;
}

std::int32_t TZelCanUsbSerial::OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR) {
  const bool opened = InitAdapter(DeviceName, BitRate, BTR);
  FOpenState = opened ? 0 : -1;
  SetConnected(opened);
  return opened ? CanResult::Ok : CanResult::Failed;
}

std::int32_t TZelCanUsbSerial::CloseDevice() {
  std::string reply;
  PurgeBoth();
  ExchangeCommand(AsciiProtocol::WithCR(AsciiProtocol::CloseCommand), reply);
  PurgeBoth();
  FPort.Close();
  SetDeviceLost(false);
  SetConnected(false);
  FOpenState = 0;
  return CanResult::Ok;
}

std::int32_t TZelCanUsbSerial::ReadData(PCanMsgProgs& msgs) {
  try {
    std::optional<TUnit> unit = ReadUnit(GetTickCount(), true);
    if (!unit || unit->Refused) return CanResult::NoMessage;
    const std::optional<TCanMsg> frame = AsciiProtocol::DecodeFrameLine(unit->Text);
    if (!frame) return CanResult::NoMessage;
    msgs.clear();
    msgs.push_back(std::make_unique<TCanMsgProg>(CanMsgToProg(*frame)));
    return CanResult::FramesRead;
  } catch (...) {  // the reader thread must never see an exception (allocation failure)
    return CanResult::NoMessage;
  }
}

std::int32_t TZelCanUsbSerial::WriteData(TCanMsgProg msg) {
  std::string reply;
  const bool exchanged = ExchangeCommand(AsciiProtocol::WithCR(AsciiProtocol::TransmitLine(msg)), reply);
  return exchanged && AsciiProtocol::IsAcknowledged(reply) ? 0 : 1;
}

QString TZelCanUsbSerial::GetDeviceVersionString() { return FVersion; }

void TZelCanUsbSerial::GetDeviceVersion(QStringList& list) {
  std::string reply;
  list.append(ExchangeCommand(AsciiProtocol::WithCR(AsciiProtocol::VersionCommand), reply) ? AsciiProtocol::VersionText(reply)
                                                                                            : kNoVersion);
}

void TZelCanUsbSerial::GetDeviceDriverVersion(QStringList& list) { GetDeviceVersion(list); }

std::int32_t TZelCanUsbSerial::GetDeviceStatus() {
  // The adapter has no status query; all the driver can know is whether its port failed.
  return DeviceLost() ? kStatusPortFailed : 0;
}

void TZelCanUsbSerial::StopRxEvent() {
  TZelCanDriver::StopRxEvent();
  PurgeBoth();
  PurgeBoth();
}
