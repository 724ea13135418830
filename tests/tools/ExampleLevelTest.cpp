#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "BenchCommand.h"
#include "ExampleLevel.h"
#include "FmFlock.h"
#include "LevelFile.h"
#include "LevelShot.h"
#include "ModelReader.h"
#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"
#include "SteppedClock.h"
#include "TempFile.h"

namespace {

const std::filesystem::path examples = std::filesystem::path(ZIRROW_SOURCE_DIR) / "examples";

struct Events {
  std::vector<int> hits;
  std::vector<int> wins;
  std::vector<int> fails;
};

// Plays the level headless at 30 frames a second, drawing every frame, firing at
// every fifth frame (holding the fire button) when asked to.
Events play(const std::string& level, int frames, bool fire) {
  std::vector<std::string> arguments = {"--json", "--frames", std::to_string(frames)};
  if (fire) {
    std::string burst;
    for (int frame = 0; frame < frames; frame += 5) {
      burst += (burst.empty() ? "" : ",") + std::to_string(frame);
    }
    arguments.insert(arguments.end(), {"--fire-at", burst});
  }
  arguments.push_back(level);
  SteppedClock frameClock;
  std::ostringstream out, err;
  EXPECT_EQ(runBenchTool(arguments, frameClock, out, err), 0) << err.str();
  Events events;
  const std::string report = out.str();
  const std::regex event(R"re("frame":(\d+),"time":[^,]*,"kind":"(\w+)")re");
  for (auto it = std::sregex_iterator(report.begin(), report.end(), event);
       it != std::sregex_iterator(); ++it) {
    const int frame = std::stoi((*it)[1]);
    const std::string kind = (*it)[2];
    if (kind == "hit") events.hits.push_back(frame);
    if (kind == "win") events.wins.push_back(frame);
    if (kind == "fail") events.fails.push_back(frame);
  }
  return events;
}

class ExampleLevel : public ::testing::Test {
protected:
  void SetUp() override {
    std::filesystem::create_directories(directory_.path());
    const auto scene = buildExampleLevel(readModel((examples / "models/island.glb").string(), {}));
    RWBinaryFile file(level_.c_str(), "wb");
    writeObject(file, scene.get());
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(directory_.path(), ignored);
  }

  TempFile directory_{"example"};
  std::string level_ = (directory_.path() / "example.zrw").string();
};

}  // namespace

TEST_F(ExampleLevel, ShootingTheFlockEmptyWinsOnce) {
  const LevelFile file(level_);
  ASSERT_TRUE(file.ok()) << file.problem();
  const Events events = play(level_, 600, true);
  EXPECT_EQ(events.hits.size(), 5u);
  ASSERT_EQ(events.wins.size(), 1u);
  EXPECT_TRUE(events.fails.empty());
  ASSERT_FALSE(events.hits.empty());
  EXPECT_GT(events.wins.front(), events.hits.back());
}

TEST_F(ExampleLevel, WithoutFiringTheTimerBarRunsOut) {
  const Events events = play(level_, 60 * 30 + 10, false);
  EXPECT_TRUE(events.hits.empty());
  EXPECT_TRUE(events.wins.empty());
  EXPECT_EQ(events.fails.size(), 1u);
}

TEST_F(ExampleLevel, ThePlayersViewShowsTheIsland) {
  const ShotPicture picture = takeLevelShot(level_, 1, ShotView{});
  EXPECT_TRUE(showsMoreThanOneColour(picture));
  EXPECT_GE(picture.triangles, 288);
}
