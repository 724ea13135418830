#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "GameIcon.h"

namespace {

using Pixel = std::array<int, 4>;

Pixel pixelAt(const GameIcon::Image& image, double x, double y) {
  const int column = static_cast<int>(x * image.width);
  const int row = static_cast<int>(y * image.height);
  const std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(row) * image.width + column) * 4];
  return {p[0], p[1], p[2], p[3]};
}

int largestDifference(const Pixel& a, const Pixel& b) {
  int largest = 0;
  for (std::size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

}  // namespace

TEST(GameIcon, HasTheAskedSizeWithFourBytesAPixel) {
  for (int size : {1, 16, 48, GameIcon::windowSize, 256}) {
    const GameIcon::Image icon = GameIcon::draw(size);
    EXPECT_EQ(icon.width, size);
    EXPECT_EQ(icon.height, size);
    EXPECT_EQ(icon.rgba.size(), static_cast<std::size_t>(size) * size * 4);
  }
  EXPECT_EQ(GameIcon::draw(0).width, 1);
  EXPECT_EQ(GameIcon::draw(-5).rgba.size(), 4u);
}

TEST(GameIcon, ARoundedSquareWithClearCornersAndSoftEdges) {
  const GameIcon::Image icon = GameIcon::draw(64);
  EXPECT_EQ(pixelAt(icon, 0.0, 0.0)[3], 0);
  EXPECT_EQ(pixelAt(icon, 0.99, 0.99)[3], 0);
  EXPECT_EQ(pixelAt(icon, 0.06, 0.06)[3], 0);  // cut off by the rounded corner
  EXPECT_EQ(pixelAt(icon, 0.5, 0.5)[3], 255);
  EXPECT_EQ(pixelAt(icon, 0.06, 0.5)[3], 255);
  std::set<int> alphas;
  for (std::size_t i = 3; i < icon.rgba.size(); i += 4) alphas.insert(icon.rgba[i]);
  EXPECT_GT(alphas.size(), 4u) << "the outline is smoothed, not cut out";
}

TEST(GameIcon, ShowsTheCraftItsFlameTheCreaturesSkyAndSea) {
  const GameIcon::Image icon = GameIcon::draw(256);
  const Pixel craft = pixelAt(icon, 0.55, 0.40);
  EXPECT_GT(craft[0], 200);
  EXPECT_GT(craft[2], 200);
  const Pixel flame = pixelAt(icon, 0.38, 0.62);
  EXPECT_GT(flame[0], 200);
  EXPECT_LT(flame[2], 100);
  const Pixel creature = pixelAt(icon, 0.34, 0.15);
  EXPECT_LT(creature[0] + creature[1] + creature[2], 150);
  const Pixel sky = pixelAt(icon, 0.80, 0.50);
  EXPECT_GT(sky[2], sky[0] + 60);
  const Pixel sea = pixelAt(icon, 0.20, 0.90);
  EXPECT_LT(sea[2], sky[2]);
  EXPECT_GT(sea[2], sea[0]);
}

TEST(GameIcon, EverySizeShowsTheSamePicture) {
  const GameIcon::Image small = GameIcon::draw(32);
  const GameIcon::Image large = GameIcon::draw(256);
  // Pixel centres of the small icon away from any edge of the picture's parts.
  for (const auto& [x, y] : {std::pair{0.55, 0.40}, {0.80, 0.50}, {0.20, 0.90}, {0.5, 0.06}}) {
    const double cx = (static_cast<int>(x * 32) + 0.5) / 32;
    const double cy = (static_cast<int>(y * 32) + 0.5) / 32;
    EXPECT_LE(largestDifference(pixelAt(small, cx, cy), pixelAt(large, cx, cy)), 24)
        << "at " << x << ", " << y;
  }
}
