#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FmPoint.h"

// Points sorted into cubic cells of one edge, so that the points near a point are
// found among the 27 cells around its own: with an edge a little longer than a
// distance, every pair of points within that distance lies in neighbouring cells.
// Cells are hashed, so only occupied ones take room; the storage is kept from one
// build to the next.
class FmNeighbourGrid {
public:
  // Sorts the points into cells of the edge. A point with a coordinate that is not
  // finite is left out; so is every point when the edge is not a positive number.
  // Coordinates far beyond a million cells from the origin share the outermost
  // cells, which only makes those cells fuller.
  void build(const std::vector<FmPoint>& points, double edge);
  // Appends the points after the index (by their index) that lie in the cells
  // around its own, in no particular order; nothing for a point left out.
  void appendLaterNeighbours(std::size_t index, std::vector<std::uint32_t>& out) const;
  // The number of occupied cells of the last build.
  std::size_t cellCount() const { return occupied_.size(); }

private:
  struct Cell {
    std::uint64_t key;
    std::uint32_t first;
    std::uint32_t count;
  };

  std::uint64_t keyOf(const FmPoint& point, double edge) const;
  std::size_t slotFor(std::uint64_t key) const;
  static std::uint64_t hashOf(std::uint64_t key);
  bool mayBeOccupied(std::uint64_t key) const;
  void prepareSlots(std::size_t points);
  void appendLaterIn(std::uint64_t key, std::uint32_t index, std::vector<std::uint32_t>& out) const;

  std::vector<Cell> slots_;
  // One bit per hashed key, set for every occupied cell: most cells around a point
  // are empty, and this small table says so without touching the slots.
  std::vector<std::uint64_t> occupiedBits_;
  std::vector<std::uint32_t> occupied_;
  std::vector<std::uint64_t> keys_;
  std::vector<std::uint32_t> cellOfPoint_;
  std::vector<std::uint32_t> order_;
  std::size_t slotMask_ = 0;
  std::size_t bitMask_ = 0;
};
