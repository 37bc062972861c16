// The commands of ferrolux-cli: one table entry and one handler each.
#include "tools/cli/CliCommands.h"

#include <QFile>
#include <algorithm>
#include <QString>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <algorithm>

#include "CanPackage/source/AdapterKinds.h"
#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanSocket.h"
#include "CanPackage/source/ZelCanUsb.h"
#include "CanPackage/source/ZelCanUsbSerial.h"
#include "app/ReceivePipeline.h"
#include "model/LogFormat.h"
#include "platform/CanInterfaces.h"
#include "platform/TickCount.h"
#include "replay/ReplayController.h"
#include "signals/SignalCsv.h"
#include "storage/TreeFile.h"
#include "tools/cli/CliFileCommands.h"
#include "tools/cli/CliOptions.h"
#include "transmit/FrameSender.h"
#include "transmit/PredefinedMessageList.h"
#include "transmit/TriggerLogList.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotAcknowledged = 1;
constexpr int kExitAdapterLost = 3;

volatile std::sig_atomic_t gStopRequested = 0;
void RequestStop(int) { gStopRequested = 1; }

void PrintError(const std::string& message) { std::fprintf(stderr, "ferrolux-cli: %s\n", message.c_str()); }

TAdapterDeviceList ListAdapters() {
  TFTDI_D2XX ftdi;  // error reports stay off: an empty list is an answer, not an error
  TAdapterDeviceList devices;
  AddFtdiAdapterDevices(ftdi.ListDevices(), devices);
  // SocketCAN interfaces after the adapters; their name stands where a serial number does.
  for (const QString& name : ListCanInterfaces())
    devices.push_back(TZelCanAdapterDevice::Create(AdapterKind::SocketCan, QStringLiteral("SocketCAN"), name));
  return devices;
}

// The driver for an adapter kind, as the connect menu picks it, and the write result that
// means the frame was taken: the serial driver reports 0, the maker's library its own status.
struct TDriverChoice {
  std::unique_ptr<TZelCanDriver> Driver;
  std::int32_t WriteAccepted = 0;
};

TDriverChoice CreateDriver(const QString& kind) {
  if (kind == AdapterKind::AcUsb || kind == AdapterKind::MhsUsb) return {std::make_unique<TZelCanUsbSerial>(), 0};
  if (kind == AdapterKind::LawicelUsb) return {std::make_unique<TZelCanUsb>(), TZelCanUsb::kWriteAccepted};
  if (kind == AdapterKind::SocketCan) return {std::make_unique<TZelCanSocket>(), 0};
  throw TCliFailure{"adapter kind " + kind.toStdString() + " is not supported"};
}

// An adapter opened for the length of one command; closed again on every way out.
class TOpenAdapter {
 public:
  explicit TOpenAdapter(const TCliOptions& options) {
    const QString serial = QString::fromStdString(options.Serial);
    QString kind;
    for (const auto& device : ListAdapters())
      if (device->SerialNr == serial) {
        kind = device->Description;
        break;
      }
    if (kind.isEmpty()) throw TCliFailure{"no adapter with serial number " + options.Serial};
    FDriver = CreateDriver(kind);
    FSerial = options.Serial;
    FFacade.SetAdapter(FDriver.Driver.get());
    FFacade.SetFilter({{options.Code, options.Mask}});
    if (FFacade.OpenDevice(options.Serial, options.BitRate, options.Btr) != CanResult::Ok) {
      const QString& problem = FDriver.Driver->OpenProblem();
      throw TCliFailure{"cannot open adapter " + options.Serial + (problem.isEmpty() ? "" : ": " + problem.toStdString())};
    }
  }
  ~TOpenAdapter() { FFacade.CloseDevice(); }
  TOpenAdapter(const TOpenAdapter&) = delete;
  TOpenAdapter& operator=(const TOpenAdapter&) = delete;

  TZelCanAdapter& Facade() { return FFacade; }
  [[nodiscard]] bool Send(const TCanMsgProg& frame) { return FFacade.WriteData(frame) == FDriver.WriteAccepted; }
  // The SocketCAN driver when the adapter is an interface, for what only it knows.
  [[nodiscard]] TZelCanSocket* Socket() const { return dynamic_cast<TZelCanSocket*>(FDriver.Driver.get()); }
  [[nodiscard]] std::string Serial() const { return FSerial; }

 private:
  TDriverChoice FDriver;
  TZelCanAdapter FFacade;
  std::string FSerial;
};

int RunList(const TCliArgs&) {
  for (const auto& device : ListAdapters())
    std::printf("%s\t%s\t%s\n", device->Description.toUtf8().constData(), device->SerialNr.toUtf8().constData(),
                device->Manufacturer.toUtf8().constData());
  return kExitOk;
}

