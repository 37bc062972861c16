// List files at the size a long capture reaches: a trace of a million rows (95 MB) written
// to and read back from a file.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "storage/TreeFile.h"
#include "views/TrafficViews.h"

namespace {

constexpr std::int64_t kTraceRows = 1'000'000;

TTrafficViews& MillionRowTrace() {
  static TTrafficViews* views = [] {
    auto* v = new TTrafficViews(TTrafficSeams{[] { return false; }, [] { return false; }, [] {}});
    TTraceList& trace = v->Trace();
    trace.BeginUpdate();
    for (std::int64_t i = 0; i < kTraceRows; ++i) {
      TCanMsgProg msg;
      msg.CanId = 0x100 + i % 100;
      msg.DLC = 8;
      msg.Data[0] = static_cast<std::uint8_t>(i);
      msg.Time = static_cast<std::int32_t>(i % 60000);
      trace.AddToTrace(msg, true);
    }
    trace.EndUpdate();
    return v;
  }();
  return *views;
}

QString TraceFile() {
  static QTemporaryDir dir;
  return dir.filePath(QStringLiteral("bench.tr1"));
}

void BM_TraceSave(benchmark::State& state) {
  TTraceList& trace = MillionRowTrace().Trace();
  for (auto _ : state) SaveTreeFile(TraceFile(), trace);
  state.SetItemsProcessed(state.iterations() * kTraceRows);
}
BENCHMARK(BM_TraceSave)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TraceLoad(benchmark::State& state) {
  SaveTreeFile(TraceFile(), MillionRowTrace().Trace());
  TTrafficViews target(TTrafficSeams{[] { return false; }, [] { return false; }, [] {}});
  for (auto _ : state) LoadTreeFile(TraceFile(), target.Trace());
  if (target.Trace().RowCount() != static_cast<std::size_t>(kTraceRows)) state.SkipWithError("rows lost");
  state.SetItemsProcessed(state.iterations() * kTraceRows);
}
BENCHMARK(BM_TraceLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
