#include "tools/soak/SoakKill.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <utility>
#include <vector>

#include "capture/CaptureImport.h"
#include "capture/CaptureRecorder.h"
#include "storage/DataFolder.h"
#include "tools/soak/SequenceCheck.h"
#include "views/TrafficViews.h"

namespace {
constexpr std::int64_t kPromiseMs = 1000;  // a crash loses at most the last second
constexpr std::size_t kOpenBatch = 100'000;

// The trace rows the child reported at or before `ms` after its start.
std::uint64_t RowsAt(const std::vector<std::pair<std::int64_t, std::uint64_t>>& reports, std::int64_t ms) {
  std::uint64_t rows = 0;
  for (const auto& report : reports)
    if (report.first <= ms) rows = report.second;
  return rows;
}
}  // namespace

TSoakKill::TSoakKill(TSoakOptions options, double killAfterSeconds, QString folders, std::ostream& out)
    : FOptions(std::move(options)), FKillAfter(killAfterSeconds), FFolders(std::move(folders)), FOut(out) {}

int TSoakKill::Exec() {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("FERROLUX_SOAK_FOLDERS"), FFolders);
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  // Its own process group, so that one kill takes the window and its simulator together.
  child.setChildProcessModifier([] { ::setpgid(0, 0); });
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--minutes"), QStringLiteral("30000"), QStringLiteral("--rate"), QString::number(FOptions.Rate),
               QStringLiteral("--sim"), FOptions.SimProgram, QStringLiteral("--report-rows")});
  if (!child.waitForStarted()) {
    FOut << "soak: cannot start the window's process" << std::endl;
    return 2;
  }
  FOut << "soak: the window captures at " << FOptions.Rate << " frames/s and is killed after " << FKillAfter << " s" << std::endl;

  // "rows N" once a drain tick, from the first tick on.
  std::vector<std::pair<std::int64_t, std::uint64_t>> reports;
  QElapsedTimer clock;
  const auto killAfterMs = static_cast<std::int64_t>(FKillAfter * 1000);
  while (reports.empty() || clock.elapsed() < killAfterMs) {
    if (!child.waitForReadyRead(30'000) && child.state() != QProcess::Running) break;
    while (child.canReadLine()) {
      const QByteArray line = child.readLine().trimmed();
      if (!line.startsWith("rows ")) continue;
      if (reports.empty()) clock.start();
      reports.emplace_back(clock.elapsed(), line.mid(5).toULongLong());
    }
  }
  if (child.state() != QProcess::Running || reports.empty()) {
    FOut << "soak: the window's process ended or never captured before the kill" << std::endl;
    return 2;
  }
  const std::int64_t killedAt = clock.elapsed();
  ::kill(-static_cast<pid_t>(child.processId()), SIGKILL);
  child.waitForFinished(10'000);
  const std::uint64_t promised = RowsAt(reports, killedAt - kPromiseMs);
  const std::uint64_t lastReported = reports.back().second;

  // The next start, as the window does it: take the folder, open what was left behind.
  TCaptureRecorder next(DataFolderPath(DataFolder::Capture));
  const QStringList left = next.Open();
  if (left.size() != 1) {
    FOut << "soak: FAILED: " << left.size() << " captures left behind, one expected" << std::endl;
    return 1;
  }
  TTrafficViews views(TTrafficSeams{[] { return false; }, [] { return false; }, [] {}});
  TCaptureImport import(views, left.front());
  FOut << "  offered: " << import.OfferText().toStdString() << std::endl;
  while (import.Step(kOpenBatch)) {
  }
  TSequenceCheck sequence;
  const TTraceList& trace = views.Trace();
  for (std::size_t row = 0; row < trace.RowCount(); ++row) sequence.See(trace.Row(row).Msg);

  const bool complete = import.Usable() && !import.Failed() && import.Entered() == import.Rows();
  const bool intact = sequence.Intact() && sequence.Seen() == trace.RowCount();
  const bool kept = trace.RowCount() >= promised;
  FOut << "  trace rows reported: " << promised << " a second before the kill, " << lastReported << " last\n"
       << "  capture opened: " << trace.RowCount() << " frames" << (complete ? "" : " (the file could not be read whole)")
       << ", lost " << sequence.Missing() << " in " << sequence.Gaps() << " gaps, repeated or reordered " << sequence.Backwards()
       << ", corrupted " << sequence.Corrupt() << (intact && complete ? "  [ok]" : "  [FAILED]") << "\n"
       << "  frames of the last second before the kill not in the file: "
       << (lastReported > trace.RowCount() ? lastReported - trace.RowCount() : 0) << (kept ? "  [ok]" : "  [FAILED]") << "\n";
  const bool passed = complete && intact && kept;
  FOut << (passed ? "soak: PASSED" : "soak: FAILED") << std::endl;
  return passed ? 0 : 1;
}
