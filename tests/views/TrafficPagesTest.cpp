#include <QHeaderView>
#include <QTest>
#include <QToolButton>

#include "TrafficFixture.h"
#include "views/MonitorPage.h"
#include "views/TracePage.h"

namespace {
class TrafficPagesTest : public TrafficFixture {
 protected:
  TMonitorPage Monitor{Views.Monitor(), Views.CanIdDetails()};
  TTracePage Trace{Views.Trace()};
};
}  // namespace

TEST_F(TrafficPagesTest, ComponentsCarryTheirNamesAndCaptions) {
  for (const char* name : {"vstDataMonitor", "vstCanIdDetails", "panelCanIdetails", "panelCanIdDetails"})
    EXPECT_NE(Monitor.findChild<QWidget*>(name), nullptr) << name;
  for (const char* name : {"vstDataTrace", "Panel18", "edSearchTrace", "cbSearchTraceColumn", "btnionTraceScroll", "btnionBMW"})
    EXPECT_NE(Trace.findChild<QWidget*>(name), nullptr) << name;
  EXPECT_EQ(Monitor.actionClearLog->toolTip(), QStringLiteral("Clear Log Window"));
  EXPECT_EQ(Trace.actonClearTraceList->text(), QStringLiteral("Clear"));
  EXPECT_EQ(Trace.edSearchTrace()->placeholderText(), QStringLiteral("Search..."));
  EXPECT_EQ(Trace.cbSearchTraceColumn()->count(), 6);
  EXPECT_EQ(Trace.cbSearchTraceColumn()->itemText(5), QStringLiteral("ASCII"));
  EXPECT_EQ(Trace.Panel18()->text(), QStringLiteral(" Messages count: 0"));
  EXPECT_FALSE(Monitor.vstDataMonitor()->accessibleName().isEmpty());
  EXPECT_FALSE(Trace.findChild<QToolButton*>("btnionTraceScroll")->accessibleName().isEmpty());
  EXPECT_TRUE(Monitor.vstDataMonitor()->header()->sectionsMovable());
  EXPECT_EQ(Monitor.vstDataMonitor()->model()->headerData(8, Qt::Horizontal).toString(), QStringLiteral("Description"));
  EXPECT_EQ(Trace.vstDataTrace()->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Time"));
}

TEST_F(TrafficPagesTest, SelectingAMonitorRowFillsTheGridAndTheDetailsToggleShowsThePanel) {
  Monitor.show();
  EXPECT_FALSE(Monitor.panelCanIdetails()->isVisible());
  Monitor.actionShowIdDetailsWindow->trigger();
  EXPECT_TRUE(Monitor.panelCanIdetails()->isVisible());
  Receive({Frame(0x100, 1, {0x01}), Frame(0x123, 1, {0x41})});
  auto* caption = Monitor.findChild<QLabel*>("panelCanIdDetails");
  EXPECT_EQ(caption->text(), QStringLiteral("100 CAN ID Details"));
  Monitor.vstDataMonitor()->setCurrentIndex(Monitor.vstDataMonitor()->model()->index(1, 3));
  EXPECT_EQ(caption->text(), QStringLiteral("123 CAN ID Details"));
  EXPECT_EQ(Monitor.vstCanIdDetails()->model()->index(0, 9).data().toString(), QStringLiteral("65"));
  // A new identifier sorted in above keeps the selection on 123.
  Receive({Frame(0x050, 2, {0x02})});
  EXPECT_EQ(caption->text(), QStringLiteral("123 CAN ID Details"));
  Monitor.actionShowIdDetailsWindow->trigger();
  EXPECT_FALSE(Monitor.panelCanIdetails()->isVisible());
  Monitor.grab();  // paints the bar column without failing
}

TEST_F(TrafficPagesTest, TypingASearchWhileConnectedEmptiesTheFieldAndShowsAllRows) {
  Receive({Frame(0x7F0, 1), Frame(0x100, 2)});
  EXPECT_EQ(Trace.Panel18()->text(), QStringLiteral(" Messages count: 2"));
  QTest::keyClicks(Trace.edSearchTrace(), "7f");
  EXPECT_EQ(Trace.vstDataTrace()->model()->rowCount(), 1);
  Trace.edSearchTraceRightButton->trigger();
  EXPECT_EQ(Trace.edSearchTrace()->text(), QString());
  EXPECT_EQ(Trace.vstDataTrace()->model()->rowCount(), 2);

  int messages = 0;
  const TUserMessageHandler previous = SetUserMessageHandler([&](TUserMessageKind, const QString&, const QString&) { ++messages; });
  Connected = true;
  QTest::keyClicks(Trace.edSearchTrace(), "7");
  EXPECT_EQ(messages, 1);
  EXPECT_EQ(Trace.edSearchTrace()->text(), QString());
  EXPECT_EQ(Trace.vstDataTrace()->model()->rowCount(), 2);
  SetUserMessageHandler(previous);
}

TEST_F(TrafficPagesTest, ClearAndColourActionsReachTheLists) {
  Receive({Frame(0x7F0, 1)});
  Trace.actionTraceColor->setChecked(true);
  EXPECT_TRUE(Views.Trace().ColorFilter());
  EXPECT_FALSE(Views.Monitor().ColorFilter());
  Trace.actionTraceScroll->setChecked(true);
  EXPECT_TRUE(Views.Trace().AutoScroll());
  Trace.actonClearTraceList->trigger();
  EXPECT_EQ(Trace.Panel18()->text(), QStringLiteral(" Messages count: 0"));
  Monitor.actionClearLog->trigger();
  EXPECT_EQ(Monitor.vstDataMonitor()->model()->rowCount(), 0);
}
