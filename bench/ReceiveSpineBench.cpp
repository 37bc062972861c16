// Fake driver -> reader thread -> queue -> drain -> counting dispatch.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "app/ReceivePipeline.h"
#include "CanPackage/source/ZelCanDriver.h"

namespace {
// Delivers `frames` fresh frames on every read, as a driver on a saturated bus would.
class FloodDriver : public TZelCanDriver {
 public:
  explicit FloodDriver(int frames) : FFrames(frames) {}
  std::int32_t ReadData(PCanMsgProgs& msgs) override {
    for (int i = 0; i < FFrames; ++i) {
      auto msg = std::make_unique<TCanMsgProg>();
      msg->CanId = FSeq++ % 100;
      msg->DLC = 8;
      msgs.push_back(std::move(msg));
    }
    return CanResult::FramesRead;
  }

 private:
  int FFrames;
  std::int64_t FSeq = 0;
};
}  // namespace

static void BM_ReceiveSpine(benchmark::State& state) {
  const int framesPerRead = static_cast<int>(state.range(0));
  std::int64_t dispatched = 0;
  for (auto _ : state) {
    FloodDriver driver(framesPerRead);
    TZelCanAdapter facade;
    facade.SetAdapter(&driver);
    ReceiveQueue queue;
    TBMDThread thread;
    AttachReceiveLoop(thread, facade, queue);
    std::int64_t sum = 0;
    auto count = [&](const TCanMsgProg& m) { sum += m.CanId; ++dispatched; };
    thread.Start();
    // Drain as the timer would, back to back, for a fixed amount of bus time.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < end) DrainReceiveQueue(queue, count);
    thread.Stop();
    thread.WaitFor();
    DrainReceiveQueue(queue, count);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(dispatched);
}
BENCHMARK(BM_ReceiveSpine)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();
