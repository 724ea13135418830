#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "FmMaterial.h"
#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "TempFile.h"

namespace {

FmMaterial shinyMaterial() {
  FmMaterial material;
  material.setAmbient({0.1f, 0.2f, 0.3f});
  material.setDiffuse({0.4f, 0.5f, 0.6f});
  material.setSpecular({0.7f, 0.8f, 0.9f});
  material.setShininess(32.0f);
  material.setEmission({1.0f, 0.5f, 0.25f});
  material.setTwoSided(1);
  return material;
}

void expectSameMaterial(const FmMaterial& read, const FmMaterial& original) {
  EXPECT_EQ(read.ambient(), original.ambient());
  EXPECT_EQ(read.diffuse(), original.diffuse());
  EXPECT_EQ(read.specular(), original.specular());
  EXPECT_EQ(read.shininess(), original.shininess());
  EXPECT_EQ(read.emission(), original.emission());
  EXPECT_EQ(read.twoSided(), original.twoSided());
}

RecordBytes& colour(RecordBytes& record, float r, float g, float b) {
  return record.f32(r).f32(g).f32(b);
}

}  // namespace

TEST(MaterialRecord, WritesTheStoredLayoutAndReadsBackEqual) {
  TempFile path("material");
  const FmMaterial original = shinyMaterial();
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &original);
  }
  RecordBytes expected;
  expected.u32(0x8888).u16(FmMaterial::id).u32(100);
  colour(expected, 0.1f, 0.2f, 0.3f);
  colour(expected, 0.4f, 0.5f, 0.6f);
  colour(expected, 0.7f, 0.8f, 0.9f).f32(32.0f);
  colour(expected, 1.0f, 0.5f, 0.25f).u32(1);
  EXPECT_EQ(path.bytes(), expected.bytes());
  EXPECT_EQ(path.bytes().size(), recursiveStoreSize(&original));

  RWBinaryFile file(path.c_str(), "rb");
  std::unique_ptr<RWCollectable> object(readObject(file));
  const auto* read = dynamic_cast<const FmMaterial*>(object.get());
  ASSERT_NE(read, nullptr);
  expectSameMaterial(*read, original);
  std::unique_ptr<RWCollectable> copy(read->clone());
  expectSameMaterial(*static_cast<const FmMaterial*>(copy.get()), original);
}

TEST(MaterialRecord, UnknownVersionsLeaveTheDefaultsAndReadNothingMore) {
  TempFile path("version");
  RecordBytes record;
  colour(record.u32(0x8888).u16(FmMaterial::id).u32(101), 0.1f, 0.2f, 0.3f);
  path.write(record.bytes());
  FmMaterial material = shinyMaterial();
  RWBinaryFile file(path.c_str(), "rb");
  readObject(file, &material);
  expectSameMaterial(material, FmMaterial());
  EXPECT_EQ(material.ambient(), (FmPoint{0.2f, 0.2f, 0.2f}));
  EXPECT_EQ(material.diffuse(), (FmPoint{0.8f, 0.8f, 0.8f}));
  float next = 0;
  ASSERT_TRUE(file.read(next));
  EXPECT_EQ(next, 0.1f);
}
