// The serial driver on a pseudo-terminal: throughput from a flooding adapter, and the CPU an
// open device on an idle bus costs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "CanPackage/source/ZelCanUsbSerial.h"
#include "app/ReceivePipeline.h"
#include "support/PtyAdapter.h"
#include "support/SimProcess.h"

namespace {

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The driver open on an adapter, with the reader loop feeding a queue.
struct TSerialReceiver {
  TZelCanUsbSerial driver;
  TZelCanAdapter facade;
  ReceiveQueue queue;
  TBMDThread reader;

  bool Open(const std::string& serial, std::uint16_t bitRate) {
    facade.SetAdapter(&driver);
    if (facade.OpenDevice(serial, bitRate, 0) != CanResult::Ok) return false;
    AttachReceiveLoop(reader, facade, queue);
    reader.Start();
    return true;
  }
  void StopReading() {
    reader.Stop();
    reader.WaitFor();
  }
  // Drains the queue for 200 ms; returns the frames taken.
  std::int64_t DrainForAWhile() {
    std::int64_t frames = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < end) {
      frames += static_cast<std::int64_t>(DrainReceiveQueue(queue, [](const TCanMsgProg& m) { benchmark::DoNotOptimize(m.CanId); }));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return frames;
  }
  ~TSerialReceiver() {
    StopReading();
    facade.CloseDevice();
  }
};

// A scripted adapter on a pty with the driver open on it.
struct TOpenSerialBus {
  TScopedRuntimeDir runtime;
  TPtyAdapter adapter{"BENCH001", "CAN-IF"};
  TSerialReceiver receiver;

  bool Open() { return receiver.Open(adapter.Serial(), 500); }
};

// ferrolux-sim beside this program (installed), else where the build put it.
std::string SimProgram() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && std::filesystem::exists(self.parent_path() / "ferrolux-sim")) return (self.parent_path() / "ferrolux-sim").string();
  if (std::filesystem::exists(FERROLUX_SIM_PATH)) return FERROLUX_SIM_PATH;
  return {};
}

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
  for (auto _ : state) frames += bus.receiver.DrainForAWhile();
  flooding.store(false);
  bus.receiver.StopReading();  // stops the driver reading, so the flood's last write can finish
  bus.receiver.driver.Port().PurgeBuffers(FT_PURGE_RX);
  flood.join();
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_SerialFlood)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The real virtual adapter flooding the bus at 1 Mbit/s, through the driver into the queue.
static void BM_SerialFloodSim(benchmark::State& state) {
  const std::string program = SimProgram();
  if (program.empty()) {
    state.SkipWithError("ferrolux-sim not found");
    return;
  }
  TScopedRuntimeDir runtime;
  TSimProcess sim(program, runtime.Path(), {"--serial", "BENCHSIM", "--flood"});
  TSerialReceiver receiver;
  if (!sim.WaitForAnnouncement("BENCHSIM") || !receiver.Open("BENCHSIM", 1000)) {
    state.SkipWithError("ferrolux-sim did not start");
    return;
  }
  std::int64_t frames = 0;
  for (auto _ : state) frames += receiver.DrainForAWhile();
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_SerialFloodSim)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

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
