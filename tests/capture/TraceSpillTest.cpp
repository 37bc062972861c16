// A trace whose rows went to the capture file looks, searches and exports exactly as one that
// kept them all in memory.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include "capture/CaptureRecorder.h"
#include "capture/CaptureRows.h"
#include "reports/HtmlReport.h"
#include "storage/TreeFile.h"
#include "support/QtTestApp.h"
#include "views/TraceLogFile.h"
#include "views/TrafficExport.h"
#include "views/TrafficViews.h"

namespace {
constexpr std::size_t kBudgetRows = 1000;
constexpr std::uint64_t kRows = 10'500;
// Memory keeps the newest three quarters of the budget and lets whole chunks go.
constexpr std::size_t kMostInMemory = kBudgetRows * 3 / 4 + TTraceList::kTraceChunkRows;

TTrafficSeams Seams() {
  return TTrafficSeams{[] { return false; }, [] { return false; }, [] {}};
}

class TraceSpillTest : public ::testing::Test {
 protected:
  TraceSpillTest() {
    TestApp();
    (void)Recorder.Open();
    Spilled.Trace().SetSink(&Recorder);
    Spilled.Trace().SetMemoryBudget(kBudgetRows * (sizeof(TTraceData) + sizeof(TRowState)));
    Testers.Attach(&Spilled.Trace().Model());
  }
  ~TraceSpillTest() override { Spilled.Trace().SetSink(nullptr); }

  // The same frames into both, in drains of 777 rows: the budget is reached inside drains.
  void Feed(std::uint64_t first, std::uint64_t count) {
    for (TTrafficViews* views : {&InMemory, &Spilled}) {
      for (std::uint64_t n = first; n < first + count;) {
        views->BeginDrain();
        for (const std::uint64_t end = std::min(first + count, n + 777); n < end; ++n) {
          const TTraceData row = NumberedRow(n);
          if (row.Received) views->EnterReceivedMessage(row.Msg);
          else views->EnterSentMessage(row.Msg);
        }
        views->EndDrain();
      }
    }
  }
  static QByteArray Written(const std::function<void(QIODevice&)>& write) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    write(buffer);
    return buffer.data();
  }
  [[nodiscard]] std::uint64_t InMemoryRows() { return Spilled.Trace().RowCount() - Spilled.Trace().SpilledRows(); }
  void ExpectSameRows() {
    const TTraceList& a = InMemory.Trace();
    const TTraceList& b = Spilled.Trace();
    ASSERT_EQ(a.RowCount(), b.RowCount());
    for (std::size_t r = 0; r < a.RowCount(); ++r) {
      ASSERT_EQ(std::memcmp(&a.Row(r), &b.Row(r), sizeof(TTraceData)), 0) << r;
      ASSERT_EQ(a.RowState(r).Flags, b.RowState(r).Flags) << r;
    }
    EXPECT_EQ(a.Model().rowCount(), b.Model().rowCount());
  }

  QTemporaryDir Dir;
  TCaptureRecorder Recorder{Dir.filePath(QStringLiteral("capture"))};
  TTrafficViews InMemory{Seams()};
  TTrafficViews Spilled{Seams()};
  TModelTesters Testers;
};

TEST_F(TraceSpillTest, RowsBeyondTheBudgetLeaveMemoryAndReadBackTheSame) {
  // Drain after drain, memory never holds more than the budget's share and a chunk.
  for (std::uint64_t fed = 0; fed < kRows; fed += 1500) {
    Feed(fed, std::min<std::uint64_t>(1500, kRows - fed));
    ASSERT_LT(InMemoryRows(), kMostInMemory) << fed;
  }
  EXPECT_GE(Spilled.Trace().SpilledRows(), kRows - kMostInMemory);
  EXPECT_EQ(InMemory.Trace().SpilledRows(), 0U);
  ExpectSameRows();
  EXPECT_EQ(Spilled.Trace().MessagesCountText(), QStringLiteral(" Messages count: 10500"));
  // The view's cells of a spilled row, the first and the last.
  for (int row : {0, 4097, static_cast<int>(kRows) - 1})
    for (int column = 0; column < 7; ++column)
      EXPECT_EQ(Spilled.Trace().Model().index(row, column).data(), InMemory.Trace().Model().index(row, column).data()) << row;
}

