// Transmission in the main window: the send panel, the predefined-message editor, hot keys
// from any field, the trigger log page, and answers and timer rows on the simulator's bus.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeView>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/MainPages.h"
#include "app/SimWindowFixture.h"
#include "model/CandumpLog.h"
#include "platform/FtD2xx.h"
#include "storage/ProjectDocument.h"
#include "support/PtyAdapter.h"
#include "support/SimProcess.h"
#include "transmit/HotKey.h"
#include "transmit/PredefinedMessagePage.h"
#include "transmit/SendMessagePanel.h"
#include "transmit/TriggerLogPage.h"

namespace {

namespace fs = std::filesystem;

struct TransmitWindowFixture : SimWindowFixture {
  TPredefinedMessagePage& Page() { return *window->PredefinedMessagePage; }
  TPredefinedMessageList& List() { return window->PredefinedMessages(); }
  static void Type(QWidget* field, const QString& text) {
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    QTest::keyClicks(field, text);
  }
};

}  // namespace

// --- send panel ----------------------------------------------------------------------------------

TEST_F(TransmitWindowFixture, SendWithoutDeviceEntersTheFrameAndCountsTheFailure) {
  TfCANUSBMain& w = Open();
  ShowActive();
  TSendMessagePanel& panel = *w.SendMessagePanel;
  EXPECT_EQ(panel.parentWidget(), w.Pages()->SendMessageArea());
  Type(panel.Fields().Id, QStringLiteral("7e0"));
  panel.Fields().Dlc->setFocus();
  panel.Fields().Dlc->clear();
  QTest::mouseClick(panel.btnSendMsg, Qt::LeftButton);
  EXPECT_EQ(panel.Fields().Dlc->text(), QStringLiteral("0"));  // completed when the click took the focus

  const TIdFilterData* filter = w.Traffic().IdFilter().FindCanIdFilterDataNode(0x7E0);
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(filter->Description.ToString(), QStringLiteral("CAN ID: 7E0"));
  EXPECT_TRUE(filter->AddToLog);
  ASSERT_EQ(w.Traffic().Trace().RowCount(), 1U);
  EXPECT_FALSE(w.Traffic().Trace().Row(0).Received);
  EXPECT_EQ(w.Traffic().Trace().Row(0).Msg.DLC, 0);
  EXPECT_EQ(w.Traffic().Monitor().RowCount(), 1U);
  EXPECT_EQ(w.SendFailedPanel()->text(), QStringLiteral("Send failed: 1"));
  EXPECT_FALSE(w.SendFailedPanel()->isHidden());
  EXPECT_EQ(w.StatusPanel(5)->text(), QStringLiteral("Tarvell - Ferrolux")) << "the panel's own text stays";
  QTest::mouseClick(panel.btnSendMsg, Qt::LeftButton);
  EXPECT_EQ(w.SendFailedPanel()->text(), QStringLiteral("Send failed: 2"));
}

// --- predefined-message editor ---------------------------------------------------------------------

