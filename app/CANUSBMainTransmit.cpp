// The main window's transmission: the send panel under the monitor, the predefined messages
// with their scheduler, trigger answers and hot keys, and the trigger log.

#include <QGroupBox>
#include <QLabel>
#include <QTimer>

#include "app/CANUSBMain.h"
#include "app/MainPages.h"
#include "transmit/HotKey.h"
#include "transmit/PredefinedMessagePage.h"
#include "transmit/SendMessagePanel.h"
#include "transmit/TriggerLogPage.h"

void TfCANUSBMain::BuildTransmitPages() {
  SendMessagePanel = new TSendMessagePanel;
  TMainPages::Place(PageControl1->SendMessageArea(), SendMessagePanel);
  SendMessagePanel->OnSend = [this](const TCanMsgProg& msg) { FSender.Send(msg); };

  PredefinedMessagePage = new TPredefinedMessagePage(FPredefined);
  PageControl1->SetPage(TMainPages::pgPredefinedMessages, PredefinedMessagePage);
  TriggerLogPage = new TTriggerLogPage(FTriggerLog);
  PageControl1->SetPage(TMainPages::pgTriggerLog, TriggerLogPage);

  FTraffic.MatchTriggerMessages = [this](const TCanMsgProg& msg) { FPredefined.MatchTriggerMessages(msg); };
  HotKeyDispatch = [this](QKeyCombination shortcut) { FPredefined.SendHotKeyMessages(HotKeyFromKeyCombination(shortcut)); };
  HotKeyClaims = [this](QKeyCombination shortcut) { return FPredefined.SendsOnHotKey(HotKeyFromKeyCombination(shortcut)); };
  FSender.OnFailuresChanged = [this](int failed) { ShowFailedSends(failed); };
}

// Without an open device nothing reaches the bus, whatever the facade answers. The vendor
// library reports an accepted frame with 1, the ASCII adapters with 0.
bool TfCANUSBMain::WriteToAdapter(const TCanMsgProg& msg) {
  const std::int32_t result = CanAdapter.WriteData(msg);
  if (!CanAdapter.Connected()) return false;
  return result == (CanAdapter.Adapter() == &CanUsb ? TZelCanUsb::kWriteAccepted : CanResult::Ok);
}

// No message box: a timer row of 1 ms would bury the user in them.
void TfCANUSBMain::ShowFailedSends(int failed) {
  FSendFailedPanel->setText(SendFailedText(failed));
  FSendFailedPanel->setVisible(failed > 0);
}

void TfCANUSBMain::Timer3Timer() { FPredefined.SendDueTimerMessages(); }
