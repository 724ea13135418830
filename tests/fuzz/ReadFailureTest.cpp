// Files that can be opened but not read, and names that can't be opened: an error
// is reported and the scene loaded before stays as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FmEngine.h"
#include "LevelFile.h"
#include "SeedFiles.h"
#include "TempFile.h"
#include "engine/FakeClock.h"

namespace {

class ReadFailures : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(loadOutcome(engine, seedFile("scene-shared-texture").string()), "loaded");
    before = writtenBytes(&engine.scene());
  }

  // The level reader's message, checked to be an error that keeps the engine's scene.
  std::string failureOf(const std::string& path) {
    const LevelFile file(path);
    EXPECT_FALSE(file.ok()) << path;
    const std::string outcome = loadOutcome(engine, path);
    EXPECT_NE(outcome, "loaded") << path;
    EXPECT_EQ(writtenBytes(&engine.scene()), before) << path;
    return file.problem();
  }

  FakeClock clock;
  FmEngine engine{clock};
  std::vector<unsigned char> before;
};

// The level reader opens only regular files; the engine, given a name, reads a
// folder as a file that fails to read.
TEST_F(ReadFailures, AFolderIsRefusedAsOneOrIsAReadError) {
  TempFile folder("folder");
  std::filesystem::create_directory(folder.path());
  EXPECT_EQ(
      failureOf(folder.path().string()),
      "[OPERR] Could not open file " + folder.path().string() + ": not a regular file (a folder)");
  EXPECT_EQ(loadOutcome(engine, folder.path().string()), "[READERR] Read error");
  std::filesystem::remove(folder.path());
}

// The process's own memory file opens, and reading it from offset 0 fails.
TEST_F(ReadFailures, AFileThatFailsWhileReadingIsAReadError) {
  if (!std::filesystem::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc";
  EXPECT_EQ(failureOf("/proc/self/mem"), "[READERR] Read error");
}

TEST_F(ReadFailures, AMissingFileIsAnOpenError) {
  TempFile missing("missing");
  EXPECT_NE(failureOf(missing.path().string()).find("[OPERR]"), std::string::npos);
}

TEST_F(ReadFailures, AFileRemovedAfterItsFirstLoadFailsTheNextAndKeepsTheScene) {
  TempFile other("other");
  other.write(fileBytes(seedFile("multi-level-three")));
  ASSERT_EQ(loadOutcome(engine, other.path().string()), "loaded");
  before = writtenBytes(&engine.scene());
  std::filesystem::remove(other.path());
  EXPECT_NE(failureOf(other.path().string()).find("[OPERR]"), std::string::npos);
}

TEST_F(ReadFailures, AFileWithoutTheChosenLevelIsAnErrorThatKeepsTheScene) {
  const std::string levels = seedFile("multi-level-three").string();
  engine.scene().setLevel(4);
  EXPECT_EQ(loadOutcome(engine, levels), "[LEVEL] Level 4 does not exist: the file holds 3 levels");
  EXPECT_EQ(LevelFile(levels, 4).problem(), loadOutcome(engine, levels));
  EXPECT_EQ(writtenBytes(&engine.scene()), before);
  engine.scene().setLevel(3);
  EXPECT_EQ(loadOutcome(engine, levels), "loaded");
  EXPECT_EQ(engine.scene().levelCount(), 3);
}

}  // namespace
