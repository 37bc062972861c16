#include "app/CANUSBAbout.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

TfCANUSBAbout::TfCANUSBAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fCANUSBAbout"));
  setWindowTitle(QStringLiteral("About"));

  auto* name = new QLabel(QStringLiteral("<h2>Ferrolux</h2>"), this);
  name->setObjectName(QStringLiteral("labProduct"));
  auto* version = new QLabel(QStringLiteral("Tarvell - Ferrolux ") + kProductVersion, this);
  version->setObjectName(QStringLiteral("labVersion"));
  auto* what = new QLabel(QStringLiteral("Watches and drives a CAN bus through a USB-to-CAN adapter."), this);
  what->setObjectName(QStringLiteral("labDescription"));
  what->setWordWrap(true);
  auto* licence = new QLabel(QStringLiteral("Released under the MIT licence."), this);
  licence->setObjectName(QStringLiteral("labLicense"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(name);
  layout->addWidget(version);
  layout->addWidget(what);
  layout->addWidget(licence);
  layout->addWidget(buttons);
}
