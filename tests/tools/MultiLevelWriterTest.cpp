#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FmMesh.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
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
    // Every level lists the shared textures; the second its own one as well.
    EXPECT_EQ(scene->textures().entryCount(), number == 2 ? 3u : 2u);
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
