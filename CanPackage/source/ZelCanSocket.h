#pragma once
// Driver of any SocketCAN network interface (can0, vcan0, slcan0, ...). DeviceName is the
// interface name. A raw CAN socket bound to it carries struct can_frame datagrams; the kernel
// stamps each one (SO_TIMESTAMP) and that stamp becomes the frame's millisecond Time.
//
// The checked acceptance filters are applied here, each with the same dual-filter rule the
// adapters' controllers use, so a filter set passes the same frames on every adapter kind; a
// frame passes when any filter accepts it. Error frames never reach the views: they are
// counted and turned into the device-status bits.
//
// ReadData waits in poll() for at most kReadTimeoutMs and takes what is queued in one
// recvmmsg. The socket asks for a large receive queue; frames the kernel still had to drop
// because it was full are counted (SO_RXQ_OVFL) in KernelDrops. An interface that goes away
// (deleted, unplugged adapter, removed module) is reported like a serial port that failed:
// ReadData returns "nothing read" at once from then on, DeviceLost() holds, and
// GetDeviceStatus carries kStatusInterfaceFailed. An interface taken down is a pause, not a
// loss: LinkDown() holds until a frame arrives or the interface is seen up again.
//
// A down interface is brought up at the requested bit rate when opened; when that is refused
// the open fails and OpenProblem() says why.

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "CanPackage/source/CanErrorClasses.h"
#include "CanPackage/source/ZelCanDriver.h"
#include "platform/CanLinks.h"
#include "platform/CanSockets.h"

class TZelCanSocket : public TZelCanDriver {
 public:
  static constexpr int kReadTimeoutMs = 100;
  static constexpr int kReadBatch = 64;  // frames taken per ReadData at most
  static constexpr std::int32_t kMaxFilters = 16;
  static constexpr std::int32_t kStatusInterfaceFailed = 0x80;
  static constexpr int kReceiveBufferBytes = 8 << 20;  // some 10,000 queued frames

  explicit TZelCanSocket(TCanSocketApi& sockets = KernelCanSockets(), TCanLinkApi& links = NetlinkCanLinks());
  ~TZelCanSocket() override;

  void GetAvailableDevices(QStringList& list) override;
  std::int32_t OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR) override;
  std::int32_t CloseDevice() override;
  void GetDeviceDriverVersion(QStringList& list) override;
  void GetDeviceVersion(QStringList& list) override;
  QString GetDeviceVersionString() override;
  std::int32_t ReadData(PCanMsgProgs& msgs) override;
  std::int32_t WriteData(TCanMsgProg msg) override;
  // Status bits gathered from error frames since the previous query, and the failed bit.
  std::int32_t GetDeviceStatus() override;
  std::int32_t GetFilterCount() override { return kMaxFilters; }
  void SetCanFilter(const TCanFilters& filters) override;

  // What the status bar shows in place of the configured bit rate: the interface's own, or
  // that it is down, and the frames the kernel dropped.
  [[nodiscard]] QString LinkText() const;
  [[nodiscard]] bool LinkDown() const { return FLinkDown.load(std::memory_order_relaxed); }
  [[nodiscard]] std::uint64_t KernelDrops() const { return FKernelDrops.load(std::memory_order_relaxed); }
  // Asks the socket for its drop count; on the reader thread, or once the reader has stopped.
  void RefreshKernelDrops();
  // The interface's bit rate in bit/s as the kernel reports it; 0 for a virtual or unknown one.
  [[nodiscard]] std::uint32_t LinkBitRate() const { return FLinkBitRate; }
  [[nodiscard]] std::uint64_t ErrorFrames() const { return FErrorFrames.load(std::memory_order_relaxed); }
  // The kernel's receive time of a frame this driver read, in microseconds since the epoch:
  // its 32-bit millisecond Time and TimeUs, unwrapped against a wall-clock reading near it.
  [[nodiscard]] static std::int64_t StampMicroseconds(const TCanMsgProg& msg, std::int64_t nowUs);
  // Error frames by class since the channel was opened, the last one's time and the bus state.
  [[nodiscard]] TCanErrorCounts ErrorCounts() const;

 private:
  [[nodiscard]] bool PrepareLink(const std::string& name, std::uint32_t bitRate);
  void ConfigureSocket();
  void ReceiveBatch(PCanMsgProgs& frames);
  void NoteSocketError(int error);
  void CheckLinkBack();
  void NoteErrorFrame(std::uint32_t canId, const std::uint8_t* data, std::int64_t timeMs);
  void ResetErrorCounts();
  [[nodiscard]] bool Accepted(const TCanMsgProg& msg) const;
  void CloseSocket();

  TCanSocketApi& FSockets;
  TCanLinkApi& FLinks;
  int FSocket = -1;
  std::string FName;
  TCanFilters FFilters;  // every checked filter, in list order; empty accepts all
  QString FLinkText;
  std::uint32_t FLinkBitRate = 0;
  std::atomic<std::int32_t> FStatusBits{0};
  std::atomic<std::uint64_t> FErrorFrames{0};
  // Written by the reader thread, read by the window: each figure on its own.
  std::array<std::atomic<std::uint64_t>, kCanErrorClasses> FErrorClassCounts{};
  std::atomic<std::int64_t> FLastErrorMs{-1};
  std::atomic<std::uint8_t> FBusState{0};
  std::atomic<bool> FLinkDown{false};
  std::atomic<std::uint64_t> FKernelDrops{0};
};
