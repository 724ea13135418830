#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FmObject.h"
#include "FmTransformController.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "TempFile.h"

namespace {

// An object with the triangle (0,0,0), (1,0,0), (0,1,0) in a frame of its own.
std::unique_ptr<FmObject> triangleObject(const char* name = "triangle") {
  auto object = std::make_unique<FmObject>(name, nullptr, -1.0f);
  auto* frame = new FmMesh;
  EXPECT_TRUE(frame->setVertices({0, 0, 0, 1, 0, 0, 0, 1, 0}));
  object->setCurrentFrame(frame);
  object->setVertexCount(3);
  auto* faces = new RWOrdered;
  auto* face = new FmFace;
  face->setVertexIndex({0, 1, 2});
  faces->append(face);
  EXPECT_TRUE(object->setFaces(faces));
  object->computeBounds(0);
  return object;
}

void placeAt(FmObject& object, const FmPoint& position) {
  auto* controller = new FmTransformController;
  controller->position().setValue(position);
  object.setController(controller);
  object.update(0.0f, FmMatrix::identity());
}

// Looking down -z from the origin with a 45 degree cone as far as 30.
FmViewer viewer() {
  constexpr float cosine = 0.70710677f;
  return {{0, 0, 0}, {0, 0, -1}, cosine, cosine * cosine, cosine, 30.0f};
}

FmMesh* frameAt(float time, float x) {
  auto* mesh = new FmMesh;
  mesh->setTime(time);
  EXPECT_TRUE(mesh->setVertices({x, 0, 0, 0, 1, 0, 0, 0, 1}));
  return mesh;
}

FmAnimatedMesh* animationOf(std::vector<FmMesh*> frames) {
  auto* animation = new FmAnimatedMesh;
  for (FmMesh* frame : frames) EXPECT_TRUE(animation->addFrame(frame));
  return animation;
}

// ---- hand-made records --------------------------------------------------------

constexpr std::uint16_t orderedId = 0x8028;
constexpr std::uint16_t reference = 0xFFFF;

RecordBytes& nil(RecordBytes& r) {
  return r.u16(reference).u32(0);
}

RecordBytes& emptyList(RecordBytes& r) {
  return r.u16(orderedId).u32(0);
}

// An FmObject record (class identifier included) with a frame of three vertices,
// whose faces and texture list the callers write.
// A normal count other than 0 ends the record right after it.
void objectRecord(RecordBytes& r, const std::function<void(RecordBytes&)>& faces,
                  std::int32_t ownsGeometry,
                  const std::function<void(RecordBytes&)>& textures = emptyList,
                  std::uint32_t normalCount = 0) {
  r.u16(FmObject::id).u32(100);
  r.u32(102).text("hostile");
  nil(r);
  nil(r);
  r.u32(3);
  emptyList(r);
  r.f32(-1.0f);
  r.u32(3);
  emptyList(r);
  nil(r);
  r.u16(FmMesh::id).u32(101).f32(0).u32(3);
  for (const float value : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) r.f32(value);
  r.u32(0);
  r.u32(normalCount);
  if (normalCount != 0) return;
  r.u32(0);
  faces(r);
  textures(r);
  nil(r);
  r.u32(static_cast<std::uint32_t>(-1)).u32(0).u32(0).u32(0).u32(0);
  r.u32(static_cast<std::uint32_t>(ownsGeometry)).u32(0);
  r.u16(FmAnimatedFloat::id).u32(100).f32(1.0f);
  nil(r);
  r.u32(0);
}

void faceRecord(RecordBytes& r, std::int32_t a, std::int32_t b, std::int32_t c) {
  r.u16(FmFace::id).u32(101).u32(a).u32(b).u32(c);
  for (int i = 0; i < 10; ++i) r.u32(0);
}

void oneFaceList(RecordBytes& r) {
  r.u16(orderedId).u32(1);
  faceRecord(r, 0, 1, 2);
}

// Reads the file's outermost object under a read log; after an error, releases
// what was read as the level tool does, and gives the error's text.
std::string readLogged(const TempFile& path, std::unique_ptr<RWCollectable>& result) {
  RWReadLog log;
  RWBinaryFile file(path.c_str(), "rb");
  try {
    result.reset(readObject(file));
  } catch (const RWxmsg& error) {
    log.destroyCreated();
    return error.why();
  }
  return {};
}

std::string readHostile(const RecordBytes& record, std::unique_ptr<RWCollectable>& result) {
  TempFile path("hostile");
  path.write(record.bytes());
  return readLogged(path, result);
}

// The records of two objects in one ordered collection: list 1, first object 2,
// its children 3, animations 4, frame 5, face list 6, face 7, textures 8, track 9.
RecordBytes pairOfObjects(const std::function<void(RecordBytes&)>& secondFaces,
                          std::int32_t secondOwns) {
  RecordBytes r;
  r.u32(0x8888).u16(orderedId).u32(2);
  objectRecord(r, oneFaceList, 1);
  objectRecord(r, secondFaces, secondOwns);
  return r;
}

void destroyAll(std::unique_ptr<RWCollectable>& collection) {
  static_cast<RWOrdered*>(collection.get())->clearAndDestroy();
  collection.reset();
}

}  // namespace

