// Ferrolux: watches and drives a CAN bus through a USB-to-CAN adapter. Takes no arguments.

#include "app/CANUSBMain.h"
#include "app/UserAction.h"
#include "icons/AppIcons.h"

int main(int argc, char** argv) {
  TFerroluxApplication app(argc, argv);
  // The title also names the data folder below the documents folder.
  TFerroluxApplication::setApplicationName(QStringLiteral("Ferrolux"));
  TFerroluxApplication::setApplicationDisplayName(QStringLiteral("Ferrolux"));
  // The desktop entry's name, so that the desktop pairs the window with its menu entry and icon.
  TFerroluxApplication::setDesktopFileName(QStringLiteral("org.ferrolux.Ferrolux"));
  TFerroluxApplication::setWindowIcon(AppIcon("ferrolux"));
  InstallMessageBoxHandler();

  TfCANUSBMain window;
  window.show();
  return TFerroluxApplication::exec();
}
