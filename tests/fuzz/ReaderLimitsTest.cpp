// The reader's limits: records nest as deep as the limit and no deeper, with an
// error of its own; counts larger than the bytes left are refused before anything
// is allocated for them; texture sizes are computed in 64 bits.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "FmMesh.h"
#include "FmNode.h"
#include "FmOpenGLTexture.h"
#include "FmScene.h"
#include "LevelFile.h"
#include "SeedFiles.h"
#include "TempFile.h"
#include "engine/RecordBytes.h"

// The largest single allocation since the last reset: this test program replaces
// the global allocation functions to see what reading a hostile count asks for.
namespace {
std::atomic<std::size_t> largestAllocation{0};
}  // namespace

void* operator new(std::size_t size) {
  std::size_t seen = largestAllocation.load();
  while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {
  }
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}
// The pair allocates with malloc and frees with free, which the compiler can't see.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
#pragma GCC diagnostic pop

namespace {

constexpr std::uint32_t magic = 0x8888;
constexpr std::size_t oneMegabyte = 1024 * 1024;

std::string nestingError() {
  return "[NESTING] Object records nested deeper than " + std::to_string(maxNestingDepth) +
         " levels";
}

TEST(ReaderLimits, RecordsNestAsDeepAsTheLimitAndNoDeeper) {
  EXPECT_TRUE(LevelFile(seedFile("depth-lists-below-limit").string()).ok());
  EXPECT_TRUE(LevelFile(seedFile("depth-lists-at-limit").string()).ok());
  EXPECT_EQ(LevelFile(seedFile("depth-lists-over-limit").string()).problem(), nestingError());

  const LevelFile deepest(seedFile("depth-tree-at-limit").string());
  EXPECT_TRUE(deepest.ok()) << deepest.problem();
  EXPECT_EQ(LevelFile(seedFile("depth-tree-over-limit").string()).problem(), nestingError());
}

// Reads the record as a file and gives the reader's problem, checking that nothing
// it allocated came near the count that the record claims.
std::string problemReading(const RecordBytes& record) {
  TempFile file("hostile");
  file.write(record.bytes());
  largestAllocation = 0;
  const LevelFile level(file.path().string());
  EXPECT_LT(largestAllocation.load(), oneMegabyte);
  return level.problem();
}

RecordBytes nodeNamed(std::uint32_t nameLength) {
  RecordBytes record;
  record.u32(magic).u16(FmNode::id).u32(FmNode::storedVersion).u32(nameLength);
  return record.raw({'a', 'b', 'c'});
}

TEST(ReaderLimits, CountsBeyondTheBytesLeftAreRefusedBeforeAllocating) {
  EXPECT_NE(problemReading(nodeNamed(0x7FFFFFF0)).find("ends early"), std::string::npos);

  RecordBytes mesh;
  mesh.u32(magic).u16(FmMesh::id).u32(FmMesh::storedVersion).f32(0.0f).u32(FmMesh::maxVertexCount);
  EXPECT_NE(problemReading(mesh.f32(1.0f).f32(2.0f)).find("ends early"), std::string::npos);

  RecordBytes list;
  list.u32(magic).u16(0x8028).u32(0xFFFFFFFF).u16(0x8007).u16(0x8007);
  EXPECT_NE(problemReading(list).find("ends early"), std::string::npos);

  RecordBytes levels;
  levels.u32(magic).u16(FmScene::id).u32(FmScene::storedVersion).u32(0x7FFFFFFF).u32(12);
  EXPECT_NE(problemReading(levels).find("ends early"), std::string::npos);
}

RecordBytes texture(std::int32_t width, std::int32_t height, std::uint32_t dataSize) {
  RecordBytes record;
  record.u32(magic).u16(FmOpenGLTexture::id).u32(FmOpenGLTexture::storedVersion);
  record.text("big").text("").u32(0).u32(1).u32(static_cast<std::uint32_t>(width));
  return record.u32(static_cast<std::uint32_t>(height)).f32(0.0f).u32(dataSize).raw({1, 2, 3, 4});
}

TEST(ReaderLimits, TextureSizesAreComputedIn64Bits) {
  // 16384 x 16384 x 4 bytes fits the 32-bit data size; the file does not hold them.
  EXPECT_NE(problemReading(texture(16384, 16384, 0x40000000)).find("ends early"),
            std::string::npos);
  // 32769 x 32768 x 4 bytes wraps to 0x40000 in 32 bits: a mismatch, not a small image.
  EXPECT_NE(problemReading(texture(32769, 32768, 0x40000)).find("[TEXSIZE]"), std::string::npos);
  EXPECT_NE(problemReading(texture(-4, -4, 64)).find("[TEXSIZE]"), std::string::npos);
}

}  // namespace

// A texture that an object's record made but the scene's list leaves out would have no
// owner: the scene lists it, and writing the scene keeps it.
TEST(ReaderOwnership, ATextureShownButNotListedJoinsTheScenesList) {
  const auto path = std::filesystem::path(ZIRROW_FUZZ_DIR) / "regressions" / "level-play" /
                    "texture-shown-but-not-listed.zrw";
  const LevelFile level(path.string());
  ASSERT_TRUE(level.ok()) << level.problem();
  const RWOrdered& textures = level.scene()->textures();
  bool skinListed = false;
  for (std::size_t i = 0; i < textures.entryCount(); ++i) {
    const auto* texture = dynamic_cast<const FmOpenGLTexture*>(textures.elementAt(i));
    if (texture && texture->name() == RWCString("skin")) skinListed = true;
  }
  EXPECT_EQ(textures.entryCount(), 2u);
  EXPECT_TRUE(skinListed);
}
