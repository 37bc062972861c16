// The plot's samples fed through the traffic's frame path: only subscribed signals, only when
// present, one announcement per drain, definitions found again after a new load; the
// semicolon export at the original time stamps; the time range's zoom, pan, fit and follow.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include "plot/PlotExport.h"
#include "plot/PlotSamples.h"
#include "plot/PlotView.h"
#include "signals/DbcReader.h"
#include "storage/TreeFile.h"
#include "support/CoreApplication.h"
#include "views/TrafficViews.h"

namespace {

const char* const kDbc =
    "BO_ 165 Engine: 8 X\n"
    " SG_ Speed : 0|16@1+ (0.25,0) [0|0] \"rpm\" X\n"
    " SG_ Temp : 16|8@1- (1,-40) [0|0] \"degC\" X\n"
    "BO_ 512 Paged: 8 X\n"
    " SG_ Page M : 0|8@1+ (1,0) [0|0] \"\" X\n"
    " SG_ One m1 : 8|8@1+ (1,0) [0|0] \"V;A\" X\n";

TCanMsgProg Frame(std::int64_t id, std::initializer_list<std::uint8_t> data, std::int32_t time) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.DLC = static_cast<int>(data.size());
  std::copy(data.begin(), data.end(), msg.Data.begin());
  msg.Time = time;
  return msg;
}

struct PlotSamples : ::testing::Test {
  PlotSamples() {
    EnsureCoreApplication();
    traffic.AddObserver(&samples);
    samples.OnChanged = [this] { ++changes; };
    Load();
  }
  ~PlotSamples() override { traffic.RemoveObserver(&samples); }

  void Load() {
    databases.Clear();
    std::vector<std::string> warnings;
    databases.Add(ParseDbc(kDbc, "bus.dbc"), warnings);
    samples.DatabasesChanged();
  }
  const TMessageDef& Message(std::uint32_t id) const { return *databases.Find(id, false); }
  void Drain(std::initializer_list<TCanMsgProg> frames) {
    traffic.BeginDrain();
    for (const TCanMsgProg& msg : frames) traffic.DispatchReceivedMessage(msg);
    traffic.EndDrain();
  }
  std::string Export() const {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WritePlotSamples(samples, buffer);
    return buffer.data().toStdString();
  }

  TTrafficViews traffic{TTrafficSeams{}};
  TSignalDatabases databases;
  TPlotSamples samples{databases, &traffic.Trace()};
  int changes = 0;
};

}  // namespace

TEST_F(PlotSamples, TakesOnlySubscribedSignalsWhenPresentAndAnnouncesOncePerDrain) {
  ASSERT_TRUE(samples.Subscribe(Message(165), 1));  // Temp
  ASSERT_TRUE(samples.Subscribe(Message(512), 1));  // One, on page 1 only
  EXPECT_FALSE(samples.Subscribe(Message(165), 1));
  changes = 0;
  Drain({Frame(165, {0x10, 0x00, 0x50}, 10), Frame(512, {1, 7}, 12), Frame(512, {2, 9}, 14), Frame(99, {1}, 15),
         Frame(165, {0, 0, 0xFF}, 20)});
  EXPECT_EQ(changes, 1);
  const TSampleColumn& temp = samples.Series(0).Samples;
  ASSERT_EQ(temp.Size(), 2U);
  EXPECT_EQ(temp.Time(0), 10);
  EXPECT_EQ(temp.Value(0), 0x50 - 40);
  EXPECT_EQ(temp.Value(1), -1 - 40);  // signed
  const TSampleColumn& one = samples.Series(1).Samples;
  ASSERT_EQ(one.Size(), 1U);
  EXPECT_EQ(one.Time(0), 12);
  EXPECT_EQ(one.Value(0), 7);
  EXPECT_EQ(samples.LastTime(), 20);
  EXPECT_EQ(samples.Series(0).Name(), "Engine.Temp");
  EXPECT_EQ(samples.Series(0).Unit, "degC");

  Drain({Frame(99, {1}, 30)});  // nothing plotted in it
  EXPECT_EQ(changes, 1);
  samples.ClearSamples();
  EXPECT_TRUE(temp.Empty());
  EXPECT_EQ(samples.Count(), 2U);
}

