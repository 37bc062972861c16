#include "CanPackage/source/ZelCanUsb.h"

#include <QMetaObject>
#include <atomic>
#include <cstring>

#include "platform/UserMessage.h"

namespace {

const QString kNoVersion = QStringLiteral("Versions info not available");
// The channel status reported while no channel is open: nothing to read, nothing sent.
constexpr std::int32_t kNoChannel = -1;

// The driver whose receive events the library's callback feeds; one instance per program.
std::atomic<TZelCanUsb*> gRxEventDriver{nullptr};

std::uint32_t ByteReversed(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0x0000FF00u) | ((v << 8) & 0x00FF0000u) | (v << 24);
}

QString TextOf(const char* buffer, std::size_t size) {
  return QString::fromLatin1(buffer, static_cast<qsizetype>(strnlen(buffer, size)));
}

void ShowLibraryError(const QString& text) { ShowUserMessage(TUserMessageKind::Error, QString(), text); }

}  // namespace

TZelCanUsb::TZelCanUsb() : FEventTarget(std::make_unique<QObject>()) {}

TZelCanUsb::~TZelCanUsb() {
  TZelCanUsb* self = this;
  gRxEventDriver.compare_exchange_strong(self, nullptr);
  FEventTarget.reset();  // drops events still queued for this driver
}

std::string TZelCanUsb::BitRateText(std::uint16_t bitRate, std::int32_t btr) {
  if (bitRate != 0) return std::to_string(bitRate);
  return std::to_string((btr >> 8) & 0xFF) + ":" + std::to_string(btr & 0xFF);
}

bool TZelCanUsb::LoadLibrary() {
  switch (FLibrary.Load(FLibraryDirectory)) {
    case TCanUsbLibrary::TLoadResult::Loaded: return true;
    case TCanUsbLibrary::TLoadResult::NotFound:
      ShowLibraryError(QString::fromLatin1(TCanUsbLibrary::kFileName).toUpper() +
                       QStringLiteral(" not found or not loaded. Please install the \"CANUSB DLL driver\" from "
                                      "the adapter maker's web site, to use this software."));
      return false;
    case TCanUsbLibrary::TLoadResult::EntryPointMissing:
      ShowLibraryError(QStringLiteral("The entry point %1 was not found in %2. The adapter cannot be opened with this "
                                      "version of the CANUSB DLL driver.")
                           .arg(QString::fromStdString(FLibrary.MissingEntryPoint()),
                                QString::fromLatin1(TCanUsbLibrary::kFileName)));
      return false;
  }
  return false;
}

std::int32_t TZelCanUsb::OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR) {
  if (FHandle != 0) (void)CloseDevice();
  if (!LoadLibrary()) return CanResult::Failed;
  FHandle = FLibrary.Open(DeviceName.c_str(), BitRateText(BitRate, BTR).c_str(), AcceptanceFilter, AcceptanceMask, 1);
  SetConnected(FHandle != 0);
  return FHandle != 0 ? CanResult::Ok : CanResult::Failed;
}

// The handle is dropped and the library unloaded even when the library's close fails; the
// driver is then no longer connected either, as nothing is left to read from.
std::int32_t TZelCanUsb::CloseDevice() {
  std::int32_t result = CanResult::Ok;
  if (HasChannel()) {
    FLibrary.Flush(FHandle, 0);
    if (FLibrary.Close(FHandle) <= 0) result = CanResult::Failed;
    FHandle = 0;
    SetConnected(false);
  }
  FHandle = 0;
  FLibrary.Unload();
  return result;
}

std::int32_t TZelCanUsb::ReadData(PCanMsgProgs& msgs) {
  if (!HasChannel()) return CanResult::NoMessage;
  TCanMsg frame;
  const std::int32_t status = FLibrary.Read(FHandle, &frame);
  if (status != CanResult::FramesRead) return status;
  try {
    PCanMsgProgs read;
    read.push_back(std::make_unique<TCanMsgProg>(CanMsgToProg(frame)));
    msgs = std::move(read);
  } catch (...) {  // allocation failure: the reader loop must go on
    return CanResult::NoMessage;
  }
  return status;
}

