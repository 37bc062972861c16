#pragma once
// The capture files engineers exchange, each read and written on the candump frame record
// (TCandumpFrame: the frame and its time stamp in microseconds):
//
//   candump log  .log  can-utils text, one frame a line                       read, write
//   ASC          .asc  Vector's text log                                      read, write
//   BLF          .blf  Vector's binary log, zlib-compressed containers        read, write
//   TRC          .trc  PEAK's text trace, versions 1.1, 2.0, 2.1 (writes 2.1) read, write
//   CSV          .csv  the comma-separated log SavvyCAN writes                read
//
// Every reader numbers the frames' Time in milliseconds from the first frame, as the candump
// reader does, and stops or goes on after a bad line or object with its line number or file
// offset. Every writer writes through a QIODevice and reports a refused write.

#include <QIODevice>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/CandumpLog.h"
#include "model/LogReader.h"

enum class TLogFormat { Candump, Asc, Blf, Trc, SavvyCsv };

struct TLogFormatInfo {
  TLogFormat Format;
  const char* Name;       // as file dialogs and messages show it
  const char* Extension;  // without the dot
  bool Writable;
};

// Every format, candump log first, in the order the dialogs offer them.
[[nodiscard]] std::span<const TLogFormatInfo> LogFormats();
[[nodiscard]] const TLogFormatInfo& LogFormatInfo(TLogFormat format);
// By a file name's extension, in any case ("ASC", "blf").
[[nodiscard]] std::optional<TLogFormat> LogFormatOfExtension(std::string_view extension);
// By the first bytes of a file, for names whose extension says nothing.
[[nodiscard]] std::optional<TLogFormat> SniffLogFormat(std::string_view head);
// A file's format by its extension; when the extension names none, by its first bytes.
[[nodiscard]] std::optional<TLogFormat> LogFormatOfFile(const QString& path);

// A reader for the format; a writer, or nothing for a format that is only read.
[[nodiscard]] std::unique_ptr<TLogReader> MakeLogReader(TLogFormat format, std::istream& in);
[[nodiscard]] std::unique_ptr<TLogWriter> MakeLogWriter(TLogFormat format, QIODevice& out);

struct TLogFile {
  std::vector<TCandumpFrame> Frames;
  std::size_t Skipped = 0;               // passed-over lines and objects, bad lines included
  std::optional<TLogProblem> FirstProblem;
};
// Reads every frame; a bad line is counted and passed over, a bad object ends the reading.
[[nodiscard]] TLogFile ReadLogFile(TLogReader& reader);
// The same for a file in any format that is read, by LogFormatOfFile. Throws std::runtime_error
// "cannot read PATH" or "PATH is not a log in a format that is read".
[[nodiscard]] TLogFile ReadLogFileAt(const QString& path);
