#pragma once
// Rows of one list: the fixed-layout record plus the display state the list files carry
// (state flags, check state, check type). Rows live in fixed-size chunks, so a list of
// millions grows without ever moving what it already holds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

// Row state flags, bit for bit as stored in the list files.
namespace RowFlag {
constexpr std::uint16_t vsInitialized = 1U << 0;
constexpr std::uint16_t vsDisabled = 1U << 3;
constexpr std::uint16_t vsVisible = 1U << 7;
constexpr std::uint16_t vsSelected = 1U << 8;
}  // namespace RowFlag

enum class TCheckState : std::uint8_t {
  csUncheckedNormal = 0,
  csUncheckedPressed = 1,
  csCheckedNormal = 2,
  csCheckedPressed = 3,
  csMixedNormal = 4,
  csMixedPressed = 5
};

enum class TCheckType : std::uint8_t {
  ctNone = 0,
  ctTriStateCheckBox = 1,
  ctCheckBox = 2,
  ctRadioButton = 3,
  ctButton = 4
};

struct TRowState {
  std::uint16_t Flags = RowFlag::vsInitialized | RowFlag::vsVisible;
  TCheckState CheckState = TCheckState::csUncheckedNormal;
  TCheckType CheckType = TCheckType::ctNone;

  [[nodiscard]] bool Has(std::uint16_t flag) const { return (Flags & flag) != 0; }
  void Set(std::uint16_t flag, bool on) { Flags = on ? (Flags | flag) : (Flags & ~flag); }
  [[nodiscard]] bool Visible() const { return Has(RowFlag::vsVisible); }
  [[nodiscard]] bool Selected() const { return Has(RowFlag::vsSelected); }
  [[nodiscard]] bool Checked() const {
    return CheckState == TCheckState::csCheckedNormal || CheckState == TCheckState::csCheckedPressed;
  }
  void SetChecked(bool on) { CheckState = on ? TCheckState::csCheckedNormal : TCheckState::csUncheckedNormal; }

  static TRowState CheckBox(bool checked) {
    TRowState state;
    state.CheckType = TCheckType::ctCheckBox;
    state.SetChecked(checked);
    return state;
  }
};
static_assert(sizeof(TRowState) == 4);

template <typename TRecord>
class TRowStore {
  static_assert(std::is_trivially_copyable_v<TRecord>);

  // About 64 KiB per chunk, a power of two rows.
  static constexpr std::size_t ChunkShift() {
    std::size_t shift = 4;
    while ((std::size_t{2} << shift) * (sizeof(TRecord) + sizeof(TRowState)) <= 65536) ++shift;
    return shift;
  }

 public:
  static constexpr std::size_t kChunkShift = ChunkShift();
  static constexpr std::size_t kChunkRows = std::size_t{1} << kChunkShift;

  [[nodiscard]] std::size_t Count() const { return FCount; }
  [[nodiscard]] bool Empty() const { return FCount == 0; }
  // Counts the calls that add, remove or reorder rows, so that an owner can tell the
  // arrangement it last checked from a changed one.
  [[nodiscard]] std::uint64_t Arrangement() const { return FArrangement; }

  [[nodiscard]] TRecord& Record(std::size_t row) { return Chunk(row).Records[row & kMask]; }
  [[nodiscard]] const TRecord& Record(std::size_t row) const { return Chunk(row).Records[row & kMask]; }
  [[nodiscard]] TRowState& State(std::size_t row) { return Chunk(row).States[row & kMask]; }
  [[nodiscard]] const TRowState& State(std::size_t row) const { return Chunk(row).States[row & kMask]; }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  [[nodiscard]] std::size_t FirstRowWith(std::uint16_t flag) const {
    for (std::size_t row = 0; row < FCount; ++row)
      if (State(row).Has(flag)) return row;
    return kNone;
  }

  std::size_t Append(const TRecord& record, TRowState state) {
    if ((FCount >> kChunkShift) == FChunks.size()) FChunks.push_back(std::make_unique<TChunk>());
    const std::size_t row = FCount++;
    ++FArrangement;
    Record(row) = record;
    State(row) = state;
    return row;
  }

  // Shifts the rows from `row` on by one, a chunk's run at a time from the end.
  void Insert(std::size_t row, const TRecord& record, TRowState state) {
    Append(record, state);
    for (std::size_t last = FCount - 1; last > row;) {
      const std::size_t first = std::max(row + 1, last & ~kMask);  // [first, last] lie in one chunk
      TChunk& chunk = Chunk(last);
      const std::size_t at = first & kMask;
      const std::size_t inside = last - first;  // rows that move within the chunk
      std::memmove(&chunk.Records[at + 1], &chunk.Records[at], inside * sizeof(TRecord));
      std::memmove(&chunk.States[at + 1], &chunk.States[at], inside * sizeof(TRowState));
      MoveRow(first - 1, first);
      last = first - 1;
    }
    Record(row) = record;
    State(row) = state;
  }

  void Erase(std::size_t row) {
    for (std::size_t i = row + 1; i < FCount; ++i) MoveRow(i, i - 1);
    --FCount;
    ++FArrangement;
    if (FChunks.size() > (FCount + kChunkRows - 1) / kChunkRows) FChunks.pop_back();
  }

  // Lets the first `chunks` chunks' rows go; the rows after them move up without being copied.
  void DropFrontChunks(std::size_t chunks) {
    chunks = std::min(chunks, FCount >> kChunkShift);
    FChunks.erase(FChunks.begin(), FChunks.begin() + static_cast<std::ptrdiff_t>(chunks));
    FCount -= chunks << kChunkShift;
    ++FArrangement;
  }

  void Clear() {
    FChunks.clear();
    FChunks.shrink_to_fit();
    FCount = 0;
    ++FArrangement;
  }

  // Rows in ascending order of `less`, equal rows keeping their order.
  template <typename Less>
  [[nodiscard]] bool IsSorted(Less less) const {
    for (std::size_t i = 1; i < FCount; ++i)
      if (less(Record(i), Record(i - 1))) return false;
    return true;
  }

  // Where a stable sort would put `record` if it were appended to a sorted store.
  template <typename Less>
  [[nodiscard]] std::size_t UpperBound(const TRecord& record, Less less) const {
    std::size_t lo = 0, hi = FCount;
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (less(record, Record(mid))) hi = mid; else lo = mid + 1;
    }
    return lo;
  }

  template <typename Less>
  void StableSort(Less less) {
    std::vector<std::pair<TRecord, TRowState>> rows;
    rows.reserve(FCount);
    for (std::size_t i = 0; i < FCount; ++i) rows.emplace_back(Record(i), State(i));
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) { return less(a.first, b.first); });
    ++FArrangement;
    for (std::size_t i = 0; i < FCount; ++i) {
      Record(i) = rows[i].first;
      State(i) = rows[i].second;
    }
  }

 private:
  static constexpr std::size_t kMask = kChunkRows - 1;
  struct TChunk {
    TRecord Records[kChunkRows];
    TRowState States[kChunkRows];
  };

  TChunk& Chunk(std::size_t row) { return *FChunks[row >> kChunkShift]; }
  const TChunk& Chunk(std::size_t row) const { return *FChunks[row >> kChunkShift]; }
  void MoveRow(std::size_t from, std::size_t to) {
    Record(to) = Record(from);
    State(to) = State(from);
  }

  std::vector<std::unique_ptr<TChunk>> FChunks;
  std::size_t FCount = 0;
  std::uint64_t FArrangement = 0;
};
