#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "FmImageWriter.h"
#include "TempFile.h"

namespace {

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // top row first
  const std::uint8_t* at(int x, int y) const { return &rgb[(y * width + x) * 3]; }
};

DecodedImage decodeJpeg(const std::filesystem::path& path) {
  DecodedImage image;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return image;
  jpeg_decompress_struct decoder{};
  jpeg_error_mgr errors{};
  decoder.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&decoder);
  jpeg_stdio_src(&decoder, file);
  jpeg_read_header(&decoder, TRUE);
  jpeg_start_decompress(&decoder);
  image.width = static_cast<int>(decoder.output_width);
  image.height = static_cast<int>(decoder.output_height);
  image.rgb.resize(static_cast<std::size_t>(image.width * image.height * 3));
  while (decoder.output_scanline < decoder.output_height) {
    JSAMPROW row = &image.rgb[decoder.output_scanline * static_cast<std::size_t>(image.width) * 3];
    jpeg_read_scanlines(&decoder, &row, 1);
  }
  jpeg_finish_decompress(&decoder);
  jpeg_destroy_decompress(&decoder);
  std::fclose(file);
  return image;
}

// Rows bottom-up as OpenGL reads them: the lower half blue, the upper half red.
std::vector<std::uint8_t> twoBandPicture(int width, int height) {
  std::vector<std::uint8_t> rgb;
  for (int row = 0; row < height; ++row) {
    const std::uint8_t red = row >= height / 2 ? 250 : 10;
    for (int x = 0; x < width; ++x) rgb.insert(rgb.end(), {red, 40, std::uint8_t(260 - red)});
  }
  return rgb;
}

std::string reportedTitle;

void recordReport(const char* title, const char*) {
  reportedTitle = title;
}

}  // namespace

TEST(ImageWriterTarga, TwoByOnePictureIsFiftyBytesOverALargerOldFile) {
  TempFile path("picture");
  path.write(std::vector<unsigned char>(80, 0xEE));
  const std::vector<std::uint8_t> rgb{1, 2, 3, 4, 5, 6};
  ASSERT_TRUE(FmImageWriter::writeTarga(path.path().string(), rgb, 2, 1));
  std::vector<unsigned char> expected{0,  0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0,
                                      24, 0, 3, 2, 1, 6, 5, 4, 0, 0, 0, 0, 0, 0, 0, 0};
  for (const char c : std::string("TRUEVISION-XFILE.")) expected.push_back(c);
  expected.push_back(0);
  EXPECT_EQ(expected.size(), 50u);
  EXPECT_EQ(path.bytes(), expected);
}

TEST(ImageWriterTarga, RefusesShortBuffersAndSizesItsHeaderCannotHold) {
  TempFile path("refused");
  const std::string name = path.path().string();
  EXPECT_FALSE(FmImageWriter::writeTarga(name, std::vector<std::uint8_t>(6), 2, 2));
  EXPECT_FALSE(FmImageWriter::writeTarga(name, std::vector<std::uint8_t>(3 * 65536), 65536, 1));
  EXPECT_FALSE(std::filesystem::exists(path.path()));
}

TEST(ImageWriterJpeg, DecodesToTheSameSizeTopRowFirstWithCloseColours) {
  TempFile path("shot");
  ASSERT_TRUE(FmImageWriter::writeJpeg(path.path().string(), twoBandPicture(32, 16), 32, 16, 100));
  const DecodedImage image = decodeJpeg(path.path());
  ASSERT_EQ(image.width, 32);
  ASSERT_EQ(image.height, 16);
  const std::uint8_t* top = image.at(3, 2);
  const std::uint8_t* bottom = image.at(28, 13);
  for (int c = 0; c < 3; ++c) {
    EXPECT_NEAR(top[c], (std::vector<int>{250, 40, 10})[c], 6);
    EXPECT_NEAR(bottom[c], (std::vector<int>{10, 40, 250})[c], 6);
  }
}

TEST(ImageWriterJpeg, LibraryErrorsGoToTheReporterAndAbandonTheWrite) {
  TempFile path("empty");
  const auto previous = FmImageWriter::setErrorReporter(recordReport);
  EXPECT_FALSE(FmImageWriter::writeJpeg(path.path().string(), {}, 0, 0, 100));
  EXPECT_EQ(reportedTitle, "JPEG Fatal Error");
  reportedTitle.clear();
  EXPECT_FALSE(FmImageWriter::writeJpeg("/nonexistent-folder/shot", {}, 0, 0, 100));
  EXPECT_EQ(reportedTitle, "");

  FmImageWriter::setErrorReporter(nullptr);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(FmImageWriter::writeJpeg(path.path().string(), {}, 0, 0, 100));
  EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("JPEG Fatal Error: ", 0), 0u);
  FmImageWriter::setErrorReporter(previous);
}

TEST(ImageWriterSave, FormatOneWritesTargaAndOthersJpegUnderTheirExtensions) {
  TempFile path("saved");
  const std::string base = path.path().string();
  ASSERT_TRUE(FmImageWriter::saveImage(base, twoBandPicture(4, 2), 4, 2, 1));
  EXPECT_EQ(std::filesystem::file_size(base + ".tga"), 18u + 24u + 26u);
  ASSERT_TRUE(FmImageWriter::saveImage(base, twoBandPicture(4, 2), 4, 2, 0));
  EXPECT_EQ(decodeJpeg(base + ".jpg").width, 4);
  std::filesystem::remove(base + ".tga");
  std::filesystem::remove(base + ".jpg");
}
