#include "app/DeviceReturnWatch.h"

TDeviceReturnWatch::TDeviceReturnWatch(QObject* parent) : QObject(parent) {
  FTimer.setInterval(kLookIntervalMs);
  connect(&FTimer, &QTimer::timeout, this, [this] { Look(); });
}

void TDeviceReturnWatch::Await(const QString& kind, const QString& serialNr) {
  FKind = kind;
  FSerialNr = serialNr;
  FAwaiting = true;
  FTimer.start();
}

void TDeviceReturnWatch::Cancel() {
  FAwaiting = false;
  FTimer.stop();
}

bool TDeviceReturnWatch::Look() {
  // An open that shows a message runs a nested event loop, in which the timer fires again.
  if (!FAwaiting || FLooking) return false;
  if (!IsListed || !IsListed(FKind, FSerialNr)) return false;
  bool reopened = false;
  {
    // Cleared however the open ends: a failure that throws must not stop every later look.
    struct TLooking {
      bool& Flag;
      explicit TLooking(bool& flag) : Flag(flag) { Flag = true; }
      ~TLooking() { Flag = false; }
    } looking(FLooking);
    reopened = Reopen && Reopen();
  }
  if (reopened) Cancel();
  return reopened;
}
