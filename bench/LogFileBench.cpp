// Logs and the trace, per format: a 1,000,000-frame import through the dispatch of live
// traffic, and the export of the trace it leaves (BLF with its zlib compression).
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "model/LogText.h"
#include "views/TraceLogFile.h"
#include "views/TrafficViews.h"

namespace {

constexpr std::int64_t kFrames = 1'000'000;

TTrafficSeams QuietSeams() {
  return TTrafficSeams{[] { return false; }, [] { return false; }, [] {}};
}

// A busy body bus: 100 identifiers, eight data bytes, a frame every 50 us.
TCandumpFrame BusFrame(std::int64_t i) {
  TCandumpFrame frame;
  frame.TimeUs = 1'700'000'000'000'000 + i * 50;
  frame.Msg.CanId = 0x100 + i % 100;
  frame.Msg.DLC = 8;
  for (int b = 0; b < 8; ++b) frame.Msg.Data[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(i >> (b * 3));
  return frame;
}

// SavvyCAN's CSV is only read; its lines are written here as SavvyCAN writes them.
void WriteSavvyCsv(QFile& file) {
  std::string text = "Time Stamp,ID,Extended,Dir,Bus,LEN,D1,D2,D3,D4,D5,D6,D7,D8\n";
  for (std::int64_t i = 0; i < kFrames; ++i) {
    const TCandumpFrame frame = BusFrame(i);
    LogAppendDecimal(text, static_cast<std::uint64_t>(frame.TimeUs));
    text += ',';
    LogAppendHex(text, static_cast<std::uint32_t>(frame.Msg.CanId), 8);
    text += ",false,Rx,0,8";
    for (std::uint8_t byte : frame.Msg.Data) {
      text += ',';
      LogAppendHex(text, byte, 2);
    }
    text += ",\n";
  }
  file.write(text.data(), static_cast<qint64>(text.size()));
}

// One file of the million frames per format, written once.
const QString& MillionFrameFile(TLogFormat format) {
  static QTemporaryDir dir;
  static std::map<TLogFormat, QString> paths;
  auto [at, added] = paths.try_emplace(format);
  if (added) {
    at->second = dir.filePath(QStringLiteral("million.") + QString::fromLatin1(LogFormatInfo(format).Extension));
    QFile file(at->second);
    if (!file.open(QIODevice::WriteOnly)) return at->second;
    if (format == TLogFormat::SavvyCsv) {
      WriteSavvyCsv(file);
    } else {
      const std::unique_ptr<TLogWriter> writer = MakeLogWriter(format, file);
      for (std::int64_t i = 0; i < kFrames; ++i) writer->Write(BusFrame(i));
      (void)writer->Finish();
    }
  }
  return at->second;
}

void ImportAll(TTrafficViews& views, const QString& path) {
  TLogImport import(views, path);
  while (import.Step(20000) == TLogImport::TState::Reading) {
  }
}

}  // namespace

static void BM_LogImport(benchmark::State& state, TLogFormat format) {
  const QString& path = MillionFrameFile(format);
  for (auto _ : state) {
    TTrafficViews views(QuietSeams());
    ImportAll(views, path);
    if (views.Trace().RowCount() != static_cast<std::size_t>(kFrames)) state.SkipWithError("frames lost");
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK_CAPTURE(BM_LogImport, candump, TLogFormat::Candump)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LogImport, asc, TLogFormat::Asc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LogImport, blf, TLogFormat::Blf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LogImport, trc, TLogFormat::Trc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LogImport, csv, TLogFormat::SavvyCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_LogExport(benchmark::State& state, TLogFormat format) {
  TTrafficViews views(QuietSeams());
  ImportAll(views, MillionFrameFile(TLogFormat::Candump));
  for (auto _ : state) {
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    if (!WriteTraceLog(views.Trace(), format, buffer)) state.SkipWithError("write failed");
    benchmark::DoNotOptimize(buffer.size());
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK_CAPTURE(BM_LogExport, candump, TLogFormat::Candump)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LogExport, asc, TLogFormat::Asc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LogExport, blf, TLogFormat::Blf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LogExport, trc, TLogFormat::Trc)->Unit(benchmark::kMillisecond)->UseRealTime();
