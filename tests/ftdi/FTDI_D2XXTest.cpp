#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "ftdi/FSettingsDialog.h"
#include "ftdi/FTDI_D2XX.h"
#include "platform/UserMessage.h"
#include "support/PtyAdapter.h"

using ::testing::ElementsAre;

namespace {

// Collects what would be shown in message boxes.
class CapturedMessages {
 public:
  CapturedMessages() {
    FPrevious = SetUserMessageHandler([this](TUserMessageKind, const QString&, const QString& text) { Texts.append(text); });
  }
  ~CapturedMessages() { SetUserMessageHandler(FPrevious); }
  QStringList Texts;

 private:
  TUserMessageHandler FPrevious;
};

TEST(FTDI_D2XX, ErrorReportsShowContextAndStatusTextOnlyWhenEnabled) {
  CapturedMessages messages;
  TFTDI_D2XX ftdi;
  ftdi.Close();  // never opened: handle 0, reports off
  EXPECT_TRUE(messages.Texts.isEmpty());
  ftdi.EnableErrorReports = true;
  ftdi.Close();
  ftdi.ReportError(QStringLiteral("FT_Write"), 0);
  ftdi.ReportError(QStringLiteral("FT_Write"), 25);
  ftdi.ReportError(QStringLiteral("FT_EE_Read"), 17);
  ftdi.ReportError(QStringLiteral("X"), 8);
  EXPECT_THAT(messages.Texts, ElementsAre("FT_Close - Invalid handle...", "FT_Write - unknown (25)",
                                          "FT_EE_Read - Other error ...", "X Device not opened for erase..."));
  messages.Texts.clear();
  char buffer[4];
  EXPECT_EQ(ftdi.Read(buffer, 4), 0);
  EXPECT_THAT(messages.Texts, ElementsAre("FT_W32_ReadFile - Invalid handle..."));
}

TEST(FTDI_D2XX, SleepTimeAndLineSettingValidation) {
  CapturedMessages messages;
  TFTDI_D2XX ftdi;
  ftdi.SetSleepTime(0);
  ftdi.SetSleepTime(1001);
  EXPECT_EQ(ftdi.SleepTime(), 10);
  ftdi.SetSleepTime(1000);
  EXPECT_EQ(ftdi.SleepTime(), 1000);

  ftdi.EnableErrorReports = true;
  ftdi.StopBits = static_cast<TFT_StopBits>(5);
  EXPECT_FALSE(ftdi.SetNewConfig());
  EXPECT_THAT(messages.Texts, ElementsAre("SetDataCharacteristics - StopBit-count not applicable (5) - unknown (-1)"));
}

TEST(FTDI_D2XX, OpensAnAnnouncedAdapterAndTheReadThreadHandsOverCounts) {
  TScopedRuntimeDir runtime;
  TPtyAdapter adapter("PTY00005", "CAN-IF");
  TFTDI_D2XX ftdi;
  ftdi.EnableErrorReports = true;
  ftdi.BaudRate = 57600;
  ASSERT_TRUE(ftdi.OpenBySerial("PTY00005"));
  EXPECT_TRUE(ftdi.Connected());
  EXPECT_FALSE(ftdi.ReadEEPROM());  // a terminal has none
  EXPECT_FALSE(ftdi.CyclePort());

  int seen = 0;
  ftdi.SetOnData([&](TFTDI_D2XX& port, int count) {
    char buffer[64];
    seen += port.Read(buffer, count);
  });
  EXPECT_TRUE(ftdi.ReadThreadRunning());
  const char command[] = "V\r";
  EXPECT_EQ(ftdi.Write(command, 2), 2);
  for (int i = 0; i < 200 && seen < 6; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(seen, 6);  // "V1013\r", read by the handler
  EXPECT_EQ(ftdi.BytesRX(), 6);
  EXPECT_EQ(ftdi.BytesTX(), 2);
  ftdi.SetOnData({});
  EXPECT_FALSE(ftdi.ReadThreadRunning());
  ftdi.Close();
  EXPECT_FALSE(ftdi.Connected());
}

TEST(FSettingsDialog, ShowsAndAppliesThePortSettings) {
  int argc = 1;
  char name[] = "test_ftdi";
  char* argv[] = {name};
  QApplication app(argc, argv);
  TFTDI_D2XX ftdi;
  ftdi.BaudRate = 57600;
  ftdi.Parity = TFT_Parity::Pa_even;
  TFSettingsDialog dialog(ftdi);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("USB-Settings"));
  EXPECT_EQ(dialog.combo_baudrate->count(), 16);
  dialog.show();
  EXPECT_EQ(dialog.combo_baudrate->currentText(), QStringLiteral("57600"));
  EXPECT_EQ(dialog.combo_parity->currentText(), QStringLiteral("even"));
  EXPECT_TRUE(dialog.btn_apply->isDefault());

  // Letters never reach the rate field.
  QLineEdit* edit = dialog.combo_baudrate->lineEdit();
  edit->clear();
  edit->insert(QStringLiteral("25x0000"));
  EXPECT_EQ(edit->text().contains(QLatin1Char('x')), false);
  dialog.combo_baudrate->setEditText(QStringLiteral("250000"));
  dialog.combo_databits->setCurrentIndex(0);
  dialog.combo_stopbits->setCurrentIndex(1);
  dialog.btn_apply->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(ftdi.BaudRate, 250000);
  EXPECT_EQ(ftdi.DataBits, TFT_DataBits::db7);
  EXPECT_EQ(ftdi.StopBits, TFT_StopBits::sb2);

  // An empty rate cannot be converted: Apply stops with an error and changes nothing.
  CapturedMessages messages;
  dialog.show();
  dialog.combo_baudrate->setEditText(QString());
  dialog.btn_apply->click();
  EXPECT_EQ(messages.Texts.size(), 1);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(ftdi.BaudRate, 250000);

  // Through the wrapper: Cancel leaves everything as it was.
  InstallFtdiSettingsDialog();
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* cancel = w->findChild<QPushButton*>(QStringLiteral("Button1")); cancel && w->isVisible() && w != nullptr)
        if (w->objectName() == QStringLiteral("FSettingsDialog") && w->isModal()) cancel->click();
  });
  dialog.hide();
  EXPECT_FALSE(ftdi.ShowSettings());
  TFTDI_D2XX::SetSettingsDialogRunner({});
}

}  // namespace
