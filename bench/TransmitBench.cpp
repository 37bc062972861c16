// Timer rows end to end: the window sends one row through the real serial driver to the
// virtual adapter while it receives 2,000 frames/s; the adapter writes down when each frame
// arrived, and the intervals between them are the figures.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench/ArmedTriggers.h"
#include "app/CANUSBMain.h"
#include "model/CandumpLog.h"
#include "platform/FtD2xx.h"
#include "platform/Registry.h"
#include "support/PtyAdapter.h"
#include "support/SimProcess.h"

namespace {

constexpr std::int64_t kTimerId = 0x7C0;

QApplication& TransmitBenchApp() {
  static int argc = 1;
  static char name[] = "ferrolux-bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance())
                                 ? qobject_cast<QApplication*>(QCoreApplication::instance())
                                 : new QApplication(argc, argv);
  return *app;
}

// One second of 2,000 frames over 50 identifiers, replayed in a loop.
std::string WriteBusLog(const std::string& dir) {
  const std::string path = dir + "/bus2000.log";
  std::ofstream out(path);
  TCanMsgProg msg;
  msg.DLC = 8;
  for (int i = 0; i < 2000; ++i) {
    msg.CanId = 0x100 + i % 50;
    msg.Data[0] = static_cast<std::uint8_t>(i);
    out << FormatCandumpLine(msg, 1'000'000'000'000'000LL + i * 500LL) << '\n';
  }
  return path;
}

void RunEventLoop(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[index];
}

}  // namespace

static void BM_TimerRowInterval(benchmark::State& state) {
  const int period = static_cast<int>(state.range(0));
  const int runMs = std::max(3000, period * 120);
  TScopedRuntimeDir runtime;
  // A settings file of its own, without the warning at start.
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(runtime.Path() + "/config"));
  {
    TRegistry reg;
    reg.OpenKey(QStringLiteral("Software\\Tarvell\\Ferrolux"), true);
    reg.WriteInteger(QStringLiteral("ShowWarningMessage"), 0);
  }
  FT_SetSysfsLayout({runtime.Path() + "/sys-empty", "/dev"});
  const std::string record = runtime.Path() + "/sent.log";
  TSimProcess sim(FERROLUX_SIM_PATH, runtime.Path(),
                  {"--serial", "BENCHTX", "--replay", WriteBusLog(runtime.Path()), "--loop", "--record", record});
  if (!sim.WaitForAnnouncement("BENCHTX")) {
    state.SkipWithError("the simulator did not start");
    return;
  }
  TransmitBenchApp();
  std::vector<double> intervals;
  for (auto _ : state) {
    TfCANUSBMain window;
    TPredefinedMessageList& list = window.PredefinedMessages();
    const std::size_t row = list.AddMessage();
    TPredefinedEdit edit;
    edit.Message.CanId = kTimerId;
    edit.Message.DLC = 8;
    edit.Period = period;
    list.ApplyEdit(row, edit);
    list.SetRowChecked(row, true);

    window.ConnectPopupMenu->popup(QPoint(0, 0));
    window.ConnectPopupMenu->hide();
    QAction* item = window.ConnectPopupMenu->findChild<QAction*>(QStringLiteral("ItemUSBAC0"));
    if (!item) {
      state.SkipWithError("the simulator is not in the connect menu");
      break;
    }
    item->trigger();
    RunEventLoop(runMs);
    window.actionDisconnectExecute();
    state.counters["received"] = static_cast<double>(window.Traffic().Trace().RowCount());
    state.counters["failed_sends"] = window.Sender().FailedSends();
  }
  FT_SetSysfsLayout({});

  std::ifstream in(record);
  std::int64_t previous = -1;
  for (const TCandumpFrame& frame : ReadCandumpLog(in).Frames) {
    if (frame.Msg.CanId != kTimerId) continue;
    if (previous >= 0) intervals.push_back(static_cast<double>(frame.TimeUs - previous) / 1000.0);
    previous = frame.TimeUs;
  }
  state.counters["sends"] = static_cast<double>(intervals.size() + 1);
  state.counters["median_ms"] = Percentile(intervals, 0.5);
  state.counters["p1_ms"] = Percentile(intervals, 0.01);
  state.counters["p99_ms"] = Percentile(intervals, 0.99);
}
BENCHMARK(BM_TimerRowInterval)->Arg(1)->Arg(10)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the trigger matching adds per received frame: 20 checked Message rows, none matching.
static void BM_MatchTriggerMessages(benchmark::State& state) {
  TPredefinedMessageList triggers({});
  ArmNonMatchingTriggers(triggers, 0x7F0);
  TCanMsgProg msg;
  msg.DLC = 8;
  std::int64_t frames = 0;
  for (auto _ : state) {
    msg.CanId = 0x100 + frames % 100;
    triggers.MatchTriggerMessages(msg);
    ++frames;
  }
  state.SetItemsProcessed(frames);
}
BENCHMARK(BM_MatchTriggerMessages);
