#pragma once
// Where the rows of a list went when rows that waited at its end were merged into their
// places: the old rows keep their order and move down by the newcomers placed before them.
// Held as the newcomers' places only, so a merge into a long list costs nothing per old row.

#include <algorithm>
#include <cstddef>
#include <vector>

class TRowReorder {
 public:
  // Rows [0, sorted) were in order; newcomer i of the sorted newcomers went before old row
  // places[i] (non-decreasing) and had been waiting at row sorted + pendingOfSorted[i].
  void Reset(std::size_t sorted, const std::vector<std::size_t>& places, const std::vector<std::size_t>& pendingOfSorted) {
    FSorted = sorted;
    FPlaces = places;
    FFinalOfPending.assign(places.size(), 0);
    for (std::size_t i = 0; i < places.size(); ++i) FFinalOfPending[pendingOfSorted[i]] = places[i] + i;
  }

  // The row that old row `row` became.
  [[nodiscard]] std::size_t NewRow(std::size_t row) const {
    if (row >= FSorted) return FFinalOfPending[row - FSorted];
    return row + static_cast<std::size_t>(std::upper_bound(FPlaces.begin(), FPlaces.end(), row) - FPlaces.begin());
  }

 private:
  std::size_t FSorted = 0;
  std::vector<std::size_t> FPlaces;
  std::vector<std::size_t> FFinalOfPending;
};
