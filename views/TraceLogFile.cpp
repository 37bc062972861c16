#include "views/TraceLogFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <string>

#include "views/TrafficViews.h"

QString LogFileFilters() {
  QStringList patterns, filters;
  for (const TLogFormatInfo& info : LogFormats()) {
    const QString pattern = QStringLiteral("*.") + QString::fromLatin1(info.Extension);
    patterns << pattern;
    filters << QStringLiteral("%1 (%2)").arg(QString::fromLatin1(info.Name), pattern);
  }
  return QStringLiteral("Log files (%1);;%2;;All files (*)").arg(patterns.join(QLatin1Char(' ')), filters.join(QStringLiteral(";;")));
}

bool WriteTraceLog(const TTraceList& trace, TLogFormat format, QIODevice& out) {
  const std::unique_ptr<TLogWriter> writer = MakeLogWriter(format, out);
  if (!writer) return false;
  for (std::size_t row = 0; row < trace.RowCount(); ++row) {
    const TCanMsgProg& msg = trace.Row(row).Msg;
    writer->Write(TCandumpFrame{CandumpTimeUsOfTime(msg.Time), msg});
  }
  return writer->Finish();
}

bool SaveTraceLog(const TTraceList& trace, TLogFormat format, const QString& path, QString& error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || !WriteTraceLog(trace, format, file) || !file.commit()) {
    error = file.errorString();
    file.cancelWriting();
    return false;
  }
  return true;
}

TLogImport::TLogImport(TTrafficViews& views, const QString& path)
    : FViews(views), FPath(path), FIn(QFile::encodeName(path).toStdString(), std::ios::binary) {
  if (!FIn.is_open() || !QFileInfo(path).isFile()) {
    FState = TState::CannotOpen;
    return;
  }
  const std::optional<TLogFormat> format = LogFormatOfFile(path);
  if (!format) {
    FState = TState::UnknownFormat;
    return;
  }
  FSize = static_cast<std::uint64_t>(QFileInfo(path).size());
  FReader = MakeLogReader(*format, FIn);
}

TLogImport::TState TLogImport::Step(std::size_t maxFrames) {
  if (FState != TState::Reading) return FState;
  FViews.BeginDrain();
  try {
    TCandumpFrame frame;
    for (std::size_t i = 0; i < maxFrames; ++i) {
      const TLogReader::TStep step = FReader->Next(frame);
      if (step != TLogReader::TStep::Frame) {
        FState = step == TLogReader::TStep::End ? TState::Finished : TState::Bad;
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

int TLogImport::Progress() const {
  if (!FReader || FSize == 0) return FState == TState::Reading ? 0 : 1000;
  return static_cast<int>(std::min<std::uint64_t>(1000, FReader->BytesRead() * 1000 / FSize));
}

QString TLogImport::ProblemText() const {
  switch (FState) {
    case TState::CannotOpen: return QStringLiteral("Cannot open the log file %1").arg(FPath);
    case TState::UnknownFormat:
      return QStringLiteral("%1 is not a log file the program reads: candump log, ASC, BLF, TRC or SavvyCAN CSV.").arg(FPath);
    case TState::Bad: {
      QString where = QString::fromStdString(Problem().Where);
      if (!where.isEmpty()) where[0] = where[0].toUpper();
      return QStringLiteral("%1 of the log file %2; the %3 frames before it were imported.")
          .arg(where, QString::fromStdString(Problem().What))
          .arg(FFrames);
    }
    default: return QString();
  }
}
