#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "AnimTestSupport.h"
#include "FmBillboardController.h"
#include "FmEnvironController.h"
#include "FmFlightController.h"
#include "FmTimerBarController.h"
#include "RWFactory.h"

namespace {

const FmPoint yAxis{0, 1, 0};
const FmPoint zAxis{0, 0, 1};

void expectMatrixNear(const FmMatrix& actual, const FmMatrix& expected) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "element " << i;
}

FmMatrix rotationOnly(const FmMatrix& m) {
  FmMatrix r = m;
  r[12] = r[13] = r[14] = 0;
  return r;
}

// A camera somewhere in the scene, turned about more than one axis.
const FmMatrix camera = FmMatrix::translation({5, 2, -3}) * FmQuat(yAxis, 30).toMatrix() *
                        FmQuat({1, 0, 0}, -20).toMatrix();

std::vector<unsigned char> storedBytes(const FmTransformController& controller) {
  TempFile path("stored");
  writeTopLevel(path, controller);
  return path.bytes();
}

void fillTracks(FmTransformController& controller) {
  controller.position().setValue({1, 2, 3});
  controller.addPositionKey({4, 0, 0}, 2);
  controller.rotation().setValue(FmQuat(zAxis, 10));
  controller.scale().setValue({2, 2, 2});
}

}  // namespace

TEST(FmTimerBarController, RunsDownOverItsLimitThenStaysEmpty) {
  FmTimerBarController bar;
  bar.scale().setValue({1, 0.25f, 3});
  bar.setLimit(30);
  EXPECT_EQ(bar.getLimit(), 30);
  bar.start(100);
  EXPECT_EQ(bar.endTime(), 130);
  bar.update(100, FmMatrix::identity());
  EXPECT_EQ(bar.scale().value().x, 1);
  bar.update(115, FmMatrix::identity());
  EXPECT_EQ(bar.scale().value(), (FmPoint{0.5f, 0.25f, 3}));
  EXPECT_NEAR(bar.matrix()[0], 0.5f, 1e-6f);
  bar.update(130, FmMatrix::identity());
  EXPECT_EQ(bar.scale().value().x, 0);
  EXPECT_EQ(bar.endTime(), 130);
  bar.update(131, FmMatrix::identity());
  EXPECT_EQ(bar.scale().value().x, 0);
  EXPECT_EQ(bar.endTime(), 0);
  bar.update(115, FmMatrix::identity());
  EXPECT_EQ(bar.scale().value().x, 0);

  bar.start(200);
  bar.update(206, FmMatrix::identity());
  EXPECT_NEAR(bar.scale().value().x, 0.8f, 1e-6f);
}

TEST(FmTimerBarController, IsEmptyUntilStartedAndWithoutALimit) {
  FmTimerBarController bar;
  bar.update(0, FmMatrix::identity());
  EXPECT_EQ(bar.scale().value().x, 0);
  EXPECT_EQ(bar.matrix()[0], 0);

  bar.start(50);
  for (float time : {50.0f, 50.5f}) {
    bar.update(time, FmMatrix::identity());
    EXPECT_EQ(bar.scale().value().x, 0) << time;
    EXPECT_FALSE(std::isnan(bar.matrix()[0])) << time;
  }
  EXPECT_EQ(bar.endTime(), 0);
}

TEST(FmTimerBarController, ScaleKeysOverrideTheFraction) {
  FmTimerBarController bar;
  bar.addScaleKey({0.7f, 1, 1}, 0);
  bar.setLimit(10);
  bar.start(0);
  bar.position().setValue({0, 0, 0});
  bar.update(5, FmMatrix::translation({0, 3, 0}));
  EXPECT_NEAR(bar.scale().value().x, 0.7f, 1e-6f);
  expectPointNear(transform(bar.matrix(), {1, 0, 0}), {0.7f, 3, 0});
}

TEST(FmTimerBarController, StoresAsAnEnvironmentControllerAndReadsBackIdle) {
  FmTimerBarController bar;
  fillTracks(bar);
  bar.setLimit(30);
  bar.start(100);
  FmEnvironController environ;
  fillTracks(environ);
  const auto bytes = storedBytes(bar);
  auto expected = storedBytes(environ);
  ASSERT_GE(expected.size(), 6u);
  expected[4] = bytes[4];  // the class identifier, 16 bits after the magic number
  expected[5] = bytes[5];
  EXPECT_EQ(bytes, expected);
  const auto head = Bytes().u32(0x8888).u16(1163).u32(100).u32(100).u16(1147);
  EXPECT_TRUE(std::equal(head.data().begin(), head.data().end(), bytes.begin()));

  TempFile path("bar");
  writeTopLevel(path, bar);
  FmTimerBarController back;
  back.setLimit(5);
  back.start(7);
  readTopLevel(path, back);
  EXPECT_EQ(back.endTime(), 0);
  EXPECT_EQ(back.getLimit(), 0);
  EXPECT_EQ(back.position().value(), (FmPoint{1, 2, 3}));
  EXPECT_EQ(back.scale().value(), (FmPoint{2, 2, 2}));
}