// ---- visibility ------------------------------------------------------------------

TEST(ObjectVisibility, StraightAheadWithinRangeIsVisibleAtItsDistance) {
  auto object = triangleObject();
  placeAt(*object, {0, 0, -10});
  object->updateVisibility(0.0f, viewer());
  EXPECT_FLOAT_EQ(object->viewDistance(), 10.0f);

  placeAt(*object, {0, 0, -40});
  object->updateVisibility(0.0f, viewer());
  EXPECT_EQ(object->viewDistance(), 0.0f);

  placeAt(*object, {0, 0, 10});
  object->updateVisibility(0.0f, viewer());
  EXPECT_EQ(object->viewDistance(), 0.0f);
}

TEST(ObjectVisibility, AnAlmostVisibleTrackHidesTheObject) {
  auto object = triangleObject();
  object->visibilityTrack().setValue(0.999f);
  placeAt(*object, {0, 0, -10});
  object->updateVisibility(0.0f, viewer());
  EXPECT_EQ(object->viewDistance(), 0.0f);
}

TEST(ObjectVisibility, AnEyeInsideTheSphereSkipsTheConeTest) {
  auto object = triangleObject();
  placeAt(*object, {0, 0, 0.5f});
  object->updateVisibility(0.0f, viewer());
  EXPECT_FLOAT_EQ(object->viewDistance(), 0.5f);
}

TEST(ObjectVisibility, AZeroAxisDistanceBecomesOne) {
  auto object = triangleObject();
  object->setDistanceAxis(2);
  placeAt(*object, {0, 0, -10});
  object->updateVisibility(0.0f, viewer());
  EXPECT_EQ(object->viewDistance(), 1.0f);
  object->setDistanceAxis(3);
  object->updateVisibility(0.0f, viewer());
  EXPECT_EQ(object->viewDistance(), 10.0f);
}

// ---- animation and display lists --------------------------------------------------

TEST(ObjectAnimation, ASingleFrameAnimationIsResolvedOnce) {
  FmObject object;
  FmMesh* still = frameAt(0.0f, 5.0f);
  ASSERT_TRUE(object.addAnimation(animationOf({frameAt(0, 0), frameAt(1, 2)})));
  ASSERT_TRUE(object.addAnimation(animationOf({still})));
  object.selectAnimation(1);
  EXPECT_EQ(object.currentAnimation(), 1);
  EXPECT_EQ(object.animationInUse(), nullptr);
  EXPECT_EQ(object.currentFrame(), still);
  object.updateMesh(0.5f);
  EXPECT_EQ(object.currentFrame(), still);
  object.selectAnimation(2);
  object.selectAnimation(-1);
  EXPECT_EQ(object.currentAnimation(), 1);

  object.selectAnimation(0);
  object.updateMesh(0.5f);
  ASSERT_NE(object.currentFrame(), nullptr);
  EXPECT_EQ(object.positions()[0], 0.0f);  // frame at 0 until the next key time is reached
}

