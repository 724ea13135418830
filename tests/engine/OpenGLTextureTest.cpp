#include <gtest/gtest.h>

#include <random>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "FmOpenGLTexture.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "TempFile.h"

namespace {

constexpr std::uint32_t sentinel = 0xC0FFEE;

// Channel c of pixel (x, y) is x * 40 + y * 10 + c.
FmOpenGLTexture rampTexture(int width, int height, std::int32_t hasAlpha) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 4; ++c) pixels.push_back(static_cast<std::uint8_t>(x * 40 + y * 10 + c));
    }
  }
  FmOpenGLTexture texture("sky");
  texture.setSecondName("second");
  texture.setStoredValue(7);
  texture.setHasAlpha(hasAlpha);
  texture.setKeyTime(0.5f);
  EXPECT_TRUE(texture.setImage(width, height, pixels));
  return texture;
}

std::vector<std::uint8_t> pixelsOf(const FmOpenGLTexture& texture) {
  return {texture.pixels(), texture.pixels() + texture.pixelBytes()};
}

// Writes the texture and reads the file back into a texture the factory makes.
std::unique_ptr<FmOpenGLTexture> roundTrip(const TempFile& path, const FmOpenGLTexture& texture) {
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &texture);
  }
  EXPECT_EQ(path.bytes().size(), recursiveStoreSize(&texture));
  RWBinaryFile file(path.c_str(), "rb");
  std::unique_ptr<RWCollectable> object(readObject(file));
  if (!dynamic_cast<FmOpenGLTexture*>(object.get())) return nullptr;
  return std::unique_ptr<FmOpenGLTexture>(static_cast<FmOpenGLTexture*>(object.release()));
}

// A top-level texture record up to and including its data size.
RecordBytes textureRecord(std::uint32_t version, std::uint32_t hasAlpha, std::uint32_t width,
                          std::uint32_t height, std::uint32_t dataSize) {
  RecordBytes record;
  record.u32(0x8888).u16(FmOpenGLTexture::id).u32(version).text("sky").text("").u32(7);
  return record.u32(hasAlpha).u32(width).u32(height).f32(0.5f).u32(dataSize);
}

// Reads the file into an existing texture and gives the 32-bit value after the record.
std::uint32_t readInto(const TempFile& path, FmOpenGLTexture& texture) {
  RWBinaryFile file(path.c_str(), "rb");
  readObject(file, &texture);
  std::uint32_t next = 0;
  file.read(next);
  return next;
}

}  // namespace

TEST(OpenGLTextureRecord, RoundTripKeepsEveryStoredField) {
  TempFile path("texture");
  const FmOpenGLTexture original = rampTexture(3, 2, 1);
  const auto read = roundTrip(path, original);
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->equals(&original));
  EXPECT_EQ(read->secondName(), "second");
  EXPECT_EQ(read->storedValue(), 7);
  EXPECT_EQ(read->hasAlpha(), 1);
  EXPECT_EQ(read->width(), 3);
  EXPECT_EQ(read->height(), 2);
  EXPECT_EQ(pixelsOf(*read), pixelsOf(original));
}

TEST(OpenGLTextureRecord, WithoutAlphaStoresTriplesAndReadsAlphaOne) {
  TempFile path("rgb");
  const auto read = roundTrip(path, rampTexture(2, 1, 0));
  RecordBytes expected;
  expected.u32(0x8888).u16(1128).u32(111).text("sky").text("second").u32(7).u32(0).u32(2).u32(1);
  expected.f32(0.5f).u32(8).raw({0, 1, 2, 40, 41, 42});
  EXPECT_EQ(path.bytes(), expected.bytes());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(pixelsOf(*read), (std::vector<std::uint8_t>{0, 1, 2, 1, 40, 41, 42, 1}));
}

