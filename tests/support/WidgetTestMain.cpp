// Entry of the widget test programs: a private home, configuration and documents folder for
// the whole run, then the application object the program itself uses.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>

#include "app/UserAction.h"

int main(int argc, char** argv) {
  QTemporaryDir home;
  if (!home.isValid()) return 2;
  setenv("HOME", qPrintable(home.path()), 1);
  setenv("XDG_CONFIG_HOME", qPrintable(home.path() + QStringLiteral("/.config")), 1);
  unsetenv("XDG_DOCUMENTS_DIR");
  setenv("LC_ALL", "C", 1);
  // Also when the test list is read at build time, outside ctest's environment.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  TFerroluxApplication app(argc, argv);
  TFerroluxApplication::setApplicationName(QStringLiteral("Ferrolux"));
  return RUN_ALL_TESTS();
}
