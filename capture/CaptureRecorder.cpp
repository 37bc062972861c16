#include "capture/CaptureRecorder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "capture/CaptureFile.h"

namespace {
const QString kLockName = QStringLiteral("/capture.lock");
}  // namespace

TCaptureRecorder::TCaptureRecorder(QString folder) : FFolder(std::move(folder)) { FBlock.reserve(kBlockRows); }

TCaptureRecorder::~TCaptureRecorder() { EndFile(); }

QStringList TCaptureRecorder::Open() {
  if (!QDir().mkpath(FFolder)) {
    FStatusText = QStringLiteral("Capture in memory only: cannot make the folder %1").arg(FFolder);
    return {};
  }
  FLock = std::make_unique<QLockFile>(FFolder + kLockName);
  FLock->setStaleLockTime(0);  // a lock is stale only when its program is gone
  if (!FLock->tryLock(0)) {
    FStatusText = FLock->error() == QLockFile::LockFailedError
                      ? QStringLiteral("Capture in memory only: another Ferrolux captures into %1").arg(FFolder)
                      : QStringLiteral("Capture in memory only: cannot write to %1").arg(FFolder);
    FLock.reset();
    return {};
  }
  FFolderTaken = true;
  FState = TState::Idle;
  QStringList left;
  const QStringList names = QDir(FFolder).entryList({QLatin1Char('*') + CaptureFormat::kExtension}, QDir::Files, QDir::Name);
  for (const QString& name : names) left << FFolder + QLatin1Char('/') + name;
  return left;
}

void TCaptureRecorder::StartFile() {
  const QDateTime now = QDateTime::currentDateTimeUtc();
  QString path = FFolder + QStringLiteral("/capture-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + CaptureFormat::kExtension;
  std::string error;
  if (!FWriter.Start(QFile::encodeName(path).toStdString(), EncodeCaptureHeader(now.toMSecsSinceEpoch()), error)) {
    FState = TState::MemoryOnly;
    FStatusText = QStringLiteral("Capture in memory only: %1: %2").arg(path, QString::fromLocal8Bit(error.c_str()));
    if (OnWriteFailed) OnWriteFailed(FStatusText);
    return;
  }
  FPath = path;
  FState = TState::Writing;
  if (!FReadBack.Follow(path)) FReadBack.Close();
  FRowsHanded = 0;
  FLastHandOver = std::chrono::steady_clock::now();
}

void TCaptureRecorder::EndFile() {
  FWriter.Stop();
  FReadBack.Close();
  FBlock.clear();
  if (!FPath.isEmpty()) QFile::remove(FPath);
  FPath.clear();
}

void TCaptureRecorder::RowAppended(const TTraceData& row) {
  if (FState == TState::Idle) StartFile();
  if (FState != TState::Writing) return;
  FBlock.push_back(row);
  if (FBlock.size() == kBlockRows) HandOver();
}

void TCaptureRecorder::BatchEnded() {
  if (FState != TState::Writing) return;
  if (!FBlock.empty() && std::chrono::steady_clock::now() - FLastHandOver >= kHandOverInterval) HandOver();
  CheckWriter();
}

void TCaptureRecorder::HandOver() {
  FLastHandOver = std::chrono::steady_clock::now();
  if (FState != TState::Writing || FBlock.empty()) return;
  std::vector<std::uint8_t> bytes;
  EncodeCaptureBlock(FRowsHanded, FBlock, bytes);
  FWriter.Submit(std::move(bytes), static_cast<std::uint32_t>(FBlock.size()));
  FReadBack.NoteBlock(static_cast<std::uint32_t>(FBlock.size()));
  FRowsHanded += FBlock.size();
  FBlock.clear();
}

void TCaptureRecorder::Sync() {
  HandOver();
  FWriter.WaitWritten();
  CheckWriter();
}

void TCaptureRecorder::CheckWriter() {
  const TCaptureWriter::TReport report = FWriter.Report();
  if (!report.Failed || FState != TState::Writing) return;
  FState = TState::MemoryOnly;
  FBlock.clear();
  FStatusText = QStringLiteral("Capture in memory only: writing %1 failed").arg(FPath);
  if (OnWriteFailed)
    OnWriteFailed(QStringLiteral("Writing the capture file %1 failed: %2. The first %3 frames are kept there; the capture goes on in memory only.")
                      .arg(FPath, QString::fromLocal8Bit(report.Error.c_str()))
                      .arg(report.RowsWritten));
}

void TCaptureRecorder::RowsReplaced(const TTraceList& trace) {
  EndFile();
  if (!FFolderTaken) return;
  // A clear or a new project is a fresh start, also after a failed write.
  FState = TState::Idle;
  FStatusText.clear();
  for (std::size_t row = 0; row < trace.RowCount(); ++row) RowAppended(trace.Row(row));
  HandOver();
}

bool TCaptureRecorder::HoldsRows(std::uint64_t rows) {
  if (FState != TState::Writing) return false;
  Sync();
  return FState == TState::Writing && FRowsHanded == rows && FWriter.Report().RowsWritten == rows;
}

bool TCaptureRecorder::ReadRows(std::uint64_t first, std::size_t count, std::vector<TTraceData>& out) {
  return FReadBack.Read(first, count, out);
}
