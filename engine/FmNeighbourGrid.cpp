#include "FmNeighbourGrid.h"

#include <algorithm>
#include <cmath>

namespace {

// Cell coordinates are kept in 21 bits each, three to a key; the key with the top
// bit set marks an empty slot and a point left out.
constexpr int coordinateBits = 21;
constexpr std::int64_t coordinateBias = std::int64_t{1} << (coordinateBits - 1);
constexpr std::int64_t coordinateMask = (std::int64_t{1} << coordinateBits) - 1;
constexpr std::uint64_t noKey = std::uint64_t{1} << 63;
constexpr std::uint32_t noCell = 0xFFFFFFFFu;

std::int64_t cellCoordinate(float value, double edge) {
  const double cell = std::floor(static_cast<double>(value) / edge);
  const double highest = static_cast<double>(coordinateBias - 1);
  return static_cast<std::int64_t>(std::clamp(cell, -highest - 1, highest)) + coordinateBias;
}

std::uint64_t packed(std::int64_t x, std::int64_t y, std::int64_t z) {
  return static_cast<std::uint64_t>(x) << (2 * coordinateBits) |
         static_cast<std::uint64_t>(y) << coordinateBits | static_cast<std::uint64_t>(z);
}

bool finite(const FmPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

}  // namespace

std::uint64_t FmNeighbourGrid::keyOf(const FmPoint& point, double edge) const {
  if (!finite(point)) return noKey;
  return packed(cellCoordinate(point.x, edge), cellCoordinate(point.y, edge),
                cellCoordinate(point.z, edge));
}

// Room for twice the points, so that probes stay short, and sixteen bits a point.
void FmNeighbourGrid::prepareSlots(std::size_t points) {
  std::size_t size = 16;
  while (size < 2 * points) size *= 2;
  for (const std::uint32_t slot : occupied_) slots_[slot].key = noKey;
  occupied_.clear();
  if (slots_.size() != size) slots_.assign(size, Cell{noKey, 0, 0});
  slotMask_ = size - 1;
  occupiedBits_.assign(size / 8, 0);
  bitMask_ = size * 8 - 1;
}

std::uint64_t FmNeighbourGrid::hashOf(std::uint64_t key) {
  return (key * 0x9E3779B97F4A7C15ull) >> 20;
}

bool FmNeighbourGrid::mayBeOccupied(std::uint64_t key) const {
  const std::size_t bit = static_cast<std::size_t>(hashOf(key)) & bitMask_;
  return (occupiedBits_[bit >> 6] >> (bit & 63)) & 1;
}

std::size_t FmNeighbourGrid::slotFor(std::uint64_t key) const {
  std::size_t slot = static_cast<std::size_t>(hashOf(key) >> 12) & slotMask_;
  while (slots_[slot].key != noKey && slots_[slot].key != key) slot = (slot + 1) & slotMask_;
  return slot;
}

// Counts the points of each cell, places the cells one after the other and then
// the points in index order, so that every cell lists its points ascending.
void FmNeighbourGrid::build(const std::vector<FmPoint>& points, double edge) {
  prepareSlots(points.size());
  const bool usable = edge > 0 && !std::isnan(edge);
  keys_.assign(points.size(), noKey);
  cellOfPoint_.assign(points.size(), noCell);
  for (std::size_t i = 0; i < points.size() && usable; ++i) {
    const std::uint64_t key = keyOf(points[i], edge);
    if (key == noKey) continue;
    const std::size_t slot = slotFor(key);
    if (slots_[slot].key == noKey) {
      slots_[slot] = Cell{key, 0, 0};
      occupied_.push_back(static_cast<std::uint32_t>(slot));
      const std::size_t bit = static_cast<std::size_t>(hashOf(key)) & bitMask_;
      occupiedBits_[bit >> 6] |= std::uint64_t{1} << (bit & 63);
    }
    ++slots_[slot].count;
    keys_[i] = key;
    cellOfPoint_[i] = static_cast<std::uint32_t>(slot);
  }
  std::uint32_t next = 0;
  for (const std::uint32_t slot : occupied_) {
    slots_[slot].first = next;
    next += slots_[slot].count;
    slots_[slot].count = 0;
  }
  order_.resize(next);
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (cellOfPoint_[i] == noCell) continue;
    Cell& cell = slots_[cellOfPoint_[i]];
    order_[cell.first + cell.count++] = static_cast<std::uint32_t>(i);
  }
}

void FmNeighbourGrid::appendLaterNeighbours(std::size_t index,
                                            std::vector<std::uint32_t>& out) const {
  if (index >= keys_.size() || keys_[index] == noKey) return;
  const std::uint64_t key = keys_[index];
  const auto x = static_cast<std::int64_t>(key >> (2 * coordinateBits));
  const auto y = static_cast<std::int64_t>(key >> coordinateBits) & coordinateMask;
  const auto z = static_cast<std::int64_t>(key) & coordinateMask;
  const auto inside = [](std::int64_t c) { return c >= 0 && c <= coordinateMask; };
  for (std::int64_t dx = -1; dx <= 1; ++dx) {
    if (!inside(x + dx)) continue;
    for (std::int64_t dy = -1; dy <= 1; ++dy) {
      if (!inside(y + dy)) continue;
      for (std::int64_t dz = -1; dz <= 1; ++dz) {
        if (!inside(z + dz)) continue;
        appendLaterIn(packed(x + dx, y + dy, z + dz), static_cast<std::uint32_t>(index), out);
      }
    }
  }
}

void FmNeighbourGrid::appendLaterIn(std::uint64_t key, std::uint32_t index,
                                    std::vector<std::uint32_t>& out) const {
  if (!mayBeOccupied(key)) return;
  const Cell& cell = slots_[slotFor(key)];
  if (cell.key != key) return;
  const auto begin = order_.begin() + cell.first;
  const auto end = begin + cell.count;
  out.insert(out.end(), std::upper_bound(begin, end, index), end);
}
