#pragma once
// ferrolux-cli's commands on captured lists: converting between candump logs, list files and
// the exports, and decoding a trace into diagnostic messages or into signals. They read and write files only.

#include "tools/cli/CliCommandLine.h"

int RunConvert(const TCliArgs& args);
int RunDecode(const TCliArgs& args);
int RunSignals(const TCliArgs& args);
int RunStats(const TCliArgs& args);
