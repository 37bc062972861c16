#include "app/CANUSBOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "capture/CaptureSettings.h"
#include "model/CanText.h"
#include "storage/MyRegValues.h"
#include "transmit/CanEditField.h"

namespace {

struct TBitRateEntry {
  const char* Text;
  int Value;
};

constexpr TBitRateEntry kBitRates[] = {
    {"Custom", 0},         {"1000 kBit/s", 1000}, {"800 kBit/s", 800}, {"500 kBit/s", 500}, {"250 kBit/s", 250},
    {"125 kBit/s", 125},   {"100 kBit/s", 100},   {"50 kBit/s", 50},   {"20 kBit/s", 20},   {"10 kBit/s", 10},
};

QString SpeedText(const QString& speed) { return QStringLiteral("Speed: ") + speed + QStringLiteral(" kBit/s"); }

QString TwoHexDigits(std::int32_t value) { return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper(); }

TCanValueEdit* MakeBtrEdit(const QString& name, QWidget* parent) {
  auto* edit = new TCanValueEdit(TCanFieldKind::DataByte, parent);
  edit->setObjectName(name);
  edit->setAccessibleName(name.mid(2));
  edit->SetCompletion(TCanCompletion::Reset);
  edit->setMaximumWidth(40);
  return edit;
}

QCheckBox* MakeCheckBox(const QString& name, const QString& caption, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  return box;
}

}  // namespace

TfCANUSBOptions::TfCANUSBOptions(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fCANUSBOptions"));
  setWindowTitle(QStringLiteral("Options"));
  setModal(true);

  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl1"));
  PageControl->addTab(BuildCanPage(), QStringLiteral("CAN"));
  PageControl->addTab(BuildGeneralPage(), QStringLiteral("General"));

  Accept = new QPushButton(QStringLiteral("OK"), this);
  Accept->setObjectName(QStringLiteral("Accept"));
  Accept->setDefault(true);
  Cancel = new QPushButton(QStringLiteral("Cancel"), this);
  Cancel->setObjectName(QStringLiteral("Cancel"));
  connect(Accept, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Accept);
  buttons->addWidget(Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl);
  layout->addLayout(buttons);
}

QWidget* TfCANUSBOptions::BuildCanPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tsCAN"));

  auto* rateLabel = new QLabel(QStringLiteral("CAN Bit Rate"), page);
  cbCANBitRate = new QComboBox(page);
  cbCANBitRate->setObjectName(QStringLiteral("cbCANBitRate"));
  cbCANBitRate->setAccessibleName(QStringLiteral("CAN Bit Rate"));
  rateLabel->setBuddy(cbCANBitRate);
  for (const TBitRateEntry& entry : kBitRates) cbCANBitRate->addItem(QString::fromLatin1(entry.Text), entry.Value);
  connect(cbCANBitRate, &QComboBox::currentIndexChanged, this, &TfCANUSBOptions::cbCANBitRateChange);

  auto* custom = new QGroupBox(QStringLiteral("Custom (User defined Rate)"), page);
  custom->setObjectName(QStringLiteral("gbCustom"));
  edBTR0 = MakeBtrEdit(QStringLiteral("edBTR0"), custom);
  edBTR1 = MakeBtrEdit(QStringLiteral("edBTR1"), custom);
  connect(edBTR0, &QLineEdit::textChanged, this, &TfCANUSBOptions::edBTRChange);
  connect(edBTR1, &QLineEdit::textChanged, this, &TfCANUSBOptions::edBTRChange);
  labSpeed = new QLabel(SpeedText(QStringLiteral("-")), custom);
  labSpeed->setObjectName(QStringLiteral("labSpeed"));

  auto* grid = new QGridLayout(custom);
  grid->addWidget(new QLabel(QStringLiteral("BTR0"), custom), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("BTR1"), custom), 0, 1);
  grid->addWidget(edBTR0, 1, 0);
  grid->addWidget(edBTR1, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Chip: SJA1000"), custom), 2, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Clock: 16.000 kHz"), custom), 3, 0, 1, 3);
  grid->addWidget(labSpeed, 4, 0, 1, 3);
  grid->setColumnStretch(2, 1);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(rateLabel);
  layout->addWidget(cbCANBitRate);
  layout->addWidget(custom);
  layout->addStretch();
  return page;
}

