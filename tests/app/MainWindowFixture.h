#pragma once
// A main window on a fresh settings file; the warning is switched off unless a test wants it.

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <memory>

#include "app/CANUSBMain.h"
#include "platform/Registry.h"
#include "storage/MyRegValues.h"
#include "support/ModalDriver.h"
#include "support/QtPrinters.h"

inline const QString kSettingsKey = QStringLiteral("Software\\Tarvell\\Ferrolux");

struct MainWindowFixture : ::testing::Test {
  void SetUp() override {
    QFile::remove(TRegistryFile::DefaultPath());
    StoreSetting(QStringLiteral("ShowWarningMessage"), 0);
  }
  void TearDown() override { window.reset(); }

  static void StoreSetting(const QString& name, std::int32_t value) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kSettingsKey, true));
    reg.WriteInteger(name, value);
  }
  static std::int32_t StoredSetting(const QString& name) {
    TRegistry reg;
    EXPECT_TRUE(reg.OpenKey(kSettingsKey, false));
    return reg.ValueExists(name) ? reg.ReadInteger(name) : -12345;
  }
  TfCANUSBMain& Open() {
    window = std::make_unique<TfCANUSBMain>();
    return *window;
  }
  void ShowActive() {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  // Closes and destroys the window, which writes the settings.
  void Quit() {
    if (window && window->isVisible()) window->close();
    window.reset();
  }

  std::unique_ptr<TfCANUSBMain> window;
};
