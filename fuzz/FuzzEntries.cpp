#include "FuzzEntries.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "BenchOptions.h"
#include "BenchRun.h"
#include "FmClock.h"
#include "FmEngine.h"
#include "GameLevel.h"
#include "LevelFile.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "RegistryFile.h"
#include "SteppedClock.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The name that errors give the bytes under test.
constexpr const char* inputName = "fuzz input";

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "fuzz entry: %s\n", what.c_str());
  std::abort();
}

class StillClock : public FmClock {
public:
  std::uint64_t counter() const override { return 0; }
  std::uint64_t frequency() const override { return 1000; }
};

// The bytes that writing the object as a file's top-level record gives.
Bytes written(const RWCollectable* object) {
  RWBinaryFile file(RWBinaryFile::MemoryOutput{}, "written");
  writeObject(file, object);
  return file.memoryBytes();
}

// Loads into the engine's scene; true when the load succeeded.
bool load(FmEngine& engine, const Bytes& bytes) {
  try {
    return engine.loadSceneBytes(bytes, inputName);
  } catch (const RWxmsg&) {
    return false;
  }
}

void loadIntoEngine(const Bytes& bytes) {
  static const StillClock clock;
  // What an engine's scene writes before anything is loaded, written once.
  static const Bytes emptyScene = [] {
    FmEngine engine(clock);
    return written(&engine.scene());
  }();
  FmEngine engine(clock);
  const Bytes before = load(engine, bytes) ? written(&engine.scene()) : emptyScene;
  engine.scene().setLevel(2);
  if (!load(engine, bytes) && written(&engine.scene()) != before) {
    fail("a failed load changed the scene loaded before");
  }
}

// How each level is played: 150 frames at 30 per second, firing every tenth frame
// while turning right and climbing.
BenchOptions playOptions() {
  BenchOptions options;
  options.frames = 150;
  options.step = 1.0 / 30.0;
  options.fireEvery = 10;
  options.turnPitch = 2.0f;
  options.turnYaw = -4.0f;
  options.draw = false;
  return options;
}

// Plays the level of the bytes as zirrow-bench --no-draw does; false when it can't
// be loaded. `levels` becomes the file's level count.
bool playLevel(const Bytes& bytes, std::int32_t level, std::int32_t& levels) {
  static const BenchOptions options = playOptions();
  static const StillClock frameClock;
  SteppedClock clock;
  FmEngine engine(clock, frameClock);
  engine.scene().setLevel(level);
  if (!load(engine, bytes)) return false;
  levels = engine.scene().levelCount();
  prepareGameLevel(engine, 0);
  playReadiedLevel(options, engine, clock, frameClock);
  return true;
}

}  // namespace

namespace FuzzEntries {

void readSceneFile(const std::uint8_t* data, std::size_t size) {
  const Bytes bytes(data, data + size);
  {
    const LevelFile first(bytes, inputName);
    if (first.scene() && first.scene()->levelCount() > 1) LevelFile second(bytes, inputName, 2);
  }
  loadIntoEngine(bytes);
}

void roundTripScene(const std::uint8_t* data, std::size_t size) {
  const LevelFile original(Bytes(data, data + size), inputName);
  if (!original.ok() || !original.top()) return;
  const Bytes first = written(original.top());
  const LevelFile reread(first, inputName);
  if (!reread.ok()) fail("what was written does not read back: " + reread.problem());
  // Only a scene promises the same bytes: hashed collections, and sorted ones of
  // unrelated classes, write their elements in an order of their addresses.
  if (original.scene() && written(reread.top()) != first) {
    fail("writing the scene read back gives other bytes");
  }
}

void parseSettingsFile(const std::uint8_t* data, std::size_t size) {
  static constexpr std::string_view gameKey = "HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo";
  static constexpr std::string_view displayKey =
      "HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display";
  static constexpr std::string_view displayNames[] = {
      "fullScreen", "bitsPerPixel", "width", "height", "useGL", "sceneDir", "snapshotDir"};

  RegistryFile file = RegistryFile::parse({reinterpret_cast<const char*>(data), size});
  const std::string text = file.text();
  if (RegistryFile::parse(text).text() != text) fail("the settings text does not parse to itself");

  std::vector<std::optional<RegistryValue>> display;
  for (const auto name : displayNames) display.push_back(file.findValue(displayKey, name));
  if (!file.addKey(gameKey)) return;
  const RegistryValue level{RegistryType::dword, 0x2a, {}};
  if (!file.setValue(gameKey, "level", level)) fail("a game value can't be set in an existing key");

  const RegistryFile reread = RegistryFile::parse(file.text());
  const auto levelRead = reread.findValue(gameKey, "level");
  if (!levelRead || levelRead->type != RegistryType::dword || levelRead->number != level.number) {
    fail("a game value set in the settings does not read back");
  }
  for (std::size_t i = 0; i < display.size(); ++i) {
    const auto now = reread.findValue(displayKey, displayNames[i]);
    const bool same =
        now.has_value() == display[i].has_value() &&
        (!now || (now->type == display[i]->type && now->number == display[i]->number &&
                  now->text == display[i]->text));
    if (!same) fail("setting a game value changed a display value");
  }
}

void playLevels(const std::uint8_t* data, std::size_t size) {
  const Bytes bytes(data, data + size);
  std::int32_t levels = 1;
  for (std::int32_t level = 1; level <= std::min(levels, maxPlayedLevels); ++level) {
    if (!playLevel(bytes, level, levels)) return;
  }
}

Entry entryNamed(std::string_view target) {
  if (target == "level-file") return readSceneFile;
  if (target == "scene-round-trip") return roundTripScene;
  if (target == "settings-file") return parseSettingsFile;
  if (target == "level-play") return playLevels;
  return nullptr;
}

}  // namespace FuzzEntries