TEST_F(PlotSamples, KeepsSamplesAndFindsTheSignalAgainAfterANewLoad) {
  ASSERT_TRUE(samples.Subscribe(Message(165), 0));
  Drain({Frame(165, {4, 0}, 1)});
  databases.Clear();
  samples.DatabasesChanged();
  EXPECT_EQ(samples.Series(0).Def, nullptr);
  Drain({Frame(165, {8, 0}, 2)});  // no definition: not decoded
  EXPECT_EQ(samples.Series(0).Samples.Size(), 1U);
  Load();
  ASSERT_NE(samples.Series(0).Def, nullptr);
  Drain({Frame(165, {8, 0}, 3)});
  ASSERT_EQ(samples.Series(0).Samples.Size(), 2U);
  EXPECT_EQ(samples.Series(0).Samples.Value(1), 2.0);
  samples.Unsubscribe(0);
  EXPECT_EQ(samples.Count(), 0U);
  Drain({Frame(165, {8, 0}, 4)});
}

TEST_F(PlotSamples, ExportsEverySampleAtItsOwnTimeMergedInTimeOrder) {
  ASSERT_TRUE(samples.Subscribe(Message(165), 0));
  ASSERT_TRUE(samples.Subscribe(Message(512), 1));
  // Three frames in one millisecond, a burst that resampling would lose.
  Drain({Frame(165, {1, 0}, 1000), Frame(512, {1, 200}, 1000), Frame(165, {2, 0}, 1000), Frame(165, {0xFF, 0xFF}, 1003),
         Frame(512, {1, 0}, 2500)});
  EXPECT_EQ(Export(),
            "Time;Signal;Value;Unit\r\n"
            "1000;Engine.Speed;0.25;rpm\r\n"
            "1000;Engine.Speed;0.5;rpm\r\n"
            "1000;Paged.One;200;\"V;A\"\r\n"
            "1003;Engine.Speed;16383.75;rpm\r\n"
            "2500;Paged.One;0;\"V;A\"\r\n");
}

