#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "FmAnimatedMesh.h"
#include "FmMesh.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "TempFile.h"

namespace {

std::vector<float> positionsOf(const FmMesh& mesh) {
  return {mesh.vertices().begin(), mesh.vertices().end()};
}

std::vector<std::uint8_t> coloursOf(const FmMesh& mesh) {
  return {mesh.colours().begin(), mesh.colours().end()};
}

FmMesh* newMesh(float time, std::vector<float> xyz, std::vector<std::uint8_t> rgb = {}) {
  auto* mesh = new FmMesh;
  mesh->setTime(time);
  EXPECT_TRUE(mesh->setVertices(std::move(xyz)));
  EXPECT_TRUE(mesh->setColours(std::move(rgb)));
  return mesh;
}

// Two vertices per frame; frame i's coordinates are 10 i + 1 to 10 i + 6, its
// display list is 100 + i.
std::unique_ptr<FmAnimatedMesh> makeAnimation(std::initializer_list<float> times) {
  auto animation = std::make_unique<FmAnimatedMesh>();
  for (const float time : times) {
    const auto base = static_cast<float>(10 * animation->frameCount());
    FmMesh* frame = newMesh(time, {base + 1, base + 2, base + 3, base + 4, base + 5, base + 6});
    frame->setDisplayList(100 + animation->frameCount());
    EXPECT_TRUE(animation->addFrame(frame));
  }
  return animation;
}

std::vector<float> halfway(const FmMesh& first, const FmMesh& second) {
  std::vector<float> result;
  for (std::size_t i = 0; i < first.vertices().size(); ++i) {
    result.push_back((first.vertices()[i] + second.vertices()[i]) / 2);
  }
  return result;
}

// An output mesh with the frames' two vertices.
FmMesh outputMesh() {
  FmMesh output;
  EXPECT_TRUE(output.setVertices(std::vector<float>(6, -1.0f)));
  return output;
}

template <class T>
std::unique_ptr<T> roundTrip(const TempFile& path, const RWCollectable& original) {
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &original);
  }
  EXPECT_EQ(path.bytes().size(), recursiveStoreSize(&original));
  RWBinaryFile file(path.c_str(), "rb");
  std::unique_ptr<RWCollectable> object(readObject(file));
  if (!dynamic_cast<T*>(object.get())) return nullptr;
  return std::unique_ptr<T>(static_cast<T*>(object.release()));
}

// A top-level mesh record from its version to its vertex count.
RecordBytes meshRecord(std::uint32_t version, float time, std::uint32_t vertexCount) {
  RecordBytes record;
  record.u32(0x8888).u16(FmMesh::id).u32(version).f32(time).u32(vertexCount);
  return record;
}

constexpr std::uint32_t sentinel = 0xC0FFEE;

// Reads the file into an existing mesh and gives the 32-bit value after the record.
std::uint32_t readInto(const TempFile& path, FmMesh& mesh) {
  RWBinaryFile file(path.c_str(), "rb");
  readObject(file, &mesh);
  std::uint32_t next = 0;
  file.read(next);
  return next;
}

// A top-level animated mesh record holding the frame list's elements.
RecordBytes animationRecord(const RecordBytes& elements) {
  RecordBytes record;
  record.u32(0x8888).u16(FmAnimatedMesh::id).u32(100).u16(0x8028);
  return record.raw(elements.bytes());
}

// A frame with the one vertex (time, 0, 0) and no colours.
RecordBytes& appendFrame(RecordBytes& bytes, float time) {
  return bytes.u16(FmMesh::id).u32(101).f32(time).u32(1).f32(time).f32(0).f32(0).u32(0);
}

std::string readErrorOf(const TempFile& path) {
  RWBinaryFile file(path.c_str(), "rb");
  RWReadLog log;
  try {
    std::unique_ptr<RWCollectable> read(readObject(file));
  } catch (const RWxmsg& error) {
    log.destroyCreated();
    return error.why();
  }
  return "no error";
}

}  // namespace

