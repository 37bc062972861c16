// The bus figures on the window's frame path: the adapters' wrapping stamps, sent frames, the
// page's table under the model tester, and the bus-load panel's colours.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "stats/StatisticsModel.h"
#include "stats/StatisticsPage.h"
#include "support/CoreApplication.h"

namespace {
TCanMsgProg Stamped(std::int64_t id, std::int32_t timeMs) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.DLC = 8;
  msg.Time = timeMs;
  return msg;
}
}  // namespace

TEST(TrafficStatistics, StampsThatWrapCountOnAndSentFramesTakeTheTimeBefore) {
  TTrafficStatistics traffic(500'000);
  traffic.FrameEntered(Stamped(0x100, 59'900), true);
  traffic.FrameEntered(Stamped(0x100, 0), true);  // the serial adapters' counter turned at 60,000
  traffic.FrameEntered(Stamped(0x200, 0), false);
  const TIdStatistics& id = *traffic.Statistics().Find(0x100, false);
  EXPECT_EQ(id.MinPeriodUs, 100'000);
  EXPECT_EQ(traffic.Statistics().Find(0x200, false)->LastUs, 60'000'000);

  TTrafficStatistics wide(500'000);
  wide.FrameEntered(Stamped(0x100, 65'500), true);
  wide.FrameEntered(Stamped(0x100, 36), true);  // a 16-bit counter
  EXPECT_EQ(wide.Statistics().Find(0x100, false)->MinPeriodUs, 72'000);

  int published = 0;
  traffic.OnPublished = [&] { ++published; };
  traffic.DrainEnded();
  traffic.DrainEnded();
  EXPECT_EQ(published, 1) << "only a drain that brought frames";
  traffic.Restart(250'000);
  EXPECT_EQ(traffic.Statistics().Frames(), 0u);
  EXPECT_EQ(traffic.Statistics().BitRate(), 250'000);
}

TEST(StatisticsModel, RowsComeInAsIdentifiersAppearAndSortByNumber) {
  EnsureCoreApplication();
  TTrafficStatistics traffic(500'000);
  TStatisticsModel model(traffic);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  for (int t = 0; t < 5; ++t) {
    traffic.FrameEntered(Stamped(0x300, t * 100), true);
    traffic.FrameEntered(Stamped(0x100, t * 100 + 5), true);
  }
  model.Refresh();
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.index(0, TStatisticsModel::colId).data().toString(), QStringLiteral("300"));
  EXPECT_EQ(model.index(0, TStatisticsModel::colRate).data().toString(), QStringLiteral("10.0"));
  EXPECT_EQ(model.index(0, TStatisticsModel::colMean).data().toString(), QStringLiteral("100.0"));
  EXPECT_LT(model.index(1, TStatisticsModel::colId).data(Qt::UserRole).toLongLong(),
            model.index(0, TStatisticsModel::colId).data(Qt::UserRole).toLongLong());
  EXPECT_EQ(model.index(0, TStatisticsModel::colShare).data().toString(), QStringLiteral("50.00"));
  traffic.FrameEntered(Stamped(0x100, 2'000), true);  // 0x300 silent for 16 periods
  model.Refresh();
  EXPECT_EQ(model.index(0, TStatisticsModel::colState).data().toString(), QStringLiteral("gone"));
  traffic.Restart(500'000);
  model.Refresh();
  EXPECT_EQ(model.rowCount(), 0);
}

TEST(StatisticsPage, BusLoadPanelTextAndColours) {
  EXPECT_EQ(BusLoadText(0.125), QStringLiteral("Load: 12.5 %"));
  EXPECT_EQ(BusLoadStyle(0.70), QString());
  EXPECT_TRUE(BusLoadStyle(0.71).contains(QStringLiteral("#C06000")));
  EXPECT_TRUE(BusLoadStyle(0.91).contains(QStringLiteral("#C00000")));
}

// A database's cycle time is asked when an identifier first comes and again when the
// databases change; lateness is then measured against it.
TEST(TrafficStatistics, ExpectedCyclesComeFromTheDatabaseLookup) {
  TTrafficStatistics traffic(500'000);
  std::int64_t cycle = 10'000;
  traffic.ExpectedCycleUs = [&](std::int64_t canId, bool) { return canId == 0x100 ? cycle : 0; };
  traffic.FrameEntered(Stamped(0x100, 0), true);
  traffic.FrameEntered(Stamped(0x200, 0), true);
  EXPECT_EQ(traffic.Statistics().Find(0x100, false)->ExpectedCycleUs, 10'000);
  EXPECT_EQ(traffic.Statistics().Find(0x200, false)->ExpectedCycleUs, 0);
  traffic.FrameEntered(Stamped(0x200, 40), true);
  EXPECT_EQ(traffic.Statistics().Arrival(*traffic.Statistics().Find(0x100, false), 40'000), TArrival::Late);
  cycle = 100'000;
  traffic.RefreshExpectedCycles();
  EXPECT_EQ(traffic.Statistics().Arrival(*traffic.Statistics().Find(0x100, false), 40'000), TArrival::OnTime);
}

TEST(StatisticsPage, ErrorLineNamesEveryClassTheLastTimeAndTheBusState) {
  TCanErrorCounts counts;
  counts.Count[static_cast<std::size_t>(TCanErrorClass::ErrorPassive)] = 2;
  counts.Count[static_cast<std::size_t>(TCanErrorClass::Crc)] = 1;
  EXPECT_EQ(CanErrorsText(counts), QStringLiteral("Errors: bus-off 0, error passive 2, warning 0, stuff 0, form 0, ACK 0, bit 0, CRC 1, "
                                                  "restarts 0; bus error active"));
  counts.LastMs = 1234;
  counts.State = TCanBusState::ErrorPassive;
  EXPECT_TRUE(CanErrorsText(counts).endsWith(QStringLiteral(", last at 1234 ms; bus error passive")));
  counts.KernelDrops = 18154;  // only said once there are any
  EXPECT_TRUE(CanErrorsText(counts).endsWith(
      QStringLiteral(", last at 1234 ms; 18154 frames dropped by the kernel; bus error passive")));
}
