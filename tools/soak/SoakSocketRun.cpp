#include "tools/soak/SoakSocketRun.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <algorithm>
#include <iomanip>

#include "CanPackage/source/ZelCanSocket.h"
#include "app/CANUSBMain.h"

namespace {
constexpr int kPollIntervalMs = 200;
constexpr std::int64_t kPeerId = 0x5A5;  // cangen -I 5A5 -L 8 -D i

// cangen's incrementing payload: a counter in the eight data bytes, least significant first.
std::uint64_t PayloadCounter(const TCanMsgProg& msg) {
  std::uint64_t counter = 0;
  for (int i = 7; i >= 0; --i) counter = counter << 8 | msg.Data[static_cast<std::size_t>(i)];
  return counter;
}
}  // namespace

TSoakSocketRun::TSoakSocketRun(TSocketSoakOptions options, std::ostream& out) : FOptions(std::move(options)), FOut(out) {
  FPollTimer.setInterval(kPollIntervalMs);
  connect(&FPollTimer, &QTimer::timeout, this, [this] { Poll(); });
}

TSoakSocketRun::~TSoakSocketRun() = default;

// Through the connect menu, as a user connects.
bool TSoakSocketRun::Connect() {
  FWindow->ConnectPopupMenuPopup();
  const QString caption = QStringLiteral("SocketCAN - ") + FOptions.Interface;
  for (QAction* item : FWindow->ConnectPopupMenu->actions()) {
    if (item->text() != caption) continue;
    // A failed open shows a message box; answer it so the run can report instead of hanging.
    QTimer::singleShot(10'000, this, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    item->trigger();
    return FWindow->Adapter().Connected();
  }
  return false;
}

int TSoakSocketRun::Exec() {
  FWindow = std::make_unique<TfCANUSBMain>();
  if (!Connect()) {
    FOut << "soak: the window could not connect to " << FOptions.Interface.toStdString() << std::endl;
    return 2;
  }
  FOut << "soak: connected to " << FOptions.Interface.toStdString() << std::endl;
  FClock.start();
  FPollTimer.start();
  QTimer::singleShot(static_cast<int>(FOptions.Minutes * 60'000), this, [] { QApplication::quit(); });
  QApplication::exec();
  return Finish();
}

void TSoakSocketRun::Poll() {
  const std::size_t before = FCheckedRows;
  CheckNewTraceRows();
  if (FCheckedRows != before) {
    if (FFirstRowMs < 0) FFirstRowMs = FClock.elapsed();
    FLastRowMs = FClock.elapsed();
    FSinceLastRow.start();
  } else if (FSinceLastRow.isValid() && FSinceLastRow.elapsed() >= static_cast<qint64>(FOptions.IdleSeconds * 1000)) {
    QApplication::quit();
  }
}

void TSoakSocketRun::CheckNewTraceRows() {
  const TTraceList& trace = FWindow->Traffic().Trace();
  for (; FCheckedRows < trace.RowCount(); ++FCheckedRows) {
    const TCanMsgProg& msg = trace.Row(FCheckedRows).Msg;
    if (msg.CanId != kPeerId || msg.DLC != 8 || msg.Extended || msg.RTR) ++FCorrupt;
    FSequence.SeeNumber(PayloadCounter(msg));
  }
}

int TSoakSocketRun::Finish() {
  FPollTimer.stop();
  // The reader asks the socket for its drops whenever a read finds nothing, as in the idle end.
  const std::uint64_t drops = FWindow->SocketDriver().KernelDrops();
  // Closing runs the last drain, which shows whatever the reader still queued.
  FWindow->actionDisconnectExecute();
  CheckNewTraceRows();
  const std::uint64_t rows = FWindow->Traffic().Trace().RowCount();
  const double spanS = FLastRowMs > FFirstRowMs ? static_cast<double>(FLastRowMs - FFirstRowMs) / 1000.0 : 0.0;
  // Frames lost before the first one received count too, when the peer's total is known.
  const std::uint64_t lost = FOptions.Frames > 0 ? static_cast<std::uint64_t>(FOptions.Frames) - std::min<std::uint64_t>(rows, static_cast<std::uint64_t>(FOptions.Frames))
                                                 : FSequence.Missing();
  const bool accounted = lost == drops && FSequence.Backwards() == 0 && FCorrupt == 0;
  FOut << std::defaultfloat << std::setprecision(6) << "soak: " << FOptions.Interface.toStdString() << ": " << rows
       << " frames in the trace (" << (spanS > 0 ? static_cast<double>(rows) / spanS : 0.0) << " frames/s while they came)\n"
       << "  missing in the sequence: " << FSequence.Missing() << " in " << FSequence.Gaps() << " gaps, repeated or reordered: "
       << FSequence.Backwards() << ", not the peer's: " << FCorrupt << "\n"
       << "  lost: " << lost << ", dropped by the kernel (counted): " << drops << (accounted ? "  [ok]" : "  [FAILED]") << "\n";
  FOut << (accounted ? "soak: PASSED" : "soak: FAILED") << std::endl;
  return accounted ? 0 : 1;
}