QWidget* TfCANUSBOptions::BuildGeneralPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tsGeneral"));
  cbShowHints = MakeCheckBox(QStringLiteral("cbShowHints"), QStringLiteral("Show Hints"), page);
  cbWarningBox = MakeCheckBox(QStringLiteral("cbWarningBox"), QStringLiteral("Show warning message box on startup"), page);
  cbSaveFormPosition = MakeCheckBox(QStringLiteral("cbSaveFormPosition"), QStringLiteral("Save form position and size on exit"), page);
  cbShowCanIdDetails = MakeCheckBox(QStringLiteral("cbShowCanIdDetails"), QStringLiteral("Show \"CAN ID Details\" on startup"), page);
  cbActivateColorButtons =
      MakeCheckBox(QStringLiteral("cbActivateColorButtons"), QStringLiteral("Activate \"Color on/off\" buttons on startup"), page);
  chkShow8ByteMsg = MakeCheckBox(QStringLiteral("chkShow8ByteMsg"), QStringLiteral("Show 8 Byte Msg"), page);

  auto* layout = new QVBoxLayout(page);
  for (QCheckBox* box : {cbShowHints, cbWarningBox, cbSaveFormPosition, cbShowCanIdDetails, cbActivateColorButtons, chkShow8ByteMsg})
    layout->addWidget(box);

  edTraceMemory = new QSpinBox(page);
  edTraceMemory->setObjectName(QStringLiteral("edTraceMemory"));
  edTraceMemory->setRange(kMinTraceMemoryMiB, kMaxTraceMemoryMiB);
  edTraceMemory->setSuffix(QStringLiteral(" MiB"));
  edTraceMemory->setValue(kDefaultTraceMemoryMiB);
  auto* memoryLabel = new QLabel(QStringLiteral("Trace memory before rows go to the capture file:"), page);
  memoryLabel->setBuddy(edTraceMemory);
  auto* memory = new QHBoxLayout;
  memory->addWidget(memoryLabel);
  memory->addWidget(edTraceMemory);
  memory->addStretch();
  layout->addLayout(memory);
  layout->addStretch();
  return page;
}

void TfCANUSBOptions::LoadFrom(const TMyRegValues& settings) {
  cbShowHints->setChecked(settings.FShowHints);
  cbWarningBox->setChecked(settings.FShowWarningMessage);
  cbSaveFormPosition->setChecked(settings.FSaveFormSizeAndPosition);
  cbShowCanIdDetails->setChecked(settings.FShowCanIdDetails);
  cbActivateColorButtons->setChecked(settings.FActivateColorButtons);
  chkShow8ByteMsg->setChecked(settings.FShow8ByteMsg);
  edBTR0->setText(TwoHexDigits(settings.FCanBitRateBTR0));
  edBTR1->setText(TwoHexDigits(settings.FCanBitRateBTR1));
  cbCANBitRate->setCurrentIndex(cbCANBitRate->findData(settings.FCanBitRate));
  labSpeed->setText(SpeedText(BtrToBitRateText(edBTR0->text(), edBTR1->text())));
}

void TfCANUSBOptions::StoreTo(TMyRegValues& settings) const {
  settings.FShowWarningMessage = cbWarningBox->isChecked();
  settings.FShowHints = cbShowHints->isChecked();
  if (cbCANBitRate->currentIndex() >= 0) settings.FCanBitRate = cbCANBitRate->currentData().toInt();
  settings.FCanBitRateBTR0 = static_cast<std::int32_t>(HexTextToInt(edBTR0->text()));
  settings.FCanBitRateBTR1 = static_cast<std::int32_t>(HexTextToInt(edBTR1->text()));
  settings.FSaveFormSizeAndPosition = cbSaveFormPosition->isChecked();
  settings.FShowCanIdDetails = cbShowCanIdDetails->isChecked();
  settings.FActivateColorButtons = cbActivateColorButtons->isChecked();
  settings.FShow8ByteMsg = chkShow8ByteMsg->isChecked();
}

void TfCANUSBOptions::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  cbCANBitRateChange();
}

void TfCANUSBOptions::cbCANBitRateChange() {
  const bool custom = cbCANBitRate->currentIndex() == 0;
  edBTR0->setEnabled(custom);
  edBTR1->setEnabled(custom);
}

void TfCANUSBOptions::edBTRChange() {
  const bool complete = edBTR0->text().size() == 2 && edBTR1->text().size() == 2;
  labSpeed->setText(SpeedText(complete ? BtrToBitRateText(edBTR0->text(), edBTR1->text()) : QStringLiteral("-")));
}
