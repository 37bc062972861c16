// Signal databases under load: reading a large DBC, decoding frames, and the receive pipeline
// with a database loaded and the Signals page's tree fed at every drain.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>

#include "app/ReceivePipeline.h"
#include "bench/PipelineBench.h"
#include "signals/DbcReader.h"
#include "signals/SignalCodec.h"
#include "signals/SignalTreeModel.h"

namespace {

// `messages` messages from 0x100 on, eight 8-bit signals each, Intel and Motorola, signed and
// unsigned, each with a comment, every fourth with a value table, as editors write them.
std::string BenchDbc(int messages) {
  std::string text = "VERSION \"\"\n\nNS_ :\n\tCM_\n\tVAL_\n\nBS_:\n\nBU_: Ecu Dash\n\n";
  std::string comments, values;
  for (int m = 0; m < messages; ++m) {
    const std::string id = std::to_string(0x100 + m);
    text += "BO_ " + id + " Message" + std::to_string(m) + ": 8 Ecu\n";
    for (int s = 0; s < 8; ++s) {
      const std::string name = "Signal" + std::to_string(m) + "_" + std::to_string(s);
      const bool motorola = s % 2 == 1;
      const std::string start = std::to_string(motorola ? s * 8 + 7 : s * 8);
      text += " SG_ " + name + " : " + start + "|8@" + (motorola ? "0" : "1") + (s % 3 == 0 ? "-" : "+") +
              " (0.5,-20) [-84|107.5] \"km/h\" Dash\n";
      comments += "CM_ SG_ " + id + " " + name + " \"Signal " + std::to_string(s) + " of message " + std::to_string(m) + "\";\n";
      if (s % 4 == 0) values += "VAL_ " + id + " " + name + " 0 \"Off\" 1 \"On\" 2 \"Error\" 255 \"Invalid\" ;\n";
    }
    text += "\n";
  }
  return text + comments + values;
}

TDbcDatabase BenchDatabase(int messages) { return ParseDbc(BenchDbc(messages), "bench.dbc"); }

}  // namespace

// 3,750 messages of 8 signals: 30,000 signals with their comments and value tables.
static void BM_ReadDbc(benchmark::State& state) {
  const std::string text = BenchDbc(static_cast<int>(state.range(0)) / 8);
  for (auto _ : state) {
    const TDbcDatabase db = ParseDbc(text, "bench.dbc");
    benchmark::DoNotOptimize(db.Messages.size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ReadDbc)->Arg(30'000)->Unit(benchmark::kMillisecond);

// Frames of 100 messages in turn, every signal decoded: items are signals.
static void BM_DecodeSignals(benchmark::State& state) {
  const TDbcDatabase db = BenchDatabase(200);
  std::vector<TCanMsgProg> frames(100);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    frames[i].CanId = static_cast<std::int64_t>(0x100 + i);
    frames[i].DLC = 8;
    for (std::size_t b = 0; b < 8; ++b) frames[i].Data[b] = static_cast<std::uint8_t>(i * 31 + b * 7);
  }
  std::vector<TSignalValue> values;
  std::size_t decoded = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < frames.size(); ++i) decoded += DecodeFrame(db.Messages[i], frames[i], values);
    benchmark::DoNotOptimize(values.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(decoded));
}
BENCHMARK(BM_DecodeSignals);

// BM_Pipeline of TrafficBench with a 200-message database loaded and the Signals page's tree
// in a view, fed at every drain.
static void BM_PipelineWithSignals(benchmark::State& state) {
  BenchApp();
  const int ids = static_cast<int>(state.range(0));
  constexpr std::int64_t kFrames = 1'000'000;
  TSignalDatabases databases;
  std::vector<std::string> warnings;
  databases.Add(BenchDatabase(200), warnings);
  std::int64_t dispatched = 0;
  for (auto _ : state) {
    TTrafficViews views(QuietSeams());
    TSignalTreeModel tree(databases);
    QTreeView page;
    page.setUniformRowHeights(true);
    page.setModel(&tree);
    page.resize(800, 600);
    views.AddObserver(&tree);
    dispatched += ReceiveSaturatedBus(views, ids, kFrames);
    views.RemoveObserver(&tree);
    benchmark::DoNotOptimize(tree.rowCount());
  }
  state.SetItemsProcessed(dispatched);
}
BENCHMARK(BM_PipelineWithSignals)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
