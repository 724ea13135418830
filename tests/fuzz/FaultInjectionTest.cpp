// Every scene seed cut short at every byte: the readers report the cut, nothing
// leaks (the sanitizer build checks), and a failed load leaves the engine's scene
// as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "FmEngine.h"
#include "LevelFile.h"
#include "SeedFiles.h"
#include "TempFile.h"
#include "engine/FakeClock.h"

namespace {

struct Seed {
  std::string name;
  std::vector<unsigned char> bytes;
  std::vector<unsigned char> readBack;  // what the level reader makes of the whole file
  bool scene = false;
};

// The scene seeds that read without a problem as they stand.
std::vector<Seed> readableSeeds() {
  std::vector<Seed> seeds;
  for (const auto& path : seedFiles("level-file")) {
    const LevelFile whole(path.string());
    if (!whole.ok()) continue;
    seeds.push_back({path.filename().string(), fileBytes(path), writtenBytes(whole.top()),
                     whole.scene() != nullptr});
  }
  return seeds;
}

// Writes the first `length` bytes as a new file: a file cut to nothing and rewritten
// would be flushed to the disk on every close.
void writePrefix(const TempFile& file, const std::vector<unsigned char>& bytes,
                 std::size_t length) {
  std::filesystem::remove(file.path());
  file.write({bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)});
}

std::string listed(const std::vector<std::string>& failures) {
  std::string out;
  for (std::size_t i = 0; i < failures.size() && i < 10; ++i) out += failures[i] + "\n";
  return out;
}

constexpr std::string_view endsEarly = "[EOF] File ends early: a read at offset ";

class SeedCuts : public ::testing::Test {
protected:
  void SetUp() override {
    seeds = readableSeeds();
    ASSERT_GE(seeds.size(), 40u) << "the committed seeds are missing";
  }

  std::vector<Seed> seeds;
  TempFile cut{"cut"};
};

// A cut that still reads is one that ends after everything the reader needs (the
// levels after the one read): it must read as the whole file does. Any other cut is
// reported as the end of the file, whatever the reader made of the missing bytes.
TEST_F(SeedCuts, TheLevelReaderReportsEveryCutThatLosesWhatItReads) {
  std::vector<std::string> failures;
  std::size_t cuts = 0;
  for (const Seed& seed : seeds) {
    for (std::size_t length = 0; length < seed.bytes.size(); ++length, ++cuts) {
      writePrefix(cut, seed.bytes, length);
      const LevelFile file(cut.path().string());
      if (file.ok() && writtenBytes(file.top()) != seed.readBack) {
        failures.push_back(seed.name + " cut to " + std::to_string(length) + " bytes reads");
      } else if (!file.ok() && !file.problem().starts_with(endsEarly)) {
        failures.push_back(seed.name + " cut to " + std::to_string(length) + ": " + file.problem());
      }
    }
  }
  EXPECT_GT(cuts, 10000u);
  EXPECT_TRUE(failures.empty()) << failures.size() << " cuts misread, the first:\n"
                                << listed(failures);
}

TEST_F(SeedCuts, AFailedEngineLoadLeavesTheSceneLoadedBeforeUnchanged) {
  FakeClock clock;
  FmEngine engine(clock);
  const std::string reference = seedFile("scene-shared-texture").string();
  ASSERT_EQ(loadOutcome(engine, reference), "loaded");
  const std::vector<unsigned char> before = writtenBytes(&engine.scene());
  ASSERT_GT(engine.scene().worker().root().childCount(), 0u);

  std::vector<std::string> failures;
  std::size_t failedLoads = 0;
  for (const Seed& seed : seeds) {
    if (!seed.scene) continue;
    for (std::size_t length = 0; length < seed.bytes.size(); ++length) {
      writePrefix(cut, seed.bytes, length);
      const std::string outcome = loadOutcome(engine, cut.path().string());
      const std::string where = seed.name + " cut to " + std::to_string(length) + " bytes";
      if (outcome == "loaded") {
        if (writtenBytes(&engine.scene()) != seed.readBack) failures.push_back(where + " loads");
        loadOutcome(engine, reference);
        continue;
      }
      ++failedLoads;
      if (writtenBytes(&engine.scene()) != before || !outcome.starts_with(endsEarly)) {
        failures.push_back(where + ": " + outcome);
      }
    }
  }
  EXPECT_GT(failedLoads, 1000u);
  EXPECT_TRUE(failures.empty()) << failures.size() << " loads changed the scene, the first:\n"
                                << listed(failures);
}

TEST_F(SeedCuts, TheEngineLoadsEveryWholeSceneSeedAsTheLevelReaderReadsIt) {
  FakeClock clock;
  FmEngine engine(clock);
  int scenes = 0;
  for (const auto& path : seedFiles("level-file")) {
    const LevelFile whole(path.string());
    if (!whole.ok() || !whole.scene()) continue;
    ++scenes;
    ASSERT_EQ(loadOutcome(engine, path.string()), "loaded") << path;
    EXPECT_EQ(writtenBytes(&engine.scene()), writtenBytes(whole.scene())) << path;
  }
  EXPECT_GE(scenes, 4);
}

}  // namespace
