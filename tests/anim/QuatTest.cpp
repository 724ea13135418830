#include <gtest/gtest.h>

#include <cmath>

#include "AnimTestSupport.h"
#include "FmMatrix.h"
#include "FmQuat.h"

namespace {

const FmPoint xAxis{1, 0, 0};
const FmPoint yAxis{0, 1, 0};
const FmPoint zAxis{0, 0, 1};

void expectMatrixNear(const FmMatrix& actual, const FmMatrix& expected, float tolerance = 1e-5f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

}  // namespace

TEST(FmQuat, DefaultIsIdentityAndItsMatrixTheIdentity) {
  const FmQuat q;
  expectQuatNear(q, FmQuat(1, 0, 0, 0), 0);
  EXPECT_EQ(q.toMatrix(), FmMatrix::identity());
}

TEST(FmQuat, AxisAngleConstructionAndItsInverse) {
  const FmQuat q(yAxis, 90);
  EXPECT_FLOAT_EQ(q.x, 0);
  EXPECT_FLOAT_EQ(q.y, 0.70710677f);
  EXPECT_FLOAT_EQ(q.z, 0);
  EXPECT_FLOAT_EQ(q.w, 0.70710677f);
  FmPoint axis;
  float degrees = 0;
  q.toAxisAngle(axis, degrees);
  expectPointNear(axis, yAxis);
  EXPECT_NEAR(degrees, 90, 1e-3f);

  FmQuat().toAxisAngle(axis, degrees);
  EXPECT_EQ(axis, FmPoint{});
  EXPECT_EQ(degrees, 0);
}

TEST(FmQuat, MatrixTurnsVectorsTheRightWay) {
  const FmMatrix m = FmQuat(zAxis, 90).toMatrix();
  expectPointNear(transform(m, xAxis), yAxis);
  expectPointNear(transform(m, yAxis), FmPoint{-1, 0, 0});
}

TEST(FmQuat, EulerAnglesTurnAboutXThenYThenZ) {
  FmQuat q(0.5f, 0.5f, 0.5f, 0.5f);
  q.fromEuler({0, 0, 0});
  expectQuatNear(q, FmQuat());
  q.fromEuler({90, 0, 0});
  expectQuatNear(q, FmQuat(xAxis, 90));
  q.fromEuler({30, 40, 50});
  expectQuatNear(q, FmQuat(zAxis, 50) * FmQuat(yAxis, 40) * FmQuat(xAxis, 30));
}

TEST(FmQuat, ProductAppliesTheRightFactorFirstAndIsNormalised) {
  const FmQuat a(xAxis, 90), b(zAxis, 90);
  expectMatrixNear((a * b).toMatrix(), a.toMatrix() * b.toMatrix());
  const FmQuat product = FmQuat(2, 0, 0, 0) * FmQuat(0, 0, 3, 0);
  EXPECT_FLOAT_EQ(FmQuat::dot(product, product), 1);
}

TEST(FmQuat, MatrixConstructorInvertsToMatrix) {
  for (const FmQuat& q : {FmQuat(), FmQuat(yAxis, 90), FmQuat({1, 2, 3}, 170),
                          FmQuat({-1, 0.5f, 2}, 37), FmQuat({0, 1, 1}, -120)}) {
    FmQuat unit = q;
    unit.normalize();
    expectQuatNear(FmQuat(q.toMatrix()), unit);
  }
}

TEST(FmQuat, HalfTurnMatrixGivesTheHalfTurnNotTheIdentity) {
  for (const FmPoint& axis : {xAxis, yAxis, zAxis, FmPoint{1, 1, 0}}) {
    const FmQuat q(axis, 180);
    const FmQuat back(q.toMatrix());
    EXPECT_NEAR(std::fabs(FmQuat::dot(back, q)), 1, 1e-5f);
  }
}

TEST(FmQuat, NormalizeLeavesZeroAlone) {
  FmQuat zero(0, 0, 0, 0);
  zero.normalize();
  expectQuatNear(zero, FmQuat(0, 0, 0, 0), 0);
  FmQuat q(0, 3, 0, 4);
  q.normalize();
  expectQuatNear(q, FmQuat(0, 0.6f, 0, 0.8f));
}

TEST(FmQuat, SlerpEndsMiddleAndOppositeRotations) {
  const FmQuat a, b(zAxis, 90);
  expectQuatNear(FmQuat::slerp(0, a, b), a);
  expectQuatNear(FmQuat::slerp(1, a, b), b);
  expectQuatNear(FmQuat::slerp(0.5f, a, b), FmQuat(zAxis, 45));
  for (const FmQuat& q : {a, b, FmQuat({1, -2, 0.5f}, 77)}) {
    expectQuatNear(FmQuat::slerp(0.5f, q, -q), q, 0);
    expectQuatNear(FmQuat::slerp(0.5f, q, q), q);
  }
}

TEST(FmQuat, StoredRecordAndVersionCheck) {
  TempFile path("quat");
  const FmQuat q(0.5f, -0.5f, 0.25f, 1);
  writeTopLevel(path, q);
  const auto expected =
      Bytes().u32(0x8888).u16(1131).u32(100).f32(-0.5f).f32(0.25f).f32(1).f32(0.5f);
  EXPECT_EQ(path.bytes(), expected.data());
  EXPECT_EQ(recursiveStoreSize(&q), path.bytes().size());
  FmQuat back(0, 0, 0, 0);
  readTopLevel(path, back);
  expectQuatNear(back, q, 0);

  path.write(Bytes().u32(101).f32(9).f32(9).f32(9).f32(9).data());
  RWBinaryFile file(path.c_str(), "rb");
  back.restoreFields(file);
  expectQuatNear(back, q, 0);
  EXPECT_EQ(file.currentOffset(), 4u);
}

TEST(FmMatrix, InverseNeedsRowExchangesForQuarterTurns) {
  FmMatrix quarterTurn;
  quarterTurn.m = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const FmMatrix m =
      FmMatrix::translation({1, -2, 5}) * quarterTurn * FmMatrix::scaling({2, 3, 0.5f});
  ASSERT_EQ(m[0], 0);
  FmMatrix inverse;
  ASSERT_TRUE(m.inverse(inverse));
  expectMatrixNear(m * inverse, FmMatrix::identity());
}

TEST(FmMatrix, SingularMatrixHasNoInverse) {
  FmMatrix inverse = FmMatrix::scaling({5, 5, 5});
  EXPECT_FALSE(FmMatrix::scaling({1, 0, 1}).inverse(inverse));
  EXPECT_EQ(inverse, FmMatrix::identity());
  EXPECT_FALSE(FmMatrix::scaling({1e-39f, 1, 1}).inverse(inverse));
}
