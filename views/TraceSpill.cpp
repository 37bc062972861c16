#include "views/TraceSpill.h"

#include <algorithm>

#include "views/TraceList.h"

namespace {
const TRowState kShown{};
const TRowState kHidden{static_cast<std::uint16_t>(RowFlag::vsInitialized), TCheckState::csUncheckedNormal, TCheckType::ctNone};
}  // namespace

const TTraceData& TTraceSpill::Record(TTraceSink* sink, std::uint64_t row) const {
  const std::uint64_t first = row - row % kPageRows;
  if (first != FPageFirst) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kPageRows, FCount - first));
    if (!sink || !sink->ReadRows(first, count, FPage) || FPage.size() != count) FPage.assign(count, TTraceData{});
    FPageFirst = first;
  }
  return FPage[static_cast<std::size_t>(row - first)];
}

const TRowState& TTraceSpill::State(std::uint64_t row) const {
  const std::size_t word = static_cast<std::size_t>(row / 64);
  return word < FHidden.size() && (FHidden[word] >> (row % 64) & 1U) != 0 ? kHidden : kShown;
}

void TTraceSpill::SetVisible(std::uint64_t row, bool visible) {
  const std::size_t word = static_cast<std::size_t>(row / 64);
  if (visible && word >= FHidden.size()) return;
  if (word >= FHidden.size()) GrowHiddenBits();
  const std::uint64_t bit = std::uint64_t{1} << (row % 64);
  FHidden[word] = visible ? (FHidden[word] & ~bit) : (FHidden[word] | bit);
}

void TTraceSpill::SetHiddenWord(std::uint64_t word, std::uint64_t hidden) {
  if (word >= FHidden.size()) {
    if (hidden == 0) return;
    GrowHiddenBits();
  }
  FHidden[static_cast<std::size_t>(word)] = hidden;
}

void TTraceSpill::GrowHiddenBits() { FHidden.resize(static_cast<std::size_t>((FCount + 63) / 64), 0); }

void TTraceSpill::Extend(std::uint64_t rows) {
  FCount += rows;
  // The cached page may have ended at the old end.
  FPageFirst = static_cast<std::uint64_t>(-1);
}

void TTraceSpill::Clear() {
  FCount = 0;
  FHidden.clear();
  FHidden.shrink_to_fit();
  FPage.clear();
  FPageFirst = static_cast<std::uint64_t>(-1);
}
