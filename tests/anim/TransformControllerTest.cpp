#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "AnimTestSupport.h"
#include "FmTransformController.h"
#include "RWErrors.h"

namespace {

const FmPoint zAxis{0, 0, 1};

FmPoint translationOf(const FmMatrix& m) {
  return {m[12], m[13], m[14]};
}

}  // namespace

TEST(FmTransformController, DefaultPlacesTheNodeAtOneOneOne) {
  FmTransformController controller;
  EXPECT_EQ(controller.matrix(), FmMatrix::identity());
  EXPECT_EQ(controller.update(0, FmMatrix::identity()), 1);
  EXPECT_EQ(controller.matrix(), FmMatrix::translation({1, 1, 1}));
  EXPECT_EQ(controller.isController(), 1);
  EXPECT_EQ(controller.hasKeys(), 0);
  EXPECT_EQ(controller.duration(), 0);
}

TEST(FmTransformController, PositionKeysLoopUnlessToldNot) {
  FmTransformController controller;
  controller.addPositionKey({0, 0, 0}, 0);
  controller.addPositionKey({0, 0, -10}, 10);
  controller.update(15, FmMatrix::identity());
  expectPointNear(translationOf(controller.matrix()), {0, 0, -5});
  controller.setLoop(0);
  EXPECT_EQ(controller.getLoop(), 0);
  controller.update(15, FmMatrix::identity());
  expectPointNear(translationOf(controller.matrix()), {0, 0, -10});
}

TEST(FmTransformController, WorldMatrixIsParentTranslationRotationScale) {
  FmTransformController controller;
  controller.position().setValue({1, 2, 3});
  controller.rotation().setValue(FmQuat(zAxis, 90));
  controller.scale().setValue({2, 3, 4});
  controller.update(0, FmMatrix::translation({10, 0, 0}));
  expectPointNear(transform(controller.matrix(), {1, 0, 0}), {11, 4, 3});

  FmMatrix inverse;
  ASSERT_EQ(controller.getInverseMatrix(inverse), 1);
  expectPointNear(transform(inverse, {11, 4, 3}), {1, 0, 0});

  FmPoint position, scale, axis;
  float degrees = 0;
  EXPECT_EQ(controller.getAxisAngle(position, scale, axis, degrees), 1);
  EXPECT_EQ(position, (FmPoint{1, 2, 3}));
  EXPECT_EQ(scale, (FmPoint{2, 3, 4}));
  expectPointNear(axis, zAxis);
  EXPECT_NEAR(degrees, 90, 1e-3f);
}

TEST(FmTransformController, ZeroScaleHasNoInverse) {
  FmTransformController controller;
  controller.scale().setValue({1, 0, 1});
  controller.update(0, FmMatrix::identity());
  FmMatrix inverse = FmMatrix::scaling({3, 3, 3});
  EXPECT_EQ(controller.getInverseMatrix(inverse), 0);
  EXPECT_EQ(inverse, FmMatrix::identity());
}

TEST(FmTransformController, EditsReachTheirTracks) {
  FmTransformController controller;
  controller.addRotationKey(FmQuat(zAxis, 10), 0);
  controller.addRotationKey(FmQuat(zAxis, 20), 4);
  EXPECT_EQ(controller.duration(), 4);
  EXPECT_EQ(controller.hasKeys(), 1);
  controller.addScaleKey({2, 2, 2}, 1);
  controller.addPositionKey({1, 0, 0}, 2);
  controller.scalePositions({3, 1, 1});
  controller.offsetPositions({0, 5, 0});
  EXPECT_EQ(controller.position().keys()->keyAt(0)->position, (FmPoint{3, 5, 0}));
  EXPECT_EQ(controller.scale().keys()->keyAt(0)->position, (FmPoint{2, 2, 2}));
  controller.rotateKeys(FmQuat(zAxis, 5));
  expectQuatNear(controller.rotation().keys()->keyAt(1)->rotation, FmQuat(zAxis, 25));
  EXPECT_EQ(controller.compact(), 1);
  controller.clearKeys();
  EXPECT_EQ(controller.hasKeys(), 0);
}