// A received frame as dump prints it, the serial number as interface: stamped with the
// kernel's receive time where the driver has it, with the wall clock otherwise.
void PrintReceivedFrame(const TCanMsgProg& msg, const TOpenAdapter& adapter) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  std::int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  if (adapter.Socket() != nullptr) us = TZelCanSocket::StampMicroseconds(msg, us);
  std::printf("%s\n", CandumpLine(msg, us / 1000000, us % 1000000, adapter.Serial()).c_str());
}

// What dump and run say on standard error about an interface that pauses and comes back.
class TLinkWatch {
 public:
  explicit TLinkWatch(const TOpenAdapter& adapter) : FAdapter(adapter) {}
  void Check() {
    const TZelCanSocket* socket = FAdapter.Socket();
    if (socket == nullptr || socket->LinkDown() == FDown) return;
    FDown = !FDown;
    PrintError(FAdapter.Serial() + (FDown ? " is down; waiting for it to come up" : " is up again"));
  }
  // Frames the kernel could not queue for the program, reported once at the end.
  void ReportDrops() const {
    TZelCanSocket* socket = FAdapter.Socket();
    if (socket != nullptr) socket->RefreshKernelDrops();
    if (socket != nullptr && socket->KernelDrops() > 0)
      PrintError(std::to_string(socket->KernelDrops()) + " frames dropped by the kernel: the receive queue was full");
  }

 private:
  const TOpenAdapter& FAdapter;
  bool FDown = false;
};

// What a receiving command does with the open adapter: each received frame, whether it has
// had enough, and what it does between two looks at the receive queue.
struct TReceiveHandlers {
  std::function<void(const TCanMsgProg&)> Frame;
  std::function<bool()> Done = [] { return false; };
  std::function<void()> Idle = [] {};
  // The longest wait for a frame before Idle, the time limit and an interrupt are looked at.
  std::chrono::microseconds PollInterval{100'000};
};

// Receives until the time limit, an interrupt, Done or the loss of the adapter; the reader is
// stopped and what it had queued is handed over before the adapter closes. False when the
// adapter was lost.
bool ReceiveUntilStopped(TOpenAdapter& adapter, const TCliOptions& options, const TReceiveHandlers& handlers) {
  ReceiveQueue queue;
  TBMDThread reader;
  AttachReceiveLoop(reader, adapter.Facade(), queue);
  reader.Start();

  using Clock = std::chrono::steady_clock;
  const auto deadline = options.TimeoutSeconds
                            ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(*options.TimeoutSeconds))
                            : Clock::time_point::max();
  while (gStopRequested == 0 && !handlers.Done() && reader.Runing()) {
    const auto now = Clock::now();
    if (now >= deadline) break;
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now);
    queue.WaitForFrames(std::min(left, handlers.PollInterval));
    if (DrainReceiveQueue(queue, handlers.Frame) > 0) std::fflush(stdout);
    handlers.Idle();
  }
  reader.Stop();
  reader.WaitFor();
  DrainReceiveQueue(queue, handlers.Frame);
  std::fflush(stdout);
  return !adapter.Facade().DeviceLost();
}

int ReportLoss(const TOpenAdapter& adapter) {
  PrintError(adapter.Socket() ? adapter.Serial() + ": the interface is gone" : "adapter " + adapter.Serial() + " was lost");
  return kExitAdapterLost;
}

// Installed before the open, so that an interrupt during it still ends in a clean close.
void StopOnInterrupt() {
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
}

// With --dbc, the decoded signals of each frame as `signals` prints them, instead of the frame.
int RunDump(const TCliArgs& args) {
  const TCliOptions options = ReadAdapterOptions(args);
  TSignalDatabases databases;
  LoadSignalDatabases(args, databases);
  QFile out;
  if (!out.open(stdout, QIODevice::WriteOnly)) throw TCliFailure{"cannot write to standard output"};
  TSignalCsvWriter signalLines(databases, out);
  const bool decode = !databases.Empty();
  StopOnInterrupt();
  TOpenAdapter adapter(options);
  if (decode) signalLines.WriteCaptions();
  std::uint64_t printed = 0;
  const auto limitReached = [&] { return options.Count != 0 && printed >= options.Count; };
  TReceiveHandlers handlers;
  handlers.Frame = [&](const TCanMsgProg& msg) {
    if (limitReached()) return;
    if (decode)
      signalLines.WriteFrame(msg);
    else
      PrintReceivedFrame(msg, adapter);
    ++printed;
  };
  TLinkWatch link(adapter);
  handlers.Done = limitReached;
  handlers.Idle = [&] {
    signalLines.Flush();
    link.Check();
  };
  const bool kept = ReceiveUntilStopped(adapter, options, handlers);
  signalLines.Flush();
  link.ReportDrops();
  return kept ? kExitOk : ReportLoss(adapter);
}

