#include "model/LogReader.h"

#include "model/CandumpLog.h"

namespace {
constexpr std::size_t kWriteChunk = 1 << 20;
}  // namespace

TLogReader::TStep TLogReader::Next(TCandumpFrame& frame) {
  const TStep step = ReadFrame(frame);
  if (step != TStep::Frame) return step;
  if (!FOriginUs) FOriginUs = frame.TimeUs;
  frame.Msg.Time = CandumpMillisecondsSince(frame.TimeUs, *FOriginUs);
  return step;
}

TLogReader::TStep TLogReader::Fail(std::string where, std::string what) {
  FProblem = TLogProblem{std::move(where), std::move(what)};
  return TStep::Bad;
}

std::optional<std::string_view> TLogLineReader::NextLine() {
  while (std::getline(FIn, FLine)) {
    ++FLineNumber;
    FBytesRead += FLine.size() + (FIn.eof() ? 0 : 1);
    if (!FLine.empty() && FLine.back() == '\r') FLine.pop_back();
    if (FLine.find_first_not_of(" \t") != std::string::npos) return std::string_view(FLine);
  }
  return std::nullopt;
}

TLogReader::TStep TLogLineReader::FailLine(std::string what) {
  return Fail("line " + std::to_string(FLineNumber), std::move(what));
}

bool TLogWriter::Put(std::string_view bytes) {
  if (FFailed) return false;
  FFailed = FOut.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size());
  return !FFailed;
}

void TLogTextWriter::Header(std::int64_t firstTimeUs) {
  FStartMs = FloorMilliseconds(firstTimeUs);
  AppendHeader(FChunk, FStartMs);
  FHeaderWritten = true;
}

void TLogTextWriter::Write(const TCandumpFrame& frame) {
  if (!FHeaderWritten) Header(frame.TimeUs);
  AppendFrame(FChunk, frame);
  if (FChunk.size() >= kWriteChunk) {
    Put(FChunk);
    FChunk.clear();
  }
}

bool TLogTextWriter::Finish() {
  if (!FHeaderWritten) Header(0);
  AppendTrailer(FChunk);
  Put(FChunk);
  FChunk.clear();
  return !Failed();
}
