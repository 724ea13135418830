#include "GameLevel.h"

#include "FmEngine.h"
#include "FmFlightController.h"
#include "FmSceneFileErrors.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWMessages.h"
#include "RegularFile.h"

namespace {

constexpr const char* projectileName = "Bouncer";

}  // namespace

void loadGameLevel(FmEngine& engine, const std::string& levelFile, std::int32_t level,
                   std::int32_t flock) {
  std::string whyNot;
  RWBinaryFile file(openRegularFile(levelFile, whyNot), levelFile.c_str());
  if (!file.isValid()) {
    const std::string problem =
        formatMessage(RWMessages::openError, levelFile.c_str()) + ": " + whyNot;
    throw RWExternalErr(problem.c_str());
  }
  engine.scene().setLevel(level);
  engine.loadScene(file);
  // The game plays a file of one level whatever level it was asked for; a runner
  // asked for another level refuses it, as the level tool's check does.
  const std::int32_t levels = engine.scene().levelCount();
  if (level < 1 || level > levels) {
    throw RWExternalErr(FmSceneFileErrors::missingLevel(level, levels).c_str());
  }
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