TEST(ObjectAnimation, MorphingBlendsIntoTheObjectsOwnFrame) {
  FmObject object;
  object.setMorphs(1);
  ASSERT_TRUE(object.addAnimation(animationOf({frameAt(0, 0), frameAt(1, 2)})));
  FmMesh* output = frameAt(0, 9);
  object.setCurrentFrame(output);
  object.selectAnimation(0);
  object.updateMesh(0.5f);
  EXPECT_EQ(object.currentFrame(), output);
  EXPECT_FLOAT_EQ(object.positions()[0], 1.0f);
}

TEST(ObjectAnimation, MorphingWithoutAFrameOfItsOwnLeavesTheAnimationAsItWas) {
  for (const bool startsOnTheFirstFrame : {false, true}) {
    FmObject object;
    object.setMorphs(1);
    ASSERT_TRUE(object.addAnimation(animationOf({frameAt(0, 0), frameAt(1, 2)})));
    FmMesh* shared = object.animationAt(0)->frameAt(0);
    if (startsOnTheFirstFrame) object.setCurrentFrame(shared);
    object.selectAnimation(0);
    for (int update = 0; update < 3; ++update) {
      object.updateMesh(0.5f);
      ASSERT_NE(object.currentFrame(), nullptr);
      EXPECT_NE(object.currentFrame(), shared);
      EXPECT_FLOAT_EQ(object.positions()[0], 1.0f) << "update " << update;
    }
    EXPECT_FLOAT_EQ(shared->vertices()[0], 0.0f);
  }
}

// Duplicates share the animation and blend into copies of their own, frame after
// frame; one handed a frame of the animation stops blending into its old copy and
// never blends into the frame.
TEST(ObjectAnimation, MorphingDuplicatesBlendOnlyIntoTheirOwnCopies) {
  FmObject source;
  source.setMorphs(1);
  ASSERT_TRUE(source.addAnimation(animationOf({frameAt(0, 0), frameAt(1, 2), frameAt(2, 6)})));
  source.selectAnimation(0);
  source.updateMesh(0.0f);
  std::unique_ptr<FmNode> first(source.duplicate());
  std::unique_ptr<FmNode> second(source.duplicate());
  auto& a = static_cast<FmObject&>(*first);
  auto& b = static_cast<FmObject&>(*second);
  const auto blended = [](float time) {
    time = std::fmod(time, 2.0f);
    return time < 1 ? 2 * time : 2 + 4 * (time - 1);
  };
  FmMesh* ownOfA = a.currentFrame();
  for (const float time : {0.5f, 1.5f, 0.25f}) {
    a.updateMesh(time);
    b.updateMesh(time + 1.0f);
    EXPECT_EQ(a.currentFrame(), ownOfA);
    EXPECT_FLOAT_EQ(a.positions()[0], blended(time)) << time;
    EXPECT_FLOAT_EQ(b.positions()[0], blended(time + 1.0f)) << time;
  }
  FmMesh* shared = source.animationAt(0)->frameAt(1);
  a.setCurrentFrame(shared);
  a.updateMesh(0.5f);
  a.updateMesh(1.5f);
  EXPECT_NE(a.currentFrame(), shared);
  EXPECT_FLOAT_EQ(a.positions()[0], 4.0f);
  for (int f = 0; f < 3; ++f) {
    EXPECT_FLOAT_EQ(source.animationAt(0)->frameAt(f)->vertices()[0], f == 2 ? 6.0f : 2.0f * f);
  }
}

TEST(ObjectAnimation, DisplayListReachesTheFrames) {
  FmObject object;
  FmMesh* first = frameAt(0, 0);
  ASSERT_TRUE(object.addAnimation(animationOf({first, frameAt(1, 1)})));
  object.selectAnimation(0);
  object.updateMesh(0.0f);
  object.setDisplayList(42);
  EXPECT_EQ(object.displayList(), 42);
  EXPECT_EQ(first->displayList(), 42);
  EXPECT_EQ(object.currentFrame()->displayList(), 42);
}

