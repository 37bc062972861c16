#pragma once
// Signal values from a frame's data bytes and back. The data is read as one 64-bit word in
// each byte order: Intel signals count up from their least significant bit in the
// little-endian word; Motorola signals start at their most significant bit in the sawtooth
// numbering (7..0 in byte 0, 15..8 in byte 1, ...), which runs straight down the big-endian word.
//
//   Intel   0|12@1+  data 34 12 ...   -> raw 0x234
//   Motorola 7|12@0+ data 12 34 ...   -> raw 0x123
//
// A signal is present only when all its bits lie within the frame's DLC and, when multiplexed,
// when every selector up its chain holds a value that selects the next.

#include <cstdint>
#include <string>
#include <vector>

#include "model/CanMsgProg.h"
#include "signals/DbcDatabase.h"

// The frame's data as the two words, read once per frame.
struct TFrameWords {
  std::uint64_t Intel = 0;
  std::uint64_t Motorola = 0;
  int Bytes = 0;  // the DLC, at most 8
};
[[nodiscard]] TFrameWords FrameWords(const TCanMsgProg& msg);

[[nodiscard]] inline std::uint64_t SignalMask(const TSignalDef& signal) {
  return signal.Length >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << signal.Length) - 1;
}
// The signal's bits as they stand, not sign-extended.
[[nodiscard]] inline std::uint64_t SignalBits(const TSignalDef& signal, const TFrameWords& words) {
  const std::uint64_t word = signal.Order == TByteOrder::Intel ? words.Intel : words.Motorola;
  return (word >> signal.Shift) & SignalMask(signal);
}
// The raw value: the bits, sign-extended for signed integer signals.
[[nodiscard]] std::uint64_t SignalRaw(const TSignalDef& signal, const TFrameWords& words);
// The raw value as a number: unsigned, two's-complement, or the IEEE float or double.
[[nodiscard]] double RawNumber(const TSignalDef& signal, std::uint64_t raw);
[[nodiscard]] inline double PhysicalValue(const TSignalDef& signal, std::uint64_t raw) {
  return RawNumber(signal, raw) * signal.Factor + signal.Offset;
}
// The value-table text of a raw value; null when there is none.
[[nodiscard]] const std::string* ValueText(const TSignalDef& signal, std::uint64_t raw);

[[nodiscard]] bool SignalPresent(const TMessageDef& message, const TSignalDef& signal, const TFrameWords& words);

// One present signal of a frame.
struct TSignalValue {
  std::uint32_t Signal = 0;  // index in TMessageDef::Signals
  std::uint64_t Raw = 0;
  double Value = 0;
};

// The present signals of a frame of `message`, in definition order, in place of out's content.
// Nothing for a message that is not decoded.
std::size_t DecodeFrame(const TMessageDef& message, const TCanMsgProg& msg, std::vector<TSignalValue>& out);

// Writes a physical value into data: the raw value rounded to nearest (a float or double as
// IEEE bits). Refused, with the reason as the result and data unchanged, outside [min|max]
// (unless both are 0) or outside the raw range of the bit width. Empty result: written.
[[nodiscard]] std::string EncodeSignal(const TMessageDef& message, const TSignalDef& signal, double physical, TCanData& data);
