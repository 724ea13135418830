#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FmBoidController.h"
#include "FmCamera.h"
#include "FmClock.h"
#include "FmEngine.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmFog.h"
#include "FmLight.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmScene.h"
#include "FmTimerBarController.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "TempFile.h"

namespace {

// A counter that moves only when the test says so.
class FakeClock : public FmClock {
public:
  explicit FakeClock(std::uint64_t frequency = 1000) : frequency_(frequency) {}

  std::uint64_t counter() const override { return ticks_; }
  std::uint64_t frequency() const override {
    ++frequencyQueries_;
    return frequency_;
  }

  void advanceTicks(std::uint64_t ticks) { ticks_ += ticks; }
  void advanceMilliseconds(std::uint64_t milliseconds) {
    ticks_ += milliseconds * frequency_ / 1000;
  }
  int frequencyQueries() const { return frequencyQueries_; }

private:
  std::uint64_t frequency_;
  std::uint64_t ticks_ = 7'000'000;
  mutable int frequencyQueries_ = 0;
};

// An engine whose time zero is now, over a scene of the given duration.
class EngineTest : public ::testing::Test {
protected:
  void beginWithDuration(float seconds) {
    engine.scene().setDuration(seconds);
    engine.beginTime();
  }
  float after(std::uint64_t milliseconds) {
    clock.advanceMilliseconds(milliseconds);
    return engine.currentTime();
  }

