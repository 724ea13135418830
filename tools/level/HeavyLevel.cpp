#include "HeavyLevel.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <set>

#include "DemoLevel.h"
#include "DemoMeshes.h"
#include "DemoProps.h"
#include "DemoTextures.h"
#include "FileReplacement.h"
#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"

namespace {

constexpr float pi = std::numbers::pi_v<float>;
// The hills stand on a ring around the start, beyond the flocks and inside the
// ground's edge, so that a turning flight keeps some of them in view.
constexpr float ringInner = 70.0f;
constexpr float ringOuter = 170.0f;
constexpr float hillSize = 18.0f;
constexpr float hillHeight = 5.0f;
constexpr int hillColumns = 16;
constexpr float hillTile = 6.0f;

struct Counts {
  int objects = 0;
  int triangles = 0;
};

void countList(const RWOrdered& list, const std::set<std::string>& prototypes, Counts& counts) {
  for (std::size_t i = 0; i < list.entryCount(); ++i) {
    const auto* object = static_cast<const FmObject*>(list.elementAt(i));
    if (prototypes.count(object->name().data())) continue;
    ++counts.objects;
    counts.triangles += object->faceCount();
  }
}

// What the level draws once started, the flocks' members aside: every object in the
// tree but the creatures that the flocks take as prototypes.
Counts drawnBesidesFlocks(const FmWorker& worker, const DemoLevelPlan& plan) {
  std::set<std::string> prototypes;
  for (const auto& flock : plan.flocks) prototypes.insert(flock.creature);
  Counts counts;
  countList(worker.objects(), prototypes, counts);
  countList(worker.alphaObjects(), prototypes, counts);
  countList(worker.blendObjects(), prototypes, counts);
  if (worker.background()) {
    ++counts.objects;
    counts.triangles += worker.background()->faceCount();
  }
  return counts;
}

// A rounded hill of exactly `triangles` triangles: rows of cells across a square,
// the last row only as far as the triangles go.
MeshBuilder hill(int triangles, float phase) {
  const int rows = (triangles + 2 * hillColumns - 1) / (2 * hillColumns);
  const auto height = [phase](float x, float z) {
    const float r2 = (x * x + z * z) / (hillSize * hillSize / 4);
    return hillHeight * std::exp(-2 * r2) * (1 + 0.2f * std::sin(3 * x + phase) * std::cos(2 * z));
  };
  MeshBuilder mesh;
  const float half = hillSize / 2;
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i <= hillColumns; ++i) {
      const float x = -half + hillSize * static_cast<float>(i) / hillColumns;
      const float z = -half + hillSize * static_cast<float>(j) / static_cast<float>(rows);
      const float dx = height(x + 0.5f, z) - height(x - 0.5f, z);
      const float dz = height(x, z + 0.5f) - height(x, z - 0.5f);
      mesh.addVertex({x, height(x, z), z}, {-dx, 1, -dz}, x / hillTile, z / hillTile);
    }
  }
  const int row = hillColumns + 1;
  int left = triangles;
  for (int j = 0; j < rows && left > 0; ++j) {
    for (int i = 0; i < hillColumns && left > 0; ++i) {
      const int a = j * row + i;
      mesh.addTriangle(a, a + row, a + row + 1);
      if (--left > 0) {
        mesh.addTriangle(a, a + row + 1, a + 1);
        --left;
      }
    }
  }
  return mesh;
}

// Spread evenly over the ring (a sunflower's pattern), the same on every run.
FmPoint hillPlace(int index, int count) {
  const float golden = pi * (3 - std::sqrt(5.0f));
  const float share = (static_cast<float>(index) + 0.5f) / static_cast<float>(count);
  const float radius =
      std::sqrt(ringInner * ringInner + share * (ringOuter * ringOuter - ringInner * ringInner));
  const float angle = golden * static_cast<float>(index);
  return {radius * std::cos(angle), -1.0f, radius * std::sin(angle)};
}

FmOpenGLTexture* hillTexture(int index) {
  const float shade = static_cast<float>(index % 8) / 8;
  const FmPoint low{0.45f + 0.3f * shade, 0.4f + 0.1f * shade, 0.25f};
  const FmPoint high{0.25f, 0.45f + 0.2f * shade, 0.2f + 0.25f * (1 - shade)};
  return DemoTextures::ground("hill" + std::to_string(index), low, high,
                              1000u + static_cast<std::uint32_t>(index));
}

class HeavyBuilder {
public:
  HeavyBuilder() : plan_(demoLevelPlan(1)) {
    plan_.flocks[0].members = HeavyLevel::flockMembers;
    // The shared textures of the demo become this level's own.
    shared_ = paintDemoSharedTextures();
  }

  std::unique_ptr<FmScene> build() {
    scene_ = buildDemoLevel(plan_, shared_);
    for (FmOpenGLTexture* texture : sharedList()) scene_->addTexture(texture);
    addHills();
    return std::move(scene_);
  }

private:
  std::vector<FmOpenGLTexture*> sharedList() const {
    return {shared_.explosion, shared_.sky, shared_.water,
            shared_.leaves,    shared_.sun, shared_.beacon};
  }

  void addHills() {
    const Counts demo = drawnBesidesFlocks(scene_->worker(), plan_);
    std::vector<FmOpenGLTexture*> textures;
    const int textureCount =
        HeavyLevel::textures - static_cast<int>(scene_->textures().entryCount());
    for (int i = 0; i < textureCount; ++i) {
      textures.push_back(hillTexture(i));
      scene_->addTexture(textures.back());
    }
    const int hills = HeavyLevel::objects - demo.objects;
    const int triangles = HeavyLevel::triangles - demo.triangles;
    for (int i = 0; i < hills; ++i) {
      const int own = triangles / hills + (i < triangles % hills ? 1 : 0);
      const DemoProps::Look look{DemoProps::material({0.85f, 0.85f, 0.8f}),
                                 textures[static_cast<std::size_t>(i) % textures.size()]};
      FmObject* object = DemoProps::stillObject("hill" + std::to_string(i),
                                                hill(own, static_cast<float>(i)), look);
      object->setController(DemoProps::placed(
          hillPlace(i, hills), DemoProps::heading(37.0f * static_cast<float>(i), 0)));
      scene_->worker().addNode(object, nullptr);
    }
  }

  DemoLevelPlan plan_;
  DemoSharedTextures shared_;
  std::unique_ptr<FmScene> scene_;
};

}  // namespace

namespace HeavyLevel {

std::string write(const std::string& path) {
  const std::unique_ptr<FmScene> scene = HeavyBuilder().build();
  return replaceFile(path, [&](const std::string& temporary) {
    RWBinaryFile file(temporary.c_str(), "wb");
    if (!file.isValid()) return false;
    writeObject(file, scene.get());
    return file.flush() && !file.error();
  });
}

}  // namespace HeavyLevel