TEST_F(TraceSpillTest, ExportsAndTheListFileAreByteForByteThoseOfTheTraceInMemory) {
  Feed(0, kRows);
  ASSERT_GT(Spilled.Trace().SpilledRows(), 0U);
  const auto csv = [](const TTraceList& trace) {
    return Written([&](QIODevice& d) { WriteTraceCsv(TTraceExport(trace, DefaultListLook()), TraceLayout().Columns, d); });
  };
  EXPECT_EQ(csv(Spilled.Trace()), csv(InMemory.Trace()));
  const auto html = [](const TTraceList& trace) {
    return Written([&](QIODevice& d) { WriteHtmlReport(QStringLiteral("Trace"), {}, TTraceExport(trace, DefaultListLook()), TraceLayout(), d); });
  };
  EXPECT_EQ(html(Spilled.Trace()), html(InMemory.Trace()));
  const auto candump = [](const TTraceList& trace) { return Written([&](QIODevice& d) { EXPECT_TRUE(WriteTraceLog(trace, TLogFormat::Candump, d)); }); };
  EXPECT_EQ(candump(Spilled.Trace()), candump(InMemory.Trace()));
  const auto listFile = [](const TTraceList& trace) { return Written([&](QIODevice& d) { WriteTreeStream(d, trace); }); };
  const QByteArray saved = listFile(Spilled.Trace());
  EXPECT_EQ(saved, listFile(InMemory.Trace()));
  // And the list file loads back into a trace that is all in memory again.
  const TLoadedRows loaded = ReadTreeStream(std::span(reinterpret_cast<const std::uint8_t*>(saved.constData()), static_cast<std::size_t>(saved.size())),
                                           sizeof(TTraceData));
  EXPECT_EQ(loaded.Count(), kRows);
}

TEST_F(TraceSpillTest, ASearchSeesAndHidesSpilledRowsAsInMemory) {
  Feed(0, kRows);
  for (TTrafficViews* views : {&InMemory, &Spilled}) ASSERT_TRUE(views->Trace().Search(QStringLiteral("7"), 0));
  ExpectSameRows();
  EXPECT_LT(Spilled.Trace().Model().rowCount(), static_cast<int>(kRows));
  // Rows hidden by the search keep that state when they spill later.
  Feed(kRows, 3000);
  ExpectSameRows();
  for (TTrafficViews* views : {&InMemory, &Spilled}) ASSERT_TRUE(views->Trace().Search(QString(), 0));
  ExpectSameRows();
  EXPECT_EQ(Spilled.Trace().Model().rowCount(), static_cast<int>(kRows + 3000));
}

// A list file loaded into the trace goes to the capture as a whole and then leaves memory.
TEST_F(TraceSpillTest, ALoadedListFileLeavesMemoryAsACaptureDoes) {
  Feed(0, kRows);
  const QString file = Dir.filePath(QStringLiteral("trace.lst"));
  SaveTreeFile(file, InMemory.Trace());
  InMemory.Trace().ClearTrace();
  LoadTreeFile(file, InMemory.Trace());
  LoadTreeFile(file, Spilled.Trace());
  EXPECT_GE(Spilled.Trace().SpilledRows(), kRows - kMostInMemory);
  EXPECT_LT(InMemoryRows(), kMostInMemory);
  ExpectSameRows();
}

TEST_F(TraceSpillTest, ClearEmptiesDiskAndMemoryAndTheCaptureStartsAgain) {
  Feed(0, 3000);
  ASSERT_GT(Spilled.Trace().SpilledRows(), 0U);
  ExpectSameRows();  // read while the capture still grows: a page cut at the end then is read again
  Feed(3000, 1500);
  ExpectSameRows();
  InMemory.Trace().ClearTrace();
  Spilled.Trace().ClearTrace();
  EXPECT_EQ(Spilled.Trace().RowCount(), 0U);
  EXPECT_EQ(Spilled.Trace().SpilledRows(), 0U);
  EXPECT_TRUE(QDir(Dir.filePath(QStringLiteral("capture"))).entryList({QStringLiteral("*.flxcap")}).isEmpty());
  Feed(20, 2500);
  EXPECT_GT(Spilled.Trace().SpilledRows(), 0U);
  ExpectSameRows();
}
}  // namespace
