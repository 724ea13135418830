#include "DemoMeshes.h"

#include <cmath>
#include <numbers>

#include "FmFace.h"
#include "RWOrdered.h"

namespace {

constexpr float pi = std::numbers::pi_v<float>;

FmPoint normalised(const FmPoint& p) {
  const float length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
  return length > 0 ? p * (1.0f / length) : p;
}

std::uint8_t toByte(float value) {
  return static_cast<std::uint8_t>(std::lround(std::fmin(std::fmax(value, 0.0f), 1.0f) * 255.0f));
}

}  // namespace

int MeshBuilder::addVertex(const FmPoint& position, const FmPoint& normal, float s, float t) {
  positions_.push_back(position);
  normals_.push_back(normalised(normal));
  texCoords_.push_back(s);
  texCoords_.push_back(t);
  colours_.push_back({1, 1, 1});
  return vertexCount() - 1;
}

void MeshBuilder::setColour(int vertex, const FmPoint& colour) {
  colours_[static_cast<std::size_t>(vertex)] = colour;
  coloured_ = true;
}

void MeshBuilder::addTriangle(int a, int b, int c, std::int32_t textureIndex) {
  triangles_.push_back({a, b, c});
  textureIndices_.push_back(textureIndex);
}

void MeshBuilder::addQuad(int a, int b, int c, int d, std::int32_t textureIndex) {
  addTriangle(a, b, c, textureIndex);
  addTriangle(a, c, d, textureIndex);
}

void MeshBuilder::reshape(const std::function<FmPoint(const FmPoint&)>& move) {
  for (FmPoint& position : positions_) position = move(position);
}

FmMesh* MeshBuilder::frame(float time) const {
  std::vector<float> xyz;
  std::vector<std::uint8_t> rgb;
  for (std::size_t i = 0; i < positions_.size(); ++i) {
    xyz.insert(xyz.end(), {positions_[i].x, positions_[i].y, positions_[i].z});
    if (coloured_) {
      rgb.insert(rgb.end(), {toByte(colours_[i].x), toByte(colours_[i].y), toByte(colours_[i].z)});
    }
  }
  auto* mesh = new FmMesh;
  (void)mesh->setVertices(std::move(xyz));
  (void)mesh->setColours(std::move(rgb));
  mesh->setTime(time);
  return mesh;
}

void MeshBuilder::shape(FmObject& object) const {
  std::vector<float> normals;
  for (const FmPoint& n : normals_) normals.insert(normals.end(), {n.x, n.y, n.z});
  (void)object.setNormals(std::move(normals));
  (void)object.setTexCoords(texCoords_);
  object.setVertexCount(vertexCount());
  auto* faces = new RWOrdered(triangles_.size());
  for (std::size_t i = 0; i < triangles_.size(); ++i) {
    const auto& [a, b, c] = triangles_[i];
    auto* face = new FmFace;
    face->setVertexIndex({a, b, c});
    face->setTexCoordIndex({a, b, c});
    face->setNormalIndex({a, b, c});
    face->setColourIndex(coloured_ ? FmFace::Corners{a, b, c} : FmFace::Corners{-1, -1, -1});
    face->setTextureIndex(textureIndices_[i]);
    faces->append(face);
  }
  (void)object.setFaces(faces);
}

