#include "DemoLevel.h"

#include <cmath>
#include <string>
#include <vector>

#include "DemoMeshes.h"
#include "DemoProps.h"
#include "DemoTextures.h"
#include "FmBillboardController.h"
#include "FmCamera.h"
#include "FmEnvironController.h"
#include "FmFlightController.h"
#include "FmFog.h"
#include "FmLight.h"
#include "FmSeaObject.h"
#include "FmTimerBarController.h"

namespace {

constexpr float sceneSeconds = 240.0f;  // every scenery loop fits a whole number of times
constexpr float farClip = 500.0f;
constexpr float skyHalfSize = 200.0f;
constexpr float groundSize = 360.0f;
constexpr float seabed = -7.0f;
constexpr float waveSeconds = 4.0f;
constexpr float orbitSeconds = 40.0f;
constexpr std::int32_t airFog = 0;
constexpr std::int32_t underwaterFog = 1;
const FmPoint playerStart{0, 9, 45};
// The flocks roam across the line straight ahead of the player's start, one behind
// the other, a little below the craft's aim: their members scatter upwards from the
// centre, so most of them fly level with it.
constexpr float flockHeight = 7.0f;
constexpr float nearFlockDepth = -10.0f;
constexpr float flockSpacing = 10.0f;
const FmPoint orbitCentre{0, 5, -30};
constexpr int explosionFrames = 8;
constexpr float explosionFrameSeconds = 0.1f;

struct Island {
  float x, z, radius, height;
};

std::vector<Island> islandsOf(int level) {
  if (level == 1) {
    return {{-70, -50, 28, 17}, {60, -80, 24, 15}, {15, -140, 32, 19}, {-110, 20, 22, 14}};
  }
  return {{-50, -90, 26, 18},
          {80, -40, 22, 15},
          {-20, -160, 34, 20},
          {110, -120, 24, 16},
          {-120, -10, 20, 13}};
}

float groundHeight(const std::vector<Island>& islands, float x, float z) {
  float height = seabed;
  for (const Island& island : islands) {
    const float dx = x - island.x, dz = z - island.z;
    height += island.height * std::exp(-(dx * dx + dz * dz) / (island.radius * island.radius));
  }
  return height;
}

// Builds one level into its scene.
class LevelBuilder {
public:
  LevelBuilder(const DemoLevelPlan& plan, const DemoSharedTextures& shared)
      : plan_(plan), shared_(shared), islands_(islandsOf(plan.number)) {}

  std::unique_ptr<FmScene> build();

private:
  FmWorker& worker() { return scene_->worker(); }
  template <class Texture>
  Texture* own(Texture* texture) {
    scene_->addTexture(texture);
    return texture;
  }
  void makeTextures();
  void addPlayer();
  void addEndCamera();
  void addLights();
  void addFogs();
  void addGround();
  void addIslands();
  void addSea();
  void addBeacon();
  void addFlocks();
  void addProjectile();
  void addBackdrop();
  FmPoint islandTop(const Island& island) const;

