#pragma once
// The adapter's side of the line protocol: what a serial CAN adapter answers to each command,
// and which bus frames it reports. Pure: bytes in, reply bytes out; the caller owns the port
// and the clock.
//
//   command      closed          open
//   Sn, sXXXX    CR (bit rate)   BEL      n = 0..8, XXXX = BTR0 BTR1
//   M/m + 8 hex  CR              BEL      acceptance code / mask (SJA1000 dual filter)
//   Z0, Z1       CR              BEL      time stamps off / on
//   O            CR if a bit     BEL
//                rate is set
//   C            BEL             CR
//   V            V1013 CR        V1013 CR
//   t r T R      BEL             z CR (t, r) / Z CR (T, R); BEL if malformed
//   (empty)      CR              CR
//   anything else, or longer than a legal line: BEL
//
// Frames are reported only while open and only if the acceptance filter takes them; with time
// stamps on, each line carries the millisecond counter, which wraps at 60000.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/CanMsgProg.h"

class TAsciiAdapterEmulator {
 public:
  struct TBitRate {
    std::uint16_t KBitPerSecond = 0;  // 0 when set by register values
    std::uint16_t Btr = 0;            // BTR0 in the high byte; only with KBitPerSecond 0
  };

  static constexpr std::uint32_t kTimeStampWrap = 60000;

  explicit TAsciiAdapterEmulator(std::string version = "V1013");

  // Bytes from the host; returns the replies to every command these bytes complete.
  [[nodiscard]] std::string Feed(std::string_view bytes);
  // The line reporting a bus frame seen at nowMs, or empty if the adapter does not report it.
  [[nodiscard]] std::string ReportFrame(const TCanMsgProg& msg, std::uint64_t nowMs) const;
  // Frames the host sent since the last call, in order.
  [[nodiscard]] std::vector<TCanMsgProg> TakeTransmitted();

  [[nodiscard]] bool IsOpen() const { return FOpen; }
  [[nodiscard]] const std::optional<TBitRate>& BitRate() const { return FBitRate; }
  [[nodiscard]] std::string BitRateText() const;
  [[nodiscard]] std::uint32_t AcceptanceCode() const { return FCode; }
  [[nodiscard]] std::uint32_t AcceptanceMask() const { return FMask; }
  [[nodiscard]] bool TimeStamps() const { return FTimeStamps; }

 private:
  [[nodiscard]] std::string Execute(std::string_view command);
  [[nodiscard]] bool SetUp(std::string_view command);
  [[nodiscard]] std::string Transmit(std::string_view command);

  std::string FVersion;
  std::string FCommand;
  bool FOverflow = false;  // the current command is too long; it is refused at its CR
  bool FOpen = false;
  std::optional<TBitRate> FBitRate;
  std::uint32_t FCode = 0;
  std::uint32_t FMask = 0xFFFFFFFF;
  bool FTimeStamps = false;
  std::vector<TCanMsgProg> FTransmitted;
};