QString RequireExtension(const std::string& path, const char* extension, const char* option) {
  const QString file = QString::fromStdString(path);
  if (!file.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
    throw TUsageError(std::string(option) + " takes a " + extension + " file, not '" + path + "'");
  return file;
}

// The predefined messages of a running window, with the open adapter as their bus. Sent
// frames go to the adapter only; there are no views to enter them into.
class THeadlessTransmit {
 public:
  explicit THeadlessTransmit(const QString& messagesFile) {
    try {
      LoadTreeFile(messagesFile, FPredefined);
    } catch (const TTreeFileError& error) {
      throw TCliFailure{messagesFile.toStdString() + ": " + error.what()};
    }
  }

  // False when the adapter was lost.
  bool Run(TOpenAdapter& adapter, const TCliOptions& options) {
    FAdapter = &adapter;
    TReceiveHandlers handlers;
    handlers.Frame = [&](const TCanMsgProg& msg) {
      PrintReceivedFrame(msg, adapter);
      FPredefined.MatchTriggerMessages(msg);
    };
    // The window's timer rows are due on a millisecond tick; polling twice as often keeps up.
    handlers.Idle = [&] { FPredefined.SendDueTimerMessages(); };
    handlers.PollInterval = std::chrono::microseconds(500);
    const bool kept = ReceiveUntilStopped(adapter, options, handlers);
    FAdapter = nullptr;
    return kept;
  }

  void SaveTriggerLog(const QString& fileName) const { SaveTreeFile(fileName, FTriggerLog); }
  [[nodiscard]] int FailedSends() const { return FSender.FailedSends(); }

 private:
  TOpenAdapter* FAdapter = nullptr;
  TTriggerLogList FTriggerLog;
  TFrameSender FSender{{[this](const TCanMsgProg& msg) { return FAdapter && FAdapter->Send(msg); },
                        [](const TCanMsgProg&) {}}};
  TPredefinedMessageList FPredefined{{[this](const TCanMsgProg& msg) { FSender.Send(msg); },
                                      [this](const QString& text) { FTriggerLog.AddTriggerLogEntry(text); },
                                      &GetTickCount}};
};

int RunRun(const TCliArgs& args) {
  const TCliOptions options = ReadAdapterOptions(args);
  if (!args.Has("messages")) throw TUsageError("missing --messages FILE");
  const QString messagesFile = RequireExtension(args.Value("messages"), ".pm1", "--messages");
  const std::optional<QString> logFile =
      args.Has("log") ? std::optional(RequireExtension(args.Value("log"), ".lm1", "--log")) : std::nullopt;
  THeadlessTransmit transmit(messagesFile);
  StopOnInterrupt();
  {
    TOpenAdapter adapter(options);
    if (!transmit.Run(adapter, options)) return ReportLoss(adapter);
  }
  if (logFile) transmit.SaveTriggerLog(*logFile);
  if (transmit.FailedSends() == 0) return kExitOk;
  PrintError(std::to_string(transmit.FailedSends()) + " frames were not acknowledged by the adapter");
  return kExitNotAcknowledged;
}

int RunSend(const TCliArgs& args) {
  const TCanMsgProg frame = ParseFrameText(args.Arguments.at(1));
  TOpenAdapter adapter(ReadAdapterOptions(args));
  if (adapter.Send(frame)) return kExitOk;
  if (adapter.Socket() && adapter.Socket()->LinkDown()) {
    PrintError(adapter.Serial() + " is down: the frame was not sent");
    return kExitNotAcknowledged;
  }
  PrintError("the adapter did not acknowledge the frame");
  return kExitNotAcknowledged;
}

// The capture's frames to replay; what the reader passed over is said on stderr.
std::vector<TReplayFrame> ReadReplayFrames(const std::string& path, const std::vector<std::int64_t>& ids) {
  TLogFile capture;
  try {
    capture = ReadLogFileAt(QString::fromStdString(path));
  } catch (const std::runtime_error& error) {
    throw TCliFailure{error.what()};
  }
  if (capture.FirstProblem)
    PrintError(path + ": " + std::to_string(capture.Skipped) + " lines or objects passed over; " + capture.FirstProblem->Text());
  TReplayFilter accept;
  if (!ids.empty())
    accept = [&ids](const TCanMsgProg& msg) { return std::find(ids.begin(), ids.end(), msg.CanId) != ids.end(); };
  return ReplayFramesOfLog(capture.Frames, accept);
}

// "1200 frames sent in 0.600 s, largest lag 0.31 ms"
void PrintReplaySummary(const TReplayProgress& progress) {
  std::printf("%llu frames sent in %.3f s, largest lag %.2f ms\n", static_cast<unsigned long long>(progress.Sent),
              static_cast<double>(progress.ReplayTimeNs) / 1e9, static_cast<double>(progress.MaxLagNs) / 1e6);
  std::fflush(stdout);
}

// Replays a log with its timing. Frames the adapter receives meanwhile are read and dropped,
// so they do not pile up in the driver.
int RunPlay(const TCliArgs& args) {
  const TCliOptions options = ReadAdapterOptions(args);
  const TCliPlayOptions play = ReadPlayOptions(args);
  TReplaySchedule schedule(ReadReplayFrames(args.Arguments.at(1), play.Ids), play.Pace);
  StopOnInterrupt();
  TOpenAdapter adapter(options);
  TReplayController replay({[&adapter](const TCanMsgProg& msg) { return adapter.Send(msg); },
                            [] { return gStopRequested != 0; }},
                           TReplayController::TWakeup::Wait);
  replay.Start(std::move(schedule));
  TReceiveHandlers handlers;
  handlers.Frame = [](const TCanMsgProg&) {};
  handlers.Done = [&replay] { return !replay.Running(); };
  handlers.Idle = [&replay] {
    replay.Wait(std::chrono::milliseconds(2));
    replay.Drain();
  };
  handlers.PollInterval = std::chrono::microseconds(0);
  ReceiveUntilStopped(adapter, options, handlers);
  replay.Stop();
  PrintReplaySummary(replay.Progress());
  if (replay.Progress().Refused == 0) return kExitOk;
  PrintError(std::to_string(replay.Progress().Refused) + " frames were not acknowledged by the adapter");
  return kExitNotAcknowledged;
}

}  // namespace

