#include "CanPackage/source/ZelCanSocket.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <linux/can.h>
#include <linux/can/error.h>
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

// Errors after which the interface is gone or down: nothing more will come.
bool InterfaceLost(int error) {
  return error == ENODEV || error == ENETDOWN || error == ENXIO || error == EBADF || error == ECONNRESET ||
         error == EPIPE;
}

// The free-running 32-bit millisecond counter at a kernel time stamp.
std::int32_t MillisecondsOf(const timeval& stamp) {
  const std::int64_t ms = static_cast<std::int64_t>(stamp.tv_sec) * 1000 + stamp.tv_usec / 1000;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

timeval StampOf(msghdr& header) {
  for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c))
    if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMP) {
      timeval stamp{};
      std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
      return stamp;
    }
  timeval now{};  // no stamp came with it: the time it was taken
  gettimeofday(&now, nullptr);
  return now;
}

TCanMsgProg MsgOf(const can_frame& frame, std::int32_t time) {
  TCanMsgProg msg;
  msg.Extended = (frame.can_id & CAN_EFF_FLAG) != 0;
  msg.RTR = (frame.can_id & CAN_RTR_FLAG) != 0;
  msg.CanId = frame.can_id & (msg.Extended ? CAN_EFF_MASK : CAN_SFF_MASK);
  msg.DLC = frame.len > CAN_MAX_DLEN ? CAN_MAX_DLEN : frame.len;
  if (!msg.RTR) std::memcpy(msg.Data.data(), frame.data, static_cast<std::size_t>(msg.DLC));
  msg.Time = time;
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

void TZelCanSocket::PrepareLink(const std::string& name, std::uint32_t bitRate) {
  const std::optional<TCanLinkState> link = FLinks.Read(name);
  FLinkBitRate = 0;
  if (!link) {
    FLinkText = QStringLiteral("bit rate unknown");
    return;
  }
  if (link->Up) {
    FLinkText = link->HasBitTiming ? KbitText(link->BitRate) : QStringLiteral("virtual interface");
    if (link->HasBitTiming) FLinkBitRate = link->BitRate;
    return;
  }
  // A down interface is configured with the program's bit rate when the program may do so;
  // otherwise it is opened as it is and the status bar says why nothing arrives.
  switch (FLinks.BringUp(name, bitRate)) {
    case TCanLinkChange::Done:
      FLinkText = link->HasBitTiming ? KbitText(bitRate) : QStringLiteral("virtual interface");
      if (link->HasBitTiming) FLinkBitRate = bitRate;
      break;
    case TCanLinkChange::NotPermitted:
      FLinkText = QStringLiteral("interface down, not permitted to configure it");
      break;
    case TCanLinkChange::Failed:
      FLinkText = QStringLiteral("interface down, configuring it failed");
      break;
  }
}

std::int32_t TZelCanSocket::OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR) {
  CloseSocket();
  SetDeviceLost(false);
  FStatusBits.store(0, std::memory_order_relaxed);
  FErrorFrames.store(0, std::memory_order_relaxed);
  ResetErrorCounts();
  PrepareLink(DeviceName, RequestedBitRate(BitRate, BTR));
  FSocket = FSockets.OpenRaw(DeviceName);
  if (FSocket >= 0) {
    const int on = 1;
    setsockopt(FSocket, SOL_SOCKET, SO_TIMESTAMP, &on, sizeof on);
    FSockets.ReceiveErrorFrames(FSocket);  // without them the status stays 0; the bus still works
  }
  SetConnected(FSocket >= 0);
  return FSocket >= 0 ? CanResult::Ok : CanResult::Failed;
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

TZelCanSocket::TReceive TZelCanSocket::ReceiveOne(TCanMsgProg& msg) {
  can_frame frame{};
  iovec io{&frame, sizeof frame};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timeval))];
  msghdr header{};
  header.msg_iov = &io;
  header.msg_iovlen = 1;
  header.msg_control = control;
  header.msg_controllen = sizeof control;
  const ssize_t n = recvmsg(FSocket, &header, MSG_DONTWAIT);
  if (n == 0) return TReceive::Failed;  // the other end is gone
  if (n < 0) return InterfaceLost(errno) ? TReceive::Failed : TReceive::Empty;
  if (static_cast<std::size_t>(n) != sizeof frame) return TReceive::Rejected;  // not a classic frame
  if (frame.can_id & CAN_ERR_FLAG) {
    NoteErrorFrame(frame.can_id, frame.data, MillisecondsOf(StampOf(header)));
    return TReceive::ErrorFrame;
  }
  msg = MsgOf(frame, MillisecondsOf(StampOf(header)));
  return Accepted(msg) ? TReceive::Frame : TReceive::Rejected;
}

std::int32_t TZelCanSocket::ReadData(PCanMsgProgs& msgs) {
  try {
    if (FSocket < 0 || DeviceLost()) return CanResult::NoMessage;
    pollfd watch{FSocket, POLLIN, 0};
    if (poll(&watch, 1, kReadTimeoutMs) <= 0) return CanResult::NoMessage;
    PCanMsgProgs frames;
    for (int i = 0; i < kReadBatch; ++i) {
      TCanMsgProg msg;
      const TReceive result = ReceiveOne(msg);
      if (result == TReceive::Failed) SetDeviceLost(true);
      if (result == TReceive::Failed || result == TReceive::Empty) break;
      if (result == TReceive::Frame) frames.push_back(std::make_unique<TCanMsgProg>(msg));
    }
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
  if (n < 0 && InterfaceLost(errno)) SetDeviceLost(true);
  return n == static_cast<ssize_t>(sizeof frame) ? 0 : 1;
}

std::int32_t TZelCanSocket::GetDeviceStatus() {
  const std::int32_t bits = FStatusBits.exchange(0, std::memory_order_relaxed);
  return bits | (DeviceLost() ? kStatusInterfaceFailed : 0);
}

QString TZelCanSocket::GetDeviceVersionString() { return kVersion; }
void TZelCanSocket::GetDeviceVersion(QStringList& list) { list.append(kVersion); }
void TZelCanSocket::GetDeviceDriverVersion(QStringList& list) { list.append(kVersion); }
