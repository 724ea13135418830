#include "GameLevel.h"

#include "FmEngine.h"
#include "FmFlightController.h"

namespace {

constexpr const char* projectileName = "Bouncer";

}  // namespace

void loadGameLevel(FmEngine& engine, const std::string& levelFile, std::int32_t level,
                   std::int32_t flock) {
  engine.scene().setLevel(level);
  engine.loadScene(levelFile.c_str());
  prepareGameLevel(engine, flock);
}

void prepareGameLevel(FmEngine& engine, std::int32_t flock) {
  FmWorker& worker = engine.scene().worker();
  worker.findTemplate(projectileName);
  if (engine.scene().levelCount() <= 1) return;
  worker.selectFlock(flock);
  if (FmFlightController* flight = worker.flightController()) {
    flight->setMode(FmFlightController::freeFlight);
  }
}
