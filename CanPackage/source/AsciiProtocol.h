#pragma once
// The line protocol of the serial and HID adapters.
//
//   command  := text CR                        reply := text CR | CR (accepted) | BEL (refused)
//   S0..S8   standard bit rate 10,20,50,100,125,250,500,800,1000 kbit/s
//   sXXXX    register bit rate, BTR0 BTR1 (at least four hex digits)
//   Mxxxxxxxx / mxxxxxxxx  acceptance code / mask, eight hex digits
//   Z1  time stamps on     O  open channel     C  close channel     V  version
//   tIIILDD..   standard data frame     rIIIL       standard remote frame
//   TIIIIIIIILDD..  extended data frame RIIIIIIIIL  extended remote frame
//
// A received frame line carries a 4-digit millisecond time stamp after the data:
//   t12321122 04D2 CR  -> id 0x123, len 2, data 11 22, time 1234   (no space on the wire)
// Hex written is upper case; hex read is lenient (non-digits skipped, 32-bit accumulator).

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "CanPackage/source/ZelCanClasses.h"

namespace AsciiProtocol {

inline constexpr char CR = '\r';
inline constexpr char BEL = '\x07';
// The longest legal line: "T" + 8 id + 1 length + 16 data + 4 time + CR.
inline constexpr std::size_t kMaxLineLength = 31;

// Standard bit rates in kbit/s; the index is the digit of the "Sn" command.
inline constexpr std::array<std::uint16_t, 9> kStandardBitRates{10, 20, 50, 100, 125, 250, 500, 800, 1000};

// Commands, without the terminating CR (see WithCR).
[[nodiscard]] std::string BitRateCommand(std::uint16_t bitRate, std::int32_t btr);
[[nodiscard]] std::string AcceptanceCodeCommand(std::uint32_t code);
[[nodiscard]] std::string AcceptanceMaskCommand(std::uint32_t mask);
inline constexpr std::string_view TimeStampsOnCommand = "Z1";
inline constexpr std::string_view OpenCommand = "O";
inline constexpr std::string_view CloseCommand = "C";
inline constexpr std::string_view VersionCommand = "V";
[[nodiscard]] std::string TransmitLine(const TCanMsgProg& msg);
[[nodiscard]] std::string WithCR(std::string_view command);

// Reply rules.
[[nodiscard]] inline bool IsAccepted(std::string_view reply) { return reply == "\r"; }
[[nodiscard]] inline bool IsAcknowledged(std::string_view reply) { return !reply.empty(); }
// Version reply without leading and trailing blanks and control characters.
[[nodiscard]] QString VersionText(std::string_view reply);

// A received line (up to and including its CR) decoded into a frame; nullopt for every line
// that is not a frame: too short, an unknown first character, or no decimal length digit.
[[nodiscard]] std::optional<TCanMsg> DecodeFrameLine(std::string_view line);

// Adapter side. A received-frame line as an adapter reports it: the transmit line of the frame,
// the time stamp as four hex digits when time stamps are on, and the CR.
[[nodiscard]] std::string FrameLine(const TCanMsgProg& msg, std::optional<std::uint16_t> timestamp);

// A transmit command (without its CR) read strictly, as an adapter must before it puts the
// frame on the bus: the exact number of hex digits, a length digit 0..8, an identifier in
// range (0x7FF standard, 0x1FFFFFFF extended), data characters exactly for data frames.
//   t1232AABB -> standard 0x123, data AA BB      R18DAF1108 -> extended remote 0x18DAF110, DLC 8
[[nodiscard]] std::optional<TCanMsgProg> ParseTransmitLine(std::string_view command);

// Exactly the given hex digits (either case), nothing else; nullopt on any other character.
[[nodiscard]] std::optional<std::uint32_t> ParseHexStrict(std::string_view digits);

}  // namespace AsciiProtocol
