// The window without a mouse: every page command from the list's context menu and its keys,
// the frame editors' tab order and pasted byte strings; and what the window must not do by
// itself (grow, send a frame the bus cannot carry).
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMenu>
#include <QStatusBar>
#include <QTreeView>
#include <QUrl>

#include "MainWindowFixture.h"
#include "app/MainPages.h"
#include "filters/HwFilterPage.h"
#include "filters/IdFilterPage.h"
#include "platform/UserMessage.h"
#include "transmit/HotKey.h"
#include "transmit/PredefinedMessagePage.h"
#include "transmit/SendMessagePanel.h"
#include "transmit/TriggerLogPage.h"
#include "views/MonitorPage.h"
#include "views/TracePage.h"

namespace {

struct KeyboardFixture : MainWindowFixture {
  void SetUp() override {
    MainWindowFixture::SetUp();
    Previous = SetUserMessageHandler([this](TUserMessageKind, const QString&, const QString& text) { Messages << text; });
    Open();
    ShowActive();
  }
  void TearDown() override {
    SetUserMessageHandler(Previous);
    MainWindowFixture::TearDown();
  }
  QTreeView* List(const char* name) { return window->findChild<QTreeView*>(QString::fromLatin1(name)); }
  void ShowPage(TMainPages::TPage page) { window->Pages()->setCurrentIndex(page); }
  // The keyboard focus on `widget` of the active window, where a user's keys go.
  void Focus(QWidget* widget) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    widget->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), widget);
  }

  // Opens the list's context menu with the Menu key and reads its entries ("-" a separator,
  // "caption>" a submenu), then closes it.
  QStringList ContextMenu(QTreeView* list) {
    list->setFocus();
    QStringList entries;
    QTimer::singleShot(0, list, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      for (QAction* a : menu->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text() + (a->menu() ? QStringLiteral(">") : QString()) +
                                                                   (a->isEnabled() ? QString() : QStringLiteral("(off)")));
      menu->close();
    });
    // What the Menu key or Shift+F10 becomes on the way to the focused list.
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(10, 10), list->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(list, &event);
    return entries;
  }

  QStringList Messages;
  TUserMessageHandler Previous;
};

}  // namespace

TEST_F(KeyboardFixture, EveryPageCommandIsInItsListsContextMenuAndTheUsualKeysReachThem) {
  TfCANUSBMain& w = *window;
  ShowPage(TMainPages::pgMonitor);
  EXPECT_EQ(ContextMenu(List("vstDataMonitor")),
            (QStringList{"Color Filter", "Show CAN ID details", "-", "Clear", "-", "Print", "Export Data"}));
  ShowPage(TMainPages::pgTrace);
  EXPECT_EQ(ContextMenu(List("vstDataTrace")),
            (QStringList{"Color Filter", "-", "Clear", "-", "Print", "Export Data", "Import log", "-", "Auto scroll"}));
  ShowPage(TMainPages::pgIdFilter);
  EXPECT_EQ(ContextMenu(List("vstIdFilter")),
            (QStringList{"Add CAN ID to list", "CAN ID Filter Color", "Check/Uncheck all items", "-", "Remove selected CAN ID",
                         "Clear filter list"}));
  ShowPage(TMainPages::pgHardwareFilter);
  const QStringList hw = ContextMenu(List("vstHWIdFilter"));
  ASSERT_FALSE(hw.isEmpty());
  EXPECT_EQ(hw.first(), QStringLiteral("Add new filter to list>"));
  EXPECT_TRUE(hw.contains(QStringLiteral("Open")) && hw.contains(QStringLiteral("Save"))) << hw.join(',').toStdString();
  ShowPage(TMainPages::pgPredefinedMessages);
  const QStringList predefined = ContextMenu(List("vstPredefinedMessages"));
  EXPECT_EQ(predefined.first(), QStringLiteral("Add new message"));
  EXPECT_TRUE(predefined.contains(QStringLiteral("Open")) && predefined.contains(QStringLiteral("Save(off)")))
      << predefined.join(',').toStdString();
  ShowPage(TMainPages::pgTriggerLog);
  EXPECT_EQ(ContextMenu(List("vstTriggerLogData")), (QStringList{"Clear", "-", "Export", "Print"}));

  // Keys: Insert and Delete on the software filter, with the hints naming them.
  ShowPage(TMainPages::pgIdFilter);
  Focus(List("vstIdFilter"));
  EXPECT_EQ(w.IdFilterPage->actionAddIdToFilterList->toolTip(), QStringLiteral("Add CAN ID to list (Ins)"));
  QTest::keyClick(List("vstIdFilter"), Qt::Key_Insert);
  EXPECT_TRUE(w.Traffic().IdFilter().AddMode()) << "Insert starts adding a row";

  // Ctrl+E exports the monitor, as the export button does: its dialog comes up.
  w.Traffic().Monitor().AddToMonitor(TCanMsgProg{}, true);
  w.MonitorPage->actionExportMonitorData->setEnabled(true);
  ShowPage(TMainPages::pgMonitor);
  Focus(List("vstDataMonitor"));
  QString title;
  QPointer<QTimer> cancel = OnNextModal([&](QWidget* modal) {
    title = modal->windowTitle();
    static_cast<QDialog*>(modal)->reject();
  });
  QTest::keyClick(List("vstDataMonitor"), Qt::Key_E, Qt::ControlModifier);
  delete cancel.data();
  EXPECT_EQ(title, QStringLiteral("Export Data"));
}

