#pragma once
// "USB-Settings": edits the line settings of one FTDI port.

#include <QDialog>

class QComboBox;
class QPushButton;
class TFTDI_D2XX;

class TFSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TFSettingsDialog(TFTDI_D2XX& ftdi, QWidget* parent = nullptr);

  // Takes the port's values into the controls.
  void LoadFromPort();
  // Writes the controls back to the port; throws EConvertError for an empty or bad rate.
  void ApplyToPort();

  QComboBox* combo_baudrate;
  QComboBox* combo_databits;
  QComboBox* combo_stopbits;
  QComboBox* combo_parity;
  QPushButton* btn_apply;
  QPushButton* Button1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void btn_applyClick();

  TFTDI_D2XX& FFTDI;
};

// Lets TFTDI_D2XX::ShowSettings open this dialog modally.
void InstallFtdiSettingsDialog();
