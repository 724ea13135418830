#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FmCamera.h"
#include "FmFace.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmScene.h"
#include "FmTransformController.h"
#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"
#include "RWOrdered.h"

// Small hand-built parts of levels for the tools' tests.
namespace LevelParts {

// An object of still geometry: its corner positions (x, y, z each) and one face for
// each triple of corner indices.
inline FmObject* stillObject(const char* name, std::vector<float> positions,
                             const std::vector<FmFace::Corners>& faces) {
  auto* object = new FmObject(name, nullptr, -1.0f);
  const auto corners = static_cast<int>(positions.size() / 3);
  auto* frame = new FmMesh;
  EXPECT_TRUE(frame->setVertices(std::move(positions)));
  object->setCurrentFrame(frame);
  object->setVertexCount(corners);
  if (faces.empty()) return object;
  auto* list = new RWOrdered;
  for (const FmFace::Corners& face : faces) {
    auto* made = new FmFace;
    made->setVertexIndex(face);
    list->append(made);
  }
  EXPECT_TRUE(object->setFaces(list));
  return object;
}

// An object of `count` triangles that share the same three corners.
inline FmObject* triangles(const char* name, int count) {
  return stillObject(name, {1, 0, 0, 0, 1, 0, 0, 0, 1},
                     std::vector<FmFace::Corners>(static_cast<std::size_t>(count), {0, 1, 2}));
}

// A square two units wide facing +z, at (0, 0, -5).
inline FmObject* squareWall(const char* name) {
  FmObject* wall =
      stillObject(name, {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}, {{0, 1, 2}, {0, 2, 3}});
  wall->setController(new FmTransformController);
  wall->controller()->addPositionKey({0, 0, -5}, 0.0f);
  return wall;
}

// A camera at `position`, looking along -z, that sees 100 units far.
inline FmCamera* cameraAt(const char* name, const FmPoint& position) {
  auto* camera = new FmCamera(name, nullptr, -1.0f);
  camera->setController(new FmTransformController);
  camera->controller()->addPositionKey(position, 0.0f);
  camera->setFarClip(100.0f);
  return camera;
}

// Writes the file whose top-level object is `top`.
inline void writeLevel(const std::string& path, const RWCollectable& top) {
  RWBinaryFile file(path.c_str(), "wb");
  writeObject(file, &top);
}

}  // namespace LevelParts
