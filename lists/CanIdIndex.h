#pragma once
// Identifier -> first row in list order, for the per-identifier lists. Kept up to date through
// insertions and reorders, rebuilt after anything else that moves rows, so lookups give exactly
// what a linear pass would.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "lists/RowStore.h"

class TCanIdIndex {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  [[nodiscard]] std::size_t Find(std::int64_t canId) const {
    const auto it = FSlot.find(canId);
    return it == FSlot.end() ? kNone : FFirst[it->second];
  }
  // A row appended at the end: it is first only if the identifier had no row yet.
  void NoteAppended(std::int64_t canId, std::size_t row) {
    if (FSlot.emplace(canId, FFirst.size()).second) FFirst.push_back(row);
  }
  // A row inserted after every row of its own identifier: the rows from there on move down
  // by one, and it is first only if the identifier had no row yet.
  void NoteInserted(std::int64_t canId, std::size_t row) {
    for (std::size_t& first : FFirst)
      if (first >= row) ++first;
    NoteAppended(canId, row);
  }

  // The rows were reordered: old row r is now row newRowOfOld[r].
  void Remap(const std::vector<std::size_t>& newRowOfOld) {
    for (std::size_t& first : FFirst) first = newRowOfOld[first];
  }

  template <typename TRecord, typename Key>
  void Rebuild(const TRowStore<TRecord>& rows, Key key) {
    Clear();
    FSlot.reserve(rows.Count());
    for (std::size_t row = 0; row < rows.Count(); ++row) NoteAppended(key(rows.Record(row)), row);
  }
  void Clear() {
    FSlot.clear();
    FFirst.clear();
  }

 private:
  std::unordered_map<std::int64_t, std::size_t> FSlot;  // identifier -> its place in FFirst
  // The first rows sit apart from the hash nodes so that an insertion renumbers them in one
  // pass over contiguous memory.
  std::vector<std::size_t> FFirst;
};

// The order of the per-identifier lists: by the low 32 bits of the identifier as a signed
// number, which is plain numeric order for every valid identifier.
[[nodiscard]] inline bool CanIdLess(std::int64_t a, std::int64_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a)) < static_cast<std::int32_t>(static_cast<std::uint32_t>(b));
}
