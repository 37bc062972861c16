// The predefined messages and the trigger log without a window: the rows' rules, the
// masked trigger comparison, the scheduler's due rule on an injected tick count, and the
// order of answers, log entries and views.

#include <gtest/gtest.h>

#include <QDateTime>
#include <vector>

#include "support/QtTestApp.h"
#include "transmit/FrameSender.h"
#include "transmit/HotKey.h"
#include "transmit/PredefinedMessageList.h"
#include "transmit/TriggerLogList.h"
#include "views/TrafficViews.h"

namespace {

TCanMsgProg Frame(std::int64_t id, std::initializer_list<std::uint8_t> data, bool rtr = false) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.RTR = rtr;
  msg.DLC = static_cast<std::int32_t>(data.size());
  std::size_t i = 0;
  for (std::uint8_t b : data) msg.Data[i++] = b;
  return msg;
}

// What happened, in order: "log:<text>", "send:<id>".
class TransmitFixture : public ::testing::Test {
 protected:
  TransmitFixture() {
    TestApp();
    Testers.Attach(&Predefined.Model());
    Testers.Attach(&Log.Model());
    Views.MatchTriggerMessages = [this](const TCanMsgProg& msg) { Predefined.MatchTriggerMessages(msg); };
    Log.OnContentChanged = [this] { ++LogChanges; };
    Predefined.OnContentChanged = [this] { ++ListChanges; };
  }

  // A checked row made through the editor's path.
  std::size_t AddRow(TTriggerType type, std::int64_t sendId, const QString& logText = {}) {
    const std::size_t row = Predefined.AddMessage();
    TPredefinedEdit edit;
    edit.TriggerType = static_cast<std::uint8_t>(type);
    edit.Message = Frame(sendId, {0xAA});
    edit.LogMessage = !logText.isEmpty();
    edit.LogText = logText;
    edit.Period = 0;
    Predefined.ApplyEdit(row, edit);
    Predefined.SetRowChecked(row, true);
    return row;
  }
  std::size_t AddTrigger(std::int64_t sendId, const TCanMsgProg& code, const TCanMsgProg& mask, const QString& logText = {}) {
    const std::size_t row = AddRow(TTriggerType::Message, sendId, logText);
    TPredefinedEdit edit;
    edit.TriggerType = static_cast<std::uint8_t>(TTriggerType::Message);
    edit.Message = Frame(sendId, {0xAA});
    edit.LogMessage = !logText.isEmpty();
    edit.LogText = logText;
    edit.TriggerCode = code;
    edit.TriggerMask = mask;
    Predefined.ApplyEdit(row, edit);
    return row;
  }
  std::size_t AddTimer(std::int64_t sendId, std::int32_t period) {
    const std::size_t row = AddRow(TTriggerType::Timer, sendId);
    TPredefinedEdit edit;
    edit.Message = Frame(sendId, {0xAA});
    edit.Period = period;
    Predefined.ApplyEdit(row, edit);
    return row;
  }
  void Receive(const TCanMsgProg& msg) {
    Views.BeginDrain();
    Views.DispatchReceivedMessage(msg);
    Views.EndDrain();
  }
  std::vector<std::string> TakeEvents() { return std::exchange(Events, {}); }
  static std::string Sent(std::int64_t id) { return "send:" + std::to_string(id); }

  std::uint32_t Tick = 5000;
  bool WriteAccepted = true;
  int LogChanges = 0;
  int ListChanges = 0;
  std::vector<std::string> Events;
  TModelTesters Testers;
  TTrafficViews Views{TTrafficSeams{[] { return false; }, [] { return true; }, [] {}}};
  TFrameSender Sender{{[this](const TCanMsgProg& msg) {
                         Events.push_back(Sent(msg.CanId));
                         return WriteAccepted;
                       },
                       [this](const TCanMsgProg& msg) { Views.EnterSentMessage(msg); }}};
  TTriggerLogList Log{[] { return QDateTime(QDate(2026, 3, 4), QTime(13, 5, 7, 89)); }};
  TPredefinedMessageList Predefined{{[this](const TCanMsgProg& msg) { Sender.Send(msg); },
                                     [this](const QString& text) {
                                       Events.push_back("log:" + text.toStdString());
                                       Log.AddTriggerLogEntry(text);
                                     },
                                     [this] { return Tick; }}};
};

}  // namespace

