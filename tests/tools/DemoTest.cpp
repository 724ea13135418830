#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "AudioMixer.h"
#include "BenchCommand.h"
#include "DemoWriter.h"
#include "FmCamera.h"
#include "FmClock.h"
#include "FmEngine.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmLight.h"
#include "FmObject.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmRocket.h"
#include "FmSeaObject.h"
#include "FmTimerBarController.h"
#include "LevelCommands.h"
#include "LevelToolRun.h"
#include "WaveSynth.h"

namespace {

namespace fs = std::filesystem;

// A directory of its own for the test, removed with everything in it.
class TempDirectory {
public:
  TempDirectory() {
    // Test programs run side by side and their heap addresses repeat from run to run,
    // so the name takes a random part.
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ =
        fs::temp_directory_path() / ("zirrow-demo-" + std::string(info ? info->name() : "suite") +
                                     "-" + std::to_string(std::random_device{}()));
  }
  ~TempDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const fs::path& path() const { return path_; }

private:
  fs::path path_;
};

// A counter that moves only when the test says so: 30 000 ticks a second.
class SteppedClock : public FmClock {
public:
  std::uint64_t counter() const override { return ticks_; }
  std::uint64_t frequency() const override { return 30000; }
  void advanceFrame() { ticks_ += 1000; }

private:
  std::uint64_t ticks_ = 5000;
};

std::vector<std::uint8_t> fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t le16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::string tagAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return {bytes.begin() + static_cast<std::ptrdiff_t>(at),
          bytes.begin() + static_cast<std::ptrdiff_t>(at + 4)};
}

// Checks a PCM WAVE file chunk by chunk; returns its sample count.
std::size_t expectPcmWave(const std::vector<std::uint8_t>& bytes) {
  EXPECT_GE(bytes.size(), 44u);
  if (bytes.size() < 44) return 0;
  EXPECT_EQ(tagAt(bytes, 0), "RIFF");
  EXPECT_EQ(le32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(tagAt(bytes, 8), "WAVE");
  EXPECT_EQ(tagAt(bytes, 12), "fmt ");
  EXPECT_EQ(le32(bytes, 16), 16u);
  EXPECT_EQ(le16(bytes, 20), 1);  // PCM
  const std::uint16_t channels = le16(bytes, 22);
  const std::uint32_t rate = le32(bytes, 24);
  const std::uint16_t blockAlign = le16(bytes, 32);
  const std::uint16_t bits = le16(bytes, 34);
  EXPECT_GE(channels, 1);
  EXPECT_TRUE(bits == 8 || bits == 16);
  EXPECT_EQ(blockAlign, channels * bits / 8);
  EXPECT_EQ(le32(bytes, 28), rate * blockAlign);
  EXPECT_EQ(tagAt(bytes, 36), "data");
  EXPECT_EQ(le32(bytes, 40), bytes.size() - 44);
  return blockAlign ? (bytes.size() - 44) / blockAlign : 0;
}

std::vector<std::int16_t> samplesOf(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::int16_t> samples;
  for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
    samples.push_back(static_cast<std::int16_t>(le16(bytes, at)));
  }
  return samples;
}

std::vector<unsigned char> bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes the demo once for the tests that read it.
class DemoFiles : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    directory_ = new TempDirectory;
    problem_ = DemoWriter::write(directory_->path().string());
  }
  static void TearDownTestSuite() {
    delete directory_;
    directory_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(problem_, ""); }

  static fs::path scenePath() { return directory_->path() / DemoWriter::sceneFileName; }
  static fs::path soundPath(const char* name) {
    return directory_->path() / DemoWriter::soundDirectory / name;
  }

private:
  static TempDirectory* directory_;
  static std::string problem_;
};

TempDirectory* DemoFiles::directory_ = nullptr;
std::string DemoFiles::problem_;

// One level of the demo file loaded into an engine with the flock at the index
// chosen, as the game does it.
class DemoPlay {
public:
  DemoPlay(const fs::path& scene, int level, int flock) {
    engine_.scene().setLevel(level);
    loaded_ = engine_.loadScene(scene.string().c_str());
    worker().selectFlock(flock);
    worker().findTemplate("Bouncer");
  }

