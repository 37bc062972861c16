#pragma once
// Rows of a list kept in identifier order (the per-identifier lists): the rows stay where they
// arrived (their slot) and the list order is a permutation of slots. Putting thousands of new
// identifiers in their places then moves four bytes a row instead of the whole record, and
// an index that holds slots never needs renumbering.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lists/RowReorder.h"
#include "lists/RowStore.h"

// The order of the per-identifier lists: by the low 32 bits of the identifier as a signed
// number, which is plain numeric order for every valid identifier.
[[nodiscard]] inline std::int32_t CanIdOrder(std::int64_t canId) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(canId));
}
[[nodiscard]] inline bool CanIdLess(std::int64_t a, std::int64_t b) { return CanIdOrder(a) < CanIdOrder(b); }

// Rows in identifier order (KeyOf gives a row's identifier), equal identifiers in the order
// they came; each row's order key sits beside its slot, so finding a place reads no records.
template <typename TRecord, std::int64_t (*KeyOf)(const TRecord&)>
class TOrderedRowStore {
 public:
  [[nodiscard]] std::size_t Count() const { return FOrder.size(); }
  [[nodiscard]] bool Empty() const { return FOrder.empty(); }
  // As TRowStore's: counts the calls that add, remove or reorder rows.
  [[nodiscard]] std::uint64_t Arrangement() const { return FArrangement; }

  [[nodiscard]] TRecord& Record(std::size_t row) { return FSlots.Record(FOrder[row].Slot); }
  [[nodiscard]] const TRecord& Record(std::size_t row) const { return FSlots.Record(FOrder[row].Slot); }
  [[nodiscard]] TRowState& State(std::size_t row) { return FSlots.State(FOrder[row].Slot); }
  [[nodiscard]] const TRowState& State(std::size_t row) const { return FSlots.State(FOrder[row].Slot); }
  [[nodiscard]] static std::int64_t Key(const TRecord& record) { return KeyOf(record); }

  [[nodiscard]] std::size_t SlotOf(std::size_t row) const { return FOrder[row].Slot; }
  [[nodiscard]] TRecord& RecordAtSlot(std::size_t slot) { return FSlots.Record(slot); }
  [[nodiscard]] const TRecord& RecordAtSlot(std::size_t slot) const { return FSlots.Record(slot); }
  // The row a slot stands at; the first call after a reorder renumbers every slot once.
  [[nodiscard]] std::size_t RowOfSlot(std::size_t slot) const {
    if (!FRowOfSlotValid) {
      FRowOfSlot.resize(FOrder.size());
      for (std::size_t row = 0; row < FOrder.size(); ++row) FRowOfSlot[FOrder[row].Slot] = static_cast<std::uint32_t>(row);
      FRowOfSlotValid = true;
    }
    return FRowOfSlot[slot];
  }
  // The first row in list order whose state has `flag`, or kNone; reads the states in slot
  // order, so a list without such a row costs one pass over contiguous memory.
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  [[nodiscard]] std::size_t FirstRowWith(std::uint16_t flag) const {
    std::size_t first = kNone;
    for (std::size_t slot = 0; slot < FSlots.Count(); ++slot)
      if (FSlots.State(slot).Has(flag)) first = std::min(first, RowOfSlot(slot));
    return first;
  }

  std::size_t Append(const TRecord& record, TRowState state) {
    const std::size_t row = FOrder.size();
    FOrder.push_back(Entry(record, FSlots.Append(record, state)));
    if (FRowOfSlotValid) FRowOfSlot.push_back(static_cast<std::uint32_t>(row));
    ++FArrangement;
    return row;
  }

  void Insert(std::size_t row, const TRecord& record, TRowState state) {
    FOrder.insert(FOrder.begin() + static_cast<std::ptrdiff_t>(row), Entry(record, FSlots.Append(record, state)));
    Rearranged();
  }