// --- the masked comparison -------------------------------------------------------------------

TEST(MatchCanMsgTest, Table) {
  const TCanMsgProg zero;
  TCanMsgProg idMask;
  idMask.CanId = 0x00F;
  TCanMsgProg lengthFree;
  lengthFree.DLC = 0xF;
  TCanMsgProg dataMask;
  dataMask.Data = {0x0F, 0, 0, 0, 0, 0, 0, 0};
  struct Row {
    const char* what;
    TCanMsgProg received, code, mask;
    bool match;
  };
  const Row rows[] = {
      {"identical", Frame(0x100, {1, 2}), Frame(0x100, {1, 2}), zero, true},
      {"zero mask demands identical data", Frame(0x100, {1, 3}), Frame(0x100, {1, 2}), zero, false},
      {"zero mask demands identical length", Frame(0x100, {1}), Frame(0x100, {1, 2}), zero, false},
      {"id mask 00F lower end", Frame(0x100, {1, 2}), Frame(0x100, {1, 2}), idMask, true},
      {"id mask 00F upper end", Frame(0x10F, {1, 2}), Frame(0x100, {1, 2}), idMask, true},
      {"id mask 00F outside", Frame(0x110, {1, 2}), Frame(0x100, {1, 2}), idMask, false},
      {"RTR code waives the data", Frame(0x7DF, {9, 9}), Frame(0x7DF, {0, 0}, true), zero, true},
      {"RTR code still needs the length", Frame(0x7DF, {9, 9, 9}), Frame(0x7DF, {0, 0}, true), zero, false},
      {"received length 3 compares bytes 0..2 only",
       Frame(0x200, {1, 2, 3}), Frame(0x200, {1, 2, 3, 4, 5, 6, 7, 8}), lengthFree, true},
      {"data mask ignores the low nibble", Frame(0x300, {0x1A}), Frame(0x300, {0x15}), dataMask, true},
      {"data mask keeps the high nibble", Frame(0x300, {0x2A}), Frame(0x300, {0x15}), dataMask, false},
      {"received RTR flag takes no part", Frame(0x100, {1, 2}, true), Frame(0x100, {1, 2}), zero, true},
  };
  for (const Row& row : rows) EXPECT_EQ(MatchCanMsg(row.received, row.code, row.mask), row.match) << row.what;

  // The whole 64 bits of the identifier count; the extended flag does not.
  TCanMsgProg extendedCode = Frame(0x100, {});
  extendedCode.Extended = true;
  EXPECT_TRUE(MatchCanMsg(Frame(0x100, {}), extendedCode, zero));
  EXPECT_FALSE(MatchCanMsg(Frame(std::int64_t{1} << 40 | 0x100, {}), Frame(0x100, {}), zero));
  // A faulty length above 8 never reads past the data bytes.
  TCanMsgProg huge = Frame(0x100, {1, 2, 3, 4, 5, 6, 7, 8});
  huge.DLC = 200;
  TCanMsgProg hugeCode = huge;
  EXPECT_TRUE(MatchCanMsg(huge, hugeCode, zero));
}

// --- trigger answers -------------------------------------------------------------------------

using TriggerTest = TransmitFixture;

TEST_F(TriggerTest, SeveralRowsAnswerOneFrameInListOrderEachLogBeforeItsSend) {
  AddTrigger(0x7E8, Frame(0x7E0, {2, 0x10}), {}, QStringLiteral("first"));
  AddTrigger(0x7E9, Frame(0x7E0, {2, 0x10}), {}, QStringLiteral("second"));
  AddTrigger(0x7EA, Frame(0x7E1, {2, 0x10}), {});  // another trigger: silent
  TakeEvents();
  Receive(Frame(0x7E0, {2, 0x10}));
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"log:first", Sent(0x7E8), "log:second", Sent(0x7E9)}));
  // The answers are entered as sent frames next to the received one...
  EXPECT_EQ(Views.Trace().RowCount(), 3U);
  EXPECT_TRUE(Views.Trace().Row(0).Received);
  EXPECT_FALSE(Views.Trace().Row(1).Received);
  EXPECT_EQ(Views.Trace().Row(1).Msg.CanId, 0x7E8);
  ASSERT_NE(Views.IdFilter().FindCanIdFilterDataNode(0x7E9), nullptr);
  // ...and are not offered to the triggers again, even one that would match them.
  AddTrigger(0x100, Frame(0x7E8, {0xAA}), {});
  TakeEvents();
  Receive(Frame(0x7E0, {2, 0x10}));
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"log:first", Sent(0x7E8), "log:second", Sent(0x7E9)}));
  EXPECT_EQ(Log.RowCount(), 4U);
}

