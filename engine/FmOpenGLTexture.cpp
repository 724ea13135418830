#include "FmOpenGLTexture.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "PixelPairAverage.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"

namespace {

constexpr MessageRecord textureSizeMismatch{
    "zirrow", 0x3100, "[TEXSIZE] Texture data of %u bytes does not fit %d x %d pixels", 0};

constexpr std::uint32_t storedBytesPerPixel = 3;
constexpr std::uint8_t expandedAlpha = 1;

bool isAcceptedVersion(std::uint32_t version) {
  return version == 100 || version == 110 || version == FmOpenGLTexture::storedVersion;
}

// Truncates toward zero, clamped to the int range; NaN gives 0.
int truncatedToInt(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0f) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0f) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

std::uint32_t stringBytes(const RWCString& text) {
  return 4 + static_cast<std::uint32_t>(text.length());
}

// Turns r, g, b triples at the start of the buffer into r, g, b, a quadruples in
// place, from the last pixel back so that no triple is overwritten before use: pixel
// i is read as the four bytes from 3i on (the fourth replaced by the alpha) before it
// is written from 4i on, and every triple still to be read lies before 3i.
void expandTriples(std::uint8_t* bytes, std::size_t pixelCount) {
  constexpr bool little = std::endian::native == std::endian::little;
  constexpr std::uint32_t colour = little ? 0x00FFFFFFu : 0xFFFFFF00u;
  constexpr std::uint32_t alpha = little ? std::uint32_t{expandedAlpha} << 24 : expandedAlpha;
  for (std::size_t i = pixelCount; i-- > 0;) {
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, bytes + 3 * i, sizeof pixel);
    pixel = (pixel & colour) | alpha;
    std::memcpy(bytes + 4 * i, &pixel, sizeof pixel);
  }
}

float scaleFactor(int source, int target) {
  const auto span = static_cast<float>(source - 1);
  return target >= 2 ? span / static_cast<float>(target - 1) : span;
}

// The source rows (or columns) that one output row (or column) averages.
struct SourceSpan {
  int first;
  int last;
};

SourceSpan sourceSpan(int target, float scale, int sourceSize) {
  const int first = std::min(static_cast<int>(static_cast<float>(target) * scale), sourceSize - 1);
  return {first, std::min(first + 1, sourceSize - 1)};
}

// Averages one to four pixels of the two rows: the spans name one or two columns and
// the rows may be the same. A count of pixels that is a power of two divides by a shift.
void averageSpan(const std::uint8_t* top, const std::uint8_t* bottom, SourceSpan columns,
                 int countShift, std::uint8_t* out) {
  constexpr int bytes = FmOpenGLTexture::bytesPerPixel;
  if (countShift == 2) {  // the usual two by two pixels, kept free of branches
    const std::uint8_t* a = top + columns.first * bytes;
    const std::uint8_t* b = bottom + columns.first * bytes;
    for (int channel = 0; channel < bytes; ++channel) {
      out[channel] = static_cast<std::uint8_t>(
          (a[channel] + a[channel + bytes] + b[channel] + b[channel + bytes]) >> 2);
    }
    return;
  }
  const std::uint8_t* topFirst = top + columns.first * bytes;
  const std::uint8_t* topLast = top + columns.last * bytes;
  const std::uint8_t* bottomFirst = bottom + columns.first * bytes;
  const std::uint8_t* bottomLast = bottom + columns.last * bytes;
  const bool twoColumns = columns.last != columns.first;
  const bool twoRows = bottom != top;
  for (int channel = 0; channel < bytes; ++channel) {
    int sum = topFirst[channel];
    if (twoColumns) sum += topLast[channel];
    if (twoRows) sum += bottomFirst[channel] + (twoColumns ? bottomLast[channel] : 0);
    out[channel] = static_cast<std::uint8_t>(sum >> countShift);
  }
}

// A stretch of output columns whose source columns run two by two without a gap:
// output column first + i averages source columns source + 2i and the next one.
// A stretch of length 0 is a single column of its own.
struct ColumnRun {
  std::size_t first;
  std::size_t length;
};

std::vector<ColumnRun> columnRuns(const std::vector<SourceSpan>& columns) {
  std::vector<ColumnRun> runs;
  const bool words = std::endian::native == std::endian::little;
  for (std::size_t k = 0; k < columns.size();) {
    std::size_t end = k;
    while (words && end < columns.size() && columns[end].last == columns[end].first + 1 &&
           columns[end].first == columns[k].first + 2 * static_cast<int>(end - k)) {
      ++end;
    }
    runs.push_back({k, end - k});
    k = end > k ? end : k + 1;
  }
  return runs;
}

