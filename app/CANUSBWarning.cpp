#include "app/CANUSBWarning.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TfCANUSBWarning::TfCANUSBWarning(QWidget* parent) : QDialog(parent), cbDontShowAgain(new QCheckBox(tr("Don't show this message again"), this)) {
  setObjectName(QStringLiteral("fCANUSBWarning"));
  setWindowTitle(QStringLiteral("Warning"));
  setModal(true);

  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* text = new QLabel(kWarningText, this);
  text->setObjectName(QStringLiteral("labWarning"));
  text->setWordWrap(true);
  text->setMinimumWidth(380);
  cbDontShowAgain->setObjectName(QStringLiteral("cbDontShowAgain"));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addWidget(text, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(cbDontShowAgain);
  bottom->addStretch();
  bottom->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(bottom);
}

bool TfCANUSBWarning::DontShowAgain() const { return cbDontShowAgain->isChecked(); }
