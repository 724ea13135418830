#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "FmMesh.h"
#include "FmObject.h"
#include "FmPoint.h"

// Geometry in the making: every vertex has a position, a normal, texture
// coordinates and optionally a colour, all under the same index, and triangles
// name vertices by that index.
class MeshBuilder {
public:
  int addVertex(const FmPoint& position, const FmPoint& normal, float s, float t);
  void setColour(int vertex, const FmPoint& colour);
  // Corners in counter-clockwise order seen from the front.
  void addTriangle(int a, int b, int c, std::int32_t textureIndex = 0);
  void addQuad(int a, int b, int c, int d, std::int32_t textureIndex = 0);

  int vertexCount() const { return static_cast<int>(positions_.size()); }
  const FmPoint& position(int vertex) const { return positions_[static_cast<std::size_t>(vertex)]; }
  // Moves every vertex (normals stay): for the frames of a vertex animation.
  void reshape(const std::function<FmPoint(const FmPoint&)>& move);

  // A mesh frame of the current positions (and colours, when any vertex has one).
  FmMesh* frame(float time) const;
  // Gives the object the vertex count, normals, texture coordinates and faces;
  // its positions come from its frames.
  void shape(FmObject& object) const;

private:
  std::vector<FmPoint> positions_;
  std::vector<FmPoint> normals_;
  std::vector<float> texCoords_;
  std::vector<FmPoint> colours_;
  bool coloured_ = false;
  std::vector<std::array<int, 3>> triangles_;
  std::vector<std::int32_t> textureIndices_;
};

// The demo's shapes, each centred on its local origin unless said otherwise.
namespace DemoMeshes {

// A w x h rectangle in the x-y plane facing +z, its lower left corner at
// (x0, y0); texture coordinates 0..1 across it.
MeshBuilder rectangle(float x0, float y0, float w, float h);
// A square grid in the x-z plane, `size` wide with `cells` cells a side, facing
// +y, heights from the function; the texture repeats every `tile` units.
MeshBuilder heightField(float size, int cells, float tile,
                        const std::function<float(float x, float z)>& height);
// A cone standing on y = 0.
MeshBuilder cone(float radius, float height, int segments);
// A box of the half sizes; `inward` turns its faces to the inside.
MeshBuilder box(const FmPoint& half, bool inward);
// Two upright rectangles crossing on the y axis, standing on y = 0.
MeshBuilder crossedQuads(float width, float height);
// A creature flying along -z: a diamond body and two wings whose tips are raised
// by `wingLift` (a fraction of the span).
MeshBuilder creature(float span, float wingLift);
// A dart pointing along -z.
MeshBuilder dart(float length, float width);
// Scattered shards around the origin, `spread` apart.
MeshBuilder shards(int count, float spread);
// An open ring of upright walls with a jagged top, facing inward.
MeshBuilder skyline(float radius, float height, int segments);

}  // namespace DemoMeshes
