#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "FmAnimatedMesh.h"
#include "FmCamera.h"
#include "FmFace.h"
#include "FmFog.h"
#include "FmLight.h"
#include "FmMaterial.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "FmScene.h"
#include "LevelCommands.h"
#include "LevelFile.h"
#include "LevelParts.h"
#include "LevelToolRun.h"
#include "TempFile.h"
#include "engine/SceneBytes.h"

namespace {

FmMesh* frameAt(float time, float x) {
  auto* mesh = new FmMesh;
  EXPECT_TRUE(mesh->setVertices({0, 0, 0, x, 0, 0, 0, 1, 0}));
  mesh->setTime(time);
  return mesh;
}

// A one-triangle object whose animation moves its second corner from x 1 to x 3.
FmObject* animatedTriangle(FmOpenGLTexture* texture) {
  auto* object = new FmObject("sail", nullptr, -1.0f);
  auto* animation = new FmAnimatedMesh;
  EXPECT_TRUE(animation->addFrame(frameAt(0.0f, 1.0f)));
  EXPECT_TRUE(animation->addFrame(frameAt(2.0f, 3.0f)));
  EXPECT_TRUE(object->addAnimation(animation));
  auto* faces = new RWOrdered;
  auto* face = new FmFace;
  face->setVertexIndex({0, 1, 2});
  face->setTextureIndex(0);
  faces->insert(face);
  EXPECT_TRUE(object->setFaces(faces));
  object->setVertexCount(3);
  object->setMaterial(new FmMaterial);
  EXPECT_TRUE(object->addTexture(texture));
  object->setController(new FmTransformController);
  object->selectAnimation(0);
  object->updateMesh(0.0f);
  return object;
}

void writeScene(const TempFile& path, std::int32_t listedSailBlendMode = -1) {
  FmScene scene;
  auto* texture = new FmOpenGLTexture("canvas");
  ASSERT_TRUE(texture->setImage(1, 1, {1, 2, 3, 4}));
  ASSERT_TRUE(scene.addTexture(texture));
  ASSERT_TRUE(scene.addFog(new FmFog("mist")));
  FmWorker& worker = scene.worker();
  auto* camera = new FmCamera("eye", nullptr, -1.0f);
  camera->setController(new FmTransformController);
  worker.addNode(camera, nullptr);
  worker.addNode(new FmLight("sun", nullptr, -1.0f), nullptr);
  FmObject* sail = animatedTriangle(texture);
  worker.addNode(sail, nullptr);
  // The sail stays in the list of the mode it had when added.
  if (listedSailBlendMode >= 0) sail->setBlendMode(listedSailBlendMode);
  worker.setCamera(camera);
  scene.setAuxiliaryNode(new FmNode("aux", nullptr, -1.0f));
  LevelParts::writeLevel(path.c_str(), scene);
}

}  // namespace

TEST(LevelToolScene, SceneWrittenByTheEngineReadsBackAndDumps) {
  TempFile path("scene");
  writeScene(path);
  EXPECT_EQ(levelTool({"check", path.c_str()}).out, "ok\n");

  const LevelFile file(path.c_str());
  ASSERT_TRUE(file.ok()) << file.problem();
  ASSERT_NE(file.scene(), nullptr);
  const FmWorker& worker = file.scene()->worker();
  ASSERT_EQ(worker.root().childCount(), 3u);
  ASSERT_EQ(worker.objects().entryCount(), 1u);
  const auto* sail = static_cast<const FmObject*>(worker.objects().elementAt(0));
  EXPECT_EQ(sail->name(), "sail");
  EXPECT_EQ(sail->faceCount(), 1);
  ASSERT_EQ(sail->animationCount(), 1);
  EXPECT_EQ(sail->animationAt(0)->frameCount(), 2);
  ASSERT_EQ(sail->textureCount(), 1);
  EXPECT_EQ(sail->textureAt(0), file.scene()->textures().elementAt(0));
  EXPECT_EQ(worker.camera(), worker.cameras().elementAt(0));
  ASSERT_NE(file.scene()->auxiliaryNode(), nullptr);
  EXPECT_EQ(file.scene()->auxiliaryNode()->name(), "aux");

  const ToolRun dump = levelTool({"dump", path.c_str()});
  EXPECT_EQ(dump.status, 0) << dump.err;
  for (const char* expected :
       {"#1 FmScene (0x0469)", "FmWorker (0x0478)", "FmCamera (0x046A)", "FmLight (0x047A)",
        "  name: \"sail\"\n", "FmAnimatedMesh (0x0480)", "  vertexIndex: (0, 1, 2)\n",
        "FmFog (0x0488)", "  name: \"aux\"\n", "  name: \"canvas\"\n"}) {
    EXPECT_NE(dump.out.find(expected), std::string::npos) << expected << "\n" << dump.out;
  }
}

TEST(LevelToolScene, AnObjectListedAgainstItsBlendModeMovesToItsListWithAWarning) {
  TempFile path("relisted");
  writeScene(path, 3);
  const ToolRun check = levelTool({"check", path.c_str()});
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.out,
            "warning: object \"sail\" with blend mode 3 was listed with the opaque objects; it "
            "is drawn with the blended objects\nok\n");

  const LevelFile file(path.c_str());
  ASSERT_TRUE(file.ok()) << file.problem();
  const FmWorker& worker = file.scene()->worker();
  EXPECT_EQ(worker.objects().entryCount(), 0u);
  ASSERT_EQ(worker.blendObjects().entryCount(), 1u);
  EXPECT_EQ(static_cast<const FmObject*>(worker.blendObjects().elementAt(0))->name(), "sail");

  writeScene(path, 8);
  EXPECT_NE(levelTool({"check", path.c_str()}).out.find("drawn with the alpha-tested objects"),
            std::string::npos);
}

TEST(LevelToolScene, MultiLevelFilesReadTheChosenLevel) {
  TempFile path("levels");
  path.write(SceneBytes::multiLevel().bytes());
  EXPECT_EQ(levelTool({"check", "--level", "2", path.c_str()}).out, "ok\n");
  const ToolRun second = levelTool({"dump", "--level", "2", path.c_str()});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.out.find("  name: \"second\"\n"), std::string::npos) << second.out;
  EXPECT_NE(second.out.find("  name: \"two\"\n"), std::string::npos) << second.out;
  EXPECT_EQ(second.out.find("  name: \"one\"\n"), std::string::npos) << second.out;

  const ToolRun outside = levelTool({"check", "--level", "4", path.c_str()});
  EXPECT_EQ(outside.status, 1);
  EXPECT_EQ(outside.out, "[LEVEL] Level 4 does not exist: the file holds 3 levels\n");
  EXPECT_EQ(levelTool({"check", "--level", "x", path.c_str()}).status, 2);
}
