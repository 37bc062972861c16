// The Signals page's tree and the trace's signal pane as item models, fed through the traffic's
// frame path: rows in identifier order, multiplexed signals appearing when first present, one
// announcement per changed message and drain, nothing while no database is loaded.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "signals/DbcReader.h"
#include "signals/SignalDrag.h"
#include "signals/SignalDetailsModel.h"
#include "signals/SignalTreeModel.h"
#include "support/CoreApplication.h"
#include "views/TrafficViews.h"

namespace {

const char* const kDbc =
    "BO_ 2566844672 Gateway: 8 X\n SG_ Load : 0|8@1+ (0.5,0) [0|0] \"%\" X\n"
    "BO_ 512 Paged: 8 X\n"
    " SG_ Page M : 0|8@1+ (1,0) [0|0] \"\" X\n"
    " SG_ One m1 : 8|8@1+ (1,0) [0|0] \"\" X\n"
    " SG_ Two m2 : 8|8@1- (1,0) [0|0] \"\" X\n"
    "CM_ BO_ 512 \"Two pages\";\n"
    "BO_ 16 Small: 1 X\n SG_ Bit : 3|1@1+ (1,0) [0|0] \"\" X\n";

TCanMsgProg Frame(std::int64_t id, bool extended, std::initializer_list<std::uint8_t> data, std::int32_t time = 0) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.Extended = extended;
  msg.DLC = static_cast<int>(data.size());
  std::copy(data.begin(), data.end(), msg.Data.begin());
  msg.Time = time;
  return msg;
}

struct SignalModels : ::testing::Test {
  SignalModels() {
    EnsureCoreApplication();
    traffic.AddObserver(&tree);
  }
  ~SignalModels() override { traffic.RemoveObserver(&tree); }

  void Load() {
    std::vector<std::string> warnings;
    databases.Add(ParseDbc(kDbc, "bus.dbc"), warnings);
    tree.DatabasesChanged();
  }
  void Drain(std::initializer_list<TCanMsgProg> frames) {
    traffic.BeginDrain();
    for (const TCanMsgProg& msg : frames) traffic.DispatchReceivedMessage(msg);
    traffic.EndDrain();
  }
  QString Cell(int row, int column, const QModelIndex& parent = {}) const { return tree.index(row, column, parent).data().toString(); }

