#include "CanPackage/source/Sja1000Filter.h"

namespace {

// Every bit the mask cares about must equal the code bit.
bool Matches(std::uint32_t bits, std::uint32_t code, std::uint32_t mask) { return ((bits ^ code) & ~mask) == 0; }

constexpr std::uint8_t Byte(std::uint32_t value, int index) {  // index 0 = ACR0/AMR0
  return static_cast<std::uint8_t>(value >> (24 - 8 * index));
}

bool StandardAccepts(std::uint32_t code, std::uint32_t mask, const TCanMsgProg& msg) {
  const auto id = static_cast<std::uint32_t>(msg.CanId) & 0x7FF;
  // The 12 bits ID10..ID0 RTR, left-aligned in 16 bits as they sit in ACR0:ACR1[7:4].
  const std::uint32_t head = (id << 5) | (msg.RTR ? 0x10u : 0u);
  constexpr std::uint32_t kHeadBits = 0xFFF0;

  const std::uint32_t code1 = (std::uint32_t{Byte(code, 0)} << 8) | Byte(code, 1);
  const std::uint32_t mask1 = (std::uint32_t{Byte(mask, 0)} << 8) | Byte(mask, 1) | ~kHeadBits;
  const std::uint32_t code2 = (std::uint32_t{Byte(code, 2)} << 8) | Byte(code, 3);
  const std::uint32_t mask2 = (std::uint32_t{Byte(mask, 2)} << 8) | Byte(mask, 3) | ~kHeadBits;

  bool filter1 = Matches(head, code1, mask1);
  if (filter1 && !msg.RTR && msg.DLC > 0) {
    const std::uint32_t dataCode = ((Byte(code, 1) & 0x0Fu) << 4) | (Byte(code, 3) & 0x0Fu);
    const std::uint32_t dataMask = ((Byte(mask, 1) & 0x0Fu) << 4) | (Byte(mask, 3) & 0x0Fu) | ~0xFFu;
    filter1 = Matches(msg.Data[0], dataCode, dataMask);
  }
  return filter1 || Matches(head, code2, mask2);
}

bool ExtendedAccepts(std::uint32_t code, std::uint32_t mask, const TCanMsgProg& msg) {
  const std::uint32_t high = (static_cast<std::uint32_t>(msg.CanId) >> 13) & 0xFFFF;  // ID28..ID13
  const bool filter1 = Matches(high, code >> 16, (mask >> 16) | 0xFFFF0000u);
  const bool filter2 = Matches(high, code & 0xFFFF, (mask & 0xFFFF) | 0xFFFF0000u);
  return filter1 || filter2;
}

}  // namespace

bool Sja1000DualFilterAccepts(std::uint32_t code, std::uint32_t mask, const TCanMsgProg& msg) {
  return msg.Extended ? ExtendedAccepts(code, mask, msg) : StandardAccepts(code, mask, msg);
}