TEST(ObjectTextures, NamesComeFromTheTextureAtLocalTime) {
  FmObject object;
  EXPECT_EQ(object.textureNameAt(0.0f, 0), -1);
  FmOpenGLTexture texture("wood");
  texture.setGlName(7);
  ASSERT_TRUE(object.addTexture(&texture));
  EXPECT_EQ(object.textureNameAt(3.0f, 0), 7);
  EXPECT_EQ(object.textureNameAt(3.0f, 1), -1);
  EXPECT_EQ(object.textureNameAt(3.0f, -1), -1);

  FmOpenGLTexture other("stone");
  FmFace notATexture;
  object.replaceReference(&texture, &notATexture);
  EXPECT_EQ(object.textureAt(0), &texture);
  object.replaceReference(&texture, &other);
  EXPECT_EQ(object.textureAt(0), &other);
}

// ---- bounds and contact ------------------------------------------------------------

TEST(ObjectBounds, RadiusIsTheFarthestVertexScaledByTheControllersX) {
  auto object = triangleObject();
  EXPECT_FLOAT_EQ(object->boundingRadius(), 1.0f);
  EXPECT_EQ(object->faceAt(0)->normal(), (FmPoint{0, 0, 1}));
  auto* controller = new FmTransformController;
  controller->scale().setValue({-3, 1, 1});
  object->setController(controller);
  object->computeBounds(0);
  EXPECT_FLOAT_EQ(object->boundingRadius(), 3.0f);
}

TEST(ObjectContact, TouchingTrianglesRestartTheTargetsClock) {
  auto target = triangleObject("target");
  auto collider = triangleObject("collider");
  target->setContactFlags(FmObject::targetFlag);
  collider->setContactFlags(FmObject::colliderFlag);
  placeAt(*target, {0, 0, 0});
  placeAt(*collider, {0.25f, 0.25f, 0.5f});
  EXPECT_TRUE(collider->contact(target.get(), 4.0f));
  EXPECT_EQ(target->timeOffset(), 4.0f);
  EXPECT_EQ(target->faceAt(0)->hit(), 1);
  EXPECT_FALSE(collider->contact(collider.get(), 5.0f));
  EXPECT_FALSE(target->contact(collider.get(), 5.0f));  // not a collider
}

TEST(ObjectContact, OverlappingSpheresWithDistantTrianglesDoNotTouch) {
  auto target = triangleObject("target");
  auto collider = triangleObject("collider");
  target->setContactFlags(FmObject::targetFlag);
  collider->setContactFlags(FmObject::colliderFlag);
  placeAt(*target, {0, 0, 0});
  placeAt(*collider, {0, 0, 1.5f});
  EXPECT_FALSE(collider->contact(target.get(), 4.0f));
  EXPECT_EQ(target->timeOffset(), 0.0f);
  target->setContactFlags(0);
  placeAt(*collider, {0.25f, 0.25f, 0.5f});
  EXPECT_FALSE(collider->contact(target.get(), 4.0f));
}

TEST(ObjectContact, FacesOutsideTheArraysAreSkipped) {
  auto object = triangleObject();
  auto* faces = new RWOrdered;
  auto* bad = new FmFace;
  bad->setVertexIndex({0, 1, 3});
  faces->append(bad);
  faces->append(nullptr);
  ASSERT_TRUE(object->setFaces(faces));
  EXPECT_FALSE(object->isUsable(*bad));
  object->computeBounds(0);
  EXPECT_FALSE(object->hitBySphere({0, 0, 0}, 10.0f));
  EXPECT_EQ(bad->hit(), 0);
}

// ---- copies --------------------------------------------------------------------------

