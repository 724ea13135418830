#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FmFlock.h"
#include "FmMaterial.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "FmRocket.h"
#include "FmScene.h"
#include "MultiLevelWriter.h"
#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"
#include "TempFile.h"

namespace {

FmOpenGLTexture* texture(const char* name) {
  auto* texture = new FmOpenGLTexture(name);
  EXPECT_TRUE(texture->setImage(1, 1, {1, 2, 3, 4}));
  return texture;
}

// A level whose root holds a group node with one object showing the texture.
std::unique_ptr<FmScene> level(const char* name, FmOpenGLTexture* shown) {
  auto scene = std::make_unique<FmScene>();
  auto* group = new FmNode(name, nullptr, FmNode::neverExpires);
  auto* object = new FmObject((std::string(name) + "-object").c_str(), nullptr, -1.0f);
  auto* frame = new FmMesh;
  EXPECT_TRUE(frame->setVertices({0, 0, 0, 1, 0, 0, 0, 1, 0}));
  object->setCurrentFrame(frame);
  object->setVertexCount(3);
  object->addTexture(shown);
  group->appendChild(object);
  scene->worker().addNode(group, nullptr);
  return scene;
}

// Reads one level of the file into a fresh scene.
std::unique_ptr<FmScene> readLevel(const TempFile& path, int number) {
  auto scene = std::make_unique<FmScene>();
  scene->setLevel(number);
  RWBinaryFile file(path.c_str(), "rb");
  EXPECT_EQ(readObject(file, scene.get()), scene.get());
  return scene;
}

const FmObject* objectOf(const FmScene& scene) {
  const FmNode* group = scene.worker().root().childAt(0);
  return group ? dynamic_cast<const FmObject*>(group->childAt(0)) : nullptr;
}

class MultiLevelWriterTest : public ::testing::Test {
protected:
  ~MultiLevelWriterTest() override {
    levels.clear();
    shared.clearAndDestroy();
  }

  RWOrdered shared;
  std::vector<std::unique_ptr<FmScene>> levels;
};

}  // namespace

TEST_F(MultiLevelWriterTest, EachLevelReadsBackWithTheSharedTextures) {
  FmOpenGLTexture* sky = texture("sky");
  FmOpenGLTexture* sea = texture("sea");
  shared.append(sky);
  shared.append(sea);
  levels.push_back(level("first", sky));
  levels.push_back(level("second", sea));
  levels.push_back(level("third", sky));
  FmOpenGLTexture* own = texture("own");
  ASSERT_TRUE(levels[1]->addTexture(own));
  MultiLevelWriter writer(shared);
  for (const auto& scene : levels) writer.addLevel(*scene);
  TempFile path("levels");
  ASSERT_TRUE(writer.write(path.c_str()));

  const char* names[] = {"first", "second", "third"};
  const char* shown[] = {"sky", "sea", "sky"};
  for (int number = 1; number <= 3; ++number) {
    SCOPED_TRACE(number);
    const auto scene = readLevel(path, number);
    EXPECT_EQ(scene->levelCount(), 3);
    ASSERT_EQ(scene->worker().root().childCount(), 1u);
    EXPECT_EQ(scene->worker().root().childAt(0)->name(), names[number - 1]);
    const FmObject* object = objectOf(*scene);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->parent(), scene->worker().root().childAt(0));
    ASSERT_NE(object->textureAt(0), nullptr);
    EXPECT_EQ(object->textureAt(0)->name(), shown[number - 1]);
    // The shared texture that the level shows joins its own ones.
    EXPECT_EQ(scene->textures().entryCount(), number == 2 ? 2u : 1u);
    EXPECT_NE(scene->textures().indexOf(object->textureAt(0)), RW_NPOS);
  }
}

TEST_F(MultiLevelWriterTest, AFileOfOneLevelIsNotWritten) {
  levels.push_back(level("only", texture("lonely")));
  shared.append(const_cast<FmOpenGLTexture*>(objectOf(*levels[0])->textureAt(0)));
  MultiLevelWriter writer(shared);
  writer.addLevel(*levels[0]);
  TempFile path("single");
  EXPECT_FALSE(writer.write(path.c_str()));
  EXPECT_FALSE(std::filesystem::exists(path.path()));
}

