#pragma once
// The live-traffic lists together: the software filter, the trace, the monitor and the bit
// grid, and the order in which a frame passes them. The main window owns one of these and
// wires the seams below to its settings, its project and its adapter.

#include <functional>
#include <vector>

#include "app/ReceiveQueue.h"
#include "filters/IdFilterList.h"
#include "views/CanIdDetails.h"
#include "views/MonitorList.h"
#include "views/TraceList.h"
#include "views/TrafficObserver.h"

struct TTrafficSeams {
  TShow8ByteMsg Show8ByteMsg;             // the setting, read at every paint
  std::function<bool()> DeviceConnected;  // the trace search is refused while true
  std::function<void()> ProjectChanged;   // every content change of a project list
};

class TTrafficViews {
 public:
  explicit TTrafficViews(TTrafficSeams seams);

  [[nodiscard]] TIdFilterList& IdFilter() { return FIdFilter; }
  [[nodiscard]] TTraceList& Trace() { return FTrace; }
  [[nodiscard]] TMonitorList& Monitor() { return FMonitor; }
  [[nodiscard]] TCanIdDetails& CanIdDetails() { return FDetails; }

  // A received frame: filter row, trace row, monitor row, then the trigger matching.
  void DispatchReceivedMessage(const TCanMsgProg& msg);
  // The part of the dispatch that enters a frame into the lists, without answering it: for
  // frames that come from a log rather than from the bus.
  void EnterReceivedMessage(const TCanMsgProg& msg);
  // The predefined messages' answer to a received frame; set by their owner.
  std::function<void(const TCanMsgProg&)> MatchTriggerMessages;
  // A frame this program has just written to the adapter: filter row, monitor, trace.
  void EnterSentMessage(const TCanMsgProg& msg);

  // Around a drain: updates of trace, monitor and filter suspended, in this order, and
  // resumed in reverse; the end also refreshes the bit grid.
  void BeginDrain();
  void EndDrain();
  // One drain tick without the status text: suspend, dispatch all, resume, refresh.
  std::size_t DrainTick(ReceiveQueue& queue);

  // Observers see every entered frame after the lists, and the drains around them; an
  // observer is not owned and removes itself before it goes.
  void AddObserver(TTrafficObserver* observer) { FObservers.push_back(observer); }
  void RemoveObserver(TTrafficObserver* observer);

 private:
  TTrafficSeams FSeams;
  TIdFilterList FIdFilter;
  TTraceList FTrace;
  TMonitorList FMonitor;
  TCanIdDetails FDetails;
  std::vector<TTrafficObserver*> FObservers;
};
