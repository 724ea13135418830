#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FmAnimatedMesh.h"
#include "FmCamera.h"
#include "FmFlock.h"
#include "FmFog.h"
#include "FmLight.h"
#include "FmMaterial.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "FmRocket.h"
#include "FmScene.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "SceneBytes.h"
#include "TempFile.h"

namespace {

using namespace SceneBytes;

constexpr std::uint16_t orderedId = 0x8028;

FmFog* makeFog(const char* name, float start) {
  auto* fog = new FmFog(name);
  fog->setColour({0.5f, 0.25f, start});
  fog->setFogStart(start);
  fog->setFogEnd(start + 10.0f);
  fog->setFogMode(FmFog::exponential);
  return fog;
}

// A scene with a camera, a light, an opaque and a blended textured object, two
// fogs and an auxiliary node.
void fill(FmScene& scene) {
  auto* texture = new FmOpenGLTexture("bricks");
  ASSERT_TRUE(scene.addTexture(texture));
  ASSERT_TRUE(scene.addFog(makeFog("near", 1.0f)));
  ASSERT_TRUE(scene.addFog(makeFog("far", 2.0f)));
  scene.setAmbient({0.1f, 0.2f, 0.3f});
  scene.setDuration(12.0f);
  FmWorker& worker = scene.worker();
  auto* camera = new FmCamera("eye", nullptr, -1.0f);
  camera->setController(new FmTransformController);
  camera->setFieldOfView(60.0f);
  worker.addNode(camera, nullptr);
  worker.addNode(new FmLight("sun", nullptr, -1.0f), camera);
  auto* wall = new FmObject("wall", nullptr, -1.0f);
  wall->setMaterial(new FmMaterial);
  ASSERT_TRUE(wall->addTexture(texture));
  worker.addNode(wall, nullptr);
  auto* glass = new FmObject("glass", nullptr, 9.0f);
  glass->setBlendMode(3);
  worker.addNode(glass, wall);
  worker.setCamera(camera);
  worker.setPoints({1, 2, 3}, {4, 5, 6});
  scene.setAuxiliaryNode(new FmNode("aux", nullptr, -1.0f));
}

void writeScene(const TempFile& path, const FmScene& scene) {
  RWBinaryFile file(path.c_str(), "wb");
  writeObject(file, &scene);
  EXPECT_EQ(file.currentOffset(), recursiveStoreSize(&scene));
}

void writeBytes(const TempFile& path, const RecordBytes& bytes) {
  RWBinaryFile file(path.c_str(), "wb");
  file.write(reinterpret_cast<const char*>(bytes.bytes().data()), bytes.bytes().size());
}

// Reads as the level tool does: after an error, the scene lets go and the log
// destroys what was created.
std::string readInto(const TempFile& path, FmScene& scene) {
  RWBinaryFile file(path.c_str(), "rb");
  RWReadLog log;
  try {
    readObject(file, &scene);
  } catch (const RWxmsg& error) {
    log.destroyCreated();
    return error.why();
  }
  return "no error";
}

TEST(SceneTest, SceneSurvivesWriteAndRead) {
  TempFile path("scene");
  {
    FmScene scene;
    fill(scene);
    writeScene(path, scene);
  }
  FmScene scene;
  ASSERT_EQ(readInto(path, scene), "no error");
  EXPECT_EQ(scene.ambient(), (FmPoint{0.1f, 0.2f, 0.3f}));
  EXPECT_EQ(scene.duration(), 12.0f);
  EXPECT_EQ(scene.levelCount(), 1);
  ASSERT_EQ(scene.fogs().entryCount(), 2u);
  ASSERT_EQ(scene.textures().entryCount(), 1u);
  ASSERT_NE(scene.auxiliaryNode(), nullptr);
  EXPECT_EQ(scene.auxiliaryNode()->name(), "aux");
  const FmWorker& worker = scene.worker();
  ASSERT_EQ(worker.cameras().entryCount(), 1u);
  EXPECT_EQ(worker.camera(), worker.cameras().elementAt(0));
  EXPECT_FLOAT_EQ(worker.viewer().coneCos, 0.5f);
  EXPECT_EQ(worker.lights().entryCount(), 1u);
  ASSERT_EQ(worker.objects().entryCount(), 1u);
  ASSERT_EQ(worker.blendObjects().entryCount(), 1u);
  const auto* wall = static_cast<const FmObject*>(worker.objects().elementAt(0));
  EXPECT_EQ(wall->objectTextures().elementAt(0), scene.textures().elementAt(0));
  EXPECT_EQ(wall->childAt(0), worker.blendObjects().elementAt(0));
  EXPECT_EQ(wall->childAt(0)->expiryTime(), 9.0f);
  EXPECT_EQ(worker.pointA(), (FmPoint{1, 2, 3}));
  EXPECT_EQ(worker.root().childCount(), 2u);
}

TEST(SceneTest, NodeFlagsReadAsTheFileHoldsThem) {
  TempFile path("flags");
  {
    FmScene scene;
    fill(scene);
    FmNode* wall = scene.worker().root().childAt(1);
    ASSERT_EQ(wall->name(), "wall");
    wall->setFlags(FmNode::ownsControllerFlag);
    writeScene(path, scene);
    wall->setFlags(FmNode::defaultFlags);
  }
  FmScene scene;
  ASSERT_EQ(readInto(path, scene), "no error");
  const FmWorker& worker = scene.worker();
  const FmNode* wall = worker.root().childAt(1);
  EXPECT_EQ(wall->flags(), FmNode::ownsControllerFlag);
  EXPECT_EQ(worker.root().childAt(0)->flags(), FmNode::defaultFlags);
  ASSERT_EQ(wall->childCount(), 1u);
  // The child that its parent does not own still goes with the scene (the sanitizer
  // run reports it otherwise).
  scene.clear();
  EXPECT_EQ(scene.worker().root().childCount(), 0u);
}

TEST(SceneTest, SelectFogCopiesValidEntriesOnly) {
  FmScene scene;
  scene.addFog(makeFog("near", 1.0f));
  scene.addFog(makeFog("far", 2.0f));
  scene.selectFog(1);
  EXPECT_EQ(scene.fogIndex(), 1);
  EXPECT_EQ(scene.fogStart(), 2.0f);
  EXPECT_EQ(scene.fogEnd(), 12.0f);
  EXPECT_EQ(scene.fogMode(), FmFog::exponential);
  scene.selectFog(-1);
  EXPECT_EQ(scene.fogIndex(), -1);
  EXPECT_EQ(scene.fogStart(), 2.0f);
  scene.selectFog(0);
  scene.selectFog(-2);
  scene.selectFog(2);
  EXPECT_EQ(scene.fogIndex(), 0);
  EXPECT_EQ(scene.fogStart(), 1.0f);
}

TEST(SceneTest, MultiLevelFileReadsTheChosenLevel) {
  TempFile path("levels");
  writeBytes(path, multiLevel());
  FmScene scene;
  scene.setLevel(2);
  ASSERT_EQ(readInto(path, scene), "no error");
  EXPECT_EQ(scene.levelCount(), 3);
  EXPECT_EQ(scene.worker().root().name(), "second");
  ASSERT_EQ(scene.textures().entryCount(), 1u);
  EXPECT_EQ(static_cast<const FmOpenGLTexture*>(scene.textures().elementAt(0))->name(), "two");
  EXPECT_EQ(scene.duration(), 5.0f);

  FmScene outside;
  outside.setLevel(4);
  ASSERT_EQ(readInto(path, outside), "no error");
  EXPECT_EQ(outside.levelCount(), 3);
  EXPECT_EQ(outside.worker().root().name(), "");
  EXPECT_EQ(outside.textures().entryCount(), 0u);
}

// A two-level file whose shared list is the given record; level 1 lists the
// object with the number (0: none) as its only texture.
RecordBytes twoLevels(const RecordBytes& shared, std::uint32_t textureNumber) {
  RecordBytes head;
  head.u32(0x8888).u16(FmScene::id).u32(103).u32(2);
  RecordBytes level1, level2;
  body(level1, "first", textureNumber);
  body(level2, "second", 0);
  const auto start = static_cast<std::uint32_t>(head.bytes().size() + 8 + shared.bytes().size());
  head.u32(start).u32(start + static_cast<std::uint32_t>(level1.bytes().size()));
  return head.raw(shared.bytes()).raw(level1.bytes()).raw(level2.bytes());
}

// Reads level 1 of the file into a scene that is destroyed again; what the read
// created and the scene did not destroy with it is counted (and then destroyed).
std::size_t objectsLeftAfterReading(const RecordBytes& bytes, std::string& outcome) {
  TempFile path("sharedObjects");
  writeBytes(path, bytes);
  RWReadLog log;
  {
    FmScene scene;
    outcome = readInto(path, scene);
  }
  const std::size_t left = log.entries().size();
  log.destroyCreated();
  return left;
}

// Numbers: 1 scene, 2 the shared list, 3 and 4 its elements.
TEST(SceneTest, SharedObjectsAreSettledOnceAndDestroyedWithTheScene) {
  std::string outcome;
  RecordBytes twice;
  texture(twice.u16(orderedId).u32(2), "one").u16(0xFFFF).u32(3);
  EXPECT_EQ(objectsLeftAfterReading(twoLevels(twice, 0), outcome), 0u);
  EXPECT_EQ(outcome, "no error");
  EXPECT_EQ(objectsLeftAfterReading(twoLevels(twice, 3), outcome), 0u);
  EXPECT_EQ(outcome, "no error");

  RecordBytes material;
  texture(material.u16(orderedId).u32(2).u16(FmMaterial::id).u32(0), "two");
  EXPECT_EQ(objectsLeftAfterReading(twoLevels(material, 4), outcome), 0u);
  EXPECT_EQ(outcome, "no error");

  // A texture whose record reads nothing, listed again by reference, and a level
  // offset beyond the end: the file found by fuzzing.
  RecordBytes cut;
  cut.u32(0x8888).u16(FmScene::id).u32(103).u32(2).u32(143).u32(1561);
  cut.u16(orderedId).u32(2).u16(FmOpenGLTexture::id).u32(0xff00006f).u16(0xFFFF).u32(3);
  EXPECT_EQ(objectsLeftAfterReading(cut, outcome), 0u);
}

// Numbers: 1 scene, 2 worker, 3 objects, 4 blendObjects, 5 cameras, 6 the camera.
TEST(SceneTest, OldWorkerAdoptsListNodes) {
  TempFile path("old");
  RecordBytes bytes;
  bytes.u32(0x8888).u16(FmScene::id).u32(100).u16(FmWorker::id).u32(103);
  emptyList(emptyList(bytes)).u16(orderedId).u32(1).u16(FmCamera::id).u32(100);
  nil(nil(bytes.u32(102).text("lens"))).u32(0);
  emptyList(bytes).f32(-1.0f).f32(90.0f).f32(1.0f).f32(50.0f);
  emptyList(emptyList(emptyList(bytes)));  // lights, flocks, templates
  bytes.u16(0xFFFF).u32(6);
  nil(bytes).f32(0).f32(0).f32(0).f32(0).f32(0).f32(0);
  nil(nil(bytes));
  emptyList(emptyList(bytes)).f32(0).f32(0).f32(0);
  nil(bytes);
  writeBytes(path, bytes);
  FmScene scene;
  scene.setDuration(3.0f);
  ASSERT_EQ(readInto(path, scene), "no error");
  const FmWorker& worker = scene.worker();
  ASSERT_EQ(worker.root().childCount(), 1u);
  const FmNode* lens = worker.root().childAt(0);
  EXPECT_EQ(lens->parent(), &worker.root());
  EXPECT_EQ(lens->flags() & FmNode::ownsChildrenFlag, FmNode::ownsChildrenFlag);
  EXPECT_EQ(worker.camera(), lens);
  EXPECT_FLOAT_EQ(worker.viewer().farDistance, 50.0f);
  EXPECT_EQ(scene.duration(), 0.0f);
}

TEST(SceneTest, HostileWorkersAreRefusedWithoutLeaks) {
  TempFile path("hostile");
  {
    FmScene scene;
    fill(scene);
    FmWorker& worker = scene.worker();
    auto* stray = new FmNode("stray", nullptr, -1.0f);
    ASSERT_TRUE(worker.addTemplate(stray));
    worker.addNode(new FmLight("inside", nullptr, -1.0f), stray);  // listed, not in the tree
    writeScene(path, scene);
  }
  FmScene scene;
  EXPECT_NE(readInto(path, scene).find("[TREE]"), std::string::npos);
  EXPECT_EQ(scene.worker().root().childCount(), 0u);

  TempFile shared("sharedAux");
  {
    FmScene source;
    fill(source);
    source.worker().setAuxNode(source.auxiliaryNode(), true);  // one node, two owners
    writeScene(shared, source);
  }
  FmScene second;
  EXPECT_NE(readInto(shared, second).find("[TREE]"), std::string::npos);
}

// Nodes of a level may use what another node's record created: an object's
// animation and material, a node's controller. The node that read them may go
// first (it expires) while the others use them on.
FmMesh* meshAt(float time, float x) {
  auto* mesh = new FmMesh;
  mesh->setTime(time);
  EXPECT_TRUE(mesh->setVertices({x, 0, 0, 0, 1, 0, 0, 0, 1}));
  return mesh;
}

FmObject* animatedObject(const char* name, float expiry) {
  auto* object = new FmObject(name, nullptr, expiry);
  auto* animation = new FmAnimatedMesh;
  EXPECT_TRUE(animation->addFrame(meshAt(0.0f, 1.0f)));
  EXPECT_TRUE(animation->addFrame(meshAt(4.0f, 3.0f)));
  EXPECT_TRUE(object->addAnimation(animation));
  object->selectAnimation(0);
  object->setVertexCount(3);
  object->setMaterial(new FmMaterial);
  auto* controller = new FmTransformController;
  controller->position().setValue({1, 2, 3});
  object->setController(controller);
  return object;
}

TEST(SceneSharing, WhatANodeReadOutlivesItForTheNodesThatShareIt) {
  TempFile path("sharing");
  {
    FmScene scene;
    FmWorker& worker = scene.worker();
    FmObject* first = animatedObject("first", 1.0f);
    worker.addNode(first, nullptr);
    FmNode* second = first->duplicate();
    second->setExpiryTime(FmNode::neverExpires);
    worker.addNode(second, nullptr);
    auto* follower = new FmNode("follower", nullptr, -1.0f);
    follower->setController(first->controller());
    follower->setFlags(follower->flags() & ~FmNode::ownsControllerFlag);
    worker.addNode(follower, nullptr);
    writeScene(path, scene);
  }
  FmScene loaded;
  ASSERT_EQ(readInto(path, loaded), "no error");
  FmWorker& worker = loaded.worker();
  worker.updateScene(2.0f);
  ASSERT_EQ(worker.root().childCount(), 2u);
  worker.updateScene(2.5f);
  const auto* second = dynamic_cast<const FmObject*>(worker.root().childAt(0));
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(second->positions().size(), 9u);
  EXPECT_EQ(second->positions()[0], 1.0f);
  ASSERT_NE(second->material(), nullptr);
  const FmTransformController* shared = worker.root().childAt(1)->controller();
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared->position().value(), (FmPoint{1, 2, 3}));
}