  TTrafficViews traffic{TTrafficSeams{}};
  TSignalDatabases databases;
  TSignalTreeModel tree{databases};
  QAbstractItemModelTester tester{&tree, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(SignalModels, MessagesInIdentifierOrderWithTheSignalsSeenPresent) {
  Drain({Frame(0x200, false, {1, 2})});
  EXPECT_EQ(tree.rowCount(), 0) << "nothing decoded without a database";
  Load();
  Drain({Frame(0x200, false, {1, 7}, 100), Frame(0x18FEF100, true, {200}, 100), Frame(0x10, false, {0x08}, 100),
         Frame(0x300, false, {1}, 100)});
  ASSERT_EQ(tree.rowCount(), 3);
  EXPECT_EQ(Cell(0, TSignalTreeModel::scName), QStringLiteral("Small"));
  EXPECT_EQ(Cell(1, TSignalTreeModel::scName), QStringLiteral("Paged"));
  EXPECT_EQ(Cell(2, TSignalTreeModel::scId), QStringLiteral("18FEF100"));
  EXPECT_EQ(tree.index(1, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("Two pages"));
  const QModelIndex paged = tree.index(1, 0);
  ASSERT_EQ(tree.rowCount(paged), 2);
  EXPECT_EQ(Cell(1, TSignalTreeModel::scName, paged), QStringLiteral("One"));

  // Page 2 brings "Two" in after "One", in definition order.
  Drain({Frame(0x200, false, {2, 0xFF}, 130)});
  ASSERT_EQ(tree.rowCount(paged), 3);
  EXPECT_EQ(Cell(2, TSignalTreeModel::scName, paged), QStringLiteral("Two"));
  EXPECT_EQ(Cell(2, TSignalTreeModel::scValue, paged), QStringLiteral("-1"));
  EXPECT_EQ(Cell(1, TSignalTreeModel::scValue, paged), QStringLiteral("7")) << "the last value while present";
  EXPECT_EQ(Cell(1, TSignalTreeModel::scCount), QStringLiteral("2"));
  EXPECT_EQ(Cell(1, TSignalTreeModel::scCycle), QStringLiteral("30"));
  EXPECT_EQ(Cell(0, TSignalTreeModel::scMaximum, paged), QStringLiteral("2"));
  EXPECT_EQ(Cell(0, TSignalTreeModel::scMinimum, paged), QStringLiteral("1"));

  // A one-byte frame of the two-byte message keeps only what lies within its DLC.
  Drain({Frame(0x200, false, {1}, 140)});
  EXPECT_EQ(Cell(1, TSignalTreeModel::scValue, paged), QStringLiteral("7"));
}

TEST_F(SignalModels, OneAnnouncementPerChangedMessageAndDrain) {
  Load();
  Drain({Frame(0x10, false, {0}), Frame(0x200, false, {1, 1})});
  QSignalSpy changed(&tree, &QAbstractItemModel::dataChanged);
  Drain({Frame(0x10, false, {8}), Frame(0x10, false, {0}), Frame(0x10, false, {8})});
  EXPECT_EQ(changed.count(), 2) << "the message row and its signal rows, once";
  EXPECT_EQ(Cell(0, TSignalTreeModel::scValue, tree.index(0, 0)), QStringLiteral("1"));

  // Unloading empties the tree; frames then cost nothing.
  databases.Clear();
  tree.DatabasesChanged();
  EXPECT_EQ(tree.rowCount(), 0);
  Drain({Frame(0x10, false, {8})});
  EXPECT_EQ(tree.rowCount(), 0);
}

TEST_F(SignalModels, TheDetailsOfOneFrame) {
  Load();
  TSignalDetailsModel details(databases);
  QAbstractItemModelTester detailsTester(&details, QAbstractItemModelTester::FailureReportingMode::Fatal);
  details.ShowFrame(Frame(0x200, false, {2, 0xFE}));
  EXPECT_EQ(details.Caption(), QStringLiteral("Paged (200)"));
  ASSERT_EQ(details.rowCount(), 2);
  EXPECT_EQ(details.index(1, TSignalDetailsModel::dcSignal).data().toString(), QStringLiteral("Two"));
  EXPECT_EQ(details.index(1, TSignalDetailsModel::dcValue).data().toString(), QStringLiteral("-2"));
  EXPECT_EQ(details.index(1, TSignalDetailsModel::dcRaw).data().toString(), QStringLiteral("0xFE"));
  details.ShowFrame(Frame(0x7FF, false, {1}));
  EXPECT_EQ(details.rowCount(), 0);
  EXPECT_EQ(details.Caption(), QString());
}

}  // namespace

// Rows drag out as the signals they stand for (a message row as those shown under it, each
// once), and a drop reads back only what is such a signal: a foreign drop of the same type
// with odd lines plots nothing wrong.
TEST_F(SignalModels, RowsDragOutAsTheirSignalsAndForeignDropsReadAsNothingWrong) {
  Load();
  Drain({Frame(0x200, false, {1, 7}), Frame(0x18FEF100, true, {200})});
  const QModelIndex paged = tree.index(0, 0);
  ASSERT_TRUE(tree.flags(paged) & Qt::ItemIsDragEnabled);
  const std::unique_ptr<QMimeData> drag(tree.mimeData({paged, tree.index(1, 0, paged), tree.index(1, 0), tree.index(1, 3)}));
  ASSERT_TRUE(drag);
  EXPECT_EQ(SignalsFromMimeData(*drag),
            (std::vector<TSignalKey>{{0x200, false, "Page"}, {0x200, false, "One"}, {0x18FEF100, true, "Load"}}));

  QMimeData foreign;
  foreign.setData(kSignalsMimeType, "200\ts\tPage\n800\ts\tTooBig\n1fffffff\tx\tTop\n20000000\tx\tBeyond\nzz\ts\tA\n"
                                    "10\tq\tKind\n10\ts\t\n10\ts\tToo\tMany\n\n7\ts\tLast");
  EXPECT_EQ(SignalsFromMimeData(foreign),
            (std::vector<TSignalKey>{{0x200, false, "Page"}, {0x1FFFFFFF, true, "Top"}, {7, false, "Last"}}));
  EXPECT_TRUE(SignalsFromMimeData(QMimeData()).empty());
}
