// Exports of a long capture: a trace of a million rows written as semicolon text, HTML
// report and RTF, each into a real file.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "views/TrafficViews.h"
#include "views/TrafficExport.h"

namespace {
constexpr std::int64_t kTraceRows = 1'000'000;

// A million frames over 100 identifiers with the software filter's colours on.
TTrafficViews& MillionRowTrace() {
  static TTrafficViews* views = [] {
    auto* v = new TTrafficViews(TTrafficSeams{[] { return false; }, [] { return false; }, [] {}});
    v->BeginDrain();
    for (std::int64_t i = 0; i < kTraceRows; ++i) {
      TCanMsgProg msg;
      msg.CanId = 0x100 + i % 100;
      msg.Extended = i % 7 == 0;
      msg.DLC = static_cast<std::int32_t>(1 + i % 8);
      for (int b = 0; b < 8; ++b) msg.Data[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(i >> (b * 3));
      msg.Time = static_cast<std::int32_t>(i % 60000);
      v->DispatchReceivedMessage(msg);
    }
    v->EndDrain();
    // One identifier in ten in its own colour.
    for (std::int64_t id = 0x100; id < 0x100 + 100; id += 10) v->IdFilter().SetRowColor(v->IdFilter().FindRow(id), 0x0000C0);
    v->Trace().SetColorFilter(true);
    return v;
  }();
  return *views;
}

void BM_ExportTrace(benchmark::State& state) {
  const auto format = static_cast<TExportFormat>(state.range(0));
  TTrafficViews& views = MillionRowTrace();
  QTemporaryDir dir;
  const TTraceExport trace(views.Trace(), DefaultListLook());
  const TListExportJob job = TraceExportJob(trace, TraceLayout());
  const QString file = dir.filePath(QStringLiteral("trace.export"));
  for (auto _ : state) WriteListExport(file, format, job, QStringLiteral("Tarvell - Ferrolux"), QStringLiteral("CAN Data Tracer"));
  state.counters["rows"] = static_cast<double>(kTraceRows);
  state.counters["MB"] = static_cast<double>(QFileInfo(file).size()) / 1e6;
  state.SetLabel(format == TExportFormat::Csv ? "semicolon text" : format == TExportFormat::Html ? "HTML" : "RTF");
}
BENCHMARK(BM_ExportTrace)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(3);
}  // namespace
