#include "signals/SignalCodec.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "signals/SignalText.h"

namespace {

constexpr double kTwoTo63 = 9223372036854775808.0;

std::uint64_t LoadLittleEndian(const TCanData& data) {
  std::uint64_t word = 0;
  for (int i = 7; i >= 0; --i) word = (word << 8) | data[static_cast<std::size_t>(i)];
  return word;
}

std::uint64_t LoadBigEndian(const TCanData& data) {
  std::uint64_t word = 0;
  for (std::uint8_t byte : data) word = (word << 8) | byte;
  return word;
}

void StoreLittleEndian(std::uint64_t word, TCanData& data) {
  for (std::uint8_t& byte : data) {
    byte = static_cast<std::uint8_t>(word);
    word >>= 8;
  }
}

void StoreBigEndian(std::uint64_t word, TCanData& data) {
  for (int i = 7; i >= 0; --i) {
    data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(word);
    word >>= 8;
  }
}

bool Selects(const TSignalDef& selected, std::uint64_t selectorValue) {
  return std::any_of(selected.MuxRanges.begin(), selected.MuxRanges.end(),
                     [selectorValue](const TMuxRange& r) { return selectorValue >= r.First && selectorValue <= r.Last; });
}

// The raw bits of an integer signal for a rounded raw value, or the reason it does not fit.
std::string IntegerBits(const TSignalDef& signal, double raw, std::uint64_t& bits) {
  const double low = signal.Signed ? -std::ldexp(1.0, signal.Length - 1) : 0.0;
  const double high = signal.Signed ? std::ldexp(1.0, signal.Length - 1) : std::ldexp(1.0, signal.Length);  // excluded
  if (!(raw >= low && raw < high))
    return signal.Name + ": raw value " + ShortestDouble(raw) + " does not fit in " + std::to_string(signal.Length) +
           (signal.Signed ? " signed bits" : " bits");
  if (raw >= kTwoTo63)
    bits = static_cast<std::uint64_t>(raw - kTwoTo63) + (std::uint64_t{1} << 63);
  else
    bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(raw));
  bits &= SignalMask(signal);
  return {};
}

}  // namespace

TFrameWords FrameWords(const TCanMsgProg& msg) { return {LoadLittleEndian(msg.Data), LoadBigEndian(msg.Data), msg.UsedBytes()}; }

std::uint64_t SignalRaw(const TSignalDef& signal, const TFrameWords& words) {
  const std::uint64_t bits = SignalBits(signal, words);
  if (!signal.Signed || signal.ValueType != TSignalValueType::Integer || signal.Length >= 64) return bits;
  const std::uint64_t sign = std::uint64_t{1} << (signal.Length - 1);
  return (bits & sign) != 0 ? bits | ~SignalMask(signal) : bits;
}

double RawNumber(const TSignalDef& signal, std::uint64_t raw) {
  switch (signal.ValueType) {
    case TSignalValueType::Float: return static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(raw)));
    case TSignalValueType::Double: return std::bit_cast<double>(raw);
    case TSignalValueType::Integer: break;
  }
  return signal.Signed ? static_cast<double>(static_cast<std::int64_t>(raw)) : static_cast<double>(raw);
}

const std::string* ValueText(const TSignalDef& signal, std::uint64_t raw) {
  if (signal.Values.empty() || signal.ValueType != TSignalValueType::Integer) return nullptr;
  const auto key = static_cast<std::int64_t>(raw);
  const auto found = std::lower_bound(signal.Values.begin(), signal.Values.end(), key,
                                      [](const auto& entry, std::int64_t value) { return entry.first < value; });
  return found != signal.Values.end() && found->first == key ? &found->second : nullptr;
}

bool SignalPresent(const TMessageDef& message, const TSignalDef& signal, const TFrameWords& words) {
  if (signal.BytesNeeded > words.Bytes) return false;
  // The reader has made sure the chain ends, without a circle, within a few steps.
  for (const TSignalDef* selected = &signal; selected->Selector >= 0;) {
    const TSignalDef& selector = message.Signals[static_cast<std::size_t>(selected->Selector)];
    if (selector.BytesNeeded > words.Bytes || !Selects(*selected, SignalBits(selector, words))) return false;
    selected = &selector;
  }
  return true;
}

std::size_t DecodeFrame(const TMessageDef& message, const TCanMsgProg& msg, std::vector<TSignalValue>& out) {
  out.clear();
  if (!message.Decodable) return 0;
  const TFrameWords words = FrameWords(msg);
  const std::size_t count = message.Signals.size();
  for (std::size_t i = 0; i < count; ++i) {
    const TSignalDef& signal = message.Signals[i];
    if (signal.BytesNeeded > words.Bytes) continue;
    if (message.Multiplexed && !SignalPresent(message, signal, words)) continue;
    const std::uint64_t raw = SignalRaw(signal, words);
    out.push_back({static_cast<std::uint32_t>(i), raw, PhysicalValue(signal, raw)});
  }
  return out.size();
}

std::string EncodeSignal(const TMessageDef& message, const TSignalDef& signal, double physical, TCanData& data) {
  if (!message.Decodable) return message.Name + " is not decoded: its frames are not classic CAN";
  if (!std::isfinite(physical)) return signal.Name + ": " + ShortestDouble(physical) + " is not a number";
  if ((signal.Minimum != 0 || signal.Maximum != 0) && (physical < signal.Minimum || physical > signal.Maximum))
    return signal.Name + ": " + ShortestDouble(physical) + " is outside [" + ShortestDouble(signal.Minimum) + "|" +
           ShortestDouble(signal.Maximum) + "]";
  const double scaled = (physical - signal.Offset) / signal.Factor;
  std::uint64_t bits = 0;
  if (signal.ValueType == TSignalValueType::Float) {
    if (std::fabs(scaled) > static_cast<double>(std::numeric_limits<float>::max()))
      return signal.Name + ": " + ShortestDouble(physical) + " is beyond a float";
    bits = std::bit_cast<std::uint32_t>(static_cast<float>(scaled));
  } else if (signal.ValueType == TSignalValueType::Double) {
    bits = std::bit_cast<std::uint64_t>(scaled);
  } else if (std::string refused = IntegerBits(signal, std::round(scaled), bits); !refused.empty()) {
    return refused;
  }
  const std::uint64_t mask = SignalMask(signal) << signal.Shift;
  if (signal.Order == TByteOrder::Intel)
    StoreLittleEndian((LoadLittleEndian(data) & ~mask) | (bits << signal.Shift), data);
  else
    StoreBigEndian((LoadBigEndian(data) & ~mask) | (bits << signal.Shift), data);
  return {};
}
