// candump logs and the trace: a 1,000,000-frame import through the dispatch of live traffic,
// and the export of the trace it leaves.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QTemporaryDir>
#include <fstream>

#include "views/TraceLogFile.h"
#include "views/TrafficViews.h"

namespace {

constexpr std::int64_t kFrames = 1'000'000;

TTrafficSeams QuietSeams() {
  return TTrafficSeams{[] { return false; }, [] { return false; }, [] {}};
}

// A log of a busy body bus: 100 identifiers, eight data bytes, a frame every 50 us.
const QString& MillionFrameLog() {
  static QTemporaryDir dir;
  static const QString path = dir.filePath(QStringLiteral("million.log"));
  static bool written = false;
  if (!written) {
    std::ofstream out(path.toStdString());
    TCanMsgProg msg;
    msg.DLC = 8;
    for (std::int64_t i = 0; i < kFrames; ++i) {
      msg.CanId = 0x100 + i % 100;
      for (int b = 0; b < 8; ++b) msg.Data[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(i >> (b * 3));
      out << FormatCandumpLine(msg, 1'700'000'000'000'000 + i * 50) << '\n';
    }
    written = true;
  }
  return path;
}

}  // namespace

static void BM_CandumpImport(benchmark::State& state) {
  const QString& path = MillionFrameLog();
  for (auto _ : state) {
    TTrafficViews views(QuietSeams());
    TLogImport import(views, path);
    while (import.Step(20000) == TLogImport::TState::Reading) {
    }
    if (views.Trace().RowCount() != static_cast<std::size_t>(kFrames)) state.SkipWithError("frames lost");
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_CandumpImport)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_CandumpExport(benchmark::State& state) {
  TTrafficViews views(QuietSeams());
  TLogImport import(views, MillionFrameLog());
  while (import.Step(20000) == TLogImport::TState::Reading) {
  }
  for (auto _ : state) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!WriteTraceLog(views.Trace(), TLogFormat::Candump, buffer)) state.SkipWithError("write failed");
    benchmark::DoNotOptimize(buffer.size());
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_CandumpExport)->Unit(benchmark::kMillisecond)->UseRealTime();
