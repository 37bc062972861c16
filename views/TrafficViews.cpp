#include "views/TrafficViews.h"

#include <algorithm>

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
  for (TTrafficObserver* observer : FObservers) observer->DrainBegun();
}

void TTrafficViews::EndDrain() {
  for (TTrafficObserver* observer : FObservers) observer->DrainEnded();
  FIdFilter.EndUpdate();
  FMonitor.EndUpdate();
  FTrace.EndUpdate();
  FDetails.RefreshCanIdDetails();
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
