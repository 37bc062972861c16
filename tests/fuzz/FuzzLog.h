#pragma once
// What every log reader must keep, whatever it is given: frames a CAN bus can carry, a
// reading that ends, and no more frames and passed-over lines than the text has lines.

#include <sstream>
#include <string>

#include "model/LogFormat.h"
#include "tests/fuzz/FuzzCheck.h"

inline void FuzzCheckFrame(const TCandumpFrame& frame) {
  const TCanMsgProg& msg = frame.Msg;
  FuzzCheck(msg.DLC >= 0 && msg.DLC <= 8, "length outside 0..8");
  FuzzCheck(msg.CanId >= 0 && msg.CanId <= (msg.Extended ? 0x1FFFFFFF : 0x7FF), "identifier out of range");
  for (int i = msg.RTR ? 0 : msg.DLC; i < 8; ++i) FuzzCheck(msg.Data[static_cast<std::size_t>(i)] == 0, "data past the length");
}

// Reads the input to its end in `format`; a text format's count of lines bounds what it gives.
inline TLogFile FuzzReadLog(TLogFormat format, const unsigned char* data, std::size_t size, bool text) {
  std::istringstream in{std::string(FuzzText(data, size))};
  const std::unique_ptr<TLogReader> reader = MakeLogReader(format, in);
  const TLogFile log = ReadLogFile(*reader);
  for (const TCandumpFrame& frame : log.Frames) FuzzCheckFrame(frame);
  FuzzCheck(reader->BytesRead() <= size, "more bytes read than given");
  if (text) {
    std::size_t lines = 0;
    for (std::size_t i = 0; i < size; ++i) lines += data[i] == '\n';
    FuzzCheck(log.Frames.size() + log.Skipped <= lines + 1, "more frames and skipped lines than lines");
  }
  return log;
}
