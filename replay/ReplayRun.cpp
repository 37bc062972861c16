#include "replay/ReplayRun.h"

#include <algorithm>

TReplayRun::TReplayRun(const TReplaySchedule& schedule, std::int64_t nowNs, bool paused)
    : FSchedule(schedule), FState(paused ? TState::Paused : TState::Playing), FStartNs(nowNs) {}

TReplayRun::TState TReplayRun::State() const {
  return FState != TState::Finished && !FSchedule.HasFrame(FNext) ? TState::Finished : FState;
}

TReplayRun::TAction TReplayRun::Next(std::int64_t nowNs) const {
  using TKind = TAction::TKind;
  switch (State()) {
    case TState::Finished: return {TKind::Finished};
    case TState::Paused:
      if (FStepsPending > 0) return {TKind::Send, FNext, nowNs};
      return {TKind::Idle};
    case TState::Playing: break;
  }
  const std::int64_t dueNs = DueAtNs(FNext);
  if (nowNs >= dueNs) return {TKind::Send, FNext, dueNs};
  return {TKind::Wait, FNext, dueNs};
}

void TReplayRun::Sent() {
  if (FState == TState::Paused && FStepsPending > 0) {
    --FStepsPending;
    FPausedAtNs = std::max(FPausedAtNs, FSchedule.DueNs(FNext));
  }
  ++FNext;
}

void TReplayRun::Pause(std::int64_t nowNs) {
  if (State() != TState::Playing) return;
  // Time owed to a replay that had fallen behind is not carried over the pause.
  FPausedAtNs = std::min(nowNs - FStartNs, FSchedule.DueNs(FNext));
  FState = TState::Paused;
}

void TReplayRun::Resume(std::int64_t nowNs) {
  if (State() != TState::Paused) return;
  FStartNs = nowNs - FPausedAtNs;
  FStepsPending = 0;
  FState = TState::Playing;
}

void TReplayRun::Step() {
  if (State() == TState::Paused) ++FStepsPending;
}

std::int64_t TReplayRun::ReplayTimeNs(std::int64_t nowNs) const {
  switch (State()) {
    case TState::Paused: return FPausedAtNs;
    case TState::Finished: return FNext == 0 ? 0 : FSchedule.DueNs(FNext - 1);
    case TState::Playing: break;
  }
  return std::max<std::int64_t>(0, nowNs - FStartNs);
}
