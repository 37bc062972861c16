#include <QSignalSpy>
#include <vector>
#include <random>

#include "TrafficFixture.h"
#include "views/FrameCells.h"

namespace {
class TraceTest : public TrafficFixture {
 protected:
  void SetUp() override {
    Receive({Frame(0x07F, 1, {0x00, 0x11, 0x22}), Frame(0x17F, 2, {0x61, 0x62}), Frame(0x7F3, 3, {}, false, true),
             Frame(0x123, 4, {1, 2, 3, 4, 5, 6, 7, 8}), Frame(0x1237F000, 5, {0x41}, true), Frame(0x200, 6, {0x11, 0x00})});
  }
  QStringList VisibleIds() {
    QStringList ids;
    for (int row = 0; row < Views.Trace().Model().rowCount(); ++row) ids << TraceCell(row, 0);
    return ids;
  }
  QStringList SearchIds(const QString& text, int column) {
    EXPECT_TRUE(Views.Trace().Search(text, column));
    return VisibleIds();
  }
};
}  // namespace

TEST_F(TraceTest, SearchMatchesTheDisplayTextOfTheChosenColumnUpperCased) {
  const QStringList withId7F = {"07F", "17F", "7F3", "1237F000"};
  EXPECT_EQ(SearchIds("7F", 0), withId7F);
  EXPECT_EQ(SearchIds("7f", 0), withId7F);
  EXPECT_EQ(SearchIds("RTR", 4), QStringList({"7F3"}));
  EXPECT_EQ(SearchIds("00 11", 4), QStringList({"07F"}));
  EXPECT_EQ(SearchIds("8", 3), QStringList({"123"}));
  EXPECT_EQ(SearchIds("1", 1), QStringList({"1237F000"}));
  EXPECT_EQ(SearchIds("b", 5), QStringList());  // "ab" of 17F: the search text is upper-cased
  EXPECT_EQ(SearchIds("a", 5), QStringList({"1237F000"}));
  EXPECT_EQ(SearchIds("A", 5), QStringList({"1237F000"}));
  EXPECT_EQ(SearchIds("", 5).size(), 6);
}

TEST_F(TraceTest, NewRowsAppearWhateverTheSearchHidesAndTheCountIncludesHiddenRows) {
  SearchIds("RTR", 4);
  Receive({Frame(0x555, 7)});
  EXPECT_EQ(VisibleIds(), QStringList({"7F3", "555"}));
  EXPECT_EQ(Views.Trace().MessagesCountText(), QStringLiteral(" Messages count: 7"));
  EXPECT_FALSE(Views.Trace().RowState(0).Visible());
}

TEST_F(TraceTest, SearchIsRefusedWhileConnected) {
  QString shown;
  const TUserMessageHandler previous =
      SetUserMessageHandler([&](TUserMessageKind kind, const QString& caption, const QString& text) {
        EXPECT_EQ(kind, TUserMessageKind::Error);
        shown = caption + "|" + text;
      });
  Connected = true;
  EXPECT_FALSE(Views.Trace().Search("7F", 0));
  EXPECT_EQ(shown, QStringLiteral("Error|Please stop the data tracing."));
  EXPECT_EQ(Views.Trace().Model().rowCount(), 6);
  shown.clear();
  EXPECT_TRUE(Views.Trace().Search("", 0));  // emptying the field is allowed
  EXPECT_TRUE(shown.isEmpty());
  SetUserMessageHandler(previous);
}

TEST_F(TraceTest, UncheckedIdentifiersStayOutAndTimesMayDecrease) {
  Views.IdFilter().SetRowChecked(Views.IdFilter().FindRow(0x123), false);
  Receive({Frame(0x123, 100), Frame(0x200, 65535), Frame(0x200, 3)});
  Views.EnterSentMessage(Frame(0x200, 0));
  EXPECT_EQ(Views.Trace().RowCount(), 9u);
  EXPECT_EQ(TraceCell(6, 6), QStringLiteral("65535"));
  EXPECT_EQ(TraceCell(7, 6), QStringLiteral("3"));
  EXPECT_EQ(TraceCell(8, 6), QStringLiteral("0"));
  EXPECT_FALSE(Views.Trace().Row(8).Received);
}

