#include "views/TrafficViews.h"

#include "app/ReceivePipeline.h"

TTrafficViews::TTrafficViews(TTrafficSeams seams)
    : FSeams(std::move(seams)),
      FIdFilter(FSeams.ProjectChanged),
      FTrace(FIdFilter, FSeams.Show8ByteMsg, FSeams.DeviceConnected, FSeams.ProjectChanged),
      FMonitor(FIdFilter, FSeams.Show8ByteMsg, FSeams.ProjectChanged),
      FDetails(FMonitor) {}

void TTrafficViews::DispatchReceivedMessage(const TCanMsgProg& msg) { EnterReceivedMessage(msg); }

void TTrafficViews::EnterReceivedMessage(const TCanMsgProg& msg) {
  FIdFilter.EnsureCanIdInFilter(msg);
  FTrace.AddToTrace(msg, true);
  FMonitor.AddToMonitor(msg, true);
  if (MatchTriggerMessages) MatchTriggerMessages(msg);
}

void TTrafficViews::EnterSentMessage(const TCanMsgProg& msg) {
  FIdFilter.EnsureCanIdInFilter(msg);
  FMonitor.AddToMonitor(msg, false);
  FTrace.AddToTrace(msg, false);
}

void TTrafficViews::BeginDrain() {
  FTrace.BeginUpdate();
  FMonitor.BeginUpdate();
  FIdFilter.BeginUpdate();
}

void TTrafficViews::EndDrain() {
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
