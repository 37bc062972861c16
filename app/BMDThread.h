#pragma once
// Worker-thread component: runs OnExecute once on a new thread per Start. The stop request
// is the worker's Terminated flag; WaitFor joins, so a device is never closed and a queue
// never released while the worker is still inside its loop.

#include <atomic>
#include <functional>
#include <thread>

class TBMDThread;

class TBMDWorker {
 public:
  [[nodiscard]] bool Terminated() const { return FTerminated.load(std::memory_order_acquire); }
  void Terminate() { FTerminated.store(true, std::memory_order_release); }
  void Reset() { FTerminated.store(false, std::memory_order_release); }

 private:
  std::atomic<bool> FTerminated{false};
};

class TBMDThread {
 public:
  using TExecuteEvent = std::function<void(TBMDThread& Sender, TBMDWorker& Thread, void* Data)>;

  TBMDThread() = default;
  ~TBMDThread();
  TBMDThread(const TBMDThread&) = delete;
  TBMDThread& operator=(const TBMDThread&) = delete;

  // Starts a worker unless one is still running.
  void Start();
  // Asks the worker to leave its loop; does not wait.
  void Stop();
  // Blocks until the worker has left OnExecute (no-op without a worker).
  void WaitFor();
  // True while a worker exists and has not yet finished OnExecute.
  [[nodiscard]] bool Runing() const;

  TExecuteEvent OnExecute;
  void* Data = nullptr;

 private:
  std::thread FThread;
  TBMDWorker FWorker;
  std::atomic<bool> FFinished{true};
};
