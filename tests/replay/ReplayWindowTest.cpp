// The trace page's Replay tool bar in the main window, against the simulator: a log file
// played onto its bus through the one send path, the software filter's checked identifiers,
// received traffic going on meanwhile, no trigger answers to our own frames, and the replay
// ending when the adapter closes.

#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <fstream>

#include "app/SimWindowFixture.h"
#include "model/CandumpLog.h"
#include "replay/ReplayBar.h"
#include "support/PtyAdapter.h"
#include "support/SimProcess.h"
#include "transmit/PredefinedMessageList.h"

namespace {

struct ReplayWindowTest : SimWindowFixture {
  TfCANUSBMain& OpenConnected() {
    TfCANUSBMain& w = Open();
    w.ConnectPopupMenu->popup(QPoint(0, 0));
    w.ConnectPopupMenu->hide();
    QAction* item = w.ConnectPopupMenu->findChild<QAction*>(QStringLiteral("ItemUSBAC0"));
    EXPECT_NE(item, nullptr);
    if (item) item->trigger();
    EXPECT_TRUE(w.Adapter().Connected());
    return w;
  }
  std::vector<TCandumpFrame> Recorded() const {
    std::ifstream in(record);
    return ReadCandumpLog(in).Frames;
  }

  std::string record = runtime.Path() + "/sent.log";
};

int CountOf(const std::vector<TCandumpFrame>& frames, std::int64_t id) {
  return static_cast<int>(std::count_if(frames.begin(), frames.end(), [id](const TCandumpFrame& f) { return f.Msg.CanId == id; }));
}

TEST_F(ReplayWindowTest, ALogIsPlayedOntoTheBusWithTheCheckedIdentifiersAndEntersTheTraceAsSent) {
  // 0x321, 0x322 and 0x555 in turn, 2 ms apart; a 0x555 frame would trigger an answer if it were received.
  const std::vector<TCanMsgProg> frames = ReplayFrames(60, {0x321, 0x322, 0x555});
  const std::string log = runtime.Path() + "/replay.log";
  WriteCandumpLog(log, frames, 2000);
  TSimProcess sim(FERROLUX_SIM_PATH, runtime.Path(), {"--serial", "SIM00001", "--record", record});
  ASSERT_TRUE(sim.WaitForAnnouncement("SIM00001"));
  TfCANUSBMain& w = Open();
  TReplayBar& bar = *w.ReplayBar;
  EXPECT_FALSE(bar.actionReplayPlay->isEnabled()) << "no adapter open";

  TPredefinedEdit answer;
  answer.TriggerType = static_cast<std::uint8_t>(TTriggerType::Message);
  answer.Message.CanId = 0x7A0;
  answer.Message.DLC = 1;
  answer.TriggerCode = frames[2];  // exactly the third replayed frame
  const std::size_t row = w.PredefinedMessages().AddMessage();
  w.PredefinedMessages().ApplyEdit(row, answer);
  w.PredefinedMessages().SetRowChecked(row, true);
  TIdFilterList& filter = w.Traffic().IdFilter();
  for (const std::int64_t id : {0x321, 0x322, 0x555}) {
    filter.EnsureCanIdInFilter(frames[static_cast<std::size_t>(id == 0x321 ? 0 : id == 0x322 ? 1 : 2)]);
    filter.SetRowChecked(filter.FindRow(id), id != 0x322);
  }

  w.ConnectPopupMenu->popup(QPoint(0, 0));
  w.ConnectPopupMenu->hide();
  w.ConnectPopupMenu->findChild<QAction*>(QStringLiteral("ItemUSBAC0"))->trigger();
  ASSERT_TRUE(w.Adapter().Connected());
  ASSERT_TRUE(bar.actionReplayPlay->isEnabled());
  bar.SetLogFile(QString::fromStdString(log));
  bar.cbReplayCheckedIds->setChecked(true);
  const std::size_t rowsBefore = w.Traffic().Trace().RowCount();
  bar.actionReplayPlay->trigger();
  EXPECT_TRUE(bar.Controller().Running());
  EXPECT_TRUE(bar.actionReplayStop->isEnabled());
  EXPECT_FALSE(bar.cbReplaySource->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !bar.Controller().Running(); }, 10000));
  EXPECT_EQ(bar.Controller().Progress().Sent, 40u);
  EXPECT_EQ(bar.lbReplayProgress->text().left(21), QStringLiteral("Sent 40 of 40 frames,"));
  QTest::qWait(300);  // the demo bus goes on; an answer would have come by now
  w.actionDisconnectExecute();

  const std::vector<TCandumpFrame> sent = Recorded();
  EXPECT_EQ(CountOf(sent, 0x321), 20);
  EXPECT_EQ(CountOf(sent, 0x555), 20);
  EXPECT_EQ(CountOf(sent, 0x322), 0);
  EXPECT_EQ(CountOf(sent, 0x7A0), 0) << "trigger rows do not answer our own frames";
  std::vector<std::int64_t> order;
  for (const TCandumpFrame& f : sent) order.push_back(f.Msg.CanId);
  ASSERT_GE(order.size(), 2u);
  EXPECT_EQ(order[0], 0x321);
  EXPECT_EQ(order[1], 0x555);
  // The recorded span (38 ms between first and last) holds, by the simulator's clock: no frame
  // goes early, so only the first one's lateness (on a loaded machine) and the line's jitter
  // can shorten it.
  const std::int64_t lateUs = bar.Controller().Progress().MaxLagNs / 1000;
  EXPECT_GE(sent.back().TimeUs - sent.front().TimeUs, 38'000 - lateUs - 1'000) << "latest send " << lateUs << " us";

  const TTraceList& trace = w.Traffic().Trace();
  int sentRows = 0, receivedRows = 0;
  for (std::size_t i = rowsBefore; i < trace.RowCount(); ++i) (trace.Row(i).Received ? receivedRows : sentRows)++;
  EXPECT_EQ(sentRows, 40);
  EXPECT_GT(receivedRows, 0) << "received traffic keeps flowing during the replay";
  EXPECT_TRUE(w.SendFailedPanel()->isHidden());
}

