#include "transmit/FrameSender.h"

#include "model/CanText.h"

bool TFrameSender::Send(const TCanMsgProg& msg) {
  // A row from a file may hold what the editors refuse; it never reaches the bus or the views.
  if (!FrameRefusal(msg).isEmpty()) return false;
  const bool written = FSeams.Write && FSeams.Write(msg);
  if (FSeams.EnterSent) FSeams.EnterSent(msg);
  if (!written) {
    ++FFailed;
    if (OnFailuresChanged) OnFailuresChanged(FFailed);
  }
  return written;
}

void TFrameSender::ResetFailures() {
  FFailed = 0;
  if (OnFailuresChanged) OnFailuresChanged(0);
}

QString SendFailedText(int failed) {
  return failed > 0 ? QStringLiteral("Send failed: %1").arg(failed) : QString();
}
