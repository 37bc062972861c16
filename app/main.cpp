// Ferrolux: watches and drives a CAN bus through a USB-to-CAN adapter. Takes no arguments.

#include "app/CANUSBMain.h"
#include "app/UserAction.h"

int main(int argc, char** argv) {
  TFerroluxApplication app(argc, argv);
  TFerroluxApplication::SetUp();

  TfCANUSBMain window;
  window.show();
  return TFerroluxApplication::exec();
}
