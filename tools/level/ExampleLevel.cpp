#include "ExampleLevel.h"

#include <fstream>

#include "DemoCreatures.h"
#include "DemoMeshes.h"
#include "DemoProps.h"
#include "ExampleModel.h"
#include "FmCamera.h"
#include "FmEnvironController.h"
#include "FmFlightController.h"
#include "FmFog.h"
#include "FmLight.h"
#include "FmTimerBarController.h"
#include "ModelWriter.h"
#include "RWErrors.h"
#include "SceneBytes.h"
#include "SceneText.h"

namespace {

const FmPoint playerStart{0, 6, 30};
const FmPoint islandPlace{0, -1, -25};
constexpr float farClip = 200.0f;
constexpr float skyHalfSize = 150.0f;

// A box around the player, blue above and pale at the horizon, that moves with the
// camera.
FmObject* sky() {
  MeshBuilder box = DemoMeshes::box({skyHalfSize, skyHalfSize, skyHalfSize}, true);
  for (int i = 0; i < box.vertexCount(); ++i) {
    const bool above = box.position(i).y > 0;
    box.setColour(i, above ? FmPoint{0.35f, 0.55f, 0.9f} : FmPoint{0.75f, 0.85f, 0.95f});
  }
  const DemoProps::Look look{DemoProps::material({1, 1, 1}), nullptr, FmObject::opaqueBlend, false,
                             false};
  FmObject* object = DemoProps::stillObject("sky", box, look);
  auto* follow = new FmEnvironController;
  follow->scale().setValue({1, 1, 1});
  object->setController(follow);
  return object;
}

void addPlayer(FmWorker& worker) {
  auto* camera = new FmCamera("player", nullptr, FmNode::neverExpires);
  camera->setFieldOfView(60);
  camera->setNearClip(1);
  camera->setFarClip(farClip);
  auto* flight = new FmFlightController;
  flight->position().setValue(playerStart);
  flight->scale().setValue({1, 1, 1});
  flight->setMode(FmFlightController::freeFlight);
  camera->setController(flight);

  const DemoProps::Look barLook{DemoProps::material({0.9f, 0.1f, 0.05f}, {0.9f, 0.15f, 0.05f}),
                                nullptr, FmObject::opaqueBlend, false, true};
  MeshBuilder strip = DemoMeshes::rectangle(0, 0, 2.4f, 0.12f);
  for (int i = 0; i < strip.vertexCount(); ++i) strip.setColour(i, {0.9f, 0.1f, 0.05f});
  FmObject* bar = DemoProps::stillObject("timerBar", strip, barLook);
  auto* timer = new FmTimerBarController;
  timer->position().setValue({-1.2f, 0.95f, -3});
  timer->scale().setValue({1, 1, 1});
  bar->setController(timer);
  camera->appendChild(bar);
  camera->appendChild(sky());

  worker.addNode(camera, nullptr);
  worker.setCamera(camera);
  worker.setFlightController(flight);
  worker.setTimerBar(timer);
}

void addLights(FmWorker& worker) {
  auto* sun = new FmLight("sun", nullptr, FmNode::neverExpires);
  sun->setLightType(FmLight::atInfinity);
  sun->setController(DemoProps::placed({0, 50, 0}, DemoProps::heading(30, -50)));
  sun->colourTrack().setValue({1.0f, 0.95f, 0.85f});
  worker.addNode(sun, nullptr);
  auto* lamp = new FmLight("lamp", nullptr, FmNode::neverExpires);
  lamp->setLightType(FmLight::positional);
  lamp->setController(DemoProps::placed(playerStart + FmPoint{5, 10, -5}));
  lamp->colourTrack().setValue({0.5f, 0.45f, 0.4f});
  worker.addNode(lamp, nullptr);
}

void addFog(FmScene& scene) {
  auto* air = new FmFog("air");
  air->setFogMode(FmFog::linear);
  air->setColour({0.6f, 0.75f, 0.9f});
  air->setFogStart(60);
  air->setFogEnd(farClip);
  (void)scene.addFog(air);
}

// The gull waits under its own node until the flock takes it as its prototype.
void addFlock(FmWorker& worker) {
  auto* creatures = new FmNode("creatures", nullptr, FmNode::neverExpires);
  (void)creatures->appendChild(DemoCreatures::creature("gull", 3.0f, nullptr));
  worker.addNode(creatures, nullptr);
  DemoCreatures::FlockPlan plan;
  plan.name = "gulls";
  plan.creature = "gull";
  plan.members = 5;
  plan.timeLimit = 60;
  plan.cruiseFactor = 3;
  // Across the line straight ahead of the player, a little below its aim.
  plan.centre = {playerStart.x, playerStart.y - 2, -5};
  worker.addNode(DemoCreatures::flock(plan, true), nullptr);
}

void addProjectile(FmWorker& worker) {
  FmRocket* rocket = DemoCreatures::projectile(nullptr, nullptr);
  (void)worker.addTemplate(rocket);
  worker.setProjectileTemplate(rocket);
}

}  // namespace

std::unique_ptr<FmScene> buildExampleLevel() {
  auto scene = std::make_unique<FmScene>();
  FmWorker& worker = scene->worker();
  addPlayer(worker);
  addLights(worker);
  addFog(*scene);
  addFlock(worker);
  addProjectile(worker);
  scene->setAmbient({0.3f, 0.3f, 0.32f});
  return scene;
}

SceneText::Json exampleLevelText() {
  const auto scene = buildExampleLevel();
  SceneText::Json text = SceneText::fromBytesWithNames(sceneBytes(*scene));
  text["objects"].push_back({{"import", exampleModelPath},
                             {"name", "islandPlace"},
                             {"position", {islandPlace.x, islandPlace.y, islandPlace.z}}});
  return text;
}

std::string writeExampleFiles(const std::filesystem::path& directory) {
  std::error_code error;
  const std::filesystem::path model = directory / exampleModelPath;
  std::filesystem::create_directories(model.parent_path(), error);
  if (error) return "can't make " + model.parent_path().string() + ": " + error.message();
  if (std::string problem = writeModel(exampleIsland(), model.string()); !problem.empty()) {
    return problem;
  }
  const std::filesystem::path level = directory / exampleLevelPath;
  try {
    std::ofstream out(level, std::ios::binary | std::ios::trunc);
    SceneText::print(exampleLevelText(), out);
    out.flush();
    if (!out) return "can't write " + level.string();
  } catch (const RWxmsg& problem) {
    return level.string() + ": " + problem.why();
  } catch (const SceneText::Error& problem) {
    return level.string() + ": " + problem.what();
  }
  return {};
}
