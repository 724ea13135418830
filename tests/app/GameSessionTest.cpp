#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "DemoWriter.h"
#include "FakeInputDevices.h"
#include "FakeWindow.h"
#include "FmCamera.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmQuat.h"
#include "FmTimerBarController.h"
#include "FmWorker.h"
#include "GameSession.h"
#include "GameWindowProcedure.h"
#include "InputDevices.h"
#include "NamedPipe.h"
#include "OffscreenGlContext.h"
#include "engine/FakeClock.h"

namespace {

// The bundled demo, written once for all the game's tests.
class DemoLevel : public ::testing::Environment {
public:
  void SetUp() override {
    directory = std::filesystem::temp_directory_path() /
                ("zirrow-game-demo-" + std::to_string(std::random_device{}()));
    ASSERT_EQ(DemoWriter::write(directory.string()), "");
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }

  static RWCString file() { return RWCString((directory / DemoWriter::sceneFileName).c_str()); }

  static inline std::filesystem::path directory;
};

const auto* const demoLevel = testing::AddGlobalTestEnvironment(new DemoLevel);

// The game on a small rendering context, with the player's window at the screen's
// origin and the player's keyboard in memory.
class GameSessionTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(context.isValid()) << context.error(); }

  void loadDemo(int useLevel, int level) {
    game.values().useLevel = useLevel;
    game.values().level = level;
    ASSERT_EQ(game.loadLevel(DemoLevel::file()), 1);
  }
  void playDemo() {
    loadDemo(0, 0);
    game.start(width, height);
    game.input().setWindowRect({0, 0, width, height});
    game.input().setActive();
  }
  void tickAfter(std::uint64_t milliseconds) {
    clock.advanceMilliseconds(milliseconds);
    game.tick(devices);
  }
  const char* cameraName() const {
    const FmCamera* camera = game.scene().worker().camera();
    return camera ? camera->name().data() : "";
  }

  static constexpr int width = 160;
  static constexpr int height = 120;
  OffscreenGlContext context{width, height, 32};
  FakeClock clock;
  GameSession game{clock};
  FakeInputDevices devices;
};

TEST_F(GameSessionTest, TheSavedLevelChoosesLevelAndFlockOnlyWhenAskedTo) {
  struct Case {
    int useLevel;
    int level;
    int currentLevel;
    int sceneLevel;
    int flock;
  };
  const std::vector<Case> cases{{1, 7, 1, 1, 1}, {1, 11, 5, 2, 2}, {0, 11, 0, 1, 0},
                                {1, 3, 3, 2, 0}, {1, -1, 5, 2, 2}, {1, -7, 5, 2, 2}};
  for (const Case& c : cases) {
    FakeClock ownClock;
    GameSession session(ownClock);
    session.values().useLevel = c.useLevel;
    session.values().level = c.level;
    ASSERT_EQ(session.loadLevel(DemoLevel::file()), 1);
    EXPECT_EQ(session.currentLevel(), c.currentLevel) << c.level;
    EXPECT_EQ(session.scene().level(), c.sceneLevel) << c.level;
    EXPECT_EQ(session.scene().worker().currentFlock(), c.flock) << c.level;
    EXPECT_TRUE(session.multiLevel());
    EXPECT_NE(session.scene().worker().projectileTemplate(), nullptr);
  }
}

TEST_F(GameSessionTest, ALevelAlreadyChosenIsKeptWithTheFirstFlock) {
  game.setCurrentLevel(4);
  loadDemo(1, 7);
  EXPECT_EQ(game.currentLevel(), 4);
  EXPECT_EQ(game.scene().level(), 2);
  EXPECT_EQ(game.scene().worker().currentFlock(), 0);
}

