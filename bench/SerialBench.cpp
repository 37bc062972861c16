// The serial driver on a pseudo-terminal: throughput from a flooding adapter, and the CPU an
// open device on an idle bus costs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "CanPackage/source/ZelCanUsbSerial.h"
#include "app/ReceivePipeline.h"
#include "support/PtyAdapter.h"

namespace {

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// An adapter on a pty with the driver open on it and the reader loop feeding a queue.
struct TOpenSerialBus {
  TScopedRuntimeDir runtime;
  TPtyAdapter adapter{"BENCH001", "CAN-IF"};
  TZelCanUsbSerial driver;
  TZelCanAdapter facade;
  ReceiveQueue queue;
  TBMDThread reader;

  bool Open() {
    facade.SetAdapter(&driver);
    if (facade.OpenDevice(adapter.Serial(), 500, 0) != CanResult::Ok) return false;
    AttachReceiveLoop(reader, facade, queue);
    reader.Start();
    return true;
  }
  ~TOpenSerialBus() {
    reader.Stop();
    reader.WaitFor();
    facade.CloseDevice();
  }
};

}  // namespace

static void BM_SerialFlood(benchmark::State& state) {
  TOpenSerialBus bus;
  if (!bus.Open()) {
    state.SkipWithError("open failed");
    return;
  }
  std::atomic<bool> flooding{true};
  std::thread flood([&] {
    std::string burst;
    for (int i = 0; i < 64; ++i) burst += "t12381122334455667788" "1234\r";
    while (flooding.load(std::memory_order_relaxed)) bus.adapter.Send(burst);
  });
  std::int64_t frames = 0;
  for (auto _ : state) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < end) {
      frames += static_cast<std::int64_t>(DrainReceiveQueue(bus.queue, [](const TCanMsgProg& m) { benchmark::DoNotOptimize(m.CanId); }));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  flooding.store(false);
  bus.reader.Stop();  // stops the driver reading, so the flood's last write can finish
  bus.reader.WaitFor();
  bus.driver.Port().PurgeBuffers(FT_PURGE_RX);
  flood.join();
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_SerialFlood)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

static void BM_SerialIdleCpu(benchmark::State& state) {
  TOpenSerialBus bus;
  if (!bus.Open()) {
    state.SkipWithError("open failed");
    return;
  }
  double percent = 0;
  for (auto _ : state) {
    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    percent = 100.0 * (ProcessCpuSeconds() - cpuBefore) / wall;
  }
  // The whole process is counted: the reader, and the idle adapter thread of the benchmark.
  state.counters["cpu_percent"] = percent;
}
BENCHMARK(BM_SerialIdleCpu)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