TEST_F(TransmitWindowFixture, EditorShowsEveryStoredFieldWithoutTheBoxResetsOverwritingThem) {
  TfCANUSBMain& w = Open();
  ShowActive();
  w.PageControl1->setCurrentIndex(TMainPages::pgPredefinedMessages);
  EXPECT_EQ(w.Pages()->tabText(TMainPages::pgPredefinedMessages), QStringLiteral("Predefined Messages / Trigger"));
  EXPECT_FALSE(Page().panelEditPredefined->isVisibleTo(&Page()));
  EXPECT_FALSE(Page().actionPredefinedMessageDelete->isEnabled());
  EXPECT_EQ(Page().nbPredefinedMsgType->currentIndex(), 0);
  EXPECT_EQ(Page().hkTrigger->text(), QStringLiteral("Alt+A"));

  TPredefinedMessageData stored;
  stored.TriggerType = 2;
  stored.Period = 321;
  stored.Message.CanId = 0x1ABCDEF;
  stored.Message.Extended = true;
  stored.Message.RTR = true;
  stored.Message.DLC = 5;
  stored.Message.Data = {1, 2, 3, 4, 5, 6, 7, 8};
  stored.TriggerCode.CanId = 0x18DAF110;
  stored.TriggerCode.Extended = true;
  stored.TriggerCode.DLC = 2;
  stored.TriggerCode.Data = {0xA1, 0xB2, 0, 0, 0, 0, 0, 0};
  stored.TriggerMask.CanId = 0xFF;
  stored.TriggerMask.Data = {0x0F, 0, 0, 0, 0, 0, 0, 0};
  stored.HotKey = HotKeyBits::Ctrl | 0x74;  // Ctrl+F5
  stored.LogMessage = 1;
  stored.LogText.Set(QStringLiteral("sent"));
  stored.Description.Set(QStringLiteral("stored row"));
  List().BeginLoad();
  List().AppendLoadedRow(&stored, TRowState::CheckBox(false));
  List().AppendLoadedRow(&stored, TRowState::CheckBox(false));
  List().EndLoad();
  Page().ListReplaced();
  ASSERT_TRUE(Page().panelEditPredefined->isVisibleTo(&Page()));
  Page().vstPredefinedMessages()->setCurrentIndex(List().Model().index(1, 0));

  TFrameFields& msg = Page().MessageFields();
  EXPECT_EQ(Page().cbTriggerType->currentText(), QStringLiteral("Hot Key"));
  EXPECT_EQ(Page().nbPredefinedMsgType->currentIndex(), TPredefinedMessagePage::pgHotKey);
  EXPECT_EQ(msg.Id->text(), QStringLiteral("01ABCDEF"));
  EXPECT_EQ(msg.Id->MaxLength(), 8);
  EXPECT_TRUE(Page().cbPerdefinedRTR->isChecked());
  EXPECT_EQ(msg.Data[2]->text(), QStringLiteral("03"));  // shown, not reset by the RTR box
  EXPECT_FALSE(msg.Data[2]->isEnabled());
  EXPECT_EQ(msg.Dlc->text(), QStringLiteral("5"));
  EXPECT_EQ(Page().seTransmitMsgPeriod->value(), 321);
  EXPECT_EQ(Page().TriggerCodeFields().Id->text(), QStringLiteral("18DAF110"));
  EXPECT_EQ(Page().TriggerMaskFields().Id->text(), QStringLiteral("000000FF"));
  EXPECT_TRUE(Page().cbTriggerExtended->isChecked());
  EXPECT_EQ(Page().TriggerCodeFields().Data[1]->text(), QStringLiteral("B2"));
  EXPECT_EQ(Page().TriggerMaskFields().Data[0]->text(), QStringLiteral("0F"));
  EXPECT_EQ(Page().hkTrigger->text(), QStringLiteral("Ctrl+F5"));
  EXPECT_TRUE(Page().cbTriggerLogMessage->isChecked());
  EXPECT_EQ(Page().edTriggerLogMessage->text(), QStringLiteral("sent"));
  EXPECT_EQ(Page().edTransmitMsgDescription->text(), QStringLiteral("stored row"));

  // Switching the type only switches the page; "Apply" as a Timer row keeps the trigger.
  Page().cbTriggerType->setCurrentIndex(0);
  EXPECT_EQ(Page().nbPredefinedMsgType->currentIndex(), TPredefinedMessagePage::pgTimer);
  EXPECT_EQ(List().Row(1).TriggerType, 2);
  w.Project().SetChanged(false);
  QTest::mouseClick(Page().btnTransmitMsgApply, Qt::LeftButton);
  const TPredefinedMessageData& applied = List().Row(1);
  EXPECT_EQ(applied.TriggerType, 0);
  EXPECT_EQ(applied.Message.CanId, 0x1ABCDEF);
  EXPECT_EQ(applied.Message.Data[2], 3);
  EXPECT_EQ(applied.TriggerCode.CanId, 0x18DAF110);
  EXPECT_EQ(applied.TriggerMask.Data[0], 0x0F);
  EXPECT_EQ(applied.HotKey, stored.HotKey);
  EXPECT_EQ(List().Model().index(1, 1).data().toString(), QStringLiteral("321 ms"));
  EXPECT_TRUE(w.Project().Changed());

  // The box resets do happen on a click.
  Page().cbTriggerRTR->click();
  EXPECT_EQ(Page().TriggerMaskFields().Data[0]->text(), QStringLiteral("00"));
  EXPECT_FALSE(Page().TriggerMaskFields().Data[0]->isEnabled());
}

