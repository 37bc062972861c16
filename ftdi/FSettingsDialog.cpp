#include "ftdi/FSettingsDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "ftdi/FTDI_D2XX.h"
#include "model/CanText.h"
#include "platform/UserMessage.h"

namespace {

QComboBox* MakeCombo(QWidget* parent, const char* name, const QStringList& items, bool editable) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromLatin1(name));
  combo->addItems(items);
  combo->setEditable(editable);
  return combo;
}

void AddRow(QFormLayout* form, const QString& caption, QComboBox* combo) {
  auto* label = new QLabel(caption, form->parentWidget());
  label->setBuddy(combo);
  combo->setAccessibleName(QString(caption).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
  form->addRow(label, combo);
}

}  // namespace

TFSettingsDialog::TFSettingsDialog(TFTDI_D2XX& ftdi, QWidget* parent) : QDialog(parent), FFTDI(ftdi) {
  setObjectName(QStringLiteral("FSettingsDialog"));
  setWindowTitle(QStringLiteral("USB-Settings"));
  setModal(true);

  combo_baudrate = MakeCombo(this, "combo_baudrate",
                             {"1200", "2400", "4800", "9600", "10400", "14400", "19200", "38400", "57600", "115200",
                              "230400", "250000", "460800", "500000", "921600", "1000000"},
                             true);
  // Only digits (and backspace) reach the rate field.
  combo_baudrate->lineEdit()->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), combo_baudrate));
  combo_databits = MakeCombo(this, "combo_databits", {"7", "8"}, false);
  combo_stopbits = MakeCombo(this, "combo_stopbits", {"1", "2"}, false);
  combo_parity = MakeCombo(this, "combo_parity", {"none", "odd", "even", "mark", "space"}, false);

  btn_apply = new QPushButton(QStringLiteral("&Apply"), this);
  btn_apply->setObjectName(QStringLiteral("btn_apply"));
  btn_apply->setDefault(true);
  Button1 = new QPushButton(QStringLiteral("&Cancel"), this);
  Button1->setObjectName(QStringLiteral("Button1"));

  auto* form = new QFormLayout;
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  AddRow(form, QStringLiteral("&BaudRate:"), combo_baudrate);
  AddRow(form, QStringLiteral("&DataBits:"), combo_databits);
  AddRow(form, QStringLiteral("&StopBits:"), combo_stopbits);
  AddRow(form, QStringLiteral("&Parity:"), combo_parity);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btn_apply);
  buttons->addWidget(Button1);
  layout->addLayout(buttons);

  connect(btn_apply, &QPushButton::clicked, this, &TFSettingsDialog::btn_applyClick);
  connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

void TFSettingsDialog::showEvent(QShowEvent* event) {
  LoadFromPort();
  QDialog::showEvent(event);
}

void TFSettingsDialog::LoadFromPort() {
  combo_baudrate->setEditText(QString::number(FFTDI.BaudRate));
  combo_databits->setCurrentIndex(static_cast<int>(FFTDI.DataBits));
  combo_stopbits->setCurrentIndex(static_cast<int>(FFTDI.StopBits));
  combo_parity->setCurrentIndex(static_cast<int>(FFTDI.Parity));
}

void TFSettingsDialog::ApplyToPort() {
  bool ok = false;
  const QString text = combo_baudrate->currentText();
  const int rate = text.toInt(&ok);
  if (!ok) throw EConvertError("'" + text.toStdString() + "' is not a valid integer value");
  FFTDI.BaudRate = rate;
  FFTDI.DataBits = static_cast<TFT_DataBits>(combo_databits->currentIndex());
  FFTDI.StopBits = static_cast<TFT_StopBits>(combo_stopbits->currentIndex());
  if (combo_parity->currentIndex() >= 0) FFTDI.Parity = static_cast<TFT_Parity>(combo_parity->currentIndex());
}

void TFSettingsDialog::btn_applyClick() {
  try {
    ApplyToPort();
    accept();
  } catch (const EConvertError& error) {
    ShowUserMessage(TUserMessageKind::Error, windowTitle(), QString::fromStdString(error.what()));
  }
}

void InstallFtdiSettingsDialog() {
  TFTDI_D2XX::SetSettingsDialogRunner([](TFTDI_D2XX& ftdi) {
    TFSettingsDialog dialog(ftdi);
    return dialog.exec() == QDialog::Accepted;
  });
}
