#pragma once
// The thread that waits for each frame's due time, so the user-interface thread never does.
// It sends nothing itself: due frames go into one queue that the owner of the adapter's
// write side (the window's user-interface thread, or the command line's main thread) takes
// from and sends through the one send path, in order with every other sender.
//
//   owner  --commands (pause, resume, step), stop request-->  replay thread
//   owner  <--due frames, end of the replay------------------ replay thread
//
// One mutex guards both queues. The frame queue holds a bounded number of frames: when the
// adapter is slower than the capture the thread waits for room, so the replay falls behind
// (the owner sees the lag) instead of piling frames up.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "replay/ReplayRun.h"

// Nanoseconds of a monotonic clock.
using TReplayClock = std::function<std::int64_t()>;
[[nodiscard]] std::int64_t SteadyClockNs();

struct TReplayItem {
  TCanMsgProg Msg;
  std::uint64_t Index = 0;     // counted over all loops
  std::int64_t DueAtNs = 0;    // on the clock
  std::int64_t ScheduleNs = 0; // since the replay's start, pauses left out
};

class TReplayThread {
 public:
  static constexpr std::size_t kQueuedFrames = 64;

  // Starts the thread; paused, it waits for Resume or Step before the first frame.
  TReplayThread(std::shared_ptr<const TReplaySchedule> schedule, bool paused, TReplayClock clock = SteadyClockNs);
  // Stops and joins.
  ~TReplayThread();
  TReplayThread(const TReplayThread&) = delete;
  TReplayThread& operator=(const TReplayThread&) = delete;

  // Called on the replay thread when frames wait in an empty queue, or the replay ended:
  // set it before the first frame can be due (before Resume, or with paused set).
  void SetWake(std::function<void()> wake);

  void Pause();
  void Resume();
  void Step();
  // No frame is handed on after this returns; those queued and not taken are dropped.
  void Stop();

  // The frames due so far, in order; the owner sends them.
  [[nodiscard]] std::vector<TReplayItem> TakeFrames();
  // Until frames wait, the replay ended or the timeout passed.
  void WaitForFrames(std::chrono::nanoseconds timeout);
  // Every frame was handed on and taken, or the replay was stopped.
  [[nodiscard]] bool Ended() const;

 private:
  enum class TCommand { Pause, Resume, Step };
  void Command(TCommand command);
  void Run();
  void ApplyCommands(TReplayRun& run);
  // Hands the frame on when there is room; false when the queue is full.
  bool Hand(TReplayRun& run, const TReplayRun::TAction& action, bool& wake);
  void WaitUntil(std::unique_lock<std::mutex>& lock, std::int64_t atNs);

  std::shared_ptr<const TReplaySchedule> FSchedule;
  TReplayClock FClock;
  bool FStartPaused;

  mutable std::mutex FMutex;
  std::condition_variable FToThread;  // commands, stop, room in the queue
  std::condition_variable FToOwner;   // frames, end
  std::vector<TCommand> FCommands;
  std::deque<TReplayItem> FFrames;
  std::function<void()> FWake;
  bool FStopRequested = false;
  bool FEnded = false;

  std::thread FThread;
};
