#pragma once

#include <cstdint>
#include <span>
#include <string>

// Writes screenshots: 24-bit RGB pixels, 3 bytes each, rows from the bottom row
// of the picture upward as OpenGL reads a frame buffer. A buffer that holds fewer
// than width x height x 3 bytes is refused and nothing is written.
class FmImageWriter {
public:
  static constexpr int targaFormat = 1;
  static constexpr int jpegQuality = 100;
  static constexpr const char* jpegErrorTitle = "JPEG Fatal Error";

  // Shows a fatal error to the user; the application installs the platform's
  // message box.
  using ErrorReporter = void (*)(const char* title, const char* text);

  // Appends ".tga" and writes a Targa file for format 1, or appends ".jpg" and
  // writes a JPEG file of quality 100 for any other format. True after a complete
  // write.
  static bool saveImage(const std::string& baseName, std::span<const std::uint8_t> rgb, int width,
                        int height, int format);
  // An uncompressed 24-bit Targa file (version 2 footer) with bottom-up rows.
  // Refuses sizes outside 1 to 65535, which its header cannot hold.
  static bool writeTarga(const std::string& fileName, std::span<const std::uint8_t> rgb, int width,
                         int height);
  // A baseline JPEG file, top row first. A libjpeg error is shown through the
  // error reporter under jpegErrorTitle and abandons the write (false).
  static bool writeJpeg(const std::string& fileName, std::span<const std::uint8_t> rgb, int width,
                        int height, int quality);

  // Installs the reporter of JPEG errors, nil restoring the default one, which
  // prints "title: text" on standard error. Returns the previous reporter.
  static ErrorReporter setErrorReporter(ErrorReporter reporter);
  static ErrorReporter errorReporter();
};
