#include "LevelStats.h"

#include <iomanip>
#include <nlohmann/json.hpp>

#include "FmEngine.h"
#include "FmFlock.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "GameLevel.h"
#include "SteppedClock.h"

namespace {

constexpr std::uint64_t bytesPerTexel = 4;

struct DrawnObjects {
  std::int32_t count = 0;
  std::int64_t triangles = 0;

  void add(const FmObject* object) {
    if (!object) return;
    ++count;
    triangles += object->faceCount();
  }
  void addAll(const RWOrdered& list) {
    for (std::size_t i = 0; i < list.entryCount(); ++i) {
      add(static_cast<const FmObject*>(list.elementAt(i)));
    }
  }
};

bool listed(const RWOrdered& list, const RWCollectable* item) {
  for (std::size_t i = 0; i < list.entryCount(); ++i) {
    if (list.elementAt(i) == item) return true;
  }
  return false;
}

void countObjects(const FmWorker& worker, LevelStats& stats) {
  DrawnObjects drawn;
  drawn.addAll(worker.objects());
  drawn.addAll(worker.alphaObjects());
  drawn.addAll(worker.blendObjects());
  const FmObject* background = worker.background();
  if (background && !listed(worker.objects(), background) &&
      !listed(worker.alphaObjects(), background) && !listed(worker.blendObjects(), background)) {
    drawn.add(background);
  }
  stats.objects = drawn.count;
  stats.triangles = drawn.triangles;
}

void countTextures(FmScene& scene, LevelStats& stats) {
  const RWOrdered& textures = scene.textures();
  stats.textures = static_cast<std::int32_t>(textures.entryCount());
  for (std::size_t i = 0; i < textures.entryCount(); ++i) {
    auto* texture = static_cast<FmOpenGLTexture*>(textures.elementAt(i));
    for (int frame = 0; frame < texture->frameCount(); ++frame) {
      const FmOpenGLTexture* image = texture->frameAtIndex(frame);
      if (!image) continue;
      ++stats.textureFrames;
      stats.textureBytes += mipmapChainBytes(image->width(), image->height());
    }
  }
}

void describeFlocks(const FmWorker& worker, LevelStats& stats) {
  for (std::size_t i = 0; i < worker.flocks().entryCount(); ++i) {
    const auto* flock = static_cast<const FmFlock*>(worker.flocks().elementAt(i));
    FlockStats entry;
    entry.name = flock->name().data();
    entry.members = flock->memberCount();
    entry.active = flock->active();
    if (const FmObject* prototype = flock->prototype()) {
      entry.prototype = prototype->name().data();
      entry.trianglesPerMember = prototype->faceCount();
    }
    stats.flocks.push_back(entry);
  }
}

LevelStats statsOfLevel(const std::string& levelFile, std::int32_t level,
                        std::int32_t& levelCount) {
  SteppedClock clock;
  FmEngine engine(clock, clock);
  loadGameLevel(engine, levelFile, level, 0);
  levelCount = engine.scene().levelCount();
  engine.start(headlessWidth, headlessHeight);
  LevelStats stats;
  stats.level = level;
  const FmWorker& worker = engine.scene().worker();
  countObjects(worker, stats);
  countTextures(engine.scene(), stats);
  stats.cameras = static_cast<std::int32_t>(worker.cameras().entryCount());
  stats.lights = static_cast<std::int32_t>(worker.lights().entryCount());
  describeFlocks(worker, stats);
  return stats;
}

std::string flockMembersText(const LevelStats& stats) {
  std::string text;
  for (const FlockStats& flock : stats.flocks) {
    if (!text.empty()) text += ", ";
    text += flock.name + " " + std::to_string(flock.members);
    if (flock.active) text += "*";
  }
  return text.empty() ? "-" : text;
}

}  // namespace

std::uint64_t mipmapChainBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  std::uint64_t bytes = 0;
  std::uint64_t w = static_cast<std::uint64_t>(width);
  std::uint64_t h = static_cast<std::uint64_t>(height);
  while (true) {
    bytes += w * h * bytesPerTexel;
    if (w == 1 && h == 1) return bytes;
    w = w > 1 ? w / 2 : 1;
    h = h > 1 ? h / 2 : 1;
  }
}

std::vector<LevelStats> levelStats(const std::string& levelFile) {
  std::vector<LevelStats> levels;
  std::int32_t levelCount = 1;
  for (std::int32_t level = 1; level <= levelCount; ++level) {
    levels.push_back(statsOfLevel(levelFile, level, levelCount));
  }
  return levels;
}

void printStatsTable(const std::vector<LevelStats>& levels, std::ostream& out) {
  out << std::left << std::setw(6) << "level" << std::right << std::setw(8) << "objects"
      << std::setw(11) << "triangles" << std::setw(9) << "textures" << std::setw(14)
      << "texture bytes" << std::setw(8) << "cameras" << std::setw(7) << "lights"
      << "  flocks (members, * active)\n";
  for (const LevelStats& stats : levels) {
    out << std::left << std::setw(6) << stats.level << std::right << std::setw(8) << stats.objects
        << std::setw(11) << stats.triangles << std::setw(9) << stats.textures << std::setw(14)
        << stats.textureBytes << std::setw(8) << stats.cameras << std::setw(7) << stats.lights
        << "  " << flockMembersText(stats) << '\n';
  }
}

void printStatsJson(const std::vector<LevelStats>& levels, std::ostream& out) {
  nlohmann::ordered_json json = nlohmann::ordered_json::array();
  for (const LevelStats& stats : levels) {
    nlohmann::ordered_json flocks = nlohmann::ordered_json::array();
    for (const FlockStats& flock : stats.flocks) {
      flocks.push_back({{"name", flock.name},
                        {"prototype", flock.prototype},
                        {"members", flock.members},
                        {"trianglesPerMember", flock.trianglesPerMember},
                        {"active", flock.active}});
    }
    json.push_back({{"level", stats.level},
                    {"objects", stats.objects},
                    {"triangles", stats.triangles},
                    {"textures", stats.textures},
                    {"textureFrames", stats.textureFrames},
                    {"textureBytes", stats.textureBytes},
                    {"cameras", stats.cameras},
                    {"lights", stats.lights},
                    {"flocks", flocks}});
  }
  out << nlohmann::ordered_json{{"levels", json}}.dump(2) << '\n';
}