TEST(ObjectCopies, CloneOwnsCopiesWhileDuplicateShares) {
  auto source = triangleObject();
  source->setMaterial(new FmMaterial);
  ASSERT_TRUE(source->setNormals({0, 0, 1}));
  source->setBlendMode(FmObject::alphaTestedBlend);
  source->setTimeOffset(2.0f);

  std::unique_ptr<FmObject> clone(static_cast<FmObject*>(source->clone()));
  std::unique_ptr<FmNode> duplicateNode(source->duplicate());
  auto* duplicate = dynamic_cast<FmObject*>(duplicateNode.get());
  ASSERT_NE(duplicate, nullptr);

  EXPECT_EQ(duplicate->ownsGeometry(), 0);
  EXPECT_EQ(duplicate->material(), source->material());
  EXPECT_EQ(duplicate->faces(), source->faces());
  EXPECT_EQ(duplicate->currentFrame(), source->currentFrame());
  EXPECT_EQ(duplicate->blendMode(), FmObject::alphaTestedBlend);
  EXPECT_EQ(duplicate->timeOffset(), 2.0f);

  EXPECT_EQ(clone->ownsGeometry(), 1);
  EXPECT_NE(clone->material(), source->material());
  EXPECT_NE(clone->faces(), source->faces());
  EXPECT_NE(clone->faceAt(0), source->faceAt(0));
  EXPECT_NE(clone->currentFrame(), source->currentFrame());
  EXPECT_EQ(clone->normalCount(), 1);
  EXPECT_EQ(clone->timeOffset(), 2.0f);

  duplicateNode.reset();
  source.reset();
  clone->computeBounds(0);
  EXPECT_FLOAT_EQ(clone->boundingRadius(), 1.0f);
}

TEST(ObjectCopies, AMorphingDuplicateHasItsOwnFrame) {
  auto source = triangleObject();
  source->setMorphs(1);
  std::unique_ptr<FmNode> copy(source->duplicate());
  auto* duplicate = static_cast<FmObject*>(copy.get());
  EXPECT_NE(duplicate->currentFrame(), source->currentFrame());
  EXPECT_EQ(duplicate->faces(), source->faces());
}

TEST(ObjectCopies, ClearEmptiesAndResets) {
  auto object = triangleObject();
  FmOpenGLTexture texture("kept");
  ASSERT_TRUE(object->addTexture(&texture));
  object->setLit(1);
  object->setBlendMode(3);
  object->clear();
  EXPECT_EQ(object->faces(), nullptr);
  EXPECT_EQ(object->currentFrame(), nullptr);
  EXPECT_EQ(object->textureCount(), 0);
  EXPECT_EQ(object->currentAnimation(), 0);
  EXPECT_EQ(object->lit(), 0);
  EXPECT_EQ(object->blendMode(), 0);
  EXPECT_EQ(texture.name(), "kept");
}

TEST(ObjectPositions, ScaleAndOffsetMoveTheVertices) {
  auto object = triangleObject();
  object->scalePositions({2, 3, 4});
  EXPECT_EQ(object->positions()[3], 2.0f);
  EXPECT_EQ(object->positions()[7], 3.0f);
  object->offsetPositions({1, 1, 1});
  EXPECT_EQ(object->positions()[0], 1.0f);
  EXPECT_EQ(object->positions()[2], 1.0f);

  FmObject animated;
  FmMesh* first = frameAt(0, 1);
  FmMesh* second = frameAt(1, 2);
  ASSERT_TRUE(animated.addAnimation(animationOf({first, second})));
  animated.scalePositions({10, 1, 1});
  EXPECT_EQ(first->vertices()[0], 10.0f);
  EXPECT_EQ(second->vertices()[0], 20.0f);
}

// ---- records --------------------------------------------------------------------------