  bool loaded() const { return loaded_; }
  FmEngine& engine() { return engine_; }
  FmWorker& worker() { return engine_.scene().worker(); }
  FmFlock* flock(std::size_t index) {
    return static_cast<FmFlock*>(worker().flocks().elementAt(index));
  }

  // Frames at 30 a second, turning gently and firing twice a second.
  void play(int frames) {
    for (int i = 0; i < frames; ++i) {
      clock_.advanceFrame();
      const float now = engine_.currentTime();
      if (i % 15 == 0 && worker().launchProjectile(now)) ++launched_;
      engine_.frame(0, i % 90 < 45 ? 8.0f : -8.0f, 12.0f, 0, 0, 0);
    }
  }
  int launched() const { return launched_; }

private:
  SteppedClock clock_;
  FmEngine engine_{clock_};
  bool loaded_ = false;
  int launched_ = 0;
};

struct BenchEvents {
  std::vector<int> hits;
  std::vector<int> wins;
  std::vector<int> fails;
};

// Plays one level and flock of the demo with zirrow-bench's logic only, at 30 frames
// a second, firing at the frames listed; gives the frames of its events.
BenchEvents benchDemo(const fs::path& scene, int level, int flock, int frames,
                      const std::vector<int>& fireAt) {
  std::vector<std::string> arguments = {
      "--no-draw",           "--json",  "--frames",           std::to_string(frames), "--level",
      std::to_string(level), "--flock", std::to_string(flock)};
  if (!fireAt.empty()) {
    std::string list;
    for (const int frame : fireAt) list += (list.empty() ? "" : ",") + std::to_string(frame);
    arguments.insert(arguments.end(), {"--fire-at", list});
  }
  arguments.push_back(scene.string());
  SteppedClock frameClock;
  std::ostringstream out, err;
  EXPECT_EQ(runBenchTool(arguments, frameClock, out, err), 0) << err.str();

  BenchEvents events;
  const std::string report = out.str();
  const std::regex event(R"re("frame":(\d+),"time":[^,]*,"kind":"(\w+)")re");
  for (auto it = std::sregex_iterator(report.begin(), report.end(), event);
       it != std::sregex_iterator(); ++it) {
    const int frame = std::stoi((*it)[1]);
    const std::string kind = (*it)[2];
    if (kind == "hit") events.hits.push_back(frame);
    if (kind == "win") events.wins.push_back(frame);
    if (kind == "fail") events.fails.push_back(frame);
  }
  return events;
}

// The first frame, at 30 frames a second from time 0, that lies past the limit.
int firstFrameAfter(float seconds) {
  int frame = 0;
  while (static_cast<float>(frame / 30.0) <= seconds) ++frame;
  return frame;
}

bool hasAnimatedFirstTexture(const FmObject* object) {
  return object && object->textureCount() > 0 &&
         dynamic_cast<const FmOpenGLAnimatedTexture*>(object->textureAt(0)) != nullptr;
}

}  // namespace

// ---- the sound effects -----------------------------------------------------------------

TEST(WaveSynth, EncodesMonoSixteenBitPcmWithConsistentSizes) {
  WaveSound sound;
  sound.sampleRate = 8000;
  sound.samples = {0, 1000, -1000, 32767, -32768};
  const auto bytes = WaveSynth::encode(sound);
  EXPECT_EQ(bytes.size(), 44u + 10u);
  EXPECT_EQ(expectPcmWave(bytes), 5u);
  EXPECT_EQ(le32(bytes, 24), 8000u);
  EXPECT_EQ(samplesOf(bytes), sound.samples);
}

TEST_F(DemoFiles, SoundEffectsAreShortAudiblePcmWaves) {
  for (const char* name :
       {DemoWriter::gunSoundName, DemoWriter::failSoundName, DemoWriter::winSoundName}) {
    const auto bytes = fileBytes(soundPath(name));
    const std::size_t samples = expectPcmWave(bytes);
    EXPECT_GT(samples, WaveSynth::sampleRate / 10) << name;
    EXPECT_LT(samples, WaveSynth::sampleRate * 3) << name;
    int loudest = 0;
    for (const std::int16_t sample : samplesOf(bytes))
      loudest = std::max(loudest, std::abs(sample));
    EXPECT_GT(loudest, 8000) << name;
  }
}

