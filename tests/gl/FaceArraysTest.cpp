#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "FaceArrays.h"
#include "FmFace.h"
#include "FmMesh.h"
#include "FmObject.h"

namespace {

FmFace* face(const FmFace::Corners& vertices, std::int32_t texture,
             const FmFace::Corners& normals = {0, 1, 2}) {
  auto* f = new FmFace;
  f->setVertexIndex(vertices);
  f->setTexCoordIndex(vertices);
  f->setNormalIndex(normals);
  f->setColourIndex(vertices);
  f->setTextureIndex(texture);
  return f;
}

// Four corners numbered by their x, with normals, texture coordinates and colours
// that tell them apart, and the faces given.
FmObject* fourCorners(const std::vector<FmFace*>& faces, bool coloured = true) {
  auto* object = new FmObject("quad", nullptr, -1.0f);
  auto* frame = new FmMesh;
  EXPECT_TRUE(frame->setVertices({0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0}));
  if (coloured) {
    EXPECT_TRUE(frame->setColours({0, 0, 0, 10, 10, 10, 20, 20, 20, 30, 30, 30}));
  }
  object->setCurrentFrame(frame);
  object->setVertexCount(4);
  EXPECT_TRUE(object->setNormals({0, 0, 1, 0, 1, 0, 1, 0, 0}));
  EXPECT_TRUE(object->setTexCoords({0, 0.5f, 1, 0.5f, 2, 0.5f, 3, 0.5f}));
  auto* list = new RWOrdered;
  for (FmFace* f : faces) list->append(f);
  EXPECT_TRUE(object->setFaces(list));
  return object;
}

TEST(FaceArrays, CornersFollowTheFacesWithEveryAttribute) {
  const std::unique_ptr<FmObject> object(fourCorners({face({0, 1, 2}, 0), face({3, 2, 1}, 0)}));
  FaceArrays arrays;
  ASSERT_TRUE(arrays.gather(*object));
  EXPECT_EQ(arrays.cornerCount(), 6);
  EXPECT_EQ(arrays.positions(),
            (std::vector<float>{0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 2, 0, 0, 1, 0, 0}));
  EXPECT_EQ(arrays.texCoords(),
            (std::vector<float>{0, 0.5f, 1, 0.5f, 2, 0.5f, 3, 0.5f, 2, 0.5f, 1, 0.5f}));
  EXPECT_EQ(arrays.colours(), (std::vector<std::uint8_t>{0, 0, 0, 10, 10, 10, 20, 20, 20, 30, 30,
                                                         30, 20, 20, 20, 10, 10, 10}));
  EXPECT_EQ(arrays.normals().size(), 18u);
  EXPECT_EQ(arrays.normals()[3 * 5 + 1], 0.0f);
  EXPECT_EQ(arrays.normals()[3 * 2 + 0], 1.0f);
  ASSERT_EQ(arrays.runs().size(), 1u);
  EXPECT_EQ(arrays.runs()[0].count, 6);
}

// A change of texture starts a run even when none of its faces can be drawn, as the
// texture is still bound; faces with corners beyond the arrays are left out.
TEST(FaceArrays, EachChangeOfTextureStartsARun) {
  const std::unique_ptr<FmObject> object(fourCorners(
      {face({0, 1, 2}, 1), face({0, 1, 9}, 2), face({1, 2, 3}, 0), face({3, 2, 1}, 0)}, false));
  FaceArrays arrays;
  ASSERT_TRUE(arrays.gather(*object));
  ASSERT_EQ(arrays.runs().size(), 4u);
  const std::vector<std::vector<std::int32_t>> expected{{0, 0, 0}, {1, 0, 3}, {2, 3, 0}, {0, 3, 6}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const FaceArrays::Run& run = arrays.runs()[i];
    EXPECT_EQ((std::vector<std::int32_t>{run.texture, run.first, run.count}), expected[i]) << i;
  }
  EXPECT_EQ(arrays.cornerCount(), 9);
  EXPECT_TRUE(arrays.colours().empty());
}

// A corner without a normal takes the one before it when sent corner by corner,
// which arrays can't say: the object is left to that way of drawing.
TEST(FaceArrays, ACornerWithoutAnAttributeOfTheObjectIsRefused) {
  const std::unique_ptr<FmObject> object(
      fourCorners({face({0, 1, 2}, 0), face({1, 2, 3}, 0, {0, -1, 2})}));
  FaceArrays arrays;
  EXPECT_FALSE(arrays.gather(*object));
  EXPECT_EQ(arrays.cornerCount(), 0);
  EXPECT_TRUE(arrays.runs().empty());

  const std::unique_ptr<FmObject> whole(fourCorners({face({0, 1, 2}, 0)}));
  ASSERT_TRUE(arrays.gather(*whole));
  EXPECT_EQ(arrays.cornerCount(), 3) << "a later object starts afresh";
}

}  // namespace
