#pragma once
// Where the simulated bus traffic comes from: one frame at a time, with the moment it is due.

#include <cstdint>
#include <optional>

#include "model/CanMsgProg.h"

struct TTimedFrame {
  std::int64_t DueUs = 0;  // on the bus clock, which runs only while the channel is open
  TCanMsgProg Msg;
};

class TTrafficSource {
 public:
  virtual ~TTrafficSource() = default;
  // The next frame, due no earlier than the one before; nullopt once the source has ended.
  // nowUs is the bus clock at the call: sources that go as fast as they are asked use it.
  [[nodiscard]] virtual std::optional<TTimedFrame> Next(std::int64_t nowUs) = 0;
};
