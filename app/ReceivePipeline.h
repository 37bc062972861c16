#pragma once
// The receive spine: the reader loop that moves frames from the facade into the queue, and
// the drain that hands them, in arrival order, to the dispatch on the user-interface thread.

#include <cstddef>

#include "CanPackage/source/ZelCanAdapter.h"
#include "app/BMDThread.h"
#include "app/ReceiveQueue.h"

// True for the read results after which the loop pauses: nothing is available now.
[[nodiscard]] constexpr bool IsIdleReadResult(std::int32_t result) {
  return result == -1 || result == -3 || result == -5 || result == -7;
}

// Reads until the worker is terminated: after an idle result or a stop request it sleeps
// 1 ms, after anything else it reads again at once. It also ends once the driver reports its
// device lost, after queuing what the last read delivered.
void threadReadExecute(TZelCanAdapter& adapter, ReceiveQueue& queue, const TBMDWorker& thread);

// Makes `thread` run the receive loop over `adapter` into `queue`.
void AttachReceiveLoop(TBMDThread& thread, TZelCanAdapter& adapter, ReceiveQueue& queue);

// One drain: dispatches every frame present, including those that arrive meanwhile, each
// released after its dispatch. Returns the number dispatched.
template <typename Dispatch>
std::size_t DrainReceiveQueue(ReceiveQueue& queue, Dispatch&& dispatch) {
  constexpr std::size_t kBatch = 512;
  PCanMsgProgs batch;
  batch.reserve(kBatch);
  std::size_t dispatched = 0;
  while (queue.DequeueBatch(batch, kBatch) > 0) {
    for (PCanMsgProg& msg : batch) {
      dispatch(static_cast<const TCanMsgProg&>(*msg));
      msg.reset();
    }
    dispatched += batch.size();
    batch.clear();
  }
  return dispatched;
}
