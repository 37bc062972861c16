#pragma once
// The trace rows that left memory: rows [0, Count()) live only in the trace's sink (the
// capture file) once memory held its budget of them and the sink had them all. Their record
// is read back a page at a time; of their state only what a search changes (visible or not)
// is kept, one bit a row.

#include <cstdint>
#include <vector>

#include "lists/RowStore.h"
#include "model/CanMsgProg.h"

struct TTraceData;
class TTraceSink;

class TTraceSpill {
 public:
  static constexpr std::size_t kPageRows = 4096;

  [[nodiscard]] std::uint64_t Count() const { return FCount; }
  // The record of spilled row `row`; valid until the next call. A row the sink cannot give
  // back reads as an empty frame.
  [[nodiscard]] const TTraceData& Record(TTraceSink* sink, std::uint64_t row) const;
  [[nodiscard]] const TRowState& State(std::uint64_t row) const;
  void SetVisible(std::uint64_t row, bool visible);
  // Rows [64 word, 64 word + 64) at once: bit k set hides row 64 word + k.
  void SetHiddenWord(std::uint64_t word, std::uint64_t hidden);
  // `rows` more rows have left memory (all visible until SetVisible says otherwise).
  void Extend(std::uint64_t rows);
  void Clear();

 private:
  // A bit for every row; rows that had none are shown.
  void GrowHiddenBits();

  std::uint64_t FCount = 0;
  std::vector<std::uint64_t> FHidden;  // one bit a row; empty while none is hidden
  mutable std::vector<TTraceData> FPage;
  mutable std::uint64_t FPageFirst = static_cast<std::uint64_t>(-1);
};
