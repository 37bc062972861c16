// The live-traffic lists under load: the whole receive path with the real consumers, and the
// trace at the sizes a long capture reaches.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>
#include <cstdio>
#include <unistd.h>

#include "bench/ArmedTriggers.h"
#include "bench/PipelineBench.h"
#include "app/ReceivePipeline.h"
#include "CanPackage/source/ZelCanDriver.h"
#include "transmit/PredefinedMessageList.h"
#include "stats/TrafficStatistics.h"
#include "views/TrafficViews.h"

namespace {
// Appends `rows` received frames in drain-sized batches.
void FillTrace(TTrafficViews& views, std::int64_t rows) {
  constexpr std::int64_t kBatch = 4000;
  for (std::int64_t done = 0; done < rows;) {
    views.BeginDrain();
    for (std::int64_t i = 0; i < kBatch && done < rows; ++i, ++done) views.DispatchReceivedMessage(BenchFrame(done));
    views.EndDrain();
  }
}

std::int64_t ResidentBytes() {
  long size = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &size, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<std::int64_t>(resident) * sysconf(_SC_PAGESIZE);
}

// 20 checked trigger rows that never match: every frame is compared with all of them.
void ArmTriggers(TPredefinedMessageList& triggers, TTrafficViews& views) {
  ArmNonMatchingTriggers(triggers, 0x7F0);
  views.MatchTriggerMessages = [&triggers](const TCanMsgProg& msg) { triggers.MatchTriggerMessages(msg); };
}

}  // namespace

// The receive pipeline at full load, with `observer` beside the lists when there is one.
static void RunPipeline(benchmark::State& state, TTrafficObserver* observer) {
  const int ids = static_cast<int>(state.range(0));
  constexpr std::int64_t kFrames = 1'000'000;
  std::int64_t dispatched = 0;
  for (auto _ : state) {
    TTrafficViews views(QuietSeams());
    TPredefinedMessageList triggers({});
    ArmTriggers(triggers, views);
    if (observer) views.AddObserver(observer);
    dispatched += ReceiveSaturatedBus(views, ids, kFrames);
    if (observer) views.RemoveObserver(observer);
    benchmark::DoNotOptimize(views.Trace().RowCount());
  }
  state.SetItemsProcessed(dispatched);
}

static void BM_Pipeline(benchmark::State& state) { RunPipeline(state, nullptr); }
BENCHMARK(BM_Pipeline)->Arg(100)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with the bus statistics observing it: against BM_Pipeline, their share of it.
static void BM_PipelineWithStatistics(benchmark::State& state) {
  TTrafficStatistics statistics(500'000);
  RunPipeline(state, &statistics);
  benchmark::DoNotOptimize(statistics.Statistics().Frames());
}
BENCHMARK(BM_PipelineWithStatistics)->Arg(100)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();

// An identifier sweep (a scan, a fuzzing tester): every frame brings a new extended
// identifier, in scattered order, so each is a row inserted inside the software filter and
// the monitor. Reports the mean cost of one new identifier.
static void BM_NewIdentifiers(benchmark::State& state) {
  const std::int64_t ids = state.range(0);
  constexpr std::int64_t kStride = 7919;  // prime: visits every identifier once, out of order
  for (auto _ : state) {
    TTrafficViews views(QuietSeams());
    for (std::int64_t done = 0; done < ids;) {
      views.BeginDrain();
      for (int i = 0; i < 800 && done < ids; ++i, ++done) {
        TCanMsgProg msg = BenchFrame(done);
        msg.Extended = true;
        msg.CanId = 0x10000 + done * kStride % ids;
        views.DispatchReceivedMessage(msg);
      }
      views.EndDrain();
    }
    benchmark::DoNotOptimize(views.Monitor().RowCount());
  }
  state.SetItemsProcessed(state.iterations() * ids);
}
BENCHMARK(BM_NewIdentifiers)->Arg(2048)->Arg(16384)->Arg(65536)->Arg(262144)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_TraceMemory(benchmark::State& state) {
  const std::int64_t rows = state.range(0);
  double perRow = 0;
  for (auto _ : state) {
    const std::int64_t before = ResidentBytes();
    {
      TTrafficViews views(QuietSeams());
      FillTrace(views, rows);
      perRow = static_cast<double>(ResidentBytes() - before) / static_cast<double>(rows);
      benchmark::DoNotOptimize(views.Trace().RowCount());
    }
  }
  state.counters["bytes_per_row"] = perRow;
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_TraceMemory)->Arg(10'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

static void BM_TraceSearch(benchmark::State& state) {
  TTrafficViews views(QuietSeams());
  FillTrace(views, 1'000'000);
  int flip = 0;
  for (auto _ : state) {
    // Alternate texts so that every pass really changes what is shown.
    views.Trace().Search((flip++ & 1) ? QStringLiteral("0c 18") : QStringLiteral("00 00"), fcMsg);
    benchmark::DoNotOptimize(views.Trace().Model().rowCount());
  }
  state.SetItemsProcessed(state.iterations() * 1'000'000);
}
BENCHMARK(BM_TraceSearch)->Unit(benchmark::kMillisecond);

static void BM_TraceAppend(benchmark::State& state) {
  BenchApp();
  TTrafficViews views(QuietSeams());
  FillTrace(views, 1'000'000);
  QTreeView view;
  view.setUniformRowHeights(true);
  view.setModel(&views.Trace().Model());
  view.resize(800, 600);
  std::int64_t next = 1'000'000;
  for (auto _ : state) {
    views.BeginDrain();
    for (int i = 0; i < 4000; ++i) views.DispatchReceivedMessage(BenchFrame(next++));
    views.EndDrain();
    benchmark::DoNotOptimize(view.model()->rowCount());
  }
  state.SetItemsProcessed(state.iterations() * 4000);
}
BENCHMARK(BM_TraceAppend)->Unit(benchmark::kMillisecond);