TEST(PlotView, ZoomPanAndFitStopFollowingUntilAskedAgain) {
  TPlotView view;
  view.SetSpan(5000);
  view.Follow(1200);  // before a span has passed
  EXPECT_EQ(view.T0(), 0);
  EXPECT_EQ(view.T1(), 5000);
  view.Follow(20'000);
  EXPECT_EQ(view.T0(), 15'000);
  EXPECT_EQ(view.T1(), 20'000);

  view.Zoom(0.5, 16'000);  // the anchor keeps its place
  EXPECT_FALSE(view.Following());
  EXPECT_DOUBLE_EQ(view.T0(), 15'500);
  EXPECT_DOUBLE_EQ(view.T1(), 18'000);
  EXPECT_DOUBLE_EQ(view.TimeAt(200, 1000), 16'000);
  EXPECT_DOUBLE_EQ(view.XOf(16'000, 1000), 200);
  view.Follow(30'000);  // not while stopped
  EXPECT_DOUBLE_EQ(view.T1(), 18'000);
  view.Pan(-500);
  EXPECT_DOUBLE_EQ(view.T0(), 15'000);
  view.Zoom(1e-9, 15'000);
  EXPECT_NEAR(view.T1() - view.T0(), TPlotView::kMinimumSpan, 1e-6);

  view.SetFollowing(true);
  view.Follow(30'000);
  EXPECT_EQ(view.T0(), 25'000);

  TSignalDatabases databases;
  TPlotSamples samples(databases);
  EXPECT_FALSE(view.Fit(samples));
  EXPECT_TRUE(view.Following());
}

TEST_F(PlotSamples, FitShowsEverySampleOfEverySeries) {
  ASSERT_TRUE(samples.Subscribe(Message(165), 0));
  ASSERT_TRUE(samples.Subscribe(Message(512), 1));
  Drain({Frame(512, {1, 1}, 500), Frame(165, {1, 0}, 1000), Frame(165, {1, 0}, 10'500)});
  TPlotView view;
  ASSERT_TRUE(view.Fit(samples));
  EXPECT_FALSE(view.Following());
  EXPECT_LT(view.T0(), 500);
  EXPECT_GT(view.T1(), 10'500);
  EXPECT_EQ(samples.Series(0).Samples.LowerBound(view.T1()), 2U);
}

TEST_F(PlotSamples, CountsTimeOnAcrossTheCounterTurnLiveAndFromTheTrace) {
  ASSERT_TRUE(samples.Subscribe(Message(165), 0));
  Drain({Frame(165, {1, 0, 0}, 59'990), Frame(165, {2, 0, 0}, 5)});
  traffic.EnterSentMessage(Frame(165, {3, 0, 0}, 0));  // a sent frame: at the time of the last received one
  Drain({Frame(512, {1, 1}, 20)});
  const TSampleColumn* speed = &samples.Series(0).Samples;
  ASSERT_EQ(speed->Size(), 3U);
  EXPECT_EQ(speed->Time(1), 60'005);
  EXPECT_EQ(speed->Time(2), 60'005);
  EXPECT_EQ(speed->Clamped(), 0U);

  // The trace's rows for a signal added later, on the same scale; a sent row (its stamp is
  // not the adapter's) counts at the time of the received row before it.
  ASSERT_TRUE(samples.Subscribe(Message(165), 1));
  samples.AddHistory(1);
  const TSampleColumn& temp = samples.Series(1).Samples;
  ASSERT_EQ(temp.Size(), 3U);
  EXPECT_EQ(temp.Time(0), 59'990);
  EXPECT_EQ(temp.Time(1), 60'005);
  EXPECT_EQ(temp.Time(2), 60'005);
  EXPECT_EQ(temp.Value(0), 0 - 40);
  EXPECT_EQ(temp.Clamped(), 0U);

  samples.ClearSamples();  // a new capture counts from its own first stamp
  Drain({Frame(165, {1, 0}, 40)});
  EXPECT_EQ(samples.Series(0).Samples.Time(0), 40);  // the series moved when the second came
}

namespace {
// The plot's time of every trace row, counted from row `first` as the samples are.
std::vector<double> RowTimes(const TTraceList& trace, std::size_t first) {
  std::vector<double> times(trace.RowCount(), -1);
  TStampUnwrap stamps;
  double time = 0;
  for (std::size_t row = first; row < trace.RowCount(); ++row) {
    if (trace.Row(row).Received) time = static_cast<double>(stamps.Unwrapped(trace.Row(row).Msg.Time));
    times[row] = time;
  }
  return times;
}
}  // namespace

// Over several marks, counter turns, sent frames, frames that share a millisecond and a
// signal present in every other frame only: sample k of a series is the k-th row that carries
// its signal, and every row's time is the one its samples got.
TEST_F(PlotSamples, SamplesFindTheirTraceRowsAndRowsTheirTimes) {
  ASSERT_TRUE(samples.Subscribe(Message(165), 0));
  ASSERT_TRUE(samples.Subscribe(Message(512), 1));  // on page 1 only
  constexpr int kFrames = 15'000;
  for (int i = 0; i < kFrames;) {
    traffic.BeginDrain();
    for (int n = 0; n < 700 && i < kFrames; ++n, ++i) {
      const auto time = static_cast<std::int32_t>(i / 2 * 7 % 60'000);
      const auto byte = static_cast<std::uint8_t>(i);
      const std::int64_t id = i % 3 == 0 ? 165 : i % 3 == 1 ? 512 : 0x300;
      traffic.DispatchReceivedMessage(Frame(id, {static_cast<std::uint8_t>(i / 3 % 2), byte, byte}, time));
      if (i % 97 == 0) traffic.EnterSentMessage(Frame(165, {byte, 1}, 0));
    }
    traffic.EndDrain();
  }
  const TTraceList& trace = traffic.Trace();
  for (std::size_t series = 0; series < samples.Count(); ++series) {
    const TPlotSeries& plotted = samples.Series(series);
    std::size_t sample = 0;
    for (std::size_t row = 0; row < trace.RowCount(); ++row) {
      const TCanMsgProg& msg = trace.Row(row).Msg;
      if (msg.CanId != plotted.Key.Id || !SignalPresent(*plotted.Def, *plotted.Signal(), FrameWords(msg))) continue;
      ASSERT_LT(sample, plotted.Samples.Size());
      ASSERT_EQ(samples.TraceRowOf(series, sample), row) << "series " << series << " sample " << sample;
      ++sample;
    }
    EXPECT_EQ(sample, plotted.Samples.Size());
    EXPECT_GT(sample, 2000U);
  }
  const std::vector<double> times = RowTimes(trace, 0);
  for (std::size_t row = 0; row < trace.RowCount(); row += 37) ASSERT_EQ(samples.TimeOfTraceRow(row), times[row]) << row;
  EXPECT_EQ(samples.TimeOfTraceRow(trace.RowCount() - 1), times.back());
  EXPECT_FALSE(samples.TimeOfTraceRow(trace.RowCount()).has_value());
  EXPECT_FALSE(samples.TraceRowOf(0, samples.Series(0).Samples.Size()).has_value());
}

// A connect starts the plot's time again while the trace keeps the earlier capture: its rows
// have no place on the plot, and a signal added now takes only the new capture's frames.
TEST_F(PlotSamples, AfterAReconnectTheEarlierCaptureStaysOffThePlot) {
  ASSERT_TRUE(samples.Subscribe(Message(165), 0));
  Drain({Frame(165, {1, 0, 5}, 50'000), Frame(165, {2, 0, 6}, 59'000)});
  samples.ClearSamples();
  Drain({Frame(165, {3, 0, 7}, 100), Frame(165, {4, 0, 8}, 200)});
  EXPECT_FALSE(samples.TimeOfTraceRow(1).has_value());
  EXPECT_EQ(samples.TimeOfTraceRow(2), 100);
  EXPECT_EQ(samples.TraceRowOf(0, 1), 3U);

  ASSERT_TRUE(samples.Subscribe(Message(165), 1));
  samples.AddHistory(1);
  const TSampleColumn& temp = samples.Series(1).Samples;
  ASSERT_EQ(temp.Size(), 2U);
  EXPECT_EQ(temp.Time(0), 100);
  EXPECT_EQ(temp.Time(1), 200);
  EXPECT_EQ(temp.Value(1), 8 - 40);
  EXPECT_EQ(samples.TraceRowOf(1, 0), 2U);
}

// A trace loaded from a file is plotted as the capture that wrote it; a cleared one empties it.
TEST_F(PlotSamples, ALoadedTraceIsPlottedFromItsFirstRowAndAClearedOneEmptiesThePlot) {
  traffic.Trace().OnRowsReplaced = [this] { samples.RebuildFromTrace(); };
  ASSERT_TRUE(samples.Subscribe(Message(165), 0));
  Drain({Frame(165, {1, 0}, 59'990), Frame(512, {1, 1}, 59'995), Frame(165, {2, 0}, 5), Frame(165, {3, 0}, 9)});
  const std::vector<std::pair<double, double>> live = [this] {
    std::vector<std::pair<double, double>> points;
    const TSampleColumn& column = samples.Series(0).Samples;
    for (std::size_t i = 0; i < column.Size(); ++i) points.emplace_back(column.Time(i), column.Value(i));
    return points;
  }();
  ASSERT_EQ(live.size(), 3U);
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("trace.tr1"));
  SaveTreeFile(file, traffic.Trace());

  changes = 0;
  traffic.Trace().ClearTrace();
  EXPECT_EQ(samples.Series(0).Samples.Size(), 0U);
  EXPECT_GT(changes, 0);
  LoadTreeFile(file, traffic.Trace());
  const TSampleColumn& column = samples.Series(0).Samples;
  ASSERT_EQ(column.Size(), live.size());
  for (std::size_t i = 0; i < live.size(); ++i) EXPECT_EQ(std::pair(column.Time(i), column.Value(i)), live[i]);
  EXPECT_EQ(samples.TraceRowOf(0, 2), 3U);
  EXPECT_EQ(samples.TimeOfTraceRow(1), 59'995);
}
