#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>

#include "MainWindowFixture.h"
#include "app/CANUSBOptions.h"
#include "transmit/CanEditField.h"

namespace {

// The dialog on its own, filled from settings on a private file, shown without blocking.
struct OptionsDialog : ::testing::Test {
  QTemporaryDir dir;
  TZelCanRegIni store{nullptr, dir.filePath(QStringLiteral("r.reg"))};
  std::unique_ptr<TMyRegValues> settings;
  TfCANUSBOptions dialog;

  void SetUp() override {
    ConfigureFerroluxRegIni(store);
    store.SaveOnExit = false;
    settings = std::make_unique<TMyRegValues>(store);
  }
  void ShowWithRate(int rate) {
    settings->FCanBitRate = rate;
    dialog.LoadFrom(*settings);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  }
  static void Retype(TCanValueEdit* edit, const QString& keys) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, keys);
  }
  void Leave(TCanValueEdit* edit) {
    edit->setFocus();
    dialog.cbCANBitRate->setFocus(Qt::TabFocusReason);
  }
};

}  // namespace

TEST_F(OptionsDialog, HasBothTabsAndTheirControlsInOrder) {
  ASSERT_EQ(dialog.PageControl->count(), 2);
  EXPECT_EQ(dialog.PageControl->tabText(0), QStringLiteral("CAN"));
  EXPECT_EQ(dialog.PageControl->tabText(1), QStringLiteral("General"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Options"));
  EXPECT_EQ(dialog.Accept->text(), QStringLiteral("OK"));
  EXPECT_EQ(dialog.Cancel->text(), QStringLiteral("Cancel"));
  QStringList rates;
  for (int i = 0; i < dialog.cbCANBitRate->count(); ++i)
    rates << dialog.cbCANBitRate->itemText(i) + QLatin1Char('=') + dialog.cbCANBitRate->itemData(i).toString();
  EXPECT_EQ(rates, (QStringList{"Custom=0", "1000 kBit/s=1000", "800 kBit/s=800", "500 kBit/s=500", "250 kBit/s=250",
                                "125 kBit/s=125", "100 kBit/s=100", "50 kBit/s=50", "20 kBit/s=20", "10 kBit/s=10"}));
  EXPECT_EQ(dialog.labSpeed->text(), QStringLiteral("Speed: - kBit/s"));
  QStringList general;
  for (QCheckBox* box : dialog.PageControl->widget(1)->findChildren<QCheckBox*>()) general << box->text();
  EXPECT_EQ(general, (QStringList{"Show Hints", "Show warning message box on startup", "Save form position and size on exit",
                                  "Show \"CAN ID Details\" on startup", "Activate \"Color on/off\" buttons on startup", "Show 8 Byte Msg"}));
}

TEST_F(OptionsDialog, StandardRateSelectsItsEntryAndLocksTheRegisters) {
  ShowWithRate(500);
  EXPECT_EQ(dialog.cbCANBitRate->currentText(), QStringLiteral("500 kBit/s"));
  EXPECT_FALSE(dialog.edBTR0->isEnabled());
  EXPECT_FALSE(dialog.edBTR1->isEnabled());
  EXPECT_EQ(dialog.edBTR0->text(), QStringLiteral("80"));
  EXPECT_EQ(dialog.edBTR1->text(), QStringLiteral("D8"));
  EXPECT_EQ(dialog.labSpeed->text(), QStringLiteral("Speed: 500.00 kBit/s"));
}

TEST_F(OptionsDialog, CustomRateUnlocksTheRegistersAndChoosingAStandardRateLocksThem) {
  ShowWithRate(0);
  EXPECT_EQ(dialog.cbCANBitRate->currentText(), QStringLiteral("Custom"));
  EXPECT_TRUE(dialog.edBTR0->isEnabled());
  dialog.cbCANBitRate->setCurrentIndex(5);
  EXPECT_FALSE(dialog.edBTR1->isEnabled());
}

TEST_F(OptionsDialog, UnknownRateSelectsNothingAndIsKept) {
  ShowWithRate(333);
  EXPECT_EQ(dialog.cbCANBitRate->currentIndex(), -1);
  EXPECT_FALSE(dialog.edBTR0->isEnabled());
  dialog.StoreTo(*settings);
  EXPECT_EQ(settings->FCanBitRate, 333);
}

TEST_F(OptionsDialog, RegisterEditsTakeHexOnlyAndUpperCaseIt) {
  ShowWithRate(0);
  Retype(dialog.edBTR0, QStringLiteral("g"));
  EXPECT_EQ(dialog.edBTR0->text(), QString());
  QTest::keyClicks(dialog.edBTR0, QStringLiteral("f"));
  EXPECT_EQ(dialog.edBTR0->text(), QStringLiteral("F"));
  QTest::keyClicks(dialog.edBTR0, QStringLiteral("-1x"));
  EXPECT_EQ(dialog.edBTR0->text(), QStringLiteral("F1"));
}

TEST_F(OptionsDialog, SpeedNeedsTwoDigitsInBothEditsAndAShortEditBecomesZero) {
  ShowWithRate(0);
  Retype(dialog.edBTR1, QString());
  EXPECT_EQ(dialog.labSpeed->text(), QStringLiteral("Speed: - kBit/s"));
  Leave(dialog.edBTR1);
  EXPECT_EQ(dialog.edBTR1->text(), QStringLiteral("00"));
  Retype(dialog.edBTR0, QStringLiteral("00"));
  EXPECT_EQ(dialog.labSpeed->text(), QStringLiteral("Speed: 2666.67 kBit/s"));
  Retype(dialog.edBTR1, QStringLiteral("1c"));
  EXPECT_EQ(dialog.labSpeed->text(), QStringLiteral("Speed: 500.00 kBit/s"));
  Retype(dialog.edBTR0, QStringLiteral("3"));
  Leave(dialog.edBTR0);
  EXPECT_EQ(dialog.edBTR0->text(), QStringLiteral("00")) << "a short text is replaced, not padded";
}

TEST_F(MainWindowFixture, OptionsCancelWritesNothing) {
  TfCANUSBMain& w = Open();
  const int rate = w.Settings().FCanBitRate;
  OnNextModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfCANUSBOptions*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->cbCANBitRate->setCurrentIndex(0);
    dialog->cbShowHints->setChecked(false);
    dialog->edBTR0->setText(QStringLiteral("11"));
    dialog->Cancel->click();
  });
  w.actionOptions->trigger();
  EXPECT_EQ(w.Settings().FCanBitRate, rate);
  EXPECT_EQ(w.Settings().FCanBitRateBTR0, 128);
  EXPECT_TRUE(w.Settings().FShowHints);
  EXPECT_TRUE(w.HintsShown());
}