// A hot key the user gave a predefined row is the row's, even where a page has a shortcut.
TEST_F(KeyboardFixture, AHotKeyOfAPredefinedRowWinsOverAPageShortcut) {
  TfCANUSBMain& w = *window;
  int sent = 0;
  w.Traffic().Monitor().AddToMonitor(TCanMsgProg{}, true);
  w.MonitorPage->actionExportMonitorData->setEnabled(true);
  TPredefinedMessageData row;
  row.TriggerType = static_cast<std::uint8_t>(TTriggerType::HotKey);
  row.HotKey = HotKeyFromKeyCombination(QKeyCombination(Qt::ControlModifier, Qt::Key_E));
  row.Enabled = 1;
  row.Message.CanId = 0x321;
  w.PredefinedMessages().BeginLoad();
  w.PredefinedMessages().AppendLoadedRow(&row, TRowState::CheckBox(true));
  w.PredefinedMessages().EndLoad();
  QObject::connect(&w.Traffic().Trace().Model(), &QAbstractItemModel::rowsInserted, [&] { ++sent; });
  ShowPage(TMainPages::pgMonitor);
  Focus(List("vstDataMonitor"));
  QPointer<QTimer> unexpected = OnNextModal([](QWidget* modal) {
    ADD_FAILURE() << "the export ran: " << modal->windowTitle().toStdString();
    static_cast<QDialog*>(modal)->reject();
  });
  QTest::keyClick(List("vstDataMonitor"), Qt::Key_E, Qt::ControlModifier);
  QTest::qWait(50);
  delete unexpected.data();
  ASSERT_EQ(w.Traffic().Trace().RowCount(), 1u) << "the row was sent (and entered, with no adapter open)";
  EXPECT_EQ(w.Traffic().Trace().Row(0).Msg.CanId, 0x321);
}

