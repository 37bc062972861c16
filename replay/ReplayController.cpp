#include "replay/ReplayController.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

TReplayController::TReplayController(TReplaySeams seams, TWakeup wakeup, TReplayClock clock)
    : FSeams(std::move(seams)), FWakeup(wakeup), FClock(std::move(clock)) {
  if (wakeup != TWakeup::EventLoop) return;
  FWakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (FWakeFd < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  FWakeNotifier = std::make_unique<QSocketNotifier>(FWakeFd, QSocketNotifier::Read);
  QObject::connect(FWakeNotifier.get(), &QSocketNotifier::activated, FWakeNotifier.get(), [this] {
    eventfd_t wakes = 0;
    (void)::eventfd_read(FWakeFd, &wakes);
    Drain();
  });
}

TReplayController::~TReplayController() {
  FThread.reset();  // joined before the wake-up it writes to goes
  FWakeNotifier.reset();
  if (FWakeFd >= 0) ::close(FWakeFd);
}

void TReplayController::Start(TReplaySchedule schedule, bool paused) {
  Stop();
  FSchedule = std::make_shared<const TReplaySchedule>(std::move(schedule));
  FProgress = TReplayProgress{};
  FProgress.Total = FSchedule->Total();
  FPaused = paused;
  // Paused until the wake-up is in place, so no frame can be due before it.
  FThread = std::make_unique<TReplayThread>(FSchedule, true, FClock);
  if (FWakeup == TWakeup::EventLoop) FThread->SetWake([fd = FWakeFd] { (void)::eventfd_write(fd, 1); });
  if (!paused) FThread->Resume();
  FSeams.Changed();
}

void TReplayController::Pause() {
  if (!FThread || FPaused) return;
  FThread->Pause();
  FPaused = true;
  FSeams.Changed();
}

void TReplayController::Resume() {
  if (!FThread || !FPaused) return;
  FThread->Resume();
  FPaused = false;
  FSeams.Changed();
}

void TReplayController::Step() {
  if (!FThread) return;
  Pause();
  FThread->Step();
}

void TReplayController::Stop() {
  if (!FThread) return;
  FThread.reset();  // stops and joins; frames not yet sent are dropped
  FPending.clear();
  FPaused = false;
  FSeams.Changed();
}

bool TReplayController::Drain() {
  if (!FThread) return false;
  for (const TReplayItem& item : FThread->TakeFrames()) FPending.push_back(item);
  // On the window's thread a replay behind its schedule sends in slices, so the window keeps
  // answering between them.
  const std::int64_t sliceEndNs = FClock() + kDrainSliceNs;
  while (!FPending.empty() && !FSeams.StopRequested()) {
    const TReplayItem item = FPending.front();
    FPending.pop_front();
    Send(item);
    // A send may stop the replay (the adapter went away).
    if (!FThread) return false;
    if (FWakeup == TWakeup::EventLoop && FClock() >= sliceEndNs) break;
  }
  if (FSeams.StopRequested() || (FPending.empty() && FThread->Ended())) {
    Stop();
    return false;
  }
  if (!FPending.empty()) (void)::eventfd_write(FWakeFd, 1);  // the rest after the window's own events
  FSeams.Changed();
  return true;
}

void TReplayController::Wait(std::chrono::nanoseconds timeout) {
  if (FThread) FThread->WaitForFrames(timeout);
}

void TReplayController::Send(const TReplayItem& item) {
  if (!FSeams.Send(item.Msg)) ++FProgress.Refused;
  ++FProgress.Sent;
  FProgress.ReplayTimeNs = item.ScheduleNs;
  FProgress.LagNs = FSchedule->AsFastAsPossible() || FPaused ? 0 : std::max<std::int64_t>(0, FClock() - item.DueAtNs);
  FProgress.MaxLagNs = std::max(FProgress.MaxLagNs, FProgress.LagNs);
}
