#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "FakeClock.h"
#include "FmCamera.h"
#include "FmEngine.h"
#include "FmFog.h"
#include "FmMesh.h"
#include "FmSeaObject.h"
#include "FmWorker.h"
#include "RWBinaryFile.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"
#include "TempFile.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t versionOffset = 6;  // after the magic number and the class identifier

// Counts the fog switches that reach the drawing side.
class FogCountingEngine : public FmEngine {
public:
  using FmEngine::FmEngine;
  int switches = 0;

protected:
  void fogChanged() override { ++switches; }
};

FmFog* fogColoured(const char* name, const FmPoint& colour) {
  auto* fog = new FmFog(name);
  fog->setColour(colour);
  return fog;
}

void placeAt(FmNode& node, const FmPoint& position) {
  auto* controller = new FmTransformController;
  controller->position().setValue(position);
  node.setController(controller);
}

// A scene with an air fog (0) and a water fog (1), seen by a camera that the test
// moves up and down.
class SeaFog : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(engine.scene().addFog(fogColoured("air", {1, 1, 1})));
    ASSERT_TRUE(engine.scene().addFog(fogColoured("water", {0, 0.2f, 0.5f})));
    camera = new FmCamera("eye", nullptr, -1.0f);
    placeAt(*camera, {0, 5, 0});
    worker.addNode(camera, nullptr);
    worker.setCamera(camera);
  }

  FmSeaObject* addSurface() {
    auto* sea = new FmSeaObject;
    sea->setName("sea");
    worker.addNode(sea, nullptr);
    return sea;
  }

  // One update with the viewer at the height.
  void viewFrom(float height) {
    camera->controller()->position().setValue({0, height, 0});
    worker.updateScene(time += 0.1f);
  }

  FakeClock clock;
  FogCountingEngine engine{clock};
  FmWorker& worker = engine.scene().worker();
  FmCamera* camera = nullptr;
  float time = 0;
};

Bytes bytesOf(const RWCollectable& object) {
  TempFile path("sea");
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &object);
  }
  return path.bytes();
}

}  // namespace

TEST_F(SeaFog, TheFogSwitchesOncePerCrossingOfTheSurface) {
  FmSeaObject* sea = addSurface();
  placeAt(*sea, {0, 0, 0});
  sea->setAboveFog(0);
  sea->setBelowFog(1);

  viewFrom(5);
  EXPECT_EQ(sea->currentFog(), 0);
  EXPECT_EQ(engine.scene().fogIndex(), 0);
  EXPECT_EQ(engine.scene().fogColour(), (FmPoint{1, 1, 1}));
  viewFrom(0);
  EXPECT_EQ(sea->currentFog(), 1);
  EXPECT_EQ(engine.scene().fogIndex(), 1);
  EXPECT_EQ(engine.scene().fogColour(), (FmPoint{0, 0.2f, 0.5f}));
  EXPECT_EQ(engine.switches, 2);

  // Someone else selects the air fog: staying below does not ask for water again.
  engine.setFog(0);
  viewFrom(-2);
  EXPECT_EQ(sea->currentFog(), 1);
  EXPECT_EQ(engine.scene().fogIndex(), 0);
  viewFrom(3);
  EXPECT_EQ(sea->currentFog(), 0);
}

TEST_F(SeaFog, ASurfaceWithoutControllerWantsNoFog) {
  engine.setFog(1);
  const int before = engine.switches;
  FmSeaObject* quiet = addSurface();
  quiet->setAboveFog(0);
  viewFrom(5);
  viewFrom(-5);
  EXPECT_EQ(quiet->currentFog(), -1);
  EXPECT_EQ(engine.scene().fogIndex(), 1);
  EXPECT_EQ(engine.switches, before);

  // One that last asked for a fog asks for none once; the fog parameters stay.
  FmSeaObject* stale = addSurface();
  stale->setCurrentFog(1);
  viewFrom(5);
  EXPECT_EQ(stale->currentFog(), -1);
  EXPECT_EQ(engine.scene().fogIndex(), -1);
  EXPECT_EQ(engine.scene().fogColour(), (FmPoint{0, 0.2f, 0.5f}));
  engine.setFog(0);
  viewFrom(5);
  EXPECT_EQ(engine.scene().fogIndex(), 0);
}

