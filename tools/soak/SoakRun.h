#pragma once
// One soak run: a private runtime and settings folder, the simulator flooding at a fixed rate
// with numbered frames, the real main window connected to it through its connect menu, and
// the window's drain tick timed on every run. Every frame the trace gains is checked as it
// comes; a line of figures is printed once a minute and a verdict at the end.

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <memory>
#include <ostream>

#include "tools/soak/SequenceCheck.h"

class TfCANUSBMain;

struct TSoakOptions {
  double Minutes = 60;
  std::int64_t Rate = 20'000;
  QString SimProgram;
  bool ReportRows = false;  // "rows N" after every drain tick, for a watching parent
};

struct TDrainTiming {
  std::int64_t Ticks = 0;
  std::int64_t LongestUs = 0;
  std::int64_t OverIntervalTicks = 0;  // took longer than the timer's interval
  std::int64_t TotalUs = 0;
};

class TSoakRun : public QObject {
 public:
  TSoakRun(TSoakOptions options, std::ostream& out);
  ~TSoakRun() override;

  // Runs the event loop until the time is up; the process exit code (0: every check held).
  int Exec();

 private:
  bool StartSimulator();
  bool Connect();
  void ArmTriggers();
  void Tick();
  void CheckNewTraceRows();
  void PrintProgress();
  int Finish();
  [[nodiscard]] double HeapBytesPerTraceRow() const;

  TSoakOptions FOptions;
  std::ostream& FOut;
  QProcess FSim;
  std::unique_ptr<TfCANUSBMain> FWindow;
  QTimer FDrainTimer;
  QTimer FProgressTimer;
  QElapsedTimer FClock;
  TSequenceCheck FSequence;
  TDrainTiming FTotal;
  TDrainTiming FMinute;
  std::size_t FCheckedRows = 0;
  std::size_t FHeapAtConnect = 0;
  std::size_t FLargestQueue = 0;
};
