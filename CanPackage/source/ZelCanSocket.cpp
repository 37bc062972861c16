#include "CanPackage/source/ZelCanSocket.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>
#include <linux/can.h>
#include <linux/can/error.h>
#include <linux/sock_diag.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "CanPackage/source/Sja1000Filter.h"
#include "model/CanText.h"
#include "platform/CanInterfaces.h"

namespace {

const QString kVersion = QStringLiteral("SocketCAN");

// Device-status bits of the adapters' controller.
constexpr std::int32_t kStatusTxFifoFull = 0x02;
constexpr std::int32_t kStatusErrorWarning = 0x04;
constexpr std::int32_t kStatusDataOverrun = 0x08;
constexpr std::int32_t kStatusErrorPassive = 0x20;
constexpr std::int32_t kStatusArbitrationLost = 0x40;
constexpr std::int32_t kStatusBusError = 0x80;

// The bit rate asked for: kbit/s, or the rate of the register pair when that is 0.
std::uint32_t RequestedBitRate(std::uint16_t bitRate, std::int32_t btr) {
  if (bitRate != 0) return std::uint32_t{bitRate} * 1000;
  const double kbits = BtrToBitRate(static_cast<std::uint8_t>(btr >> 8), static_cast<std::uint8_t>(btr));
  return static_cast<std::uint32_t>(std::lround(kbits * 1000));
}

QString KbitText(std::uint32_t bitRate) {
  return QString::number(bitRate / 1000.0, 'g', 10) + QStringLiteral(" Kbit/s");
}

// Errors after which the interface is gone: nothing more will come. ENETDOWN is not one of
// them: a down interface delivers again once it is up.
bool InterfaceLost(int error) {
  return error == ENODEV || error == ENXIO || error == EBADF || error == ECONNRESET || error == EPIPE;
}

// The free-running 32-bit millisecond counter at a kernel time stamp.
std::int32_t MillisecondsOf(const timeval& stamp) {
  const std::int64_t ms = static_cast<std::int64_t>(stamp.tv_sec) * 1000 + stamp.tv_usec / 1000;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

// What the kernel attached to a received frame: its time stamp and the socket's drop count.
struct TReceiveNotes {
  timeval Stamp{};
  bool Stamped = false;
  std::optional<std::uint32_t> Drops;
};

TReceiveNotes NotesOf(msghdr& header) {
  TReceiveNotes notes;
  for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
    if (c->cmsg_level != SOL_SOCKET) continue;
    if (c->cmsg_type == SCM_TIMESTAMP) {
      std::memcpy(&notes.Stamp, CMSG_DATA(c), sizeof notes.Stamp);
      notes.Stamped = true;
    } else if (c->cmsg_type == SO_RXQ_OVFL) {
      std::uint32_t drops = 0;
      std::memcpy(&drops, CMSG_DATA(c), sizeof drops);
      notes.Drops = drops;
    }
  }
  if (!notes.Stamped) gettimeofday(&notes.Stamp, nullptr);  // no stamp came with it: the time it was taken
  return notes;
}

TCanMsgProg MsgOf(const can_frame& frame, const timeval& stamp) {
  TCanMsgProg msg;
  msg.Extended = (frame.can_id & CAN_EFF_FLAG) != 0;
  msg.RTR = (frame.can_id & CAN_RTR_FLAG) != 0;
  msg.CanId = frame.can_id & (msg.Extended ? CAN_EFF_MASK : CAN_SFF_MASK);
  msg.DLC = frame.len > CAN_MAX_DLEN ? CAN_MAX_DLEN : frame.len;
  if (!msg.RTR) std::memcpy(msg.Data.data(), frame.data, static_cast<std::size_t>(msg.DLC));
  msg.Time = MillisecondsOf(stamp);
  msg.TimeUs = static_cast<std::uint16_t>(stamp.tv_usec % 1000);
  return msg;
}

can_frame FrameOf(const TCanMsgProg& msg) {
  can_frame frame{};
  frame.can_id = static_cast<canid_t>(msg.CanId) & (msg.Extended ? CAN_EFF_MASK : CAN_SFF_MASK);
  if (msg.Extended) frame.can_id |= CAN_EFF_FLAG;
  if (msg.RTR) frame.can_id |= CAN_RTR_FLAG;
  frame.len = static_cast<std::uint8_t>(msg.UsedBytes());
  if (!msg.RTR) std::memcpy(frame.data, msg.Data.data(), frame.len);
  return frame;
}

}  // namespace