// SDL2_mixer reads WAVs through SDL's own RIFF/WAVE loader, so the files play in the game.
TEST_F(DemoFiles, SoundEffectsOpenWithTheMixersWaveReader) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  AudioMixer mixer;
  ASSERT_TRUE(mixer.open());
  for (const char* name :
       {DemoWriter::gunSoundName, DemoWriter::failSoundName, DemoWriter::winSoundName}) {
    AudioMixer::Wave wave = mixer.loadWave(soundPath(name).string().c_str());
    EXPECT_NE(wave, nullptr) << name;
    mixer.freeWave(wave);
  }
}

// ---- the levels in the engine --------------------------------------------------------

TEST_F(DemoFiles, TheFileHoldsTwoLevelsAndStaysSmall) {
  EXPECT_LT(fs::file_size(scenePath()), 4u << 20);
  for (int level = 1; level <= DemoWriter::levelCount; ++level) {
    DemoPlay play(scenePath(), level, 0);
    ASSERT_TRUE(play.loaded()) << level;
    EXPECT_EQ(play.engine().scene().levelCount(), 2) << level;
  }
}

TEST_F(DemoFiles, EveryLevelAndFlockPlaysTwoHundredFrames) {
  for (int level = 1; level <= DemoWriter::levelCount; ++level) {
    for (int flockIndex = 0; flockIndex < 3; ++flockIndex) {
      SCOPED_TRACE("level " + std::to_string(level) + ", flock " + std::to_string(flockIndex));
      DemoPlay play(scenePath(), level, flockIndex);
      ASSERT_TRUE(play.loaded());
      FmWorker& worker = play.worker();
      ASSERT_EQ(worker.flocks().entryCount(), 3u);
      ASSERT_NE(worker.projectileTemplate(), nullptr);
      EXPECT_EQ(worker.projectileTemplate()->name(), "Bouncer");
      ASSERT_NE(worker.flightController(), nullptr);

      play.engine().start(800, 600);
      FmFlock* active = play.flock(static_cast<std::size_t>(flockIndex));
      EXPECT_TRUE(active->active());
      EXPECT_EQ(static_cast<std::int32_t>(active->childCount()), active->memberCount());
      EXPECT_GT(active->memberCount(), 0);
      EXPECT_GT(active->timeLimit(), 20.0f);
      for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_NE(play.flock(i)->prototype(), nullptr) << i;
        EXPECT_EQ(play.flock(i)->prototype()->animationCount(), 2) << i;
      }

      play.play(200);
      EXPECT_EQ(play.launched(), 14);
      EXPECT_NE(worker.camera(), nullptr);
      EXPECT_GT(play.engine().currentTime(), 6.5f);
    }
  }
}

// Holding the fire button at 30 frames a second fires every 5th frame (the 0.16 s
// cooldown); without turning, that burst straight ahead empties every flock well
// within its time limit.
TEST_F(DemoFiles, HoldingFireEmptiesEveryFlockAndWinsTheLevelOnce) {
  constexpr int frames = 900;
  std::vector<int> burst;
  for (int frame = 0; frame < frames; frame += 5) burst.push_back(frame);
  for (int level = 1; level <= DemoWriter::levelCount; ++level) {
    for (int flockIndex = 0; flockIndex < 3; ++flockIndex) {
      SCOPED_TRACE("level " + std::to_string(level) + ", flock " + std::to_string(flockIndex));
      DemoPlay play(scenePath(), level, flockIndex);
      ASSERT_TRUE(play.loaded());
      const FmFlock* flock = play.flock(static_cast<std::size_t>(flockIndex));
      const BenchEvents events = benchDemo(scenePath(), level, flockIndex, frames, burst);
      EXPECT_EQ(static_cast<std::int32_t>(events.hits.size()), flock->memberCount());
      ASSERT_EQ(events.wins.size(), 1u);
      EXPECT_TRUE(events.fails.empty());
      ASSERT_FALSE(events.hits.empty());
      EXPECT_GT(events.wins.front(), events.hits.back());
      EXPECT_LT(events.wins.front() / 30.0f, flock->timeLimit());
    }
  }
}

