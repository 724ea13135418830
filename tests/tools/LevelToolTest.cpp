#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmMaterial.h"
#include "FmOpenGLTexture.h"
#include "FmQuat.h"
#include "FmRocket.h"
#include "FmSeaObject.h"
#include "FmTransformController.h"
#include "LevelCommands.h"
#include "LevelFile.h"
#include "LevelParts.h"
#include "LevelToolRun.h"
#include "RWOrdered.h"
#include "TempFile.h"

namespace {

// Two lists sharing one plain collectable: the protocol's small worked example.
void writeSharedLists(const TempFile& path) {
  RWCollectable shared;
  RWOrdered first, second, top;
  first.insert(&shared);
  second.insert(&shared);
  top.insert(&first);
  top.insert(&second);
  top.insert(nullptr);
  LevelParts::writeLevel(path.c_str(), top);
}

}  // namespace

TEST(LevelToolCheck, ReportsBadMagicNumber) {
  TempFile path("magic");
  path.write({0x01, 0x00, 0x00, 0x00, 0x28, 0x80});
  const ToolRun run = levelTool({"check", path.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "[MAGIC] Bad magic number: 1 (should be 34952)\n");
}

TEST(LevelToolCheck, SoundFileIsOk) {
  TempFile path("sound");
  writeSharedLists(path);
  const ToolRun run = levelTool({"check", path.c_str()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "ok\n");
}

TEST(LevelToolCheck, FileEndingEarlyIsAProblemWithItsOffset) {
  TempFile path("short");
  writeSharedLists(path);
  std::vector<unsigned char> bytes = path.bytes();
  bytes.resize(bytes.size() - 3);  // cuts the last reference's number short
  path.write(bytes);
  const ToolRun run = levelTool({"check", path.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("ends early"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("offset " + std::to_string(bytes.size() - 1)), std::string::npos)
      << run.out;
}

TEST(LevelToolCheck, HugeCountInTinyFileEndsEarly) {
  TempFile path("count");
  path.write({0x88, 0x88, 0, 0, 0x28, 0x80, 0xF0, 0xFF, 0xFF, 0xFF, 0x07, 0x80});
  const ToolRun run = levelTool({"check", path.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("ends early"), std::string::npos) << run.out;
}

TEST(LevelFileReading, BytesInMemoryReadAsTheSameFileOnDisk) {
  TempFile path("level");
  {
    FmScene scene;
    scene.setDuration(5.0f);
    scene.worker().addNode(new FmNode("rock", nullptr, -1.0f), nullptr);
    LevelParts::writeLevel(path.c_str(), scene);
  }
  const LevelFile whole(path.bytes(), "level");
  ASSERT_TRUE(whole.ok()) << whole.problem();
  ASSERT_NE(whole.scene(), nullptr);
  EXPECT_EQ(whole.scene()->duration(), 5.0f);
  EXPECT_EQ(whole.objects().size(), LevelFile(path.c_str()).objects().size());

  std::vector<unsigned char> cut = path.bytes();
  cut.resize(cut.size() / 2);
  TempFile cutFile("cut");
  cutFile.write(cut);
  const LevelFile fromMemory(cut, "cut");
  EXPECT_FALSE(fromMemory.ok());
  EXPECT_EQ(fromMemory.problem(), LevelFile(cutFile.c_str()).problem());
  TempFile empty("empty");
  empty.write({});
  EXPECT_EQ(LevelFile(std::vector<unsigned char>{}, "empty").problem(),
            LevelFile(empty.c_str()).problem());
}

TEST(LevelToolCheck, MissingFileAndEmptyFile) {
  EXPECT_EQ(levelTool({"check", "/nonexistent/zirrow.scene"}).out,
            "[OPERR] Could not open file /nonexistent/zirrow.scene: No such file or directory\n");
  TempFile path("empty");
  path.write({});
  const ToolRun run = levelTool({"check", path.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("offset 0"), std::string::npos) << run.out;
}

TEST(LevelToolDump, PrintsEveryObjectOnceWithReferencesAsNumbers) {
  TempFile path("dump");
  writeSharedLists(path);
  const ToolRun text = levelTool({"dump", path.c_str()});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out,
            "#1 RWOrdered (0x8028)\n  count: 3\n  elements: [#2, #4, null]\n"
            "#2 RWOrdered (0x8028)\n  count: 1\n  elements: [#3]\n"
            "#3 RWCollectable (0x8007)\n"
            "#4 RWOrdered (0x8028)\n  count: 1\n  elements: [#3]\n");

  const ToolRun json = levelTool({"dump", "--json", path.c_str()});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.out,
            "{\n  \"top\": 1,\n  \"objects\": [\n"
            "    {\"number\":1,\"class\":\"RWOrdered\",\"fields\":{\"elements\":[2,4,null]}},\n"
            "    {\"number\":2,\"class\":\"RWOrdered\",\"fields\":{\"elements\":[3]}},\n"
            "    {\"number\":3,\"class\":\"RWCollectable\",\"fields\":{}},\n"
            "    {\"number\":4,\"class\":\"RWOrdered\",\"fields\":{\"elements\":[3]}}\n"
            "  ]\n}\n");
}

TEST(LevelToolDump, ShowsWhatWasReadBeforeAnError) {
  TempFile path("unknown");
  // A list whose second element has a class identifier nobody registered.
  path.write({0x88, 0x88, 0, 0, 0x28, 0x80, 2, 0, 0, 0, 0x07, 0x80, 0x34, 0x12});
  const ToolRun run = levelTool({"dump", path.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("#2 RWCollectable"), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "[NOCREATE] RWFactory: no create function for class with ID 4660 (0x1234)\n");
}

TEST(LevelToolUsage, UnknownCommandsAreUsageErrors) {
  EXPECT_EQ(levelTool({}).status, 2);
  EXPECT_EQ(levelTool({"dump"}).status, 2);
  EXPECT_EQ(levelTool({"frobnicate", "x"}).status, 2);
  EXPECT_NE(levelTool({"check"}).err.find("usage:"), std::string::npos);
}

TEST(LevelToolDump, PrintsAnimationAndGeometryFields) {
  TempFile path("engine");
  {
    FmFlightController controller;
    controller.setMode(FmFlightController::playback);
    controller.addPositionKey({1, 2, 3}, 0.5f);
    controller.addRotationKey(FmQuat(1, 0, 0, 0), 1.0f);
    FmOpenGLTexture texture("sky");
    ASSERT_TRUE(texture.setImage(1, 1, {10, 20, 30, 40}));
    FmMaterial material;
    FmRocket rocket;
    FmFlock flock;
    FmSeaObject sea;
    sea.setAboveFog(0);
    sea.setBelowFog(1);
    RWOrdered top;
    top.insert(&controller);
    top.insert(&texture);
    top.insert(&material);
    top.insert(&rocket);
    top.insert(&flock);
    top.insert(&sea);
    LevelParts::writeLevel(path.c_str(), top);
  }
  const ToolRun run = levelTool({"dump", path.c_str()});
  EXPECT_EQ(run.status, 0) << run.err;
  for (const char* expected :
       {"FmFlightController (0x0477)", "  mode: 2\n", "FmAnimatedPoint (0x047B)",
        "FmPositionKey (0x0474)", "  position: (1, 2, 3)\n  time: 0.5\n", "FmRotationKey (0x0475)",
        "FmQuat (0x046B)", "  name: \"sky\"\n", "  width: 1\n", "  pixelBytes: 4\n",
        "  diffuse: (0.800000012, 0.800000012, 0.800000012)\n", "FmRocket (0x0489)",
        "  speed: 20\n", "FmFlock (0x047D)", "  memberCount: ", "FmSeaObject (0x0487)",
        "  currentFog: -1\n  aboveFog: 0\n  belowFog: 1\n"}) {
    EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
  }
  EXPECT_EQ(levelTool({"check", path.c_str()}).out, "ok\n");
}
