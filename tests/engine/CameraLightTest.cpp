#include <gtest/gtest.h>

#include <memory>

#include "FmCamera.h"
#include "FmLight.h"
#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"
#include "TempFile.h"

namespace {

// Writes the object and gives what reading the file back creates.
std::unique_ptr<RWCollectable> roundTrip(const RWCollectable& object, const TempFile& path) {
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &object);
  }
  EXPECT_EQ(path.bytes().size(), recursiveStoreSize(&object));
  RWBinaryFile file(path.c_str(), "rb");
  return std::unique_ptr<RWCollectable>(readObject(file));
}

}  // namespace

TEST(Camera, ScalingClampsTheNearDistanceAndScalesTheFarOne) {
  FmCamera camera;
  camera.scalePositions({2, 2, 0.25f});
  EXPECT_EQ(camera.nearClip(), 1.0f);
  EXPECT_EQ(camera.farClip(), 7.5f);
  FmCamera far;
  far.scalePositions({1, 1, 2});
  EXPECT_EQ(far.nearClip(), 6.0f);
  EXPECT_EQ(far.farClip(), 60.0f);
}

TEST(Camera, RecordRoundTripsAndDuplicatesStayCameras) {
  FmCamera camera("eye", nullptr, -1.0f);
  camera.setFieldOfView(60.0f);
  camera.setNearClip(0.5f);
  camera.setFarClip(900.0f);
  TempFile path("camera");
  const auto read = roundTrip(camera, path);
  const auto* copy = dynamic_cast<const FmCamera*>(read.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->name(), "eye");
  EXPECT_EQ(copy->fieldOfView(), 60.0f);
  EXPECT_EQ(copy->nearClip(), 0.5f);
  EXPECT_EQ(copy->farClip(), 900.0f);

  const std::unique_ptr<FmNode> duplicate(camera.duplicate());
  const auto* twin = dynamic_cast<const FmCamera*>(duplicate.get());
  ASSERT_NE(twin, nullptr);
  EXPECT_EQ(twin->fieldOfView(), 60.0f);
  EXPECT_EQ(twin->farClip(), 900.0f);
}

TEST(Light, DuplicateIsAPlainNodeButCloneIsALight) {
  FmLight light("sun", nullptr, -1.0f);
  light.appendChild(new FmNode("beam", nullptr, -1.0f));
  light.setLightType(FmLight::spot);
  const std::unique_ptr<FmNode> duplicate(light.duplicate());
  EXPECT_EQ(duplicate->classId(), FmNode::id);
  EXPECT_EQ(dynamic_cast<FmLight*>(duplicate.get()), nullptr);
  EXPECT_EQ(duplicate->name(), "sun");
  ASSERT_EQ(duplicate->childCount(), 1u);
  EXPECT_EQ(duplicate->childAt(0)->name(), "beam");

  light.colourTrack().addKey({1, 0, 0}, 0.0f);
  const std::unique_ptr<RWCollectable> clone(light.clone());
  auto* copy = dynamic_cast<FmLight*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->lightType(), FmLight::spot);
  ASSERT_NE(copy->colourTrack().keys(), nullptr);
  EXPECT_NE(copy->colourTrack().keys(), light.colourTrack().keys());
}

TEST(Light, RecordRoundTripsEveryStoredField) {
  FmLight light("lamp", nullptr, 12.0f);
  light.setLightType(FmLight::atInfinity);
  light.setStoredValue(7);
  light.setSpotCutoff(22.5f);
  light.setStoredVector({1, 2, 3});
  light.colourTrack().addKey({0.5f, 0.5f, 1}, 1.0f);
  light.setGlLight(3);
  TempFile path("light");
  const auto read = roundTrip(light, path);
  const auto* copy = dynamic_cast<const FmLight*>(read.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->name(), "lamp");
  EXPECT_EQ(copy->expiryTime(), 12.0f);
  EXPECT_EQ(copy->lightType(), FmLight::atInfinity);
  EXPECT_EQ(copy->storedValue(), 7);
  EXPECT_EQ(copy->spotCutoff(), 22.5f);
  EXPECT_EQ(copy->storedVector(), (FmPoint{1, 2, 3}));
  EXPECT_EQ(copy->glLight(), FmLight::noGlLight);
  ASSERT_NE(copy->colourTrack().keys(), nullptr);
  EXPECT_EQ(copy->colourTrack().keys()->entryCount(), 1u);
}

TEST(Light, UpdateMovesTheColourBeforeTheNodeUpdate) {
  FmLight light;
  light.colourTrack().addKey({0, 0, 0}, 0.0f);
  light.colourTrack().addKey({1, 0.5f, 0}, 2.0f);
  light.update(1.0f, FmMatrix::identity());
  EXPECT_EQ(light.colourTrack().value(), (FmPoint{0.5f, 0.25f, 0}));
}
