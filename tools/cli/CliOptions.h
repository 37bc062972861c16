#pragma once
// Command line of ferrolux-cli and the can-utils text forms it reads and writes:
//   ferrolux-cli list
//   ferrolux-cli dump SERIAL [--bitrate KBITS | --btr HEX4] [--code HEX8 --mask HEX8] [--count N] [--timeout SECONDS]
//   ferrolux-cli send SERIAL ID#DATA [--bitrate KBITS | --btr HEX4]
// Frames as candump writes them: 123#1122 (3 hex digits: standard), 18DAF110#01 (8: extended),
// 123#R or 123#R4 (remote, optional length); data bytes may be separated by dots.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "model/CanMsgProg.h"

// A bad command line; main prints it on one line and exits with status 2.
class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TCliCommand { List, Dump, Send };

struct TCliOptions {
  TCliCommand Command = TCliCommand::List;
  std::string Serial;
  TCanMsgProg Frame;               // send
  std::uint16_t BitRate = 500;     // kbit/s; 0 when Btr applies
  std::int32_t Btr = 0;
  std::uint32_t Code = 0;
  std::uint32_t Mask = 0xFFFFFFFF;
  std::uint64_t Count = 0;         // 0: no limit
  std::optional<double> TimeoutSeconds;
};

// argv without the program name.
[[nodiscard]] TCliOptions ParseCliOptions(int argc, const char* const* argv);
[[nodiscard]] TCanMsgProg ParseFrameText(const std::string& text);
// "(SECONDS.MICROSECONDS) INTERFACE ID#DATA"
[[nodiscard]] std::string CandumpLine(const TCanMsgProg& msg, std::int64_t seconds, std::int64_t microseconds,
                                      const std::string& interfaceName);

inline constexpr const char* kCliUsage =
    "usage: ferrolux-cli list | dump SERIAL [--bitrate KBITS | --btr HEX4] [--code HEX8 --mask HEX8] [--count N] "
    "[--timeout SECONDS] | send SERIAL ID#DATA [--bitrate KBITS | --btr HEX4]";
