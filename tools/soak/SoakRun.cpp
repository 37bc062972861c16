#include "tools/soak/SoakRun.h"

#include <malloc.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QThread>
#include <iomanip>

#include "app/CANUSBMain.h"
#include "bench/ArmedTriggers.h"
#include "platform/VirtualDevices.h"

namespace {
const QString kSerial = QStringLiteral("SOAK0001");
constexpr int kDrainIntervalMs = 200;  // the window's own drain interval
constexpr int kProgressIntervalMs = 60'000;
constexpr std::size_t kTraceRowBudget = 48;

std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

long ResidentKiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}
}  // namespace

TSoakRun::TSoakRun(TSoakOptions options, std::ostream& out) : FOptions(std::move(options)), FOut(out) {
  FDrainTimer.setInterval(kDrainIntervalMs);
  connect(&FDrainTimer, &QTimer::timeout, this, [this] { Tick(); });
  FProgressTimer.setInterval(kProgressIntervalMs);
  connect(&FProgressTimer, &QTimer::timeout, this, [this] { PrintProgress(); });
}

TSoakRun::~TSoakRun() {
  if (FSim.state() != QProcess::NotRunning) {
    FSim.kill();
    FSim.waitForFinished();
  }
}

bool TSoakRun::StartSimulator() {
  FSim.setProcessChannelMode(QProcess::SeparateChannels);
  FSim.start(FOptions.SimProgram, {QStringLiteral("--serial"), kSerial, QStringLiteral("--flood"), QStringLiteral("--rate"),
                                   QString::number(FOptions.Rate)});
  if (!FSim.waitForStarted()) return false;
  const QString announced = QString::fromStdString(VirtualDeviceDirectory()) + QLatin1Char('/') + kSerial + QStringLiteral(".dev");
  for (int i = 0; i < 500 && !QFile::exists(announced); ++i) QThread::msleep(20);
  return QFile::exists(announced);
}