TEST(ObjectRecord, WrittenObjectsReadBackEqual) {
  auto* texture = new FmOpenGLTexture("bark");
  FmObject object("tree", nullptr, 30.0f);
  ASSERT_TRUE(object.addAnimation(animationOf({frameAt(0, 0), frameAt(1, 2)})));
  object.selectAnimation(0);
  object.updateMesh(0.0f);
  object.setVertexCount(3);
  ASSERT_TRUE(object.setNormals({0, 0, 1, 0, 1, 0}));
  ASSERT_TRUE(object.setTexCoords({0, 0, 1, 1}));
  auto* faces = new RWOrdered;
  auto* face = new FmFace;
  face->setVertexIndex({0, 1, 2});
  face->setTextureIndex(0);
  faces->append(face);
  ASSERT_TRUE(object.setFaces(faces));
  ASSERT_TRUE(object.addTexture(texture));
  auto* material = new FmMaterial;
  material->setShininess(12.0f);
  object.setMaterial(material);
  object.setDoubleSided(1);
  object.setContactFlags(FmObject::targetFlag);
  object.setLit(1);
  object.setBlendMode(5);
  object.setDistanceAxis(3);
  object.visibilityTrack().addKey(1.0f, 0.0f);
  object.visibilityTrack().addKey(0.0f, 2.0f);

  TempFile path("object");
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &object);
  }
  EXPECT_EQ(path.bytes().size(), recursiveStoreSize(&object));
  std::unique_ptr<RWCollectable> read;
  ASSERT_EQ(readLogged(path, read), "");
  auto* copy = dynamic_cast<FmObject*>(read.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->name(), "tree");
  EXPECT_EQ(copy->expiryTime(), 30.0f);
  EXPECT_EQ(copy->vertexCount(), 3);
  ASSERT_EQ(copy->animationCount(), 1);
  EXPECT_EQ(copy->animationAt(0)->frameCount(), 2);
  EXPECT_EQ(copy->animationInUse(), copy->animationAt(0));
  EXPECT_EQ(copy->currentFrame(), copy->animationAt(0)->frameAt(0));
  EXPECT_EQ(std::vector<float>(copy->normals().begin(), copy->normals().end()),
            (std::vector<float>{0, 0, 1, 0, 1, 0}));
  EXPECT_EQ(std::vector<float>(copy->texCoords().begin(), copy->texCoords().end()),
            (std::vector<float>{0, 0, 1, 1}));
  ASSERT_EQ(copy->faceCount(), 1);
  EXPECT_EQ(copy->faceAt(0)->vertexIndex(), face->vertexIndex());
  ASSERT_EQ(copy->textureCount(), 1);
  EXPECT_EQ(copy->textureAt(0)->name(), "bark");
  ASSERT_NE(copy->material(), nullptr);
  EXPECT_EQ(copy->material()->shininess(), 12.0f);
  EXPECT_EQ(copy->doubleSided(), 1);
  EXPECT_EQ(copy->contactFlags(), FmObject::targetFlag);
  EXPECT_EQ(copy->lit(), 1);
  EXPECT_EQ(copy->blendMode(), 5);
  EXPECT_EQ(copy->ownsGeometry(), 1);
  EXPECT_EQ(copy->distanceAxis(), 3);
  ASSERT_NE(copy->visibilityTrack().keys(), nullptr);
  EXPECT_EQ(copy->visibilityTrack().keys()->entryCount(), 2u);
  // Textures belong to the scene: the object leaves them alone.
  std::unique_ptr<FmOpenGLTexture> readTexture(copy->textureAt(0));
  read.reset();
  delete texture;
}

TEST(ObjectRecord, AnotherVersionReadsNothingFurther) {
  RecordBytes r;
  r.u32(0x8888).u16(FmObject::id).u32(101).u32(102);
  TempFile path("version");
  path.write(r.bytes());
  RWBinaryFile file(path.c_str(), "rb");
  const std::unique_ptr<RWCollectable> read(readObject(file));
  std::uint32_t next = 0;
  ASSERT_TRUE(file.read(next));
  EXPECT_EQ(next, 102u);
}

TEST(ObjectHostileRecords, AFaceListHoldingAnotherClassIsRefused) {
  RecordBytes r;
  r.u32(0x8888);
  objectRecord(
      r,
      [](RecordBytes& f) {
        f.u16(orderedId).u32(2);
        faceRecord(f, 0, 1, 2);
        f.u16(FmMaterial::id).u32(100);
        for (int i = 0; i < 14; ++i) f.u32(0);
      },
      1);
  std::unique_ptr<RWCollectable> read;
  EXPECT_NE(readHostile(r, read).find("[TYPE]"), std::string::npos);
}

