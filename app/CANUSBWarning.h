#pragma once
// The start-up safety warning.

#include <QDialog>

class QCheckBox;

inline const QString kWarningText = QStringLiteral(
    "If you connect this tool to a real CAN system, you may cause the system to malfunction or behave in "
    "unexpected ways. Depending on the CAN system, this might mean catastrophic failures including personal "
    "injuries.");

class TfCANUSBWarning : public QDialog {
  Q_OBJECT
 public:
  explicit TfCANUSBWarning(QWidget* parent = nullptr);
  [[nodiscard]] bool DontShowAgain() const;

 private:
  QCheckBox* cbDontShowAgain;
};
