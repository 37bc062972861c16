#pragma once
// The command table of ferrolux-cli. A new command is one entry in CliProgram() and its handler.

#include <string>

#include "tools/cli/CliCommandLine.h"

// A command that could not do its work (unknown serial number, open refused): one line on
// stderr and exit status 2, like a usage error.
struct TCliFailure {
  std::string Message;
};

[[nodiscard]] const TCliProgramSpec& CliProgram();
