#include "app/ReceivePipeline.h"

#include <chrono>
#include <thread>

void threadReadExecute(TZelCanAdapter& adapter, ReceiveQueue& queue, const TBMDWorker& thread) {
  PCanMsgProgs msgs;
  for (;;) {
    msgs.clear();
    const std::int32_t result = adapter.ReadData(msgs);
    if (result == CanResult::FramesRead) queue.EnqueueAll(msgs);
    // A driver whose device is gone has nothing more to give; the window notices the ended
    // loop with the driver's lost state and closes the channel.
    if (adapter.DeviceLost()) break;
    if (IsIdleReadResult(result) || thread.Terminated()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (thread.Terminated()) break;
    }
  }
}

void AttachReceiveLoop(TBMDThread& thread, TZelCanAdapter& adapter, ReceiveQueue& queue) {
  thread.OnExecute = [&adapter, &queue](TBMDThread&, TBMDWorker& worker, void*) {
    threadReadExecute(adapter, queue, worker);
  };
}
