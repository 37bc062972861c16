#pragma once
// The samples of one plotted signal: (time, value) pairs in time order, 16 bytes each, in
// fixed chunks so that a long capture never copies what it holds. Over the values a min/max
// pyramid (blocks of 64, 4,096, 262,144, ... samples) is kept up to date at every append, so
// that the minimum and maximum of any index range cost at most 2 x 63 steps per level, and a
// plot of W pixel columns costs what W costs, not what the sample count costs.
//
// Times are milliseconds (see TPlotSamples). A sample earlier than the last one (a clock
// that went back) is kept, at the last one's time, so that the times stay sorted.
// NaN values (IEEE float signals) are kept and left out of every minimum and maximum.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct TMinMax {
  double Min = 0;
  double Max = 0;
  [[nodiscard]] bool Empty() const { return !(Min <= Max); }
  void Add(double value) {
    if (value < Min) Min = value;
    if (value > Max) Max = value;
  }
  void Add(const TMinMax& other) {
    if (other.Min < Min) Min = other.Min;
    if (other.Max > Max) Max = other.Max;
  }
  static TMinMax None();
};

// One pixel column of a decimated range: the samples [First, Last] it holds, the extremes
// among them, and the first and last values to join it to its neighbours.
struct TPixelColumn {
  std::size_t First = 0;
  std::size_t Count = 0;  // 0: no sample falls into this column
  TMinMax Range;
  double FirstValue = 0;
  double LastValue = 0;
};

class TSampleColumn {
 public:
  static constexpr int kChunkBits = 12;  // 64 KiB a chunk: little waste for a rarely sent signal
  static constexpr std::size_t kChunk = std::size_t{1} << kChunkBits;
  static constexpr int kLevelBits = 6;  // 64 entries of one level make one of the next

  TSampleColumn();
  ~TSampleColumn();
  TSampleColumn(TSampleColumn&&) noexcept;
  TSampleColumn& operator=(TSampleColumn&&) noexcept;

  void Append(double time, double value);
  void Clear();

  [[nodiscard]] std::size_t Size() const { return FSize; }
  [[nodiscard]] bool Empty() const { return FSize == 0; }
  [[nodiscard]] double Time(std::size_t index) const { return FChunks[index >> kChunkBits]->Time[index & (kChunk - 1)]; }
  [[nodiscard]] double Value(std::size_t index) const { return FChunks[index >> kChunkBits]->Value[index & (kChunk - 1)]; }
  // The number of samples clamped to an earlier sample's time.
  [[nodiscard]] std::size_t Clamped() const { return FClamped; }

  // The first sample at or after `time`; Size() when there is none.
  [[nodiscard]] std::size_t LowerBound(double time) const;
  // Extremes of the values [first, last); empty for an empty range.
  [[nodiscard]] TMinMax RangeMinMax(std::size_t first, std::size_t last) const;
  // The samples of [t0, t1) split into `width` equal columns of time, one entry each.
  void Decimate(double t0, double t1, int width, std::vector<TPixelColumn>& out) const;

  // The pyramid: level 0 has blocks of 64 samples, level k blocks of 64^(k+1).
  [[nodiscard]] std::size_t LevelCount() const { return FLevels.size(); }
  [[nodiscard]] std::size_t BytesUsed() const;

 private:
  struct TChunk {
    double Time[kChunk];
    double Value[kChunk];
  };
  [[nodiscard]] TMinMax ScanValues(std::size_t first, std::size_t last) const;
  [[nodiscard]] static TMinMax ScanLevel(const std::vector<TMinMax>& level, std::size_t first, std::size_t last);

  std::vector<std::unique_ptr<TChunk>> FChunks;
  std::vector<std::vector<TMinMax>> FLevels;
  std::size_t FSize = 0;
  std::size_t FClamped = 0;
};
