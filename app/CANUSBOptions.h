#pragma once
// Bus bit rate (a standard rate or a custom BTR0/BTR1 pair) and the display preferences.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TCanValueEdit;
class TMyRegValues;

class TfCANUSBOptions : public QDialog {
  Q_OBJECT
 public:
  explicit TfCANUSBOptions(QWidget* parent = nullptr);

  // Fills every control from the settings.
  void LoadFrom(const TMyRegValues& settings);
  // Writes every control back; the caller does so only after OK.
  void StoreTo(TMyRegValues& settings) const;

  QTabWidget* PageControl;
  QComboBox* cbCANBitRate;
  TCanValueEdit* edBTR0;
  TCanValueEdit* edBTR1;
  QLabel* labSpeed;
  QCheckBox* cbShowHints;
  QCheckBox* cbWarningBox;
  QCheckBox* cbSaveFormPosition;
  QCheckBox* cbShowCanIdDetails;
  QCheckBox* cbActivateColorButtons;
  QCheckBox* chkShow8ByteMsg;
  QSpinBox* edTraceMemory;  // MiB of trace rows kept in memory; the window loads and stores it
  QPushButton* Accept;
  QPushButton* Cancel;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* BuildCanPage();
  QWidget* BuildGeneralPage();
  void cbCANBitRateChange();
  void edBTRChange();
};