// Through the connect menu, as a user connects.
bool TSoakRun::Connect() {
  FWindow->ConnectPopupMenuPopup();
  QAction* item = FWindow->ConnectPopupMenu->findChild<QAction*>(QStringLiteral("ItemUSBAC0"));
  if (!item) return false;
  // A failed open shows a message box; answer it so the run can report instead of hanging.
  QTimer::singleShot(10'000, this, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  FHeapAtConnect = HeapInUse();
  item->trigger();
  return FWindow->Adapter().Connected();
}

// 20 checked Message rows whose triggers no flood frame matches: every frame passes the
// matcher on its way through DispatchReceivedMessage, and no answer adds rows of its own.
void TSoakRun::ArmTriggers() { ArmNonMatchingTriggers(FWindow->PredefinedMessages(), 0x1FFFFF00); }

int TSoakRun::Exec() {
  if (!StartSimulator()) {
    FOut << "soak: the simulator " << FOptions.SimProgram.toStdString() << " did not start or announce itself" << std::endl;
    return 2;
  }
  FWindow = std::make_unique<TfCANUSBMain>();
  if (!Connect()) {
    FOut << "soak: the window could not connect to the simulator" << std::endl;
    return 2;
  }
  // The soak runs the window's drain tick on its own timer of the same interval, to time it.
  FWindow->Timer1->stop();
  ArmTriggers();
  FOut << "soak: " << FOptions.Minutes << " min at " << FOptions.Rate << " frames/s from " << FOptions.SimProgram.toStdString()
       << std::endl;
  FOut << "  min    frames   frames/s  queue  tick max ms (run / last min)  ticks>200ms  heap B/row  RSS MiB      lost  backw"
       << std::endl;
  FClock.start();
  FDrainTimer.start();
  FProgressTimer.start();
  QTimer::singleShot(static_cast<int>(FOptions.Minutes * 60'000), this, [] { QApplication::quit(); });
  QApplication::exec();
  return Finish();
}

void TSoakRun::Tick() {
  FLargestQueue = std::max(FLargestQueue, FWindow->Queue()->Count());
  QElapsedTimer tick;
  tick.start();
  FWindow->Timer1Timer();
  const std::int64_t us = tick.nsecsElapsed() / 1000;
  for (TDrainTiming* timing : {&FTotal, &FMinute}) {
    ++timing->Ticks;
    timing->TotalUs += us;
    timing->LongestUs = std::max(timing->LongestUs, us);
    if (us > kDrainIntervalMs * 1000) ++timing->OverIntervalTicks;
  }
  CheckNewTraceRows();
  if (FOptions.ReportRows) FOut << "rows " << FSequence.Seen() << std::endl;
}

void TSoakRun::CheckNewTraceRows() {
  const TTraceList& trace = FWindow->Traffic().Trace();
  for (; FCheckedRows < trace.RowCount(); ++FCheckedRows) FSequence.See(trace.Row(FCheckedRows).Msg);
}

double TSoakRun::HeapBytesPerTraceRow() const {
  const std::size_t rows = FWindow->Traffic().Trace().RowCount();
  const std::size_t heap = HeapInUse();
  return rows == 0 || heap < FHeapAtConnect ? 0.0 : static_cast<double>(heap - FHeapAtConnect) / static_cast<double>(rows);
}

void TSoakRun::PrintProgress() {
  const double seconds = static_cast<double>(FClock.elapsed()) / 1000.0;
  FOut << std::fixed << std::setprecision(1) << std::setw(5) << seconds / 60.0 << std::setw(10) << FSequence.Seen()
       << std::setw(11) << static_cast<double>(FSequence.Seen()) / seconds << std::setw(7) << FWindow->Queue()->Count()
       << std::setprecision(2) << std::setw(14) << FTotal.LongestUs / 1000.0 << " / " << std::setw(8) << FMinute.LongestUs / 1000.0
       << std::setw(15) << FTotal.OverIntervalTicks << std::setprecision(1) << std::setw(12) << HeapBytesPerTraceRow()
       << std::setw(9) << ResidentKiB() / 1024 << std::setw(10) << FSequence.Missing() << std::setw(7) << FSequence.Backwards()
       << std::endl;
  FMinute = TDrainTiming{};
}

int TSoakRun::Finish() {
  FDrainTimer.stop();
  FProgressTimer.stop();
  const double seconds = static_cast<double>(FClock.elapsed()) / 1000.0;
  const double perRow = HeapBytesPerTraceRow();
  // Closing runs the last drain, which shows whatever the reader still queued.
  FWindow->actionDisconnectExecute();
  CheckNewTraceRows();
  const bool closed = !FWindow->Adapter().Connected();
  FSim.terminate();
  FSim.waitForFinished(10'000);
  const QString simLog = QString::fromLocal8Bit(FSim.readAllStandardError()).trimmed();
  const bool simDropped = simLog.contains(QStringLiteral("dropped"));

  const TMonitorList& monitor = FWindow->Traffic().Monitor();
  std::int64_t monitorCount = 0;
  for (std::size_t row = 0; row < monitor.RowCount(); ++row) monitorCount += monitor.Row(row).Count;
  const std::uint64_t rows = FWindow->Traffic().Trace().RowCount();

  const bool intact = FSequence.Intact() && FSequence.Seen() == rows;
  const bool monitorAgrees = monitorCount == static_cast<std::int64_t>(rows);
  const bool withinBudget = perRow <= static_cast<double>(kTraceRowBudget);
  const bool keptPace = FTotal.OverIntervalTicks == 0;
  FOut << std::defaultfloat << std::setprecision(6) << "\nsoak: ran " << seconds / 60.0 << " min\n"
       << "  frames in the trace: " << rows << " (" << static_cast<double>(rows) / seconds << " frames/s), sequence "
       << FSequence.First() << ".." << (FSequence.Next() == 0 ? 0 : FSequence.Next() - 1) << "\n"
       << "  lost: " << FSequence.Missing() << " in " << FSequence.Gaps() << " gaps, repeated or reordered: "
       << FSequence.Backwards() << ", corrupted: " << FSequence.Corrupt() << (intact ? "  [ok]" : "  [FAILED]") << "\n"
       << "  monitor counts add up to " << monitorCount << " over " << monitor.RowCount() << " identifiers"
       << (monitorAgrees ? "  [ok]" : "  [FAILED]") << "\n"
       << "  trace heap per row: " << perRow << " bytes (budget " << kTraceRowBudget << ")"
       << (withinBudget ? "  [ok]" : "  [FAILED]") << "\n"
       << "  drain tick: " << FTotal.Ticks << " runs, longest " << FTotal.LongestUs / 1000.0 << " ms, mean "
       << (FTotal.Ticks ? static_cast<double>(FTotal.TotalUs) / static_cast<double>(FTotal.Ticks) / 1000.0 : 0.0)
       << " ms, longer than the 200 ms interval: " << FTotal.OverIntervalTicks << (keptPace ? "  [ok]" : "  [slow]") << "\n"
       << "  largest queue before a tick: " << FLargestQueue << ", queue capacity " << FWindow->Queue()->Capacity()
       << ", resident " << ResidentKiB() / 1024 << " MiB\n"
       << "  serial driver: " << FWindow->SerialDriver().LineOverflows() << " overlong lines cut\n"
       << "  closed: " << (closed ? "yes" : "NO") << "; simulator: " << simLog.toStdString() << "\n";
  const bool passed = intact && monitorAgrees && withinBudget && closed && !simDropped;
  FOut << (passed ? "soak: PASSED" : "soak: FAILED") << std::endl;
  return passed ? 0 : 1;
}