TEST(OpenGLTextureRecord, OlderVersionsStoreFourBytesAndUnknownOnesStopAfterTheVersion) {
  for (const std::uint32_t version : {100u, 110u}) {
    TempFile path("old");
    path.write(
        textureRecord(version, 0, 2, 1, 8).raw({1, 2, 3, 4, 5, 6, 7, 8}).u32(sentinel).bytes());
    FmOpenGLTexture texture;
    EXPECT_EQ(readInto(path, texture), sentinel) << version;
    EXPECT_EQ(pixelsOf(texture), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  }
  TempFile path("unknown");
  path.write(RecordBytes().u32(0x8888).u16(1128).u32(112).u32(sentinel).bytes());
  FmOpenGLTexture texture = rampTexture(2, 2, 1);
  EXPECT_EQ(readInto(path, texture), sentinel);
  EXPECT_EQ(texture.name(), "");
  EXPECT_FALSE(texture.hasPixels());
}

TEST(OpenGLTextureRecord, DataSizeDisagreeingWithWidthAndHeightIsRefused) {
  struct Case {
    std::uint32_t width, height, dataSize;
  };
  // 65537 x 65536 x 4 wraps to 262144 in 32 bits; 0xFFFFFFFE is a width of -2.
  for (const Case& c : {Case{2, 1, 12}, Case{65537, 65536, 262144}, Case{0xFFFFFFFE, 1, 8}}) {
    TempFile path("mismatch");
    path.write(textureRecord(111, 1, c.width, c.height, c.dataSize)
                   .raw(std::vector<std::uint8_t>(12))
                   .bytes());
    FmOpenGLTexture texture;
    EXPECT_THROW(readInto(path, texture), RWExternalErr) << c.width << " x " << c.height;
    EXPECT_FALSE(texture.hasPixels());
  }
}

TEST(OpenGLTextureRecord, PixelsBeyondTheEndOfTheFileAreNotRead) {
  TempFile path("short");
  path.write(textureRecord(111, 1, 30000, 30000, 3600000000u).raw({1, 2, 3, 4}).bytes());
  FmOpenGLTexture texture;
  RWBinaryFile file(path.c_str(), "rb");
  readObject(file, &texture);
  EXPECT_FALSE(texture.hasPixels());
  EXPECT_TRUE(file.eof());
}

TEST(OpenGLTextureRecord, TextureWhosePixelsWereReleasedStoresNone) {
  TempFile path("bare");
  FmOpenGLTexture original = rampTexture(4, 4, 1);
  original.releasePixels();
  const auto read = roundTrip(path, original);
  const auto bytes = path.bytes();
  EXPECT_EQ(std::vector<unsigned char>(bytes.end() - 4, bytes.end()),
            std::vector<unsigned char>(4, 0));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->width(), 4);
  EXPECT_FALSE(read->hasPixels());
}

TEST(OpenGLTextureResample, FourByFourToTwoByTwo) {
  FmOpenGLTexture texture = rampTexture(4, 4, 1);
  texture.resample(2, 2);
  ASSERT_EQ(texture.width(), 2);
  ASSERT_EQ(texture.height(), 2);
  ASSERT_EQ(texture.pixelBytes(), 16u);
  // Output column 0 averages columns 0-1 (20), column 1 is column 3 alone (120);
  // rows likewise: rows 0-1 give 5, row 3 gives 30.
  const int expected[2][2] = {{20 + 5, 120 + 5}, {20 + 30, 120 + 30}};
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(texture.pixels()[i], expected[i / 8][i / 4 % 2] + i % 4) << i;
}

TEST(OpenGLTextureResample, TwoByOneToOneByOneAveragesBothPixels) {
  FmOpenGLTexture texture;
  ASSERT_TRUE(texture.setImage(2, 1, {10, 20, 30, 40, 21, 41, 61, 81}));
  texture.resample(1, 1);
  EXPECT_EQ(pixelsOf(texture), (std::vector<std::uint8_t>{15, 30, 45, 60}));
}

TEST(OpenGLTextureResample, HalvingFrom256By64ReachesOneByOneAtTheNinthLevel) {
  FmOpenGLTexture texture;
  ASSERT_TRUE(texture.setImage(256, 64, std::vector<std::uint8_t>(256 * 64 * 4, 9)));
  int levels = 1;
  for (; texture.width() > 1 || texture.height() > 1; ++levels) {
    texture.resample(std::max(1, texture.width() / 2), std::max(1, texture.height() / 2));
    ASSERT_EQ(texture.pixelBytes(), 4u * texture.width() * texture.height());
  }
  EXPECT_EQ(levels, 9);
  EXPECT_EQ(texture.pixels()[0], 9);
}

// Every output pixel averages the source pixels at the truncated scaled position and
// the next one in each direction, within the image; (w - 1) / (target - 1) scales.
std::vector<std::uint8_t> referenceResample(const std::vector<std::uint8_t>& source, int width,
                                            int height, int w, int h) {
  const auto scale = [](int from, int to) {
    const auto span = static_cast<float>(from - 1);
    return to >= 2 ? span / static_cast<float>(to - 1) : span;
  };
  const float sx = scale(width, w), sy = scale(height, h);
  std::vector<std::uint8_t> out;
  for (int j = 0; j < h; ++j) {
    const int y0 = std::min(static_cast<int>(static_cast<float>(j) * sy), height - 1);
    const int y1 = std::min(y0 + 1, height - 1);
    for (int k = 0; k < w; ++k) {
      const int x0 = std::min(static_cast<int>(static_cast<float>(k) * sx), width - 1);
      const int x1 = std::min(x0 + 1, width - 1);
      for (int channel = 0; channel < 4; ++channel) {
        int sum = 0, count = 0;
        for (int y = y0; y <= y1; ++y) {
          for (int x = x0; x <= x1; ++x, ++count) sum += source[(y * width + x) * 4 + channel];
        }
        out.push_back(static_cast<std::uint8_t>(sum / count));
      }
    }
  }
  return out;
}

