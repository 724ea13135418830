#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "FmFace.h"
#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "TempFile.h"

namespace {

const FmPoint origin{0, 0, 0};
const FmPoint unitX{1, 0, 0};
const FmPoint unitY{0, 1, 0};

float length(const FmPoint& p) {
  return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
}

// The unit right triangle with its plane and sphere computed.
FmFace unitFace() {
  FmFace face;
  face.computePlane(origin, unitX, unitY);
  face.computeSphere(origin, unitX, unitY);
  return face;
}

// Whether touches holds just beyond the expected distance and fails just short of it.
void expectDistance(FmFace& face, const FmPoint& point, double expected, const FmPoint& a,
                    const FmPoint& b, const FmPoint& c, double tolerance) {
  EXPECT_TRUE(face.touches(point, static_cast<float>(expected + tolerance), a, b, c))
      << point.x << ", " << point.y << ", " << point.z << " expected " << expected;
  EXPECT_FALSE(face.touches(point, static_cast<float>(expected - tolerance), a, b, c))
      << point.x << ", " << point.y << ", " << point.z << " expected " << expected;
}

// The distance from the point to the nearest of a dense grid of triangle points.
double sampledDistance(const FmPoint& p, const FmPoint& a, const FmPoint& b, const FmPoint& c) {
  constexpr int steps = 300;
  double best = INFINITY;
  for (int i = 0; i <= steps; ++i) {
    for (int j = 0; i + j <= steps; ++j) {
      const double s = static_cast<double>(i) / steps;
      const double t = static_cast<double>(j) / steps;
      const double x = a.x + s * (b.x - a.x) + t * (c.x - a.x) - p.x;
      const double y = a.y + s * (b.y - a.y) + t * (c.y - a.y) - p.y;
      const double z = a.z + s * (b.z - a.z) + t * (c.z - a.z) - p.z;
      best = std::min(best, std::sqrt(x * x + y * y + z * z));
    }
  }
  return best;
}

FmFace storedFace() {
  FmFace face;
  face.setVertexIndex({1, 2, 3});
  face.setTexCoordIndex({4, 5, -1});
  face.setNormalIndex({7, 8, 9});
  face.setColourIndex({-1, 11, 12});
  face.setTextureIndex(2);
  return face;
}

void expectStoredValuesEqual(const FmFace& read, const FmFace& original) {
  EXPECT_EQ(read.vertexIndex(), original.vertexIndex());
  EXPECT_EQ(read.texCoordIndex(), original.texCoordIndex());
  EXPECT_EQ(read.normalIndex(), original.normalIndex());
  EXPECT_EQ(read.colourIndex(), original.colourIndex());
  EXPECT_EQ(read.textureIndex(), original.textureIndex());
}

RecordBytes faceRecord(std::uint32_t version) {
  RecordBytes record;
  record.u32(0x8888).u16(FmFace::id).u32(version);
  for (const std::int32_t value : {1, 2, 3, 4, 5, -1, 7, 8, 9, -1, 11, 12}) {
    record.u32(static_cast<std::uint32_t>(value));
  }
  return record;
}

constexpr std::uint32_t sentinel = 0xC0FFEE;

// Reads the file into an existing face and gives the 32-bit value after the record.
std::uint32_t readInto(const TempFile& path, FmFace& face) {
  RWBinaryFile file(path.c_str(), "rb");
  readObject(file, &face);
  std::uint32_t next = 0;
  file.read(next);
  return next;
}

}  // namespace

TEST(FaceGeometry, PlaneAndSphereOfTheUnitTriangle) {
  const FmFace face = unitFace();
  EXPECT_EQ(face.normal(), (FmPoint{0, 0, 1}));
  EXPECT_EQ(face.centre(), (FmPoint{0.33333334f, 0.33333334f, 0}));
  EXPECT_FLOAT_EQ(face.radius(), length(unitX - face.centre()));

  FmFace tilted;
  tilted.computePlane({0, 0, 0}, {0, 2, 0}, {0, 0, 3});
  EXPECT_EQ(tilted.normal(), (FmPoint{1, 0, 0}));
  tilted.computePlane({0, 0, 0}, {1, 1, 1}, {2, 2, 2});
  EXPECT_EQ(tilted.normal(), (FmPoint{0, 0, 0}));
}

TEST(FaceGeometry, WithinSphereCountsTheFacesRadius) {
  const FmFace face = unitFace();
  const float toCentre = 2.0f;
  const FmPoint point = face.centre() + FmPoint{0, 0, toCentre};
  EXPECT_TRUE(face.withinSphere(point, toCentre - face.radius() + 0.001f));
  EXPECT_FALSE(face.withinSphere(point, toCentre - face.radius() - 0.001f));
}

TEST(FaceContact, TouchesWithinTheDistanceAndRecordsTheHit) {
  FmFace face = unitFace();
  const FmPoint point{0.25f, 0.25f, 0.5f};
  EXPECT_TRUE(face.touches(point, 0.5f, origin, unitX, unitY));
  EXPECT_EQ(face.hit(), 1);
  EXPECT_FALSE(face.touches(point, 0.49f, origin, unitX, unitY));
  EXPECT_EQ(face.hit(), 0);
  EXPECT_TRUE(face.touches(point, 0.5f, origin, unitX, unitY));
  EXPECT_FALSE(face.touches({5, 5, 5}, 0.1f, origin, unitX, unitY));
  EXPECT_EQ(face.hit(), 0);
}

