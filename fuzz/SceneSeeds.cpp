#include "SceneSeeds.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "DemoCreatures.h"
#include "DemoMeshes.h"
#include "DemoProps.h"
#include "DemoWriter.h"
#include "FmCamera.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmLight.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmOpenGLTexture.h"
#include "FmRocket.h"
#include "FmScene.h"
#include "FmTimerBarController.h"
#include "LevelFile.h"
#include "MultiLevelWriter.h"
#include "RWBinaryFile.h"
#include "RWFactory.h"
#include "RWHashTable.h"
#include "RWObjectProtocol.h"
#include "RWOrdered.h"
#include "RWSortedVector.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Seeds stay small, so that fuzzing mutates them quickly and a test can cut each
// of them at every byte.
constexpr std::uint32_t largestClassSeed = 6000;
constexpr std::uint32_t largestDemoSeed = 64 * 1024;
constexpr std::uintmax_t largestVariantSource = 1024;
constexpr std::size_t versionOffset = 6;  // after the magic number and the class identifier
constexpr std::uint32_t firstVersion = 100;

class SeedFolder {
public:
  explicit SeedFolder(fs::path folder) : folder_(std::move(folder)) {}

  void write(const std::string& name, const RWCollectable* top) const {
    const fs::path path = folder_ / (name + ".zrw");
    RWBinaryFile file(path.string().c_str(), "wb");
    if (!file.isValid()) throw std::runtime_error("cannot write " + path.string());
    writeObject(file, top);
    if (file.error()) throw std::runtime_error("cannot write " + path.string());
  }
  void write(const std::string& name, const Bytes& bytes) const {
    const fs::path path = folder_ / (name + ".zrw");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
  }
  Bytes read(const std::string& name) const {
    std::ifstream in(folder_ / (name + ".zrw"), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string path(const std::string& name) const { return (folder_ / (name + ".zrw")).string(); }

private:
  fs::path folder_;
};

// A folder in the temporary directory, removed with the object.
class TemporaryFolder {
public:
  TemporaryFolder() {
    path_ = fs::temp_directory_path() / ("zirrow-seeds-" + std::to_string(std::random_device{}()));
    fs::create_directories(path_);
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const fs::path& path() const { return path_; }

private:
  fs::path path_;
};

std::vector<RWClassID> registeredClasses() {
  std::vector<RWClassID> ids;
  for (unsigned id = 1; id < 0x9000; ++id) {
    if (stringIdOf(static_cast<RWClassID>(id)) != "NoID") ids.push_back(static_cast<RWClassID>(id));
  }
  return ids;
}

void writeClassSeeds(const SeedFolder& seeds) {
  TemporaryFolder demo;
  if (const std::string problem = DemoWriter::write(demo.path().string()); !problem.empty()) {
    throw std::runtime_error(problem);
  }
  const std::string demoFile = (demo.path() / DemoWriter::sceneFileName).string();
  if (fs::file_size(demoFile) <= largestDemoSeed) {
    std::ifstream in(demoFile, std::ios::binary);
    seeds.write("demo-levels",
                Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
  }
  // The smallest record of each class among the objects of both levels and their
  // copies, which drop a node's place in its tree.
  const LevelFile first(demoFile, 1);
  const LevelFile second(demoFile, 2);
  if (!first.ok() || !second.ok()) throw std::runtime_error("the demo does not read back");

  std::vector<std::unique_ptr<RWCollectable>> copies;
  std::map<RWClassID, std::pair<const RWCollectable*, std::uint32_t>> best;
  const auto offer = [&](const RWCollectable* object) {
    const std::uint32_t size = recursiveStoreSize(object);
    auto found = best.find(object->classId());
    if (size > largestClassSeed || (found != best.end() && found->second.second <= size)) return;
    best[object->classId()] = {object, size};
  };
  for (const LevelFile* level : {&first, &second}) {
    for (const auto& entry : level->objects()) {
      offer(entry.object);
      copies.emplace_back(entry.object->clone());
      offer(copies.back().get());
    }
  }

  for (const RWClassID id : registeredClasses()) {
    std::unique_ptr<RWCollectable> fresh;
    const RWCollectable* object = best.count(id) ? best[id].first : nullptr;
    if (!object) {
      fresh.reset(createById(id));
      object = fresh.get();
    }
    std::string name = "class-" + std::string(stringIdOf(id).data());
    seeds.write(name, object);
    const int version = object->formatVersion();
    if (version <= static_cast<int>(firstVersion)) continue;
    // Older records of the class: the same fields under each earlier version number,
    // from a default object when the class's seed is large.
    if (fs::file_size(seeds.path(name)) > largestVariantSource) {
      if (!fresh) fresh.reset(createById(id));
      seeds.write(name + "-default", fresh.get());
      name += "-default";
    }
    const Bytes bytes = seeds.read(name);
    for (std::uint32_t older = firstVersion; older < static_cast<std::uint32_t>(version); ++older) {
      Bytes patched = bytes;
      for (int i = 0; i < 4; ++i) {
        patched[versionOffset + i] = static_cast<std::uint8_t>(older >> (8 * i));
      }
      seeds.write(name + "-v" + std::to_string(older), patched);
    }
  }
}

void writeSharedAndCycles(const SeedFolder& seeds) {
  // The object protocol's worked example: S shared by P and Q inside L.
  RWCollectable s;
  RWOrdered p, q, l;
  p.insert(&s);
  q.insert(&s);
  l.insert(&p);
  l.insert(&q);
  seeds.write("shared-lists", &l);

  RWOrdered self;
  self.insert(&self);
  self.insert(nullptr);
  seeds.write("cycle-list-holds-itself", &self);

  RWHashTable twice;
  twice.insert(&s);
  twice.insert(&s);
  seeds.write("shared-hash-table", &twice);

  FmOpenGLTexture early("early"), late("late");
  early.setKeyTime(0.5f);
  late.setKeyTime(2.0f);
  RWSortedVector sorted;
  sorted.insert(&late);
  sorted.insert(&early);
  seeds.write("sorted-textures", &sorted);
}

FmOpenGLTexture* texture(const char* name, int side) {
  auto* made = new FmOpenGLTexture(name);
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side * side * 4));
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7);
  if (!made->setImage(side, side, std::move(pixels))) throw std::logic_error("texture size");
  return made;
}

FmObject* triangle(const char* name, FmOpenGLTexture* shows) {
  auto* object = new FmObject(name, nullptr, -1.0f);
  auto* frame = new FmMesh;
  if (!frame->setVertices({1, 0, 0, 0, 1, 0, 0, 0, 1})) throw std::logic_error("mesh");
  object->setCurrentFrame(frame);
  object->setVertexCount(3);
  if (shows) object->addTexture(shows);
  return object;
}

void writeSharedScene(const SeedFolder& seeds) {
  FmScene scene;
  FmOpenGLTexture* shared = texture("stone", 2);
  scene.addTexture(shared);
  FmWorker& worker = scene.worker();
  worker.addNode(new FmCamera("eye", nullptr, -1.0f), nullptr);
  FmObject* left = triangle("left", shared);
  worker.addNode(left, nullptr);
  worker.addNode(triangle("right", shared), left);
  worker.addNode(new FmLight("sun", nullptr, -1.0f), nullptr);
  scene.setDuration(4.0f);
  seeds.write("scene-shared-texture", &scene);
}

void writeArrays(const SeedFolder& seeds) {
  RWOrdered empty;
  seeds.write("array-empty-list", &empty);

  std::vector<std::unique_ptr<RWCollectable>> elements(1000);
  RWOrdered large;
  for (auto& element : elements) {
    element = std::make_unique<RWCollectable>();
    large.insert(element.get());
  }
  seeds.write("array-large-list", &large);

  FmMesh emptyMesh;
  seeds.write("array-empty-mesh", &emptyMesh);
  FmMesh largeMesh;
  std::vector<float> xyz(3 * 400);
  for (std::size_t i = 0; i < xyz.size(); ++i) xyz[i] = static_cast<float>(i) * 0.25f;
  if (!largeMesh.setVertices(std::move(xyz))) throw std::logic_error("mesh");
  seeds.write("array-large-mesh", &largeMesh);

  const std::unique_ptr<FmOpenGLTexture> large32(texture("large", 32));
  seeds.write("array-large-texture", large32.get());

  FmNode named(RWCString(std::string(3000, 'n').c_str()), nullptr, -1.0f);
  seeds.write("array-long-name", &named);
}

// Lists nested `depth` records deep, the outermost counted.
void writeNestedLists(const SeedFolder& seeds, unsigned depth, const std::string& name) {
  std::vector<RWOrdered> lists(depth);
  for (unsigned i = 0; i + 1 < depth; ++i) lists[i].insert(&lists[i + 1]);
  seeds.write(name, &lists[0]);
}

// A scene whose root holds a chain of `length` nodes, each the child of the one before.
void writeNodeChain(const SeedFolder& seeds, unsigned length, const std::string& name) {
  FmScene scene;
  FmNode* parent = nullptr;
  for (unsigned i = 0; i < length; ++i) {
    auto* node = new FmNode("link", nullptr, -1.0f);
    scene.worker().addNode(node, parent);
    parent = node;
  }
  seeds.write(name, &scene);
}

void writeDepthSeeds(const SeedFolder& seeds) {
  writeNestedLists(seeds, maxNestingDepth - 1, "depth-lists-below-limit");
  writeNestedLists(seeds, maxNestingDepth, "depth-lists-at-limit");
  writeNestedLists(seeds, maxNestingDepth + 1, "depth-lists-over-limit");
  // The longest chain of nodes that still reads, and one node more.
  unsigned length = 1;
  for (;; ++length) {
    writeNodeChain(seeds, length, "depth-tree-over-limit");
    if (!LevelFile(seeds.path("depth-tree-over-limit")).ok()) break;
    if (length > maxNestingDepth) throw std::logic_error("no depth limit for node trees");
  }
  writeNodeChain(seeds, length - 1, "depth-tree-at-limit");
}

void writeMultiLevel(const SeedFolder& seeds) {
  RWOrdered shared;
  FmOpenGLTexture* both = texture("both", 2);
  shared.insert(both);
  FmOpenGLTexture* unused = texture("unused", 1);
  shared.insert(unused);
  {
    FmScene first, second;
    first.worker().addNode(new FmCamera("eye", nullptr, -1.0f), nullptr);
    first.worker().addNode(triangle("rock", both), nullptr);
    FmOpenGLTexture* own = texture("own", 1);
    second.addTexture(own);
    second.worker().addNode(triangle("tree", own), nullptr);
    second.worker().addNode(triangle("bush", both), nullptr);
    second.setDuration(2.0f);
    MultiLevelWriter writer(shared);
    writer.addLevel(first);
    writer.addLevel(second);
    writer.addLevel(first);
    if (!writer.write(seeds.path("multi-level-three"))) throw std::runtime_error("multi-level");
  }
  shared.clearAndDestroy();
}

// What sets one small playable level apart from another.
struct PlayPlan {
  int members = 4;
  float timeLimit = 30.0f;
  float duration = 0.0f;  // 0: the scene does not loop
};

// The player's camera "gameCam" under its flight controller, ahead of the flock,
// with the timer bar in view.
void addPlayer(FmWorker& worker) {
  auto* camera = new FmCamera("gameCam", nullptr, FmNode::neverExpires);
  camera->setFieldOfView(60);
  camera->setNearClip(1);
  camera->setFarClip(500);
  auto* flight = new FmFlightController;
  flight->position().setValue({0, 2, 10});
  flight->scale().setValue({1, 1, 1});
  flight->setMode(FmFlightController::freeFlight);
  camera->setController(flight);
  const DemoProps::Look barLook{DemoProps::material({0.9f, 0.1f, 0.05f}), nullptr,
                                FmObject::opaqueBlend, false, true};
  FmObject* bar =
      DemoProps::stillObject("timerBar", DemoMeshes::rectangle(0, 0, 2.4f, 0.12f), barLook);
  auto* timer = new FmTimerBarController;
  timer->position().setValue({-1.2f, 0.95f, -3});
  timer->scale().setValue({1, 1, 1});
  bar->setController(timer);
  camera->appendChild(bar);
  worker.addNode(camera, nullptr);
  worker.setCamera(camera);
  worker.setFlightController(flight);
  worker.setTimerBar(timer);
}

// A level as the game plays it, in a few kilobytes: the player, a lamp, a flock of
// creatures across the line of fire and the "Bouncer" projectile, whose explosion
// shows the book. The scene owns its creatures' skin.
std::unique_ptr<FmScene> playableLevel(const PlayPlan& plan, FmOpenGLAnimatedTexture* book) {
  auto scene = std::make_unique<FmScene>();
  FmOpenGLTexture* skin = texture("skin", 2);
  scene->addTexture(skin);
  FmWorker& worker = scene->worker();
  addPlayer(worker);
  worker.addNode(new FmLight("lamp", nullptr, FmNode::neverExpires), nullptr);
  auto* creatures = new FmNode("creatures", nullptr, FmNode::neverExpires);
  creatures->appendChild(DemoCreatures::creature("gull", 2.0f, skin));
  worker.addNode(creatures, nullptr);
  DemoCreatures::FlockPlan flock;
  flock.name = "gulls";
  flock.creature = "gull";
  flock.span = 2.0f;
  flock.members = plan.members;
  flock.timeLimit = plan.timeLimit;
  flock.centre = {0, 2, -20};
  flock.roam = 4.0f;
  flock.loopSeconds = 8.0f;
  worker.addNode(DemoCreatures::flock(flock, true), nullptr);
  FmRocket* rocket = DemoCreatures::projectile(book, skin);
  worker.addTemplate(rocket);
  worker.setProjectileTemplate(rocket);
  scene->setDuration(plan.duration);
  return scene;
}

FmOpenGLAnimatedTexture* explosionBook() {
  auto* book = new FmOpenGLAnimatedTexture("boom");
  book->setFrameInterval(0.2f);
  for (int i = 0; i < 2; ++i) {
    FmOpenGLTexture* frame = texture(("boom" + std::to_string(i)).c_str(), 2);
    frame->setKeyTime(0.2f * static_cast<float>(i));
    if (!book->addFrame(frame)) throw std::logic_error("explosion frame");
  }
  return book;
}

// Small levels for the fuzz target that plays: the demo is far larger than the
// inputs that fuzzing tries. One level whose time runs out and whose scene loops
// within the frames played, and a file of two levels that share the explosion.
void writePlayableLevels(const SeedFolder& seeds) {
  {
    FmOpenGLAnimatedTexture* book = explosionBook();
    const std::unique_ptr<FmScene> level = playableLevel({5, 3.0f, 4.0f}, book);
    level->addTexture(book);
    seeds.write("play-one-level", level.get());
  }
  RWOrdered shared;
  shared.insert(explosionBook());
  {
    auto* book = static_cast<FmOpenGLAnimatedTexture*>(shared.first());
    const std::unique_ptr<FmScene> first = playableLevel({4, 30.0f, 0.0f}, book);
    const std::unique_ptr<FmScene> second = playableLevel({7, 2.0f, 3.0f}, book);
    MultiLevelWriter writer(shared);
    writer.addLevel(*first);
    writer.addLevel(*second);
    if (!writer.write(seeds.path("play-two-levels"))) throw std::runtime_error("two levels");
  }
  shared.clearAndDestroy();
}

void appendToken(std::string& out, const std::string& name, const Bytes& bytes) {
  out += name + "=\"";
  for (const std::uint8_t byte : bytes) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
    out += hex;
  }
  out += "\"\n";
}