TEST_F(TransmitWindowFixture, HotKeysFireWhileTypingInAnyFieldAndTheKeyStillReachesIt) {
  TfCANUSBMain& w = Open();
  ShowActive();
  w.PageControl1->setCurrentIndex(TMainPages::pgPredefinedMessages);
  Page().actionPredefinedMessageAdd->trigger();
  Page().cbTriggerType->setCurrentIndex(2);
  Page().hkTrigger->setFocus();
  QTest::keyClick(Page().hkTrigger, Qt::Key_F2, Qt::ShiftModifier);
  EXPECT_EQ(Page().hkTrigger->text(), QStringLiteral("Shift+F2"));
  QTest::keyClick(Page().hkTrigger, Qt::Key_Adiaeresis);  // no code: refused
  EXPECT_EQ(Page().hkTrigger->text(), QStringLiteral("Shift+F2"));
  Type(Page().MessageFields().Id, QStringLiteral("321"));
  Page().cbTriggerLogMessage->setChecked(true);
  Type(Page().edTriggerLogMessage, QStringLiteral("hot"));
  QTest::mouseClick(Page().btnTransmitMsgApply, Qt::LeftButton);
  List().SetRowChecked(0, true);
  ASSERT_EQ(List().Row(0).HotKey, 0x2071);

  Type(Page().edTransmitMsgDescription, QStringLiteral("ab"));
  QTest::keyClick(Page().edTransmitMsgDescription, Qt::Key_F2, Qt::ShiftModifier);
  QTest::keyClicks(Page().edTransmitMsgDescription, QStringLiteral("c"));
  EXPECT_EQ(Page().edTransmitMsgDescription->text(), QStringLiteral("abc"));
  Page().hkTrigger->setFocus();
  QTest::keyClick(Page().hkTrigger, Qt::Key_F2, Qt::ShiftModifier);  // also in the hot-key field
  ASSERT_EQ(w.Traffic().Trace().RowCount(), 2U);
  EXPECT_EQ(w.Traffic().Trace().Row(0).Msg.CanId, 0x321);
  EXPECT_EQ(w.TriggerLog().RowCount(), 2U);
  EXPECT_EQ(w.TriggerLog().Model().index(0, 1).data().toString(), QStringLiteral("hot"));
}

TEST_F(TransmitWindowFixture, DeleteAllAndClearLogAskAndOnlyYesDeletes) {
  TfCANUSBMain& w = Open();
  ShowActive();
  Page().actionPredefinedMessageAdd->trigger();
  Page().actionPredefinedMessageAdd->trigger();
  w.TriggerLog().AddTriggerLogEntry(QStringLiteral("x"));
  w.Project().SetChanged(false);
  QString text, caption;
  for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Cancel}) {
    QPointer<QTimer> driver = AnswerNextMessageBox(answer, &text, &caption);
    w.TriggerLogPage->actionClearTriggerLog->trigger();
    delete driver.data();
    EXPECT_EQ(text, QStringLiteral("Delete all messages?"));
    EXPECT_EQ(caption, QStringLiteral("Confirmation"));
    driver = AnswerNextMessageBox(answer);
    Page().actionPredefinedMessagesDeleteAll->trigger();
    delete driver.data();
  }
  EXPECT_EQ(w.TriggerLog().RowCount(), 1U);
  EXPECT_EQ(List().RowCount(), 2U);
  EXPECT_FALSE(w.Project().Changed());
  QPointer<QTimer> driver = AnswerNextMessageBox(QMessageBox::Yes);
  Page().actionPredefinedMessagesDeleteAll->trigger();
  delete driver.data();
  EXPECT_EQ(List().RowCount(), 0U);
  EXPECT_TRUE(w.Project().Changed());
  EXPECT_FALSE(Page().actionPredefinedMessagesDeleteAll->isEnabled());
  EXPECT_FALSE(Page().panelEditPredefined->isVisible());
  EXPECT_EQ(w.TriggerLogPage->actionExportTriggerLog->toolTip(), QStringLiteral("Export trigger log (Ctrl+E)"));
  EXPECT_EQ(w.TriggerLogPage->actionPrintTriggerLog->text(), QStringLiteral("Print"));
}

