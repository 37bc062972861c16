// Plot redraw: one strip of 10,000,000 samples drawn at 1,920 pixel columns, over the whole
// capture, a tenth of it and a range of a few hundred samples (the exact line), and the cost
// of appending a sample with its pyramid.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "PipelineBench.h"
#include "plot/PlotWidget.h"
#include "signals/DbcReader.h"

namespace {

constexpr std::size_t kSamples = 10'000'000;
constexpr int kWidth = 1920;

struct TPlotBenchData {
  TPlotBenchData() {
    std::vector<std::string> warnings;
    databases.Add(ParseDbc("BO_ 16 M: 8 X\n SG_ Volt : 0|16@1+ (0.01,0) [0|0] \"V\" X\n", "bench.dbc"), warnings);
    samples.DatabasesChanged();
    samples.Subscribe(*databases.Find(16, false), 0);
    TCanMsgProg msg;
    msg.CanId = 16;
    msg.DLC = 8;
    samples.DrainBegun();
    for (std::size_t i = 0; i < kSamples; ++i) {
      // 10 kHz for 1,000 s: a slow wave with noise.
      msg.Time = static_cast<std::int32_t>(i / 10);
      const auto raw = static_cast<std::uint16_t>(30000 + 20000 * std::sin(static_cast<double>(i) * 1e-5) + static_cast<double>((i * 7919) % 512));
      msg.Data[0] = static_cast<std::uint8_t>(raw);
      msg.Data[1] = static_cast<std::uint8_t>(raw >> 8);
      samples.FrameEntered(msg, true);
    }
    samples.DrainEnded();
  }
  TSignalDatabases databases;
  TPlotSamples samples{databases};
};

TPlotBenchData& BenchData() {
  static TPlotBenchData data;
  return data;
}

}  // namespace

// range(0): the shown range as a divisor of the whole capture's length.
static void BM_PlotRedraw10MSamples(benchmark::State& state) {
  BenchApp();
  TPlotBenchData& data = BenchData();
  const double whole = data.samples.Series(0).Samples.Time(kSamples - 1) + 1;
  TPlotView view;
  const double length = whole / static_cast<double>(state.range(0));
  view.Show((whole - length) / 3, (whole - length) / 3 + length);  // the whole capture at 1
  QImage image(kWidth, 300, QImage::Format_RGB32);
  std::vector<TPixelColumn> scratch;
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    benchmark::DoNotOptimize(PaintPlotCurve(painter, image.rect(), data.samples.Series(0), view, Qt::blue, scratch));
  }
  state.counters["samples_shown"] = static_cast<double>(data.samples.Series(0).Samples.LowerBound(view.T1()) -
                                                        data.samples.Series(0).Samples.LowerBound(view.T0()));
}
BENCHMARK(BM_PlotRedraw10MSamples)->Arg(1)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

static void BM_PlotAppendSample(benchmark::State& state) {
  TSampleColumn column;
  double time = 0;
  for (auto _ : state) {
    column.Append(time, std::sin(time));
    time += 1;
    if (column.Size() == kSamples) {
      state.PauseTiming();
      column.Clear();
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlotAppendSample);