TEST_F(TriggerTest, OnlyCheckedEnabledMessageRowsAnswer) {
  const std::size_t row = AddTrigger(0x7E8, Frame(0x7E0, {}), {});
  AddRow(TTriggerType::Timer, 0x555);  // a Timer row does not answer frames
  Predefined.SetRowChecked(row, false);
  TakeEvents();
  Receive(Frame(0x7E0, {}));
  EXPECT_TRUE(TakeEvents().empty());
  Predefined.SetRowChecked(row, true);
  Receive(Frame(0x7E0, {}));
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Sent(0x7E8)}));
}

TEST_F(TriggerTest, HotKeyRowsWithTheSameKeyAllSendAndOtherKeysNothing) {
  for (std::int64_t id : {0x10, 0x11}) {
    const std::size_t row = AddRow(TTriggerType::HotKey, id, QStringLiteral("hk"));
    TPredefinedEdit edit;
    edit.TriggerType = static_cast<std::uint8_t>(TTriggerType::HotKey);
    edit.Message = Frame(id, {});
    edit.HotKey = kDefaultHotKey;
    edit.LogMessage = true;
    edit.LogText = QStringLiteral("hk");
    Predefined.ApplyEdit(row, edit);
  }
  TakeEvents();
  Predefined.SendHotKeyMessages(HotKeyFromKeyCombination(QKeyCombination(Qt::AltModifier, Qt::Key_A)));
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"log:hk", Sent(0x10), "log:hk", Sent(0x11)}));
  Predefined.SendHotKeyMessages(HotKeyFromKeyCombination(QKeyCombination(Qt::NoModifier, Qt::Key_A)));
  Predefined.SendHotKeyMessages(0);
  EXPECT_TRUE(TakeEvents().empty());
}

// --- the scheduler ---------------------------------------------------------------------------

using SchedulerTest = TransmitFixture;

TEST_F(SchedulerTest, FreshRowCheckedWithoutApplySendsAnEmptyFrameOnEveryTick) {
  const std::size_t row = Predefined.AddMessage();
  Predefined.SetRowChecked(row, true);
  for (int i = 0; i < 3; ++i) Predefined.SendDueTimerMessages();
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Sent(0), Sent(0), Sent(0)}));
  EXPECT_EQ(Views.Trace().Row(0).Msg.DLC, 0);
}

TEST_F(SchedulerTest, AppliedPeriodStartsOnePeriodAfterApplyAndKeepsItsPhase) {
  AddTimer(0x100, 1000);  // applied at 5000
  TakeEvents();
  Tick = 5999;
  Predefined.SendDueTimerMessages();
  EXPECT_TRUE(TakeEvents().empty());
  Tick = 6000;
  Predefined.SendDueTimerMessages();
  Predefined.SendDueTimerMessages();
  EXPECT_EQ(TakeEvents().size(), 1U);
  Tick = 7003;  // a late tick: the next period counts from the actual send
  Predefined.SendDueTimerMessages();
  Tick = 8002;
  Predefined.SendDueTimerMessages();
  EXPECT_EQ(TakeEvents().size(), 1U);
  EXPECT_EQ(Predefined.Row(0).LastSendTick, 7003);
}

