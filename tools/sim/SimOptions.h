#pragma once
// Command line of ferrolux-sim, read with QCommandLineParser.

#include <cstdint>
#include <string>
#include <variant>

struct TSimOptions {
  std::string Serial = "SIM00001";
  std::string Description = "CAN-IF";
  std::string ReplayFile;  // empty: the built-in demo scenario
  std::string RecordFile;  // empty: the frames the program sends are not written down
  bool Loop = false;
  bool Flood = false;
  std::int64_t FloodRate = 0;  // frames per second with --flood; 0: as fast as the line takes them
  bool Verbose = false;
  bool Help = false;
  bool Version = false;
};

struct TSimOptionsError {
  std::string Message;
};

[[nodiscard]] std::variant<TSimOptions, TSimOptionsError> ParseSimOptions(int argc, const char* const argv[]);
[[nodiscard]] std::string SimUsage();