TEST_F(GameSessionTest, NamesThatLeadNowhereLoadNothingAndChangeNothing) {
  game.values().useLevel = 1;
  game.values().level = 7;
  EXPECT_EQ(game.loadLevel(RWCString("")), 0);
  EXPECT_EQ(game.loadProblem(),
            "no level file is named: give one on the command line (zirrow LEVELFILE)");
  EXPECT_EQ(game.loadLevel(RWCString("/no/such/level.zrw")), 0);
  EXPECT_EQ(game.loadProblem(), "there is no file /no/such/level.zrw");
  const std::string quoted = "\"" + std::string(DemoLevel::file().view()) + "\"";
  EXPECT_EQ(game.loadLevel(RWCString(quoted.c_str())), 0);
  EXPECT_EQ(game.loadProblem(), "there is no file " + quoted);
  EXPECT_EQ(game.currentLevel(), 0);
  EXPECT_TRUE(game.levelFileName().isNull());
  EXPECT_EQ(game.scene().worker().objects().entryCount(), 0u);
}

TEST_F(GameSessionTest, AFileThatIsNotALevelFailsToLoad) {
  const auto path = DemoLevel::directory / "not-a-level.zrw";
  std::ofstream(path, std::ios::binary) << "PK\3\4 an archive, not a scene";
  EXPECT_EQ(game.loadLevel(RWCString(path.c_str())), 0);
  EXPECT_EQ(game.loadProblem().rfind("[MAGIC] Bad magic number: ", 0), 0u) << game.loadProblem();
  EXPECT_EQ(game.loadLevel(RWCString(DemoLevel::directory.c_str())), 0);
  EXPECT_EQ(game.loadProblem().front(), '[') << game.loadProblem();
  EXPECT_EQ(game.scene().worker().objects().entryCount(), 0u);
  ASSERT_EQ(game.loadLevel(DemoLevel::file()), 1);
  EXPECT_EQ(game.loadProblem(), "");
}

// A named pipe would block the start before any window, and a device would be read
// without end: neither is opened as a level.
TEST_F(GameSessionTest, ALevelThatIsNotARegularFileIsRefusedAtOnce) {
  const NamedPipe pipe(DemoLevel::directory / "pipe.zrw");
  ASSERT_TRUE(pipe.created());
  EXPECT_EQ(game.loadLevel(RWCString(pipe.path().c_str())), 0);
  EXPECT_FALSE(pipe.releasedAReader());
  EXPECT_EQ(game.loadLevel(RWCString("/dev/zero")), 0);
  EXPECT_EQ(game.scene().worker().objects().entryCount(), 0u);
  EXPECT_EQ(game.loadLevel(DemoLevel::file()), 1);
}

TEST_F(GameSessionTest, HoldingFireLaunchesOnceAndThenAfterEachCooldown) {
  playDemo();
  devices.keysDown.insert(VirtualKey::space);
  std::vector<float> launches;
  for (int i = 0; i < 100; ++i) {
    tickAfter(10);
    if (game.gunSoundRequest()) launches.push_back(game.now());
    game.clearSoundRequests();
  }
  ASSERT_GE(launches.size(), 5u);
  EXPECT_NEAR(launches.front(), 0.01f, 1e-4f);
  for (std::size_t i = 1; i < launches.size(); ++i) {
    const float gap = launches[i] - launches[i - 1];
    // The cooldown ends at the first frame past 0.16 s; the shot waits for the next.
    EXPECT_GE(gap, game.fireCooldown() - 1e-4f);
    EXPECT_LE(gap, game.fireCooldown() + 0.02f + 1e-4f);
  }
  EXPECT_GT(game.scene().worker().root().childCount(), 0u);
}

TEST_F(GameSessionTest, ArrowKeysSteerOnlyWhileTheWindowHasTheCursor) {
  playDemo();
  devices.keysDown = {VirtualKey::space, VirtualKey::left};
  game.input().clearActive();
  for (int i = 0; i < 10; ++i) tickAfter(20);
  EXPECT_FALSE(game.fireRequest());
  EXPECT_FALSE(game.gunSoundRequest());
  EXPECT_FALSE(game.firstInputSeen());
  game.input().setActive();
  tickAfter(20);
  EXPECT_TRUE(game.firstInputSeen());
  EXPECT_TRUE(game.gunSoundRequest());
  EXPECT_FALSE(game.input().left);
}