TEST_F(SchedulerTest, StoredTickAheadOfTheCountWaitsUntilPassedByOnePeriodAndApplyRestarts) {
  const std::size_t row = AddTimer(0x100, 100);
  TPredefinedMessageData saved = Predefined.Row(row);
  saved.LastSendTick = 90'000;  // saved after a longer uptime
  Predefined.BeginLoad();
  Predefined.AppendLoadedRow(&saved, TRowState::CheckBox(true));
  Predefined.EndLoad();
  TakeEvents();
  for (std::uint32_t t : {5000U, 60'000U, 90'099U}) {
    Tick = t;
    Predefined.SendDueTimerMessages();
  }
  EXPECT_TRUE(TakeEvents().empty());
  Tick = 90'100;
  Predefined.SendDueTimerMessages();
  EXPECT_EQ(TakeEvents().size(), 1U);

  Predefined.BeginLoad();
  Predefined.AppendLoadedRow(&saved, TRowState::CheckBox(true));
  Predefined.EndLoad();
  Tick = 5000;  // a wrap of the count, seen by the scheduler: see the wrap test
  TPredefinedEdit edit;
  edit.Message = saved.Message;
  edit.Period = 100;
  Predefined.ApplyEdit(0, edit);
  EXPECT_EQ(Predefined.Row(0).LastSendTick, 5000);
  Tick = 5100;
  Predefined.SendDueTimerMessages();
  EXPECT_EQ(TakeEvents().size(), 1U);
}

TEST_F(SchedulerTest, WrapOfTheTickCountKeepsEveryRowsPhase) {
  Tick = 0xFFFFFF00U;
  AddTimer(0x100, 1000);  // last send 0xFFFFFF00: next due 0x2E8 after the wrap
  AddTimer(0x200, 10);
  TakeEvents();
  Tick = 0xFFFFFFF0U;
  Predefined.SendDueTimerMessages();  // 0x200 sent at 0xFFFFFFF0
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Sent(0x200)}));
  Tick = 5;  // wrapped: 0x200 is 21 ms past its send
  Predefined.SendDueTimerMessages();
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Sent(0x200)}));
  Tick = 0x2E7;
  Predefined.SendDueTimerMessages();
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Sent(0x200)}));
  Tick = 0x2E8;
  Predefined.SendDueTimerMessages();
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Sent(0x100)}));
  EXPECT_EQ(Predefined.Row(0).LastSendTick, 0x2E8);
}

TEST_F(SchedulerTest, RowsRunOnlyCheckedAndTimerRowsLogAfterTheirSend) {
  const std::size_t row = AddTimer(0x100, 0);
  TPredefinedEdit edit;
  edit.Message = Frame(0x100, {});
  edit.LogMessage = true;
  edit.LogText = QStringLiteral("tick");
  Predefined.ApplyEdit(row, edit);
  AddTrigger(0x300, Frame(0x1, {}), {});  // a Message row never runs on the timer
  TakeEvents();
  Predefined.SendDueTimerMessages();
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{Sent(0x100), "log:tick"}));
  Predefined.SetRowChecked(row, false);
  Predefined.SendDueTimerMessages();
  EXPECT_TRUE(TakeEvents().empty());
  EXPECT_EQ(Predefined.Row(row).Enabled, 0);
}

// --- failed sends ------------------------------------------------------------------------------

TEST_F(SchedulerTest, FailedSendsAreEnteredAndCountedUntilReset) {
  std::vector<int> shown;
  Sender.OnFailuresChanged = [&](int failed) { shown.push_back(failed); };
  WriteAccepted = false;
  const std::size_t row = Predefined.AddMessage();
  Predefined.SetRowChecked(row, true);
  Predefined.SendDueTimerMessages();
  Predefined.SendDueTimerMessages();
  EXPECT_EQ(Views.Trace().RowCount(), 2U);  // still entered as sent
  EXPECT_EQ(Sender.FailedSends(), 2);
  WriteAccepted = true;
  Predefined.SendDueTimerMessages();
  Sender.ResetFailures();
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(SendFailedText(2), QStringLiteral("Send failed: 2"));
  EXPECT_TRUE(SendFailedText(0).isEmpty());
}

// --- editing the list ----------------------------------------------------------------------------

using PredefinedEditTest = TransmitFixture;

