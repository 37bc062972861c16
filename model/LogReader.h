#pragma once
// What every log format's reader and writer share: the frame record, the reader's steps and
// problems, the line handling of the text formats, and the writers' buffered device output.

#include <QIODevice>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "model/CanMsgProg.h"

struct TCandumpFrame {
  std::int64_t TimeUs = 0;  // time stamp of the frame in microseconds
  TCanMsgProg Msg;
};

// Where a reader stopped and why: "line 7" / "offset 4096" and a predicate that completes
// the sentence ("is not a CAN frame", "is not a CAN frame: data byte 'G1' is not hexadecimal").
struct TLogProblem {
  std::string Where;
  std::string What;
  [[nodiscard]] std::string Text() const { return Where + ' ' + What; }
};

class TLogReader {
 public:
  enum class TStep { Frame, End, Bad };

  virtual ~TLogReader() = default;
  // The next frame with its Time counted from the first frame. After Bad a text reader goes
  // on with the next line; the binary reader ends.
  [[nodiscard]] TStep Next(TCandumpFrame& frame);
  // The last Bad step's place and reason.
  [[nodiscard]] const TLogProblem& Problem() const { return FProblem; }
  // Lines or objects passed over that are not frames: comments, error frames, other events.
  [[nodiscard]] std::size_t Skipped() const { return FSkipped; }
  // Bytes of the input taken so far.
  [[nodiscard]] virtual std::uint64_t BytesRead() const = 0;

 protected:
  // One frame with its TimeUs, End, or Bad after Fail().
  virtual TStep ReadFrame(TCandumpFrame& frame) = 0;
  TStep Fail(std::string where, std::string what);
  void CountSkipped() { ++FSkipped; }

 private:
  TLogProblem FProblem;
  std::size_t FSkipped = 0;
  std::optional<std::int64_t> FOriginUs;
};

// The line-by-line part of the text formats: line number, bytes taken, CR ends removed.
class TLogLineReader : public TLogReader {
 public:
  explicit TLogLineReader(std::istream& in) : FIn(in) {}
  [[nodiscard]] std::uint64_t BytesRead() const override { return FBytesRead; }
  [[nodiscard]] std::size_t LineNumber() const { return FLineNumber; }

 protected:
  // The next line that is not blank, or nothing at the end.
  [[nodiscard]] std::optional<std::string_view> NextLine();
  TStep FailLine(std::string what);

 private:
  std::istream& FIn;
  std::string FLine;
  std::size_t FLineNumber = 0;
  std::uint64_t FBytesRead = 0;
};

class TLogWriter {
 public:
  explicit TLogWriter(QIODevice& out) : FOut(out) {}
  virtual ~TLogWriter() = default;
  TLogWriter(const TLogWriter&) = delete;
  TLogWriter& operator=(const TLogWriter&) = delete;

  virtual void Write(const TCandumpFrame& frame) = 0;
  // Writes what is still buffered and the format's closing part; false when the device
  // refused a write on the way.
  [[nodiscard]] virtual bool Finish() = 0;

 protected:
  // Hands bytes to the device; a refusal sticks, so later writes are dropped.
  bool Put(std::string_view bytes);
  void MarkFailed() { FFailed = true; }
  [[nodiscard]] bool Failed() const { return FFailed; }
  [[nodiscard]] QIODevice& Device() { return FOut; }

 private:
  QIODevice& FOut;
  bool FFailed = false;
};

// The text formats: lines gathered into large writes, a header before the first frame and a
// closing part. Formats with a start time in the header take the first frame's time rounded
// down to the millisecond and stamp frames from it.
class TLogTextWriter : public TLogWriter {
 public:
  using TLogWriter::TLogWriter;
  void Write(const TCandumpFrame& frame) final;
  [[nodiscard]] bool Finish() final;

 protected:
  virtual void AppendHeader(std::string& out, std::int64_t startMs) = 0;
  virtual void AppendFrame(std::string& out, const TCandumpFrame& frame) = 0;
  virtual void AppendTrailer(std::string&) {}
  // Microseconds from the start to the frame.
  [[nodiscard]] std::int64_t SinceStartUs(const TCandumpFrame& frame) const { return frame.TimeUs - FStartMs * 1000; }

 private:
  void Header(std::int64_t firstTimeUs);

  std::string FChunk;
  bool FHeaderWritten = false;
  std::int64_t FStartMs = 0;
};

// Whole milliseconds of a time in microseconds, rounded down also before 1970.
[[nodiscard]] constexpr std::int64_t FloorMilliseconds(std::int64_t us) { return us / 1000 - (us % 1000 < 0 ? 1 : 0); }

