#pragma once
// Records and result codes shared by every adapter driver.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/CanMsgProg.h"

class TZelCanCustomAdapter;

// Results of the driver operations.
namespace CanResult {
inline constexpr std::int32_t Ok = 0;             // open/close succeeded; no-driver read/write
inline constexpr std::int32_t Failed = 1;         // open/close failed; write without reply
inline constexpr std::int32_t FramesRead = 1;     // ReadData delivered frames
inline constexpr std::int32_t NotImplemented = -1;  // base-class WriteData
inline constexpr std::int32_t NoMessage = -7;     // ReadData: nothing available
}  // namespace CanResult

struct TCanFilter {
  std::uint32_t Filter = 0;  // acceptance code
  std::uint32_t Mask = 0;    // acceptance mask
};
static_assert(sizeof(TCanFilter) == 8);
using TCanFilters = std::vector<TCanFilter>;

// Driver-boundary frame; also the vendor library's layout.
struct TCanMsg {
  std::int32_t id = 0;
  std::int32_t timestamp = 0;
  std::uint8_t flags = 0;  // bit 7 extended, bit 6 remote
  std::uint8_t len = 0;
  std::uint8_t data[8] = {};
  std::uint8_t pad[2] = {};
};
static_assert(sizeof(TCanMsg) == 20);
static_assert(offsetof(TCanMsg, id) == 0 && offsetof(TCanMsg, timestamp) == 4);
static_assert(offsetof(TCanMsg, flags) == 8 && offsetof(TCanMsg, len) == 9 && offsetof(TCanMsg, data) == 10);
using TCanMsgs = std::vector<TCanMsg>;

inline constexpr std::uint8_t kCanMsgFlagExtended = 0x80;
inline constexpr std::uint8_t kCanMsgFlagRemote = 0x40;

// Frame record of the vendor library's receive-event path.
struct TCanTime {
  std::uint32_t Sec = 0;
  std::uint32_t USec = 0;
};
struct TRawCanMsg {
  std::uint32_t Id = 0;
  std::uint32_t Flags = 0;
  union {
    char Chars[16];
    std::uint8_t Bytes[16];
    std::uint16_t Words[8];
    std::uint32_t Longs[4];
  } Data = {};
  TCanTime Time;
};
static_assert(sizeof(TRawCanMsg) == 32);
using PCanMsg = const TRawCanMsg*;

enum class TAdapterType { atUSB, atSeriell };

using TRxEvent = std::function<void(TZelCanCustomAdapter* Sender, std::int32_t index, PCanMsg msg, std::int32_t count)>;
using TConnectionEvent = std::function<void(bool connected)>;

class TCanEventLink {
 public:
  TRxEvent FOnRxCanData;
  [[nodiscard]] const TRxEvent& RxCanData() const { return FOnRxCanData; }
  void SetRxCanData(TRxEvent handler) { FOnRxCanData = std::move(handler); }
};

// Conversion between the driver-boundary record and the program's frame record.
[[nodiscard]] inline TCanMsgProg CanMsgToProg(const TCanMsg& m) {
  TCanMsgProg p;
  p.CanId = m.id;  // sign-extended, as the drivers deliver it
  p.Extended = (m.flags & kCanMsgFlagExtended) != 0;
  p.RTR = (m.flags & kCanMsgFlagRemote) != 0;
  p.DLC = m.len;
  for (int i = 0; i < 8; ++i) p.Data[i] = m.data[i];
  p.Time = m.timestamp;
  return p;
}
