#include "DemoWriter.h"

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "DemoLevel.h"
#include "FileReplacement.h"
#include "MultiLevelWriter.h"
#include "RWOrdered.h"
#include "WaveSynth.h"

namespace {

// The textures both levels use, owned by the shared-objects collection.
class SharedTextures {
public:
  SharedTextures() : textures_(paintDemoSharedTextures()) {
    for (FmOpenGLTexture* texture :
         {static_cast<FmOpenGLTexture*>(textures_.explosion), textures_.sky, textures_.water,
          textures_.leaves, textures_.sun, textures_.beacon}) {
      collection_.append(texture);
    }
  }
  ~SharedTextures() { collection_.clearAndDestroy(); }
  SharedTextures(const SharedTextures&) = delete;
  SharedTextures& operator=(const SharedTextures&) = delete;

  const DemoSharedTextures& textures() const { return textures_; }
  const RWOrdered& collection() const { return collection_; }

private:
  RWOrdered collection_;
  DemoSharedTextures textures_;
};

std::string writeSounds(const std::filesystem::path& directory) {
  const struct {
    const char* name;
    WaveSound sound;
  } effects[] = {{DemoWriter::gunSoundName, WaveSynth::gunShot()},
                 {DemoWriter::failSoundName, WaveSynth::failure()},
                 {DemoWriter::winSoundName, WaveSynth::fanfare()}};
  for (const auto& effect : effects) {
    const std::string problem = replaceFile(
        directory / effect.name,
        [&](const std::string& temporary) { return WaveSynth::write(effect.sound, temporary); });
    if (!problem.empty()) return problem;
  }
  return {};
}

}  // namespace

namespace DemoWriter {

std::string write(const std::string& directory) {
  const std::filesystem::path root(directory);
  const std::filesystem::path sounds = root / soundDirectory;
  std::error_code error;
  std::filesystem::create_directories(sounds, error);
  if (error) return "cannot create " + sounds.string() + ": " + error.message();

  // Declared after the shared textures, the levels are destroyed before them.
  const SharedTextures shared;
  std::vector<std::unique_ptr<FmScene>> levels;
  MultiLevelWriter writer(shared.collection());
  for (int number = 1; number <= levelCount; ++number) {
    levels.push_back(buildDemoLevel(demoLevelPlan(number), shared.textures()));
    writer.addLevel(*levels.back());
  }
  // A failure part way (a full disk) leaves a demo written before as it was.
  const std::string problem = replaceFile(
      root / sceneFileName, [&](const std::string& temporary) { return writer.write(temporary); });
  if (!problem.empty()) return problem;
  return writeSounds(sounds);
}

}  // namespace DemoWriter
