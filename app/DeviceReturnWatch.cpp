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
  FLooking = true;
  const bool reopened = Reopen && Reopen();
  FLooking = false;
  if (reopened) Cancel();
  return reopened;
}
