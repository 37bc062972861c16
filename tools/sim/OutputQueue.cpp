#include "tools/sim/OutputQueue.h"

#include <algorithm>

bool TOutputQueue::PushFrame(std::string_view line) {
  if (!HasRoomForFrame()) {
    ++FDropped;
    return false;
  }
  FFrames += line;
  return true;
}

std::string_view TOutputQueue::Next() {
  if (FOffset == FCurrent.size()) {
    FOffset = 0;
    if (!FReplies.empty()) {
      FCurrent.swap(FReplies);
      FReplies.clear();
    } else if (FFrames.size() <= kChunk) {
      FCurrent.swap(FFrames);
      FFrames.clear();
    } else {
      // Cut after the last complete line within the chunk; a line longer than a chunk is whole.
      std::size_t cut = FFrames.rfind('\r', kChunk - 1);
      cut = cut == std::string::npos ? FFrames.find('\r') : cut;
      cut = cut == std::string::npos ? FFrames.size() : cut + 1;
      FCurrent.assign(FFrames, 0, cut);
      FFrames.erase(0, cut);
    }
  }
  return std::string_view(FCurrent).substr(FOffset);
}

void TOutputQueue::Consume(std::size_t count) { FOffset = std::min(FOffset + count, FCurrent.size()); }