TEST_F(SeaFog, TheWorkerListsTheSurfaceByItsBlendMode) {
  auto* sea = new FmSeaObject;
  sea->setBlendMode(2);
  worker.addNode(sea, nullptr);
  EXPECT_EQ(worker.blendObjects().occurrencesOf(sea), 1u);
  EXPECT_EQ(worker.objects().occurrencesOf(sea), 0u);
}

TEST(SeaWithoutEngine, TheSurfaceFollowsTheViewerWithoutSwitchingAnything) {
  ASSERT_EQ(FmEngine::instance(), nullptr);
  FmSeaObject sea;
  placeAt(sea, {0, 2, 0});
  sea.update(0, FmMatrix::identity());
  sea.setAboveFog(0);
  sea.setBelowFog(1);
  FmViewer viewer;
  viewer.position = {0, 1, 0};
  EXPECT_TRUE(sea.updateVisibility(0, viewer));
  EXPECT_EQ(sea.currentFog(), 1);
}

TEST(SeaObject, DefaultsCloneAndRegistration) {
  const FmSeaObject sea;
  EXPECT_EQ(sea.currentFog(), -1);
  EXPECT_EQ(sea.aboveFog(), -1);
  EXPECT_EQ(sea.belowFog(), -1);
  EXPECT_EQ(sea.expiryTime(), -1.0f);
  EXPECT_EQ(sea.formatVersion(), 100);
  EXPECT_EQ(stringIdOf(FmSeaObject::id), RWCString("FmSeaObject"));
  const std::unique_ptr<RWCollectable> made(createByName("FmSeaObject"));
  ASSERT_NE(dynamic_cast<FmSeaObject*>(made.get()), nullptr);

  FmSeaObject original;
  original.setName("bay");
  original.setCurrentFog(2);
  original.setAboveFog(0);
  original.setBelowFog(1);
  const std::unique_ptr<RWCollectable> cloned(original.clone());
  const auto* copy = dynamic_cast<const FmSeaObject*>(cloned.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->name(), RWCString("bay"));
  EXPECT_EQ(copy->currentFog(), 2);
  EXPECT_EQ(copy->aboveFog(), 0);
  EXPECT_EQ(copy->belowFog(), 1);
}

TEST(SeaObjectRecord, RoundTripsTheObjectAndItsFogs) {
  FmSeaObject sea;
  sea.setName("bay");
  auto* frame = new FmMesh;
  ASSERT_TRUE(frame->setVertices({0, 0, 0, 1, 0, 0, 0, 0, 1}));
  sea.setCurrentFrame(frame);
  sea.setVertexCount(3);
  sea.setBlendMode(2);
  sea.setCurrentFog(1);
  sea.setAboveFog(0);
  sea.setBelowFog(3);
  const Bytes bytes = bytesOf(sea);
  EXPECT_EQ(recursiveStoreSize(&sea), bytes.size());

  TempFile path("back");
  path.write(bytes);
  RWBinaryFile file(path.c_str(), "rb");
  const std::unique_ptr<RWCollectable> read(readObject(file));
  const auto* back = dynamic_cast<const FmSeaObject*>(read.get());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->name(), RWCString("bay"));
  EXPECT_EQ(back->blendMode(), 2);
  EXPECT_EQ(back->positions().size(), 9u);
  EXPECT_EQ(back->currentFog(), 1);
  EXPECT_EQ(back->aboveFog(), 0);
  EXPECT_EQ(back->belowFog(), 3);
  EXPECT_EQ(bytesOf(*back), bytes);
}

TEST(SeaObjectRecord, AnotherVersionStopsAfterTheVersionWord) {
  FmSeaObject sea;
  sea.setName("bay");
  sea.setAboveFog(0);
  Bytes bytes = bytesOf(sea);
  bytes[versionOffset] = 101;
  TempFile path("v101");
  path.write(bytes);
  RWBinaryFile file(path.c_str(), "rb");
  const std::unique_ptr<RWCollectable> read(readObject(file));
  const auto* stopped = dynamic_cast<const FmSeaObject*>(read.get());
  ASSERT_NE(stopped, nullptr);
  EXPECT_EQ(stopped->name(), RWCString());
  EXPECT_EQ(stopped->aboveFog(), -1);
  EXPECT_EQ(stopped->expiryTime(), -1.0f);
  std::uint32_t next = 0;
  ASSERT_TRUE(file.read(next));
  EXPECT_EQ(next, FmObject::storedVersion);
}