Bytes little(std::uint32_t value, int size) {
  Bytes bytes;
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  return bytes;
}

}  // namespace

namespace SceneSeeds {

std::string writeAll(const std::string& folder, const std::string& playFolder) {
  const SeedFolder seeds{fs::path(folder)};
  try {
    writePlayableLevels(SeedFolder{fs::path(playFolder)});
    writeClassSeeds(seeds);
    writeSharedAndCycles(seeds);
    writeSharedScene(seeds);
    writeArrays(seeds);
    writeDepthSeeds(seeds);
    writeMultiLevel(seeds);
  } catch (const std::exception& error) {
    return error.what();
  }
  return {};
}

std::string dictionary() {
  std::string out = "# Tokens of the scene file format, written by zirrow-fuzz-seeds.\n";
  appendToken(out, "magic", little(fileMagic, 4));
  appendToken(out, "reference", little(referenceMarker, 2));
  appendToken(out, "new_string_id", little(newStringIdMarker, 2));
  appendToken(out, "known_string_id", little(knownStringIdMarker, 2));
  for (const RWClassID id : registeredClasses()) {
    appendToken(out, "class_" + std::string(stringIdOf(id).data()), little(id, 2));
  }
  for (std::uint32_t version = firstVersion; version <= 111; ++version) {
    appendToken(out, "version_" + std::to_string(version), little(version, 4));
  }
  const std::pair<const char*, std::uint32_t> counts[] = {
      {"count_0", 0},
      {"count_1", 1},
      {"count_2", 2},
      {"count_3", 3},
      {"count_64", 64},
      {"count_65", 65},
      {"count_depth_limit", maxNestingDepth},
      {"count_over_depth_limit", maxNestingDepth + 1},
      {"count_int_max", 0x7FFFFFFF},
      {"count_int_min", 0x80000000},
      {"count_all_ones", 0xFFFFFFFF},
      {"count_64k", 0x10000},
      {"float_one", 0x3F800000},
      {"float_minus_one", 0xBF800000},
      {"float_nan", 0x7FC00000},
      {"float_infinity", 0x7F800000},
  };
  for (const auto& [name, value] : counts) appendToken(out, name, little(value, 4));
  return out;
}

}  // namespace SceneSeeds
