#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ImageFile.h"
#include "TempFile.h"

namespace {

// Two rows of three pixels as OpenGL reads them: the bottom row (red, green, blue)
// first, then the top row (white, black, grey).
const std::vector<std::uint8_t> bottomUp{255, 0,   0,   0, 255, 0, 0,   0,   255,
                                         255, 255, 255, 0, 0,   0, 128, 128, 128};

std::vector<std::uint8_t> pixel(const DecodedImage& image, int x, int y) {
  const auto at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                   static_cast<std::size_t>(x)) *
                  4;
  return {image.rgba.begin() + static_cast<std::ptrdiff_t>(at),
          image.rgba.begin() + static_cast<std::ptrdiff_t>(at) + 4};
}

}  // namespace

TEST(ImageFile, APngWrittenFromAFrameBufferReadsBackTopRowFirst) {
  TempFile png("pixels.png");
  std::string problem;
  ASSERT_TRUE(ImageFile::writePng(png.c_str(), bottomUp, 3, 2, problem)) << problem;
  const auto image = ImageFile::decodeFile(png.c_str(), problem);
  ASSERT_TRUE(image) << problem;
  EXPECT_EQ(image->width, 3);
  EXPECT_EQ(image->height, 2);
  EXPECT_EQ(pixel(*image, 0, 0), (std::vector<std::uint8_t>{255, 255, 255, 255}));
  EXPECT_EQ(pixel(*image, 2, 0), (std::vector<std::uint8_t>{128, 128, 128, 255}));
  EXPECT_EQ(pixel(*image, 0, 1), (std::vector<std::uint8_t>{255, 0, 0, 255}));
  EXPECT_EQ(pixel(*image, 2, 1), (std::vector<std::uint8_t>{0, 0, 255, 255}));

  const auto bytes = png.bytes();
  const auto fromMemory = ImageFile::decodeBytes(bytes, problem);
  ASSERT_TRUE(fromMemory) << problem;
  EXPECT_EQ(fromMemory->rgba, image->rgba);
}

TEST(ImageFile, RefusesPicturesThatItCannotWriteOrRead) {
  TempFile png("refused.png");
  std::string problem;
  EXPECT_FALSE(ImageFile::writePng(png.c_str(), bottomUp, 3, 3, problem));
  EXPECT_NE(problem.find("smaller"), std::string::npos) << problem;
  EXPECT_FALSE(ImageFile::writePng(png.c_str(), bottomUp, 0, 2, problem));
  EXPECT_FALSE(std::filesystem::exists(png.path()));
  problem.clear();
  EXPECT_FALSE(ImageFile::writePng((png.path() / "inside.png").string(), bottomUp, 3, 2, problem));
  EXPECT_FALSE(problem.empty());

  problem.clear();
  EXPECT_FALSE(ImageFile::decodeFile(png.c_str(), problem));
  EXPECT_FALSE(problem.empty());
  problem.clear();
  const std::vector<std::uint8_t> junk{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  EXPECT_FALSE(ImageFile::decodeBytes(junk, problem));
  EXPECT_FALSE(problem.empty());
  EXPECT_FALSE(ImageFile::decodeBytes({}, problem));
}
