#include "tools/sim/SimOptions.h"

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
  --flood             send frames as fast as the line takes them (benchmarks)
  --verbose           print the frames the program transmits
  --record FILE       write the frames the program transmits to FILE as a candump log,
                      time-stamped with this machine's clock when they arrive
  --help              show this text

Traffic flows only while the channel is open (after a bit rate and "O"); the demo bus has
periodic frames at 10 ms, 100 ms and 1 s and a diagnostic exchange every 5 s.
The announcement is <serial>.dev in $XDG_RUNTIME_DIR/ferrolux/devices
(/tmp/ferrolux-<uid>/devices without XDG_RUNTIME_DIR).
)";
}

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
    else if (arg == "--record") ok = value(options.RecordFile) && !options.RecordFile.empty();
    else if (arg == "--loop") options.Loop = true;
    else if (arg == "--flood") options.Flood = true;
    else if (arg == "--verbose") options.Verbose = true;
    else if (arg == "--help" || arg == "-h") options.Help = true;
    else return TSimOptionsError{"unknown option " + std::string(arg)};
    if (!ok) return TSimOptionsError{"option " + std::string(arg) + " needs a value"};
  }
  if (options.Flood && !options.ReplayFile.empty()) return TSimOptionsError{"--flood and --replay exclude each other"};
  if (options.Loop && options.ReplayFile.empty()) return TSimOptionsError{"--loop needs --replay"};
  return options;
}
