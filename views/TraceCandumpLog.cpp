#include "views/TraceCandumpLog.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <string>

#include "views/TrafficViews.h"

namespace {
constexpr std::size_t kWriteChunk = 1 << 20;
}  // namespace

bool WriteTraceCandumpLog(const TTraceList& trace, QIODevice& out) {
  std::string chunk;
  chunk.reserve(kWriteChunk + 128);
  for (std::size_t row = 0; row < trace.RowCount(); ++row) {
    const TCanMsgProg& msg = trace.Row(row).Msg;
    chunk += FormatCandumpLine(msg, CandumpTimeUsOfTime(msg.Time));
    chunk += '\n';
    if (chunk.size() >= kWriteChunk) {
      if (out.write(chunk.data(), static_cast<qint64>(chunk.size())) != static_cast<qint64>(chunk.size())) return false;
      chunk.clear();
    }
  }
  return out.write(chunk.data(), static_cast<qint64>(chunk.size())) == static_cast<qint64>(chunk.size());
}

bool SaveTraceCandumpLog(const TTraceList& trace, const QString& path, QString& error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || !WriteTraceCandumpLog(trace, file) || !file.commit()) {
    error = file.errorString();
    file.cancelWriting();
    return false;
  }
  return true;
}

TCandumpImport::TCandumpImport(TTrafficViews& views, const QString& path)
    : FViews(views), FPath(path), FIn(QFile::encodeName(path).toStdString(), std::ios::binary) {
  if (!FIn.is_open() || !QFileInfo(path).isFile()) {
    FState = TState::CannotOpen;
    return;
  }
  FSize = static_cast<std::uint64_t>(QFileInfo(path).size());
  FReader = std::make_unique<TCandumpReader>(FIn);
}

TCandumpImport::TState TCandumpImport::Step(std::size_t maxFrames) {
  if (FState != TState::Reading) return FState;
  FViews.BeginDrain();
  try {
    TCandumpFrame frame;
    for (std::size_t i = 0; i < maxFrames; ++i) {
      const TCandumpReader::TStep step = FReader->Next(frame);
      if (step != TCandumpReader::TStep::Frame) {
        FState = step == TCandumpReader::TStep::End ? TState::Finished : TState::BadLine;
        break;
      }
      FViews.EnterReceivedMessage(frame.Msg);
      ++FFrames;
    }
  } catch (...) {
    FViews.EndDrain();
    throw;
  }
  FViews.EndDrain();
  return FState;
}

int TCandumpImport::Progress() const {
  if (!FReader || FSize == 0) return FState == TState::Reading ? 0 : 1000;
  return static_cast<int>(std::min<std::uint64_t>(1000, FReader->BytesRead() * 1000 / FSize));
}

QString TCandumpImport::ProblemText() const {
  switch (FState) {
    case TState::CannotOpen: return QStringLiteral("Cannot open the log file %1").arg(FPath);
    case TState::BadLine:
      return QStringLiteral("Line %1 of the log file is not a CAN frame; the %2 frames before it were imported.")
          .arg(BadLineNumber())
          .arg(FFrames);
    default: return QString();
  }
}
