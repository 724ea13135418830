#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "DemoWriter.h"
#include "FmFlock.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmOpenGLTexture.h"
#include "FmScene.h"
#include "LevelParts.h"
#include "LevelStats.h"
#include "LevelToolRun.h"
#include "TempFile.h"

namespace {

using LevelParts::triangles;

FmOpenGLTexture* texture(const char* name, int width, int height) {
  auto* image = new FmOpenGLTexture(name);
  EXPECT_TRUE(image->setImage(width, height,
                              std::vector<std::uint8_t>(static_cast<std::size_t>(width) *
                                                        static_cast<std::size_t>(height) * 4)));
  return image;
}

// A rock of 12 triangles, a flock of five one-triangle gulls, a still texture of
// 256 x 64 and an animated one of two 2 x 2 frames.
void writeFlockLevel(const TempFile& path) {
  FmScene scene;
  FmWorker& worker = scene.worker();
  worker.addNode(triangles("rock", 12), nullptr);
  worker.addNode(triangles("gull", 1), nullptr);
  auto* flock = new FmFlock;
  flock->setName("gulls*gull");
  flock->setPrototype(nullptr, true);
  ASSERT_TRUE(flock->setMemberCount(5));
  flock->setNeighbourRadius(4.0f);
  flock->setRepelThreshold(0.5f);
  flock->setCruiseFactor(1.0f);
  flock->setTimeLimit(30.0f);
  worker.addNode(flock, nullptr);
  ASSERT_TRUE(scene.addTexture(texture("sand", 256, 64)));
  auto* flicker = new FmOpenGLAnimatedTexture;
  ASSERT_TRUE(flicker->addFrame(texture("a", 2, 2)));
  ASSERT_TRUE(flicker->addFrame(texture("b", 2, 2)));
  ASSERT_TRUE(scene.addTexture(flicker));
  LevelParts::writeLevel(path.c_str(), scene);
}

// 256x64, 128x32, 64x16, 32x8, 16x4, 8x2, 4x1, 2x1, 1x1 texels, 4 bytes each.
constexpr std::uint64_t sandBytes = (16384 + 4096 + 1024 + 256 + 64 + 16 + 4 + 2 + 1) * 4;
// 2x2 and 1x1 texels.
constexpr std::uint64_t flickerFrameBytes = (4 + 1) * 4;

}  // namespace

TEST(LevelStats, MipmapChainsHalveEachSideDownToOnePixel) {
  EXPECT_EQ(mipmapChainBytes(256, 64), sandBytes);
  EXPECT_EQ(mipmapChainBytes(1, 1), 4u);
  EXPECT_EQ(mipmapChainBytes(1, 4), (4 + 2 + 1) * 4u);
  EXPECT_EQ(mipmapChainBytes(0, 8), 0u);
}

TEST(LevelStats, CountsTheStartedLevelWithItsFlockMembers) {
  TempFile path("flock");
  writeFlockLevel(path);
  const std::vector<LevelStats> levels = levelStats(path.c_str());
  ASSERT_EQ(levels.size(), 1u);
  const LevelStats& level = levels[0];
  EXPECT_EQ(level.level, 1);
  // The rock and five gulls; the prototype has left the tree for the flock.
  EXPECT_EQ(level.objects, 6);
  EXPECT_EQ(level.triangles, 12 + 5);
  EXPECT_EQ(level.textures, 2);
  EXPECT_EQ(level.textureFrames, 3);
  EXPECT_EQ(level.textureBytes, sandBytes + 2 * flickerFrameBytes);
  ASSERT_EQ(level.flocks.size(), 1u);
  EXPECT_EQ(level.flocks[0].name, "gulls");
  EXPECT_EQ(level.flocks[0].prototype, "gull");
  EXPECT_EQ(level.flocks[0].members, 5);
  EXPECT_EQ(level.flocks[0].trianglesPerMember, 1);
  EXPECT_TRUE(level.flocks[0].active);
}