TEST_F(PredefinedEditTest, CopyAppendsAnUncheckedDisabledByteCopy) {
  const std::size_t source = AddTrigger(0x7E8, Frame(0x7E0, {1}), Frame(0x00F, {}), QStringLiteral("log"));
  AddRow(TTriggerType::Timer, 0x1);
  ListChanges = 0;
  const std::size_t copy = Predefined.CopyMessage(source);
  ASSERT_EQ(copy, 2U);
  EXPECT_EQ(Predefined.SelectedRow(), copy);
  EXPECT_FALSE(Predefined.RowState(copy).Checked());
  TPredefinedMessageData expected = Predefined.Row(source);
  expected.Enabled = 0;
  EXPECT_EQ(std::memcmp(&expected, &Predefined.Row(copy), sizeof expected), 0);
  EXPECT_EQ(ListChanges, 1);
}

TEST_F(PredefinedEditTest, MovingAndDeletingFollowTheListRules) {
  for (std::int64_t id : {1, 2, 3}) AddRow(TTriggerType::Timer, id);
  const auto order = [this] {
    std::vector<std::int64_t> ids;
    for (std::size_t i = 0; i < Predefined.RowCount(); ++i) ids.push_back(Predefined.Row(i).Message.CanId);
    return ids;
  };
  EXPECT_EQ(Predefined.MoveMessageDown(2), 0U);  // the last row moved down goes to the top
  EXPECT_EQ(order(), (std::vector<std::int64_t>{3, 1, 2}));
  EXPECT_EQ(Predefined.MoveMessageUp(0), 0U);  // the first row moved up stays first
  EXPECT_EQ(Predefined.MoveMessageDown(0), 1U);
  EXPECT_EQ(order(), (std::vector<std::int64_t>{1, 3, 2}));
  EXPECT_TRUE(Predefined.RowState(1).Checked());  // rows move with their check box

  ListChanges = 0;
  EXPECT_EQ(Predefined.DropMessage(0, 2, true), 2U);  // below the last row
  EXPECT_EQ(order(), (std::vector<std::int64_t>{3, 2, 1}));
  EXPECT_EQ(Predefined.DropMessage(2, 0, false), 0U);  // above the first row
  EXPECT_EQ(order(), (std::vector<std::int64_t>{1, 3, 2}));
  EXPECT_EQ(ListChanges, 0);  // a drop is not a change of the project

  EXPECT_EQ(Predefined.DeleteMessage(2), 0U);  // the first row is selected after a delete
  EXPECT_EQ(order(), (std::vector<std::int64_t>{1, 3}));
  EXPECT_EQ(Predefined.DeleteMessage(5), TPredefinedMessageList::kNoRow);
  Predefined.DeleteAllMessages();
  EXPECT_EQ(Predefined.RowCount(), 0U);
  EXPECT_EQ(ListChanges, 2);
}

TEST_F(PredefinedEditTest, ApplyKeepsTheFieldsOfOtherTypesAndNeverTheCheckBox) {
  const std::size_t row = AddTimer(0x100, 250);
  Predefined.SetRowChecked(row, false);
  TPredefinedEdit edit;
  edit.TriggerType = static_cast<std::uint8_t>(TTriggerType::Message);
  edit.Message = Frame(0x7E8, {1, 2});
  edit.Description = QString(300, QLatin1Char('d'));
  edit.Period = 999;  // not taken for a Message row
  edit.TriggerCode = Frame(0x7E0, {});
  edit.TriggerMask = Frame(0x00F, {});
  edit.HotKey = kDefaultHotKey;
  Tick = 7777;
  Predefined.ApplyEdit(row, edit);
  const TPredefinedMessageData& r = Predefined.Row(row);
  EXPECT_EQ(r.Period, 250);
  EXPECT_EQ(r.LastSendTick, 5000);
  EXPECT_EQ(r.TriggerCode.CanId, 0x7E0);
  EXPECT_EQ(r.HotKey, kDefaultHotKey);  // taken for every type
  EXPECT_EQ(r.Description.Length, 255);
  EXPECT_EQ(r.Enabled, 0);
  EXPECT_FALSE(Predefined.RowState(row).Checked());

  edit.TriggerType = static_cast<std::uint8_t>(TTriggerType::HotKey);
  edit.TriggerCode = Frame(0x123, {});
  Predefined.ApplyEdit(row, edit);
  EXPECT_EQ(Predefined.Row(row).TriggerCode.CanId, 0x7E0);
}

