#pragma once
// Timers and queued calls need an application object; tests share one.

#include <QCoreApplication>

inline void EnsureCoreApplication() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}
