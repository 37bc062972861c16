#pragma once
// A classic CAN frame's length on the wire in bits, exact: the frame's own bit stream from
// SOF to the end of the data, its CRC-15 over those bits, the stuff bits that stream and the
// CRC really get, then the fixed tail.
//
//   standard data frame:  SOF | ID 11 | RTR | IDE=0 | r0 | DLC 4 | data 8n | CRC 15
//   extended data frame:  SOF | ID 11 | SRR=1 | IDE=1 | ID 18 | RTR | r1 | r0 | DLC 4 | data 8n | CRC 15
//   then, unstuffed:      CRC delimiter | ACK slot | ACK delimiter | EOF 7 | interframe space 3
//
// Dominant is 0, recessive 1. A remote frame (RTR recessive) carries no data whatever its DLC;
// a DLC above 8 is sent as it stands with 8 data bytes. After five equal bits comes one of the
// other value, which itself starts the next run. Without stuffing a standard frame is 47 + 8n
// bits and an extended one 67 + 8n; with it at most 55 + 10n and 80 + 10n.

#include <cstdint>

#include "model/CanMsgProg.h"

[[nodiscard]] int FrameBitsOnWire(const TCanMsgProg& msg);

// Where the stream stands after a frame's header: everything up to the data depends only on
// the identifier, its kind, RTR and DLC, so a caller that sees an identifier again can keep
// this and pay only for the data bytes.
// Whole words: a state packed into bytes is read back through a stalled store forward.
struct TFrameHeaderState {
  std::uint32_t Crc = 0;
  std::uint32_t StuffState = 0;  // 8 x the stuffing state
  std::uint32_t Stuffed = 0;
  std::uint32_t Bits = 0;  // 19 or 39
};
[[nodiscard]] TFrameHeaderState FrameHeaderState(const TCanMsgProg& msg);
// The whole frame's length, from its header's state.
[[nodiscard]] int FrameBitsOnWire(TFrameHeaderState header, const TCanMsgProg& msg);

// The CRC-15 of the first `bits` bits of `stream` (most significant bit of byte 0 first).
[[nodiscard]] std::uint16_t CanCrc15(const std::uint8_t* stream, int bits);
// The stuff bits a stream of `bits` bits gets.
[[nodiscard]] int CanStuffBits(const std::uint8_t* stream, int bits);
