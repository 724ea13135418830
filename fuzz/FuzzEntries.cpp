#include "FuzzEntries.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "FmClock.h"
#include "FmEngine.h"
#include "LevelFile.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "RegistryFile.h"
#include "ScratchFile.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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
  static const ScratchFile output("written");
  output.remove();
  {
    RWBinaryFile file(output.path().c_str(), "wb");
    if (!file.isValid()) fail("no scratch file to write to: " + output.path());
    writeObject(file, object);
  }
  return output.bytes();
}

const ScratchFile& inputFile() {
  static const ScratchFile input("input");
  return input;
}

// Loads into the engine's scene; true when the load succeeded.
bool load(FmEngine& engine, const std::string& path) {
  try {
    return engine.loadScene(path.c_str());
  } catch (const RWxmsg&) {
    return false;
  }
}

void loadIntoEngine(const std::string& path) {
  static const StillClock clock;
  FmEngine engine(clock);
  load(engine, path);
  const Bytes before = written(&engine.scene());
  engine.scene().setLevel(2);
  if (!load(engine, path) && written(&engine.scene()) != before) {
    fail("a failed load changed the scene loaded before");
  }
}

}  // namespace

namespace FuzzEntries {

void readSceneFile(const std::uint8_t* data, std::size_t size) {
  const ScratchFile& input = inputFile();
  if (!input.write(data, size)) fail("no scratch file to write to: " + input.path());
  {
    const LevelFile first(input.path());
    if (first.scene() && first.scene()->levelCount() > 1) LevelFile second(input.path(), 2);
  }
  loadIntoEngine(input.path());
}

void roundTripScene(const std::uint8_t* data, std::size_t size) {
  const ScratchFile& input = inputFile();
  if (!input.write(data, size)) fail("no scratch file to write to: " + input.path());
  const LevelFile original(input.path());
  if (!original.ok() || !original.top()) return;
  const Bytes first = written(original.top());
  if (!input.write(first.data(), first.size())) fail("no scratch file to write to");
  const LevelFile reread(input.path());
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

Entry entryNamed(std::string_view target) {
  if (target == "level-file") return readSceneFile;
  if (target == "scene-round-trip") return roundTripScene;
  if (target == "settings-file") return parseSettingsFile;
  return nullptr;
}

}  // namespace FuzzEntries
