// ferrolux-cli: the adapter layer of the application on the command line.
#include <csignal>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "CanPackage/source/AdapterKinds.h"
#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanSocket.h"
#include "CanPackage/source/ZelCanUsb.h"
#include "CanPackage/source/ZelCanUsbSerial.h"
#include "app/ReceivePipeline.h"
#include "platform/CanInterfaces.h"
#include "tools/cli/CliOptions.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotAcknowledged = 1;
constexpr int kExitUsage = 2;

volatile std::sig_atomic_t gStopRequested = 0;
void RequestStop(int) { gStopRequested = 1; }

struct TCliFailure {
  std::string Message;
};

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
    FFacade.SetAdapter(FDriver.Driver.get());
    FFacade.SetFilter({{options.Code, options.Mask}});
    if (FFacade.OpenDevice(options.Serial, options.BitRate, options.Btr) != CanResult::Ok)
      throw TCliFailure{"cannot open adapter " + options.Serial};
  }
  ~TOpenAdapter() { FFacade.CloseDevice(); }
  TOpenAdapter(const TOpenAdapter&) = delete;
  TOpenAdapter& operator=(const TOpenAdapter&) = delete;

  TZelCanAdapter& Facade() { return FFacade; }
  [[nodiscard]] bool Send(const TCanMsgProg& frame) { return FFacade.WriteData(frame) == FDriver.WriteAccepted; }

 private:
  TDriverChoice FDriver;
  TZelCanAdapter FFacade;
};

int RunList() {
  for (const auto& device : ListAdapters())
    std::printf("%s\t%s\t%s\n", device->Description.toUtf8().constData(), device->SerialNr.toUtf8().constData(),
                device->Manufacturer.toUtf8().constData());
  return kExitOk;
}

int RunDump(const TCliOptions& options) {
  // Before the open, so that an interrupt during it still ends in a clean close.
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  TOpenAdapter adapter(options);
  ReceiveQueue queue;
  TBMDThread reader;
  AttachReceiveLoop(reader, adapter.Facade(), queue);
  reader.Start();

  using Clock = std::chrono::steady_clock;
  const auto deadline = options.TimeoutSeconds
                            ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(*options.TimeoutSeconds))
                            : Clock::time_point::max();
  std::uint64_t printed = 0;
  const auto limitReached = [&] { return options.Count != 0 && printed >= options.Count; };
  const auto print = [&](const TCanMsgProg& msg) {
    if (limitReached()) return;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
    std::printf("%s\n", CandumpLine(msg, us / 1000000, us % 1000000, options.Serial).c_str());
    ++printed;
  };
  while (gStopRequested == 0 && !limitReached() && Clock::now() < deadline) {
    if (DrainReceiveQueue(queue, print) > 0) std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  reader.Stop();
  reader.WaitFor();
  DrainReceiveQueue(queue, print);
  std::fflush(stdout);
  return kExitOk;
}

int RunSend(const TCliOptions& options) {
  TOpenAdapter adapter(options);
  if (adapter.Send(options.Frame)) return kExitOk;
  PrintError("the adapter did not acknowledge the frame");
  return kExitNotAcknowledged;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const TCliOptions options = ParseCliOptions(argc - 1, argv + 1);
    switch (options.Command) {
      case TCliCommand::List: return RunList();
      case TCliCommand::Dump: return RunDump(options);
      case TCliCommand::Send: return RunSend(options);
    }
  } catch (const TUsageError& error) {
    PrintError(std::string(error.what()) + " (" + kCliUsage + ")");
  } catch (const TCliFailure& failure) {
    PrintError(failure.Message);
  } catch (const std::exception& error) {
    PrintError(error.what());
  }
  return kExitUsage;
}
