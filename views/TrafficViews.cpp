#include "views/TrafficViews.h"

#include <algorithm>
#include <exception>

#include "app/ReceivePipeline.h"

TTrafficViews::TTrafficViews(TTrafficSeams seams)
    : FSeams(std::move(seams)),
      FIdFilter(FSeams.ProjectChanged),
      FTrace(FIdFilter, FSeams.Show8ByteMsg, FSeams.DeviceConnected, FSeams.ProjectChanged),
      FMonitor(FIdFilter, FSeams.Show8ByteMsg, FSeams.ProjectChanged),
      FDetails(FMonitor) {}

void TTrafficViews::DispatchReceivedMessage(const TCanMsgProg& msg) {
  EnterReceivedMessage(msg);
  if (MatchTriggerMessages) MatchTriggerMessages(msg);
}

void TTrafficViews::EnterReceivedMessage(const TCanMsgProg& msg) {
  FIdFilter.EnsureCanIdInFilter(msg);
  FTrace.AddToTrace(msg, true);
  FMonitor.AddToMonitor(msg, true);
  for (TTrafficObserver* observer : FObservers) observer->FrameEntered(msg, true);
}

void TTrafficViews::EnterSentMessage(const TCanMsgProg& msg) {
  FIdFilter.EnsureCanIdInFilter(msg);
  FMonitor.AddToMonitor(msg, false);
  FTrace.AddToTrace(msg, false);
  for (TTrafficObserver* observer : FObservers) observer->FrameEntered(msg, false);
}

void TTrafficViews::RemoveObserver(TTrafficObserver* observer) {
  FObservers.erase(std::remove(FObservers.begin(), FObservers.end(), observer), FObservers.end());
}

void TTrafficViews::BeginDrain() {
  FTrace.BeginUpdate();
  FMonitor.BeginUpdate();
  FIdFilter.BeginUpdate();
  try {
    for (TTrafficObserver* observer : FObservers) observer->DrainBegun();
  } catch (...) {
    // A drain that could not begin is ended at once: the lists must not stay suspended.
    EndDrain();
    throw;
  }
}

// Every step runs even when an earlier one fails, and the first failure goes on afterwards:
// a list left suspended would show no received row again.
void TTrafficViews::EndDrain() {
  std::exception_ptr failure;
  const auto step = [&failure](auto&& action) {
    try {
      action();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  };
  for (TTrafficObserver* observer : FObservers) step([observer] { observer->DrainEnded(); });
  step([this] { FIdFilter.EndUpdate(); });
  step([this] { FMonitor.EndUpdate(); });
  step([this] { FTrace.EndUpdate(); });
  step([this] { FDetails.RefreshCanIdDetails(); });
  if (failure) std::rethrow_exception(failure);
}

std::size_t TTrafficViews::DrainTick(ReceiveQueue& queue) {
  BeginDrain();
  std::size_t drained = 0;
  try {
    drained = DrainReceiveQueue(queue, [this](const TCanMsgProg& msg) { DispatchReceivedMessage(msg); });
  } catch (...) {
    EndDrain();
    throw;
  }
  EndDrain();
  return drained;
}
