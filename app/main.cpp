// Ferrolux: watches and drives a CAN bus through a USB-to-CAN adapter. Takes no arguments.

#include "app/CANUSBMain.h"
#include "app/UserAction.h"

int main(int argc, char** argv) {
  TFerroluxApplication app(argc, argv);
  // The title also names the data folder below the documents folder.
  TFerroluxApplication::setApplicationName(QStringLiteral("Ferrolux"));
  TFerroluxApplication::setApplicationDisplayName(QStringLiteral("Ferrolux"));
  InstallMessageBoxHandler();

  TfCANUSBMain window;
  window.show();
  return TFerroluxApplication::exec();
}
