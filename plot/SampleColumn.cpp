#include "plot/SampleColumn.h"

#include <limits>

namespace {
constexpr std::size_t kFan = std::size_t{1} << TSampleColumn::kLevelBits;

std::size_t RoundUp(std::size_t index) { return (index + kFan - 1) & ~(kFan - 1); }
std::size_t RoundDown(std::size_t index) { return index & ~(kFan - 1); }
}  // namespace

TMinMax TMinMax::None() { return {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}; }

TSampleColumn::TSampleColumn() = default;
TSampleColumn::~TSampleColumn() = default;
TSampleColumn::TSampleColumn(TSampleColumn&&) noexcept = default;
TSampleColumn& TSampleColumn::operator=(TSampleColumn&&) noexcept = default;

void TSampleColumn::Append(double time, double value) {
  const std::size_t index = FSize;
  if (index == FChunks.size() * kChunk) FChunks.push_back(std::unique_ptr<TChunk>(new TChunk));  // not zeroed: written below
  if (index > 0 && time < Time(index - 1)) {
    time = Time(index - 1);
    ++FClamped;
  }
  TChunk& chunk = *FChunks.back();
  chunk.Time[index & (kChunk - 1)] = time;
  chunk.Value[index & (kChunk - 1)] = value;
  ++FSize;

  for (std::size_t level = 0; level < FLevels.size(); ++level) {
    std::vector<TMinMax>& blocks = FLevels[level];
    const std::size_t block = index >> (kLevelBits * (level + 1));
    if (block == blocks.size()) blocks.push_back(TMinMax::None());
    blocks[block].Add(value);
  }
  // A level starts once the one below holds a second block; its first block sums the lower one.
  while (FLevels.size() < 10 && index >= (std::size_t{1} << (kLevelBits * FLevels.size()))) {
    const TMinMax all = FLevels.empty() ? ScanValues(0, FSize) : ScanLevel(FLevels.back(), 0, FLevels.back().size());
    FLevels.push_back({all});
  }
}

void TSampleColumn::Clear() {
  FChunks.clear();
  FLevels.clear();
  FSize = 0;
  FClamped = 0;
}

std::size_t TSampleColumn::LowerBound(double time) const {
  std::size_t first = 0;
  std::size_t count = FSize;
  while (count > 0) {
    const std::size_t half = count / 2;
    if (Time(first + half) < time) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  return first;
}

TMinMax TSampleColumn::ScanValues(std::size_t first, std::size_t last) const {
  TMinMax range = TMinMax::None();
  for (std::size_t index = first; index < last; ++index) range.Add(Value(index));
  return range;
}

TMinMax TSampleColumn::ScanLevel(const std::vector<TMinMax>& level, std::size_t first, std::size_t last) {
  TMinMax range = TMinMax::None();
  for (std::size_t index = first; index < last; ++index) range.Add(level[index]);
  return range;
}

// Up the pyramid: the ragged ends of each level are scanned, the whole blocks between them
// are left to the level above, until no whole block of the next level lies in the range.
TMinMax TSampleColumn::RangeMinMax(std::size_t first, std::size_t last) const {
  if (last > FSize) last = FSize;
  if (first >= last) return TMinMax::None();
  std::size_t up = RoundUp(first);
  std::size_t down = RoundDown(last);
  if (FLevels.empty() || up >= down) return ScanValues(first, last);
  TMinMax range = ScanValues(first, up);
  range.Add(ScanValues(down, last));
  first = up >> kLevelBits;
  last = down >> kLevelBits;
  for (std::size_t level = 0;; ++level) {
    const std::vector<TMinMax>& blocks = FLevels[level];
    up = RoundUp(first);
    down = RoundDown(last);
    if (level + 1 == FLevels.size() || up >= down) {
      range.Add(ScanLevel(blocks, first, last));
      return range;
    }
    range.Add(ScanLevel(blocks, first, up));
    range.Add(ScanLevel(blocks, down, last));
    first = up >> kLevelBits;
    last = down >> kLevelBits;
  }
}

void TSampleColumn::Decimate(double t0, double t1, int width, std::vector<TPixelColumn>& out) const {
  out.assign(width > 0 ? static_cast<std::size_t>(width) : 0, TPixelColumn{});
  if (width <= 0 || !(t1 > t0)) return;
  std::size_t first = LowerBound(t0);
  for (int column = 0; column < width; ++column) {
    // The edges from t0 each time, so that rounding does not creep along the row.
    const std::size_t end = column + 1 == width ? LowerBound(t1) : LowerBound(t0 + (t1 - t0) * (column + 1) / width);
    TPixelColumn& cell = out[static_cast<std::size_t>(column)];
    cell.First = first;
    if (end > first) {
      cell.Count = end - first;
      cell.Range = RangeMinMax(first, end);
      cell.FirstValue = Value(first);
      cell.LastValue = Value(end - 1);
    }
    first = end > first ? end : first;
  }
}

std::size_t TSampleColumn::BytesUsed() const {
  std::size_t bytes = FChunks.capacity() * sizeof(void*) + FChunks.size() * sizeof(TChunk);
  for (const std::vector<TMinMax>& level : FLevels) bytes += level.capacity() * sizeof(TMinMax);
  return bytes;
}
