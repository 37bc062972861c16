// The window with predefined messages, answers and log entries, its transmission pages
// saved as pictures into the folder given; for looking at them, not a test.

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeView>

#include "app/CANUSBMain.h"
#include "app/MainPages.h"
#include "platform/Registry.h"
#include "transmit/HotKey.h"
#include "transmit/PredefinedMessagePage.h"
#include "transmit/SendMessagePanel.h"

namespace {
TCanMsgProg Frame(std::int64_t id, std::initializer_list<std::uint8_t> data) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.DLC = static_cast<std::int32_t>(data.size());
  std::size_t i = 0;
  for (std::uint8_t b : data) msg.Data[i++] = b;
  return msg;
}

void Save(QWidget& window, const QString& dir, const QString& name) {
  QApplication::processEvents();
  window.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
  {
    TRegistry reg;
    reg.OpenKey(QStringLiteral("Software\\Tarvell\\Ferrolux"), true);
    reg.WriteInteger(QStringLiteral("ShowWarningMessage"), 0);
  }
  TfCANUSBMain window;
  window.resize(1000, 800);
  window.show();
  TPredefinedMessageList& list = window.PredefinedMessages();

  TPredefinedEdit timer;
  timer.Description = QStringLiteral("Keep-alive");
  timer.Message = Frame(0x321, {0x01, 0x02});
  timer.Period = 100;
  list.ApplyEdit(list.AddMessage(), timer);
  TPredefinedEdit answer;
  answer.TriggerType = static_cast<std::uint8_t>(TTriggerType::Message);
  answer.Description = QStringLiteral("Tester present answer");
  answer.Message = Frame(0x640, {0xF1, 0x02, 0x7E, 0x00});
  answer.TriggerCode = Frame(0x6F1, {0x40, 0x02, 0x3E, 0x00});
  answer.LogMessage = true;
  answer.LogText = QStringLiteral("tester present answered");
  list.ApplyEdit(list.AddMessage(), answer);
  TPredefinedEdit hotKey;
  hotKey.TriggerType = static_cast<std::uint8_t>(TTriggerType::HotKey);
  hotKey.Description = QStringLiteral("Reset request");
  hotKey.Message = Frame(0x7E0, {0x02, 0x11, 0x01});
  hotKey.HotKey = kDefaultHotKey;
  hotKey.LogMessage = true;
  hotKey.LogText = QStringLiteral("reset sent by hot key");
  list.ApplyEdit(list.AddMessage(), hotKey);
  for (std::size_t row = 0; row < 3; ++row) list.SetRowChecked(row, true);

  // A few answers and a hot key, as they would happen on the bus.
  for (int i = 0; i < 3; ++i) {
    window.Traffic().BeginDrain();
    window.Traffic().DispatchReceivedMessage(Frame(0x6F1, {0x40, 0x02, 0x3E, 0x00}));
    window.Traffic().EndDrain();
  }
  list.SendHotKeyMessages(kDefaultHotKey);
  window.SendMessagePanel->btnSendMsg->click();

  window.PageControl1->setCurrentIndex(TMainPages::pgMonitor);
  Save(window, out, QStringLiteral("monitor"));
  window.PageControl1->setCurrentIndex(TMainPages::pgPredefinedMessages);
  const char* pages[] = {"predefined-timer", "predefined-trigger", "predefined-hotkey"};
  for (int row = 0; row < 3; ++row) {
    window.PredefinedMessagePage->vstPredefinedMessages()->setCurrentIndex(list.Model().index(row, 0));
    Save(window, out, QString::fromLatin1(pages[row]));
  }
  window.PageControl1->setCurrentIndex(TMainPages::pgTriggerLog);
  Save(window, out, QStringLiteral("trigger-log"));
  return 0;
}
