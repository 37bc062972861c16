// ferrolux-sim: a virtual adapter on a pseudo-terminal (see SimUsage).

#include <QCoreApplication>
#include <csignal>
#include <fstream>
#include <iostream>
#include <memory>

#include "CanPackage/source/AsciiAdapterEmulator.h"
#include "model/LogFormat.h"
#include "platform/VirtualDevices.h"
#include "tools/sim/CandumpReplay.h"
#include "tools/sim/DemoScenario.h"
#include "tools/sim/FloodSource.h"
#include "tools/sim/PseudoTerminal.h"
#include "tools/sim/SimLoop.h"
#include "tools/sim/SimOptions.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnStopSignal(int) { gStop = 1; }

// Blocks the stop signals outside the loop's wait, so none slips in between check and wait.
sigset_t InstallStopSignals() {
  sigset_t stopSignals, previous;
  sigemptyset(&stopSignals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, signal);
  sigprocmask(SIG_BLOCK, &stopSignals, &previous);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigdelset(&previous, signal);
  return previous;
}

std::unique_ptr<TTrafficSource> MakeSource(const TSimOptions& options) {
  if (options.Flood) return std::make_unique<TFloodSource>(options.FloodRate);
  if (options.ReplayFile.empty()) return std::make_unique<TDemoScenario>();
  TLogFile log = ReadLogFileAt(QString::fromStdString(options.ReplayFile));
  std::cerr << "ferrolux-sim: " << log.Frames.size() << " frames from " << options.ReplayFile;
  if (log.Skipped) std::cerr << ", " << log.Skipped << " lines or objects skipped";
  if (log.FirstProblem) std::cerr << "; " << log.FirstProblem->Text();
  std::cerr << std::endl;
  return std::make_unique<TCandumpReplay>(std::move(log.Frames), options.Loop);
}

// The announcement lives exactly as long as this object.
class TAnnouncement {
 public:
  TAnnouncement(const std::string& serial, const std::string& description, const std::string& tty)
      : FSerial(serial), FPath(AnnounceVirtualDevice(serial, description, tty)) {}
  ~TAnnouncement() { WithdrawVirtualDevice(FSerial); }
  TAnnouncement(const TAnnouncement&) = delete;
  TAnnouncement& operator=(const TAnnouncement&) = delete;
  [[nodiscard]] const std::string& Path() const { return FPath; }

 private:
  std::string FSerial;
  std::string FPath;
};

int Run(const TSimOptions& options) {
  const sigset_t waitMask = InstallStopSignals();
  std::unique_ptr<TTrafficSource> source = MakeSource(options);
  TPseudoTerminal terminal;
  TAsciiAdapterEmulator adapter;
  TAnnouncement announcement(options.Serial, options.Description, terminal.SlavePath());
  std::cerr << "ferrolux-sim: " << options.Serial << " (" << options.Description << ") on " << terminal.SlavePath()
            << ", announced in " << announcement.Path() << std::endl;

  TSimLoop loop(terminal.MasterFd(), adapter, *source, std::cerr, options.Verbose);
  std::ofstream record;
  if (!options.RecordFile.empty()) {
    record.open(options.RecordFile, std::ios::trunc);
    if (!record) throw std::runtime_error("cannot write " + options.RecordFile);
    loop.RecordTo(&record);
  }
  loop.Run(gStop, waitMask);
  std::cerr << "ferrolux-sim: stopped";
  if (loop.DroppedFrames()) std::cerr << ", " << loop.DroppedFrames() << " frames dropped while the line was full";
  std::cerr << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  // The help text names the program as the user types it, not by the path it was started from.
  char programName[] = "ferrolux-sim";
  argv[0] = programName;
  const QCoreApplication application(argc, argv);
  const auto parsed = ParseSimOptions(argc, argv);
  if (const auto* error = std::get_if<TSimOptionsError>(&parsed)) {
    std::cerr << "ferrolux-sim: " << error->Message << "\n\n" << SimUsage();
    return 2;
  }
  const auto& options = std::get<TSimOptions>(parsed);
  if (options.Help) {
    std::cout << SimUsage();
    return 0;
  }
  if (options.Version) {
    std::cout << "ferrolux-sim " FERROLUX_VERSION "\n";
    return 0;
  }
  try {
    return Run(options);
  } catch (const std::exception& e) {
    std::cerr << "ferrolux-sim: " << e.what() << std::endl;
    return 1;
  }
}
