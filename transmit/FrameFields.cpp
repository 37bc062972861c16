#include "transmit/FrameFields.h"

#include <QMessageBox>
#include <QSignalBlocker>
#include <vector>

#include "model/CanText.h"

namespace {
TCanValueEdit* MakeField(QWidget* parent, TCanFieldKind kind, const QString& name, int width) {
  auto* field = new TCanValueEdit(kind, parent);
  field->setObjectName(name);
  field->setAccessibleName(name);
  field->setFixedWidth(width);
  return field;
}
}  // namespace

TFrameFields::TFrameFields(QWidget* parent, const QString& prefix, const QString& dataName, QCheckBox* extended, QCheckBox* rtr)
    : Extended(extended), Rtr(rtr) {
  Id = MakeField(parent, TCanFieldKind::StandardId, prefix + QStringLiteral("ID"), 80);
  Dlc = MakeField(parent, TCanFieldKind::DataLength, prefix + QStringLiteral("DLC"), 28);
  for (int i = 0; i < 8; ++i) Data[i] = MakeField(parent, TCanFieldKind::DataByte, prefix + dataName + QString::number(i), 32);
}

void TFrameFields::BindBoxes() {
  BindExtendedCheckBox(Extended, Id);
  BindRtrCheckBox(Rtr, Data);
}

TCanMsgProg TFrameFields::Read() const {
  TCanMsgProg msg;
  msg.CanId = Id->ReadHex();
  msg.Extended = Extended->isChecked();
  msg.RTR = Rtr->isChecked();
  msg.DLC = Dlc->ReadLength();
  for (int i = 0; i < 8; ++i) msg.Data[i] = Data[i]->ReadByte();
  return msg;
}

void TFrameFields::Show(const TCanMsgProg& msg) {
  {
    const QSignalBlocker blockExtended(Extended);
    const QSignalBlocker blockRtr(Rtr);
    Extended->setChecked(msg.Extended);
    Rtr->setChecked(msg.RTR);
  }
  ShowValues(msg, msg.Extended, msg.RTR);
}

void TFrameFields::ShowValues(const TCanMsgProg& msg, bool extended, bool rtr) {
  Id->SetKind(extended ? TCanFieldKind::ExtendedId : TCanFieldKind::StandardId);
  Id->setText(CanIdToText(extended, msg.CanId));
  Dlc->setText(QString::number(msg.DLC));
  for (int i = 0; i < 8; ++i) {
    Data[i]->setText(QStringLiteral("%1").arg(msg.Data[i], 2, 16, QLatin1Char('0')).toUpper());
    Data[i]->setEnabled(!rtr);
  }
}

void TFrameFields::PlaceInRow(QGridLayout* grid, int row, int column) const {
  grid->addWidget(Id, row, column);
  grid->addWidget(Dlc, row, column + 1);
  auto* data = new QHBoxLayout;
  data->setSpacing(2);
  for (TCanValueEdit* field : Data) data->addWidget(field);
  data->addStretch(1);
  grid->addLayout(data, row, column + 2);
}

void TFrameFields::ChainTabOrder(QWidget* next) const {
  std::vector<QWidget*> chain{Id, Extended, Dlc, Rtr};
  chain.insert(chain.end(), Data.begin(), Data.end());
  if (next) chain.push_back(next);
  for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void TFrameFields::AcceptPastedBytes() {
  for (std::size_t first = 0; first < Data.size(); ++first) {
    Data[first]->OnPaste = [this, first](const QString& text) {
      const std::vector<std::uint8_t> bytes = ParsePastedBytes(text);
      if (bytes.empty()) return;
      for (std::size_t i = 0; i < bytes.size() && first + i < Data.size(); ++i)
        Data[first + i]->setText(QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper());
    };
  }
}

bool AskDeleteAllMessages(QWidget* parent) {
  const auto answer = QMessageBox::question(parent, QStringLiteral("Confirmation"), QStringLiteral("Delete all messages?"),
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
  return answer == QMessageBox::Yes;
}
