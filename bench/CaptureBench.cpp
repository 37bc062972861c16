// The trace at full speed through the capture file: rows beyond the memory budget spill and
// are read back for scrolling and searching.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <random>
#include <unistd.h>

#include "bench/PipelineBench.h"
#include "capture/CaptureRecorder.h"
#include "views/TrafficViews.h"

namespace {
constexpr std::uint64_t kBudgetBytes = 256ULL << 20;

std::int64_t ResidentMiB() {
  long size = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &size, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<std::int64_t>(resident) * sysconf(_SC_PAGESIZE) >> 20;
}

struct TSpilledTrace {
  QTemporaryDir Dir{QStringLiteral("capture-bench-XXXXXX")};  // on the disk, not a tmpfs
  TCaptureRecorder Recorder{Dir.filePath(QStringLiteral("capture"))};
  TTrafficViews Views{TTrafficSeams{[] { return false; }, [] { return false; }, [] {}}};
  TSpilledTrace() {
    (void)Recorder.Open();
    Views.Trace().SetSink(&Recorder);
    Views.Trace().SetMemoryBudget(kBudgetBytes);
  }
  ~TSpilledTrace() { Views.Trace().SetSink(nullptr); }
  // Drains of 4000 frames (a 200 ms tick at 20,000 frames/s); `course` gets the resident
  // memory at each tenth.
  void Fill(std::int64_t rows, benchmark::State* state) {
    constexpr std::int64_t kBatch = 4000;
    for (std::int64_t done = 0; done < rows;) {
      Views.BeginDrain();
      for (std::int64_t i = 0; i < kBatch && done < rows; ++i, ++done) Views.DispatchReceivedMessage(BenchFrame(done));
      Views.EndDrain();
      if (state && done % (rows / 10) < kBatch) state->counters["RSS_MiB_at_" + std::to_string(done * 10 / rows) + "0%"] = static_cast<double>(ResidentMiB());
    }
    Recorder.Sync();
  }
};
}  // namespace

// An hour at 20,000 frames/s pushed through the spill path at full speed.
static void BM_CaptureSpill(benchmark::State& state) {
  const std::int64_t rows = state.range(0);
  for (auto _ : state) {
    TSpilledTrace trace;
    const std::clock_t cpu = std::clock();
    const auto start = std::chrono::steady_clock::now();
    trace.Fill(rows, &state);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["frames_per_s"] = static_cast<double>(rows) / seconds;
    state.counters["cpu_s"] = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    state.counters["file_bytes_per_row"] = static_cast<double>(QFileInfo(trace.Recorder.Path()).size()) / static_cast<double>(rows);
    state.counters["spilled_rows"] = static_cast<double>(trace.Views.Trace().SpilledRows());
  }
}
BENCHMARK(BM_CaptureSpill)->Arg(72'000'000)->Iterations(1)->Unit(benchmark::kSecond);

// Scrolling to random rows of a spilled trace (a page read from the page cache each) and a
// search over all of it.
static void BM_CaptureScrollAndSearch(benchmark::State& state) {
  const std::int64_t rows = state.range(0);
  TSpilledTrace trace;
  trace.Fill(rows, nullptr);
  TTraceList& list = trace.Views.Trace();
  std::mt19937_64 random(7);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::int64_t sum = 0;
    constexpr int kJumps = 1000;
    for (int i = 0; i < kJumps; ++i) {
      const auto row = static_cast<std::size_t>(random() % static_cast<std::uint64_t>(rows));
      for (std::size_t r = row; r < std::min<std::size_t>(row + 40, list.RowCount()); ++r) sum += list.CellText(r, 0).size();  // a screenful
    }
    benchmark::DoNotOptimize(sum);
    state.counters["scroll_ms"] = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / kJumps;
    const auto searchStart = std::chrono::steady_clock::now();
    (void)list.Search(QStringLiteral("1F"), 0);
    state.counters["search_rows_per_s"] =
        static_cast<double>(rows) / std::chrono::duration<double>(std::chrono::steady_clock::now() - searchStart).count();
    (void)list.Search(QString(), 0);
  }
}
BENCHMARK(BM_CaptureScrollAndSearch)->Arg(100'000'000)->Iterations(1)->Unit(benchmark::kSecond);
