#include "app/BMDThread.h"

TBMDThread::~TBMDThread() {
  Stop();
  WaitFor();
}

void TBMDThread::Start() {
  if (Runing()) return;
  WaitFor();  // reap a worker that has already finished
  FWorker.Reset();
  FFinished.store(false, std::memory_order_release);
  FThread = std::thread([this] {
    if (OnExecute) OnExecute(*this, FWorker, Data);
    FFinished.store(true, std::memory_order_release);
  });
}

void TBMDThread::Stop() {
  if (FThread.joinable()) FWorker.Terminate();
}

void TBMDThread::WaitFor() {
  if (FThread.joinable()) FThread.join();
}

bool TBMDThread::Runing() const { return FThread.joinable() && !FFinished.load(std::memory_order_acquire); }
