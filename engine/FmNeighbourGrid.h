#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FmPoint.h"

// Points sorted into cubic cells of one edge, so that the points near a point are
// found among the 27 cells around its own: with an edge a little longer than a
// distance, every pair of points within that distance lies in neighbouring cells.
// Only occupied cells take room: the cells are numbered within the box around the
// points, the points sorted by cell number, and each cell's occupied neighbours
// found in one sweep over the sorted cells, so a build takes time linear in the
// number of points however far apart they lie. The storage is kept from one build
// to the next.
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
  std::size_t cellCount() const { return cellFirst_.empty() ? 0 : cellFirst_.size() - 1; }

private:
  struct CellCorner {
    std::int32_t x;
    std::int32_t y;
    std::int32_t z;
  };

  void placePoints(const std::vector<FmPoint>& points, double edge);
  void numberCells();
  void sortByCell();
  void gatherCells();
  void linkNeighbourCells();

  // Per point of the last build: its cell's coordinates and number, and the index of
  // its occupied cell (noCell for a point left out).
  std::vector<CellCorner> corners_;
  std::vector<std::uint64_t> numbers_;
  std::vector<std::uint32_t> cellOfPoint_;
  // The points left in, by cell number and within a cell by index.
  std::vector<std::uint32_t> order_;
  std::vector<std::uint64_t> sortedNumbers_;
  // The occupied cells by number (one more number ends the list): the first of their
  // points in order_ (one more entry closes the last cell), and the occupied cells
  // around each, itself included.
  std::vector<std::uint64_t> cellNumbers_;
  std::vector<std::uint32_t> cellFirst_;
  std::vector<std::uint32_t> neighbourFirst_;
  std::vector<std::uint32_t> neighbourCells_;
  // The sort's second buffers and digit counts.
  std::vector<std::uint32_t> spareOrder_;
  std::vector<std::uint64_t> spareNumbers_;
  std::vector<std::uint32_t> digitCounts_;
  CellCorner lowest_{};
  CellCorner size_{};
};
