#include <gtest/gtest.h>

#include <memory>

#include "AnimTestSupport.h"
#include "FmAnimatedFloat.h"
#include "FmAnimatedPoint.h"
#include "FmAnimatedQuat.h"
#include "RWErrors.h"

namespace {

const FmPoint zAxis{0, 0, 1};

FmAnimatedPoint pointTrack() {
  FmAnimatedPoint track;
  track.addKey({10, 0, 0}, 2);
  track.addKey({0, 0, 0}, 0);
  return track;
}

}  // namespace

TEST(FmAnimatedPoint, InterpolatesHoldsAndLoops) {
  FmAnimatedPoint track = pointTrack();
  track.evaluate(0.5f, 0);
  expectPointNear(track.value(), {2.5f, 0, 0});
  track.evaluate(3, 0);
  expectPointNear(track.value(), {10, 0, 0});
  track.evaluate(3, 1);
  expectPointNear(track.value(), {5, 0, 0});
  EXPECT_EQ(track.duration(), 2);
}

TEST(FmAnimatedPoint, LoopOfLengthZeroDoesNotWrap) {
  FmAnimatedPoint track;
  track.addKey({0, 0, 0}, -2);
  track.addKey({10, 0, 0}, 0);
  track.evaluate(-1, 1);
  expectPointNear(track.value(), {5, 0, 0});
}

TEST(AnimatedTracks, BeforeTheFirstKeyEachClassHasItsOwnValue) {
  FmAnimatedPoint point;
  point.addKey({4, 4, 4}, 1);
  point.evaluate(0.5f, 0);
  EXPECT_EQ(point.value(), FmPoint{});

  FmAnimatedQuat quat;
  quat.setValue(FmQuat(zAxis, 30));
  quat.addKey(FmQuat(zAxis, 90), 1);
  quat.evaluate(0.5f, 0);
  expectQuatNear(quat.value(), FmQuat(), 0);

  FmAnimatedFloat number;
  number.setValue(7);
  number.addKey(2, 1);
  number.evaluate(0.5f, 0);
  EXPECT_EQ(number.value(), 7);
}

TEST(FmAnimatedFloat, SteppingHoldsEachKeyUpToTheNext) {
  FmAnimatedFloat track;
  track.addKey(1, 0);
  track.addKey(3, 1);
  track.evaluate(0.5f, 0);
  EXPECT_FLOAT_EQ(track.value(), 2);
  track.setInterpolate(0);
  for (float t : {0.0f, 0.5f, 1.0f}) {
    track.evaluate(t, 0);
    EXPECT_EQ(track.value(), 1) << t;
  }
  track.evaluate(1.5f, 0);
  EXPECT_EQ(track.value(), 3);
}

TEST(FmAnimatedFloat, KeyRepeatingTheLastValueIsRefused) {
  FmAnimatedFloat track;
  EXPECT_EQ(track.addKey(1, 0), 1);
  EXPECT_EQ(track.addKey(2, 5), 1);
  EXPECT_EQ(track.addKey(2, 1), 0);
  EXPECT_EQ(track.addKey(2, 9), 0);
  EXPECT_EQ(track.keys()->entryCount(), 2u);
}

TEST(FmAnimatedQuat, InterpolatesAndRotatesKeys) {
  FmAnimatedQuat track;
  track.addKey(FmQuat(), 0);
  track.addKey(FmQuat(zAxis, 90), 2);
  track.evaluate(1, 0);
  expectQuatNear(track.value(), FmQuat(zAxis, 45));

  const FmQuat turn({1, 0, 0}, 30);
  track.rotateKeys(turn);
  expectQuatNear(track.value(), FmQuat(zAxis, 45) * turn);
  expectQuatNear(track.keys()->keyAt(1)->rotation, FmQuat(zAxis, 90) * turn);
}

TEST(FmAnimatedQuat, AlignKeysKeepsNeighboursInOneHemisphere) {
  const FmQuat q({1, 2, 3}, 40);
  FmAnimatedQuat track;
  track.addKey(q, 0);
  track.addKey(-q, 1);
  track.addKey(-q, 2);
  track.alignKeys();
  for (std::size_t i = 0; i < 3; ++i) expectQuatNear(track.keys()->keyAt(i)->rotation, q, 0);

  FmAnimatedQuat single;
  single.addKey(-q, 0);
  single.alignKeys();
  expectQuatNear(single.keys()->keyAt(0)->rotation, -q, 0);

  // A whole turn in quarter turns: each key must stay near the one before it.
  FmAnimatedQuat spin;
  for (int i = 0; i <= 4; ++i) spin.addKey(FmQuat(zAxis, 90.0f * i), static_cast<float>(i));
  spin.alignKeys();
  for (std::size_t i = 1; i <= 4; ++i) {
    EXPECT_GT(FmQuat::dot(spin.keys()->keyAt(i - 1)->rotation, spin.keys()->keyAt(i)->rotation), 0);
  }
  spin.evaluate(2.5f, 0);
  expectQuatNear(spin.value(), FmQuat(zAxis, 225));
}

