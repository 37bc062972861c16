#include "replay/ReplayThread.h"

#include <chrono>

std::int64_t SteadyClockNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

TReplayThread::TReplayThread(std::shared_ptr<const TReplaySchedule> schedule, bool paused, TReplayClock clock)
    : FSchedule(std::move(schedule)), FClock(std::move(clock)), FStartPaused(paused), FThread([this] { Run(); }) {}

TReplayThread::~TReplayThread() {
  Stop();
  FThread.join();
}

void TReplayThread::SetWake(std::function<void()> wake) {
  const std::lock_guard lock(FMutex);
  FWake = std::move(wake);
}

void TReplayThread::Pause() { Command(TCommand::Pause); }
void TReplayThread::Resume() { Command(TCommand::Resume); }
void TReplayThread::Step() { Command(TCommand::Step); }

void TReplayThread::Command(TCommand command) {
  const std::lock_guard lock(FMutex);
  FCommands.push_back(command);
  FToThread.notify_one();
}

void TReplayThread::Stop() {
  const std::lock_guard lock(FMutex);
  FStopRequested = true;
  FFrames.clear();
  FToThread.notify_one();
}

std::vector<TReplayItem> TReplayThread::TakeFrames() {
  const std::lock_guard lock(FMutex);
  std::vector<TReplayItem> frames(FFrames.begin(), FFrames.end());
  FFrames.clear();
  FToThread.notify_one();
  return frames;
}

void TReplayThread::WaitForFrames(std::chrono::nanoseconds timeout) {
  std::unique_lock lock(FMutex);
  FToOwner.wait_for(lock, timeout, [this] { return !FFrames.empty() || FEnded || FStopRequested; });
}

bool TReplayThread::Ended() const {
  const std::lock_guard lock(FMutex);
  return FStopRequested || (FEnded && FFrames.empty());
}

void TReplayThread::ApplyCommands(TReplayRun& run) {
  for (const TCommand command : FCommands) switch (command) {
      case TCommand::Pause: run.Pause(FClock()); break;
      case TCommand::Resume: run.Resume(FClock()); break;
      case TCommand::Step: run.Step(); break;
    }
  FCommands.clear();
}

bool TReplayThread::Hand(TReplayRun& run, const TReplayRun::TAction& action, bool& wake) {
  if (FFrames.size() >= kQueuedFrames) return false;
  wake = wake || FFrames.empty();
  FFrames.push_back(TReplayItem{FSchedule->Frame(action.Index), action.Index, action.AtNs, FSchedule->DueNs(action.Index)});
  run.Sent();
  return true;
}

void TReplayThread::WaitUntil(std::unique_lock<std::mutex>& lock, std::int64_t atNs) {
  const std::int64_t leftNs = atNs - FClock();
  if (leftNs <= 0) return;
  FToThread.wait_for(lock, std::chrono::nanoseconds(leftNs), [this] { return FStopRequested || !FCommands.empty(); });
}

void TReplayThread::Run() {
  using TKind = TReplayRun::TAction::TKind;
  TReplayRun run(*FSchedule, FClock(), FStartPaused);
  std::unique_lock lock(FMutex);
  for (;;) {
    ApplyCommands(run);
    if (FStopRequested) break;
    const TReplayRun::TAction action = run.Next(FClock());
    bool wake = false;
    if (action.Kind == TKind::Finished) {
      FEnded = true;
      wake = true;
    } else if (action.Kind == TKind::Send) {
      if (!Hand(run, action, wake))
        FToThread.wait(lock, [this] { return FStopRequested || !FCommands.empty() || FFrames.size() < kQueuedFrames; });
    } else if (action.Kind == TKind::Wait) {
      WaitUntil(lock, action.AtNs);
    } else {
      FToThread.wait(lock, [this] { return FStopRequested || !FCommands.empty(); });
    }
    if (wake) {
      FToOwner.notify_one();
      // Outside the lock: the owner's wake-up may take the frames at once.
      const std::function<void()> notify = FWake;
      lock.unlock();
      if (notify) notify();
      lock.lock();
    }
    if (FEnded) break;
  }
  FEnded = true;
  FToOwner.notify_one();
}
