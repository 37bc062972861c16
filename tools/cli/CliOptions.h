#pragma once
// The adapter options of ferrolux-cli's commands and the can-utils text forms it reads and writes.
// Frames as candump writes them: 123#1122 (3 hex digits: standard), 18DAF110#01 (8: extended),
// 123#R or 123#R4 (remote, optional length); data bytes may be separated by dots.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/CanMsgProg.h"
#include "replay/ReplaySchedule.h"
#include "signals/SignalDatabases.h"
#include "tools/cli/CliCommandLine.h"

// The options that open an adapter and limit a capture, as one command was given them.
struct TCliOptions {
  std::string Serial;
  std::uint16_t BitRate = 500;     // kbit/s; 0 when Btr applies
  std::int32_t Btr = 0;
  std::uint32_t Code = 0;
  std::uint32_t Mask = 0xFFFFFFFF;
  std::uint64_t Count = 0;         // 0: no limit
  std::optional<double> TimeoutSeconds;
};

// The options every adapter command shares; a command offers those of them it takes.
namespace CliOption {
inline constexpr TCliOptionSpec BitRate{"bitrate", "KBITS", "Bit rate in kbit/s (default 500)."};
inline constexpr TCliOptionSpec Btr{"btr", "HEX4", "Bit timing registers BTR0 BTR1 instead of --bitrate, e.g. 031C."};
inline constexpr TCliOptionSpec Code{"code", "HEX8", "Acceptance code loaded into the adapter (with --mask)."};
inline constexpr TCliOptionSpec Mask{"mask", "HEX8", "Acceptance mask loaded into the adapter (with --code)."};
inline constexpr TCliOptionSpec Count{"count", "N", "Stop after N frames."};
inline constexpr TCliOptionSpec Timeout{"timeout", "SECONDS", "Stop after this many seconds."};
inline constexpr TCliOptionSpec Duration{"duration", "SECONDS", "Run this many seconds, then close the adapter."};
inline constexpr TCliOptionSpec Dbc{"dbc", "FILE", "A signal database (.dbc); may be given several times, the first definition of an identifier wins."};
}  // namespace CliOption

// How play replays a capture: --speed (0.1 to 10, or max), --loop (0: endless), --id (repeated).
struct TCliPlayOptions {
  TReplayPace Pace;
  std::vector<std::int64_t> Ids;  // all identifiers when empty
};
[[nodiscard]] TCliPlayOptions ReadPlayOptions(const TCliArgs& args);

// The databases the --dbc options name, their warnings printed on stderr. An unreadable one
// ends the command with its "FILE:LINE:COLUMN: expected ..." message (TCliFailure).
void LoadSignalDatabases(const TCliArgs& args, TSignalDatabases& databases);

// The bit rate --bitrate gives, in bit/s; 0 without the option. Throws TUsageError.
[[nodiscard]] double ReadBitRateOption(const TCliArgs& args);

// The serial number is the command's first argument. Throws TUsageError.
[[nodiscard]] TCliOptions ReadAdapterOptions(const TCliArgs& args);
[[nodiscard]] TCanMsgProg ParseFrameText(const std::string& text);
// "(SECONDS.MICROSECONDS) INTERFACE ID#DATA"
[[nodiscard]] std::string CandumpLine(const TCanMsgProg& msg, std::int64_t seconds, std::int64_t microseconds,
                                      const std::string& interfaceName);
