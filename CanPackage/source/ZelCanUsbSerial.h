#pragma once
// Driver of the CAN adapters behind an FTDI USB-serial chip that speak the line protocol:
// frames arrive as text lines, one frame per ReadData call.
//
// Two threads use one input stream: ReadData on the reader thread, the command exchanges of
// OpenDevice/WriteData/CloseDevice on the user-interface thread. The byte buffer and the port
// reads are shared under one lock; one thread at a time sleeps in the kernel for input (never
// holding the lock) while the other waits on a condition variable for what it brings in.
// Lines are routed by kind: a frame line that a command exchange reads is kept for the next
// ReadData, in order; a reply line that ReadData reads while an exchange waits is handed to
// that exchange, otherwise dropped.

#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "CanPackage/source/SerialLineAssembler.h"
#include "CanPackage/source/ZelCanDriver.h"
#include "ftdi/FTDI_D2XX.h"

class TZelCanUsbSerial : public TZelCanDriver {
 public:
  // How long a reply unit may take, from the start of the read.
  static constexpr std::uint32_t kReplyTimeoutMs = 500;
  // Reported by GetDeviceStatus once the port failed (the adapter was unplugged, DeviceLost).
  static constexpr std::int32_t kStatusPortFailed = 0x80;

  TZelCanUsbSerial();
  ~TZelCanUsbSerial() override;

  std::int32_t OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR) override;
  std::int32_t CloseDevice() override;
  void GetDeviceDriverVersion(QStringList& list) override;
  void GetDeviceVersion(QStringList& list) override;
  QString GetDeviceVersionString() override;
  std::int32_t ReadData(PCanMsgProgs& msgs) override;
  std::int32_t WriteData(TCanMsgProg msg) override;
  std::int32_t GetDeviceStatus() override;
  void StopRxEvent() override;

  // 0 after a successful open sequence or a close, -1 after a failed open.
  [[nodiscard]] int OpenState() const { return FOpenState; }
  // Lines cut because they ran past the longest legal line.
  [[nodiscard]] std::uint64_t LineOverflows();
  [[nodiscard]] TFTDI_D2XX& Port() { return FPort; }

 private:
  using TUnit = TSerialLineAssembler::TUnit;

  bool InitAdapter(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR);
  bool ExchangeCommand(std::string_view text, std::string& reply);
  // The next unit within the reply window that began at `start`; the receive path also
  // takes the frame lines kept by earlier exchanges.
  std::optional<TUnit> ReadUnit(std::uint32_t start, bool receivePath);
  std::optional<TUnit> TakeLocked(bool receivePath);
  std::optional<TUnit> TakeForExchangeLocked();
  // Sleeps in the kernel for input without the lock, as the one thread watching the port.
  void WaitForPortUnlocked(std::unique_lock<std::mutex>& lock, std::uint32_t timeoutMs);
  void FillLocked();
  void PurgeInput();
  void PurgeBoth();
  void NotePortState();

  TFTDI_D2XX FPort;
  std::mutex FLock;  // guards the members up to FReply and the port reads
  std::condition_variable FInputTaken;  // new units came in, or the port watch is free
  TSerialLineAssembler FLines;
  std::deque<std::string> FPendingFrames;
  bool FWatchingPort = false;
  bool FExchangeWaiting = false;
  std::optional<TUnit> FReply;  // a reply line the receive path took for the waiting exchange
  int FOpenState = 0;
  QString FVersion;
};
