#include "FmNeighbourGrid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// Cell coordinates are kept within 21 bits each, so that the cells of any box of
// them can be numbered in 63 bits.
constexpr int coordinateBits = 21;
constexpr std::int64_t coordinateBias = std::int64_t{1} << (coordinateBits - 1);
constexpr std::uint32_t noCell = 0xFFFFFFFFu;
// The sort takes the cell numbers this many bits at a time.
constexpr int digitBits = 11;
constexpr std::uint64_t digitMask = (std::uint64_t{1} << digitBits) - 1;

std::int32_t cellCoordinate(float value, double edge) {
  const double cell = std::floor(static_cast<double>(value) / edge);
  const double highest = static_cast<double>(coordinateBias - 1);
  return static_cast<std::int32_t>(std::clamp(cell, -highest - 1, highest) + coordinateBias);
}

bool finite(const FmPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

}  // namespace

void FmNeighbourGrid::build(const std::vector<FmPoint>& points, double edge) {
  placePoints(points, edge);
  numberCells();
  sortByCell();
  gatherCells();
  linkNeighbourCells();
}

// The cell of every point left in, and the box of cells around them all with a
// layer of empty cells around it, so that every cell has all its neighbours in the
// box.
void FmNeighbourGrid::placePoints(const std::vector<FmPoint>& points, double edge) {
  const bool usable = edge > 0 && !std::isnan(edge);
  corners_.resize(points.size());
  cellOfPoint_.assign(points.size(), noCell);
  order_.clear();
  constexpr std::int32_t most = std::numeric_limits<std::int32_t>::max();
  CellCorner lowest{most, most, most};
  CellCorner highest{-1, -1, -1};
  for (std::size_t i = 0; i < points.size() && usable; ++i) {
    const FmPoint& p = points[i];
    if (!finite(p)) continue;
    const CellCorner corner{cellCoordinate(p.x, edge), cellCoordinate(p.y, edge),
                            cellCoordinate(p.z, edge)};
    corners_[i] = corner;
    order_.push_back(static_cast<std::uint32_t>(i));
    lowest = {std::min(lowest.x, corner.x), std::min(lowest.y, corner.y),
              std::min(lowest.z, corner.z)};
    highest = {std::max(highest.x, corner.x), std::max(highest.y, corner.y),
               std::max(highest.z, corner.z)};
  }
  if (order_.empty()) lowest = highest = {};
  lowest_ = {lowest.x - 1, lowest.y - 1, lowest.z - 1};
  size_ = {highest.x - lowest.x + 3, highest.y - lowest.y + 3, highest.z - lowest.z + 3};
}

// Numbers the cells of the box x-major, then y, then z: the cells of one x and y
// follow each other by z.
void FmNeighbourGrid::numberCells() {
  sortedNumbers_.resize(order_.size());
  const auto sy = static_cast<std::uint64_t>(size_.y);
  const auto sz = static_cast<std::uint64_t>(size_.z);
  for (std::size_t k = 0; k < order_.size(); ++k) {
    const CellCorner& c = corners_[order_[k]];
    const auto x = static_cast<std::uint64_t>(c.x - lowest_.x);
    const auto y = static_cast<std::uint64_t>(c.y - lowest_.y);
    const auto z = static_cast<std::uint64_t>(c.z - lowest_.z);
    sortedNumbers_[k] = (x * sy + y) * sz + z;
  }
}