  const DemoLevelPlan& plan_;
  const DemoSharedTextures& shared_;
  std::vector<Island> islands_;
  std::unique_ptr<FmScene> scene_ = std::make_unique<FmScene>();
  FmOpenGLTexture* groundTexture_ = nullptr;
  FmOpenGLTexture* rockTexture_ = nullptr;
  std::vector<FmOpenGLTexture*> skins_;
};

std::unique_ptr<FmScene> LevelBuilder::build() {
  makeTextures();
  addPlayer();
  addEndCamera();
  addLights();
  addFogs();
  addGround();
  addIslands();
  addSea();
  addBeacon();
  addFlocks();
  addProjectile();
  if (plan_.backdrop) addBackdrop();
  scene_->setAmbient(plan_.ambient);
  scene_->setDuration(sceneSeconds);
  return std::move(scene_);
}

void LevelBuilder::makeTextures() {
  const std::string level = std::to_string(plan_.number);
  groundTexture_ =
      own(DemoTextures::ground("ground" + level, plan_.groundLow, plan_.groundHigh, plan_.seed));
  rockTexture_ = own(DemoTextures::rock("rock" + level, plan_.rockColour, plan_.seed + 1));
  for (std::size_t i = 0; i < plan_.flocks.size(); ++i) {
    const FmPoint& colour = plan_.skins[i];
    skins_.push_back(own(DemoTextures::skin(plan_.flocks[i].creature + "-skin", colour,
                                            colour * 0.45f + FmPoint{0.3f, 0.3f, 0.3f})));
  }
}

// The player's camera flies under its flight controller; the sky, the sun and
// the timer bar hang under it.
void LevelBuilder::addPlayer() {
  auto* camera = new FmCamera("gameCam", nullptr, FmNode::neverExpires);
  camera->setFieldOfView(60);
  camera->setNearClip(1);
  camera->setFarClip(farClip);
  auto* flight = new FmFlightController;
  flight->position().setValue(playerStart);
  flight->scale().setValue({1, 1, 1});
  flight->setMode(FmFlightController::freeFlight);
  camera->setController(flight);

  const DemoProps::Look skyLook{DemoProps::material({1, 1, 1}, {1, 1, 1}), shared_.sky,
                                FmObject::opaqueBlend, false, false};
  FmObject* sky = DemoProps::stillObject(
      "sky", DemoMeshes::box({skyHalfSize, skyHalfSize, skyHalfSize}, true), skyLook);
  auto* follow = new FmEnvironController;
  follow->scale().setValue({1, 1, 1});
  follow->position().setValue({0, 0, 0});
  sky->setController(follow);
  camera->appendChild(sky);

  const DemoProps::Look sunLook{DemoProps::material({1, 1, 1}, {1, 1, 0.9f}), shared_.sun,
                                DemoProps::blended, false, true};
  FmObject* sun = DemoProps::stillObject("sun", DemoMeshes::rectangle(-18, -18, 36, 36), sunLook);
  auto* facing = new FmBillboardController;
  facing->position().setValue({70, 60, -170});
  facing->scale().setValue({1, 1, 1});
  facing->setFaceCamera(1);
  sun->setController(facing);
  camera->appendChild(sun);

  const DemoProps::Look barLook{DemoProps::material({0.9f, 0.1f, 0.05f}, {0.9f, 0.15f, 0.05f}),
                                nullptr, FmObject::opaqueBlend, false, true};
  FmObject* bar =
      DemoProps::stillObject("timerBar", DemoMeshes::rectangle(0, 0, 2.4f, 0.12f), barLook);
  auto* timer = new FmTimerBarController;
  timer->position().setValue({-1.2f, 0.95f, -3});
  timer->scale().setValue({1, 1, 1});
  bar->setController(timer);
  camera->appendChild(bar);

  worker().addNode(camera, nullptr);
  worker().setCamera(camera);
  worker().setFlightController(flight);
  worker().setTimerBar(timer);
}

// Circles the scene, looking at its middle from above.
void LevelBuilder::addEndCamera() {
  auto* camera = new FmCamera("endCam", nullptr, FmNode::neverExpires);
  camera->setFieldOfView(50);
  camera->setNearClip(1);
  camera->setFarClip(farClip);
  auto* orbit = DemoProps::placed(orbitCentre + FmPoint{0, 35, 90}, DemoProps::heading(0, -18));
  constexpr int steps = 8;
  for (int i = 0; i <= steps; ++i) {
    const float degrees = 360.0f * static_cast<float>(i) / steps;
    const float radians = degrees * 3.14159265f / 180.0f;
    const float time = orbitSeconds * static_cast<float>(i) / steps;
    // Half way round the camera dives under the sea, where the water's fog takes over.
    const bool underwater = i == steps / 2;
    const bool nearWater = i == steps / 2 - 1 || i == steps / 2 + 1;
    const float height = underwater ? -15.0f : (nearWater ? 10.0f : 35.0f);
    orbit->addPositionKey(
        orbitCentre + FmPoint{90 * std::sin(radians), height, 90 * std::cos(radians)}, time);
    orbit->addRotationKey(DemoProps::heading(degrees, underwater ? 0.0f : -18.0f), time);
  }
  orbit->alignRotations();
  camera->setController(orbit);
  worker().addNode(camera, nullptr);
}

void LevelBuilder::addLights() {
  auto* sun = new FmLight("sunLight", nullptr, FmNode::neverExpires);
  sun->setLightType(FmLight::atInfinity);
  sun->setController(DemoProps::placed({0, 100, 0}, DemoProps::heading(30, -50)));
  sun->colourTrack().setValue(plan_.sunColour);
  sun->colourTrack().addKey(plan_.sunColour, 0);
  sun->colourTrack().addKey(plan_.sunColour * 0.75f + FmPoint{0.2f, 0.05f, 0}, sceneSeconds / 2);
  sun->colourTrack().addKey(plan_.sunColour, sceneSeconds);
  worker().addNode(sun, nullptr);

  const FmPoint top = islandTop(islands_.front());
  auto* spot = new FmLight("beaconLight", nullptr, FmNode::neverExpires);
  spot->setLightType(FmLight::spot);
  spot->setSpotCutoff(30);
  spot->setController(DemoProps::placed(top + FmPoint{0, 14, 0}, DemoProps::heading(0, -90)));
  const FmPoint cycle[] = {{1, 0.2f, 0.2f}, {0.2f, 1, 0.2f}, {0.2f, 0.3f, 1}, {1, 0.2f, 0.2f}};
  spot->colourTrack().setValue(cycle[0]);
  for (int i = 0; i < 4; ++i) spot->colourTrack().addKey(cycle[i], 2.0f * static_cast<float>(i));
  worker().addNode(spot, nullptr);

  auto* lamp = new FmLight("lamp", nullptr, FmNode::neverExpires);
  lamp->setLightType(FmLight::positional);
  lamp->setController(DemoProps::placed(playerStart + FmPoint{10, 10, -10}));
  lamp->colourTrack().setValue({0.5f, 0.45f, 0.35f});
  worker().addNode(lamp, nullptr);
}

// The fogs above and below the sea.
void LevelBuilder::addFogs() {
  auto* air = new FmFog("air");
  air->setFogMode(FmFog::linear);
  air->setColour(plan_.airFog);
  air->setFogStart(80);
  air->setFogEnd(plan_.airFogEnd);
  scene_->addFog(air);
  auto* water = new FmFog("underwater");
  water->setFogMode(FmFog::linear);
  water->setColour(plan_.waterFog);
  water->setFogStart(0);
  water->setFogEnd(40);
  scene_->addFog(water);
}

// The seabed rising into islands, tinted sandy near the water and green above.
void LevelBuilder::addGround() {
  const auto& islands = islands_;
  MeshBuilder mesh = DemoMeshes::heightField(
      groundSize, 36, 12, [&islands](float x, float z) { return groundHeight(islands, x, z); });
  for (int i = 0; i < mesh.vertexCount(); ++i) {
    const float height = mesh.position(i).y;
    const float green = std::fmin(std::fmax((height - 0.5f) / 4.0f, 0.0f), 1.0f);
    mesh.setColour(i,
                   FmPoint{0.95f, 0.9f, 0.7f} * (1 - green) + FmPoint{0.7f, 0.95f, 0.6f} * green);
  }
  const DemoProps::Look look{DemoProps::material({0.8f, 0.8f, 0.75f}), groundTexture_,
                             FmObject::opaqueBlend, true, false};
  FmObject* ground = DemoProps::stillObject("ground", mesh, look);
  ground->setController(DemoProps::placed({0, 0, 0}));
  worker().addNode(ground, nullptr);
}

FmPoint LevelBuilder::islandTop(const Island& island) const {
  return {island.x, groundHeight(islands_, island.x, island.z), island.z};
}

// A rock on every island and trees around it; the trees are instances of one.
void LevelBuilder::addIslands() {
  const DemoProps::Look rockLook{DemoProps::material({0.8f, 0.75f, 0.7f}), rockTexture_,
                                 FmObject::opaqueBlend, true, false};
  const DemoProps::Look treeLook{DemoProps::material({0.9f, 1, 0.9f}), shared_.leaves,
                                 FmObject::alphaTestedBlend, true, true};
  FmObject* tree = nullptr;
  int treeNumber = 0;
  for (std::size_t i = 0; i < islands_.size(); ++i) {
    const Island& island = islands_[i];
    const FmPoint top = islandTop(island);
    FmObject* rock =
        DemoProps::stillObject("rock" + std::to_string(i), DemoMeshes::cone(6, 12, 10), rockLook);
    rock->setController(DemoProps::placed(top - FmPoint{0, 2, 0}));
    worker().addNode(rock, nullptr);
    for (int k = 0; k < 3; ++k) {
      const float angle = 2.1f * static_cast<float>(k) + static_cast<float>(i);
      const float x = island.x + 10 * std::cos(angle), z = island.z + 10 * std::sin(angle);
      const FmPoint foot{x, groundHeight(islands_, x, z) - 0.3f, z};
      FmObject* next =
          tree ? static_cast<FmObject*>(tree->duplicate())
               : DemoProps::stillObject("tree", DemoMeshes::crossedQuads(6, 9), treeLook);
      next->setName(("tree" + std::to_string(treeNumber++)).c_str());
      next->setController(DemoProps::placed(foot, DemoProps::heading(40.0f * k, 0)));
      worker().addNode(next, nullptr);
      if (!tree) tree = next;
    }
  }
}

// Moving water: a grid whose waves morph through four frames; the fog changes as
// the viewer dives through it.
void LevelBuilder::addSea() {
  DemoProps::Frames waves;
  for (int i = 0; i <= 4; ++i) {
    const float phase = 6.2831853f * static_cast<float>(i) / 4;
    waves.meshes.push_back(DemoMeshes::heightField(groundSize, 18, 20, [phase](float x, float z) {
      return 0.35f * std::sin(x * 0.08f + phase) + 0.25f * std::cos(z * 0.11f + phase);
    }));
    waves.times.push_back(waveSeconds * static_cast<float>(i) / 4);
  }
  const DemoProps::Look look{DemoProps::material({0.6f, 0.8f, 0.9f}, {}, {0.8f, 0.8f, 0.8f}, 60),
                             shared_.water, DemoProps::blended, true, true};
  auto* sea = DemoProps::morphing(new FmSeaObject, {waves}, look);
  sea->setName("sea");
  sea->setAboveFog(airFog);
  sea->setBelowFog(underwaterFog);
  sea->setController(DemoProps::placed({0, 0, 0}));
  worker().addNode(sea, nullptr);
}

// A glowing, spinning crystal on the first island that blinks off now and then.
void LevelBuilder::addBeacon() {
  const DemoProps::Look look{DemoProps::material({1, 1, 1}, {0.6f, 0.6f, 0.8f}), shared_.beacon,
                             DemoProps::blended, false, true};
  FmObject* beacon =
      DemoProps::stillObject("beacon", DemoMeshes::box({1.5f, 4, 1.5f}, false), look);
  auto* spin = DemoProps::placed(islandTop(islands_.front()) + FmPoint{0, 13, 0});
  for (int i = 0; i <= 4; ++i) {
    spin->addRotationKey(FmQuat({0, 1, 0}, 90.0f * static_cast<float>(i)),
                         2.0f * static_cast<float>(i));
  }
  beacon->setController(spin);
  FmAnimatedFloat& shown = beacon->visibilityTrack();
  shown.addKey(1.0f, 0.0f);
  shown.addKey(0.0f, 6.0f);
  shown.addKey(1.0f, 7.0f);
  worker().addNode(beacon, nullptr);
}

// Three flocks, the first active; their creatures wait under a group node until
// the flocks take them as prototypes.
void LevelBuilder::addFlocks() {
  auto* creatures = new FmNode("creatures", nullptr, FmNode::neverExpires);
  for (std::size_t i = 0; i < plan_.flocks.size(); ++i) {
    const DemoCreatures::FlockPlan& flockPlan = plan_.flocks[i];
    creatures->appendChild(DemoCreatures::creature(flockPlan.creature, flockPlan.span, skins_[i]));
  }
  worker().addNode(creatures, nullptr);
  for (std::size_t i = 0; i < plan_.flocks.size(); ++i) {
    worker().addNode(DemoCreatures::flock(plan_.flocks[i], i == 0), nullptr);
  }
}

void LevelBuilder::addProjectile() {
  FmRocket* rocket = DemoCreatures::projectile(shared_.explosion, rockTexture_);
  worker().addTemplate(rocket);
  worker().setProjectileTemplate(rocket);
}

// Mountains all around, drawn first behind everything else.
void LevelBuilder::addBackdrop() {
  const DemoProps::Look look{DemoProps::material({0.3f, 0.3f, 0.4f}, {0.25f, 0.25f, 0.35f}),
                             rockTexture_, FmObject::opaqueBlend, false, true};
  worker().setBackground(DemoProps::stillObject("skyline", DemoMeshes::skyline(180, 40, 24), look));
}

// The flock at the place given (0 nearest the player) in the row of flocks ahead.
DemoCreatures::FlockPlan flockPlan(const char* name, const char* creature, float span, int members,
                                   float timeLimit, float cruise, int place) {
  DemoCreatures::FlockPlan plan;
  plan.name = name;
  plan.creature = creature;
  plan.span = span;
  plan.members = members;
  plan.timeLimit = timeLimit;
  plan.cruiseFactor = cruise;
  plan.centre = {playerStart.x, flockHeight,
                 nearFlockDepth - flockSpacing * static_cast<float>(place)};
  return plan;
}

}  // namespace

