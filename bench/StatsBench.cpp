// Bus figures: the exact length of a frame on the wire, and the statistics of every frame of
// a bus with 100 or 2,048 identifiers, against the receive pipeline's own cost.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "stats/BusStatistics.h"
#include "stats/FrameLength.h"

namespace {
std::vector<TCanMsgProg> RandomFrames(std::size_t count, int identifiers) {
  std::mt19937 random(3);
  std::vector<TCanMsgProg> frames(count);
  for (TCanMsgProg& msg : frames) {
    msg.Extended = (random() & 3) == 0;
    msg.CanId = 0x100 + static_cast<std::int64_t>(random() % static_cast<unsigned>(identifiers));
    msg.DLC = static_cast<int>(random() % 9);
    for (auto& byte : msg.Data) byte = static_cast<std::uint8_t>(random());
  }
  return frames;
}
}  // namespace

static void BM_FrameBitsOnWire(benchmark::State& state) {
  const std::vector<TCanMsgProg> frames = RandomFrames(4096, 2048);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FrameBitsOnWire(frames[i++ & 4095]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameBitsOnWire);

static void BM_BusStatisticsAdd(benchmark::State& state) {
  const std::vector<TCanMsgProg> frames = RandomFrames(65536, static_cast<int>(state.range(0)));
  TBusStatistics stats(500'000);
  std::int64_t timeUs = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    stats.Add(frames[i++ & 65535], timeUs);
    timeUs += 50;  // 20,000 frames/s
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BusStatisticsAdd)->Arg(100)->Arg(2048);