TEST(LevelStats, TheCommandPrintsEveryLevelAsATableAndAsJson) {
  TempFile directory("demo");
  ASSERT_EQ(DemoWriter::write(directory.c_str()), "");
  const std::string demo = (directory.path() / DemoWriter::sceneFileName).string();

  const ToolRun json = levelTool({"stats", "--json", demo});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto parsed = nlohmann::json::parse(json.out);
  const auto& levels = parsed.at("levels");
  ASSERT_EQ(levels.size(), static_cast<std::size_t>(DemoWriter::levelCount));
  for (std::size_t i = 0; i < levels.size(); ++i) {
    const auto& level = levels[i];
    EXPECT_EQ(level.at("level"), i + 1);
    EXPECT_GT(level.at("objects").get<int>(), 0);
    EXPECT_GT(level.at("triangles").get<int>(), level.at("objects").get<int>());
    EXPECT_GT(level.at("textureBytes").get<std::uint64_t>(), 0u);
    ASSERT_FALSE(level.at("flocks").empty());
    int active = 0;
    for (const auto& flock : level.at("flocks")) {
      EXPECT_GT(flock.at("members").get<int>(), 0);
      EXPECT_GT(flock.at("trianglesPerMember").get<int>(), 0);
      active += flock.at("active").get<bool>() ? 1 : 0;
    }
    EXPECT_EQ(active, 1);
  }

  const ToolRun table = levelTool({"stats", demo});
  ASSERT_EQ(table.status, 0) << table.err;
  std::istringstream lines(table.out);
  std::string header, first, second, extra;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_NE(header.find("triangles"), std::string::npos) << header;
  EXPECT_TRUE(first.starts_with("1 ")) << first;
  EXPECT_TRUE(second.starts_with("2 ")) << second;
  EXPECT_NE(first.find(std::to_string(levels[0].at("triangles").get<int>())), std::string::npos);
  EXPECT_FALSE(std::getline(lines, extra));
  std::error_code ignored;
  std::filesystem::remove_all(directory.path(), ignored);
}

TEST(LevelStats, AFileThatIsNoLevelIsReported) {
  TempFile missing("missing");
  const ToolRun absent = levelTool({"stats", missing.c_str()});
  EXPECT_EQ(absent.status, 1);
  EXPECT_NE(absent.err.find("zirrow-level stats: "), std::string::npos) << absent.err;
  EXPECT_NE(absent.err.find("[OPERR]"), std::string::npos) << absent.err;

  TempFile junk("junk");
  junk.write({'n', 'o', 't', ' ', 'a', ' ', 'l', 'e', 'v', 'e', 'l'});
  const ToolRun garbage = levelTool({"stats", junk.c_str()});
  EXPECT_EQ(garbage.status, 1);
  EXPECT_TRUE(garbage.out.empty()) << garbage.out;

  const ToolRun usage = levelTool({"stats"});
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.err.find("LEVEL"), std::string::npos) << usage.err;
}

TEST(LevelStats, TheHeavyLevelHoldsWhatItPromisesAndPassesTheCheck) {
  TempFile heavy("heavy");
  const ToolRun written = levelTool({"heavy", heavy.c_str()});
  ASSERT_EQ(written.status, 0) << written.err;
  EXPECT_NE(written.out.find(heavy.c_str()), std::string::npos) << written.out;
  const ToolRun checked = levelTool({"check", heavy.c_str()});
  EXPECT_EQ(checked.status, 0) << checked.out;
  EXPECT_EQ(checked.out, "ok\n");

  const ToolRun json = levelTool({"stats", "--json", heavy.c_str()});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto levels = nlohmann::json::parse(json.out).at("levels");
  ASSERT_EQ(levels.size(), 1u);
  const auto& level = levels[0];
  const nlohmann::json* active = nullptr;
  for (const auto& flock : level.at("flocks")) {
    if (flock.at("active").get<bool>()) active = &flock;
  }
  ASSERT_NE(active, nullptr) << level.dump();
  const int members = active->at("members").get<int>();
  const int memberTriangles = members * active->at("trianglesPerMember").get<int>();
  EXPECT_EQ(members, 2000);
  // The flock's members are among the objects drawn.
  EXPECT_EQ(level.at("objects").get<int>() - members, 200);
  EXPECT_EQ(level.at("triangles").get<int>() - memberTriangles, 150000);
  EXPECT_EQ(level.at("textures").get<int>(), 64);
  EXPECT_GE(level.at("cameras").get<int>(), 1);

  // A second run writes the same file.
  TempFile again("again");
  ASSERT_EQ(levelTool({"heavy", again.c_str()}).status, 0);
  EXPECT_EQ(heavy.bytes(), again.bytes());
}

TEST(LevelStats, TheHeavyLevelThatCantBeWrittenSaysWhyAndLeavesNothing) {
  TempFile directory("missing-dir");
  const std::string target = (directory.path() / "heavy.zrw").string();
  const ToolRun failed = levelTool({"heavy", target});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("zirrow-level heavy: "), std::string::npos) << failed.err;
  EXPECT_NE(failed.err.find(target), std::string::npos) << failed.err;
  EXPECT_FALSE(std::filesystem::exists(directory.path()));
}
