#pragma once
// Acceptance filtering of an SJA1000 in dual-filter mode, as the adapters apply the code and
// mask of the "M"/"m" commands. code = ACR0..ACR3 and mask = AMR0..AMR3, ACR0/AMR0 in the most
// significant byte; a mask bit 1 means "don't care". A frame is accepted if either filter
// accepts it.
//
// Standard frames (ID10..ID0 sit where the controller keeps ID28..ID18):
//   filter 1: ACR0 = ID10..ID3, ACR1[7:5] = ID2..ID0, ACR1[4] = RTR,
//             ACR1[3:0] = data byte 1 high nibble, ACR3[3:0] = data byte 1 low nibble.
//             A remote frame or a frame without data has no data byte; it passes filter 1
//             when the identifier and RTR bits match.
//   filter 2: ACR2 = ID10..ID3, ACR3[7:5] = ID2..ID0, ACR3[4] = RTR.
// Extended frames:
//   filter 1: ACR0..ACR1 = ID28..ID13;  filter 2: ACR2..ACR3 = ID28..ID13.
//
// Example: code 60206100, mask 011F001F accepts the standard identifiers 0x301 and 0x309
// (filter 1) and 0x308 (filter 2), and no other.

#include <cstdint>

#include "model/CanMsgProg.h"

[[nodiscard]] bool Sja1000DualFilterAccepts(std::uint32_t code, std::uint32_t mask, const TCanMsgProg& msg);