  FakeClock clock;
  FmEngine engine{clock};
};

FmCamera* addCamera(FmWorker& worker, const char* name) {
  auto* camera = new FmCamera(name, nullptr, -1.0f);
  worker.addNode(camera, nullptr);
  return camera;
}

TEST(EngineInstance, TheEngineBuiltLastIsReachableUntilDestroyed) {
  FakeClock clock;
  {
    FmEngine first(clock);
    EXPECT_EQ(FmEngine::instance(), &first);
    {
      FmEngine second(clock);
      EXPECT_EQ(FmEngine::instance(), &second);
    }
    EXPECT_EQ(FmEngine::instance(), nullptr);
  }
  EXPECT_EQ(FmEngine::instance(), nullptr);
}

TEST_F(EngineTest, TimeCountsFromTimeZero) {
  clock.advanceMilliseconds(2500);
  engine.beginTime();
  EXPECT_EQ(engine.currentTime(), 0.0f);
  EXPECT_FLOAT_EQ(after(1250), 1.25f);
  EXPECT_FLOAT_EQ(after(750), 2.0f);
  EXPECT_EQ(clock.frequencyQueries(), 1);
}

TEST_F(EngineTest, TimeWrapsAtATenSecondDuration) {
  beginWithDuration(10.0f);
  EXPECT_TRUE(engine.loops());
  EXPECT_FLOAT_EQ(after(9500), 9.5f);
  EXPECT_EQ(after(500), 0.0f);
  EXPECT_FLOAT_EQ(after(3000), 3.0f);
  EXPECT_EQ(after(7200), 0.0f);
  EXPECT_FLOAT_EQ(after(100), 0.1f);
}

TEST_F(EngineTest, DurationsBelowOneSecondDoNotLoop) {
  for (float duration : {0.0f, 0.75f, -5.0f}) {
    beginWithDuration(duration);
    EXPECT_FALSE(engine.loops()) << duration;
    EXPECT_FLOAT_EQ(after(20000), 20.0f) << duration;
  }
  beginWithDuration(1.0f);
  EXPECT_TRUE(engine.loops());
  EXPECT_EQ(after(1000), 0.0f);
}

TEST_F(EngineTest, PauseForAMinuteContinuesWhereItStopped) {
  beginWithDuration(10.0f);
  EXPECT_FLOAT_EQ(after(8000), 8.0f);
  engine.togglePause();
  EXPECT_TRUE(engine.paused());
  EXPECT_FLOAT_EQ(after(60000), 8.0f);
  engine.togglePause();
  EXPECT_FALSE(engine.paused());
  EXPECT_FLOAT_EQ(engine.currentTime(), 8.0f);
  EXPECT_FLOAT_EQ(after(1500), 9.5f);

  engine.togglePause();
  clock.advanceMilliseconds(30000);
  engine.togglePause();
  EXPECT_FLOAT_EQ(after(250), 9.75f);
  EXPECT_EQ(after(250), 0.0f);
}

TEST_F(EngineTest, CaptureStepsByExactlyOneTwentyFourthOfASecond) {
  EXPECT_EQ(FmEngine::captureStep, 1.0f / 24.0f);
  beginWithDuration(0.0f);
  EXPECT_FLOAT_EQ(after(2000), 2.0f);
  engine.accountPause();
  engine.setCaptureActive(true);
  float expected = 2.0f;
  for (std::uint64_t milliseconds : {1, 500, 3000, 0}) {
    expected += 1.0f / 24.0f;
    EXPECT_EQ(after(milliseconds), expected);
  }
  engine.togglePause();
  EXPECT_EQ(after(5000), expected);
  engine.togglePause();
  engine.setCaptureActive(false);
  engine.accountPause();
  EXPECT_FLOAT_EQ(after(250), 2.25f);
}

TEST_F(EngineTest, AccountedIntervalsAndPausesMayOverlap) {
  beginWithDuration(0.0f);
  EXPECT_FLOAT_EQ(after(3000), 3.0f);
  engine.accountPause();
  EXPECT_FLOAT_EQ(after(4000), 3.0f);
  engine.togglePause();
  clock.advanceMilliseconds(10000);
  engine.accountPause();
  EXPECT_FLOAT_EQ(after(5000), 3.0f);
  engine.togglePause();
  EXPECT_FLOAT_EQ(after(500), 3.5f);

  engine.togglePause();
  clock.advanceMilliseconds(2000);
  engine.accountPause();
  clock.advanceMilliseconds(2000);
  engine.togglePause();
  EXPECT_FLOAT_EQ(after(1000), 3.5f);
  engine.accountPause();
  EXPECT_FLOAT_EQ(after(1000), 4.5f);
}

TEST_F(EngineTest, CaptureWrapsAtTheDuration) {
  beginWithDuration(1.0f);
  engine.setCaptureActive(true);
  float previous = 0.0f;
  float time = engine.currentTime();
  for (int frame = 0; frame < 30 && time > previous; ++frame) {
    previous = time;
    time = engine.currentTime();
  }
  EXPECT_EQ(time, 0.0f);
  EXPECT_LT(previous, 1.0f);
  EXPECT_GT(previous, 0.9f);
}

TEST_F(EngineTest, TimerBarRunsOutAfterTheDurationFromTheLastTime) {
  engine.startTimerBar(30.0f);
  auto* bar = new FmTimerBarController;
  auto* holder = new FmNode("bar", nullptr, -1.0f);
  holder->setController(bar);
  engine.scene().worker().addNode(holder, nullptr);
  engine.scene().worker().setTimerBar(bar);

  beginWithDuration(0.0f);
  EXPECT_FLOAT_EQ(after(5000), 5.0f);
  engine.setCaptureActive(true);
  clock.advanceMilliseconds(2000);
  engine.startTimerBar(30.0f);
  EXPECT_EQ(bar->getLimit(), 30.0f);
  EXPECT_FLOAT_EQ(bar->endTime(), 35.0f);
  EXPECT_EQ(engine.currentTime(), 5.0f + FmEngine::captureStep);

  auto* plain = new FmTransformController;
  auto* other = new FmNode("plain", nullptr, -1.0f);
  other->setController(plain);
  engine.scene().worker().addNode(other, nullptr);
  engine.scene().worker().setTimerBar(plain);
  engine.startTimerBar(10.0f);
  EXPECT_EQ(bar->getLimit(), 30.0f);
}

TEST(EngineClock, ZeroFrequencyStandsStill) {
  FakeClock clock(0);
  FmEngine engine(clock);
  engine.beginTime();
  clock.advanceTicks(123456);
  EXPECT_EQ(engine.currentTime(), 0.0f);
  engine.togglePause();
  clock.advanceTicks(1000);
  engine.togglePause();
  clock.advanceTicks(1000);
  EXPECT_EQ(engine.currentTime(), 0.0f);
}

TEST(EngineCameras, CyclingWalksTheCameraList) {
  FakeClock clock;
  FmEngine engine(clock);
  FmWorker& worker = engine.scene().worker();
  engine.nextCamera();
  engine.previousCamera();
  EXPECT_EQ(worker.camera(), nullptr);

  FmCamera* first = addCamera(worker, "first");
  worker.addNode(new FmLight("lamp", nullptr, -1.0f), nullptr);
  FmCamera* second = addCamera(worker, "second");
  FmCamera* third = addCamera(worker, "third");
  ASSERT_EQ(worker.cameras().entryCount(), 3u);

  worker.setCamera(first);
  engine.previousCamera();
  EXPECT_EQ(worker.camera(), third);
  engine.nextCamera();
  EXPECT_EQ(worker.camera(), first);
  engine.nextCamera();
  EXPECT_EQ(worker.camera(), second);
  engine.nextCamera();
  engine.nextCamera();
  EXPECT_EQ(worker.camera(), first);
  engine.previousCamera();
  engine.previousCamera();
  EXPECT_EQ(worker.camera(), second);
}

TEST(EngineCameras, WithoutACurrentCameraNextIsFirstAndPreviousIsLast) {
  FakeClock clock;
  FmEngine next(clock);
  FmCamera* first = addCamera(next.scene().worker(), "first");
  addCamera(next.scene().worker(), "second");
  next.nextCamera();
  EXPECT_EQ(next.scene().worker().camera(), first);

  FmEngine previous(clock);
  addCamera(previous.scene().worker(), "first");
  FmCamera* last = addCamera(previous.scene().worker(), "second");
  previous.previousCamera();
  EXPECT_EQ(previous.scene().worker().camera(), last);
}

void writeScene(const TempFile& path, const FmScene& scene) {
  RWBinaryFile file(path.c_str(), "wb");
  writeObject(file, &scene);
}

TEST(EngineLoad, LoadsTheNamedFileIntoItsScene) {
  TempFile path("level");
  {
    FmScene scene;
    scene.setDuration(10.0f);
    addCamera(scene.worker(), "eye");
    addCamera(scene.worker(), "tail");
    writeScene(path, scene);
  }
  FakeClock clock;
  FmEngine engine(clock);
  engine.scene().setDuration(3.0f);
  addCamera(engine.scene().worker(), "stale");
  EXPECT_TRUE(engine.loadScene(path.c_str()));
  EXPECT_EQ(engine.sceneFileName(), path.c_str());
  EXPECT_EQ(engine.scene().duration(), 10.0f);
  const FmWorker& worker = engine.scene().worker();
  ASSERT_EQ(worker.cameras().entryCount(), 2u);
  EXPECT_EQ(static_cast<FmCamera*>(worker.cameras().elementAt(0))->name(), "eye");

  engine.beginTime();
  EXPECT_TRUE(engine.loops());
}

std::string loadError(FmEngine& engine, const TempFile& path) {
  try {
    engine.loadScene(path.c_str());
  } catch (const RWxmsg& error) {
    return error.why();
  }
  return "no error";
}

TEST(EngineLoad, FilesThatHoldNoSceneAreErrorsThatKeepTheScene) {
  TempFile missing("missing");
  FakeClock clock;
  FmEngine engine(clock);
  addCamera(engine.scene().worker(), "kept");
  EXPECT_EQ(loadError(engine, missing), "[OPERR] Could not open file " + missing.path().string());
  EXPECT_EQ(engine.sceneFileName(), missing.c_str());

  TempFile empty("empty");
  empty.write({});
  EXPECT_EQ(loadError(engine, empty),
            "[EOF] File ends early: a read at offset 0 runs past its end (0 bytes)");

  TempFile list("list");
  list.write({0x88, 0x88, 0x00, 0x00, 0x28, 0x80, 0x00, 0x00, 0x00, 0x00});
  EXPECT_EQ(loadError(engine, list), "[ID] Unexpected class ID 32808; should be 1129");
  EXPECT_EQ(engine.scene().worker().cameras().entryCount(), 1u);
}

TEST(EngineLoad, PersistenceErrorsPropagateWithoutLeaks) {
  FakeClock clock;
  FmEngine engine(clock);
  TempFile magic("magic");
  magic.write({0x12, 0x34, 0x00, 0x00, 0x01, 0x02});
  EXPECT_NE(loadError(engine, magic).find("[MAGIC]"), std::string::npos);

  TempFile hostile("hostile");
  {
    FmScene scene;
    addCamera(scene.worker(), "eye");
    auto* stray = new FmNode("stray", nullptr, -1.0f);
    ASSERT_TRUE(scene.worker().addTemplate(stray));
    scene.worker().addNode(new FmLight("inside", nullptr, -1.0f), stray);
    writeScene(hostile, scene);
  }
  EXPECT_NE(loadError(engine, hostile).find("[TREE]"), std::string::npos);
  EXPECT_EQ(engine.scene().worker().root().childCount(), 0u);
  EXPECT_EQ(engine.sceneFileName(), hostile.c_str());
}

TEST(EngineLoad, BytesInMemoryLoadAsTheSameFileOnDiskAndFailTheSameWay) {
  TempFile path("level");
  {
    FmScene scene;
    scene.setDuration(6.0f);
    addCamera(scene.worker(), "eye");
    writeScene(path, scene);
  }
  FakeClock clock;
  FmEngine engine(clock);
  EXPECT_TRUE(engine.loadSceneBytes(path.bytes(), "in memory"));
  EXPECT_EQ(engine.sceneFileName(), "in memory");
  EXPECT_EQ(engine.scene().duration(), 6.0f);
  ASSERT_EQ(engine.scene().worker().cameras().entryCount(), 1u);

  // Cut short, the bytes raise the error that the file cut short raises, and the
  // scene loaded before stays.
  std::vector<std::uint8_t> cut = path.bytes();
  cut.resize(cut.size() - 3);
  TempFile cutFile("cut");
  cutFile.write(cut);
  const std::string fileError = loadError(engine, cutFile);
  std::string bytesError = "no error";
  try {
    engine.loadSceneBytes(cut, "cut");
  } catch (const RWxmsg& error) {
    bytesError = error.why();
  }
  EXPECT_EQ(bytesError, fileError);
  EXPECT_NE(bytesError, "no error");
  EXPECT_EQ(engine.scene().duration(), 6.0f);
  EXPECT_EQ(engine.scene().worker().cameras().entryCount(), 1u);
}

TEST(EngineLoad, ASceneOfALaterVersionLeavesTheSceneAsItWas) {
  TempFile later("later");
  // A scene record of version 104, with bytes after it that no reader knows.
  later.write({0x88, 0x88, 0x00, 0x00, 0x69, 0x04, 0x68, 0x00, 0x00, 0x00, 0x01, 0x02});
  FakeClock clock;
  FmEngine engine(clock);
  engine.scene().setDuration(4.0f);
  FmCamera* kept = addCamera(engine.scene().worker(), "kept");
  EXPECT_TRUE(engine.loadScene(later.c_str()));
  ASSERT_EQ(engine.scene().worker().cameras().entryCount(), 1u);
  EXPECT_EQ(engine.scene().worker().cameras().elementAt(0), kept);
  EXPECT_EQ(engine.scene().duration(), 4.0f);
  EXPECT_EQ(engine.sceneFileName(), later.c_str());
}

TEST(EngineLoad, ALoadReplacesTheSceneButKeepsTheLevelToReadAndTheFogParameters) {
  TempFile path("foggy");
  {
    FmScene scene;
    auto* fog = new FmFog;
    fog->setColour({0.5f, 0.25f, 0.125f});
    fog->setFogMode(2);
    ASSERT_TRUE(scene.addFog(fog));
    addCamera(scene.worker(), "eye");
    writeScene(path, scene);
  }
  FakeClock clock;
  FmEngine engine(clock);
  ASSERT_TRUE(engine.loadScene(path.c_str()));
  engine.scene().selectFog(0);
  engine.scene().setLevel(2);
  ASSERT_TRUE(engine.loadScene(path.c_str()));
  EXPECT_EQ(engine.scene().fogIndex(), -1);
  EXPECT_EQ(engine.scene().fogColour(), (FmPoint{0.5f, 0.25f, 0.125f}));
  EXPECT_EQ(engine.scene().fogMode(), 2);
  EXPECT_EQ(engine.scene().level(), 2);
  EXPECT_EQ(engine.scene().worker().cameras().entryCount(), 1u);
}

}  // namespace