// One output row from the source rows: runs of paired columns together, the rest
// pixel by pixel.
void resampleRow(const std::uint8_t* top, const std::uint8_t* bottom,
                 const std::vector<SourceSpan>& columns, const std::vector<ColumnRun>& runs,
                 std::uint8_t* out) {
  constexpr int bytes = FmOpenGLTexture::bytesPerPixel;
  const bool twoRows = bottom != top;
  const int rowShift = twoRows ? 1 : 0;
  for (const ColumnRun& run : runs) {
    const SourceSpan& span = columns[run.first];
    if (run.length > 0) {
      const std::size_t offset = static_cast<std::size_t>(span.first) * bytes;
      averagePixelPairs(top + offset, twoRows ? bottom + offset : nullptr, run.length,
                        out + run.first * bytes);
    } else {
      averageSpan(top, bottom, span, rowShift + (span.last != span.first ? 1 : 0),
                  out + run.first * bytes);
    }
  }
}

}  // namespace

FmOpenGLTexture::FmOpenGLTexture(const RWCString& name) : name_(name) {}

RWCollectable* FmOpenGLTexture::newInstance() const {
  return new FmOpenGLTexture;
}

RWCollectable* FmOpenGLTexture::clone() const {
  return new FmOpenGLTexture(*this);
}

RWClassID FmOpenGLTexture::classId() const {
  return id;
}

std::uint32_t FmOpenGLTexture::storeSize() const {
  return 4 + stringBytes(name_) + stringBytes(secondName_) + 6 * 4 + storedPixelBytes();
}

int FmOpenGLTexture::compare(const RWCollectable* other) const {
  const auto* texture = dynamic_cast<const FmOpenGLTexture*>(other);
  if (!texture) return RWCollectable::compare(other);
  if (const int hundredths = truncatedToInt((keyTime_ - texture->keyTime_) * 100.0f)) {
    return hundredths;
  }
  if (equals(other)) return 0;
  if (const int byName = name_.compareTo(texture->name_)) return byName < 0 ? -1 : 1;
  if (keyTime_ != texture->keyTime_) return keyTime_ < texture->keyTime_ ? -1 : 1;
  return RWCollectable::compare(other);
}

bool FmOpenGLTexture::equals(const RWCollectable* other) const {
  const auto* texture = dynamic_cast<const FmOpenGLTexture*>(other);
  return texture && texture->name_ == name_ && texture->keyTime_ == keyTime_;
}

void FmOpenGLTexture::restoreFields(RWBinaryFile& file) {
  clearFields();
  std::uint32_t version = 0;
  if (!file.read(version) || !isAcceptedVersion(version)) return;
  name_.restoreFrom(file);
  secondName_.restoreFrom(file);
  std::uint32_t dataSize = 0;
  const bool complete = file.read(storedValue_) && file.read(hasAlpha_) && file.read(width_) &&
                        file.read(height_) && file.read(keyTime_) && file.read(dataSize);
  if (complete) readPixels(file, version, dataSize);
}

void FmOpenGLTexture::readPixels(RWBinaryFile& file, std::uint32_t version,
                                 std::uint32_t dataSize) {
  if (dataSize == 0) return;
  const auto expected = imageBytes(width_, height_);
  if (!expected || *expected != dataSize) {
    rwRaise<RWExternalErr>(textureSizeMismatch, dataSize, static_cast<int>(width_),
                           static_cast<int>(height_));
  }
  const bool triples = version == FmOpenGLTexture::storedVersion && !storesAlpha();
  const std::size_t pixelCount = dataSize / bytesPerPixel;
  const std::size_t storedBytes = triples ? pixelCount * storedBytesPerPixel : dataSize;
  if (!file.ensureAvailable(storedBytes)) return;
  PixelStore buffer(dataSize);
  if (!file.read(buffer.data(), storedBytes)) return;
  if (triples) expandTriples(buffer.data(), pixelCount);
  pixels_ = std::move(buffer);
}

void FmOpenGLTexture::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  name_.saveOn(file);
  secondName_.saveOn(file);
  file.write(storedValue_);
  file.write(hasAlpha_);
  file.write(width_);
  file.write(height_);
  file.write(keyTime_);
  // A texture without pixels (released after upload, or never given any) says so
  // with a data size of 0, so that no pixel bytes are expected after it.
  file.write(static_cast<std::uint32_t>(pixels_.size()));
  writePixels(file);
}