TEST_F(ReplayWindowTest, PauseStepAndClosingTheAdapterEndTheReplay) {
  TSimProcess sim(FERROLUX_SIM_PATH, runtime.Path(), {"--serial", "SIM00001", "--record", record});
  ASSERT_TRUE(sim.WaitForAnnouncement("SIM00001"));
  TfCANUSBMain& w = OpenConnected();
  TReplayBar& bar = *w.ReplayBar;
  // The trace as it stands: the demo bus's first frames, played endlessly.
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Traffic().Trace().RowCount() >= 5; }, 5000));
  bar.seReplayLoops->setValue(0);
  bar.actionReplayStep->trigger();
  EXPECT_TRUE(bar.Controller().Paused());
  EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Controller().Progress().Sent == 1; }, 5000));
  bar.actionReplayStep->trigger();
  EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Controller().Progress().Sent == 2; }, 5000));
  QTest::qWait(100);
  EXPECT_EQ(bar.Controller().Progress().Sent, 2u);
  EXPECT_FALSE(bar.Controller().Progress().Total);
  bar.actionReplayPlay->trigger();
  EXPECT_FALSE(bar.Controller().Paused());
  EXPECT_TRUE(QTest::qWaitFor([&] { return bar.Controller().Progress().Sent > 4; }, 5000));
  EXPECT_TRUE(bar.lbReplayProgress->text().startsWith(QStringLiteral("Frame "))) << bar.lbReplayProgress->text().toStdString();
  w.actionDisconnectExecute();
  EXPECT_FALSE(bar.Controller().Running());
  EXPECT_FALSE(bar.actionReplayPlay->isEnabled());
  EXPECT_FALSE(bar.actionReplayStop->isEnabled());
}

TEST_F(ReplayWindowTest, FramesTheAdapterRefusesCountInTheStatusBarAndTheReplayGoesOn) {
  TPtyAdapter adapter;
  adapter.SetResponder([](const std::string& command) {
    if (command.rfind("t124", 0) == 0) return std::string("\a");
    return StandardReply(command);
  });
  const std::string log = runtime.Path() + "/refused.log";
  WriteCandumpLog(log, ReplayFrames(6, {0x123, 0x124}), 500);
  TfCANUSBMain& w = OpenConnected();
  TReplayBar& bar = *w.ReplayBar;
  bar.SetLogFile(QString::fromStdString(log));
  bar.cbReplayAsFastAsPossible->setChecked(true);
  bar.actionReplayPlay->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !bar.Controller().Running(); }, 10000));
  EXPECT_EQ(bar.Controller().Progress().Sent, 6u);
  EXPECT_EQ(bar.Controller().Progress().Refused, 3u);
  EXPECT_FALSE(w.SendFailedPanel()->isHidden());
  EXPECT_EQ(w.SendFailedPanel()->text(), QStringLiteral("Send failed: 3"));
  w.actionDisconnectExecute();
}

}  // namespace
