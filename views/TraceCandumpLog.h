#pragma once
// Moving captures in and out of the trace as candump logs, the format can-utils, python-can,
// cantools and Wireshark read.

#include <QIODevice>
#include <QString>
#include <cstdint>
#include <fstream>
#include <memory>

#include "model/CandumpLog.h"
#include "views/TraceList.h"

class TTrafficViews;

// Every trace row, those a search hides included, in row order, stamped Time/1000 s.
[[nodiscard]] bool WriteTraceCandumpLog(const TTraceList& trace, QIODevice& out);
// Through QSaveFile, so a failed write leaves an existing file as it was.
[[nodiscard]] bool SaveTraceCandumpLog(const TTraceList& trace, const QString& path, QString& error);

// Enters the frames of a log as received frames, a batch at a time, through the dispatch of
// live traffic (filter rows, trace, monitor; no trigger answers). Time is milliseconds since
// the log's first frame. The reading stops at the first line that is not a frame; what came
// before it stays entered.
class TCandumpImport {
 public:
  enum class TState { Reading, Finished, BadLine, CannotOpen };

  TCandumpImport(TTrafficViews& views, const QString& path);

  // Reads and enters up to maxFrames frames as one drain of the lists.
  TState Step(std::size_t maxFrames);
  [[nodiscard]] TState State() const { return FState; }
  [[nodiscard]] std::size_t Frames() const { return FFrames; }
  [[nodiscard]] std::size_t BadLineNumber() const { return FState == TState::BadLine ? FReader->LineNumber() : 0; }
  // 0..1000 by the bytes read.
  [[nodiscard]] int Progress() const;
  // What the user is told when the import did not read the whole file.
  [[nodiscard]] QString ProblemText() const;

 private:
  TTrafficViews& FViews;
  QString FPath;
  std::ifstream FIn;
  std::unique_ptr<TCandumpReader> FReader;
  std::uint64_t FSize = 0;
  std::size_t FFrames = 0;
  TState FState = TState::Reading;
};