TEST(AnimatedMeshFrames, BlendsNeighboursAndWrapsByTheLastKeyTime) {
  auto animation = makeAnimation({0.0f, 1.0f, 2.0f});
  const FmMesh& first = *animation->frameAt(0);
  FmMesh output = outputMesh();
  EXPECT_EQ(animation->getFrame(0.5f, &output), &output);
  EXPECT_EQ(positionsOf(output), halfway(first, *animation->frameAt(1)));
  FmMesh wrapped = outputMesh();
  animation->getFrame(2.5f, &wrapped);
  EXPECT_EQ(positionsOf(wrapped), halfway(first, *animation->frameAt(1)));
  animation->getFrame(2.0f, &output);
  EXPECT_EQ(positionsOf(output), positionsOf(first));
  animation->getFrame(1.75f, &output);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(output.vertices()[i], animation->frameAt(1)->vertices()[i] + 7.5f);
  }
}

TEST(AnimatedMeshFrames, NoWrapForAZeroLoopAndTheFirstFrameBeforeItsKeyTime) {
  auto zeroLoop = makeAnimation({-2.0f, -1.0f, 0.0f});
  FmMesh output = outputMesh();
  zeroLoop->getFrame(-1.5f, &output);
  EXPECT_EQ(positionsOf(output), halfway(*zeroLoop->frameAt(0), *zeroLoop->frameAt(1)));
  EXPECT_EQ(zeroLoop->getFrame(3.0f, nullptr), zeroLoop->frameAt(2));

  auto late = makeAnimation({1.0f, 2.0f});
  late->getFrame(0.5f, &output);
  EXPECT_EQ(positionsOf(output), positionsOf(*late->frameAt(0)));
  EXPECT_EQ(late->getFrame(1.5f, nullptr), late->frameAt(0));
  EXPECT_EQ(FmAnimatedMesh().getFrame(1.0f, &output), nullptr);
}

TEST(AnimatedMeshFrames, OnlyASingleFramePassesItsDisplayListOn) {
  auto single = makeAnimation({0.0f});
  FmMesh output = outputMesh();
  single->getFrame(3.0f, &output);
  EXPECT_EQ(output.displayList(), 100);
  EXPECT_EQ(positionsOf(output), positionsOf(*single->frameAt(0)));
  makeAnimation({0.0f, 1.0f})->getFrame(1.0f, &output);
  EXPECT_EQ(output.displayList(), -1);
}

TEST(AnimatedMeshFrames, FramesOfDifferentSizesBlendOnlyTheVerticesAllHold) {
  const std::vector<float> small{0, 0, 0};
  const std::vector<float> large{2, 4, 6, 8, 10, 12, 14, 16, 18};
  for (const bool smallFirst : {true, false}) {
    FmAnimatedMesh animation;
    ASSERT_TRUE(animation.addFrame(newMesh(0.0f, smallFirst ? small : large)));
    ASSERT_TRUE(animation.addFrame(newMesh(1.0f, smallFirst ? large : small)));
    FmMesh output;
    ASSERT_TRUE(output.setVertices(std::vector<float>(9, -1.0f)));
    animation.getFrame(0.5f, &output);
    EXPECT_EQ(positionsOf(output), (std::vector<float>{1, 2, 3, -1, -1, -1, -1, -1, -1}));
  }
}

