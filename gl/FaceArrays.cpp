#include "FaceArrays.h"

#include <span>

#include "FmFace.h"
#include "FmObject.h"

namespace {

template <typename T>
void appendAt(std::vector<T>& out, std::span<const T> values, std::int32_t index, int width) {
  const auto at = static_cast<std::size_t>(index) * static_cast<std::size_t>(width);
  out.insert(out.end(), values.begin() + static_cast<std::ptrdiff_t>(at),
             values.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(width)));
}

// Whether every corner names an element of the array, when the array is not empty.
bool complete(const FmFace::Corners& indices, bool present) {
  return !present || (indices[0] != -1 && indices[1] != -1 && indices[2] != -1);
}

}  // namespace

void FaceArrays::clear() {
  positions_.clear();
  normals_.clear();
  texCoords_.clear();
  colours_.clear();
  runs_.clear();
}

bool FaceArrays::gather(const FmObject& object) {
  clear();
  const RWOrdered* faces = object.faces();
  if (!faces) return true;
  const std::span<const float> positions = object.positions();
  const std::span<const float> normals = object.normals();
  const std::span<const float> texCoords = object.texCoords();
  const std::span<const std::uint8_t> colours = object.colours();
  runs_.push_back({0, 0, 0});
  for (std::size_t i = 0; i < faces->entryCount(); ++i) {
    const auto* face = dynamic_cast<const FmFace*>(faces->elementAt(i));
    if (!face) continue;
    if (face->textureIndex() != runs_.back().texture) {
      runs_.push_back({face->textureIndex(), cornerCount(), 0});
    }
    if (!object.isUsable(*face)) continue;
    if (!complete(face->normalIndex(), !normals.empty()) ||
        !complete(face->texCoordIndex(), !texCoords.empty()) ||
        !complete(face->colourIndex(), !colours.empty())) {
      clear();
      return false;
    }
    for (int corner = 0; corner < 3; ++corner) {
      appendAt(positions_, positions, face->vertexIndex()[corner], 3);
      if (!normals.empty()) appendAt(normals_, normals, face->normalIndex()[corner], 3);
      if (!texCoords.empty()) appendAt(texCoords_, texCoords, face->texCoordIndex()[corner], 2);
      if (!colours.empty()) appendAt(colours_, colours, face->colourIndex()[corner], 3);
    }
    runs_.back().count += 3;
  }
  return true;
}
