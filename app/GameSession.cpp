#include "GameSession.h"

#include <exception>
#include <limits>
#include <string>

#include "FmCamera.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmWorker.h"
#include "InputDevices.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWMessages.h"
#include "RegularFile.h"

namespace {

// The remainder that is never negative, so that a negative saved level still names a
// level and a flock that exist.
std::int32_t wrapped(std::int32_t value, std::int32_t divisor) {
  const std::int32_t remainder = value % divisor;
  return remainder < 0 ? remainder + divisor : remainder;
}

}  // namespace

GameSession::GameSession(const FmClock& clock) : FmGLEngine(clock) {}

int GameSession::loadLevel(const RWCString& name) {
  loadProblem_.clear();
  if (name.isNull() || name.length() == 0) {
    loadProblem_ = "no level file is named: give one on the command line (zirrow LEVELFILE)";
    return 0;
  }
  if (!RWBinaryFile::exists(name.data())) {
    loadProblem_ = "there is no file " + std::string(name.data());
    return 0;
  }
  levelFileName_ = name;
  chooseLevel();
  try {
    std::string whyNot;
    RWBinaryFile file(openRegularFile(name.data(), whyNot), name.data());
    if (!file.isValid()) {
      const std::string problem = formatMessage(RWMessages::openError, name.data()) + ": " + whyNot;
      throw RWExternalErr(problem.c_str());
    }
    if (!loadScene(file)) {
      loadProblem_ = "its scene is of a version this game can't read";
      return 0;
    }
  } catch (const RWxmsg& error) {
    loadProblem_ = error.why();
    return 0;
  } catch (const std::exception& error) {
    loadProblem_ = error.what();
    return 0;
  }
  multiLevel_ = scene().levelCount() > 1;
  FmWorker& worker = scene().worker();
  worker.findTemplate(projectileName);
  if (multiLevel_) {
    worker.selectFlock(flockIndex_);
    setFreeFlight();
  }
  return 1;
}

void GameSession::chooseLevel() {
  flockIndex_ = 0;
  if (currentLevel_ == 0 && values_.useLevel != 0) {
    currentLevel_ = wrapped(values_.level, levelsPerBlock);
    flockIndex_ = wrapped(values_.level, flocksPerLevel);
  }
  scene().setLevel(currentLevel_ <= 2 ? 1 : 2);
}

void GameSession::setFreeFlight() {
  if (FmFlightController* flight = scene().worker().flightController()) {
    flight->setMode(FmFlightController::freeFlight);
  }
}

void GameSession::tick(InputDevices& devices) {
  hitsThisFrame_ = 0;
  input_.updateCursor(devices);
  // A paused game takes no input: what the devices gave meanwhile would all land on
  // the first frame after the pause.
  if (paused()) {
    input_.clearDirections();
    return;
  }
  if (input_.cursorActive()) {
    input_.pollKeyboard(devices);
    applyActions();
  }
  // Without a rendering context the engine never starts, and there is no world to run.
  if (!started()) {
    yawInput_ = 0.0f;
    pitchInput_ = 0.0f;
    input_.clearDirections();
    return;
  }
  now_ = currentTime();
  fireIfReady();
  const std::size_t membersBefore = flockMemberCount();
  frame(0.0f, pitchInput_, yawInput_, 0.0f, lookPitch_, lookYaw_);
  lastPitchRate_ = pitchInput_;
  lastYawRate_ = yawInput_;
  // A member that a rocket hits leaves its flock.
  const std::size_t membersAfter = flockMemberCount();
  if (membersAfter < membersBefore) {
    hitsThisFrame_ = static_cast<std::int32_t>(membersBefore - membersAfter);
  }
  yawInput_ = 0.0f;
  pitchInput_ = 0.0f;
  checkGameEvents();
  input_.clearDirections();
}

void GameSession::applyActions() {
  if (input_.fire) {
    markActive();
    fireRequest_ = true;
  }
  if (input_.down) {
    markActive();
    pitchInput_ -= turnRate;
  }
  if (input_.up) {
    markActive();
    pitchInput_ += turnRate;
  }
  if (input_.left) {
    markActive();
    yawInput_ += turnRate;
  }
  if (input_.right) {
    markActive();
    yawInput_ -= turnRate;
  }
}

void GameSession::markActive() {
  if (firstInputSeen_) return;
  firstInputSeen_ = true;
  if (multiLevel_) setFreeFlight();
}

void GameSession::fireIfReady() {
  if (fireRequest_ && !cooling_) {
    // Without a projectile template nothing flies, and nothing should be heard.
    const bool launched = scene().worker().launchProjectile(now_) != nullptr;
    cooldownEnd_ = now_ + fireCooldown_;
    fireRequest_ = false;
    cooling_ = true;
    gunSoundRequest_ = launched;
  } else if (cooling_ && now_ >= cooldownEnd_) {
    cooling_ = false;
  }
}

void GameSession::clockMovedBack(float seconds) {
  FmGLEngine::clockMovedBack(seconds);
  cooldownEnd_ -= seconds;
}

void GameSession::checkGameEvents() {
  if (winEvent()) {
    soundRequest_ = winSound;
    setWinEvent(false);
    showEndView();
  }
  if (failEvent()) {
    ++failCount_;
    soundRequest_ = failSound;
    setFailEvent(false);
    scene().worker().restartFlock(now_);
    if (failCount_ > 2) {
      showEndView();
      failCount_ = 0;
    }
  }
}

void GameSession::showEndView() {
  const FmCamera* camera = scene().worker().camera();
  if (camera && camera->name().find(gameCameraName) != RW_NPOS) nextCamera();
}

void GameSession::previousCamera() {
  FmEngine::previousCamera();
  lookPitch_ = 0.0f;
  lookYaw_ = 0.0f;
}

void GameSession::nextCamera() {
  FmEngine::nextCamera();
  lookPitch_ = 0.0f;
  lookYaw_ = 0.0f;
}

void GameSession::saveProgress() {
  const std::int32_t inBlock = wrapped(values_.level, levelsPerBlock);
  if (inBlock >= currentLevel_) return;
  const std::int64_t saved = std::int64_t{values_.level} - inBlock + currentLevel_;
  if (saved <= std::numeric_limits<std::int32_t>::max())
    values_.level = static_cast<std::int32_t>(saved);
}

void GameSession::clearSoundRequests() {
  soundRequest_ = noSound;
  gunSoundRequest_ = false;
}

std::size_t GameSession::flockMemberCount() const {
  const RWOrdered& flocks = scene().worker().flocks();
  std::size_t members = 0;
  for (std::size_t i = 0; i < flocks.entryCount(); ++i) {
    if (const auto* flock = static_cast<const FmFlock*>(flocks.elementAt(i))) {
      members += flock->childCount();
    }
  }
  return members;
}
