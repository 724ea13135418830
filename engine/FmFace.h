#pragma once

#include <array>
#include <cstdint>

#include "FmPoint.h"
#include "RWCollectable.h"

// One triangle of an object: per corner an index into each of the owner's arrays
// (positions, texture coordinates, normals, colours), the texture it is drawn
// with, and the plane and bounding sphere that contact tests use. The owner
// derives the plane and sphere from its current positions; they are not stored.
class FmFace : public RWCollectable {
public:
  static constexpr RWClassID id = 1126;
  static constexpr std::uint32_t storedVersion = 101;
  // The older record, without a texture index.
  static constexpr std::uint32_t untexturedVersion = 100;
  // One index per corner, in drawing order; -1 stands for none.
  using Corners = std::array<std::int32_t, 3>;

  RWCollectable* newInstance() const override;
  // Copies the stored values; the owner derives the plane and sphere again.
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;

  // The unit normal of the corners' plane; a degenerate triangle gives (0, 0, 0).
  virtual void computePlane(const FmPoint& a, const FmPoint& b, const FmPoint& c);
  // The centroid and the largest distance from it to a corner.
  virtual void computeSphere(const FmPoint& a, const FmPoint& b, const FmPoint& c);
  // Whether a sphere of the distance around the point reaches the face's sphere.
  virtual bool withinSphere(const FmPoint& point, float distance) const;
  // Whether the point lies within the distance of the triangle; also sets hit.
  virtual bool touches(const FmPoint& point, float distance, const FmPoint& a, const FmPoint& b,
                       const FmPoint& c);

  // Whether the face may be drawn and tested against arrays of these sizes: every
  // vertex index below vertexCount, every other index -1 or below its count. A
  // count of 0 stands for an array the owner does not have and so never reads:
  // its indices are not checked.
  bool indicesWithin(int vertexCount, int texCoordCount, int normalCount, int colourCount) const;

  const Corners& vertexIndex() const { return vertexIndex_; }
  void setVertexIndex(const Corners& indices) { vertexIndex_ = indices; }
  const Corners& texCoordIndex() const { return texCoordIndex_; }
  void setTexCoordIndex(const Corners& indices) { texCoordIndex_ = indices; }
  const Corners& normalIndex() const { return normalIndex_; }
  void setNormalIndex(const Corners& indices) { normalIndex_ = indices; }
  const Corners& colourIndex() const { return colourIndex_; }
  void setColourIndex(const Corners& indices) { colourIndex_ = indices; }
  std::int32_t textureIndex() const { return textureIndex_; }
  void setTextureIndex(std::int32_t index) { textureIndex_ = index; }

  const FmPoint& normal() const { return normal_; }
  float radius() const { return radius_; }
  const FmPoint& centre() const { return centre_; }
  // 1 when the last touches test succeeded, else 0.
  std::int32_t hit() const { return hit_; }

private:
  // Every field back to its default, as a new face has it.
  void clearFields();

  Corners vertexIndex_{};
  Corners texCoordIndex_{};
  Corners normalIndex_{};
  Corners colourIndex_{};
  std::int32_t textureIndex_ = 0;
  FmPoint normal_;
  float radius_ = 0.0f;
  FmPoint centre_;
  std::int32_t hit_ = 0;
};
