#pragma once
// A consumer of the frame path beside the lists (signal decoding, plots, statistics): it sees
// every frame the drain or the sender enters, in order, and the end of each drain, where it
// publishes what the frames changed.

#include "model/CanMsgProg.h"

class TTrafficObserver {
 public:
  virtual ~TTrafficObserver() = default;
  virtual void FrameEntered(const TCanMsgProg& msg, bool received) = 0;
  virtual void DrainBegun() {}
  virtual void DrainEnded() {}
};