  // The last slot moves into the freed one, so slots stay dense.
  void Erase(std::size_t row) {
    const std::uint32_t freed = FOrder[row].Slot;
    FOrder.erase(FOrder.begin() + static_cast<std::ptrdiff_t>(row));
    const auto last = static_cast<std::uint32_t>(FSlots.Count() - 1);
    if (freed != last) {
      FSlots.Record(freed) = FSlots.Record(last);
      FSlots.State(freed) = FSlots.State(last);
      std::find_if(FOrder.begin(), FOrder.end(), [last](const TEntry& e) { return e.Slot == last; })->Slot = freed;
    }
    FSlots.Erase(last);
    Rearranged();
  }

  void Clear() {
    FSlots.Clear();
    FOrder.clear();
    FOrder.shrink_to_fit();
    FRowOfSlot.clear();
    FRowOfSlot.shrink_to_fit();
    Rearranged();
  }

  [[nodiscard]] bool IsSorted() const {
    return std::is_sorted(FOrder.begin(), FOrder.end(), EntryLess);
  }

  // Where a stable sort would put `record` among rows [0, end) if it were appended after them.
  [[nodiscard]] std::size_t UpperBound(const TRecord& record, std::size_t end) const {
    return static_cast<std::size_t>(std::upper_bound(FOrder.begin(), FOrder.begin() + static_cast<std::ptrdiff_t>(end), Entry(record, 0), EntryLess) -
                                    FOrder.begin());
  }
  [[nodiscard]] std::size_t UpperBound(const TRecord& record) const { return UpperBound(record, Count()); }

  // Rows [0, sorted) are in order; the rows after them are sorted stably and merged in, an
  // equal row already there staying first: the same as a stable sort of the whole list. Each
  // newcomer finds its place by binary search, and the entries between two places move in one
  // block, so a merge compares O(new · log rows) times. `reorder` receives where rows went.
  void MergeTail(std::size_t sorted, TRowReorder& reorder) {
    const std::size_t fresh = Count() - sorted;
    std::vector<std::size_t> byOrder(fresh);  // pending positions, in their sorted order
    for (std::size_t i = 0; i < fresh; ++i) byOrder[i] = i;
    std::stable_sort(byOrder.begin(), byOrder.end(),
                     [&](std::size_t a, std::size_t b) { return EntryLess(FOrder[sorted + a], FOrder[sorted + b]); });
    std::vector<TEntry> newcomers(fresh);
    std::vector<std::size_t> places(fresh);  // the old row each newcomer goes before
    for (std::size_t i = 0; i < fresh; ++i) {
      newcomers[i] = FOrder[sorted + byOrder[i]];
      places[i] = static_cast<std::size_t>(
          std::upper_bound(FOrder.begin(), FOrder.begin() + static_cast<std::ptrdiff_t>(sorted), newcomers[i], EntryLess) - FOrder.begin());
    }
    reorder.Reset(sorted, places, byOrder);
    std::size_t oldEnd = sorted;
    for (std::size_t i = fresh; i-- > 0;) {
      const std::size_t place = places[i];
      std::memmove(&FOrder[place + i + 1], &FOrder[place], (oldEnd - place) * sizeof(TEntry));
      FOrder[place + i] = newcomers[i];
      oldEnd = place;
    }
    Rearranged();
  }

  void StableSort() {
    std::stable_sort(FOrder.begin(), FOrder.end(), EntryLess);
    Rearranged();
  }

 private:
  struct TEntry {
    std::int32_t Order;
    std::uint32_t Slot;
  };
  static TEntry Entry(const TRecord& record, std::size_t slot) {
    return {CanIdOrder(KeyOf(record)), static_cast<std::uint32_t>(slot)};
  }
  static bool EntryLess(const TEntry& a, const TEntry& b) { return a.Order < b.Order; }

  void Rearranged() {
    ++FArrangement;
    FRowOfSlotValid = false;
  }

  TRowStore<TRecord> FSlots;
  std::vector<TEntry> FOrder;  // list row -> order key and slot
  mutable std::vector<std::uint32_t> FRowOfSlot;
  mutable bool FRowOfSlotValid = true;
  std::uint64_t FArrangement = 0;
};
