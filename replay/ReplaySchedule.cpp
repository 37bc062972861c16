#include "replay/ReplaySchedule.h"

#include <cmath>
#include <stdexcept>

#include "model/StampUnwrap.h"

namespace {

const TCanMsgProg& MessageOf(const TCandumpFrame& frame) { return frame.Msg; }
const TCanMsgProg& MessageOf(const TTraceFrame& row) { return row.Msg; }

// Offsets from a sequence of stamps; a step back, or an item without a stamp, counts as no time at all.
template <typename TStampOf, typename TSource>
std::vector<TReplayFrame> FramesWithOffsets(const std::vector<TSource>& source, const TReplayFilter& accept,
                                            TStampOf stampUsOf) {
  std::vector<TReplayFrame> frames;
  std::optional<std::int64_t> lastUs;
  std::int64_t offsetUs = 0;
  for (const TSource& item : source) {
    const std::optional<std::int64_t> stampUs = stampUsOf(item);
    const TCanMsgProg& msg = MessageOf(item);
    if (accept && !accept(msg)) continue;
    if (stampUs) {
      if (lastUs && *stampUs > *lastUs) offsetUs += *stampUs - *lastUs;
      lastUs = stampUs;
    }
    frames.push_back(TReplayFrame{msg, offsetUs});
  }
  return frames;
}

}  // namespace

std::vector<TReplayFrame> ReplayFramesOfLog(const std::vector<TCandumpFrame>& frames, const TReplayFilter& accept) {
  return FramesWithOffsets(frames, accept, [](const TCandumpFrame& frame) { return std::optional(frame.TimeUs); });
}

std::vector<TReplayFrame> ReplayFramesOfTrace(const std::vector<TTraceFrame>& rows, const TReplayFilter& accept) {
  // Unwrapped over every received row, filtered or not, so a turn of the counter is never missed.
  TStampUnwrap unwrap;
  return FramesWithOffsets(rows, accept, [&unwrap](const TTraceFrame& row) {
    return row.Received ? std::optional(unwrap.Unwrapped(row.Msg.Time) * 1000) : std::nullopt;
  });
}

TReplaySchedule::TReplaySchedule(std::vector<TReplayFrame> frames, TReplayPace pace)
    : FFrames(std::move(frames)), FPace(pace) {
  if (pace.Speed != 0 && !(pace.Speed >= TReplayPace::kMinSpeed && pace.Speed <= TReplayPace::kMaxSpeed))
    throw std::invalid_argument("the speed factor is 0.1 to 10");
  if (FFrames.size() > 1) {
    const std::int64_t spanUs = FFrames.back().OffsetUs;
    FLoopPeriodUs = spanUs + spanUs / static_cast<std::int64_t>(FFrames.size() - 1);
  }
}

std::optional<std::uint64_t> TReplaySchedule::Total() const {
  if (Endless()) return std::nullopt;
  return FFrames.size() * std::uint64_t{FPace.Loops};
}

bool TReplaySchedule::HasFrame(std::uint64_t index) const {
  if (FFrames.empty()) return false;
  return Endless() || index < *Total();
}

std::int64_t TReplaySchedule::DueNs(std::uint64_t index) const {
  if (AsFastAsPossible() || FFrames.empty()) return 0;
  const std::uint64_t loop = index / FFrames.size();
  const std::int64_t recordedUs =
      static_cast<std::int64_t>(loop) * FLoopPeriodUs + FFrames[index % FFrames.size()].OffsetUs;
  return std::llround(static_cast<double>(recordedUs) * 1000.0 / FPace.Speed);
}