TZelCanSocket::TZelCanSocket(TCanSocketApi& sockets, TCanLinkApi& links) : FSockets(sockets), FLinks(links) {}

TZelCanSocket::~TZelCanSocket() { CloseSocket(); }

void TZelCanSocket::GetAvailableDevices(QStringList& list) { list.append(ListCanInterfaces()); }

void TZelCanSocket::SetCanFilter(const TCanFilters& filters) {
  if (filters.empty()) return;
  TZelCanDriver::SetCanFilter(filters);
  FFilters = filters;
}

bool TZelCanSocket::Accepted(const TCanMsgProg& msg) const {
  if (FFilters.empty()) return true;
  for (const TCanFilter& filter : FFilters)
    if (Sja1000DualFilterAccepts(filter.Filter, filter.Mask, msg)) return true;
  return false;
}

bool TZelCanSocket::PrepareLink(const std::string& name, std::uint32_t bitRate) {
  const std::optional<TCanLinkState> link = FLinks.Read(name);
  FLinkBitRate = 0;
  if (!link) {
    FLinkText = QStringLiteral("bit rate unknown");
    return true;
  }
  if (link->Up) {
    FLinkText = link->HasBitTiming ? KbitText(link->BitRate) : QStringLiteral("virtual interface");
    if (link->HasBitTiming) FLinkBitRate = link->BitRate;
    return true;
  }
  // A down interface is configured with the program's bit rate; a channel on an interface
  // that stays down would receive nothing, so a refusal fails the open.
  const QString interface = QString::fromStdString(name);
  switch (FLinks.BringUp(name, bitRate)) {
    case TCanLinkChange::Done:
      FLinkText = link->HasBitTiming ? KbitText(bitRate) : QStringLiteral("virtual interface");
      if (link->HasBitTiming) FLinkBitRate = bitRate;
      return true;
    case TCanLinkChange::NotPermitted:
      FOpenProblem = interface + QStringLiteral(" is down and this user may not bring it up (it needs CAP_NET_ADMIN)");
      return false;
    case TCanLinkChange::Failed:
      break;
  }
  FOpenProblem = link->HasBitTiming ? interface + QStringLiteral(" is down and the kernel refused to bring it up at ") +
                                          KbitText(bitRate)
                                    : interface + QStringLiteral(" is down and the kernel refused to bring it up");
  return false;
}

std::int32_t TZelCanSocket::OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR) {
  CloseSocket();
  SetDeviceLost(false);
  FName = DeviceName;
  FOpenProblem.clear();
  FStatusBits.store(0, std::memory_order_relaxed);
  FErrorFrames.store(0, std::memory_order_relaxed);
  FLinkDown.store(false, std::memory_order_relaxed);
  FKernelDrops.store(0, std::memory_order_relaxed);
  ResetErrorCounts();
  if (PrepareLink(DeviceName, RequestedBitRate(BitRate, BTR))) {
    FSocket = FSockets.OpenRaw(DeviceName);
    if (FSocket >= 0)
      ConfigureSocket();
    else
      FOpenProblem = QString::fromStdString(DeviceName) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
  }
  SetConnected(FSocket >= 0);
  return FSocket >= 0 ? CanResult::Ok : CanResult::Failed;
}