TEST(ObjectHostileRecords, ATextureListHoldingAFaceIsRefused) {
  RecordBytes r;
  r.u32(0x8888);
  objectRecord(r, oneFaceList, 1, [](RecordBytes& t) {
    t.u16(orderedId).u32(1);
    faceRecord(t, 0, 0, 0);
  });
  std::unique_ptr<RWCollectable> read;
  EXPECT_NE(readHostile(r, read).find("[TYPE]"), std::string::npos);
}

TEST(ObjectHostileRecords, AFaceReferenceThatIsNoListIsRefused) {
  RecordBytes r = pairOfObjects([](RecordBytes& f) { f.u16(reference).u32(7); }, 1);
  std::unique_ptr<RWCollectable> read;
  EXPECT_NE(readHostile(r, read).find("[TYPE]"), std::string::npos);
}

// The list still being read, which holds no faces yet, would take the object itself.
TEST(ObjectHostileRecords, FacesReferringToAListOfOtherThingsAreRefused) {
  RecordBytes r;
  r.u32(0x8888).u16(orderedId).u32(1);
  objectRecord(
      r, [](RecordBytes& f) { f.u16(reference).u32(1); }, 1);
  std::unique_ptr<RWCollectable> read;
  EXPECT_EQ(readHostile(r, read),
            "[TREE] Node \"hostile\": its faces are a list that was not read as faces");
  EXPECT_EQ(read, nullptr);
}

TEST(ObjectHostileRecords, ASharedFaceListHasOneOwner) {
  RecordBytes r = pairOfObjects([](RecordBytes& f) { f.u16(reference).u32(6); }, 1);
  std::unique_ptr<RWCollectable> read;
  ASSERT_EQ(readHostile(r, read), "");
  const auto* list = static_cast<RWOrdered*>(read.get());
  const auto* first = static_cast<FmObject*>(list->elementAt(0));
  const auto* second = static_cast<FmObject*>(list->elementAt(1));
  EXPECT_EQ(first->faces(), second->faces());
  destroyAll(read);
}

TEST(ObjectHostileRecords, AFaceListedByTwoObjectsHasOneOwner) {
  RecordBytes r = pairOfObjects(
      [](RecordBytes& f) {
        f.u16(orderedId).u32(2);
        f.u16(reference).u32(7);
        faceRecord(f, 2, 1, 0);
      },
      1);
  std::unique_ptr<RWCollectable> read;
  ASSERT_EQ(readHostile(r, read), "");
  const auto* list = static_cast<RWOrdered*>(read.get());
  const auto* first = static_cast<FmObject*>(list->elementAt(0));
  const auto* second = static_cast<FmObject*>(list->elementAt(1));
  EXPECT_EQ(second->faceAt(0), first->faceAt(0));
  destroyAll(read);
}

TEST(ObjectHostileRecords, AnErrorAfterSharedGeometryReleasesEverythingOnce) {
  RecordBytes r;
  r.u32(0x8888).u16(orderedId).u32(3);
  objectRecord(
      r, [](RecordBytes& f) { f.u16(reference).u32(0); }, 0);
  objectRecord(r, oneFaceList, 1);
  r.u16(0x7777);  // no such class
  std::unique_ptr<RWCollectable> read;
  EXPECT_NE(readHostile(r, read).find("[NOCREATE]"), std::string::npos);
}

TEST(ObjectHostileRecords, CountsBeyondTheFileAreNotTrusted) {
  RecordBytes normals;
  normals.u32(0x8888);
  objectRecord(normals, oneFaceList, 1, emptyList, 0x7FFFFFF0);
  std::unique_ptr<RWCollectable> read;
  EXPECT_EQ(readHostile(normals, read), "");
  const auto* object = dynamic_cast<const FmObject*>(read.get());
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->normalCount(), 0);
  EXPECT_EQ(object->faces(), nullptr);

  RecordBytes faces;
  faces.u32(0x8888);
  objectRecord(
      faces, [](RecordBytes& f) { f.u16(orderedId).u32(0x7FFFFFFF); }, 1);
  std::unique_ptr<RWCollectable> partial;
  // The list goes on into the records that follow it and meets the texture list.
  EXPECT_NE(readHostile(faces, partial).find("[TYPE]"), std::string::npos);
}