// ---- starting and running frames --------------------------------------------------

namespace {

// An engine that counts what its drawing side is asked to do.
class RecordingEngine : public FmEngine {
public:
  RecordingEngine(const FmClock& clock, const FmClock& frameClock) : FmEngine(clock, frameClock) {}

  int setups = 0;
  int resourceBuilds = 0;
  int draws = 0;
  int fogChanges = 0;
  int cameraChanges = 0;
  std::int32_t trianglesPerDraw = 0;
  FakeClock* drawClock = nullptr;

protected:
  void setupRendering() override { ++setups; }
  void buildDrawingResources() override { ++resourceBuilds; }
  std::int32_t drawScene() override {
    ++draws;
    if (drawClock) drawClock->advanceMilliseconds(4);
    return trianglesPerDraw;
  }
  void fogChanged() override { ++fogChanges; }
  void cameraChanged() override { ++cameraChanges; }
};

FmObject* triangleNamed(const char* name) {
  auto* object = new FmObject(name, nullptr, -1.0f);
  auto* frame = new FmMesh;
  EXPECT_TRUE(frame->setVertices({1, 0, 0, 0, 1, 0, 0, 0, 1}));
  object->setCurrentFrame(frame);
  object->setVertexCount(3);
  return object;
}

// A flock of five copies of a triangle that is lost after three seconds.
FmFlock* addFlock(FmWorker& worker, float timeLimit) {
  worker.addNode(triangleNamed("gull"), nullptr);
  auto* flock = new FmFlock;
  flock->setName("gulls*gull");
  flock->setPrototype(nullptr, true);
  EXPECT_TRUE(flock->setMemberCount(5));
  flock->setNeighbourRadius(4.0f);
  flock->setRepelThreshold(0.5f);
  flock->setCruiseFactor(1.0f);
  flock->setTimeLimit(timeLimit);
  worker.addNode(flock, nullptr);
  return flock;
}

std::vector<FmPoint> memberPositions(const FmFlock& flock) {
  std::vector<FmPoint> positions;
  for (std::size_t i = 0; i < flock.childCount(); ++i) {
    const auto* boid = dynamic_cast<const FmBoidController*>(flock.childAt(i)->controller());
    EXPECT_NE(boid, nullptr);
    if (boid) positions.push_back(boid->position().value());
  }
  return positions;
}

class EngineFrameTest : public ::testing::Test {
protected:
  // Advances the game clock to the time and runs one frame at it without input.
  void frameAt(std::uint64_t milliseconds) {
    clock.advanceMilliseconds(milliseconds - elapsed);
    elapsed = milliseconds;
    engine.currentTime();
    engine.frame(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  }

  FakeClock clock;
  FakeClock frameClock{1000};
  RecordingEngine engine{clock, frameClock};
  FmWorker& worker = engine.scene().worker();
  std::uint64_t elapsed = 0;
};

}  // namespace

TEST_F(EngineFrameTest, StartPreparesTheSceneAndMakesTheEndOfPreparationTimeZero) {
  FmFlock* flock = addFlock(worker, 20.0f);
  auto* bar = new FmTimerBarController;
  auto* holder = new FmNode("bar", nullptr, -1.0f);
  holder->setController(bar);
  worker.addNode(holder, nullptr);
  worker.setTimerBar(bar);
  bar->setLimit(30.0f);
  engine.scene().setDuration(10.0f);
  clock.advanceMilliseconds(4000);

  engine.start(640, 480);
  EXPECT_EQ(engine.viewportWidth(), 640);
  EXPECT_EQ(engine.viewportHeight(), 480);
  EXPECT_EQ(engine.setups, 1);
  EXPECT_EQ(engine.resourceBuilds, 1);
  EXPECT_EQ(flock->childCount(), 5u);
  EXPECT_EQ(worker.objects().entryCount(), 5u);
  EXPECT_TRUE(engine.loops());
  // The active flock's time limit, from time zero.
  EXPECT_EQ(bar->getLimit(), 20.0f);
  EXPECT_EQ(bar->endTime(), 20.0f);
  EXPECT_EQ(engine.currentTime(), 0.0f);
  clock.advanceMilliseconds(1500);
  EXPECT_FLOAT_EQ(engine.currentTime(), 1.5f);
}

TEST_F(EngineFrameTest, FramesUpdateDrawCollideAndRecordTheirTimes) {
  auto* expiring = new FmNode("spark", nullptr, 0.5f);
  worker.addNode(expiring, nullptr);
  engine.drawClock = &frameClock;
  engine.trianglesPerDraw = 12;
  engine.start(800, 600);

  frameAt(100);
  EXPECT_EQ(worker.root().childCount(), 1u);
  frameAt(600);
  EXPECT_EQ(worker.root().childCount(), 0u);
  EXPECT_EQ(engine.draws, 2);
  const FmFrameStatistics& statistics = engine.statistics();
  EXPECT_FLOAT_EQ(statistics.draw().current, 0.004f);
  EXPECT_EQ(statistics.update().maximum, 0.0f);
  EXPECT_EQ(statistics.lastTriangles(), 12);
  EXPECT_EQ(statistics.worst().triangles, 12);
}

TEST_F(EngineFrameTest, FramesSteerTheCraftAndTurnTheCameraLook) {
  auto* camera = new FmCamera("gameCam", nullptr, -1.0f);
  auto* look = new FmFlightController;
  camera->setController(look);
  worker.addNode(camera, nullptr);
  worker.setCamera(camera);
  auto* craft = new FmNode("craft", nullptr, -1.0f);
  auto* flight = new FmFlightController;
  craft->setController(flight);
  worker.addNode(craft, nullptr);
  worker.setFlightController(flight);
  engine.start(800, 600);

  clock.advanceMilliseconds(100);
  engine.currentTime();
  engine.frame(0.0f, 0.0f, 0.0f, 0.0f, 12.0f, -30.0f);
  EXPECT_EQ(look->lookPitch(), 12.0f);
  EXPECT_EQ(look->lookYaw(), -30.0f);
  const FmMatrix before = flight->matrix();
  for (std::uint64_t ms = 200; ms <= 1000; ms += 100) {
    clock.advanceMilliseconds(100);
    engine.currentTime();
    engine.frame(0.0f, 0.0f, 65.0f, 0.0f, 0.0f, 0.0f);
  }
  EXPECT_NE(flight->matrix(), before);
}

TEST_F(EngineFrameTest, ALostLevelIsRaisedAfterTheTimeLimitAndRestartsAtTheSamePositions) {
  FmFlock* flock = addFlock(worker, 3.0f);
  engine.start(800, 600);
  const std::vector<FmPoint> start = memberPositions(*flock);
  ASSERT_EQ(start.size(), 5u);

  std::uint64_t milliseconds = 0;
  while (!engine.failEvent() && milliseconds < 5000) frameAt(milliseconds += 50);
  EXPECT_TRUE(engine.failEvent());
  EXPECT_EQ(milliseconds, 3050u);
  EXPECT_FALSE(engine.winEvent());

  engine.setFailEvent(false);
  worker.restartFlock(engine.currentTime());
  EXPECT_EQ(memberPositions(*flock), start);
  EXPECT_EQ(worker.objects().entryCount(), 5u);
  frameAt(milliseconds += 50);
  EXPECT_FALSE(engine.failEvent());
}

TEST_F(EngineFrameTest, FogSwitchesOnlyToAnotherListedFog) {
  ASSERT_TRUE(engine.scene().addFog(new FmFog("above")));
  ASSERT_TRUE(engine.scene().addFog(new FmFog("below")));
  engine.setFog(1);
  EXPECT_EQ(engine.scene().fogIndex(), 1);
  engine.setFog(1);
  engine.setFog(7);
  EXPECT_EQ(engine.scene().fogIndex(), 1);
  EXPECT_EQ(engine.fogChanges, 1);
  engine.setFog(-1);
  EXPECT_EQ(engine.scene().fogIndex(), -1);
  EXPECT_EQ(engine.fogChanges, 2);
}

TEST_F(EngineFrameTest, CameraCyclingTellsTheDrawingSide) {
  addCamera(worker, "first");
  addCamera(worker, "second");
  engine.nextCamera();
  engine.previousCamera();
  EXPECT_EQ(engine.cameraChanges, 2);
}