namespace DemoMeshes {

MeshBuilder rectangle(float x0, float y0, float w, float h) {
  MeshBuilder mesh;
  const FmPoint front{0, 0, 1};
  const int a = mesh.addVertex({x0, y0, 0}, front, 0, 1);
  const int b = mesh.addVertex({x0 + w, y0, 0}, front, 1, 1);
  const int c = mesh.addVertex({x0 + w, y0 + h, 0}, front, 1, 0);
  const int d = mesh.addVertex({x0, y0 + h, 0}, front, 0, 0);
  mesh.addQuad(a, b, c, d);
  return mesh;
}

MeshBuilder heightField(float size, int cells, float tile,
                        const std::function<float(float x, float z)>& height) {
  MeshBuilder mesh;
  const float step = size / static_cast<float>(cells);
  const float half = size / 2;
  for (int j = 0; j <= cells; ++j) {
    for (int i = 0; i <= cells; ++i) {
      const float x = -half + i * step, z = -half + j * step;
      const float dx = height(x + 0.5f, z) - height(x - 0.5f, z);
      const float dz = height(x, z + 0.5f) - height(x, z - 0.5f);
      mesh.addVertex({x, height(x, z), z}, {-dx, 1, -dz}, x / tile, z / tile);
    }
  }
  const int row = cells + 1;
  for (int j = 0; j < cells; ++j) {
    for (int i = 0; i < cells; ++i) {
      const int a = j * row + i;
      mesh.addQuad(a, a + row, a + row + 1, a + 1);
    }
  }
  return mesh;
}

MeshBuilder cone(float radius, float height, int segments) {
  MeshBuilder mesh;
  const float slope = radius / height;
  for (int i = 0; i < segments; ++i) {
    const float a0 = 2 * pi * i / segments, a1 = 2 * pi * (i + 1) / segments;
    const float am = (a0 + a1) / 2;
    const int top = mesh.addVertex({0, height, 0}, {std::sin(am), slope, std::cos(am)},
                                   static_cast<float>(i) / segments + 0.5f / segments, 0);
    const int left =
        mesh.addVertex({radius * std::sin(a0), 0, radius * std::cos(a0)},
                       {std::sin(a0), slope, std::cos(a0)}, static_cast<float>(i) / segments, 1);
    const int right = mesh.addVertex({radius * std::sin(a1), 0, radius * std::cos(a1)},
                                     {std::sin(a1), slope, std::cos(a1)},
                                     static_cast<float>(i + 1) / segments, 1);
    mesh.addTriangle(top, left, right);
  }
  return mesh;
}

MeshBuilder box(const FmPoint& half, bool inward) {
  MeshBuilder mesh;
  // Each side: its outward normal and two edge directions spanning it.
  const FmPoint sides[6][3] = {
      {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
      {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
      {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}};
  for (const auto& side : sides) {
    const FmPoint& normal = side[0];
    const FmPoint& u = side[1];
    const FmPoint& v = side[2];
    const FmPoint facing = inward ? normal * -1.0f : normal;
    auto corner = [&](float su, float sv) {
      const FmPoint p = normal + u * su + v * sv;
      return mesh.addVertex(componentProduct(p, half), facing, (su + 1) / 2, (1 - sv) / 2);
    };
    const int a = corner(-1, -1), b = corner(1, -1), c = corner(1, 1), d = corner(-1, 1);
    if (inward) {
      mesh.addQuad(a, d, c, b);
    } else {
      mesh.addQuad(a, b, c, d);
    }
  }
  return mesh;
}

MeshBuilder crossedQuads(float width, float height) {
  MeshBuilder mesh;
  const float h = width / 2;
  for (const FmPoint& across : {FmPoint{1, 0, 0}, FmPoint{0, 0, 1}}) {
    const FmPoint facing{across.z, 0, across.x};
    const int a = mesh.addVertex(across * -h, facing, 0, 1);
    const int b = mesh.addVertex(across * h, facing, 1, 1);
    const int c = mesh.addVertex(across * h + FmPoint{0, height, 0}, facing, 1, 0);
    const int d = mesh.addVertex(across * -h + FmPoint{0, height, 0}, facing, 0, 0);
    mesh.addQuad(a, b, c, d);
  }
  return mesh;
}

MeshBuilder creature(float span, float wingLift) {
  MeshBuilder mesh;
  const float s = span / 2;
  const FmPoint nose{0, 0, -0.7f * s}, tail{0, 0, 0.6f * s};
  const FmPoint top{0, 0.18f * s, 0}, bottom{0, -0.18f * s, 0};
  const FmPoint left{-0.16f * s, 0, 0}, right{0.16f * s, 0, 0};
  // The body: eight triangles around the nose and the tail.
  const FmPoint ring[4] = {top, right, bottom, left};
  for (int i = 0; i < 4; ++i) {
    const FmPoint& p = ring[i];
    const FmPoint& q = ring[(i + 1) % 4];
    const FmPoint out = (p + q) * 0.5f;
    const int n = mesh.addVertex(nose, out + FmPoint{0, 0, -0.5f}, 0.5f, 0);
    const int a = mesh.addVertex(p, p, 0.3f, 0.5f);
    const int b = mesh.addVertex(q, q, 0.7f, 0.5f);
    mesh.addTriangle(n, a, b);
    const int t = mesh.addVertex(tail, out + FmPoint{0, 0, 0.5f}, 0.5f, 1);
    const int c = mesh.addVertex(p, p, 0.3f, 0.5f);
    const int d = mesh.addVertex(q, q, 0.7f, 0.5f);
    mesh.addTriangle(t, d, c);
  }
  // The wings: one triangle each side, from the body to a raised tip.
  for (const float side : {-1.0f, 1.0f}) {
    const int front = mesh.addVertex({side * 0.12f * s, 0, -0.3f * s}, {0, 1, 0}, 0.5f, 0);
    const int back = mesh.addVertex({side * 0.12f * s, 0, 0.3f * s}, {0, 1, 0}, 0.5f, 1);
    const int tip =
        mesh.addVertex({side * s, wingLift * s, 0.15f * s}, {0, 1, 0}, side < 0 ? 0 : 1, 0.6f);
    if (side < 0) {
      mesh.addTriangle(front, tip, back);
    } else {
      mesh.addTriangle(front, back, tip);
    }
  }
  return mesh;
}

MeshBuilder dart(float length, float width) {
  MeshBuilder mesh;
  const float w = width / 2;
  const FmPoint tip{0, 0, -length / 2};
  const FmPoint base[3] = {{0, w, length / 2}, {-w, -w, length / 2}, {w, -w, length / 2}};
  for (int i = 0; i < 3; ++i) {
    const FmPoint& p = base[i];
    const FmPoint& q = base[(i + 1) % 3];
    const FmPoint out = (p + q) * 0.5f;
    mesh.addTriangle(mesh.addVertex(tip, out, 0.5f, 0), mesh.addVertex(q, out, 1, 1),
                     mesh.addVertex(p, out, 0, 1));
  }
  const FmPoint back{0, 0, 1};
  mesh.addTriangle(mesh.addVertex(base[0], back, 0.5f, 0), mesh.addVertex(base[1], back, 0, 1),
                   mesh.addVertex(base[2], back, 1, 1));
  return mesh;
}

MeshBuilder shards(int count, float spread) {
  MeshBuilder mesh;
  for (int i = 0; i < count; ++i) {
    const float a = 2 * pi * i / count;
    const FmPoint centre{spread * std::cos(a), spread * 0.5f * std::sin(3 * a),
                         spread * std::sin(a)};
    const FmPoint normal = centre;
    mesh.addTriangle(mesh.addVertex(centre + FmPoint{0, 0.4f, 0}, normal, 0.5f, 0),
                     mesh.addVertex(centre + FmPoint{-0.3f, -0.2f, 0.1f}, normal, 0, 1),
                     mesh.addVertex(centre + FmPoint{0.3f, -0.2f, -0.1f}, normal, 1, 1));
  }
  return mesh;
}

MeshBuilder skyline(float radius, float height, int segments) {
  MeshBuilder mesh;
  for (int i = 0; i < segments; ++i) {
    const float a0 = 2 * pi * i / segments, a1 = 2 * pi * (i + 1) / segments;
    const float peak0 = height * (0.5f + 0.5f * std::fabs(std::sin(a0 * 5.0f))),
                peak1 = height * (0.5f + 0.5f * std::fabs(std::sin(a1 * 5.0f)));
    const FmPoint p0{radius * std::sin(a0), 0, radius * std::cos(a0)};
    const FmPoint p1{radius * std::sin(a1), 0, radius * std::cos(a1)};
    const FmPoint in0 = p0 * -1.0f, in1 = p1 * -1.0f;
    const float s0 = static_cast<float>(i) / segments, s1 = static_cast<float>(i + 1) / segments;
    const int a = mesh.addVertex(p0, in0, s0, 1);
    const int b = mesh.addVertex(p1, in1, s1, 1);
    const int c = mesh.addVertex(p1 + FmPoint{0, peak1, 0}, in1, s1, 0);
    const int d = mesh.addVertex(p0 + FmPoint{0, peak0, 0}, in0, s0, 0);
    mesh.addQuad(a, d, c, b);
  }
  return mesh;
}

}  // namespace DemoMeshes
