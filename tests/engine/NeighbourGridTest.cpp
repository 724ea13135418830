#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "FmNeighbourGrid.h"

namespace {

std::vector<std::uint32_t> laterNeighbours(const FmNeighbourGrid& grid, std::size_t index) {
  std::vector<std::uint32_t> found;
  grid.appendLaterNeighbours(index, found);
  std::sort(found.begin(), found.end());
  return found;
}

float farthestAxis(const FmPoint& a, const FmPoint& b) {
  return std::max({std::fabs(a.x - b.x), std::fabs(a.y - b.y), std::fabs(a.z - b.z)});
}

// Clusters and strays, many of them on cell boundaries, near and far from the origin.
std::vector<FmPoint> scatteredPoints(std::uint32_t seed, std::size_t count) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> wide(-40.0f, 40.0f);
  std::uniform_real_distribution<float> narrow(-1.0f, 1.0f);
  std::vector<FmPoint> points;
  for (std::size_t i = 0; i < count; ++i) {
    if (i % 5 == 0) {
      points.push_back({std::round(wide(random)), std::round(wide(random)), 0.0f});
    } else if (i % 5 == 1 && i > 1) {
      points.push_back(points[i - 1] + FmPoint{narrow(random), narrow(random), narrow(random)});
    } else {
      points.push_back({wide(random) + 1e5f, wide(random) * 0.1f, wide(random)});
    }
  }
  return points;
}

TEST(NeighbourGrid, FindsEveryLaterPointWithinTheEdgeOnceAndNoEarlierOne) {
  for (const double edge : {1.0, 2.5, 7.0}) {
    const std::vector<FmPoint> points = scatteredPoints(static_cast<std::uint32_t>(edge * 10), 600);
    FmNeighbourGrid grid;
    grid.build(points, edge);
    std::size_t pairs = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const std::vector<std::uint32_t> found = laterNeighbours(grid, i);
      EXPECT_EQ(std::adjacent_find(found.begin(), found.end()), found.end()) << "a point twice";
      for (const std::uint32_t j : found) EXPECT_GT(j, i);
      for (std::size_t j = i + 1; j < points.size(); ++j) {
        if (farthestAxis(points[i], points[j]) >= static_cast<float>(edge)) continue;
        ++pairs;
        EXPECT_TRUE(std::binary_search(found.begin(), found.end(), j))
            << "edge " << edge << ": " << i << " and " << j;
      }
    }
    EXPECT_GT(pairs, points.size() / 6) << "the points lie close enough to pair";
    EXPECT_GT(grid.cellCount(), 50u);
  }
}

TEST(NeighbourGrid, PointsThatAreNotFiniteAreLeftOut) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<FmPoint> points{
      {0, 0, 0}, {inf, 0, 0}, {0, nan, 0}, {0, 0, -inf}, {0.5f, 0, 0}};
  FmNeighbourGrid grid;
  grid.build(points, 1.0);
  EXPECT_EQ(laterNeighbours(grid, 0), (std::vector<std::uint32_t>{4}));
  for (std::size_t i = 1; i < 4; ++i) EXPECT_TRUE(laterNeighbours(grid, i).empty()) << i;
  EXPECT_TRUE(laterNeighbours(grid, 99).empty());
}

TEST(NeighbourGrid, AnEdgeThatIsNotPositiveFindsNothing) {
  const std::vector<FmPoint> points{{0, 0, 0}, {0, 0, 0}};
  for (const double edge : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
    FmNeighbourGrid grid;
    grid.build(points, edge);
    EXPECT_TRUE(laterNeighbours(grid, 0).empty()) << edge;
    EXPECT_EQ(grid.cellCount(), 0u);
  }
}

// Beyond the range of the cells' coordinates, points share the outermost cells:
// neighbours there are still found, and an edge without end holds everything in one.
TEST(NeighbourGrid, FarPointsAndEndlessEdgesStillFindTheirNeighbours) {
  const std::vector<FmPoint> points{
      {1e12f, 0, 0}, {1e12f + 1e5f, 0.5f, 0}, {-3e38f, 0, 0}, {-3e38f, 0, 0.5f}, {0, 0, 0}};
  FmNeighbourGrid grid;
  grid.build(points, 1.0);
  EXPECT_EQ(laterNeighbours(grid, 0), (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(laterNeighbours(grid, 2), (std::vector<std::uint32_t>{3}));
  EXPECT_TRUE(laterNeighbours(grid, 1).empty());

  grid.build(points, std::numeric_limits<double>::infinity());
  EXPECT_EQ(grid.cellCount(), 1u);
  EXPECT_EQ(laterNeighbours(grid, 0), (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

TEST(NeighbourGrid, ABuildForgetsThePointsOfTheLastOne) {
  FmNeighbourGrid grid;
  grid.build(scatteredPoints(3, 500), 3.0);
  const std::vector<FmPoint> few{{0, 0, 0}, {10, 0, 0}, {0.5f, 0.5f, 0.5f}};
  grid.build(few, 1.0);
  EXPECT_EQ(grid.cellCount(), 2u);
  EXPECT_EQ(laterNeighbours(grid, 0), (std::vector<std::uint32_t>{2}));
  EXPECT_TRUE(laterNeighbours(grid, 1).empty());
  EXPECT_TRUE(laterNeighbours(grid, 3).empty());
}

}  // namespace
