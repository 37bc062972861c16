#pragma once
// A replay as its owner drives it: started, paused, resumed, stepped and stopped on the
// thread that owns the adapter's write side, whose frames it sends there through the one
// send path when the replay thread says they are due. The window and ferrolux-cli both run
// replays through this class.

#include <QSocketNotifier>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "replay/ReplayThread.h"

struct TReplayProgress {
  std::uint64_t Sent = 0;                  // frames handed to the send path, refused ones included
  std::optional<std::uint64_t> Total;      // nothing for an endless replay
  std::uint64_t Refused = 0;               // sends the adapter did not take
  std::int64_t ReplayTimeNs = 0;           // schedule time of the last frame sent
  std::int64_t LagNs = 0;                  // how late the last frame went out
  std::int64_t MaxLagNs = 0;
};

struct TReplaySeams {
  // The one send path; true when the adapter took the frame.
  std::function<bool(const TCanMsgProg&)> Send;
  // Asked before each frame: an outside stop (an interrupt) ends the replay there.
  std::function<bool()> StopRequested = [] { return false; };
  // After frames were sent and when the replay ends.
  std::function<void()> Changed = [] {};
};

class TReplayController {
 public:
  // How the owner learns that frames are due: through the event loop of the thread that made
  // this object (the window's), or by calling Wait (a loop without events). The replay thread
  // wakes the event loop through an eventfd it only writes to, so no object of the event
  // loop is touched from the replay thread.
  enum class TWakeup { EventLoop, Wait };

  // How long one drain on the event loop sends before the window's own events come next.
  static constexpr std::int64_t kDrainSliceNs = 10'000'000;

  TReplayController(TReplaySeams seams, TWakeup wakeup, TReplayClock clock = SteadyClockNs);
  ~TReplayController();
  TReplayController(const TReplayController&) = delete;
  TReplayController& operator=(const TReplayController&) = delete;

  // Starts a replay in place of any running one; paused, it waits for Resume or Step.
  void Start(TReplaySchedule schedule, bool paused = false);
  void Pause();
  void Resume();
  // Pauses, and sends the next frame at once.
  void Step();
  void Stop();

  [[nodiscard]] bool Running() const { return FThread != nullptr; }
  [[nodiscard]] bool Paused() const { return FPaused; }
  [[nodiscard]] const TReplayProgress& Progress() const { return FProgress; }

  // Sends what is due; ends the replay when it is over. Returns whether it still runs.
  bool Drain();
  // For TWakeup::Wait: blocks until frames are due, the replay ended or the timeout passed.
  void Wait(std::chrono::nanoseconds timeout);

 private:
  void Send(const TReplayItem& item);

  TReplaySeams FSeams;
  TWakeup FWakeup;
  TReplayClock FClock;
  int FWakeFd = -1;  // TWakeup::EventLoop
  std::unique_ptr<QSocketNotifier> FWakeNotifier;
  std::shared_ptr<const TReplaySchedule> FSchedule;
  std::deque<TReplayItem> FPending;  // taken from the thread, not yet sent
  TReplayProgress FProgress;
  bool FPaused = false;
  std::unique_ptr<TReplayThread> FThread;
};
