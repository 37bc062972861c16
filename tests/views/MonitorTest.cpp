#include <QItemSelectionModel>

#include "TrafficFixture.h"

using MonitorTest = TrafficFixture;

TEST_F(MonitorTest, PeriodFollowsOnlyIncreasingTimeStamps) {
  const std::int32_t times[] = {100, 150, 140, 200, 200, 65530, 10, 30};
  const char* periods[] = {"", "50", "50", "60", "60", "65330", "65330", "20"};
  for (int i = 0; i < 8; ++i) {
    Receive({Frame(0x123, times[i])});
    ASSERT_EQ(MonitorCell(0, 6), QString::fromLatin1(periods[i])) << "frame " << i;
  }
  EXPECT_EQ(MonitorCell(0, 7), QStringLiteral("8"));
  EXPECT_EQ(Views.Monitor().Model().rowCount(), 1);
}

TEST_F(MonitorTest, SentFrameResetsTheReferenceAndKeepsTheRowImage) {
  Views.EnterSentMessage(Frame(0x50, 0));
  Receive({Frame(0x50, 500)});
  EXPECT_EQ(MonitorCell(0, 6), QStringLiteral("500"));  // raw time stamp against the sent frame's 0
  Receive({Frame(0x50, 600)});
  Views.EnterSentMessage(Frame(0x50, 0));
  EXPECT_EQ(MonitorCell(0, 6), QStringLiteral("100"));
  EXPECT_EQ(Views.Monitor().Row(0).LastTime, 0);
  EXPECT_FALSE(Views.Monitor().Row(0).Received);  // image 1 stays
  EXPECT_EQ(Views.Monitor().Model().index(0, 0).data(Qt::DecorationRole).value<QImage>(), FrameRowImage(false));
}

TEST_F(MonitorTest, StandardAndExtendedShareARowAndRowsStayInIdentifierOrder) {
  Receive({Frame(0x300, 1), Frame(0x100, 2), Frame(0x1FFFFFFF, 3, {}, true), Frame(0x200, 4)});
  EXPECT_EQ(MonitorCell(0, 0), QStringLiteral("100"));
  EXPECT_EQ(MonitorCell(1, 0), QStringLiteral("200"));
  EXPECT_EQ(MonitorCell(3, 0), QStringLiteral("1FFFFFFF"));
  Receive({Frame(0x100, 9, {0xAA}, true)});
  EXPECT_EQ(Views.Monitor().Model().rowCount(), 4);
  EXPECT_EQ(MonitorCell(0, 0), QStringLiteral("00000100"));  // the whole frame is overwritten
  EXPECT_EQ(MonitorCell(0, 1), QStringLiteral("1"));
  EXPECT_EQ(MonitorCell(0, 7), QStringLiteral("2"));
  EXPECT_EQ(FilterCell(0, 1), QStringLiteral("0"));  // the filter row keeps the first form
}

// New identifiers of one drain wait at the end and are merged once the drain ends: before,
// between and after the rows already there, repeated within the drain, with the views' selection
// staying on its identifier and every lookup right during and after the drain.
TEST_F(MonitorTest, NewIdentifiersOfADrainAreMergedIntoPlaceAndTheSelectionStays) {
  Receive({Frame(0x200, 1), Frame(0x400, 2), Frame(0x600, 3)});
  QItemSelectionModel selection(&Views.Monitor().Model());
  selection.setCurrentIndex(Views.Monitor().Model().index(1, 0), QItemSelectionModel::SelectCurrent | QItemSelectionModel::Rows);
  ASSERT_EQ(MonitorCell(selection.currentIndex().row(), 0), QStringLiteral("400"));

  Views.BeginDrain();
  for (std::int64_t id : {0x700, 0x100, 0x500, 0x300, 0x100, 0x50, 0x400, 0x1FFFFFFF})
    Views.DispatchReceivedMessage(Frame(id, 10, {}, id > 0x7FF));
  EXPECT_EQ(Views.Monitor().FindMonitorDataNode(0x100)->Count, 2) << "found while it waits for its place";
  EXPECT_NE(Views.IdFilter().FindCanIdFilterDataNode(0x50), nullptr);
  Views.EndDrain();

  QStringList ids, filterIds;
  for (int row = 0; row < Views.Monitor().Model().rowCount(); ++row) ids << MonitorCell(row, 0);
  for (int row = 0; row < Views.IdFilter().Model().rowCount(); ++row) filterIds << FilterCell(row, 2);
  EXPECT_EQ(ids, (QStringList{"050", "100", "200", "300", "400", "500", "600", "700", "1FFFFFFF"}));
  EXPECT_EQ(filterIds.first(), QStringLiteral("CAN ID: 050"));
  EXPECT_EQ(filterIds.last(), QStringLiteral("CAN ID: 1FFFFFFF"));
  EXPECT_EQ(MonitorCell(selection.currentIndex().row(), 0), QStringLiteral("400")) << "the selection followed its row";
  EXPECT_TRUE(selection.isRowSelected(selection.currentIndex().row()));
  for (int row = 0; row < Views.Monitor().Model().rowCount(); ++row) {
    const TMonitorData& record = Views.Monitor().Row(static_cast<std::size_t>(row));
    EXPECT_EQ(Views.Monitor().FindMonitorDataNode(record.Msg.CanId), &record) << row;
  }
  EXPECT_EQ(Views.Monitor().FindMonitorDataNode(0x400)->Count, 2);
  Receive({Frame(0x250, 20)});  // outside a drain's batch: a single insertion in order
  EXPECT_EQ(MonitorCell(3, 0), QStringLiteral("250"));
}