TEST_F(DemoFiles, WithoutInputEveryFlockFailsRightAfterItsTimeLimit) {
  for (int level = 1; level <= DemoWriter::levelCount; ++level) {
    for (int flockIndex = 0; flockIndex < 3; ++flockIndex) {
      SCOPED_TRACE("level " + std::to_string(level) + ", flock " + std::to_string(flockIndex));
      DemoPlay play(scenePath(), level, flockIndex);
      ASSERT_TRUE(play.loaded());
      const float limit = play.flock(static_cast<std::size_t>(flockIndex))->timeLimit();
      ASSERT_GT(limit, 0.0f);
      const int failFrame = firstFrameAfter(limit);
      const BenchEvents events = benchDemo(scenePath(), level, flockIndex, failFrame + 10, {});
      EXPECT_TRUE(events.hits.empty());
      EXPECT_TRUE(events.wins.empty());
      EXPECT_EQ(events.fails, std::vector<int>{failFrame});
    }
  }
}

TEST_F(DemoFiles, TheGameCameraLooksAtTheActiveFlockFromOutsideTheGeometry) {
  DemoPlay play(scenePath(), 1, 0);
  ASSERT_TRUE(play.loaded());
  play.engine().start(800, 600);
  play.play(1);
  FmWorker& worker = play.worker();
  ASSERT_NE(worker.camera(), nullptr);
  EXPECT_NE(std::string(worker.camera()->name().data()).find("gameCam"), std::string::npos);
  int visibleMembers = 0;
  FmFlock* flock = play.flock(0);
  for (std::size_t i = 0; i < flock->childCount(); ++i) {
    const auto* member = static_cast<const FmObject*>(flock->childAt(i));
    if (member->viewDistance() > 0) ++visibleMembers;
  }
  EXPECT_GT(visibleMembers, 0);
  const FmPoint eye = worker.viewer().position;
  EXPECT_GT(eye.y, 2.0f);                          // above the sea and the ground
  EXPECT_EQ(play.engine().scene().fogIndex(), 0);  // the sea chose the fog above it
}

TEST_F(DemoFiles, LevelsUseEveryKindOfSceneElement) {
  for (int level = 1; level <= DemoWriter::levelCount; ++level) {
    SCOPED_TRACE("level " + std::to_string(level));
    DemoPlay play(scenePath(), level, 0);
    ASSERT_TRUE(play.loaded());
    const FmScene& scene = play.engine().scene();
    const FmWorker& worker = scene.worker();
    EXPECT_GE(scene.fogs().entryCount(), 2u);
    EXPECT_GT(scene.duration(), 0.0f);
    EXPECT_GT(worker.objects().entryCount(), 0u);
    EXPECT_GT(worker.alphaObjects().entryCount(), 0u);
    EXPECT_GT(worker.blendObjects().entryCount(), 0u);
    EXPECT_GE(worker.cameras().entryCount(), 2u);
    EXPECT_NE(worker.timerBar(), nullptr);

    bool directional = false, spotWithColourKeys = false;
    for (std::size_t i = 0; i < worker.lights().entryCount(); ++i) {
      const auto* light = static_cast<const FmLight*>(worker.lights().elementAt(i));
      directional |= light->lightType() == FmLight::atInfinity;
      spotWithColourKeys |= light->lightType() == FmLight::spot && light->colourTrack().hasKeys();
    }
    EXPECT_TRUE(directional);
    EXPECT_TRUE(spotWithColourKeys);

    bool withAlpha = false, withoutAlpha = false;
    for (std::size_t i = 0; i < scene.textures().entryCount(); ++i) {
      const auto* texture = static_cast<const FmOpenGLTexture*>(scene.textures().elementAt(i));
      (texture->hasAlpha() ? withAlpha : withoutAlpha) = true;
    }
    EXPECT_TRUE(withAlpha);
    EXPECT_TRUE(withoutAlpha);

    const FmSeaObject* sea = nullptr;
    for (std::size_t i = 0; i < worker.blendObjects().entryCount() && !sea; ++i) {
      sea = dynamic_cast<const FmSeaObject*>(worker.blendObjects().elementAt(i));
    }
    ASSERT_NE(sea, nullptr);
    EXPECT_EQ(sea->aboveFog(), 0);
    EXPECT_EQ(sea->belowFog(), 1);
    EXPECT_GT(sea->animationAt(0)->frameCount(), 1);

    const FmRocket* rocket = worker.projectileTemplate();
    ASSERT_NE(rocket, nullptr);
    ASSERT_TRUE(hasAnimatedFirstTexture(rocket->explosion()));
    EXPECT_NE(dynamic_cast<const FmObject*>(rocket->explosion()->childAt(0)), nullptr);
  }
}