TEST(FmTransformController, CloneCopiesTracksAndLoopButNotTheMatrix) {
  FmTransformController controller;
  controller.addPositionKey({4, 0, 0}, 1);
  controller.setLoop(0);
  controller.setLastTime(2.5f);
  controller.update(1, FmMatrix::identity());
  std::unique_ptr<FmTransformController> copy(
      static_cast<FmTransformController*>(controller.clone()));
  controller.clearKeys();
  EXPECT_EQ(copy->matrix(), FmMatrix::identity());
  EXPECT_EQ(copy->getLoop(), 0);
  EXPECT_EQ(copy->lastTime(), 2.5f);
  ASSERT_TRUE(copy->position().hasKeys());
  EXPECT_EQ(copy->position().keys()->keyAt(0)->position, (FmPoint{4, 0, 0}));
}

TEST(FmTransformController, StoresPositionRotationScaleAndReadsBackLooping) {
  FmTransformController controller;
  controller.position().setValue({1, 2, 3});
  controller.addPositionKey({5, 0, 0}, 1);
  controller.rotation().setValue(FmQuat(zAxis, 45));
  controller.addRotationKey(FmQuat(zAxis, 60), 2);
  controller.scale().setValue({7, 8, 9});
  TempFile path("controller");
  writeTopLevel(path, controller);
  const auto bytes = path.bytes();
  EXPECT_EQ(recursiveStoreSize(&controller), bytes.size());
  const auto head = Bytes().u32(0x8888).u16(1142).u32(100).u16(1147).u32(100).point(1, 2, 3);
  ASSERT_GT(bytes.size(), head.data().size());
  EXPECT_TRUE(std::equal(head.data().begin(), head.data().end(), bytes.begin()));
  const auto tail = Bytes().u16(1147).u32(100).point(7, 8, 9).nil();
  EXPECT_TRUE(std::equal(tail.data().rbegin(), tail.data().rend(), bytes.rbegin()));

  FmTransformController back;
  back.setLoop(0);
  back.addScaleKey({1, 1, 1}, 3);
  readTopLevel(path, back);
  EXPECT_EQ(back.getLoop(), 1);
  EXPECT_FALSE(back.scale().hasKeys());
  EXPECT_EQ(back.scale().value(), (FmPoint{7, 8, 9}));
  EXPECT_EQ(back.position().value(), (FmPoint{1, 2, 3}));
  EXPECT_EQ(back.position().keys()->keyAt(0)->position, (FmPoint{5, 0, 0}));
  expectQuatNear(back.rotation().value(), FmQuat(zAxis, 45), 0);
  expectQuatNear(back.rotation().keys()->keyAt(0)->rotation, FmQuat(zAxis, 60), 0);
}

TEST(FmTransformController, TracksNeverShareAKeyList) {
  Bytes bytes;
  bytes.u32(0x8888).u16(1142).u32(100);                           // controller, number 1
  bytes.u16(1147).u32(100).point(0, 0, 0);                        // position track, 2
  bytes.u16(0x804A).u32(1);                                       // its key list, 3
  bytes.u16(1140).u32(100).point(1, 2, 3).f32(0);                 // its key, 4
  bytes.u16(1148).u32(100).u32(100).point(0, 0, 0).f32(1).nil();  // rotation track, 5
  bytes.u16(1147).u32(100).point(1, 1, 1).u16(0xFFFF).u32(3);     // scale track, 6
  TempFile path("shared");
  path.write(bytes.data());
  FmTransformController controller;
  EXPECT_THROW(readTopLevel(path, controller), RWInternalErr);
  EXPECT_TRUE(controller.position().hasKeys());
  EXPECT_FALSE(controller.scale().hasKeys());
}