TEST(FmBillboardController, TurnsAboutYTowardsTheParentsZAxis) {
  FmBillboardController billboard;
  billboard.position().setValue({1, 2, 3});
  billboard.addPositionKey({9, 9, 9}, 0);
  const FmMatrix parent = FmMatrix::translation({40, 50, 60}) * FmQuat(yAxis, 90).toMatrix();
  billboard.update(0, parent);
  expectMatrixNear(billboard.matrix(),
                   FmMatrix::translation({1, 2, 3}) * FmQuat(yAxis, 90).toMatrix());
  expectPointNear(transform(rotationOnly(billboard.matrix()), zAxis), {1, 0, 0});

  // Only the parent's heading counts, not its pitch; the tracks are not evaluated.
  billboard.update(0, camera);
  expectMatrixNear(rotationOnly(billboard.matrix()), FmQuat(yAxis, 30).toMatrix());
  expectPointNear(transform(billboard.matrix(), {0, 0, 0}), {1, 2, 3});
}

TEST(FmBillboardController, FacingTheCameraTakesItsWholeRotation) {
  FmBillboardController billboard;
  billboard.setFaceCamera(1);
  billboard.position().setValue({1, 2, 3});
  billboard.rotation().setValue(FmQuat(zAxis, 90));
  billboard.scale().setValue({2, 1, 1});
  billboard.update(0, camera);
  const FmMatrix expected = FmMatrix::translation({1, 2, 3}) * rotationOnly(camera) *
                            FmQuat(zAxis, 90).toMatrix() * FmMatrix::scaling({2, 1, 1});
  expectMatrixNear(billboard.matrix(), expected);
}

TEST(FmBillboardController, StoresFaceCameraAfterTheTracksAndClonesIt) {
  FmBillboardController billboard;
  fillTracks(billboard);
  billboard.setFaceCamera(1);
  const auto bytes = storedBytes(billboard);
  const auto head = Bytes().u32(0x8888).u16(1157).u32(100).u32(100).u16(1147);
  EXPECT_TRUE(std::equal(head.data().begin(), head.data().end(), bytes.begin()));
  const auto tail = Bytes().u16(1147).u32(100).point(2, 2, 2).nil().u32(1);
  EXPECT_TRUE(std::equal(tail.data().rbegin(), tail.data().rend(), bytes.rbegin()));

  std::unique_ptr<FmBillboardController> copy(
      static_cast<FmBillboardController*>(billboard.clone()));
  EXPECT_EQ(copy->faceCamera(), 1);
}

TEST(FmEnvironController, FollowsTheParentsPositionButNotItsRotation) {
  FmEnvironController environ;
  environ.position().setValue({0, 0, 0});
  environ.update(0, camera);
  expectMatrixNear(environ.matrix(), FmMatrix::translation({5, 2, -3}));

  environ.position().setValue({0, 1, 0});
  environ.rotation().setValue(FmQuat(zAxis, 90));
  environ.addPositionKey({7, 7, 7}, 0);
  environ.update(3, camera);
  EXPECT_EQ(environ.position().value(), (FmPoint{0, 1, 0}));
  expectMatrixNear(environ.matrix(),
                   FmMatrix::translation({5, 3, -3}) * FmQuat(zAxis, 90).toMatrix());
}

TEST(Controllers, AreRegisteredAndReadBackWhatTheyStore) {
  FmFlightController flight;
  flight.setMode(FmFlightController::playback);
  FmBillboardController billboard;
  billboard.setFaceCamera(1);
  FmEnvironController environ;
  FmTimerBarController bar;
  const struct {
    FmTransformController& object;
    const char* name;
  } classes[] = {{flight, "FmFlightController"},
                 {environ, "FmEnvironController"},
                 {billboard, "FmBillboardController"},
                 {bar, "FmTimerBarController"}};
  for (const auto& c : classes) {
    EXPECT_EQ(stringIdOf(c.object.classId()), RWCString(c.name));
    std::unique_ptr<RWCollectable> made(createById(c.object.classId()));
    ASSERT_NE(dynamic_cast<FmTransformController*>(made.get()), nullptr) << c.name;
    EXPECT_EQ(made->classId(), c.object.classId());

    fillTracks(c.object);
    TempFile path("record");
    writeTopLevel(path, c.object);
    readTopLevel(path, *made);
    const auto bytes = path.bytes();
    EXPECT_EQ(storedBytes(static_cast<FmTransformController&>(*made)), bytes) << c.name;
    EXPECT_EQ(recursiveStoreSize(made.get()), bytes.size()) << c.name;
  }
}