TEST_F(GameSessionTest, MouseSteeringDoesNotPileUpWhilePaused) {
  playDemo();
  FakeSoundDevice sound;
  FakeWindowHost host;
  host.rect = {0, 0, width, height};
  host.menu = host.frame = host.bottom = 0;
  GameWindowProcedure procedure(game, sound, devices, host);
  game.input().inputMode = mouseMode;
  // Left of the centre box, inside the window: every frame steers left.
  devices.cursor = ScreenPoint{10, height / 2};
  tickAfter(20);
  tickAfter(20);
  const FmFlightController* flight = game.scene().worker().flightController();
  ASSERT_NE(flight, nullptr);
  procedure.handle(WindowMessage{WindowMessages::killFocus, 0, 0});
  ASSERT_TRUE(game.paused());
  for (int pass = 0; pass < 1000; ++pass) tickAfter(1);
  const FmQuat before = flight->rotation().value();
  procedure.handle(WindowMessage{WindowMessages::setFocus, 0, 0});
  tickAfter(20);
  // One frame of 20 ms at 65 degrees a second turns by 1.3 degrees, not by the
  // passes made while paused.
  const float cosine = std::min(1.0f, std::fabs(FmQuat::dot(before, flight->rotation().value())));
  const float turned = 2.0f * std::acos(cosine) * 57.29578f;
  EXPECT_LT(turned, 2.0f);
}

// The members' positions in the world.
std::vector<FmPoint> memberPositions(const FmWorker& worker) {
  const auto* flock =
      dynamic_cast<const FmFlock*>(worker.flocks().elementAt(worker.currentFlock()));
  std::vector<FmPoint> positions;
  for (std::size_t i = 0; flock && i < flock->childCount(); ++i) {
    FmMatrix world = FmMatrix::identity();
    flock->childAt(i)->getWorldMatrix(world);
    positions.push_back({world[12], world[13], world[14]});
  }
  return positions;
}

