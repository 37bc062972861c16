#pragma once
// Cuts the adapter's byte stream into reply units: a line ended by CR, or a refusal ended by
// BEL (adapters send the BEL alone, without CR). A stream that runs longer than the longest
// legal line without a terminator is counted as an overflow and skipped up to the next CR or
// BEL, so garbage cannot grow a line without bound.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

class TSerialLineAssembler {
 public:
  struct TUnit {
    std::string Text;  // including its terminator
    bool Refused = false;  // ended by BEL
  };

  // `now` is the tick count, remembered for the first byte of a new partial line.
  void Feed(std::string_view bytes, std::uint32_t now);
  [[nodiscard]] std::optional<TUnit> Take();
  // At the end of a read that began at `since` and found no terminator: drops the partial
  // line if its first byte came during that read, or at least `age` ms before `now`.
  void DropStalePartial(std::uint32_t now, std::uint32_t since, std::uint32_t age);
  void Clear();

  [[nodiscard]] std::uint64_t Overflows() const { return FOverflows; }
  [[nodiscard]] const std::string& Partial() const { return FPartial; }

 private:
  std::deque<TUnit> FUnits;
  std::string FPartial;
  std::uint32_t FPartialSince = 0;
  bool FSkipping = false;
  std::uint64_t FOverflows = 0;
};