TEST_F(MultiLevelWriterTest, SharedTexturesShownOnlyByCopiedTemplatesAreKept) {
  FmOpenGLTexture* sky = texture("sky");
  FmOpenGLTexture* fire = texture("fire");
  FmOpenGLTexture* feather = texture("feather");
  FmOpenGLTexture* unused = texture("unused");
  for (FmOpenGLTexture* each : {sky, fire, feather, unused}) shared.append(each);
  levels.push_back(level("first", sky));
  levels.push_back(level("second", sky));
  FmWorker& worker = levels[0]->worker();
  auto* explosion = new FmObject("blast", nullptr, 2.0f);
  explosion->addTexture(fire);
  auto* rocket = new FmRocket;
  rocket->setName("Bouncer");
  rocket->setExplosion(explosion);
  ASSERT_TRUE(worker.addTemplate(rocket));
  auto* bird = new FmObject("bird", nullptr, -1.0f);
  bird->addTexture(feather);
  auto* flock = new FmFlock;
  flock->setName("birds");
  flock->setPrototype(bird, true);
  worker.addNode(flock, nullptr);
  MultiLevelWriter writer(shared);
  for (const auto& scene : levels) writer.addLevel(*scene);
  TempFile path("templates");
  ASSERT_TRUE(writer.write(path.c_str()));

  const auto scene = readLevel(path, 1);
  const FmWorker& read = scene->worker();
  ASSERT_EQ(read.templates().entryCount(), 1u);
  const auto* readRocket = dynamic_cast<const FmRocket*>(read.templates().elementAt(0));
  ASSERT_NE(readRocket, nullptr);
  ASSERT_NE(readRocket->explosion(), nullptr);
  const FmOpenGLTexture* readFire = readRocket->explosion()->textureAt(0);
  ASSERT_NE(readFire, nullptr);
  EXPECT_EQ(readFire->name(), "fire");
  ASSERT_EQ(read.flocks().entryCount(), 1u);
  const auto* readFlock = static_cast<const FmFlock*>(read.flocks().elementAt(0));
  ASSERT_NE(readFlock->prototype(), nullptr);
  const FmOpenGLTexture* readFeather = readFlock->prototype()->textureAt(0);
  ASSERT_NE(readFeather, nullptr);
  EXPECT_EQ(readFeather->name(), "feather");
  EXPECT_NE(scene->textures().indexOf(readFire), RW_NPOS);
  EXPECT_NE(scene->textures().indexOf(readFeather), RW_NPOS);
  EXPECT_EQ(scene->textures().entryCount(), 3u);

  const auto other = readLevel(path, 2);
  EXPECT_EQ(other->textures().entryCount(), 1u);
}

// Shared objects other than textures: a material that level 1's object shows and
// one that no level uses. Each level keeps them while it is loaded and destroys
// them with the scene; nothing is left behind and nothing is destroyed twice.
TEST_F(MultiLevelWriterTest, SharedObjectsOtherThanTexturesLiveAsLongAsTheLevel) {
  FmOpenGLTexture* sky = texture("sky");
  auto* paint = new FmMaterial;
  paint->setShininess(7.0f);
  shared.append(sky);
  shared.append(paint);
  shared.append(new FmMaterial);
  levels.push_back(level("first", sky));
  levels.push_back(level("second", sky));
  FmObject* object = const_cast<FmObject*>(objectOf(*levels[0]));
  object->setMaterial(paint);
  shared.remove(paint);  // the level's object owns it now
  MultiLevelWriter writer(shared);
  for (const auto& scene : levels) writer.addLevel(*scene);
  TempFile path("materials");
  ASSERT_TRUE(writer.write(path.c_str()));

  for (int number = 1; number <= 2; ++number) {
    SCOPED_TRACE(number);
    RWReadLog log;
    {
      const auto scene = readLevel(path, number);
      const FmObject* read = objectOf(*scene);
      ASSERT_NE(read, nullptr);
      if (number == 1) {
        ASSERT_NE(read->material(), nullptr);
        EXPECT_EQ(read->material()->shininess(), 7.0f);
      }
    }
    EXPECT_EQ(log.entries().size(), 0u);
    log.destroyCreated();
  }
}