TEST(FmAnimatedPoint, ScaleAndOffsetReachValueAndKeys) {
  FmAnimatedPoint track = pointTrack();
  track.setValue({1, 2, 3});
  track.scaleKeys({2, 3, 4});
  EXPECT_EQ(track.value(), (FmPoint{2, 6, 12}));
  track.offsetKeys({1, 1, 1});
  EXPECT_EQ(track.value(), (FmPoint{3, 7, 13}));
  EXPECT_EQ(track.keys()->keyAt(1)->position, (FmPoint{21, 1, 1}));
}

TEST(AnimatedTracks, CopiesOwnTheirKeysAndClearingRemovesTheList) {
  FmAnimatedPoint track = pointTrack();
  std::unique_ptr<FmAnimatedPoint> copy(static_cast<FmAnimatedPoint*>(track.clone()));
  track.scaleKeys({0, 0, 0});
  expectPointNear(copy->keys()->keyAt(1)->position, {10, 0, 0});

  FmAnimatedPoint& alias = track;
  track = alias;
  ASSERT_TRUE(track.hasKeys());
  EXPECT_EQ(track.keys()->entryCount(), 2u);

  EXPECT_EQ(track.compact(), 1);
  EXPECT_EQ(track.keys()->capacity(), 2u);
  track.clearKeys();
  EXPECT_FALSE(track.hasKeys());
  EXPECT_EQ(track.duration(), 0);
  EXPECT_EQ(track.compact(), 0);
  track.setValue({1, 1, 1});
  track.evaluate(1, 1);
  EXPECT_EQ(track.value(), (FmPoint{1, 1, 1}));
}

TEST(AnimatedTracks, StoredRecordsMatchTheirSizeAndReadBack) {
  TempFile path("tracks");
  FmAnimatedQuat bare;
  writeTopLevel(path, bare);
  EXPECT_EQ(path.bytes(),
            Bytes().u32(0x8888).u16(1148).u32(100).u32(100).point(0, 0, 0).f32(1).nil().data());

  FmAnimatedQuat quat;
  quat.setValue(FmQuat(zAxis, 10));
  quat.addKey(FmQuat(zAxis, 20), 0);
  quat.addKey(FmQuat(zAxis, 30), 3);
  writeTopLevel(path, quat);
  EXPECT_EQ(recursiveStoreSize(&quat), path.bytes().size());
  FmAnimatedQuat quatBack;
  quatBack.addKey(FmQuat(), 7);
  readTopLevel(path, quatBack);
  expectQuatNear(quatBack.value(), quat.value(), 0);
  ASSERT_EQ(quatBack.keys()->entryCount(), 2u);
  expectQuatNear(quatBack.keys()->keyAt(1)->rotation, FmQuat(zAxis, 30), 0);

  FmAnimatedFloat number;
  number.addKey(1, 0.5f);
  writeTopLevel(path, number);
  EXPECT_EQ(recursiveStoreSize(&number), path.bytes().size());
  FmAnimatedFloat numberBack;
  readTopLevel(path, numberBack);
  EXPECT_EQ(numberBack.keys()->keyAt(0)->time, 0.5f);
}

TEST(AnimatedTracks, NilAndEmptyKeyListsReadBack) {
  TempFile path("lists");
  path.write(Bytes().u32(0x8888).u16(1147).u32(100).point(1, 2, 3).nil().data());
  FmAnimatedPoint track = pointTrack();
  readTopLevel(path, track);
  EXPECT_FALSE(track.hasKeys());
  EXPECT_EQ(track.value(), (FmPoint{1, 2, 3}));

  path.write(Bytes().u32(0x8888).u16(1155).u32(100).f32(4).u16(0x804A).u32(0).data());
  FmAnimatedFloat number;
  readTopLevel(path, number);
  EXPECT_TRUE(number.hasKeys());
  EXPECT_EQ(number.duration(), 0);
  number.evaluate(1, 1);
  EXPECT_EQ(number.value(), 4);
}

TEST(AnimatedTracks, KeyListsHoldOnlyTheirOwnKeys) {
  TempFile path("hostile");
  const auto track = [] { return Bytes().u32(0x8888).u16(1147).u32(100).point(1, 1, 1); };
  const auto key = [](Bytes bytes) { return bytes.u16(1140).u32(100).point(1, 2, 3).f32(0); };

  path.write(track().u16(0x804A).u32(1).u16(1156).u32(100).f32(1).f32(0).data());
  FmAnimatedPoint wrongClass;
  EXPECT_THROW(readTopLevel(path, wrongClass), RWInternalErr);

  path.write(key(track().u16(0x804A).u32(2)).u16(0xFFFF).u32(3).data());
  FmAnimatedPoint keyTwice;
  EXPECT_THROW(readTopLevel(path, keyTwice), RWInternalErr);
  EXPECT_EQ(keyTwice.keys()->entryCount(), 1u);

  path.write(track().u16(0xFFFF).u32(1).data());
  FmAnimatedPoint listIsTrack;
  EXPECT_THROW(readTopLevel(path, listIsTrack), RWInternalErr);
  EXPECT_FALSE(listIsTrack.hasKeys());
}
