#pragma once

#include <cstdint>
#include <vector>

class FmObject;

// An object's faces as arrays of corners, three to a usable face in face order, for
// drawing in one call per texture instead of one call per corner attribute. The
// arrays are kept from one object to the next, so that drawing every frame takes no
// new memory once they have grown.
class FaceArrays {
public:
  // The corners between two texture changes: the faces that follow a change of
  // texture index up to the next one. The first run has texture index 0.
  struct Run {
    std::int32_t texture;
    std::int32_t first;
    std::int32_t count;
  };

  // Gathers the corners of the object's current frame. False when a usable face has
  // a corner without a normal, texture coordinate or colour that the object has:
  // drawn corner by corner it would take the one before, which arrays cannot say.
  bool gather(const FmObject& object);

  const std::vector<float>& positions() const { return positions_; }
  // Empty when the object has no normals; likewise texture coordinates and colours.
  const std::vector<float>& normals() const { return normals_; }
  const std::vector<float>& texCoords() const { return texCoords_; }
  const std::vector<std::uint8_t>& colours() const { return colours_; }
  const std::vector<Run>& runs() const { return runs_; }
  std::int32_t cornerCount() const { return static_cast<std::int32_t>(positions_.size() / 3); }

private:
  void clear();

  std::vector<float> positions_;
  std::vector<float> normals_;
  std::vector<float> texCoords_;
  std::vector<std::uint8_t> colours_;
  std::vector<Run> runs_;
};
