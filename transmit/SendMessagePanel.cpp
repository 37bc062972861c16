#include "transmit/SendMessagePanel.h"

#include <QGridLayout>
#include <QLabel>

#include "lists/ListView.h"
#include "model/CanText.h"
#include "platform/UserMessage.h"

TSendMessagePanel::TSendMessagePanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("panelSendMessage"));
  cbSendMsg_EXT = new QCheckBox(QStringLiteral("Extended"), this);
  cbSendMsg_EXT->setObjectName(QStringLiteral("cbSendMsg_EXT"));
  cbSendMsg_RTR = new QCheckBox(QStringLiteral("RTR"), this);
  cbSendMsg_RTR->setObjectName(QStringLiteral("cbSendMsg_RTR"));
  FFields = std::make_unique<TFrameFields>(this, QStringLiteral("edSendMsg_"), QStringLiteral("Byte"), cbSendMsg_EXT, cbSendMsg_RTR);
  FFields->BindBoxes();
  btnSendMsg = new QPushButton(QStringLiteral("Send"), this);
  btnSendMsg->setObjectName(QStringLiteral("btnSendMsg"));

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 2, 4, 2);
  grid->addWidget(new QLabel(QStringLiteral("CAN ID"), this), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("DLC"), this), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Data"), this), 0, 2);
  FFields->PlaceInRow(grid, 1, 0);
  grid->addWidget(btnSendMsg, 1, 3);
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(cbSendMsg_EXT);
  boxes->addWidget(cbSendMsg_RTR);
  boxes->addStretch(1);
  grid->addLayout(boxes, 2, 0, 1, 3);
  grid->setColumnStretch(2, 1);

  FFields->ChainTabOrder(btnSendMsg);
  FFields->AcceptPastedBytes();

  connect(btnSendMsg, &QPushButton::clicked, this, [this] { RunUserAction([this] { btnSendMsgClick(); }); });
}

// The click took the focus, so the fields have been completed already.
void TSendMessagePanel::btnSendMsgClick() {
  const TCanMsgProg msg = FFields->Read();
  if (const QString refusal = FrameRefusal(msg); !refusal.isEmpty()) {
    ShowUserMessage(TUserMessageKind::Error, QStringLiteral("Error"), refusal);
    return;
  }
  if (OnSend) OnSend(msg);
}
