// What the cursors and the hover label read: the sample at or before a time at the edges of a
// column (before the first, on a sample, among samples sharing a time, after the last), the
// value texts with unit and value-table text, the difference between the cursors, and the
// view's keeping of hand-zoomed ranges and cursors.

#include <gtest/gtest.h>

#include <limits>

#include "plot/PlotReadout.h"
#include "plot/PlotView.h"
#include "support/CoreApplication.h"
#include "support/QtPrinters.h"

namespace {

struct PlotReadout : ::testing::Test {
  PlotReadout() {
    EnsureCoreApplication();
    TSignalDef mode;
    mode.Name = "Mode";
    mode.Factor = 0.5;
    mode.Offset = 1;
    mode.Unit = "bar";
    mode.Values = {{0, "Off"}, {2, "High"}};
    message.Name = "Pump";
    message.Signals.push_back(mode);
    series.Key = {16, false, "Mode"};
    series.Message = "Pump";
    series.Unit = "bar";
    series.Def = &message;
    series.SignalIndex = 0;
    // Physical 1 (raw 0, "Off") at 100 and twice at 200, 1.5 (raw 1, no text) at 300, 2 (raw 2, "High") at 400.
    const std::pair<double, double> kSamples[] = {{100, 1}, {200, 1}, {200, 1.5}, {300, 1.5}, {400, 2}};
    for (const auto& [time, value] : kSamples) series.Samples.Append(time, value);
  }
  TMessageDef message;
  TPlotSeries series;
};

}  // namespace

TEST_F(PlotReadout, TheSampleAtOrBeforeATimeAtTheEdgesOfTheColumn) {
  const TSampleColumn& column = series.Samples;
  EXPECT_FALSE(SampleAtOrBefore(column, 99.999));
  EXPECT_EQ(SampleAtOrBefore(column, 100), 0u);
  // Two samples at 200: the later one is what the signal held at 200.
  EXPECT_EQ(SampleAtOrBefore(column, 200), 2u);
  EXPECT_EQ(SampleAtOrBefore(column, 299.5), 2u);
  EXPECT_EQ(SampleAtOrBefore(column, 400), 4u);
  EXPECT_EQ(SampleAtOrBefore(column, 1e9), 4u);
  EXPECT_FALSE(SampleAtOrBefore(TSampleColumn{}, 0));

  EXPECT_EQ(NearestSample(column, -50), 0u);
  EXPECT_EQ(NearestSample(column, 340), 3u);
  EXPECT_EQ(NearestSample(column, 360), 4u);
  EXPECT_EQ(NearestSample(column, 350), 3u);  // a tie goes to the earlier
  EXPECT_EQ(NearestSample(column, 5000), 4u);
  EXPECT_FALSE(NearestSample(TSampleColumn{}, 0));
}

TEST_F(PlotReadout, ValuesReadWithUnitAndTableTextThroughFactorAndOffset) {
  const TSignalDef& signal = message.Signals[0];
  EXPECT_EQ(PlotTableText(signal, 1.0), "Off");
  EXPECT_EQ(PlotTableText(signal, 2.0), "High");
  EXPECT_EQ(PlotTableText(signal, 1.5), "");
  EXPECT_EQ(PlotTableText(signal, std::numeric_limits<double>::quiet_NaN()), "");
  EXPECT_EQ(PlotValueText(series, 2.0), "2.0 bar (High)");
  EXPECT_EQ(PlotValueText(series, 1.5), "1.5 bar");
  // Without a definition the value and the unit kept from it.
  TPlotSeries orphan;
  orphan.Unit = "V";
  EXPECT_EQ(PlotValueText(orphan, 0.1), "0.1 V");
}

TEST_F(PlotReadout, CursorsReadTheLastSampleAtOrBeforeThemAndTheirDifference) {
  TCursorReading reading = ReadCursors(series, 250.0, 400.0);
  EXPECT_EQ(reading.Values[0], "1.5 bar");
  EXPECT_EQ(reading.Values[1], "2.0 bar (High)");
  EXPECT_EQ(reading.Delta, "0.5 bar");
  // Before the first sample there is nothing to read, nor a difference.
  reading = ReadCursors(series, 50.0, 150.0);
  EXPECT_EQ(reading.Values[0], "");
  EXPECT_EQ(reading.Values[1], "1.0 bar (Off)");
  EXPECT_EQ(reading.Delta, "");
  // After the last the last value holds; the second cursor may stand left of the first.
  reading = ReadCursors(series, 9000.0, 100.0);
  EXPECT_EQ(reading.Values[0], "2.0 bar (High)");
  EXPECT_EQ(reading.Delta, "-1.0 bar");
  reading = ReadCursors(series, std::nullopt, 300.0);
  EXPECT_EQ(reading.Values[0], "");
  EXPECT_EQ(reading.Values[1], "1.5 bar");
}

TEST_F(PlotReadout, TimesHaveTheDecimalsTheZoomNeeds) {
  EXPECT_EQ(PlotTimeText(12345.678, 5), "12.346 s");
  EXPECT_EQ(PlotTimeText(12345.678, 0.01), "12.34568 s");
  EXPECT_EQ(PlotDurationText(250), "250 ms");
  EXPECT_EQ(PlotDurationText(-0.5), "-0.5 ms");
  EXPECT_EQ(PlotDurationText(1500), "1.5 s");
}

TEST(PlotViewState, KeepsHandZoomedRangesByTheSignalAndTwoCursors) {
  TPlotView view;
  const TPlotSignalKey speed{1, false, "Speed"};
  const TPlotSignalKey temp{1, false, "Temp"};
  view.SetValueRange(speed, {10, 20});
  view.SetValueRange(speed, {12, 18});
  view.SetOverlayRange({0, 5});
  ASSERT_TRUE(view.ValueRange(speed));
  EXPECT_EQ(view.ValueRange(speed)->Min, 12);
  EXPECT_FALSE(view.ValueRange(temp));
  // Ranges no strip can be drawn over, as a damaged project could hold, are refused.
  view.SetValueRange(temp, {5, 5});
  view.SetValueRange(temp, {0, std::numeric_limits<double>::infinity()});
  view.SetValueRange(speed, {std::numeric_limits<double>::quiet_NaN(), 1});
  view.SetOverlayRange({3, 1});
  EXPECT_FALSE(view.ValueRange(temp));
  EXPECT_EQ(view.ValueRange(speed)->Max, 18);
  EXPECT_EQ(view.OverlayRange()->Max, 5);
  view.AutoValueRanges();
  EXPECT_FALSE(view.ValueRange(speed));
  EXPECT_FALSE(view.OverlayRange());

  view.SetCursor(1, 100);
  view.SetCursor(2, 250);
  view.SetCursor(3, 7);  // there is no third
  view.SetCursor(1, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(view.Cursor(1), 100.0);
  EXPECT_EQ(view.Cursor(2), 250.0);
  EXPECT_FALSE(view.Cursor(0));
  EXPECT_FALSE(view.Cursor(3));
  view.ClearCursors();
  EXPECT_FALSE(view.Cursor(1));
  EXPECT_FALSE(view.Cursor(2));
}