// Rockets in flight are duplicates of the level's template, and share its
// geometry: the template may expire while they fly.
TEST(SceneSharing, RocketsFlyOnWhenTheirTemplateExpires) {
  TempFile path("template");
  {
    FmScene scene;
    auto* rocket = new FmRocket;
    rocket->setName("rocket");
    rocket->setExpiryTime(1.0f);
    auto* animation = new FmAnimatedMesh;
    EXPECT_TRUE(animation->addFrame(meshAt(0.0f, 1.0f)));
    EXPECT_TRUE(rocket->addAnimation(animation));
    rocket->selectAnimation(0);
    rocket->setVertexCount(3);
    rocket->setExplosion(animatedObject("blast", -1.0f));
    scene.worker().addNode(rocket, nullptr);
    scene.worker().setProjectileTemplate(rocket);
    writeScene(path, scene);
  }
  FmScene loaded;
  ASSERT_EQ(readInto(path, loaded), "no error");
  FmWorker& worker = loaded.worker();
  // The template's expiry time is also the copies' lifetime: this one flies until 1.5.
  FmRocket* flying = worker.launchProjectile(0.5f);
  ASSERT_NE(flying, nullptr);
  worker.updateScene(1.2f);
  EXPECT_EQ(worker.projectileTemplate(), nullptr);
  ASSERT_EQ(worker.root().childCount(), 1u);
  worker.updateScene(1.3f);
  ASSERT_EQ(flying->positions().size(), 9u);
  EXPECT_EQ(flying->positions()[0], 1.0f);
  ASSERT_NE(flying->explosion(), nullptr);
  EXPECT_EQ(flying->explosion()->name().view(), "blast");
}

