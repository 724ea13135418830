#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FmGLEngine.h"
#include "FmImageWriter.h"

namespace {

constexpr std::uint64_t rgbBytesPerPixel = 3;
constexpr const char* failureTitle = "Screenshot";

// Computed in 64 bits; 0 unless both sides are positive.
std::uint64_t captureBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * rgbBytesPerPixel;
}

std::string shotName(const std::string& directory, int counter) {
  char number[32];
  std::snprintf(number, sizeof number, "scrn%04i", counter);
  return directory + number;
}

const char* extensionOf(int mode) {
  return mode == FmImageWriter::targaFormat ? ".tga" : ".jpg";
}

std::string reasonOf(int error) {
  return error != 0 ? std::string(": ") + std::strerror(error) : std::string();
}

void reportUnwritten(const std::string& baseName, int mode, int error) {
  const std::string fileName = baseName + extensionOf(mode);
  const std::string text = mode == FmGLEngine::recordingMode
                               ? "Recording stopped: can't write " + fileName + reasonOf(error)
                               : "Can't write the screenshot " + fileName + reasonOf(error);
  FmImageWriter::errorReporter()(failureTitle, text.c_str());
}

}  // namespace

void FmGLEngine::beginCapture(const std::string& directory, int mode) {
  if (captureBuffer_.empty()) captureBuffer_.resize(captureBytes(width_, height_));
  snapshotDirectory_ = directory;
  snapshotCounter_ = 0;
  snapshotMode_ = mode;
  capturing_ = true;
  setCaptureActive(true);
}

bool FmGLEngine::captureFrame() {
  const std::uint64_t bytes = captureBytes(width_, height_);
  if (!capturing_ || bytes == 0) return false;
  // The viewport may have changed size since the capture began.
  if (captureBuffer_.size() != bytes) captureBuffer_.assign(bytes, 0);
  if (snapshotMode_ == recordingMode) skipNumbersTaken();
  gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
  gl.glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, captureBuffer_.data());
  if (snapshotMode_ == keepMode) return true;
  const std::string baseName = shotName(snapshotDirectory_, snapshotCounter_);
  ++snapshotCounter_;
  errno = 0;
  if (FmImageWriter::saveImage(baseName, captureBuffer_, width_, height_, snapshotMode_)) {
    return true;
  }
  const int error = errno;
  // A recording that can't write one frame can't write the next either: it stops at the
  // first, so that the player hears of it once.
  const int mode = snapshotMode_;
  if (mode == recordingMode) {
    endCapture();
    accountPause();
  }
  reportUnwritten(baseName, mode, error);
  return false;
}

void FmGLEngine::endCapture() {
  std::vector<std::uint8_t>().swap(captureBuffer_);
  numbersTaken_.clear();
  snapshotCounter_ = 0;
  capturing_ = false;
  setCaptureActive(false);
}

bool FmGLEngine::takeSnapshot(const std::string& directory) {
  // A shot taken while recording leaves the recording running as it was: its files,
  // its numbering and its time, which the recording already keeps out of the game.
  const bool wasRecording = recording();
  const std::string recordingDirectory = snapshotDirectory_;
  const int recordingCounter = snapshotCounter_;
  if (!wasRecording) accountPause();
  beginCapture(directory, singleShotMode);
  skipTakenNumbers();
  renderFrame();
  const bool written = captureFrame();
  swapBuffers();
  if (wasRecording) {
    snapshotDirectory_ = recordingDirectory;
    snapshotCounter_ = recordingCounter;
    snapshotMode_ = recordingMode;
    return written;
  }
  endCapture();
  accountPause();
  return written;
}

void FmGLEngine::toggleRecording(const std::string& directory) {
  if (recording()) {
    endCapture();
    accountPause();
    return;
  }
  accountPause();
  beginCapture(directory, recordingMode);
  findNumbersTaken();
}

// The player's earlier screenshots are kept: the next file takes the first number
// that no file of the capture's kind has yet.
void FmGLEngine::skipTakenNumbers() {
  std::error_code ignored;
  while (std::filesystem::exists(
      shotName(snapshotDirectory_, snapshotCounter_) + extensionOf(snapshotMode_), ignored)) {
    ++snapshotCounter_;
  }
}

// The capture's directory may end in the start of a file name ("shots/take-").
void FmGLEngine::findNumbersTaken() {
  numbersTaken_.clear();
  const std::size_t slash = snapshotDirectory_.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string(".") : snapshotDirectory_.substr(0, slash + 1);
  const std::string start = snapshotDirectory_.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::string extension = extensionOf(snapshotMode_);
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    const std::size_t digits = start.size() + 4;
    if (name.size() <= digits + extension.size() || name.compare(0, start.size(), start) != 0 ||
        !name.ends_with(extension)) {
      continue;
    }
    const std::string number = name.substr(digits, name.size() - digits - extension.size());
    if (number.empty() || number.size() > 9 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    const int taken = std::stoi(number);
    // Only the name that the counter makes for the number is taken by it.
    if (shotName(start, taken) + extension == name) numbersTaken_.push_back(taken);
  }
  std::sort(numbersTaken_.begin(), numbersTaken_.end());
}

void FmGLEngine::skipNumbersTaken() {
  while (std::binary_search(numbersTaken_.begin(), numbersTaken_.end(), snapshotCounter_)) {
    ++snapshotCounter_;
  }
}
