// The simulated adapter's per-frame work: acceptance filter and frame line with time stamp.
#include <benchmark/benchmark.h>

#include "CanPackage/source/AsciiAdapterEmulator.h"

static void BM_EmulatorReportFrame(benchmark::State& state) {
  TAsciiAdapterEmulator adapter;
  (void)adapter.Feed("S8\rZ1\rO\r");
  TCanMsgProg msg;
  msg.DLC = 8;
  std::uint64_t n = 0;
  for (auto _ : state) {
    msg.CanId = static_cast<std::int64_t>(0x100 + n % 100);
    msg.Data[0] = static_cast<std::uint8_t>(n);
    benchmark::DoNotOptimize(adapter.ReportFrame(msg, n++));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EmulatorReportFrame);
