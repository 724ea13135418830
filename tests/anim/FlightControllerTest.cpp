#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "AnimTestSupport.h"
#include "FmFlightController.h"

namespace {

const FmPoint xAxis{1, 0, 0};
const FmPoint yAxis{0, 1, 0};
const FmPoint zAxis{0, 0, 1};

FmPoint column(const FmMatrix& m, int c) {
  return {m[c * 4], m[c * 4 + 1], m[c * 4 + 2]};
}

float dot(const FmPoint& a, const FmPoint& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Degrees by which the craft's right wing leaves the plane perpendicular to up.
float wingTilt(const FmQuat& rotation, const FmPoint& up) {
  const float upLength = std::sqrt(dot(up, up));
  const float cosine = dot(column(rotation.toMatrix(), 0), up) / upLength;
  return std::asin(std::clamp(cosine, -1.0f, 1.0f)) * 57.29578f;
}

// A controller that has captured its reference up under the parent, at time 0.
FmFlightController readyController(const FmMatrix& parent = FmMatrix::identity()) {
  FmFlightController controller;
  controller.position().setValue({0, 0, 0});
  controller.update(0, parent);
  return controller;
}

}  // namespace

TEST(FmFlightController, IgnoresSteeringUntilItsFirstUpdate) {
  FmFlightController controller;
  EXPECT_TRUE(controller.needsReference());
  controller.steer({0, 90, 0}, 2, 1.5f);
  EXPECT_EQ(controller.lastTime(), 1.5f);
  expectQuatNear(controller.rotation().value(), FmQuat(), 0);
  EXPECT_EQ(controller.position().value(), (FmPoint{1, 1, 1}));

  controller.update(0, FmMatrix::translation({0, 0, 4}) * FmMatrix::scaling({2, 3, 2}));
  EXPECT_FALSE(controller.needsReference());
  EXPECT_EQ(controller.referenceUp(), (FmPoint{0, 3, 0}));
  controller.update(0, FmMatrix::identity());
  EXPECT_EQ(controller.referenceUp(), (FmPoint{0, 3, 0}));
}

TEST(FmFlightController, SteersOnlyInFreeFlightAndRecording) {
  for (int mode : {2, 3, -1}) {
    FmFlightController controller = readyController();
    controller.setMode(mode);
    controller.steer({0, 90, 0}, 2, 1);
    EXPECT_EQ(controller.lastTime(), 1) << mode;
    expectQuatNear(controller.rotation().value(), FmQuat(), 0);
    EXPECT_EQ(controller.position().value(), (FmPoint{0, 0, 0})) << mode;
  }
  FmFlightController recorder = readyController();
  recorder.setMode(FmFlightController::recording);
  recorder.steer({0, 90, 0}, 0, 1);
  expectQuatNear(recorder.rotation().value(), FmQuat(yAxis, 90));
}

TEST(FmFlightController, YawTurnsInTheCraftsOwnFrameWithoutLevelling) {
  FmFlightController controller = readyController();
  controller.steer({0, 90, 0}, 0, 1);
  expectQuatNear(controller.rotation().value(), FmQuat(yAxis, 90));
  controller.steer({0, 0, 0}, 0, 2);
  expectQuatNear(controller.rotation().value(), FmQuat(yAxis, 90));

  controller.setLastTime(0);
  controller.steer({-45, 0, 0}, 0, 1);
  // Pitching the turned craft rotates about its own x axis, now along the world's z.
  expectQuatNear(controller.rotation().value(), FmQuat(yAxis, 90) * FmQuat(xAxis, -45));
}

TEST(FmFlightController, RollIsRemovedInTheSameCall) {
  for (float roll : {45.0f, -30.0f, 90.0f, -90.0f, 0.01f}) {
    FmFlightController controller = readyController();
    controller.steer({0, 0, roll}, 0, 1);
    EXPECT_NEAR(wingTilt(controller.rotation().value(), yAxis), 0, 0.02f) << roll;
    expectQuatNear(controller.rotation().value(), FmQuat(), 1e-3f);
  }
}

TEST(FmFlightController, LevelsAgainstTheDirectionOfAScaledReferenceUp) {
  FmFlightController controller = readyController(FmMatrix::scaling({3, 3, 3}));
  EXPECT_EQ(controller.referenceUp(), (FmPoint{0, 3, 0}));
  controller.steer({0, 0, 40}, 0, 1);
  EXPECT_NEAR(wingTilt(controller.rotation().value(), yAxis), 0, 0.02f);
  expectQuatNear(controller.rotation().value(), FmQuat(), 1e-4f);
}

TEST(FmFlightController, FliesAlongItsOwnMinusZ) {
  FmFlightController controller = readyController();
  controller.steer({0, 0, 0}, 2, 1);
  expectPointNear(controller.position().value(), {0, 0, -2});
  controller.steer({0, 0, 0}, 0, 2);
  expectPointNear(controller.position().value(), {0, 0, -2});
  controller.steer({0, 90, 0}, 1, 3);
  expectPointNear(controller.position().value(), {-1, 0, -2});
}

TEST(FmFlightController, LookAroundComesBeforeTheCraftsTransform) {
  FmFlightController controller = readyController();
  controller.position().setValue({0, 0, -5});
  controller.setLookYaw(90);
  controller.update(1, FmMatrix::translation({0, 1, 0}));
  expectPointNear(transform(controller.matrix(), {0, 0, 0}), {-5, 1, 0});
  controller.setLookYaw(0);
  controller.setLookPitch(90);
  controller.update(1, FmMatrix::identity());
  expectPointNear(transform(controller.matrix(), {0, 0, 0}), {0, 5, 0});
}

TEST(FmFlightController, RecordsAKeyPairPerFrameAndPlaysThemBack) {
  FmFlightController controller = readyController();
  controller.setMode(FmFlightController::recording);
  controller.update(0, FmMatrix::identity());
  controller.steer({0, 90, 0}, 4, 1);
  controller.update(1, FmMatrix::identity());
  ASSERT_TRUE(controller.position().hasKeys());
  ASSERT_EQ(controller.position().keys()->entryCount(), 2u);
  ASSERT_EQ(controller.rotation().keys()->entryCount(), 2u);
  EXPECT_FALSE(controller.scale().hasKeys());

  controller.setMode(FmFlightController::playback);
  controller.addScaleKey({5, 5, 5}, 0);
  controller.setLoop(0);
  controller.update(0.5f, FmMatrix::identity());
  expectPointNear(controller.position().value(), {-2, 0, 0});
  expectQuatNear(controller.rotation().value(), FmQuat(yAxis, 45));
  EXPECT_EQ(controller.scale().value(), (FmPoint{1, 1, 1}));

  controller.setMode(FmFlightController::freeFlight);
  controller.update(0, FmMatrix::identity());
  expectPointNear(controller.position().value(), {-2, 0, 0});
  EXPECT_EQ(controller.position().keys()->entryCount(), 2u);
}

TEST(FmFlightController, CloneCopiesTheFlightState) {
  FmFlightController controller = readyController(FmMatrix::scaling({1, 2, 1}));
  controller.setMode(FmFlightController::recording);
  controller.setLookYaw(10);
  controller.setLookPitch(-5);
  controller.addPositionKey({3, 0, 0}, 1);
  std::unique_ptr<FmFlightController> copy(static_cast<FmFlightController*>(controller.clone()));
  controller.clearKeys();
  EXPECT_EQ(copy->classId(), 1143);
  EXPECT_EQ(copy->mode(), FmFlightController::recording);
  EXPECT_EQ(copy->lookYaw(), 10);
  EXPECT_EQ(copy->lookPitch(), -5);
  EXPECT_FALSE(copy->needsReference());
  EXPECT_EQ(copy->referenceUp(), (FmPoint{0, 2, 0}));
  EXPECT_EQ(copy->matrix(), FmMatrix::identity());
  ASSERT_TRUE(copy->position().hasKeys());
  EXPECT_EQ(copy->position().keys()->keyAt(0)->position, (FmPoint{3, 0, 0}));
}

TEST(FmFlightController, StoresBothVersionsTheTracksAndTheMode) {
  FmFlightController controller = readyController();
  controller.position().setValue({1, 2, 3});
  controller.scale().setValue({4, 5, 6});
  controller.setMode(FmFlightController::playback);
  controller.setLookYaw(30);
  TempFile path("flight");
  writeTopLevel(path, controller);
  const auto bytes = path.bytes();
  const auto head =
      Bytes().u32(0x8888).u16(1143).u32(100).u32(100).u16(1147).u32(100).point(1, 2, 3);
  ASSERT_GT(bytes.size(), head.data().size());
  EXPECT_TRUE(std::equal(head.data().begin(), head.data().end(), bytes.begin()));
  const auto tail = Bytes().u16(1147).u32(100).point(4, 5, 6).nil().u32(2);
  EXPECT_TRUE(std::equal(tail.data().rbegin(), tail.data().rend(), bytes.rbegin()));

  FmFlightController back = readyController();
  back.setLookPitch(12);
  back.addRotationKey(FmQuat(), 3);
  readTopLevel(path, back);
  EXPECT_EQ(back.mode(), FmFlightController::playback);
  EXPECT_TRUE(back.needsReference());
  EXPECT_EQ(back.referenceUp(), (FmPoint{0, 0, 0}));
  EXPECT_EQ(back.lookPitch(), 0);
  EXPECT_FALSE(back.rotation().hasKeys());
  EXPECT_EQ(back.position().value(), (FmPoint{1, 2, 3}));
  EXPECT_EQ(back.scale().value(), (FmPoint{4, 5, 6}));
}