// A radix sort by cell number, a digit at a time from the lowest: it keeps the
// points of a cell in index order, as they came.
void FmNeighbourGrid::sortByCell() {
  const std::size_t count = order_.size();
  std::uint64_t largest = 0;
  for (const std::uint64_t number : sortedNumbers_) largest = std::max(largest, number);
  const int bits = std::bit_width(largest);
  spareOrder_.resize(count);
  spareNumbers_.resize(count);
  digitCounts_.resize(std::size_t{1} << digitBits);
  for (int shift = 0; shift < bits; shift += digitBits) {
    std::fill(digitCounts_.begin(), digitCounts_.end(), 0u);
    for (const std::uint64_t number : sortedNumbers_) ++digitCounts_[(number >> shift) & digitMask];
    std::uint32_t first = 0;
    for (std::uint32_t& slot : digitCounts_) first += std::exchange(slot, first);
    for (std::size_t k = 0; k < count; ++k) {
      const std::uint32_t to = digitCounts_[(sortedNumbers_[k] >> shift) & digitMask]++;
      spareNumbers_[to] = sortedNumbers_[k];
      spareOrder_[to] = order_[k];
    }
    sortedNumbers_.swap(spareNumbers_);
    order_.swap(spareOrder_);
  }
}

// The occupied cells, and after them a number above every cell's, which ends every
// search among them.
void FmNeighbourGrid::gatherCells() {
  cellNumbers_.clear();
  cellFirst_.clear();
  for (std::size_t k = 0; k < order_.size(); ++k) {
    if (cellNumbers_.empty() || cellNumbers_.back() != sortedNumbers_[k]) {
      cellNumbers_.push_back(sortedNumbers_[k]);
      cellFirst_.push_back(static_cast<std::uint32_t>(k));
    }
    cellOfPoint_[order_[k]] = static_cast<std::uint32_t>(cellNumbers_.size() - 1);
  }
  cellFirst_.push_back(static_cast<std::uint32_t>(order_.size()));
  cellNumbers_.push_back(std::numeric_limits<std::uint64_t>::max());
}

// The nine rows of cells along z that pass next to a cell lie at fixed distances
// from its number, so the first number wanted in each grows with the cell's own: one
// cursor per row walks the sorted cells once for all of them. The box's empty layer
// keeps every row and its ends inside the box; the numbers wrap around as unsigned
// numbers do, and the sums come out right.
void FmNeighbourGrid::linkNeighbourCells() {
  neighbourFirst_.clear();
  neighbourCells_.clear();
  const std::size_t cells = cellCount();
  const auto sy = static_cast<std::uint64_t>(size_.y);
  const auto sz = static_cast<std::uint64_t>(size_.z);
  std::uint64_t rows[9];
  std::size_t cursors[9] = {};
  for (std::uint64_t dx = 0; dx < 3; ++dx) {
    for (std::uint64_t dy = 0; dy < 3; ++dy) rows[dx * 3 + dy] = (dx * sy + dy) * sz;
  }
  const std::uint64_t first = (sy + 1) * sz;
  for (std::size_t cell = 0; cell < cells; ++cell) {
    neighbourFirst_.push_back(static_cast<std::uint32_t>(neighbourCells_.size()));
    const std::uint64_t corner = cellNumbers_[cell] - first;
    for (int row = 0; row < 9; ++row) {
      const std::uint64_t middle = corner + rows[row];
      std::size_t& at = cursors[row];
      while (cellNumbers_[at] < middle - 1) ++at;
      for (std::size_t next = at; cellNumbers_[next] <= middle + 1; ++next) {
        neighbourCells_.push_back(static_cast<std::uint32_t>(next));
      }
    }
  }
  neighbourFirst_.push_back(static_cast<std::uint32_t>(neighbourCells_.size()));
}

void FmNeighbourGrid::appendLaterNeighbours(std::size_t index,
                                            std::vector<std::uint32_t>& out) const {
  if (index >= cellOfPoint_.size() || cellOfPoint_[index] == noCell) return;
  const std::uint32_t cell = cellOfPoint_[index];
  const auto point = static_cast<std::uint32_t>(index);
  for (std::uint32_t k = neighbourFirst_[cell]; k < neighbourFirst_[cell + 1]; ++k) {
    const std::uint32_t neighbour = neighbourCells_[k];
    const auto begin = order_.begin() + cellFirst_[neighbour];
    const auto end = order_.begin() + cellFirst_[neighbour + 1];
    out.insert(out.end(), std::upper_bound(begin, end, point), end);
  }
}
