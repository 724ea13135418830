#include "DemoCreatures.h"

#include <cmath>
#include <numbers>

#include "DemoProps.h"

namespace {

constexpr float flapSeconds = 0.6f;
constexpr float tumbleSeconds = 1.2f;
constexpr float rocketSpeed = 45.0f;
constexpr float rocketLifetime = 3.0f;
constexpr float explosionSize = 5.0f;
// A dart long and thick enough that a burst straight ahead catches creatures flying
// across its path, not only those that meet its tip.
constexpr float dartLength = 2.4f;
constexpr float dartWidth = 0.8f;
// The members fly between these heights around the flock's centre, so that they stay
// level with the player's aim instead of drifting out of reach above or below it.
constexpr float floorBelowCentre = 2.0f;
constexpr float ceilingAboveCentre = 5.0f;

DemoProps::Frames flapping(float span) {
  DemoProps::Frames frames;
  const float lifts[] = {0.55f, 0.0f, -0.45f, 0.0f, 0.55f};
  for (int i = 0; i < 5; ++i) {
    frames.meshes.push_back(DemoMeshes::creature(span, lifts[i]));
    frames.times.push_back(flapSeconds * static_cast<float>(i) / 4.0f);
  }
  return frames;
}

// Wings folded down and the body rolling over.
DemoProps::Frames tumbling(float span) {
  DemoProps::Frames frames;
  for (int i = 0; i < 3; ++i) {
    MeshBuilder mesh = DemoMeshes::creature(span, -0.8f);
    const float angle = std::numbers::pi_v<float> * static_cast<float>(i);
    mesh.reshape([angle](const FmPoint& p) {
      return FmPoint{p.x * std::cos(angle) - p.y * std::sin(angle),
                     p.x * std::sin(angle) + p.y * std::cos(angle), p.z};
    });
    frames.meshes.push_back(std::move(mesh));
    frames.times.push_back(tumbleSeconds * static_cast<float>(i) / 2.0f);
  }
  return frames;
}

// The roaming path of a flock's centre: out to one side, back, out to the other.
FmTransformController* roaming(const DemoCreatures::FlockPlan& plan) {
  auto* controller = DemoProps::placed(plan.centre);
  const float quarter = plan.loopSeconds / 4;
  const FmPoint swings[] = {{0, 0, 0},
                            {plan.roam, 2, -plan.roam / 2},
                            {0, 0, 0},
                            {-plan.roam, -1, plan.roam / 3},
                            {0, 0, 0}};
  for (int i = 0; i < 5; ++i) {
    controller->addPositionKey(plan.centre + swings[i], quarter * static_cast<float>(i));
  }
  return controller;
}

FmObject* explosion(FmOpenGLAnimatedTexture* book, FmOpenGLTexture* debrisTexture) {
  const float half = explosionSize / 2;
  DemoProps::Look flash{DemoProps::material({1, 1, 1}, {1, 0.8f, 0.5f}), book, DemoProps::blended,
                        false, true};
  FmObject* blast = DemoProps::stillObject(
      "explosion", DemoMeshes::rectangle(-half, -half, explosionSize, explosionSize), flash);

  DemoProps::Frames flying;
  flying.meshes = {DemoMeshes::shards(10, 0.3f), DemoMeshes::shards(10, 4.0f)};
  flying.times = {0.0f, 1.0f};
  DemoProps::Look rubble{DemoProps::material({0.45f, 0.4f, 0.35f}), debrisTexture,
                         FmObject::opaqueBlend, true, true};
  FmObject* debris = DemoProps::morphingObject("debris", {flying}, rubble);
  blast->appendChild(debris);
  return blast;
}

}  // namespace

namespace DemoCreatures {

FmObject* creature(const std::string& name, float span, FmOpenGLTexture* skin) {
  DemoProps::Look look{DemoProps::material({0.9f, 0.9f, 0.9f}, {}, {0.3f, 0.3f, 0.3f}, 20), skin,
                       FmObject::opaqueBlend, true, true};
  FmObject* object = DemoProps::morphingObject(name, {flapping(span), tumbling(span)}, look);
  object->setContactFlags(FmObject::targetFlag);
  return object;
}

FmFlock* flock(const FlockPlan& plan, bool active) {
  auto* flock = new FmFlock;
  flock->setName((plan.name + "*" + plan.creature).c_str());
  flock->setController(roaming(plan));
  flock->setPrototype(nullptr, true);
  flock->setActive(active);
  flock->setMemberCount(plan.members);
  flock->setRepelThreshold(0.7f);
  flock->setNeighbourRadius(4.0f);
  flock->setCruiseFactor(plan.cruiseFactor);
  flock->setFloor(plan.centre.y - floorBelowCentre);
  flock->setCeiling(plan.centre.y + ceilingAboveCentre);
  flock->setTimeLimit(plan.timeLimit);
  return flock;
}

FmRocket* projectile(FmOpenGLAnimatedTexture* explosionBook, FmOpenGLTexture* debrisTexture) {
  auto* rocket = new FmRocket;
  rocket->setName("Bouncer");
  rocket->setExpiryTime(rocketLifetime);
  rocket->setSpeed(rocketSpeed);
  const MeshBuilder dart = DemoMeshes::dart(dartLength, dartWidth);
  dart.shape(*rocket);
  rocket->setCurrentFrame(dart.frame(0.0f));
  const FmMaterial paint =
      DemoProps::material({1, 0.55f, 0.1f}, {0.6f, 0.25f, 0.0f}, {1, 1, 1}, 40);
  rocket->setMaterial(static_cast<FmMaterial*>(paint.clone()));
  rocket->setLit(1);
  rocket->visibilityTrack().setValue(1.0f);
  rocket->setContactFlags(FmObject::colliderFlag);
  rocket->setExplosion(explosion(explosionBook, debrisTexture));
  return rocket;
}

}  // namespace DemoCreatures
