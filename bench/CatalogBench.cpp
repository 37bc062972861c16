// Decoding a long trace into diagnostic messages: a real body-bus capture, repeated to a
// million rows, with its interleaved multi-frame answers among the periodic traffic.
#include <benchmark/benchmark.h>

#include <fstream>

#include "catalog/DiagnosticDecoder.h"
#include "model/CandumpLog.h"
#include "support/TestData.h"
#include "views/TrafficViews.h"

namespace {
constexpr std::size_t kTraceRows = 1'000'000;


void BM_DiagnosticDecode(benchmark::State& state) {
  std::ifstream in(TestDataPath("f11-kcan.log"));
  const TCandumpLog log = ReadCandumpLog(in);
  TTrafficViews views(TTrafficSeams{[] { return false; }, [] { return false; }, [] {}});
  views.Trace().BeginUpdate();
  for (std::size_t row = 0; row < kTraceRows; ++row) {
    TCanMsgProg msg = log.Frames[row % log.Frames.size()].Msg;
    msg.Time = static_cast<std::int32_t>(row);
    views.Trace().AddToTrace(msg, true);
  }
  views.Trace().EndUpdate();

  TFormatDataList rows;
  for (auto _ : state) {
    DecodeTrace(views.Trace(), rows);
    benchmark::DoNotOptimize(rows.RowCount());
  }
  state.counters["messages"] = static_cast<double>(rows.RowCount());
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kTraceRows));
}
BENCHMARK(BM_DiagnosticDecode)->Unit(benchmark::kMillisecond);
}  // namespace
