#pragma once
// The window's receive path from a kernel CAN interface: the real main window connected to it
// through its connect menu while a peer (cangen with an incrementing payload) floods it. The
// run ends once frames stopped coming, and checks that every frame that did not reach the
// trace was counted as dropped by the kernel.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <ostream>

#include "tools/soak/SequenceCheck.h"

class TfCANUSBMain;

struct TSocketSoakOptions {
  QString Interface;
  std::int64_t Frames = 0;  // what the peer sends; 0: not known
  double IdleSeconds = 3;   // the run ends after this long without a new frame
  double Minutes = 60;      // and at the latest after this
};

class TSoakSocketRun : public QObject {
 public:
  TSoakSocketRun(TSocketSoakOptions options, std::ostream& out);
  ~TSoakSocketRun() override;

  // The process exit code: 0 when every frame was received or counted as dropped, 2 when the
  // window could not connect.
  int Exec();

 private:
  bool Connect();
  void Poll();
  void CheckNewTraceRows();
  int Finish();

  TSocketSoakOptions FOptions;
  std::ostream& FOut;
  std::unique_ptr<TfCANUSBMain> FWindow;
  QTimer FPollTimer;
  QElapsedTimer FClock;
  QElapsedTimer FSinceLastRow;
  TSequenceCheck FSequence;
  std::size_t FCheckedRows = 0;
  std::uint64_t FCorrupt = 0;
  std::int64_t FFirstRowMs = -1;
  std::int64_t FLastRowMs = -1;
};
