#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "BenchCommand.h"
#include "DesignerCommands.h"
#include "ExampleLevel.h"
#include "FmFlock.h"
#include "LevelFile.h"
#include "LevelShot.h"
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

std::vector<char> bytesOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ExampleLevel : public ::testing::Test {
protected:
  // The committed level's text form, built as a designer builds it.
  void SetUp() override {
    std::filesystem::create_directories(directory_.path());
    std::ostringstream out, err;
    ASSERT_EQ(
        runDesignerTool({"build", (examples / exampleLevelPath).string(), "-o", level_}, out, err),
        0)
        << err.str();
    EXPECT_EQ(err.str(), "");
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(directory_.path(), ignored);
  }

  TempFile directory_{"example"};
  std::string level_ = (directory_.path() / "example.zrw").string();
};

}  // namespace

TEST(ExampleFiles, TheCommittedExampleIsWhatTheProjectWrites) {
  TempFile directory("written");
  ASSERT_EQ(writeExampleFiles(directory.path()), "");
  for (const char* name : {exampleLevelPath, exampleModelPath}) {
    EXPECT_TRUE(bytesOf(directory.path() / name) == bytesOf(examples / name))
        << name << " differs from what zirrow-example writes";
  }
  std::filesystem::remove_all(directory.path());
  // The island comes in through an import entry, so that a designer edits the model
  // and builds again without importing it by hand.
  const auto text = nlohmann::json::parse(std::ifstream(examples / exampleLevelPath));
  EXPECT_EQ(text["objects"].back()["import"], exampleModelPath);
}

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