TEST(FaceContact, MeasuresToTheNearestCornerEdgeOrInterior) {
  FmFace face = unitFace();
  const double diagonal = std::sqrt(2.0);
  const struct {
    FmPoint point;
    double distance;
  } cases[] = {
      {{0.25f, 0.25f, -2.0f}, 2.0},               // interior
      {{-1, -1, 0}, diagonal},                    // beyond a
      {{2, -1, 0}, diagonal},                     // beyond b
      {{-1, 2, 0}, diagonal},                     // beyond c
      {{0.5f, -1, 0}, 1.0},                       // beside a-b
      {{-1, 0.5f, 0}, 1.0},                       // beside a-c
      {{1, 1, 0}, diagonal / 2},                  // beside b-c
      {{0.3f, 1.5f, 0}, std::sqrt(0.34)},         // beside b-c, nearest to c
      {{-0.5f, 1.2f, 0}, std::sqrt(0.25 + 0.04)}  // beside a-c, nearest to c
  };
  for (const auto& test : cases) {
    expectDistance(face, test.point, test.distance, origin, unitX, unitY, 1e-4);
  }
}

TEST(FaceContact, AgreesWithASampledDistanceAroundASkewedTriangle) {
  const FmPoint a{0.5f, -1, 2}, b{3, 0.5f, 1}, c{-1, 2.5f, -0.5f};
  FmFace face;
  face.computeSphere(a, b, c);
  std::mt19937 random(1151);
  std::uniform_real_distribution<float> coordinate(-4, 5);
  for (int i = 0; i < 60; ++i) {
    const FmPoint point{coordinate(random), coordinate(random), coordinate(random)};
    expectDistance(face, point, sampledDistance(point, a, b, c), a, b, c, 0.03);
  }
}

TEST(FaceContact, DegenerateTrianglesAreMeasuredAlongTheirEdges) {
  FmFace line;
  const FmPoint far{2, 0, 0};
  line.computeSphere(origin, unitX, far);
  expectDistance(line, {1.5f, 1, 0}, 1.0, origin, unitX, far, 1e-4);
  expectDistance(line, {3, 0, 0}, 1.0, origin, unitX, far, 1e-4);
  FmFace point;
  point.computeSphere(unitX, unitX, unitX);
  expectDistance(point, {1, 0, 2}, 2.0, unitX, unitX, unitX, 1e-4);
}

TEST(FaceIndices, IndicesWithinTheOwnersArrays) {
  const FmFace face = storedFace();
  EXPECT_TRUE(face.indicesWithin(4, 6, 10, 13));
  EXPECT_FALSE(face.indicesWithin(3, 6, 10, 13));
  EXPECT_FALSE(face.indicesWithin(4, 5, 10, 13));
  EXPECT_FALSE(face.indicesWithin(4, 6, 9, 13));
  EXPECT_FALSE(face.indicesWithin(4, 6, 10, 12));
  EXPECT_TRUE(face.indicesWithin(4, 0, 0, 0));
  EXPECT_FALSE(face.indicesWithin(0, 0, 0, 0));

  FmFace skipped = storedFace();
  skipped.setVertexIndex({0, -1, 2});
  EXPECT_FALSE(skipped.indicesWithin(4, 6, 10, 13));
  FmFace negative = storedFace();
  negative.setNormalIndex({7, -2, 9});
  EXPECT_FALSE(negative.indicesWithin(4, 6, 10, 13));
}

TEST(FaceRecord, WritesTheStoredLayoutAndReadsBackEqual) {
  TempFile path("face");
  const FmFace original = storedFace();
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &original);
  }
  EXPECT_EQ(path.bytes(), faceRecord(101).u32(2).bytes());
  EXPECT_EQ(path.bytes().size(), recursiveStoreSize(&original));
  RWBinaryFile file(path.c_str(), "rb");
  std::unique_ptr<RWCollectable> object(readObject(file));
  const auto* read = dynamic_cast<const FmFace*>(object.get());
  ASSERT_NE(read, nullptr);
  expectStoredValuesEqual(*read, original);
}

TEST(FaceRecord, OlderRecordsHaveNoTextureIndexAndUnknownVersionsStop) {
  TempFile path("face100");
  path.write(faceRecord(100).u32(sentinel).bytes());
  FmFace face = unitFace();
  face.setTextureIndex(5);
  EXPECT_EQ(readInto(path, face), sentinel);
  EXPECT_EQ(face.textureIndex(), 0);
  EXPECT_EQ(face.vertexIndex(), (FmFace::Corners{1, 2, 3}));
  EXPECT_EQ(face.colourIndex(), (FmFace::Corners{-1, 11, 12}));

  path.write(faceRecord(102).bytes());
  FmFace unknown = storedFace();
  EXPECT_EQ(readInto(path, unknown), 1u);
  expectStoredValuesEqual(unknown, FmFace());
}

TEST(FaceRecord, CloneCopiesTheStoredValuesOnly) {
  FmFace face = storedFace();
  face.computePlane(origin, unitX, unitY);
  face.computeSphere(origin, unitX, unitY);
  ASSERT_TRUE(face.touches(face.centre(), 0.1f, origin, unitX, unitY));
  std::unique_ptr<FmFace> copy(static_cast<FmFace*>(face.clone()));
  expectStoredValuesEqual(*copy, face);
  EXPECT_EQ(copy->normal(), FmPoint());
  EXPECT_EQ(copy->radius(), 0.0f);
  EXPECT_EQ(copy->hit(), 0);
}
