#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "AnimTestSupport.h"
#include "FmRocketController.h"
#include "RWFactory.h"

namespace {

const FmPoint yAxis{0, 1, 0};

// A launcher somewhere in the scene, turned so that its -z axis points along -x.
const FmMatrix launcher = FmMatrix::translation({10, 2, -4}) * FmQuat(yAxis, 90).toMatrix();

void expectMatrixNear(const FmMatrix& actual, const FmMatrix& expected) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "element " << i;
}

}  // namespace

TEST(FmRocketController, FirstUpdateOnlyRecordsTheTimeThenFliesAlongMinusZ) {
  FmRocketController rocket(FmMatrix::identity(), 20, 0);
  EXPECT_EQ(rocket.position().value(), (FmPoint{1, 1, 1}));
  EXPECT_EQ(rocket.update(5, FmMatrix::identity()), 1);
  EXPECT_EQ(rocket.position().value(), (FmPoint{1, 1, 1}));
  EXPECT_EQ(rocket.lastTime(), 5);

  rocket.update(5.5f, FmMatrix::identity());
  EXPECT_EQ(rocket.position().value(), (FmPoint{1, 1, -9}));
  // The matrix shows the position as it was before this step.
  expectPointNear(transform(rocket.matrix(), {0, 0, 0}), {1, 1, 1});
  rocket.update(6, FmMatrix::identity());
  expectPointNear(transform(rocket.matrix(), {0, 0, 0}), {1, 1, -9});
}

TEST(FmRocketController, FliesInTheLaunchFrameIgnoringParentTracksAndRotation) {
  FmRocketController rocket(launcher, 4, 2);
  rocket.position().setValue({0, 0, 0});
  rocket.addPositionKey({50, 50, 50}, 0);
  rocket.rotation().setValue(FmQuat({1, 0, 0}, 45));
  rocket.scale().setValue({3, 3, 3});
  const FmMatrix parent = FmMatrix::translation({100, 100, 100});

  rocket.update(3, parent);
  EXPECT_EQ(rocket.position().value(), (FmPoint{0, 0, -4}));
  expectMatrixNear(rocket.matrix(), launcher);
  rocket.update(3.5f, parent);
  EXPECT_EQ(rocket.position().value(), (FmPoint{0, 0, -6}));
  expectPointNear(transform(rocket.matrix(), {0, 0, 0}), {6, 2, -4});
}

TEST(FmRocketController, CloneCopiesTheFlight) {
  FmRocketController rocket(launcher, 7, 3);
  rocket.addPositionKey({1, 2, 3}, 4);
  std::unique_ptr<FmRocketController> copy(static_cast<FmRocketController*>(rocket.clone()));
  EXPECT_EQ(copy->classId(), FmRocketController::id);
  EXPECT_EQ(copy->speed(), 7);
  EXPECT_EQ(copy->launchMatrix(), launcher);
  EXPECT_EQ(copy->lastTime(), 3);
  EXPECT_TRUE(copy->hasKeys());
  EXPECT_EQ(copy->isRocketController(), 1);
  copy->update(4, FmMatrix::identity());
  EXPECT_EQ(copy->position().value(), (FmPoint{1, 1, -6}));
  EXPECT_EQ(rocket.position().value(), (FmPoint{1, 1, 1}));
}

TEST(FmRocketController, StoresSpeedAfterTheTracksButNotTheLaunchMatrix) {
  FmRocketController rocket(launcher, 12.5f, 3);
  rocket.position().setValue({1, 2, 3});
  TempFile path("rocket");
  writeTopLevel(path, rocket);
  const auto bytes = path.bytes();
  const auto head = Bytes().u32(0x8888).u16(1162).u32(100).u32(100).u16(1147);
  EXPECT_TRUE(std::equal(head.data().begin(), head.data().end(), bytes.begin()));
  const auto tail = Bytes().u32(100).point(1, 1, 1).nil().f32(12.5f);
  EXPECT_TRUE(std::equal(tail.data().rbegin(), tail.data().rend(), bytes.rbegin()));
  EXPECT_EQ(recursiveStoreSize(&rocket), bytes.size());

  std::unique_ptr<RWCollectable> made(createByName("FmRocketController"));
  auto* back = dynamic_cast<FmRocketController*>(made.get());
  ASSERT_NE(back, nullptr);
  back->setLaunchMatrix(launcher);
  readTopLevel(path, *back);
  EXPECT_EQ(back->speed(), 12.5f);
  EXPECT_EQ(back->launchMatrix(), FmMatrix::identity());
  EXPECT_EQ(back->position().value(), (FmPoint{1, 2, 3}));
  EXPECT_EQ(stringIdOf(FmRocketController::id), RWCString("FmRocketController"));
}

TEST(FmRocketController, ARecordOfAnotherVersionStopsAfterItAndLeavesAClearedController) {
  TempFile path("version");
  path.write(Bytes().u32(0x8888).u16(1162).u32(101).u32(100).u16(1147).data());
  FmRocketController rocket(launcher, 9, 0);
  rocket.addPositionKey({1, 2, 3}, 1);
  rocket.setLoop(0);
  readTopLevel(path, rocket);
  EXPECT_EQ(rocket.speed(), 0);
  EXPECT_EQ(rocket.launchMatrix(), FmMatrix::identity());
  EXPECT_FALSE(rocket.hasKeys());
  EXPECT_EQ(rocket.getLoop(), 1);
}