// --- on the simulator's bus ---------------------------------------------------------------------

TEST_F(TransmitWindowFixture, AnswerToTheDiagnosticRequestAndATimerRowReachTheSimulator) {
  const std::string record = runtime.Path() + "/sent.log";
  TSimProcess sim(FERROLUX_SIM_PATH, runtime.Path(), {"--serial", "SIM00001", "--record", record});
  ASSERT_TRUE(sim.WaitForAnnouncement("SIM00001"));
  TfCANUSBMain& w = Open();
  ShowActive();
  w.PageControl1->setCurrentIndex(TMainPages::pgPredefinedMessages);

  // Answers the demo bus's "tester present" request 6F1#40023E00.
  Page().actionPredefinedMessageAdd->trigger();
  Page().cbTriggerType->setCurrentIndex(1);
  Type(Page().MessageFields().Id, QStringLiteral("7A0"));
  Type(Page().MessageFields().Dlc, QStringLiteral("2"));
  Type(Page().MessageFields().Data[0], QStringLiteral("AB"));
  Type(Page().TriggerCodeFields().Id, QStringLiteral("6F1"));
  Type(Page().TriggerCodeFields().Dlc, QStringLiteral("4"));
  const char* request[] = {"40", "02", "3E", "00"};
  for (int i = 0; i < 4; ++i) Type(Page().TriggerCodeFields().Data[i], QString::fromLatin1(request[i]));
  Page().cbTriggerLogMessage->setChecked(true);
  Type(Page().edTriggerLogMessage, QStringLiteral("tester present answered"));
  QTest::mouseClick(Page().btnTransmitMsgApply, Qt::LeftButton);
  List().SetRowChecked(0, true);
  // A timer row of 50 ms.
  Page().actionPredefinedMessageAdd->trigger();
  Type(Page().MessageFields().Id, QStringLiteral("7B0"));
  Page().seTransmitMsgPeriod->setValue(50);
  QTest::mouseClick(Page().btnTransmitMsgApply, Qt::LeftButton);
  List().SetRowChecked(1, true);

  w.ConnectPopupMenu->popup(QPoint(0, 0));
  w.ConnectPopupMenu->hide();
  QAction* item = w.ConnectPopupMenu->findChild<QAction*>(QStringLiteral("ItemUSBAC0"));
  ASSERT_NE(item, nullptr);
  item->trigger();
  ASSERT_TRUE(w.Adapter().Connected());
  EXPECT_TRUE(w.SendFailedPanel()->isHidden());

  const auto recorded = [&] {
    std::ifstream in(record);
    return ReadCandumpLog(in).Frames;
  };
  const auto count = [&](std::int64_t id) {
    int n = 0;
    for (const TCandumpFrame& f : recorded()) n += f.Msg.CanId == id;
    return n;
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return count(0x7A0) >= 1 && count(0x7B0) >= 5; }, 10000));
  w.actionDisconnectExecute();
  EXPECT_EQ(count(0x7A0), 1);
  for (const TCandumpFrame& f : recorded())
    if (f.Msg.CanId == 0x7A0) {
      EXPECT_EQ(f.Msg.Data[0], 0xAB);
    }
  ASSERT_GE(w.TriggerLog().RowCount(), 1U);
  EXPECT_EQ(w.TriggerLog().Model().index(0, 1).data().toString(), QStringLiteral("tester present answered"));
  // The answer is in the trace after the request, as a sent frame.
  const TTraceList& trace = w.Traffic().Trace();
  std::size_t requestRow = trace.RowCount(), answerRow = trace.RowCount();
  for (std::size_t i = 0; i < trace.RowCount(); ++i) {
    if (requestRow == trace.RowCount() && trace.Row(i).Msg.CanId == 0x6F1) requestRow = i;
    if (answerRow == trace.RowCount() && trace.Row(i).Msg.CanId == 0x7A0) answerRow = i;
  }
  ASSERT_LT(answerRow, trace.RowCount());
  EXPECT_LT(requestRow, answerRow);
  EXPECT_FALSE(trace.Row(answerRow).Received);
  EXPECT_TRUE(w.SendFailedPanel()->isHidden()) << "every send reached the adapter";
}