void FmOpenGLTexture::writePixels(RWBinaryFile& file) const {
  if (!hasPixels()) return;
  if (storesAlpha()) {
    file.write(pixels_.data(), pixels_.size());
    return;
  }
  std::vector<std::uint8_t> triples;
  triples.reserve(storedPixelBytes());
  for (std::size_t i = 0; i < pixels_.size(); i += bytesPerPixel) {
    triples.insert(triples.end(), pixels_.begin() + static_cast<std::ptrdiff_t>(i),
                   pixels_.begin() + static_cast<std::ptrdiff_t>(i + storedBytesPerPixel));
  }
  file.write(triples.data(), triples.size());
}

std::uint32_t FmOpenGLTexture::storedPixelBytes() const {
  const auto bytes = static_cast<std::uint32_t>(pixels_.size());
  return storesAlpha() ? bytes : bytes / bytesPerPixel * storedBytesPerPixel;
}

int FmOpenGLTexture::formatVersion() const {
  return storedVersion;
}

void FmOpenGLTexture::compact() {}

int FmOpenGLTexture::glNameAt(float) const {
  return glName_;
}

FmOpenGLTexture* FmOpenGLTexture::frameAt(float) {
  return this;
}

int FmOpenGLTexture::frameCount() const {
  return 1;
}

FmOpenGLTexture* FmOpenGLTexture::frameAtIndex(int) {
  return this;
}

void FmOpenGLTexture::hook(int) {}

void FmOpenGLTexture::resample(int w, int h) {
  const auto bytes = imageBytes(w, h);
  if (!bytes) return;
  if (!hasPixels()) {
    setSize(w, h);
    return;
  }
  // Shrinking, every output pixel lies before the source pixels that later ones still
  // read, so the image is resampled in place; growing needs a buffer of its own.
  const bool inPlace = w <= width_ && h <= height_;
  PixelStore grown(inPlace ? 0 : *bytes);
  const float sx = scaleFactor(width_, w);
  const float sy = scaleFactor(height_, h);
  std::vector<SourceSpan> columns(static_cast<std::size_t>(w));
  for (int k = 0; k < w; ++k) columns[static_cast<std::size_t>(k)] = sourceSpan(k, sx, width_);
  const std::vector<ColumnRun> runs = columnRuns(columns);
  const std::size_t rowBytes = static_cast<std::size_t>(width_) * bytesPerPixel;
  std::uint8_t* out = inPlace ? pixels_.data() : grown.data();
  for (int j = 0; j < h; ++j) {
    const SourceSpan rows = sourceSpan(j, sy, height_);
    const std::uint8_t* top = pixels_.data() + static_cast<std::size_t>(rows.first) * rowBytes;
    const std::uint8_t* bottom = pixels_.data() + static_cast<std::size_t>(rows.last) * rowBytes;
    resampleRow(top, bottom, columns, runs, out);
    out += static_cast<std::size_t>(w) * bytesPerPixel;
  }
  if (inPlace) {
    pixels_.resize(*bytes);
  } else {
    pixels_ = std::move(grown);
  }
  width_ = w;
  height_ = h;
}

bool FmOpenGLTexture::setImage(int width, int height, std::vector<std::uint8_t> pixels) {
  const auto bytes = imageBytes(width, height);
  if (!bytes || pixels.size() != *bytes) return false;
  width_ = width;
  height_ = height;
  pixels_.assign(pixels.begin(), pixels.end());
  return true;
}

void FmOpenGLTexture::setSize(int width, int height) {
  releasePixels();
  width_ = width;
  height_ = height;
}

void FmOpenGLTexture::releasePixels() {
  PixelStore().swap(pixels_);
}

std::optional<std::uint32_t> FmOpenGLTexture::imageBytes(std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  const std::uint64_t bytes =
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * bytesPerPixel;
  if (bytes > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return static_cast<std::uint32_t>(bytes);
}

void FmOpenGLTexture::clearFields() {
  name_ = "";
  secondName_ = "";
  storedValue_ = 0;
  releasePixels();
  width_ = 0;
  height_ = 0;
  hasAlpha_ = 0;
  glName_ = 0;
  keyTime_ = 0.0f;
}

namespace {
const RWClassRegistration registration{createDefault<FmOpenGLTexture>, FmOpenGLTexture::id,
                                       "FmOpenGLTexture"};
}  // namespace