// Kernel time stamps, drop counts and a queue that holds a burst at full bus load while the
// reader is not scheduled. A refused option leaves the default: the bus still works.
void TZelCanSocket::ConfigureSocket() {
  const int on = 1;
  setsockopt(FSocket, SOL_SOCKET, SO_TIMESTAMP, &on, sizeof on);
  setsockopt(FSocket, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
  const int bytes = kReceiveBufferBytes;
  if (setsockopt(FSocket, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
    setsockopt(FSocket, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);  // capped at net.core.rmem_max
  FSockets.ReceiveErrorFrames(FSocket);  // without them the status stays 0; the bus still works
}

std::int64_t TZelCanSocket::StampMicroseconds(const TCanMsgProg& msg, std::int64_t nowUs) {
  const std::int64_t nowMs = nowUs / 1000;
  const auto age = static_cast<std::int32_t>(static_cast<std::uint32_t>(nowMs) - static_cast<std::uint32_t>(msg.Time));
  return (nowMs - age) * 1000 + msg.TimeUs;
}

QString TZelCanSocket::LinkText() const {
  QString text = LinkDown() ? QStringLiteral("interface down") : FLinkText;
  if (const std::uint64_t drops = KernelDrops(); drops > 0)
    text += QStringLiteral(", %1 frames dropped by the kernel").arg(drops);
  return text;
}

void TZelCanSocket::CloseSocket() {
  if (FSocket >= 0) close(FSocket);
  FSocket = -1;
}

std::int32_t TZelCanSocket::CloseDevice() {
  CloseSocket();
  SetDeviceLost(false);
  SetConnected(false);
  return CanResult::Ok;
}

TCanErrorCounts TZelCanSocket::ErrorCounts() const {
  TCanErrorCounts counts;
  for (std::size_t i = 0; i < kCanErrorClasses; ++i) counts.Count[i] = FErrorClassCounts[i].load(std::memory_order_relaxed);
  counts.LastMs = FLastErrorMs.load(std::memory_order_relaxed);
  counts.State = static_cast<TCanBusState>(FBusState.load(std::memory_order_relaxed));
  counts.KernelDrops = KernelDrops();
  return counts;
}

void TZelCanSocket::ResetErrorCounts() {
  for (auto& count : FErrorClassCounts) count.store(0, std::memory_order_relaxed);
  FLastErrorMs.store(-1, std::memory_order_relaxed);
  FBusState.store(0, std::memory_order_relaxed);
}

void TZelCanSocket::NoteErrorFrame(std::uint32_t canId, const std::uint8_t* data, std::int64_t timeMs) {
  FErrorFrames.fetch_add(1, std::memory_order_relaxed);
  const TCanErrorReport report = ReadErrorFrame(canId, data);
  for (std::size_t i = 0; i < kCanErrorClasses; ++i)
    if (report.Classes & (1U << i)) FErrorClassCounts[i].fetch_add(1, std::memory_order_relaxed);
  FLastErrorMs.store(timeMs, std::memory_order_relaxed);
  if (report.StateKnown) FBusState.store(static_cast<std::uint8_t>(report.State), std::memory_order_relaxed);
  std::int32_t bits = 0;
  if (canId & CAN_ERR_LOSTARB) bits |= kStatusArbitrationLost;
  if (canId & (CAN_ERR_PROT | CAN_ERR_TRX | CAN_ERR_ACK | CAN_ERR_BUSOFF | CAN_ERR_BUSERROR)) bits |= kStatusBusError;
  if (canId & CAN_ERR_CRTL) {
    const std::uint8_t state = data[1];
    if (state & CAN_ERR_CRTL_RX_OVERFLOW) bits |= kStatusDataOverrun;
    if (state & CAN_ERR_CRTL_TX_OVERFLOW) bits |= kStatusTxFifoFull;
    if (state & (CAN_ERR_CRTL_RX_WARNING | CAN_ERR_CRTL_TX_WARNING)) bits |= kStatusErrorWarning;
    if (state & (CAN_ERR_CRTL_RX_PASSIVE | CAN_ERR_CRTL_TX_PASSIVE)) bits |= kStatusErrorPassive;
  }
  FStatusBits.fetch_or(bits, std::memory_order_relaxed);
}

void TZelCanSocket::NoteSocketError(int error) {
  if (error == ENETDOWN)
    FLinkDown.store(true, std::memory_order_relaxed);
  else if (InterfaceLost(error))
    SetDeviceLost(true);
}

// While the interface is down nothing tells the socket that it is up again; its state does.
void TZelCanSocket::CheckLinkBack() {
  const std::optional<TCanLinkState> link = FLinks.Read(FName);
  if (!link)
    SetDeviceLost(true);
  else if (link->Up)
    FLinkDown.store(false, std::memory_order_relaxed);
}

// A frame carries the drop count of when it was queued, so drops while the queue stayed full
// show only with a later frame; the socket's own count tells them at once.
void TZelCanSocket::RefreshKernelDrops() {
  if (FSocket < 0) return;
  std::array<std::uint32_t, SK_MEMINFO_VARS> meminfo{};
  socklen_t length = sizeof meminfo;
  if (getsockopt(FSocket, SOL_SOCKET, SO_MEMINFO, meminfo.data(), &length) == 0 && length > SK_MEMINFO_DROPS * sizeof(std::uint32_t))
    FKernelDrops.store(meminfo[SK_MEMINFO_DROPS], std::memory_order_relaxed);
}

// Everything queued, up to kReadBatch frames, in one call.
void TZelCanSocket::ReceiveBatch(PCanMsgProgs& frames) {
  constexpr std::size_t kControl = CMSG_SPACE(sizeof(timeval)) + CMSG_SPACE(sizeof(std::uint32_t));
  std::array<can_frame, kReadBatch> batch{};
  std::array<iovec, kReadBatch> io{};
  std::array<mmsghdr, kReadBatch> headers{};
  alignas(cmsghdr) std::array<std::array<char, kControl>, kReadBatch> control{};
  for (std::size_t i = 0; i < kReadBatch; ++i) {
    io[i] = {&batch[i], sizeof(can_frame)};
    headers[i].msg_hdr.msg_iov = &io[i];
    headers[i].msg_hdr.msg_iovlen = 1;
    headers[i].msg_hdr.msg_control = control[i].data();
    headers[i].msg_hdr.msg_controllen = kControl;
  }
  const int n = recvmmsg(FSocket, headers.data(), kReadBatch, MSG_DONTWAIT, nullptr);
  if (n < 0) {
    NoteSocketError(errno);
    return;
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
    const can_frame& frame = batch[i];
    if (headers[i].msg_len == 0) {  // the other end is gone
      SetDeviceLost(true);
      return;
    }
    const TReceiveNotes notes = NotesOf(headers[i].msg_hdr);
    if (notes.Drops && *notes.Drops > FKernelDrops.load(std::memory_order_relaxed))
      FKernelDrops.store(*notes.Drops, std::memory_order_relaxed);
    if (headers[i].msg_len != sizeof frame) continue;  // not a classic frame
    FLinkDown.store(false, std::memory_order_relaxed);
    if (frame.can_id & CAN_ERR_FLAG) {
      NoteErrorFrame(frame.can_id, frame.data, MillisecondsOf(notes.Stamp));
      continue;
    }
    TCanMsgProg msg = MsgOf(frame, notes.Stamp);
    if (Accepted(msg)) frames.push_back(std::make_unique<TCanMsgProg>(msg));
  }
}

std::int32_t TZelCanSocket::ReadData(PCanMsgProgs& msgs) {
  try {
    if (FSocket < 0 || DeviceLost()) return CanResult::NoMessage;
    pollfd watch{FSocket, POLLIN, 0};
    if (poll(&watch, 1, kReadTimeoutMs) <= 0) {
      RefreshKernelDrops();
      if (LinkDown()) CheckLinkBack();
      return CanResult::NoMessage;
    }
    PCanMsgProgs frames;
    ReceiveBatch(frames);
    if (frames.empty()) return CanResult::NoMessage;
    msgs = std::move(frames);
    return CanResult::FramesRead;
  } catch (...) {  // the reader thread must never see an exception (allocation failure)
    return CanResult::NoMessage;
  }
}

std::int32_t TZelCanSocket::WriteData(TCanMsgProg msg) {
  if (FSocket < 0) return 1;
  const can_frame frame = FrameOf(msg);
  const ssize_t n = send(FSocket, &frame, sizeof frame, MSG_NOSIGNAL);
  if (n < 0)
    NoteSocketError(errno);
  else
    FLinkDown.store(false, std::memory_order_relaxed);
  return n == static_cast<ssize_t>(sizeof frame) ? 0 : 1;
}

std::int32_t TZelCanSocket::GetDeviceStatus() {
  const std::int32_t bits = FStatusBits.exchange(0, std::memory_order_relaxed);
  return bits | (DeviceLost() ? kStatusInterfaceFailed : 0);
}

QString TZelCanSocket::GetDeviceVersionString() { return kVersion; }
void TZelCanSocket::GetDeviceVersion(QStringList& list) { list.append(kVersion); }
void TZelCanSocket::GetDeviceDriverVersion(QStringList& list) { list.append(kVersion); }
