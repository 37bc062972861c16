#pragma once
// A main window that sees only the announced virtual adapters (the simulator, test adapters),
// not the machine's own serial ports, with its own runtime folder for their announcements.

#include "app/MainWindowFixture.h"
#include "platform/FtD2xx.h"
#include "support/PtyAdapter.h"

struct SimWindowFixture : MainWindowFixture {
  void SetUp() override {
    MainWindowFixture::SetUp();
    FT_SetSysfsLayout({runtime.Path() + "/sys-empty", "/dev"});
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    FT_SetSysfsLayout({});
  }

  TScopedRuntimeDir runtime;
};
