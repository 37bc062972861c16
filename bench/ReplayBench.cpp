// Replay through the real serial driver onto ferrolux-sim, whose record gives each frame's
// arrival by its own clock: how close to its due time each frame is sent and arrives, how
// long the whole replay takes against the recorded span, and the rate "as fast as the
// adapter takes" reaches against the driver writing back to back.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <ctime>
#include <string>
#include <vector>

#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanUsbSerial.h"
#include "model/LogFormat.h"
#include "replay/ReplayController.h"
#include "support/PtyAdapter.h"
#include "support/SimProcess.h"

namespace {

constexpr int kFrames = 4000;
constexpr std::int64_t kGapUs = 500;  // 2,000 frames/s

// A log of kFrames frames kGapUs apart, identifiers in turn from 100 to 10F.
std::vector<TReplayFrame> Capture() {
  std::vector<TCandumpFrame> log;
  for (int i = 0; i < kFrames; ++i) {
    TCandumpFrame frame;
    frame.TimeUs = 1'700'000'000'000'000 + i * kGapUs;
    frame.Msg.CanId = 0x100 + i % 16;
    frame.Msg.DLC = 8;
    frame.Msg.Data[0] = static_cast<std::uint8_t>(i);
    frame.Msg.Data[1] = static_cast<std::uint8_t>(i >> 8);
    log.push_back(frame);
  }
  return ReplayFramesOfLog(log);
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

// ferrolux-sim recording what arrives, and the serial driver open on it.
struct TRecordingSim {
  TScopedRuntimeDir runtime;
  std::string record = runtime.Path() + "/arrived.log";
  TSimProcess sim{FERROLUX_SIM_PATH, runtime.Path(), {"--serial", "BENCHRPL", "--record", record}};
  TZelCanUsbSerial driver;
  TZelCanAdapter facade;

  bool Open() {
    if (!sim.WaitForAnnouncement("BENCHRPL")) return false;
    facade.SetAdapter(&driver);
    return facade.OpenDevice("BENCHRPL", 1000, 0) == CanResult::Ok;
  }
  bool Send(const TCanMsgProg& msg) { return facade.WriteData(msg) == 0; }
  // Closes the device and stops the simulator; the frames it recorded.
  std::vector<TCandumpFrame> Arrived() {
    facade.CloseDevice();
    sim.Stop(SIGTERM);
    return ReadLogFileAt(QString::fromStdString(record)).Frames;
  }
};

// Runs a replay as ferrolux-cli does; each frame's send time.
std::vector<std::int64_t> Replay(TRecordingSim& bus, TReplaySchedule schedule) {
  std::vector<std::int64_t> sentNs;
  sentNs.reserve(kFrames);
  TReplayController replay({[&](const TCanMsgProg& msg) {
                              sentNs.push_back(SteadyClockNs());
                              return bus.Send(msg);
                            }},
                           TReplayController::TWakeup::Wait);
  replay.Start(std::move(schedule));
  while (replay.Running()) {
    replay.Wait(std::chrono::milliseconds(2));
    replay.Drain();
  }
  return sentNs;
}

}  // namespace

// At 1x: the lateness of each send against its due time (counted from the first send), the
// lateness of each arrival (counted from the first arrival), and the whole span's error.
static void BM_ReplayOnTime(benchmark::State& state) {
  const std::vector<TReplayFrame> frames = Capture();
  std::vector<double> sendLateMs, arriveLateMs;
  double spanErrorPercent = 0;
  double cpuSeconds = 0;
  for (auto _ : state) {
    TRecordingSim bus;
    if (!bus.Open()) {
      state.SkipWithError("ferrolux-sim did not start");
      return;
    }
    const std::clock_t cpuBefore = std::clock();
    const std::vector<std::int64_t> sentNs = Replay(bus, TReplaySchedule(frames, {1.0, 1}));
    cpuSeconds += static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    const std::vector<TCandumpFrame> arrived = bus.Arrived();
    if (sentNs.size() != frames.size() || arrived.size() != frames.size()) {
      state.SkipWithError("frames lost");
      return;
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
      const double dueMs = static_cast<double>(frames[i].OffsetUs) / 1000.0;
      sendLateMs.push_back(static_cast<double>(sentNs[i] - sentNs[0]) / 1e6 - dueMs);
      arriveLateMs.push_back(static_cast<double>(arrived[i].TimeUs - arrived[0].TimeUs) / 1000.0 - dueMs);
    }
    const double spanUs = static_cast<double>(arrived.back().TimeUs - arrived.front().TimeUs);
    spanErrorPercent = 100.0 * (spanUs / static_cast<double>(frames.back().OffsetUs) - 1.0);
  }
  state.counters["send_late_median_ms"] = Percentile(sendLateMs, 0.5);
  state.counters["send_late_p99_ms"] = Percentile(sendLateMs, 0.99);
  state.counters["arrive_late_median_ms"] = Percentile(arriveLateMs, 0.5);
  state.counters["arrive_late_p99_ms"] = Percentile(arriveLateMs, 0.99);
  state.counters["arrive_early_max_ms"] = -Percentile(arriveLateMs, 0.0);
  state.counters["span_error_percent"] = spanErrorPercent;
  state.counters["cpu_seconds"] = cpuSeconds;
  state.SetItemsProcessed(static_cast<std::int64_t>(sendLateMs.size()));
}
BENCHMARK(BM_ReplayOnTime)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// "As fast as the adapter takes" against the driver writing the same frames back to back.
static void BM_ReplayAsFastAsPossible(benchmark::State& state) {
  const std::vector<TReplayFrame> frames = Capture();
  const bool direct = state.range(0) == 1;
  double arrivedPerSecond = 0;
  for (auto _ : state) {
    TRecordingSim bus;
    if (!bus.Open()) {
      state.SkipWithError("ferrolux-sim did not start");
      return;
    }
    if (direct)
      for (const TReplayFrame& frame : frames) benchmark::DoNotOptimize(bus.Send(frame.Msg));
    else
      Replay(bus, TReplaySchedule(frames, {0.0, 1}));
    const std::vector<TCandumpFrame> arrived = bus.Arrived();
    if (arrived.size() != frames.size()) {
      state.SkipWithError("frames lost");
      return;
    }
    arrivedPerSecond = static_cast<double>(arrived.size() - 1) * 1e6 / static_cast<double>(arrived.back().TimeUs - arrived.front().TimeUs);
  }
  state.counters["arrived_frames_per_s"] = arrivedPerSecond;
  state.SetLabel(direct ? "driver writing back to back" : "replay");
}
BENCHMARK(BM_ReplayAsFastAsPossible)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
