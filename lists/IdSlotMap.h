#pragma once
// Identifier -> slot, for the lookups every received frame makes (monitor, software filter,
// statistics). Open addressing with linear probing in one flat array: a lookup is one or two
// cache lines, where a node-based map chases a pointer per step. Keys are only ever added;
// Clear empties it.

#include <cstdint>
#include <vector>

class TIdSlotMap {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  [[nodiscard]] std::size_t Count() const { return FCount; }

  [[nodiscard]] std::size_t Find(std::int64_t key) const {
    if (FCount == 0) return kNone;
    for (std::size_t i = Home(key);; i = (i + 1) & Mask()) {
      const TBucket& bucket = FBuckets[i];
      if (bucket.Slot == kNone) return kNone;
      if (bucket.Key == key) return bucket.Slot;
    }
  }

  // Maps key to slot unless the key is there already; returns the slot the key maps to.
  std::size_t Emplace(std::int64_t key, std::size_t slot) {
    Reserve(FCount + 1);
    for (std::size_t i = Home(key);; i = (i + 1) & Mask()) {
      TBucket& bucket = FBuckets[i];
      if (bucket.Slot == kNone) {
        bucket = {key, slot};
        ++FCount;
        return slot;
      }
      if (bucket.Key == key) return bucket.Slot;
    }
  }

  // Room for `count` keys with at most three buckets in four taken, so a probe always ends.
  void Reserve(std::size_t count) {
    std::size_t buckets = FBuckets.empty() ? kMinBuckets : FBuckets.size();
    while (count * 4 > buckets * 3) buckets *= 2;
    if (buckets != FBuckets.size()) Rehash(buckets);
  }

  void Clear() {
    FBuckets.clear();
    FBuckets.shrink_to_fit();
    FShift = 64;
    FCount = 0;
  }

 private:
  struct TBucket {
    std::int64_t Key = 0;
    std::size_t Slot = kNone;
  };
  static constexpr std::size_t kMinBuckets = 16;

  [[nodiscard]] std::size_t Mask() const { return FBuckets.size() - 1; }
  // Fibonacci hashing: the top bits of the product spread neighbouring identifiers apart.
  [[nodiscard]] std::size_t Home(std::int64_t key) const {
    return static_cast<std::size_t>((static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ULL) >> FShift);
  }

  void Rehash(std::size_t buckets) {  // buckets: a power of two
    std::vector<TBucket> old = std::move(FBuckets);
    FBuckets.assign(buckets, TBucket{});
    FShift = 64;
    for (std::size_t size = buckets; size > 1; size >>= 1) --FShift;
    FCount = 0;
    for (const TBucket& bucket : old)
      if (bucket.Slot != kNone) Emplace(bucket.Key, bucket.Slot);
  }

  std::vector<TBucket> FBuckets;
  unsigned FShift = 64;  // 64 - log2(bucket count)
  std::size_t FCount = 0;
};
