#include "FmImageWriter.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "RWBinaryFile.h"

namespace {

constexpr std::size_t rgbBytesPerPixel = 3;
constexpr int largestTargaSide = 0xFFFF;
constexpr std::uint8_t targaTrueColour = 2;
constexpr std::uint8_t targaPixelDepth = 24;
constexpr char targaSignature[] = "TRUEVISION-XFILE.";  // its NUL ends the footer

void printError(const char* title, const char* text) {
  std::fprintf(stderr, "%s: %s\n", title, text);
}

std::atomic<FmImageWriter::ErrorReporter> reporter{printError};

// A picture cut short is no picture: the part written goes, and errno keeps the reason
// the write failed.
void removePart(const std::string& fileName) {
  const int reason = errno;
  std::remove(fileName.c_str());
  errno = reason;
}

bool holdsImage(std::span<const std::uint8_t> rgb, int width, int height) {
  if (width < 0 || height < 0) return false;
  const std::uint64_t needed =
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * rgbBytesPerPixel;
  return needed <= rgb.size();
}

std::array<std::uint8_t, 18> targaHeader(int width, int height) {
  const auto low = [](int value) { return static_cast<std::uint8_t>(value & 0xFF); };
  const auto high = [](int value) { return static_cast<std::uint8_t>(value >> 8); };
  return {0,
          0,
          targaTrueColour,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          low(width),
          high(width),
          low(height),
          high(height),
          targaPixelDepth,
          0};
}

std::vector<std::uint8_t> bgrPixels(std::span<const std::uint8_t> rgb, std::size_t pixelCount) {
  std::vector<std::uint8_t> bgr(pixelCount * rgbBytesPerPixel);
  for (std::size_t i = 0; i < bgr.size(); i += rgbBytesPerPixel) {
    bgr[i] = rgb[i + 2];
    bgr[i + 1] = rgb[i + 1];
    bgr[i + 2] = rgb[i];
  }
  return bgr;
}

// Everything that must outlive a jump out of libjpeg lives here, outside the
// function that sets the jump target.
struct JpegWrite {
  jpeg_compress_struct compressor{};
  jpeg_error_mgr errors{};
  std::jmp_buf abandon{};
};

[[noreturn]] void abandonJpegWrite(j_common_ptr common) {
  char message[JMSG_LENGTH_MAX];
  (*common->err->format_message)(common, message);
  FmImageWriter::errorReporter()(FmImageWriter::jpegErrorTitle, message);
  std::longjmp(static_cast<JpegWrite*>(common->client_data)->abandon, 1);
}

// Holds no object with a destructor, so that the jump from abandonJpegWrite
// skips nothing that needed running.
bool compressRows(JpegWrite& write, std::FILE* file, const std::uint8_t* rgb, int width, int height,
                  int quality) {
  jpeg_compress_struct& compressor = write.compressor;
  compressor.err = jpeg_std_error(&write.errors);
  write.errors.error_exit = abandonJpegWrite;
  compressor.client_data = &write;
  if (setjmp(write.abandon)) {
    jpeg_destroy_compress(&compressor);
    return false;
  }
  jpeg_create_compress(&compressor);
  jpeg_stdio_dest(&compressor, file);
  compressor.image_width = static_cast<JDIMENSION>(width);
  compressor.image_height = static_cast<JDIMENSION>(height);
  compressor.input_components = static_cast<int>(rgbBytesPerPixel);
  compressor.in_color_space = JCS_RGB;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, quality, TRUE);
  jpeg_start_compress(&compressor, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * rgbBytesPerPixel;
  while (compressor.next_scanline < compressor.image_height) {
    // The buffer's rows run bottom-up; the file's run top-down.
    const std::size_t row = compressor.image_height - 1 - compressor.next_scanline;
    JSAMPROW rows[1] = {const_cast<JSAMPLE*>(rgb + row * stride)};
    jpeg_write_scanlines(&compressor, rows, 1);
  }
  jpeg_finish_compress(&compressor);
  jpeg_destroy_compress(&compressor);
  return true;
}

}  // namespace

bool FmImageWriter::saveImage(const std::string& baseName, std::span<const std::uint8_t> rgb,
                              int width, int height, int format) {
  if (format == targaFormat) return writeTarga(baseName + ".tga", rgb, width, height);
  return writeJpeg(baseName + ".jpg", rgb, width, height, jpegQuality);
}

bool FmImageWriter::writeTarga(const std::string& fileName, std::span<const std::uint8_t> rgb,
                               int width, int height) {
  if (width < 1 || height < 1 || width > largestTargaSide || height > largestTargaSide) {
    return false;
  }
  if (!holdsImage(rgb, width, height)) return false;
  // "wb" rather than writing over an existing file in place, which would leave
  // the tail of a larger earlier picture behind the new footer.
  bool written = false;
  {
    RWBinaryFile file(fileName.c_str(), "wb");
    if (!file.isValid()) return false;
    const auto header = targaHeader(width, height);
    const auto pixels =
        bgrPixels(rgb, static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const std::array<std::uint32_t, 2> noOffsets{0, 0};
    written = file.write(header.data(), header.size()) &&
              file.write(pixels.data(), pixels.size()) &&
              file.write(noOffsets.data(), noOffsets.size()) &&
              file.write(targaSignature, sizeof targaSignature) && file.flush();
  }
  if (!written) removePart(fileName);
  return written;
}

bool FmImageWriter::writeJpeg(const std::string& fileName, std::span<const std::uint8_t> rgb,
                              int width, int height, int quality) {
  if (!holdsImage(rgb, width, height)) return false;
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  if (!file) return false;
  JpegWrite write;
  const bool written = compressRows(write, file, rgb.data(), width, height, quality);
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) removePart(fileName);
  return written && closed;
}

FmImageWriter::ErrorReporter FmImageWriter::setErrorReporter(ErrorReporter replacement) {
  return reporter.exchange(replacement ? replacement : printError);
}

FmImageWriter::ErrorReporter FmImageWriter::errorReporter() {
  return reporter.load();
}