TEST(MeshInterpolation, BlendsPositionsOnlyAndCopiesIntoMeshesOfTheSameSize) {
  std::unique_ptr<FmMesh> from(newMesh(1.0f, {0, 0, 0}, {10, 20, 30}));
  std::unique_ptr<FmMesh> to(newMesh(3.0f, {4, 8, -4}, {40, 50, 60}));
  from->setDisplayList(7);
  std::unique_ptr<FmMesh> output(newMesh(0.0f, {9, 9, 9}, {1, 2, 3}));
  output->setDisplayList(5);
  FmMesh::interpolateInto(output.get(), from.get(), to.get(), 1.5f);
  EXPECT_EQ(positionsOf(*output), (std::vector<float>{1, 2, -1}));
  EXPECT_EQ(coloursOf(*output), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(output->displayList(), 5);

  FmMesh::interpolateInto(output.get(), from.get(), nullptr, 1.5f);
  EXPECT_EQ(positionsOf(*output), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(coloursOf(*output), (std::vector<std::uint8_t>{10, 20, 30}));
  EXPECT_EQ(output->displayList(), 7);
  FmMesh plain;
  ASSERT_TRUE(plain.setVertices({5, 5, 5}));
  FmMesh::interpolateInto(&plain, to.get(), to.get(), 0.0f);
  EXPECT_EQ(positionsOf(plain), positionsOf(*to));
  EXPECT_FALSE(plain.hasColours());

  FmMesh larger = outputMesh();
  FmMesh::interpolateInto(&larger, from.get(), nullptr, 1.0f);
  FmMesh::interpolateInto(&larger, nullptr, to.get(), 1.0f);
  EXPECT_EQ(positionsOf(larger), std::vector<float>(6, -1.0f));
  EXPECT_EQ(larger.displayList(), -1);
}

TEST(MeshValues, ComparesByHundredthsOfASecond) {
  std::unique_ptr<FmMesh> early(newMesh(1.0f, {}));
  std::unique_ptr<FmMesh> close(newMesh(1.005f, {}));
  std::unique_ptr<FmMesh> late(newMesh(1.25f, {}));
  std::unique_ptr<FmMesh> far(newMesh(1e30f, {}));
  EXPECT_TRUE(early->equals(close.get()));
  EXPECT_FALSE(early->equals(late.get()));
  EXPECT_EQ(early->compare(late.get()), -25);
  EXPECT_EQ(far->compare(early.get()), std::numeric_limits<int>::max());
}

TEST(MeshValues, VerticesAndColoursMustAgreeAndClonesAreDeep) {
  FmMesh mesh;
  EXPECT_FALSE(mesh.setVertices({1, 2}));
  ASSERT_TRUE(mesh.setVertices({1, 2, 3, 4, 5, 6}));
  EXPECT_FALSE(mesh.setColours({1, 2, 3}));
  ASSERT_TRUE(mesh.setColours({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(mesh.vertex(1), (FmPoint{4, 5, 6}));
  EXPECT_THROW(mesh.vertex(2), RWBoundsErr);
  EXPECT_THROW(mesh.vertex(-1), RWBoundsErr);

  mesh.setDisplayList(3);
  std::unique_ptr<FmMesh> copy(static_cast<FmMesh*>(mesh.clone()));
  mesh.vertices()[0] = 9;
  EXPECT_EQ(positionsOf(*copy), (std::vector<float>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(coloursOf(*copy), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(copy->displayList(), -1);
  ASSERT_TRUE(mesh.setVertices({1, 2, 3}));
  EXPECT_FALSE(mesh.hasColours());
}

TEST(AnimatedMeshValues, CloneCopiesEveryFrameAndCompactTrims) {
  auto animation = makeAnimation({0.0f, 1.0f, 2.0f});
  animation->compact();
  EXPECT_EQ(animation->frames().capacity(), 3u);
  std::unique_ptr<FmAnimatedMesh> copy(static_cast<FmAnimatedMesh*>(animation->clone()));
  ASSERT_EQ(copy->frameCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(copy->frameAt(i), animation->frameAt(i));
    EXPECT_EQ(positionsOf(*copy->frameAt(i)), positionsOf(*animation->frameAt(i)));
  }
  EXPECT_FALSE(animation->addFrame(nullptr));
  EXPECT_FALSE(animation->addFrame(animation->frameAt(0)));
}

TEST(MeshRecord, WritesTheStoredLayoutAndReadsBackEqual) {
  TempFile path("mesh");
  std::unique_ptr<FmMesh> original(newMesh(0.5f, {1, 2, 3, 4, 5, 6}, {7, 8, 9, 250, 251, 252}));
  original->setDisplayList(4);
  const auto read = roundTrip<FmMesh>(path, *original);
  RecordBytes expected = meshRecord(101, 0.5f, 2);
  for (float value : {1, 2, 3, 4, 5, 6}) expected.f32(value);
  expected.u32(2).raw({7, 8, 9, 250, 251, 252});
  EXPECT_EQ(path.bytes(), expected.bytes());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->time(), 0.5f);
  EXPECT_EQ(positionsOf(*read), positionsOf(*original));
  EXPECT_EQ(coloursOf(*read), coloursOf(*original));
  EXPECT_EQ(read->displayList(), -1);
}

TEST(MeshRecord, OlderRecordsHoldColoursAsFractions) {
  TempFile path("mesh100");
  RecordBytes record = meshRecord(100, 1.0f, 2);
  for (float value : {0, 0, 0, 1, 1, 1}) record.f32(value);
  record.u32(2).f32(0.999f).f32(1.0f).f32(0.5f).f32(-0.5f).f32(2.0f).f32(std::nanf(""));
  path.write(record.u32(sentinel).bytes());
  FmMesh mesh;
  EXPECT_EQ(readInto(path, mesh), sentinel);
  EXPECT_EQ(coloursOf(mesh), (std::vector<std::uint8_t>{254, 255, 127, 0, 255, 0}));
}

TEST(MeshRecord, ReadingClearsAndStopsAtUnknownVersionsAndUnequalColourCounts) {
  TempFile path("stops");
  for (const std::uint32_t colourCount : {0u, 3u}) {
    RecordBytes record = meshRecord(101, 1.0f, 2);
    for (float value : {1, 2, 3, 4, 5, 6}) record.f32(value);
    path.write(record.u32(colourCount).u32(sentinel).bytes());
    FmMesh mesh;
    EXPECT_EQ(readInto(path, mesh), sentinel);
    EXPECT_EQ(mesh.vertexCount(), 2);
    EXPECT_FALSE(mesh.hasColours());
  }
  std::unique_ptr<FmMesh> mesh(newMesh(3.0f, {1, 2, 3}, {4, 5, 6}));
  mesh->setDisplayList(2);
  path.write(meshRecord(102, 1.0f, 1).bytes());
  EXPECT_EQ(readInto(path, *mesh), std::uint32_t{0x3F800000});  // the time 1.0 is not read
  EXPECT_EQ(mesh->vertexCount(), 0);
  EXPECT_FALSE(mesh->hasColours());
  EXPECT_EQ(mesh->time(), 0.0f);
  EXPECT_EQ(mesh->displayList(), -1);
}

TEST(MeshRecord, UntrustedVertexCountsAllocateNothingTheFileDoesNotHold) {
  TempFile path("huge");
  path.write(meshRecord(101, 1.0f, 200'000'000).f32(1).f32(2).f32(3).bytes());
  FmMesh mesh;
  RWBinaryFile file(path.c_str(), "rb");
  readObject(file, &mesh);
  EXPECT_TRUE(file.eof());
  EXPECT_EQ(mesh.vertexCount(), 0);

  path.write(meshRecord(100, 1.0f, 1).f32(1).f32(2).f32(3).u32(1).f32(0.5f).bytes());
  RWBinaryFile colourFile(path.c_str(), "rb");
  readObject(colourFile, &mesh);
  EXPECT_TRUE(colourFile.eof());
  EXPECT_EQ(mesh.vertexCount(), 1);
  EXPECT_FALSE(mesh.hasColours());

  for (const std::uint32_t count : {FmMesh::maxVertexCount + 1, 0xFFFFFFFFu}) {
    path.write(meshRecord(101, 1.0f, count).bytes());
    const std::string error = readErrorOf(path);
    EXPECT_EQ(error.rfind("[MESHSIZE]", 0), 0u) << error;
  }
}

TEST(AnimatedMeshRecord, WritesTheStoredLayoutAndReadsBackEqual) {
  TempFile path("animation");
  FmAnimatedMesh original;
  ASSERT_TRUE(original.addFrame(newMesh(0.0f, {0, 0, 0})));
  ASSERT_TRUE(original.addFrame(newMesh(1.5f, {1.5f, 0, 0})));
  const auto read = roundTrip<FmAnimatedMesh>(path, original);
  RecordBytes frames;
  appendFrame(appendFrame(frames.u32(2), 0.0f), 1.5f);
  EXPECT_EQ(path.bytes(), animationRecord(frames).bytes());
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->frameCount(), 2);
  EXPECT_EQ(read->frameAt(1)->time(), 1.5f);
  EXPECT_EQ(positionsOf(*read->frameAt(1)), (std::vector<float>{1.5f, 0, 0}));
}

TEST(AnimatedMeshRecord, ReadingReplacesTheFramesAndUnknownVersionsLeaveNone) {
  TempFile path("replace");
  RecordBytes frames;
  appendFrame(frames.u32(1), 4.0f);
  path.write(animationRecord(frames).bytes());
  auto animation = makeAnimation({0.0f, 1.0f});
  {
    RWBinaryFile file(path.c_str(), "rb");
    readObject(file, animation.get());
  }
  ASSERT_EQ(animation->frameCount(), 1);
  EXPECT_EQ(animation->frameAt(0)->time(), 4.0f);

  RecordBytes other;
  path.write(other.u32(0x8888).u16(FmAnimatedMesh::id).u32(101).u16(0x8028).u32(0).bytes());
  RWBinaryFile file(path.c_str(), "rb");
  readObject(file, animation.get());
  EXPECT_EQ(animation->frameCount(), 0);
  std::uint16_t next = 0;
  ASSERT_TRUE(file.read(next));
  EXPECT_EQ(next, 0x8028);
}

TEST(AnimatedMeshRecord, FrameListsHoldingAnythingButMeshesAreRefused) {
  RecordBytes plain, nil, itself;
  appendFrame(plain.u32(2), 0.0f).u16(0x8007);
  nil.u32(1).u16(0xFFFF).u32(0);
  itself.u32(1).u16(0xFFFF).u32(1);  // the animated mesh is number 1
  for (const RecordBytes* frames : {&plain, &nil, &itself}) {
    TempFile path("refused");
    path.write(animationRecord(*frames).bytes());
    const std::string error = readErrorOf(path);
    EXPECT_EQ(error.rfind("[TYPE]", 0), 0u) << error;
  }
}

TEST(AnimatedMeshRecord, AFrameListedTwiceIsOwnedOnce) {
  TempFile path("twice");
  RecordBytes frames;
  appendFrame(frames.u32(3), 0.0f).u16(0xFFFF).u32(3);  // the first frame is number 3
  appendFrame(frames, 2.0f);
  path.write(animationRecord(frames).bytes());
  RWBinaryFile file(path.c_str(), "rb");
  std::unique_ptr<RWCollectable> object(readObject(file));
  auto* animation = dynamic_cast<FmAnimatedMesh*>(object.get());
  ASSERT_NE(animation, nullptr);
  ASSERT_EQ(animation->frameCount(), 3);
  EXPECT_EQ(animation->frameAt(0), animation->frameAt(1));
  FmMesh output;
  ASSERT_TRUE(output.setVertices({9, 9, 9}));
  animation->getFrame(0.0f, &output);
  EXPECT_EQ(positionsOf(output), (std::vector<float>{0, 0, 0}));
  animation->getFrame(1.0f, &output);
  EXPECT_EQ(positionsOf(output), (std::vector<float>{1, 0, 0}));
}

TEST(AnimatedMeshRecord, AFrameOfAnotherAnimationIsRefused) {
  // A list holding two animations: the second lists the first one's frame (number 4).
  TempFile path("shared");
  RecordBytes bytes;
  bytes.u32(0x8888).u16(0x8028).u32(2);
  bytes.u16(FmAnimatedMesh::id).u32(100).u16(0x8028).u32(1);
  appendFrame(bytes, 0.0f);
  bytes.u16(FmAnimatedMesh::id).u32(100).u16(0x8028).u32(1).u16(0xFFFF).u32(4);
  path.write(bytes.bytes());
  EXPECT_EQ(readErrorOf(path), "[REF] Bad persistence reference");
}