TEST_F(MonitorTest, UncheckedFilterRowFreezesTheRowAndTheDescriptionFollowsTheFilter) {
  Receive({Frame(0x10, 100)});
  EXPECT_EQ(MonitorCell(0, 8), QStringLiteral("CAN ID: 010"));
  Views.IdFilter().SetRowChecked(0, false);
  Receive({Frame(0x10, 200)});
  EXPECT_EQ(MonitorCell(0, 7), QStringLiteral("1"));
  EXPECT_EQ(MonitorCell(0, 6), QString());
  Views.IdFilter().SetRowChecked(0, true);
  Receive({Frame(0x10, 300)});
  EXPECT_EQ(MonitorCell(0, 6), QStringLiteral("200"));
  Views.IdFilter().RemoveRow(0);
  EXPECT_EQ(MonitorCell(0, 8), QStringLiteral("-"));
}

TEST_F(MonitorTest, DataColumnsFollowTheEightByteSettingAtPaintTime) {
  Receive({Frame(0x20, 1, {0x41, 0x42}), Frame(0x21, 1, {1, 2, 3}, false, true)});
  EXPECT_EQ(MonitorCell(0, 4), QStringLiteral("41 42"));
  EXPECT_EQ(MonitorCell(0, 5), QStringLiteral("AB"));
  Show8 = true;
  EXPECT_EQ(MonitorCell(0, 4), QStringLiteral("41 42 00 00 00 00 00 00"));
  EXPECT_EQ(MonitorCell(0, 5), QStringLiteral("AB......"));
  EXPECT_EQ(MonitorCell(1, 4), QStringLiteral("RTR Frame"));
  EXPECT_EQ(MonitorCell(1, 5), QStringLiteral("........"));
}

TEST_F(MonitorTest, ColoursFollowTheFilterRowAndTheColourAction) {
  Receive({Frame(0x30, 1)});
  Views.IdFilter().SetRowColor(0, 0x0000FF);  // red as 0x00BBGGRR
  TRowModel& model = Views.Monitor().Model();
  EXPECT_EQ(model.index(0, 3).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
  Views.Monitor().SetColorFilter(true);
  EXPECT_EQ(model.index(0, 3).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
  EXPECT_TRUE(model.index(0, 0).data(Qt::FontRole).value<QFont>().bold());
  EXPECT_FALSE(model.index(0, 1).data(Qt::FontRole).isValid());
  Views.IdFilter().SetRowChecked(0, false);
  EXPECT_FALSE(model.index(0, 3).data(Qt::ForegroundRole).isValid());
}

TEST_F(MonitorTest, EveryEntryAndTheUserClearMarkTheProject) {
  Receive({Frame(0x1, 1), Frame(0x1, 2)});
  const int afterTraffic = Changes;
  EXPECT_GE(afterTraffic, 5);  // filter once, trace twice, monitor twice
  Views.Monitor().ClearLog();
  EXPECT_EQ(Changes, afterTraffic + 1);
  EXPECT_EQ(Views.Monitor().Model().rowCount(), 0);
  EXPECT_EQ(Views.Trace().Model().rowCount(), 2);
  Views.Monitor().Clear();  // a new project: not a change of its own
  EXPECT_EQ(Changes, afterTraffic + 1);
}