// A rocket's explosion and a flock's prototype may be nodes that other records
// created, or nodes of the tree, which expire.
TEST(SceneSharing, ExplosionsAndPrototypesOutliveTheNodesThatHeldThem) {
  TempFile path("held");
  {
    FmScene scene;
    FmWorker& worker = scene.worker();
    auto* first = new FmFlock;
    first->setName("first");
    first->setExpiryTime(1.0f);
    first->setPrototype(animatedObject("creature", -1.0f), true);
    ASSERT_TRUE(first->setMemberCount(2));
    worker.addNode(first, nullptr);
    auto* second = new FmFlock;
    second->setName("second");
    second->setPrototype(first->prototype(), false);
    ASSERT_TRUE(second->setMemberCount(3));
    worker.addNode(second, nullptr);
    FmObject* blast = animatedObject("blast", 1.0f);
    worker.addNode(blast, nullptr);
    auto* rocket = new FmRocket;
    rocket->setName("rocket");
    rocket->setExplosion(blast);
    ASSERT_TRUE(worker.addTemplate(rocket));
    worker.setProjectileTemplate(rocket);
    writeScene(path, scene);
    worker.detachNode(blast);
  }
  FmScene loaded;
  ASSERT_EQ(readInto(path, loaded), "no error");
  FmWorker& worker = loaded.worker();
  worker.updateScene(2.0f);
  ASSERT_EQ(worker.root().childCount(), 1u);
  auto* second = dynamic_cast<FmFlock*>(worker.root().childAt(0));
  ASSERT_NE(second, nullptr);
  ASSERT_NE(second->prototype(), nullptr);
  EXPECT_EQ(second->prototype()->name().view(), "creature");
  second->populate(2.0f);
  EXPECT_EQ(second->childCount(), 3u);
  const FmRocket* rocket = worker.projectileTemplate();
  ASSERT_NE(rocket, nullptr);
  ASSERT_NE(rocket->explosion(), nullptr);
  EXPECT_EQ(rocket->explosion()->name().view(), "blast");
  EXPECT_EQ(rocket->explosion()->parent(), nullptr);
}

}  // namespace