const TCliProgramSpec& CliProgram() {
  using namespace CliOption;
  static const TCliArgumentSpec kSerial{"SERIAL", "Serial number of the adapter, as 'list' shows it."};
  static const TCliProgramSpec kProgram{
      "ferrolux-cli", FERROLUX_VERSION,
      "Drives the CAN adapters of Ferrolux from the command line.\n"
      "Exit status: 0 done, 1 frame not acknowledged or not sent, 2 bad arguments or adapter not opened, 3 adapter "
      "lost.",
      {
          {"list", "List the adapters: kind, serial number, description.", {}, {}, RunList},
          {"dump", "Print received frames as candump log lines, or with --dbc the signals they carry.",
           {kSerial}, {BitRate, Btr, Code, Mask, Count, Timeout, Dbc}, RunDump},
          {"send", "Send one frame.",
           {kSerial, {"ID#DATA", "The frame as candump writes it: 123#1122, 18DAF110#01, 123#R or 123#R4."}},
           {BitRate, Btr}, RunSend},
          {"run", "Run a predefined-message list: timer rows when due, message rows in answer to received frames.",
           {kSerial},
           {{"messages", "FILE", "The predefined-message list file (.pm1); required."}, BitRate, Btr, Code, Mask, Duration,
            {"log", "FILE", "Write the trigger log to this list file (.lm1) at the end."}},
           RunRun},
          {"convert", "Convert a capture: log, list file or export, by the file extensions.",
           {{"IN", "A log: candump (.log), ASC (.asc), BLF (.blf), TRC (.trc), SavvyCAN CSV (.csv); or a list file: trace "
                   "(.tr1), monitor (.mo1), trigger log (.lm1). Without a known extension, a log by its content."},
            {"OUT", "A log (.log, .asc, .blf, .trc) or trace list file (.tr1) of a trace, or the list's export (.csv, .html, "
                    ".rtf)."}},
           {}, RunConvert},
          {"decode", "Print the diagnostic messages of a trace as semicolon-separated text.",
           {{"IN", "A trace: a log (.log, .asc, .blf, .trc, .csv) or trace list file (.tr1)."}},
           {{"catalog", "FILE", "Control-unit catalog (.ini) naming the identifiers."}}, RunDecode},
          {"signals", "Print the signals a DBC decodes from a trace as semicolon-separated text.",
           {{"IN", "A trace: candump log (.log) or trace list file (.tr1)."}}, {Dbc}, RunSignals},
          {"stats", "Print the bus load and each identifier's count, bits on the wire and period as semicolon-separated text.",
           {{"IN", "A trace: candump log (.log) or trace list file (.tr1)."}},
           {{"bitrate", "KBITS", "Bit rate in kbit/s for the load; the stored setting by default."}}, RunStats},
          {"play", "Replay a log onto the bus with its recorded timing, faster or slower.",
           {kSerial, {"IN", "A log: candump (.log), ASC (.asc), BLF (.blf), TRC (.trc), SavvyCAN CSV (.csv)."}},
           {{"speed", "F", "Speed factor from 0.1 to 10 (default 1), or 'max': as fast as the adapter takes."},
            {"loop", "N", "Play the log N times (default 1); 0 plays it until interrupted."},
            {"id", "ID", "Replay only this identifier (hexadecimal); may be given several times."}, BitRate, Btr, Code,
            Mask},
           RunPlay},
      }};
  return kProgram;
}