std::int32_t TZelCanUsb::WriteData(TCanMsgProg msg) {
  if (!HasChannel()) return kNoChannel;
  TCanMsg frame;
  frame.id = static_cast<std::int32_t>(static_cast<std::uint32_t>(msg.CanId & 0xFFFFFFFF));
  frame.timestamp = msg.Time;
  frame.flags = static_cast<std::uint8_t>((msg.Extended ? kCanMsgFlagExtended : 0) | (msg.RTR ? kCanMsgFlagRemote : 0));
  frame.len = static_cast<std::uint8_t>(msg.DLC & 0xFF);
  std::memcpy(frame.data, msg.Data.data(), sizeof frame.data);
  return FLibrary.Write(FHandle, &frame);
}

std::int32_t TZelCanUsb::GetDeviceStatus() { return HasChannel() ? FLibrary.Status(FHandle) : 0; }

void TZelCanUsb::SetCanFilter(const TCanFilters& filters) {
  if (filters.empty()) return;
  AcceptanceFilter = ByteReversed(filters.front().Filter);
  AcceptanceMask = ByteReversed(filters.front().Mask);
}

void TZelCanUsb::AddVersion(QStringList& list) { list.append(GetDeviceVersionString()); }
void TZelCanUsb::GetDeviceVersion(QStringList& list) { AddVersion(list); }
void TZelCanUsb::GetDeviceDriverVersion(QStringList& list) { AddVersion(list); }

QString TZelCanUsb::GetDeviceVersionString() {
  if (!HasChannel()) return kNoVersion;
  char text[kCanUsbVersionTextSize + 1] = {};
  if (FLibrary.VersionInfo(FHandle, text) < 1) return kNoVersion;
  return TextOf(text, kCanUsbVersionTextSize);
}

// Listing needs the library; one loaded only for the listing is unloaded again.
void TZelCanUsb::GetAvailableDevices(QStringList& list) {
  const bool wasLoaded = FLibrary.IsLoaded();
  if (!wasLoaded && !LoadLibrary()) return;
  char serial[kCanUsbSerialSize + 1] = {};
  const std::int32_t count = FLibrary.GetFirstAdapter(serial, kCanUsbSerialSize);
  if (count < 1) {
    list.append(QStringLiteral("<empty>"));
  } else {
    list.append(TextOf(serial, kCanUsbSerialSize).trimmed());
    for (std::int32_t i = 1; i < count; ++i) {
      std::memset(serial, 0, sizeof serial);
      if (FLibrary.GetNextAdapter(serial, kCanUsbSerialSize) <= 0) break;
      list.append(TextOf(serial, kCanUsbSerialSize).trimmed());
    }
  }
  if (!wasLoaded) FLibrary.Unload();
}

void TZelCanUsb::StartRxEvent() {
  if (!HasChannel()) return;
  gRxEventDriver.store(this);
  FLibrary.SetReceiveCallBack(FHandle, FMyProc);
  FEventActive = true;
}

void TZelCanUsb::StopRxEvent() {
  FEventActive = false;
  if (!HasChannel()) return;
  FLibrary.Flush(FHandle, 0);
  FLibrary.SetReceiveCallBack(FHandle, nullptr);
  FLibrary.Flush(FHandle, 0);
}

// Runs on the library's thread: the frame travels by value to the user-interface thread.
void TZelCanUsb::ReceiveCallback(const TCanMsg* msg) {
  TZelCanUsb* driver = gRxEventDriver.load();
  if (!driver || !msg) return;
  TRawCanMsg frame;
  frame.Id = static_cast<std::uint32_t>(msg->id);
  frame.Flags = std::uint32_t{msg->flags} | std::uint32_t{msg->len};
  std::memcpy(frame.Data.Bytes, msg->data, sizeof msg->data);
  frame.Time.USec = static_cast<std::uint32_t>(msg->timestamp);
  frame.Time.Sec = 0;
  QMetaObject::invokeMethod(driver->FEventTarget.get(), [driver, frame] { driver->DeliverRxEvent(frame); },
                            Qt::QueuedConnection);
}

void TZelCanUsb::DeliverRxEvent(const TRawCanMsg& frame) {
  if (!FCanEventLink || !FCanEventLink->FOnRxCanData || !Connected() || !FEventActive) return;
  try {
    FCanEventLink->FOnRxCanData(this, 0, &frame, 1);
  } catch (...) {  // a handler's failure must not leave the event loop
  }
}
