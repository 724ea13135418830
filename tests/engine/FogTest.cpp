#include <gtest/gtest.h>

#include <memory>

#include "FmFog.h"
#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "TempFile.h"

namespace {

std::unique_ptr<RWCollectable> readBack(const TempFile& path) {
  RWBinaryFile file(path.c_str(), "rb");
  return std::unique_ptr<RWCollectable>(readObject(file));
}

}  // namespace

TEST(Fog, RecordRoundTripsAndMatchesItsSize) {
  FmFog fog("sea mist");
  fog.setFogMode(FmFog::exponentialSquared);
  fog.setColour({0.1f, 0.2f, 0.3f});
  fog.setFogStart(0.05f);
  fog.setFogEnd(250.0f);
  TempFile path("fog");
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &fog);
  }
  EXPECT_EQ(path.bytes().size(), recursiveStoreSize(&fog));
  const auto read = readBack(path);
  const auto* copy = dynamic_cast<const FmFog*>(read.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->name(), "sea mist");
  EXPECT_EQ(copy->fogMode(), FmFog::exponentialSquared);
  EXPECT_EQ(copy->colour(), (FmPoint{0.1f, 0.2f, 0.3f}));
  EXPECT_EQ(copy->fogStart(), 0.05f);
  EXPECT_EQ(copy->fogEnd(), 250.0f);
}

TEST(Fog, ReadsTheStoredLayoutAndStopsAtOtherVersions) {
  RecordBytes record;
  record.u32(0x8888).u16(FmFog::id).u32(100).text("haze").u32(1);
  record.f32(0.5f).f32(0.25f).f32(0.75f).f32(0.02f).f32(80.0f);
  TempFile path("fog");
  path.write(record.bytes());
  const auto read = readBack(path);
  const auto* fog = dynamic_cast<const FmFog*>(read.get());
  ASSERT_NE(fog, nullptr);
  EXPECT_EQ(fog->name(), "haze");
  EXPECT_EQ(fog->fogMode(), FmFog::exponential);
  EXPECT_EQ(fog->colour(), (FmPoint{0.5f, 0.25f, 0.75f}));
  EXPECT_EQ(fog->fogStart(), 0.02f);
  EXPECT_EQ(fog->fogEnd(), 80.0f);

  RecordBytes other;
  other.u32(0x8888).u16(FmFog::id).u32(101).text("haze").u32(1).u32(0xC0FFEE);
  path.write(other.bytes());
  RWBinaryFile file(path.c_str(), "rb");
  const std::unique_ptr<RWCollectable> defaults(readObject(file));
  const auto* plain = dynamic_cast<const FmFog*>(defaults.get());
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->name(), "");
  EXPECT_EQ(plain->colour(), (FmPoint{1, 1, 1}));
  EXPECT_EQ(plain->fogEnd(), 1000.0f);
  std::uint32_t next = 0;
  ASSERT_TRUE(file.read(next));
  EXPECT_EQ(next, 4u);  // the name's length: nothing after the version was read
}

TEST(Fog, ScaleDistancesUsesTheThirdComponent) {
  FmFog fog;
  fog.setFogStart(10.0f);
  fog.setFogEnd(100.0f);
  fog.scaleDistances({5.0f, 7.0f, 0.5f});
  EXPECT_EQ(fog.fogStart(), 5.0f);
  EXPECT_EQ(fog.fogEnd(), 50.0f);
}