TEST_F(KeyboardFixture, TabRunsIdentifierExtendedLengthRtrDataThenTheButton) {
  TfCANUSBMain& w = *window;
  TFrameFields& fields = w.SendMessagePanel->Fields();
  fields.Id->setFocus();
  QStringList order{QApplication::focusWidget()->objectName()};
  for (int i = 0; i < 12; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    order << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(order, (QStringList{"edSendMsg_ID", "cbSendMsg_EXT", "edSendMsg_DLC", "cbSendMsg_RTR", "edSendMsg_Byte0",
                                "edSendMsg_Byte1", "edSendMsg_Byte2", "edSendMsg_Byte3", "edSendMsg_Byte4", "edSendMsg_Byte5",
                                "edSendMsg_Byte6", "edSendMsg_Byte7", "btnSendMsg"}));

  ShowPage(TMainPages::pgPredefinedMessages);
  w.PredefinedMessagePage->actionPredefinedMessageAdd->trigger();
  auto* id = w.PredefinedMessagePage->findChild<TCanValueEdit*>(QStringLiteral("edPerdefinedMsg_ID"));
  ASSERT_NE(id, nullptr);
  id->setFocus();
  QStringList editor{QApplication::focusWidget()->objectName()};
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    editor << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(editor, (QStringList{"edPerdefinedMsg_ID", "cbPerdefinedExtened", "edPerdefinedMsg_DLC", "cbPerdefinedRTR",
                                 "edPerdefinedMsg_Bit0"}));
}

TEST_F(KeyboardFixture, APastedByteStringFillsTheDataFieldsFromTheOnePastedInto) {
  TFrameFields& fields = window->SendMessagePanel->Fields();
  const auto bytes = [&] {
    QStringList texts;
    for (TCanValueEdit* field : fields.Data) texts << field->text();
    return texts.join(' ');
  };
  const auto paste = [&](int field, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    fields.Data[static_cast<std::size_t>(field)]->setFocus();
    QTest::keyClick(fields.Data[static_cast<std::size_t>(field)], Qt::Key_V, Qt::ControlModifier);
  };
  paste(1, QStringLiteral("11 22 33"));
  EXPECT_EQ(bytes(), QStringLiteral("00 11 22 33 00 00 00 00"));
  paste(6, QStringLiteral("0xAA,0xbb,0xCC"));
  EXPECT_EQ(bytes(), QStringLiteral("00 11 22 33 00 00 AA BB")) << "at most to byte 7";
  paste(0, QStringLiteral("1122334455667788"));
  EXPECT_EQ(bytes(), QStringLiteral("11 22 33 44 55 66 77 88"));
  paste(0, QStringLiteral("99 9G"));
  EXPECT_EQ(bytes(), QStringLiteral("11 22 33 44 55 66 77 88")) << "a character that is not hex changes nothing";
}

// 847 pixels wide before, the same after a row that the hardware-filter editor shows.
TEST_F(KeyboardFixture, AddingAHardwareFilterRowDoesNotWidenTheWindow) {
  TfCANUSBMain& w = *window;
  ShowPage(TMainPages::pgHardwareFilter);
  QTest::qWait(20);
  const int before = w.width();
  w.HwFilterPage->actionAddHWFilterStandard->trigger();
  w.HwFilterPage->actionAddHWFilterRange->trigger();
  QTest::qWait(50);
  EXPECT_EQ(w.width(), before);
  EXPECT_LE(w.minimumSizeHint().width(), before) << "no page asks for more room than the window has";
}

TEST_F(KeyboardFixture, AStandardIdentifierAbove7FFIsRefusedAndNothingIsSentOrEntered) {
  TfCANUSBMain& w = *window;
  TFrameFields& fields = w.SendMessagePanel->Fields();
  fields.Id->setText(QStringLiteral("800"));
  QTest::mouseClick(w.SendMessagePanel->btnSendMsg, Qt::LeftButton);
  EXPECT_EQ(Messages, QStringList{"A standard CAN ID is at most 7FF."});
  EXPECT_EQ(w.Traffic().Trace().RowCount(), 0u);
  EXPECT_EQ(w.Traffic().Monitor().RowCount(), 0u);
  EXPECT_TRUE(w.SendFailedPanel()->isHidden()) << "not a failed send: nothing was sent";

  // The same for a predefined row when it is applied: the row keeps what it had.
  ShowPage(TMainPages::pgPredefinedMessages);
  w.PredefinedMessagePage->actionPredefinedMessageAdd->trigger();
  const std::int64_t before = w.PredefinedMessages().Row(0).Message.CanId;
  w.PredefinedMessagePage->findChild<TCanValueEdit*>(QStringLiteral("edPerdefinedMsg_ID"))->setText(QStringLiteral("FFF"));
  w.PredefinedMessagePage->btnTransmitMsgApply->click();
  EXPECT_EQ(Messages.size(), 2);
  EXPECT_EQ(w.PredefinedMessages().Row(0).Message.CanId, before);
}
