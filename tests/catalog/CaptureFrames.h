#pragma once
// A real capture as trace frames.

#include <fstream>
#include <vector>

#include "model/CandumpLog.h"

// The frames of a candump log with millisecond time stamps.
inline std::vector<TCanMsgProg> CaptureFrames(const char* path) {
  std::ifstream in(path);
  std::vector<TCanMsgProg> frames;
  for (TCandumpFrame& frame : ReadCandumpLog(in).Frames) {
    frame.Msg.Time = static_cast<std::int32_t>(frame.TimeUs / 1000);
    frames.push_back(frame.Msg);
  }
  return frames;
}
