#pragma once
// Moving captures in and out of the trace as log files: candump logs (can-utils, python-can,
// cantools, Wireshark), ASC and BLF (Vector), TRC (PEAK), and SavvyCAN's CSV coming in.

#include <QIODevice>
#include <QString>
#include <cstdint>
#include <fstream>
#include <memory>

#include "model/LogFormat.h"
#include "views/TraceList.h"

class TTrafficViews;

// The file dialog's filters for every log format that is read: all of them together first,
// then each on its own, then all files (a log is also told by its content).
[[nodiscard]] QString LogFileFilters();

// Every trace row, those a search hides included, in row order, stamped Time/1000 s.
[[nodiscard]] bool WriteTraceLog(const TTraceList& trace, TLogFormat format, QIODevice& out);
// Through QSaveFile, so a failed write leaves an existing file as it was.
[[nodiscard]] bool SaveTraceLog(const TTraceList& trace, TLogFormat format, const QString& path, QString& error);

// Enters the frames of a log as received frames, a batch at a time, through the dispatch of
// live traffic (filter rows, trace, monitor; no trigger answers). Time is milliseconds since
// the log's first frame. The reading stops at the first line or object that is not a frame;
// what came before it stays entered.
class TLogImport {
 public:
  enum class TState { Reading, Finished, Bad, CannotOpen, UnknownFormat };

  TLogImport(TTrafficViews& views, const QString& path);

  // Reads and enters up to maxFrames frames as one drain of the lists.
  TState Step(std::size_t maxFrames);
  [[nodiscard]] TState State() const { return FState; }
  [[nodiscard]] std::size_t Frames() const { return FFrames; }
  // Where and why the reading stopped, in State Bad.
  [[nodiscard]] const TLogProblem& Problem() const { return FReader->Problem(); }
  // Lines and objects passed over that are not frames (comments, error frames, other events).
  [[nodiscard]] std::size_t Skipped() const { return FReader ? FReader->Skipped() : 0; }
  // 0..1000 by the bytes read.
  [[nodiscard]] int Progress() const;
  // What the user is told when the import did not read the whole file.
  [[nodiscard]] QString ProblemText() const;

 private:
  TTrafficViews& FViews;
  QString FPath;
  std::ifstream FIn;
  std::unique_ptr<TLogReader> FReader;
  std::uint64_t FSize = 0;
  std::size_t FFrames = 0;
  TState FState = TState::Reading;
};
