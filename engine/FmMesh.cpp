#include "FmMesh.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"

namespace {

constexpr MessageRecord meshTooLarge{"zirrow", 0x3102,
                                     "[MESHSIZE] Mesh of %u vertices exceeds the limit of %u", 0};

bool isAcceptedVersion(std::uint32_t version) {
  return version == FmMesh::floatColourVersion || version == FmMesh::storedVersion;
}

// Truncates toward zero, clamped to the int range; NaN gives 0.
int truncatedToInt(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0f) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0f) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

// The value x 255, truncated; values outside 0.0 to 1.0 (and NaN) are held to the
// byte range instead of overflowing it.
std::uint8_t colourByte(float value) {
  const double scaled = static_cast<double>(value) * 255.0;
  if (!(scaled > 0.0)) return 0;
  if (scaled >= 255.0) return 255;
  return static_cast<std::uint8_t>(scaled);
}

std::vector<std::uint8_t> readFloatColours(RWBinaryFile& file, std::size_t values) {
  if (!file.ensureAvailable(values * sizeof(float))) return {};
  std::vector<float> stored(values);
  if (!file.read(stored.data(), values)) return {};
  std::vector<std::uint8_t> bytes(values);
  std::transform(stored.begin(), stored.end(), bytes.begin(), colourByte);
  return bytes;
}

std::vector<std::uint8_t> readByteColours(RWBinaryFile& file, std::size_t values) {
  if (!file.ensureAvailable(values)) return {};
  std::vector<std::uint8_t> bytes(values);
  if (!file.read(bytes.data(), values)) return {};
  return bytes;
}

}  // namespace

FmMesh::FmMesh(const FmMesh& other)
    : RWCollectable(other),
      vertices_(other.vertices_),
      colours_(other.colours_),
      time_(other.time_) {}

RWCollectable* FmMesh::newInstance() const {
  return new FmMesh;
}

RWCollectable* FmMesh::clone() const {
  return new FmMesh(*this);
}

RWClassID FmMesh::classId() const {
  return id;
}

std::uint32_t FmMesh::storeSize() const {
  const auto floats = static_cast<std::uint32_t>(vertices_.size() * sizeof(float));
  return 4 + 4 + 4 + floats + 4 + static_cast<std::uint32_t>(colours_.size());
}

int FmMesh::compare(const RWCollectable* other) const {
  const auto* mesh = dynamic_cast<const FmMesh*>(other);
  if (!mesh) return RWCollectable::compare(other);
  return truncatedToInt((time_ - mesh->time_) * 100.0f);
}

bool FmMesh::equals(const RWCollectable* other) const {
  return compare(other) == 0;
}

void FmMesh::restoreFields(RWBinaryFile& file) {
  clear();
  std::uint32_t version = 0;
  if (!file.read(version) || !isAcceptedVersion(version)) return;
  std::uint32_t count = 0;
  if (!file.read(time_) || !file.read(count)) return;
  if (count > maxVertexCount) rwRaise<RWExternalErr>(meshTooLarge, count, maxVertexCount);
  if (!readVertices(file, count)) return;
  std::uint32_t colourCount = 0;
  if (!file.read(colourCount) || colourCount == 0 || colourCount != count) return;
  readColours(file, version, count);
}

bool FmMesh::readVertices(RWBinaryFile& file, std::uint32_t count) {
  if (count == 0) return true;
  const std::size_t values = 3 * std::size_t{count};
  if (!file.ensureAvailable(values * sizeof(float))) return false;
  std::vector<float> buffer(values);
  if (!file.read(buffer.data(), values)) return false;
  vertices_ = std::move(buffer);
  return true;
}

void FmMesh::readColours(RWBinaryFile& file, std::uint32_t version, std::uint32_t count) {
  const std::size_t values = 3 * std::size_t{count};
  colours_ = version == floatColourVersion ? readFloatColours(file, values)
                                           : readByteColours(file, values);
}

void FmMesh::saveFields(RWBinaryFile& file) const {
  const auto count = static_cast<std::uint32_t>(vertexCount());
  file.write(storedVersion);
  file.write(time_);
  file.write(count);
  file.write(vertices_.data(), vertices_.size());
  file.write(hasColours() ? count : std::uint32_t{0});
  file.write(colours_.data(), colours_.size());
}

int FmMesh::formatVersion() const {
  return storedVersion;
}

void FmMesh::interpolateInto(FmMesh* output, const FmMesh* frame, const FmMesh* next, float time) {
  if (!output || !frame) return;
  if (next && next->time_ - frame->time_ != 0.0f) {
    output->blendFrom(*frame, *next, (time - frame->time_) / (next->time_ - frame->time_));
  } else {
    output->copyFrom(*frame);
  }
}

void FmMesh::blendFrom(const FmMesh& frame, const FmMesh& next, float fraction) {
  // The frames of one animation share their vertex count, but a file need not keep
  // to that: only the coordinates that all three meshes hold are blended.
  const std::size_t values =
      std::min({vertices_.size(), frame.vertices_.size(), next.vertices_.size()});
  float* out = vertices_.data();
  const float* from = frame.vertices_.data();
  const float* to = next.vertices_.data();
  // Four coordinates at a time, each read before any is written, so that the
  // compiler may blend them side by side; every coordinate is blended alike.
  std::size_t i = 0;
  for (; i + 4 <= values; i += 4) {
    float a[4];
    float b[4];
    for (int k = 0; k < 4; ++k) {
      a[k] = from[i + k];
      b[k] = to[i + k];
    }
    for (int k = 0; k < 4; ++k) out[i + k] = a[k] + fraction * (b[k] - a[k]);
  }
  for (; i < values; ++i) out[i] = from[i] + fraction * (to[i] - from[i]);
}

void FmMesh::copyFrom(const FmMesh& frame) {
  if (vertices_.empty() || vertices_.size() != frame.vertices_.size()) return;
  vertices_ = frame.vertices_;
  if (hasColours() && frame.hasColours()) colours_ = frame.colours_;
  displayList_ = frame.displayList_;
}

FmPoint FmMesh::vertex(int index) const {
  if (index < 0 || index >= vertexCount()) {
    rwRaise<RWBoundsErr>(RWMessages::indexError, static_cast<unsigned>(index),
                         static_cast<unsigned>(vertexCount()));
  }
  const auto first = static_cast<std::size_t>(index) * 3;
  return {vertices_[first], vertices_[first + 1], vertices_[first + 2]};
}

bool FmMesh::setVertices(std::vector<float> xyz) {
  if (xyz.size() % 3 != 0 || xyz.size() / 3 > maxVertexCount) return false;
  if (colours_.size() != xyz.size()) colours_.clear();
  vertices_ = std::move(xyz);
  return true;
}

bool FmMesh::setColours(std::vector<std::uint8_t> rgb) {
  if (!rgb.empty() && rgb.size() != vertices_.size()) return false;
  colours_ = std::move(rgb);
  return true;
}

void FmMesh::clear() {
  vertices_.clear();
  colours_.clear();
  time_ = 0.0f;
  displayList_ = -1;
}

namespace {
const RWClassRegistration registration{createDefault<FmMesh>, FmMesh::id, "FmMesh"};
}  // namespace