TEST(OpenGLTextureResample, EverySizeMatchesThePlainAverage) {
  std::mt19937 random(11);
  const struct {
    int width, height, w, h;
  } cases[] = {{512, 512, 256, 256}, {7, 5, 3, 2},         {1, 9, 1, 4}, {3, 2, 8, 5},
               {2, 2, 1, 1},         {64, 1, 32, 1},       {5, 5, 5, 5}, {33, 17, 16, 8},
               {1024, 3, 512, 1},    {300, 200, 150, 100}, {2, 9, 1, 4}, {257, 129, 128, 64},
               {40, 40, 13, 7},      {16, 16, 16, 8},      {1, 1, 1, 1}, {9, 3, 4, 1}};
  for (const auto& c : cases) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(c.width) * c.height * 4);
    for (std::uint8_t& byte : pixels) byte = static_cast<std::uint8_t>(random());
    FmOpenGLTexture texture("random");
    ASSERT_TRUE(texture.setImage(c.width, c.height, pixels));
    texture.resample(c.w, c.h);
    ASSERT_EQ(texture.width(), c.w);
    ASSERT_EQ(texture.height(), c.h);
    const std::vector<std::uint8_t> got(texture.pixels(), texture.pixels() + texture.pixelBytes());
    EXPECT_EQ(got, referenceResample(pixels, c.width, c.height, c.w, c.h))
        << c.width << "x" << c.height << " to " << c.w << "x" << c.h;
  }
}

TEST(OpenGLTextureResample, EveryLevelOfAMipmapChainMatchesThePlainAverage) {
  std::mt19937 random(23);
  for (const auto& [width, height] : {std::pair{512, 256}, {640, 480}, {3, 1000}, {129, 65}}) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    for (std::uint8_t& byte : pixels) byte = static_cast<std::uint8_t>(random());
    FmOpenGLTexture texture("chain");
    ASSERT_TRUE(texture.setImage(width, height, pixels));
    while (texture.width() > 1 || texture.height() > 1) {
      const int w = std::max(1, texture.width() / 2), h = std::max(1, texture.height() / 2);
      pixels = referenceResample(pixels, texture.width(), texture.height(), w, h);
      texture.resample(w, h);
      const std::vector<std::uint8_t> got(texture.pixels(),
                                          texture.pixels() + texture.pixelBytes());
      ASSERT_EQ(got, pixels) << width << "x" << height << " at " << w << "x" << h;
    }
  }
}

TEST(OpenGLTextureResample, UnusableSizesChangeNothingAndABareTextureTakesTheSize) {
  FmOpenGLTexture texture = rampTexture(4, 4, 1);
  for (const auto& [w, h] : {std::pair{0, 2}, std::pair{-1, 1}, std::pair{70000, 70000}}) {
    texture.resample(w, h);
    EXPECT_EQ(texture.pixelBytes(), 64u);
  }
  EXPECT_FALSE(texture.setImage(2, 2, std::vector<std::uint8_t>(15)));
  EXPECT_EQ(texture.width(), 4);
  texture.releasePixels();
  texture.resample(2, 1);
  EXPECT_EQ(texture.width(), 2);
  EXPECT_EQ(texture.height(), 1);
}

TEST(OpenGLTextureOrder, CompareByHundredthsThenEqualityThenName) {
  FmOpenGLTexture early("a"), late("a"), twin("a"), other("b");
  early.setKeyTime(0.5f);
  late.setKeyTime(1.0f);
  twin.setKeyTime(0.5f);
  other.setKeyTime(0.5f);
  EXPECT_EQ(early.compare(&early), 0);
  EXPECT_EQ(late.compare(&early), 50);
  EXPECT_EQ(early.compare(&late), -50);
  EXPECT_TRUE(early.equals(&twin));
  EXPECT_EQ(early.compare(&twin), 0);
  EXPECT_FALSE(early.equals(&other));
  EXPECT_LT(early.compare(&other), 0);
  EXPECT_GT(other.compare(&early), 0);
  late.setKeyTime(1e30f);
  EXPECT_EQ(late.compare(&early), INT_MAX);
  const RWCollectable plain;
  EXPECT_FALSE(early.equals(&plain));
}
