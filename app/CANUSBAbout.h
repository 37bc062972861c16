#pragma once
// The about box: product name, version and what the program is for.

#include <QDialog>

inline const QString kProductVersion = QStringLiteral("Ver. 3.9");

class TfCANUSBAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfCANUSBAbout(QWidget* parent = nullptr);
};