TEST_F(MainWindowFixture, OptionsOkWritesBackKeepsTheRegistersAndAppliesHintsAtOnce) {
  TfCANUSBMain& w = Open();
  OnNextModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TfCANUSBOptions*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->edBTR0->isEnabled()) << "500 kBit/s is a standard rate";
    dialog->cbCANBitRate->setCurrentIndex(4);  // 250 kBit/s
    dialog->cbShowHints->setChecked(false);
    dialog->cbWarningBox->setChecked(true);
    dialog->chkShow8ByteMsg->setChecked(false);
    dialog->cbActivateColorButtons->setChecked(true);
    dialog->Accept->click();
  });
  w.actionOptions->trigger();
  EXPECT_EQ(w.Settings().FCanBitRate, 250);
  EXPECT_EQ(w.Settings().FCanBitRateBTR0, 128);
  EXPECT_EQ(w.Settings().FCanBitRateBTR1, 216);
  EXPECT_FALSE(w.Settings().FShowHints);
  EXPECT_FALSE(w.HintsShown());
  EXPECT_TRUE(w.Settings().FShowWarningMessage);
  EXPECT_FALSE(w.Settings().FShow8ByteMsg);
  EXPECT_TRUE(w.Settings().FActivateColorButtons);
  Quit();
  EXPECT_EQ(StoredSetting(QStringLiteral("CanBitRate")), 250);
}
