// Bus figures over frames with given times: periods, the load of a known second, late and
// gone messages, and the semicolon report.
#include <gtest/gtest.h>

#include <QList>
#include <algorithm>
#include <cmath>
#include <random>

#include "stats/BusStatistics.h"
#include "stats/FrameLength.h"
#include "stats/StatisticsReport.h"

namespace {
TCanMsgProg Frame(std::int64_t id, int dlc = 8, bool extended = false) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.Extended = extended;
  msg.DLC = dlc;
  return msg;
}
constexpr std::int64_t kMs = 1000;
}  // namespace

TEST(BusStatistics, PeriodsPerIdentifierAndBothKindsOfTheSameNumberApart) {
  TBusStatistics stats(500'000);
  for (std::int64_t t : {0, 100, 199, 301, 400}) stats.Add(Frame(0x100), t * kMs);
  stats.Add(Frame(0x100, 8, true), 50 * kMs);
  const TIdStatistics* id = stats.Find(0x100, false);
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(id->Count, 5u);
  EXPECT_EQ(id->MinPeriodUs, 99 * kMs);
  EXPECT_EQ(id->MaxPeriodUs, 102 * kMs);
  EXPECT_DOUBLE_EQ(id->MeanPeriodUs(), 100.0 * kMs);
  // periods 100, 99, 102, 99: deviations 0, -1, 2, -1 ms; sample variance 6/3 ms²
  EXPECT_NEAR(id->StdPeriodUs(), std::sqrt(2.0) * kMs, 1e-6);
  EXPECT_EQ(id->Bytes, 40u);
  EXPECT_EQ(stats.Find(0x100, true)->Count, 1u);
  EXPECT_EQ(stats.InIdentifierOrder().size(), 2u);
  EXPECT_FALSE(stats.InIdentifierOrder()[0]->Extended) << "standard first";
  // A "standard" number beyond 11 bits (a foreign log's) is still one of its own.
  stats.Add(Frame(0x900), 60 * kMs);
  stats.Add(Frame(0x900), 70 * kMs);
  EXPECT_EQ(stats.Find(0x900, false)->Count, 2u);
  EXPECT_EQ(stats.Find(0x900, true), nullptr);
  EXPECT_EQ(stats.Find(0x7FF, false), nullptr);
  stats.Clear();
  EXPECT_EQ(stats.Find(0x100, false), nullptr);
  stats.Add(Frame(0x101), 0);
  EXPECT_EQ(stats.Find(0x101, false), &stats.Identifiers()[0]);
}

// Each identifier keeps its last header; frames that change DLC, RTR or kind under the same
// number must still count their own length, and periods from microseconds to many minutes must
// give the mean and deviation a two-pass computation gives.
TEST(BusStatistics, BitsAndPeriodsAgreeWithAFrameByFrameRecount) {
  std::mt19937_64 random(11);
  TBusStatistics stats(500'000);
  struct TExpected {
    std::uint64_t bits = 0;
    std::vector<std::int64_t> periods;
    std::int64_t last = -1;
  };
  std::vector<TExpected> expected(8);
  std::int64_t now = 0;
  for (int i = 0; i < 20'000; ++i) {
    const auto slot = static_cast<std::size_t>(random() % 8);
    TCanMsgProg msg = Frame(0x700 + static_cast<std::int64_t>(slot / 2), static_cast<int>(random() % 9), slot % 2 == 1);
    msg.RTR = random() % 5 == 0;
    for (auto& byte : msg.Data) byte = static_cast<std::uint8_t>(random());
    now += random() % 4 == 0 ? static_cast<std::int64_t>(random() % 600'000'000) : static_cast<std::int64_t>(random() % 3);
    stats.Add(msg, now);
    TExpected& e = expected[slot];
    e.bits += static_cast<std::uint64_t>(FrameBitsOnWire(msg));
    if (e.last >= 0) e.periods.push_back(now - e.last);
    e.last = now;
  }
  for (std::size_t slot = 0; slot < expected.size(); ++slot) {
    const TIdStatistics* id = stats.Find(0x700 + static_cast<std::int64_t>(slot / 2), slot % 2 == 1);
    ASSERT_NE(id, nullptr);
    const TExpected& e = expected[slot];
    EXPECT_EQ(id->Bits, e.bits) << slot;
    long double mean = 0, squares = 0;
    for (std::int64_t p : e.periods) mean += static_cast<long double>(p);
    mean /= static_cast<long double>(e.periods.size());
    for (std::int64_t p : e.periods) squares += (static_cast<long double>(p) - mean) * (static_cast<long double>(p) - mean);
    const auto std = static_cast<double>(std::sqrt(squares / static_cast<long double>(e.periods.size() - 1)));
    EXPECT_NEAR(id->MeanPeriodUs(), static_cast<double>(mean), 1e-6 * static_cast<double>(mean)) << slot;
    EXPECT_NEAR(id->StdPeriodUs(), std, 1e-6 * std) << slot;
    EXPECT_EQ(id->MinPeriodUs, *std::min_element(e.periods.begin(), e.periods.end())) << slot;
    EXPECT_EQ(id->MaxPeriodUs, *std::max_element(e.periods.begin(), e.periods.end())) << slot;
  }
}

TEST(BusStatistics, LoadOfAKnownSecondItsPeakAndTheAverage) {
  TBusStatistics stats(125'000);
  const auto bits = static_cast<double>(FrameBitsOnWire(Frame(0x7E8)));
  for (int i = 0; i < 100; ++i) stats.Add(Frame(0x7E8), i * 10 * kMs);  // 100 frames in the first second
  EXPECT_NEAR(stats.LastSecondLoad(999 * kMs), 100 * bits / 125'000, 1e-12);
  EXPECT_NEAR(stats.LastSecondLoad(1'495 * kMs), 50 * bits / 125'000, 1e-12) << "half of the second has passed out";
  EXPECT_EQ(stats.LastSecondLoad(5'000 * kMs), 0.0) << "a silent bus";
  stats.Add(Frame(0x7E8), 3'000 * kMs);
  EXPECT_NEAR(stats.LastSecondLoad(3'000 * kMs), bits / 125'000, 1e-12);
  EXPECT_NEAR(stats.PeakLoad(), 100 * bits / 125'000, 1e-12);
  EXPECT_NEAR(stats.AverageLoad(4'000 * kMs), 101 * bits / 125'000 / 4.0, 1e-12);
}

TEST(BusStatistics, LateAfterThreePeriodsGoneAfterTenAndBackWhenItComes) {
  TBusStatistics stats(500'000);
  for (int i = 0; i < 5; ++i) stats.Add(Frame(0x200), i * 100 * kMs);
  const TIdStatistics& id = *stats.Find(0x200, false);
  EXPECT_EQ(stats.Arrival(id, 700 * kMs), TArrival::OnTime);
  EXPECT_EQ(stats.Arrival(id, 701 * kMs), TArrival::Late);
  EXPECT_EQ(stats.Arrival(id, 1'401 * kMs), TArrival::Gone);
  stats.Add(Frame(0x200), 1'500 * kMs);
  EXPECT_EQ(stats.Arrival(*stats.Find(0x200, false), 1'500 * kMs), TArrival::OnTime);
  // A database's cycle time is the measure when there is one.
  stats.SetExpectedCycle(0x200, false, 10 * kMs);
  EXPECT_EQ(stats.Arrival(*stats.Find(0x200, false), 1'531 * kMs), TArrival::Late);
  EXPECT_EQ(stats.Find(0x300, false), nullptr);
}

TEST(StatisticsReport, CaptionsOneLinePerIdentifierAscendingThenTheTotal) {
  TBusStatistics stats(500'000);
  stats.Add(Frame(0x300, 0), 0);
  for (std::int64_t t : {0, 100, 200, 300}) stats.Add(Frame(0x100, 1), t * kMs + 500);
  stats.Add(Frame(0x300, 0), 1'000 * kMs);
  const int bits100 = FrameBitsOnWire(Frame(0x100, 1)), bits300 = FrameBitsOnWire(Frame(0x300, 0));
  const QByteArray text = StatisticsCsvUtf8(stats);
  const QList<QByteArray> lines = text.split('\n');
  ASSERT_EQ(lines.size(), 5);
  EXPECT_EQ(lines[0], "ID;Count;Bits;Frames/s;Mean period ms;Min period ms;Max period ms;Std period ms;Load %\r");
  EXPECT_EQ(lines[1], "100;4;" + QByteArray::number(4 * bits100) + ";4.000;100.000;100.000;100.000;0.000;" +
                          QByteArray::number(4.0 * bits100 / 500'000 * 100, 'f', 3) + "\r");
  EXPECT_EQ(lines[2], "300;2;" + QByteArray::number(2 * bits300) + ";2.000;1000.000;1000.000;1000.000;0.000;" +
                          QByteArray::number(2.0 * bits300 / 500'000 * 100, 'f', 3) + "\r");
  EXPECT_EQ(lines[3], "Total;6;" + QByteArray::number(4 * bits100 + 2 * bits300) + ";6.000;;;;;" +
                          QByteArray::number((4.0 * bits100 + 2 * bits300) / 500'000 * 100, 'f', 3) + "\r");
  EXPECT_TRUE(lines[4].isEmpty());

  TBusStatistics single(500'000);
  single.Add(Frame(0x1, 0), 0);
  EXPECT_EQ(StatisticsCsvUtf8(single).split('\n')[1], "001;1;" + QByteArray::number(FrameBitsOnWire(Frame(0x1, 0))) + ";;;;;;\r")
      << "no span, no rates; one frame, no periods";
}
