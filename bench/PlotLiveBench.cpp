// A live plot's cost: 20 signals at 1,000 samples/s each, drained every 200 ms into the lists
// and the samples while the "Plot" window follows the bus, against the same capture without
// the plot. Runs in real time; the counter is the plot's share of one core.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <ctime>

#include "PipelineBench.h"
#include "plot/PlotSamples.h"
#include "plot/PlotWindow.h"
#include "signals/DbcReader.h"

namespace {
constexpr int kSignals = 20;
constexpr int kRateHz = 1000;
constexpr int kDrainMs = 200;
constexpr int kSeconds = 5;

std::string LiveDbc() {
  std::string dbc;
  for (int i = 0; i < kSignals; ++i)
    dbc += "BO_ " + std::to_string(0x100 + i) + " M" + std::to_string(i) + ": 8 X\n SG_ S" + std::to_string(i) +
           " : 0|16@1+ (0.01,0) [0|0] \"V\" X\n";
  return dbc;
}

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// kSeconds of the bus in real time; returns the process's CPU seconds over them.
double RunLiveBus(TTrafficViews& views) {
  std::int64_t sent = 0;
  QEventLoop loop;
  QTimer drain;
  drain.setInterval(kDrainMs);
  QObject::connect(&drain, &QTimer::timeout, &loop, [&] {
    views.BeginDrain();
    for (int n = 0; n < kRateHz * kDrainMs / 1000; ++n, ++sent) {
      for (int s = 0; s < kSignals; ++s) {
        TCanMsgProg msg;
        msg.CanId = 0x100 + s;
        msg.DLC = 8;
        msg.Time = static_cast<std::int32_t>(sent % 60000);
        const auto raw = static_cast<std::uint16_t>(30000 + (sent * (s + 1) * 37) % 20000);
        msg.Data[0] = static_cast<std::uint8_t>(raw);
        msg.Data[1] = static_cast<std::uint8_t>(raw >> 8);
        views.DispatchReceivedMessage(msg);
      }
    }
    views.EndDrain();
  });
  QTimer::singleShot(kSeconds * 1000, &loop, &QEventLoop::quit);
  const double start = ProcessCpuSeconds();
  drain.start();
  loop.exec();
  return ProcessCpuSeconds() - start;
}
}  // namespace

static void BM_PlotLive20Signals(benchmark::State& state) {
  BenchApp();
  TSignalDatabases databases;
  std::vector<std::string> warnings;
  databases.Add(ParseDbc(LiveDbc(), "live.dbc"), warnings);
  for (auto _ : state) {
    TTrafficViews bare(QuietSeams());
    const double without = RunLiveBus(bare);

    TTrafficViews views(QuietSeams());
    TPlotSamples samples(databases);
    samples.DatabasesChanged();
    for (int s = 0; s < kSignals; ++s) samples.Subscribe(*databases.Find(0x100 + s, false), 0);
    TPlotWindow window(samples);
    samples.OnChanged = [&window] { window.Refresh(); };
    views.AddObserver(&samples);
    window.resize(1600, 1000);
    window.show();
    const double with = RunLiveBus(views);
    views.RemoveObserver(&samples);

    state.counters["cpu_pct_capture"] = 100.0 * without / kSeconds;
    state.counters["cpu_pct_with_plot"] = 100.0 * with / kSeconds;
    state.counters["plot_pct_of_a_core"] = 100.0 * (with - without) / kSeconds;
    state.counters["samples"] = static_cast<double>(samples.Series(0).Samples.Size()) * kSignals;
  }
}
BENCHMARK(BM_PlotLive20Signals)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