TEST_F(PredefinedEditTest, CellsAndFileCaptions) {
  const std::size_t timer = AddTimer(0x100, 250);
  const std::size_t hotKey = AddRow(TTriggerType::HotKey, 0x1ABCDEF);
  TPredefinedEdit edit;
  edit.TriggerType = static_cast<std::uint8_t>(TTriggerType::HotKey);
  edit.Message = Frame(0x1ABCDEF, {1, 2});
  edit.Message.Extended = true;
  edit.HotKey = kDefaultHotKey;
  Predefined.ApplyEdit(hotKey, edit);
  const std::size_t message = AddTrigger(0x7E8, Frame(0x7E0, {}), {});
  const auto cell = [this](std::size_t row, int column) { return Predefined.Model().index(static_cast<int>(row), column).data().toString(); };
  EXPECT_EQ(cell(timer, 0), QStringLiteral("Timer"));
  EXPECT_EQ(cell(timer, 1), QStringLiteral("250 ms"));
  EXPECT_EQ(cell(hotKey, 1), QStringLiteral("Alt+A"));
  EXPECT_EQ(cell(hotKey, 2), QStringLiteral("01ABCDEF"));
  EXPECT_EQ(cell(hotKey, 3), QStringLiteral("1"));
  EXPECT_EQ(cell(hotKey, 5), QStringLiteral("2"));
  EXPECT_EQ(cell(hotKey, 6), QStringLiteral("01 02 00 00 00 00 00 00"));
  EXPECT_EQ(cell(message, 1), QStringLiteral("MSG"));
  EXPECT_EQ(Predefined.FileCaption(message), QStringLiteral("Message"));
  EXPECT_EQ(Predefined.FileCaption(hotKey), QStringLiteral("Hot Key"));
  TPredefinedMessageData odd;
  odd.TriggerType = 7;
  Predefined.BeginLoad();
  Predefined.AppendLoadedRow(&odd, TRowState::CheckBox(false));
  Predefined.EndLoad();
  EXPECT_EQ(Predefined.FileCaption(0), QStringLiteral("Node"));
}

// --- the trigger log -------------------------------------------------------------------------------

using TriggerLogTest = TransmitFixture;

TEST_F(TriggerLogTest, EntriesKeepTimeTextAndOrder) {
  Log.AddTriggerLogEntry({});
  Log.AddTriggerLogEntry(QString(300, QLatin1Char('x')));
  Log.AddTriggerLogEntry(QStringLiteral("third"));
  ASSERT_EQ(Log.RowCount(), 3U);
  EXPECT_EQ(Log.Model().index(0, 0).data().toString(), QStringLiteral("13:05:07.089"));
  EXPECT_EQ(Log.Model().index(0, 1).data().toString(), QString());
  EXPECT_EQ(Log.Model().index(1, 1).data().toString(), QString(255, QLatin1Char('x')));
  EXPECT_EQ(Log.Model().index(2, 1).data().toString(), QStringLiteral("third"));  // same millisecond, order kept
  EXPECT_EQ(Log.FileCaption(2), QStringLiteral("13:05:07.089"));
  EXPECT_EQ(LogChanges, 3);
  Log.ClearLog();
  EXPECT_EQ(Log.RowCount(), 0U);
  EXPECT_EQ(LogChanges, 4);
}

TEST(TriggerLogTimeTest, StoredDaysFollowTheDayZeroConvention) {
  EXPECT_DOUBLE_EQ(DateTimeToDays(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
  EXPECT_DOUBLE_EQ(DateTimeToDays(QDateTime(QDate(1900, 1, 1), QTime(18, 0))), 2.75);
  EXPECT_EQ(TimeOfDayText(2.75), QStringLiteral("18:00:00.000"));
  EXPECT_EQ(TimeOfDayText(-1.25), QStringLiteral("06:00:00.000"));  // before day zero the fraction counts forward
  const QDateTime t(QDate(2026, 12, 9), QTime(23, 59, 59, 999));
  EXPECT_EQ(DaysToDateTime(DateTimeToDays(t)), t);
}
