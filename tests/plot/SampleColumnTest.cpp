// The sample columns and their pyramid against a brute-force scan of the same values: every
// level, ranges that start and end on and beside block edges, the decimation into pixel
// columns, NaN values and a clock that goes back.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "plot/SampleColumn.h"

namespace {

TMinMax BruteForce(const TSampleColumn& column, std::size_t first, std::size_t last) {
  TMinMax range = TMinMax::None();
  for (std::size_t index = first; index < last; ++index) range.Add(column.Value(index));
  return range;
}

void ExpectSame(const TMinMax& expected, const TMinMax& actual, std::size_t first, std::size_t last) {
  ASSERT_EQ(expected.Empty(), actual.Empty()) << first << ".." << last;
  if (expected.Empty()) return;
  EXPECT_EQ(expected.Min, actual.Min) << first << ".." << last;
  EXPECT_EQ(expected.Max, actual.Max) << first << ".." << last;
}

TSampleColumn RandomColumn(std::size_t count, unsigned seed) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> value(0, 100);
  TSampleColumn column;
  double time = 0;
  for (std::size_t index = 0; index < count; ++index) {
    time += static_cast<double>(random() % 3);  // repeated times too
    column.Append(time, value(random));
  }
  return column;
}

}  // namespace

TEST(SampleColumn, RangesAtBlockEdgesOfEveryLevelMatchAScan) {
  // Over 64^3 samples: three levels, the third with more than one block.
  const TSampleColumn column = RandomColumn(300'000, 7);
  ASSERT_EQ(column.LevelCount(), 4U);
  std::vector<std::size_t> edges = {0, 1, column.Size() - 1, column.Size()};
  for (std::size_t block : {std::size_t{64}, std::size_t{4096}, std::size_t{262144}})
    for (std::size_t k : {std::size_t{1}, std::size_t{2}, std::size_t{3}})
      for (std::size_t edge : {block * k - 1, block * k, block * k + 1})
        if (edge <= column.Size()) edges.push_back(edge);
  for (std::size_t first : edges)
    for (std::size_t last : edges)
      if (first <= last && last <= column.Size()) ExpectSame(BruteForce(column, first, last), column.RangeMinMax(first, last), first, last);
}

TEST(SampleColumn, RandomRangesMatchAScanWhileSamplesAppend) {
  std::mt19937_64 random(11);
  TSampleColumn column;
  std::uniform_real_distribution<double> value(-1e6, 1e6);
  for (std::size_t round = 0; round < 40; ++round) {
    const std::size_t more = random() % 20'000;
    for (std::size_t n = 0; n < more; ++n) column.Append(static_cast<double>(column.Size()), value(random));
    for (int query = 0; query < 50; ++query) {
      std::size_t first = column.Size() ? random() % (column.Size() + 1) : 0;
      std::size_t last = column.Size() ? random() % (column.Size() + 1) : 0;
      if (first > last) std::swap(first, last);
      ExpectSame(BruteForce(column, first, last), column.RangeMinMax(first, last), first, last);
    }
  }
  // The range is cut at the end of the samples.
  ExpectSame(BruteForce(column, 5, column.Size()), column.RangeMinMax(5, column.Size() + 100), 5, column.Size());
}

TEST(SampleColumn, DecimationMatchesAScanPerPixelColumn) {
  const TSampleColumn column = RandomColumn(100'000, 3);
  const double end = column.Time(column.Size() - 1);
  std::vector<TPixelColumn> cells;
  for (int width : {1, 7, 640, 1920}) {
    for (const auto& [t0, t1] : {std::pair{0.0, end + 1}, std::pair{end / 3, end / 3 + 5000}, std::pair{-50.0, 10.0}, std::pair{end - 10, end + 90}}) {
      column.Decimate(t0, t1, width, cells);
      ASSERT_EQ(cells.size(), static_cast<std::size_t>(width));
      std::size_t seen = 0;
      for (int x = 0; x < width; ++x) {
        const double left = t0 + (t1 - t0) * x / width;
        const double right = t0 + (t1 - t0) * (x + 1) / width;
        std::size_t first = 0;
        while (first < column.Size() && column.Time(first) < left) ++first;  // brute force, not the search
        std::size_t last = first;
        while (last < column.Size() && column.Time(last) < right) ++last;
        const TPixelColumn& cell = cells[static_cast<std::size_t>(x)];
        ASSERT_EQ(cell.Count, last - first) << width << " " << x;
        seen += cell.Count;
        if (cell.Count == 0) continue;
        EXPECT_EQ(cell.First, first);
        ExpectSame(BruteForce(column, first, last), cell.Range, first, last);
        EXPECT_EQ(cell.FirstValue, column.Value(first));
        EXPECT_EQ(cell.LastValue, column.Value(last - 1));
      }
      EXPECT_EQ(seen, column.LowerBound(t1) - column.LowerBound(t0));
    }
  }
}

TEST(SampleColumn, KeepsNaNOutOfRangesAndClampsAClockThatGoesBack) {
  TSampleColumn column;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int index = 0; index < 200; ++index) column.Append(index, index == 70 ? -5 : (index % 2 ? nan : index));
  column.Append(100, 3);  // earlier than 199
  ASSERT_EQ(column.Size(), 201U);
  EXPECT_EQ(column.Time(200), 199);
  EXPECT_EQ(column.Value(200), 3);
  EXPECT_EQ(column.Clamped(), 1U);
  const TMinMax all = column.RangeMinMax(0, column.Size());
  EXPECT_EQ(all.Min, -5);
  EXPECT_EQ(all.Max, 198);
  EXPECT_TRUE(column.RangeMinMax(1, 2).Empty());  // NaN alone
  EXPECT_TRUE(column.RangeMinMax(10, 10).Empty());
  EXPECT_EQ(column.LowerBound(50.5), 51U);
  EXPECT_EQ(column.LowerBound(1000), column.Size());
  column.Clear();
  EXPECT_TRUE(column.Empty());
  EXPECT_EQ(column.LevelCount(), 0U);
}

TEST(SampleColumn, MemoryStaysWithinSixteenBytesASamplePlusTenPercent) {
  const TSampleColumn column = RandomColumn(2'000'000, 5);
  EXPECT_LE(static_cast<double>(column.BytesUsed()), 16.0 * 1.1 * static_cast<double>(column.Size()));
}
