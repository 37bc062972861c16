#pragma once
// Identifier -> the slot of its first row in list order, for the per-identifier lists (an
// ordered row store). Slots never move when rows are merged into their places, so the index
// only changes when an identifier is new; anything that moves slots (erase, load) rebuilds it,
// so lookups give exactly what a linear pass would.

#include <cstdint>

#include "lists/IdSlotMap.h"
#include "lists/OrderedRowStore.h"

class TCanIdIndex {
 public:
  static constexpr std::size_t kNone = TIdSlotMap::kNone;

  [[nodiscard]] std::size_t FindSlot(std::int64_t canId) const { return FSlot.Find(canId); }
  // A row placed after every row of its own identifier: first only if the identifier had none.
  void NoteAdded(std::int64_t canId, std::size_t slot) { FSlot.Emplace(canId, slot); }

  template <typename TStore>
  void Rebuild(const TStore& rows) {
    Clear();
    FSlot.Reserve(rows.Count());
    for (std::size_t row = 0; row < rows.Count(); ++row) NoteAdded(TStore::Key(rows.Record(row)), rows.SlotOf(row));
  }
  void Clear() { FSlot.Clear(); }

 private:
  TIdSlotMap FSlot;
};
