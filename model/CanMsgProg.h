#pragma once
// One CAN frame as every list, file and driver of the program sees it. The byte layout is
// part of the list file formats, so it is pinned down by the asserts below.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

using TCanData = std::array<std::uint8_t, 8>;
using TKwpData = std::vector<std::uint8_t>;

struct TCanMsgProg {
  std::int64_t CanId = 0;
  bool Extended = false;
  bool RTR = false;
  std::uint8_t Pad1[2] = {};
  std::int32_t DLC = 0;
  TCanData Data = {};
  std::int32_t Time = 0;
  // Microseconds past Time's millisecond (0..999), from a driver whose stamps have them; not
  // part of any list file.
  std::uint16_t TimeUs = 0;
  std::uint8_t Pad2[2] = {};

  // Number of data bytes that carry meaning: a faulty adapter may report more than 8.
  [[nodiscard]] int UsedBytes() const { return DLC < 0 ? 0 : (DLC > 8 ? 8 : DLC); }
};

static_assert(sizeof(bool) == 1);
static_assert(sizeof(TCanMsgProg) == 32);
static_assert(alignof(TCanMsgProg) == 8);
static_assert(offsetof(TCanMsgProg, CanId) == 0);
static_assert(offsetof(TCanMsgProg, Extended) == 8);
static_assert(offsetof(TCanMsgProg, RTR) == 9);
static_assert(offsetof(TCanMsgProg, DLC) == 12);
static_assert(offsetof(TCanMsgProg, Data) == 16);
static_assert(offsetof(TCanMsgProg, Time) == 24);
static_assert(offsetof(TCanMsgProg, TimeUs) == 28);

using PCanMsgProg = std::unique_ptr<TCanMsgProg>;
// What a driver's read hands over: freshly allocated frames the caller now owns.
using PCanMsgProgs = std::vector<PCanMsgProg>;