float largestMove(const std::vector<FmPoint>& from, const std::vector<FmPoint>& to) {
  float largest = 0.0f;
  for (std::size_t i = 0; i < std::min(from.size(), to.size()); ++i) {
    const FmPoint d{to[i].x - from[i].x, to[i].y - from[i].y, to[i].z - from[i].z};
    largest = std::max(largest, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
  }
  return largest;
}

TEST_F(GameSessionTest, TheSceneLoopKeepsFlockTimerBarCooldownAndMembersRunning) {
  playDemo();
  ASSERT_EQ(game.scene().duration(), 240.0f);
  const FmWorker& worker = game.scene().worker();
  const FmTimerBarController* bar = worker.timerBar();
  ASSERT_NE(bar, nullptr);
  std::vector<double> failures;
  std::vector<double> launches;
  double seconds = 0.0;
  float barLeftBefore = 0.0f;
  float largestMoveAtTheWrap = 0.0f;
  while (seconds < 400.0) {
    const bool nearTheWrap = seconds > 239.0 && seconds < 241.0;
    const std::uint64_t step = nearTheWrap ? 50 : 250;
    // Fire held over the wrap, from just before it.
    if (seconds > 239.85 && seconds < 240.6) {
      devices.keysDown.insert(VirtualKey::space);
    } else {
      devices.keysDown.erase(VirtualKey::space);
    }
    const float before = game.lastTime();
    const std::vector<FmPoint> membersBefore = memberPositions(worker);
    barLeftBefore = bar->endTime() - before;
    tickAfter(step);
    seconds += static_cast<double>(step) / 1000.0;
    if (game.now() < before) {
      largestMoveAtTheWrap = largestMove(membersBefore, memberPositions(worker));
      // The bar runs on as if the clock had not gone back.
      EXPECT_NEAR(bar->endTime() - game.now(), barLeftBefore - 0.05f, 0.01f);
    }
    if (game.soundRequest() == GameSession::failSound) failures.push_back(seconds);
    if (game.gunSoundRequest()) launches.push_back(seconds);
    game.clearSoundRequests();
  }
  // A failure every time limit, across the wrap too.
  ASSERT_EQ(failures.size(), 6u);
  for (std::size_t i = 1; i < failures.size(); ++i) {
    EXPECT_GE(failures[i] - failures[i - 1], 60.0 - 1e-6) << i;
    EXPECT_LE(failures[i] - failures[i - 1], 60.0 + 0.5) << i;
  }
  // Firing goes on after the wrap at the cooldown's pace.
  const auto afterTheWrap =
      std::count_if(launches.begin(), launches.end(), [](double at) { return at > 240.0; });
  EXPECT_GE(afterTheWrap, 3);
  // The members fly on at their speed instead of jumping.
  EXPECT_LT(largestMoveAtTheWrap, 5.0f);
}

TEST_F(GameSessionTest, EveryThirdFailureShowsTheEndViewAndStartsCountingAgain) {
  playDemo();
  tickAfter(20);
  ASSERT_NE(std::string(cameraName()).find(GameSession::gameCameraName), std::string::npos);
  for (int failure = 1; failure <= 2; ++failure) {
    game.setFailEvent(true);
    tickAfter(20);
    EXPECT_EQ(game.failCount(), failure);
    EXPECT_EQ(game.soundRequest(), GameSession::failSound);
    game.clearSoundRequests();
  }
  EXPECT_NE(std::string(cameraName()).find(GameSession::gameCameraName), std::string::npos);
  game.setFailEvent(true);
  tickAfter(20);
  EXPECT_EQ(game.failCount(), 0);
  EXPECT_EQ(std::string(cameraName()).find(GameSession::gameCameraName), std::string::npos);
  game.setFailEvent(true);
  tickAfter(20);
  EXPECT_EQ(game.failCount(), 1);
}

TEST_F(GameSessionTest, AWinAndAFailureInOneFrameBothReactAndTheFailSoundWins) {
  playDemo();
  tickAfter(20);
  game.setWinEvent(true);
  game.setFailEvent(true);
  tickAfter(20);
  EXPECT_EQ(game.soundRequest(), GameSession::failSound);
  EXPECT_EQ(game.failCount(), 1);
  EXPECT_FALSE(game.winEvent());
  EXPECT_FALSE(game.failEvent());
  EXPECT_EQ(std::string(cameraName()).find(GameSession::gameCameraName), std::string::npos);
}

TEST_F(GameSessionTest, SavingProgressMovesTheLevelUpWithinItsBlockOfSix) {
  struct Case {
    int level;
    int currentLevel;
    int saved;
  };
  for (const Case& c : std::vector<Case>{
           {12, 4, 16}, {15, 2, 15}, {0, 3, 3}, {-1, 2, -1}, {2147483647, 5, 2147483647}}) {
    game.values().level = c.level;
    game.setCurrentLevel(c.currentLevel);
    game.saveProgress();
    EXPECT_EQ(game.values().level, c.saved) << c.level;
  }
}

TEST_F(GameSessionTest, WithoutARunningEngineATickTouchesNoWorld) {
  loadDemo(0, 0);
  game.input().setActive();
  devices.keysDown.insert(VirtualKey::space);
  tickAfter(20);
  EXPECT_FALSE(game.gunSoundRequest());
  EXPECT_EQ(game.now(), 0.0f);
}

TEST_F(GameSessionTest, TheLoopPlaysEachFramesSoundRequestOnce) {
  playDemo();
  FakeSoundDevice sound;
  FakeWindowHost host;
  GameWindowProcedure procedure(game, sound, devices, host);
  const auto serveFrame = [&] {
    tickAfter(20);
    procedure.serveSoundRequests();
    game.clearSoundRequests();
  };
  game.setFailEvent(true);
  serveFrame();
  game.setWinEvent(true);
  serveFrame();
  devices.keysDown.insert(VirtualKey::space);
  serveFrame();
  devices.keysDown.clear();
  serveFrame();
  EXPECT_EQ(sound.calls, (std::vector<std::string>{"flush 2", "play 3 0 9", "flush 2", "play 4 0 9",
                                                   "play 2 0 0"}));
}

}  // namespace
