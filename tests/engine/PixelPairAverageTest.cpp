#include "PixelPairAverage.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<std::uint8_t> plainAverages(const std::vector<std::uint8_t>& top,
                                        const std::vector<std::uint8_t>* bottom,
                                        std::size_t count) {
  std::vector<std::uint8_t> out(4 * count);
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t channel = 0; channel < 4; ++channel) {
      int sum = top[8 * i + channel] + top[8 * i + 4 + channel];
      if (bottom) sum += (*bottom)[8 * i + channel] + (*bottom)[8 * i + 4 + channel];
      out[4 * i + channel] = static_cast<std::uint8_t>(sum / (bottom ? 4 : 2));
    }
  }
  return out;
}

std::vector<std::uint8_t> randomRow(std::mt19937& random, std::size_t pixels) {
  std::vector<std::uint8_t> row(4 * pixels);
  for (std::uint8_t& byte : row) byte = static_cast<std::uint8_t>(random());
  return row;
}

}  // namespace

// Counts around the widths that the processor's vectors take at once, so that every
// path and every hand-over between them is met, with extreme bytes as well as random.
TEST(PixelPairAverage, EveryCountOfOneOrTwoRowsMatchesThePlainAverage) {
  std::mt19937 random(5);
  for (std::size_t count = 0; count <= 41; ++count) {
    for (const bool twoRows : {false, true}) {
      std::vector<std::uint8_t> top = randomRow(random, 2 * count);
      std::vector<std::uint8_t> bottom = randomRow(random, 2 * count);
      if (count % 3 == 0) {
        std::fill(top.begin(), top.end(), 255);
        std::fill(bottom.begin(), bottom.end(), 255);
      }
      std::vector<std::uint8_t> out(4 * count + 4, 77);
      averagePixelPairs(top.data(), twoRows ? bottom.data() : nullptr, count, out.data());
      const std::vector<std::uint8_t> expected =
          plainAverages(top, twoRows ? &bottom : nullptr, count);
      EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 4 * count), expected)
          << count << (twoRows ? " pairs of two rows" : " pairs of one row");
      EXPECT_EQ(out[4 * count], 77) << "wrote past " << count << " pixels";
    }
  }
}

TEST(PixelPairAverage, AveragesInPlaceOverTheSourceRow) {
  std::mt19937 random(9);
  for (const std::size_t count : {1u, 7u, 8u, 19u, 256u}) {
    std::vector<std::uint8_t> row = randomRow(random, 2 * count);
    const std::vector<std::uint8_t> below = randomRow(random, 2 * count);
    const std::vector<std::uint8_t> expected = plainAverages(row, &below, count);
    averagePixelPairs(row.data(), below.data(), count, row.data());
    EXPECT_EQ(std::vector<std::uint8_t>(row.begin(), row.begin() + 4 * count), expected) << count;
  }
}
