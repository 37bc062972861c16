// The plot as drawn: a single-sample spike among a million samples still reaches its height
// in its pixel column (minimum and maximum per column, not every n-th sample), a short range
// draws the exact line, and the legend names the signal.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "plot/PlotWidget.h"
#include "signals/DbcReader.h"
#include "support/QtTestApp.h"
#include "views/TrafficViews.h"

namespace {

// The rows of column `x` of `area` drawn in `colour`, top to bottom; empty when none.
std::pair<int, int> ColouredRows(const QImage& image, const QRect& area, int x, const QColor& colour) {
  int top = -1;
  int bottom = -1;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    if (image.pixelColor(x, y) != colour) continue;
    if (top < 0) top = y;
    bottom = y;
  }
  return {top, bottom};
}

struct PlotDrawing : ::testing::Test {
  PlotDrawing() {
    TestApp();
    std::vector<std::string> warnings;
    databases.Add(ParseDbc("BO_ 16 M: 8 X\n SG_ Volt : 0|16@1+ (1,0) [0|0] \"V\" X\n", "bus.dbc"), warnings);
    samples.DatabasesChanged();
    EXPECT_TRUE(samples.Subscribe(*databases.Find(16, false), 0));
  }
  void Feed(std::size_t count, std::size_t spikeAt) {
    TTrafficViews traffic{TTrafficSeams{}};
    traffic.AddObserver(&samples);
    traffic.BeginDrain();
    TCanMsgProg msg;
    msg.CanId = 16;
    msg.DLC = 8;
    for (std::size_t i = 0; i < count; ++i) {
      msg.Time = static_cast<std::int32_t>(i);
      msg.Data[0] = i == spikeAt ? 100 : static_cast<std::uint8_t>(i % 3);
      samples.FrameEntered(msg, true);
    }
    traffic.EndDrain();
    traffic.RemoveObserver(&samples);
  }
  QImage Draw(double t0, double t1, const QRect& area) {
    view.Show(t0, t1);
    QImage image(area.right() + 10, area.bottom() + 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    scale = PaintPlotCurve(painter, area, samples.Series(0), view, Qt::red, scratch);
    return image;
  }

  TSignalDatabases databases;
  TPlotSamples samples{databases};
  TPlotView view;
  std::vector<TPixelColumn> scratch;
  TMinMax scale;
};

}  // namespace

TEST_F(PlotDrawing, ASpikeOfOneSampleReachesItsHeightAmongAMillion) {
  Feed(1'000'000, 654'321);
  const QRect area(0, 0, 500, 201);
  const QImage image = Draw(0, 1'000'000, area);
  EXPECT_LT(scale.Min, 0);
  EXPECT_GT(scale.Max, 100);
  const int spikeX = static_cast<int>(654'321 / 2000.0);  // 2,000 samples a column
  const auto [top, bottom] = ColouredRows(image, area, spikeX, Qt::red);
  ASSERT_GE(top, 0);
  const double expectedTop = area.bottom() - (100 - scale.Min) / (scale.Max - scale.Min) * (area.height() - 1);
  EXPECT_NEAR(top, expectedTop, 1.5);
  // Its neighbours only span 0..2.
  const auto [otherTop, otherBottom] = ColouredRows(image, area, spikeX + 5, Qt::red);
  EXPECT_GT(otherTop, area.bottom() - 20);
  EXPECT_GE(otherBottom, otherTop);
}

TEST_F(PlotDrawing, AShortRangeDrawsTheExactLineBetweenItsSamples) {
  Feed(1000, 500);
  const QRect area(0, 0, 400, 101);
  const QImage image = Draw(495, 505, area);  // 10 samples over 400 pixels
  // The spike's sample sits at x = (500 - 495) / 10 * 400 = 200 and the line climbs to it.
  const auto [top, bottom] = ColouredRows(image, area, 200, Qt::red);
  ASSERT_GE(top, 0);
  EXPECT_LE(top, 8);
  const auto [midTop, midBottom] = ColouredRows(image, area, 180, Qt::red);  // half-way up the slope
  ASSERT_GE(midTop, 0);
  EXPECT_GT(midTop, top + 20);
  EXPECT_LT(midBottom, area.bottom() - 20);
}

TEST_F(PlotDrawing, TheWidgetDrawsAStripWithItsLegend) {
  Feed(5000, 10);
  TPlotWidget widget(samples, view);
  widget.resize(800, 300);
  view.Show(0, 5000);
  const QImage image = widget.grab().toImage();
  const QRect strip = widget.StripRect(0);
  // The legend's colour box, then somewhere along the strip the curve in the same colour.
  EXPECT_EQ(image.pixelColor(strip.left() + 10, strip.top() + 10), PlotColour(0));
  int curveColumns = 0;
  for (int x = strip.left() + 40; x < strip.right(); x += 10)
    if (ColouredRows(image, strip, x, PlotColour(0)).first >= 0) ++curveColumns;
  EXPECT_GT(curveColumns, 50);
}