// ---- the command line ------------------------------------------------------------------

TEST(DemoCommand, WritesTheDemoAndSaysWhere) {
  TempDirectory directory;
  const auto run = levelTool({"demo", directory.path().string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find(DemoWriter::sceneFileName), std::string::npos);
  const auto scene = (directory.path() / DemoWriter::sceneFileName).string();
  for (const char* level : {"1", "2"}) {
    const auto check = levelTool({"check", "--level", level, scene});
    EXPECT_EQ(check.status, 0) << level;
    EXPECT_EQ(check.out, "ok\n") << level;
  }
}

// A file size limit below the scene file's size fails its write as a full disk would.
TEST(DemoCommand, AFailedWriteLeavesTheDemoWrittenBeforeWhole) {
  TempDirectory directory;
  ASSERT_EQ(DemoWriter::write(directory.path().string()), "");
  const fs::path scene = directory.path() / DemoWriter::sceneFileName;
  const std::vector<unsigned char> before = bytesOf(scene);
  ASSERT_GT(before.size(), 300000u);

  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 200000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto run = levelTool({"demo", directory.path().string()});
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot write " + scene.string() + ": File too large"), std::string::npos)
      << run.err;
  EXPECT_EQ(bytesOf(scene), before);
  std::vector<std::string> entries;
  for (const auto& entry : fs::directory_iterator(directory.path())) {
    entries.push_back(entry.path().filename().string());
  }
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{DemoWriter::sceneFileName, "sounds"}));
}

TEST(DemoCommand, ADirectoryThatCannotBeMadeIsAProblem) {
  TempDirectory directory;
  fs::create_directories(directory.path());
  const fs::path blocker = directory.path() / "file";
  std::ofstream(blocker) << "not a directory";
  const auto run = levelTool({"demo", (blocker / "demo").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot create"), std::string::npos) << run.err;
}

TEST(LevelToolUsage, HelpForTheToolAndEachCommandGoesToStandardOutput) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"help"}}) {
    const auto run = levelTool(arguments);
    EXPECT_EQ(run.status, 0);
    for (const char* command : {"dump", "check", "demo"}) {
      EXPECT_NE(run.out.find(std::string("\n  ") + command + " "), std::string::npos) << run.out;
    }
    EXPECT_EQ(run.err, "");
  }
  for (const char* command : {"dump", "check", "demo"}) {
    const auto run = levelTool({command, "--help"});
    EXPECT_EQ(run.status, 0) << command;
    EXPECT_EQ(run.out.rfind(std::string("usage: zirrow-level ") + command, 0), 0u) << run.out;
  }
}

TEST(LevelToolUsage, BadArgumentsNameTheProblem) {
  const struct {
    std::vector<std::string> arguments;
    const char* problem;
  } cases[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"demo"}, "DIR is required"},
      {{"demo", "a", "b"}, "The following argument was not expected: b"},
      {{"demo", "--level", "2", "a"}, "The following arguments were not expected: a --level"},
      {{"check", "--level", "two", "f"}, "Could not convert: --level = two"},
      {{"check", "f", "--level"}, "--level: 1 required N missing"},
      {{"check", "--json", "f"}, "The following argument was not expected: --json"},
      {{"dump"}, "FILE is required"}};
  for (const auto& [arguments, problem] : cases) {
    const auto run = levelTool(arguments);
    EXPECT_EQ(run.status, 2) << problem;
    EXPECT_EQ(run.err.rfind(std::string("zirrow-level: ") + problem + "\nusage:", 0), 0u)
        << run.err;
  }
}
