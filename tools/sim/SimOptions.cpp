#include "tools/sim/SimOptions.h"

#include <charconv>
#include <string_view>

std::string SimUsage() {
  return R"(Usage: ferrolux-sim [OPTION]...
A virtual USB-to-CAN adapter on a pseudo-terminal. It speaks the adapters' ASCII line protocol,
announces itself to the Ferrolux device list and removes the announcement when it ends
(also on SIGINT and SIGTERM).

  --serial TEXT       serial number to announce (default SIM00001)
  --description TEXT  description to announce (default CAN-IF)
  --replay FILE       play a can-utils candump log at its original pace instead of the demo
  --loop              with --replay: start the log over when it ends
  --flood             send frames as fast as the line takes them (benchmarks); each carries
                      its sequence number 0, 1, 2 ... as eight little-endian data bytes
  --rate N            with --flood: N frames per second instead (1 to 1000000)
  --verbose           print the frames the program transmits
  --help              show this text

Traffic flows only while the channel is open (after a bit rate and "O"); the demo bus has
periodic frames at 10 ms, 100 ms and 1 s and a diagnostic exchange every 5 s.
The announcement is <serial>.dev in $XDG_RUNTIME_DIR/ferrolux/devices
(/tmp/ferrolux-<uid>/devices without XDG_RUNTIME_DIR).
)";
}

namespace {
// The value after --rate: a whole number of frames per second within the line's reach.
bool ParseRate(int argc, const char* const argv[], int& i, std::int64_t& rate) {
  if (i + 1 >= argc) return false;
  const std::string text = argv[++i];
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 1'000'000) return false;
  rate = value;
  return true;
}
}  // namespace

std::variant<TSimOptions, TSimOptionsError> ParseSimOptions(int argc, const char* const argv[]) {
  TSimOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= argc) return false;
      target = argv[++i];
      return true;
    };
    bool ok = true;
    if (arg == "--serial") ok = value(options.Serial) && !options.Serial.empty();
    else if (arg == "--description") ok = value(options.Description);
    else if (arg == "--replay") ok = value(options.ReplayFile) && !options.ReplayFile.empty();
    else if (arg == "--loop") options.Loop = true;
    else if (arg == "--flood") options.Flood = true;
    else if (arg == "--rate") ok = ParseRate(argc, argv, i, options.FloodRate);
    else if (arg == "--verbose") options.Verbose = true;
    else if (arg == "--help" || arg == "-h") options.Help = true;
    else return TSimOptionsError{"unknown option " + std::string(arg)};
    if (!ok) return TSimOptionsError{"option " + std::string(arg) + " needs a value"};
  }
  if (options.Flood && !options.ReplayFile.empty()) return TSimOptionsError{"--flood and --replay exclude each other"};
  if (options.FloodRate > 0 && !options.Flood) return TSimOptionsError{"--rate needs --flood"};
  if (options.Loop && options.ReplayFile.empty()) return TSimOptionsError{"--loop needs --replay"};
  return options;
}
