#pragma once
// The crash soak: runs the soak window in a child process, kills it (and its simulator) with
// SIGKILL while it captures, then opens the capture it left behind as the next start would
// offer it, and checks that it holds every frame from the first on, in order, once, up to at
// least those the trace had one second before the kill.

#include <QString>
#include <cstdint>
#include <ostream>

#include "tools/soak/SoakRun.h"

class TSoakKill {
 public:
  // `folders` is the run's private folder; the child uses it as well.
  TSoakKill(TSoakOptions options, double killAfterSeconds, QString folders, std::ostream& out);
  // The process exit code (0: every check held).
  int Exec();

 private:
  TSoakOptions FOptions;
  double FKillAfter;
  QString FFolders;
  std::ostream& FOut;
};
