#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "BenchCommand.h"
#include "BenchOptions.h"
#include "BenchRun.h"
#include "FmCamera.h"
#include "FmClock.h"
#include "FmEngine.h"
#include "FmFlock.h"
#include "FmScene.h"
#include "GameLevel.h"
#include "LevelFile.h"
#include "LevelParts.h"
#include "SteppedClock.h"
#include "TempFile.h"

namespace {

// A frame clock that never moves: every frame takes no time.
class StillClock : public FmClock {
public:
  std::uint64_t counter() const override { return 42; }
  std::uint64_t frequency() const override { return 1000; }
};

struct BenchToolRun {
  int status;
  std::string out;
  std::string err;
};

BenchToolRun bench(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  const StillClock clock;
  const int status = runBenchTool(arguments, clock, out, err);
  return {status, out.str(), err.str()};
}

std::optional<BenchOptions> parsed(const std::vector<std::string>& arguments) {
  std::ostringstream errors;
  return parseBenchOptions(arguments, errors);
}

// A level whose flock of five triangles is lost after `timeLimit` seconds.
void writeFlockLevel(const TempFile& path, float timeLimit) {
  FmScene scene;
  FmWorker& worker = scene.worker();
  worker.addNode(LevelParts::stillObject("gull", {1, 0, 0, 0, 1, 0, 0, 0, 1}, {}), nullptr);
  auto* flock = new FmFlock;
  flock->setName("gulls*gull");
  flock->setPrototype(nullptr, true);
  ASSERT_TRUE(flock->setMemberCount(5));
  flock->setNeighbourRadius(4.0f);
  flock->setRepelThreshold(0.5f);
  flock->setCruiseFactor(1.0f);
  flock->setTimeLimit(timeLimit);
  worker.addNode(flock, nullptr);
  LevelParts::writeLevel(path.c_str(), scene);
}

// A camera looking along -z at a square of two triangles five units away.
void writeSquareLevel(const TempFile& path) {
  FmScene scene;
  FmWorker& worker = scene.worker();
  FmCamera* camera = LevelParts::cameraAt("eye", {0, 0, 0});
  worker.addNode(camera, nullptr);
  worker.setCamera(camera);
  worker.addNode(LevelParts::squareWall("wall"), nullptr);
  LevelParts::writeLevel(path.c_str(), scene);
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

TEST(BenchOptions, DefaultsAndEveryOption) {
  const auto defaults = parsed({"level.zrw"});
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->frames, BenchOptions::defaultFrames);
  EXPECT_EQ(defaults->step, BenchOptions::defaultStep);
  EXPECT_EQ(defaults->level, 1);
  EXPECT_EQ(defaults->flock, 0);
  EXPECT_TRUE(defaults->fireAt.empty());
  EXPECT_FALSE(defaults->json);

  const auto all = parsed({"--frames", "12", "--step", "0.25", "--level", "2", "--flock", "1",
                           "--fire-at", "3,5,8", "--turn", "-65,30.5", "--json", "a b.zrw"});
  ASSERT_TRUE(all);
  EXPECT_EQ(all->frames, 12);
  EXPECT_EQ(all->step, 0.25);
  EXPECT_EQ(all->level, 2);
  EXPECT_EQ(all->flock, 1);
  EXPECT_EQ(all->fireAt, (std::vector<std::int32_t>{3, 5, 8}));
  EXPECT_EQ(all->turnPitch, -65.0f);
  EXPECT_EQ(all->turnYaw, 30.5f);
  EXPECT_TRUE(all->json);
  EXPECT_EQ(all->levelFile, "a b.zrw");
  EXPECT_TRUE(all->draw);
  EXPECT_TRUE(all->shotDirectory.empty());

  const auto shots = parsed({"--shots", "out/shots", "--shot-every", "5", "x"});
  ASSERT_TRUE(shots);
  EXPECT_EQ(shots->shotDirectory, "out/shots");
  EXPECT_EQ(shots->shotEvery, 5);
  const auto logicOnly = parsed({"--no-draw", "x"});
  ASSERT_TRUE(logicOnly);
  EXPECT_FALSE(logicOnly->draw);
}

TEST(BenchOptions, UnusableArgumentsAreRefusedWithAReason) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{},
                                             {"--frames", "-1", "x"},
                                             {"--frames", "ten", "x"},
                                             {"--step", "0", "x"},
                                             {"--step", "nan", "x"},
                                             {"--level", "0", "x"},
                                             {"--fire-at", "1,,2", "x"},
                                             {"--turn", "5", "x"},
                                             {"--frames"},
                                             {"--shot-every", "0", "x"},
                                             {"--shots", "", "x"},
                                             {"--no-draw", "--shots", "d", "x"},
                                             {"--speed", "2", "x"},
                                             {"x", "y"}}) {
    const BenchToolRun run = bench(arguments);
    EXPECT_EQ(run.status, 2) << ::testing::PrintToString(arguments);
    EXPECT_NE(run.err.find("zirrow-bench: "), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  const BenchToolRun help = bench({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: zirrow-bench"), std::string::npos);
}

TEST(BenchRun, ALostLevelIsReportedAtTheFirstFrameAfterTheTimeLimitAndRestarts) {
  TempFile path("flock");
  writeFlockLevel(path, 3.0f);
  const BenchToolRun run = bench({"--no-draw", "--frames", "200", "--json", path.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("{\"frames\":200,\"events\":[", 0), 0u) << run.out;
  // Frame i runs at i/30 s: 3.0333 s is the first time past the limit, and the
  // restarted flock is lost again three seconds after its restart.
  EXPECT_NE(run.out.find("{\"frame\":91,\"time\":3.03333"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("{\"frame\":182,\"time\":6.0666"), std::string::npos) << run.out;
  EXPECT_EQ(occurrences(run.out, "\"kind\":\"fail\""), 2u);
  EXPECT_EQ(occurrences(run.out, "\"kind\":"), 2u);
  EXPECT_NE(run.out.find("\"statistics\":{\"update\":{\"current\":0,"), std::string::npos);
}

TEST(BenchRun, ReportsTheWholeFramesPacingAndThePeakMemory) {
  TempFile path("flock");
  writeFlockLevel(path, 0.0f);
  const BenchToolRun json = bench({"--no-draw", "--frames", "10", "--json", path.c_str()});
  ASSERT_EQ(json.status, 0) << json.err;
  // The frame clock stands still: every frame takes no time.
  EXPECT_NE(json.out.find("\"frameTimes\":{\"median\":0,\"p90\":0,\"p99\":0,\"maximum\":0}"),
            std::string::npos)
      << json.out;
  const std::string memoryKey = "\"peakMemoryKilobytes\":";
  const std::size_t memory = json.out.find(memoryKey);
  ASSERT_NE(memory, std::string::npos) << json.out;
  EXPECT_GT(std::stoull(json.out.substr(memory + memoryKey.size())), 0u);

  const BenchToolRun none = bench({"--no-draw", "--frames", "0", "--json", path.c_str()});
  EXPECT_NE(none.out.find("\"frameTimes\":null"), std::string::npos) << none.out;
  EXPECT_NE(json.out.find("\"glCallsPerFrame\":null"), std::string::npos) << "nothing drawn";
  const BenchToolRun table = bench({"--no-draw", "--frames", "3", path.c_str()});
  EXPECT_NE(table.out.find("frame times (ms)  median       p90       p99   maximum\n"
                           "  whole         0.000     0.000     0.000     0.000\n"
                           "peak memory "),
            std::string::npos)
      << table.out;
}

TEST(BenchRun, TheTableListsTheEventsAndTimings) {
  TempFile path("flock");
  writeFlockLevel(path, 1.0f);
  const BenchToolRun run = bench({"--no-draw", "--frames", "40", "--step", "0.05", path.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("frames 40\nevents 1\n  frame 21  time 1.0500 s  fail\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("update        0.000     0.000     0.000"), std::string::npos) << run.out;
}

// What the fuzz target that plays levels runs: a level loaded from memory, readied
// and played as zirrow-bench --no-draw plays the same file.
TEST(BenchRun, ALevelReadiedInAnEngineOfOnesOwnPlaysAsTheBenchPlaysIt) {
  TempFile path("flock");
  writeFlockLevel(path, 1.5f);
  BenchOptions options;
  options.frames = 120;
  options.fireEvery = 7;
  options.turnYaw = 10.0f;
  options.draw = false;
  options.levelFile = path.c_str();
  const StillClock frameClock;
  const BenchResult benched = runBench(options, frameClock);

  SteppedClock clock;
  FmEngine engine(clock, frameClock);
  ASSERT_TRUE(engine.loadSceneBytes(path.bytes(), "flock"));
  prepareGameLevel(engine, 0);
  options.levelFile = "not read";
  const BenchResult played = playReadiedLevel(options, engine, clock, frameClock);
  EXPECT_EQ(played.frames, 120);
  ASSERT_EQ(played.events.size(), benched.events.size());
  for (std::size_t i = 0; i < played.events.size(); ++i) {
    EXPECT_EQ(played.events[i].frame, benched.events[i].frame) << "event " << i;
    EXPECT_EQ(played.events[i].kind, benched.events[i].kind) << "event " << i;
  }
  // The level is lost every 1.5 s of the 4 s played.
  EXPECT_EQ(
      std::count_if(played.events.begin(), played.events.end(),
                    [](const BenchEvent& event) { return event.kind == BenchEvent::Kind::fail; }),
      2);
}

TEST(BenchRun, ALevelThatCannotBeLoadedIsAnError) {
  TempFile missing("missing");
  const BenchToolRun run = bench({"--no-draw", missing.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("[OPERR]"), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty());
}

TEST(BenchRun, ALevelTheFileLacksIsRefusedAsCheckRefusesIt) {
  TempFile path("one-level");
  writeFlockLevel(path, 30.0f);
  const LevelFile checked(path.c_str(), 2);
  ASSERT_FALSE(checked.ok());
  EXPECT_EQ(checked.problem(), "[LEVEL] Level 2 does not exist: the file holds 1 level");
  const BenchToolRun run = bench({"--no-draw", "--frames", "2", "--level", "2", path.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(checked.problem()), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty()) << run.out;
  EXPECT_EQ(bench({"--no-draw", "--frames", "2", "--level", "1", path.c_str()}).status, 0);
}

TEST(BenchRun, DrawsEveryFrameAndWritesTheChosenScreenshots) {
  TempFile path("square");
  writeSquareLevel(path);
  TempFile shots("shots");
  const BenchToolRun run = bench(
      {"--frames", "5", "--shots", shots.c_str(), "--shot-every", "2", "--json", path.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"triangles\":2,"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"draw\":{\"current\":0,"), std::string::npos) << run.out;
  // Every frame clears, draws the square and presents through the table: the same
  // calls each time, in the table as in the JSON; the first frame also draws every kind
  // of object once before it clears.
  const BenchToolRun plain = bench({"--frames", "3", "--json", path.c_str()});
  const std::string callsKey = "\"glCallsPerFrame\":{\"median\":";
  const std::size_t calls = plain.out.find(callsKey);
  ASSERT_NE(calls, std::string::npos) << plain.out;
  const unsigned long median = std::stoul(plain.out.substr(calls + callsKey.size()));
  EXPECT_GT(median, 5u);
  EXPECT_LT(median, 200u);
  const std::size_t maximum = plain.out.find(",\"maximum\":", calls);
  ASSERT_NE(maximum, std::string::npos) << plain.out;
  EXPECT_GT(std::stoul(plain.out.substr(maximum + 11)), median) << plain.out;
  // Among them, the square's texture is bound and its material applied from its list.
  EXPECT_NE(plain.out.find("\"textureBindsPerFrame\":{\"median\":1,"), std::string::npos)
      << plain.out;
  EXPECT_NE(plain.out.find("\"materialChangesPerFrame\":{\"median\":0,"), std::string::npos)
      << plain.out;
  const BenchToolRun table = bench({"--frames", "2", path.c_str()});
  EXPECT_NE(table.out.find("gl calls per frame  median " + std::to_string(median) + "  mean "),
            std::string::npos)
      << table.out;
  EXPECT_NE(table.out.find("texture binds per frame  median 1  mean "), std::string::npos)
      << table.out;
  EXPECT_NE(plain.out.find("\"glCallsPerFrame\":{\"median\":"), std::string::npos);
  EXPECT_NE(bench({"--no-draw", "--frames", "2", "--json", path.c_str()})
                .out.find("\"textureBindsPerFrame\":null"),
            std::string::npos);
  for (const char* name : {"scrn0000.jpg", "scrn0002.jpg", "scrn0004.jpg"}) {
    EXPECT_TRUE(std::filesystem::exists(shots.path() / name)) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(shots.path() / "scrn0001.jpg"));
  std::error_code ignored;
  std::filesystem::remove_all(shots.path(), ignored);
}

namespace {

std::vector<std::string> linesOf(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

}  // namespace

TEST(BenchRun, TheTraceHasARowForEveryFrameWithItsEvents) {
  TempFile path("flock");
  writeFlockLevel(path, 1.0f);
  TempFile trace("trace");
  const BenchToolRun run = bench({"--no-draw", "--frames", "25", "--step", "0.05", "--fire-at", "3",
                                  "--trace", trace.c_str(), path.c_str()});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = linesOf(trace.path());
  ASSERT_EQ(lines.size(), 26u);
  EXPECT_EQ(lines[0],
            "frame,time,whole_ms,update_ms,draw_ms,swap_ms,collision_ms,cpu_ms,triangles,gl_calls,"
            "texture_binds,material_changes,events");
  // The frame clock stands still and nothing is drawn.
  EXPECT_EQ(lines[1], "0,0,0.0000,0.0000,0.0000,0.0000,0.0000,0.0000,0,0,0,0,");
  EXPECT_EQ(lines[22].substr(0, 8), "21,1.05,");
  EXPECT_EQ(lines[22].substr(lines[22].size() - 5), ",fail");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (i != 22) {
      EXPECT_EQ(lines[i].back(), ',') << lines[i];
    }
  }
}

namespace {

// A processor clock that moves on by a millisecond each time it is read.
class TickingClock : public FmClock {
public:
  std::uint64_t counter() const override { return ticks_ += 1000; }
  std::uint64_t frequency() const override { return 1'000'000; }

private:
  mutable std::uint64_t ticks_ = 0;
};

}  // namespace

TEST(BenchRun, AProcessorClockTimesEveryFrameInTheTraceAndTheJson) {
  TempFile path("flock");
  writeFlockLevel(path, 30.0f);
  TempFile trace("trace");
  std::ostringstream out, err;
  const StillClock frameClock;
  const TickingClock cpuClock;
  ASSERT_EQ(
      runBenchTool({"--no-draw", "--frames", "4", "--json", "--trace", trace.c_str(), path.c_str()},
                   frameClock, out, err, &cpuClock),
      0)
      << err.str();
  // Read once before the frame and once after it.
  const std::vector<std::string> lines = linesOf(trace.path());
  ASSERT_EQ(lines.size(), 5u);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].find(",0.0000,1.0000,"), std::string::npos) << lines[i];
  }
  EXPECT_NE(out.str().find("\"frameCpuTimes\":{\"median\":0.001,\"p90\":0.001,"), std::string::npos)
      << out.str();
  // Without one there are no processor times.
  EXPECT_NE(bench({"--no-draw", "--frames", "2", "--json", path.c_str()})
                .out.find("\"frameCpuTimes\":null"),
            std::string::npos);
}

TEST(BenchRun, ATraceThatCannotBeWrittenIsAnError) {
  TempFile path("flock");
  writeFlockLevel(path, 0.0f);
  const std::string nowhere = (path.path().parent_path() / "no-such-dir" / "trace.csv").string();
  const BenchToolRun run = bench({"--no-draw", "--frames", "2", "--trace", nowhere, path.c_str()});
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.err.find("can't write the trace " + nowhere + ": "), std::string::npos) << run.err;
}
