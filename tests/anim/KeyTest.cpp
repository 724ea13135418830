#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "AnimTestSupport.h"
#include "FmFloatKey.h"
#include "FmPositionKey.h"
#include "FmRotationKey.h"
#include "RWFactory.h"

TEST(FmKeys, FloatAndPositionKeysCompareInHundredthsTruncated) {
  // 0.41f - 0.40f is 0.0099999905, so the two keys count as equal.
  const FmFloatKey early(0, 0.40f), close(3, 0.41f), later(5, 0.42f), later2(7, 0.425f);
  EXPECT_EQ(early.compare(&close), 0);
  EXPECT_EQ(early.compare(&later), -1);
  EXPECT_EQ(later.compare(&early), 1);
  EXPECT_FALSE(early.equals(&later));
  EXPECT_TRUE(later.equals(&later2));

  const FmPositionKey a({}, 1.0f), b({1, 2, 3}, 1.5f), c({9, 9, 9}, 1.005f);
  EXPECT_EQ(a.compare(&b), -50);
  EXPECT_TRUE(a.equals(&c));
}

TEST(FmKeys, RotationKeysCompareInWholeSeconds) {
  const FmRotationKey a(FmQuat(), 0.4f), b(FmQuat(), 0.9f), c(FmQuat(), 2.5f);
  EXPECT_EQ(a.compare(&b), 0);
  EXPECT_TRUE(a.equals(&b));
  EXPECT_EQ(a.compare(&c), -2);
  EXPECT_EQ(FmRotationKey().rotation.w, 0);
}

TEST(FmKeys, CompareOfExtremeTimesSaturates) {
  const float huge = std::numeric_limits<float>::max();
  const FmFloatKey high(0, huge), low(0, -huge), nan(0, std::nanf(""));
  EXPECT_EQ(high.compare(&low), std::numeric_limits<int>::max());
  EXPECT_EQ(low.compare(&high), std::numeric_limits<int>::min());
  EXPECT_EQ(nan.compare(&high), 0);
}

TEST(FmKeys, StoredRecordsMatchTheirSizeAndReadBack) {
  TempFile path("keys");
  const FmFloatKey floatKey(2.5f, 0.75f);
  writeTopLevel(path, floatKey);
  EXPECT_EQ(path.bytes(), Bytes().u32(0x8888).u16(1156).u32(100).f32(2.5f).f32(0.75f).data());
  FmFloatKey floatBack;
  readTopLevel(path, floatBack);
  EXPECT_EQ(floatBack.value, 2.5f);
  EXPECT_EQ(floatBack.time, 0.75f);

  const FmPositionKey positionKey({1, 2, 3}, 4);
  writeTopLevel(path, positionKey);
  EXPECT_EQ(path.bytes(), Bytes().u32(0x8888).u16(1140).u32(100).point(1, 2, 3).f32(4).data());

  const FmRotationKey rotationKey(FmQuat(1, 2, 3, 4), 6);
  writeTopLevel(path, rotationKey);
  const auto expected =
      Bytes().u32(0x8888).u16(1141).u32(100).u16(1131).u32(100).point(2, 3, 4).f32(1).f32(6);
  EXPECT_EQ(path.bytes(), expected.data());
  EXPECT_EQ(recursiveStoreSize(&rotationKey), expected.data().size());
  FmRotationKey rotationBack;
  readTopLevel(path, rotationBack);
  expectQuatNear(rotationBack.rotation, rotationKey.rotation, 0);
  EXPECT_EQ(rotationBack.time, 6);
}

TEST(FmKeys, EveryClassIsRegisteredUnderItsIdAndName) {
  const struct {
    RWClassID id;
    const char* name;
  } classes[] = {{1131, "FmQuat"},          {1140, "FmPositionKey"},
                 {1141, "FmRotationKey"},   {1142, "FmTransformController"},
                 {1147, "FmAnimatedPoint"}, {1148, "FmAnimatedQuat"},
                 {1155, "FmAnimatedFloat"}, {1156, "FmFloatKey"}};
  for (const auto& c : classes) {
    EXPECT_EQ(stringIdOf(c.id), RWCString(c.name));
    std::unique_ptr<RWCollectable> made(createByName(c.name));
    ASSERT_NE(made, nullptr) << c.name;
    EXPECT_EQ(made->classId(), c.id);
    std::unique_ptr<RWCollectable> copy(made->clone());
    EXPECT_EQ(copy->classId(), c.id);
  }
}