DemoSharedTextures paintDemoSharedTextures() {
  DemoSharedTextures textures;
  textures.explosion = DemoTextures::explosion("boom", explosionFrames, explosionFrameSeconds);
  textures.sky = DemoTextures::sky("sky", {0.75f, 0.82f, 0.9f}, {0.25f, 0.45f, 0.8f});
  textures.water = DemoTextures::water("water");
  textures.leaves = DemoTextures::leaves("leaves");
  textures.sun = DemoTextures::glow("sun", {1.0f, 0.95f, 0.7f});
  textures.beacon = DemoTextures::glow("beacon", {0.6f, 0.8f, 1.0f});
  return textures;
}

std::unique_ptr<FmScene> buildDemoLevel(const DemoLevelPlan& plan,
                                        const DemoSharedTextures& shared) {
  return LevelBuilder(plan, shared).build();
}

DemoLevelPlan demoLevelPlan(int number) {
  DemoLevelPlan plan;
  plan.number = number;
  if (number == 1) {
    plan.seed = 101;
    plan.groundLow = {0.55f, 0.5f, 0.3f};
    plan.groundHigh = {0.3f, 0.55f, 0.2f};
    plan.rockColour = {0.55f, 0.5f, 0.45f};
    plan.skins = {FmPoint{0.95f, 0.95f, 0.9f}, FmPoint{0.35f, 0.25f, 0.3f},
                  FmPoint{0.9f, 0.8f, 0.5f}};
    plan.ambient = {0.3f, 0.3f, 0.32f};
    plan.sunColour = {1.0f, 0.95f, 0.85f};
    plan.airFog = {0.65f, 0.75f, 0.85f};
    plan.airFogEnd = 380;
    plan.waterFog = {0.05f, 0.25f, 0.3f};
    plan.flocks = {flockPlan("gulls", "gull", 3.0f, 6, 60, 3.0f, 0),
                   flockPlan("bats", "bat", 3.6f, 8, 50, 3.5f, 1),
                   flockPlan("moths", "moth", 2.4f, 10, 45, 4.0f, 2)};
  } else {
    plan.seed = 202;
    plan.groundLow = {0.6f, 0.45f, 0.3f};
    plan.groundHigh = {0.45f, 0.4f, 0.25f};
    plan.rockColour = {0.5f, 0.35f, 0.3f};
    plan.skins = {FmPoint{0.3f, 0.35f, 0.6f}, FmPoint{0.15f, 0.15f, 0.15f},
                  FmPoint{0.95f, 0.8f, 0.1f}};
    plan.ambient = {0.28f, 0.24f, 0.26f};
    plan.sunColour = {1.0f, 0.75f, 0.55f};
    plan.airFog = {0.85f, 0.6f, 0.5f};
    plan.airFogEnd = 320;
    plan.waterFog = {0.1f, 0.15f, 0.3f};
    plan.flocks = {flockPlan("swifts", "swift", 2.6f, 8, 50, 4.5f, 0),
                   flockPlan("crows", "crow", 3.4f, 10, 45, 3.5f, 1),
                   flockPlan("wasps", "wasp", 2.0f, 12, 40, 5.0f, 2)};
    plan.backdrop = true;
  }
  return plan;
}
