#pragma once
// The "Send Message" panel under the monitor: one frame typed by hand and sent with "Send".

#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>

#include "transmit/FrameFields.h"

class TSendMessagePanel : public QWidget {
  Q_OBJECT
 public:
  explicit TSendMessagePanel(QWidget* parent = nullptr);

  // Gets the assembled frame on every click of "Send".
  std::function<void(const TCanMsgProg&)> OnSend;

  QCheckBox* cbSendMsg_EXT = nullptr;
  QCheckBox* cbSendMsg_RTR = nullptr;
  QPushButton* btnSendMsg = nullptr;
  [[nodiscard]] TFrameFields& Fields() { return *FFields; }

  void btnSendMsgClick();

 private:
  std::unique_ptr<TFrameFields> FFields;
};
