#include "tools/sim/SimLoop.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <system_error>

#include "CanPackage/source/AsciiProtocol.h"
#include "model/CandumpLog.h"

namespace {

std::int64_t WallUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// Record time stamps are calendar time, as candump writes them.
std::int64_t RealTimeUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

bool IsTemporary(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

}  // namespace

TSimLoop::TSimLoop(int fd, TAsciiAdapterEmulator& adapter, TTrafficSource& source, std::ostream& log, bool verbose)
    : FFd(fd), FAdapter(adapter), FSource(source), FLog(log), FVerbose(verbose) {}

void TSimLoop::Run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask) {
  const std::int64_t startUs = WallUs();
  while (!stop) {
    const std::int64_t waitUs = ServeTraffic(WallUs() - startUs);
    pollfd watch{FFd, static_cast<short>(POLLIN | (FQueue.Empty() ? 0 : POLLOUT)), 0};
    timespec timeout{waitUs / 1'000'000, (waitUs % 1'000'000) * 1000};
    if (::ppoll(&watch, 1, waitUs < 0 ? nullptr : &timeout, &waitMask) < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "ppoll");
    }
    if (watch.revents & POLLIN) ReadCommands(WallUs() - startUs);
    WritePending();
  }
}

std::int64_t TSimLoop::BusNow(std::int64_t wallUs) const {
  return FBusUs + (FAdapter.IsOpen() ? wallUs - FOpenedAtUs : 0);
}

std::int64_t TSimLoop::ServeTraffic(std::int64_t wallUs) {
  if (!FAdapter.IsOpen()) return -1;
  const std::int64_t busUs = BusNow(wallUs);
  bool queued = false;
  for (int taken = 0;; ++taken) {
    if (!FLookahead && !FSourceEnded) {
      FLookahead = FSource.Next(busUs);
      FSourceEnded = !FLookahead;
    }
    if (!FLookahead) return -1;
    if (FLookahead->DueUs > busUs) return FLookahead->DueUs - busUs;
    // A source that is always due, all of it filtered out, must not keep the loop spinning.
    if (taken == kMaxFramesPerPass) return queued ? 0 : kFilteredPassPauseUs;
    if (!FQueue.HasRoomForFrame()) {
      const std::int64_t staleInUs = FLookahead->DueUs + kStaleUs - busUs;
      if (staleInUs > 0) return staleInUs;  // room to write wakes the loop earlier
      ++FStaleFrames;
    } else {
      const std::string line = FAdapter.ReportFrame(FLookahead->Msg, static_cast<std::uint64_t>(wallUs / 1000));
      if (!line.empty()) queued = FQueue.PushFrame(line) || queued;
    }
    FLookahead.reset();
  }
}

void TSimLoop::ReadCommands(std::int64_t wallUs) {
  char buffer[4096];
  const ssize_t count = ::read(FFd, buffer, sizeof buffer);
  if (count <= 0) {
    if (count < 0 && !IsTemporary(errno) && errno != EIO)
      throw std::system_error(errno, std::generic_category(), "read");
    return;
  }
  const bool wasOpen = FAdapter.IsOpen();
  FQueue.PushReply(FAdapter.Feed(std::string_view(buffer, static_cast<std::size_t>(count))));
  NoteStateChange(wasOpen, wallUs);
  const std::int64_t arrivedUs = RealTimeUs();
  for (const TCanMsgProg& msg : FAdapter.TakeTransmitted()) {
    if (FVerbose) FLog << "sent by the program: " << AsciiProtocol::TransmitLine(msg) << '\n';
    if (FRecord) *FRecord << FormatCandumpLine(msg, arrivedUs) << '\n' << std::flush;
  }
}

void TSimLoop::NoteStateChange(bool wasOpen, std::int64_t wallUs) {
  if (wasOpen == FAdapter.IsOpen()) return;
  if (FAdapter.IsOpen()) {
    FOpenedAtUs = wallUs;
    char filter[64];
    std::snprintf(filter, sizeof filter, "code %08X mask %08X", FAdapter.AcceptanceCode(), FAdapter.AcceptanceMask());
    FLog << "channel open at " << FAdapter.BitRateText() << ", " << filter << ", time stamps "
         << (FAdapter.TimeStamps() ? "on" : "off") << std::endl;
  } else {
    FBusUs += wallUs - FOpenedAtUs;
    FQueue.DiscardFrames();
    FLog << "channel closed" << std::endl;
  }
}

void TSimLoop::WritePending() {
  for (std::string_view bytes = FQueue.Next(); !bytes.empty(); bytes = FQueue.Next()) {
    const ssize_t written = ::write(FFd, bytes.data(), bytes.size());
    if (written < 0) {
      if (IsTemporary(errno)) return;
      throw std::system_error(errno, std::generic_category(), "write");
    }
    FQueue.Consume(static_cast<std::size_t>(written));
  }
}
