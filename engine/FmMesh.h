#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "FmPoint.h"
#include "RWCollectable.h"

// One key frame of vertex data: x, y, z per vertex and, optionally, r, g, b bytes
// per vertex, with the frame's key time and the display list that draws it. The
// colour array is either empty or holds exactly three bytes per vertex.
class FmMesh : public RWCollectable {
public:
  static constexpr RWClassID id = 1151;
  static constexpr std::uint32_t storedVersion = 101;
  // The older record, whose colours are floats from 0.0 to 1.0.
  static constexpr std::uint32_t floatColourVersion = 100;
  // Three coordinates per vertex must still be countable with an int.
  static constexpr std::uint32_t maxVertexCount = std::numeric_limits<std::int32_t>::max() / 3;

  FmMesh() = default;
  // Copies the key time and both arrays; the copy has no display list.
  FmMesh(const FmMesh& other);
  FmMesh& operator=(const FmMesh&) = delete;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Orders by key time: (this time - other time) x 100, truncated toward zero.
  int compare(const RWCollectable* other) const override;
  // The key times differ by less than a hundredth of a second.
  bool equals(const RWCollectable* other) const override;
  // Raises RWExternalErr [MESHSIZE] for a vertex count above maxVertexCount. Arrays
  // larger than the rest of the file are not read: the file is left at its end.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;

  // With a next frame at another key time, blends the positions of frame and next
  // at the time into output, leaving its colours and display list alone. Otherwise
  // copies frame's positions, colours (when both have them) and display list into
  // an output with the same, non-zero vertex count. Nothing happens without frame.
  static void interpolateInto(FmMesh* output, const FmMesh* frame, const FmMesh* next, float time);

  int vertexCount() const { return static_cast<int>(vertices_.size() / 3); }
  // x, y, z per vertex.
  std::span<float> vertices() { return vertices_; }
  std::span<const float> vertices() const { return vertices_; }
  // Raises RWBoundsErr unless the index is below vertexCount.
  FmPoint vertex(int index) const;
  // Takes x, y, z per vertex; false, changing nothing, when the count is not a
  // multiple of 3 or exceeds maxVertexCount vertices. Colours that no longer fit
  // the vertex count are dropped.
  [[nodiscard]] bool setVertices(std::vector<float> xyz);

  bool hasColours() const { return !colours_.empty(); }
  // r, g, b per vertex; empty when the mesh has no colours.
  std::span<const std::uint8_t> colours() const { return colours_; }
  // Takes r, g, b per vertex, or none; false, changing nothing, unless the bytes
  // are empty or exactly three per vertex.
  [[nodiscard]] bool setColours(std::vector<std::uint8_t> rgb);

  float time() const { return time_; }
  void setTime(float time) { time_ = time; }
  // The OpenGL display list that draws this frame; -1 for none. Never stored.
  std::int32_t displayList() const { return displayList_; }
  void setDisplayList(std::int32_t displayList) { displayList_ = displayList; }

private:
  void clear();
  bool readVertices(RWBinaryFile& file, std::uint32_t count);
  void readColours(RWBinaryFile& file, std::uint32_t version, std::uint32_t count);
  void blendFrom(const FmMesh& frame, const FmMesh& next, float fraction);
  void copyFrom(const FmMesh& frame);

  std::vector<float> vertices_;
  std::vector<std::uint8_t> colours_;
  float time_ = 0.0f;
  std::int32_t displayList_ = -1;
};
