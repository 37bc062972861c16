#pragma once
// The one way a frame this program makes gets onto the bus: written through the adapter,
// then entered into the filter list, the monitor and the trace as a sent frame. Every send
// path (the send panel, timer rows, trigger answers, hot keys) goes through Send.
//
// A frame that did not reach the bus is entered all the same, so the views show what the
// user asked for, but it is counted: the count of failed sends since connecting is what the
// status bar shows.

#include <QString>
#include <functional>

#include "model/CanMsgProg.h"

struct TFrameSenderSeams {
  // Writes the frame; true when the adapter took it (a device is open and accepted it).
  std::function<bool(const TCanMsgProg&)> Write;
  // The after-send sequence: filter row, monitor row and trace row of a sent frame.
  std::function<void(const TCanMsgProg&)> EnterSent;
};

class TFrameSender {
 public:
  explicit TFrameSender(TFrameSenderSeams seams) : FSeams(std::move(seams)) {}

  // Returns whether the frame reached the adapter.
  bool Send(const TCanMsgProg& msg);

  [[nodiscard]] int FailedSends() const { return FFailed; }
  // A new connection starts a new count.
  void ResetFailures();

  // After every failed send, with the new count; and with 0 when the count is reset.
  std::function<void(int failed)> OnFailuresChanged;

 private:
  TFrameSenderSeams FSeams;
  int FFailed = 0;
};

// The status bar text for `failed` failed sends; empty for none.
[[nodiscard]] QString SendFailedText(int failed);