// Frames from the bus are answered by the trigger rows; frames from a log file or a capture
// left behind are only entered, or an import would answer a recording.
TEST_F(TraceTest, OnlyFramesFromTheBusReachTheTriggerRows) {
  std::vector<std::int64_t> matched;
  Views.MatchTriggerMessages = [&matched](const TCanMsgProg& msg) { matched.push_back(msg.CanId); };
  Views.EnterReceivedMessage(Frame(0x300, 1));
  Views.DispatchReceivedMessage(Frame(0x301, 2));
  Views.EnterSentMessage(Frame(0x302, 0));
  EXPECT_EQ(matched, std::vector<std::int64_t>{0x301});
  EXPECT_NE(Views.Monitor().FindMonitorDataNode(0x300), nullptr);
}

TEST_F(TraceTest, AutoScrollOncePerBatchAndNeverForSentFrames) {
  int scrolls = 0;
  Views.Trace().OnScrollToLast = [&] { ++scrolls; };
  Receive({Frame(0x1, 1), Frame(0x1, 2)});
  EXPECT_EQ(scrolls, 0);
  Views.Trace().SetAutoScroll(true);
  Receive({Frame(0x1, 3), Frame(0x1, 4)});
  EXPECT_EQ(scrolls, 1);
  Views.EnterSentMessage(Frame(0x1, 0));
  EXPECT_EQ(scrolls, 1);
}

TEST_F(TraceTest, ClearEmptiesOnlyTheTrace) {
  const int before = Changes;
  Views.Trace().ClearTrace();
  EXPECT_EQ(Views.Trace().Model().rowCount(), 0);
  EXPECT_EQ(Views.Monitor().Model().rowCount(), 6);
  EXPECT_EQ(Views.IdFilter().Model().rowCount(), 6);
  EXPECT_EQ(Changes, before + 1);
}

// The search writes cells into a buffer of its own; over random frames it must agree with the
// column's text for every column, with and without the eight-byte setting.
// One search over many frames, as over a trace: identifiers that come again (whose answer the
// search keeps) and thousands of distinct ones that share its slots.
TEST(FrameCellSearch, AgreesWithTheCellTextOfEveryColumn) {
  std::mt19937 random(5);
  const QStringList needles = {"7", "1F", "00 0", "0 F", "RTR", "TR F", "..", "A", "8", "1", "É", QString(QChar(0x20AC))};
  struct TCase {
    QString Needle;
    int Column;
    bool Show8;
    TFrameCellSearch Search;
  };
  std::vector<TCase> cases;
  for (int column = fcCanId; column <= fcAscii; ++column)
    for (const bool show8 : {false, true})
      for (const QString& needle : needles) cases.push_back({needle, column, show8, TFrameCellSearch(needle, column, show8)});
  for (int i = 0; i < 6000; ++i) {
    TCanMsgProg msg;
    msg.Extended = (random() & 1) != 0;
    const std::uint32_t id = i % 2 == 0 ? static_cast<std::uint32_t>(random() % 40) * 0x31 : static_cast<std::uint32_t>(random());
    msg.CanId = static_cast<std::int64_t>(id & (msg.Extended ? 0x1FFFFFFFU : 0x7FFU));
    msg.RTR = random() % 6 == 0;
    msg.DLC = static_cast<int>(random() % 10);
    for (auto& byte : msg.Data) byte = static_cast<std::uint8_t>(random() % 3 == 0 ? 0x2E : random());
    for (const TCase& c : cases)
      ASSERT_EQ(c.Search.Matches(msg), FrameCellText(msg, c.Column, c.Show8).contains(c.Needle))
          << i << " column " << c.Column << " needle " << c.Needle.toStdString();
  }
}
