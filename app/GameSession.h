#pragma once

#include <cstdint>
#include <string>

#include "FmGLEngine.h"
#include "InputState.h"
#include "RWCString.h"
#include "Settings.h"

class FmClock;
class InputDevices;

// The game: the engine with the player's input, the choice of level and flock in a
// scene file, firing with a cooldown, the reaction to a won or lost level, the camera
// keys, the game values kept between runs and the sound requests that the main loop
// serves after each frame.
class GameSession : public FmGLEngine {
public:
  static constexpr float turnRate = 65.0f;  // degrees per second per held direction
  static constexpr std::int32_t levelsPerBlock = 6;
  static constexpr std::int32_t flocksPerLevel = 3;
  static constexpr const char* projectileName = "Bouncer";
  static constexpr const char* gameCameraName = "gameCam";

  enum SoundRequest : std::int32_t { noSound = 0, failSound = 1, winSound = 2 };

  explicit GameSession(const FmClock& clock);

  // Loads the named scene file and chooses its level, projectile template and flock.
  // 1 when loaded; 0 when the name is empty, no such file exists (nothing changes) or
  // the read fails (the scene is left as the failed read left it).
  int loadLevel(const RWCString& name);
  // Why the last loadLevel gave 0; empty after a load.
  const std::string& loadProblem() const { return loadProblem_; }
  // One frame: input, firing, the engine frame and the reaction to its events. The
  // devices are the system's cursor and keyboard.
  void tick(InputDevices& devices);
  void previousCamera();
  void nextCamera();
  // Leaves the game camera for the next one when the game camera is current.
  void showEndView();
  // Moves the saved level up to the level being played, within its block of six.
  void saveProgress();

  InputState& input() { return input_; }
  const InputState& input() const { return input_; }
  GameValues& values() { return values_; }
  const GameValues& values() const { return values_; }

  std::int32_t currentLevel() const { return currentLevel_; }
  void setCurrentLevel(std::int32_t level) { currentLevel_ = level; }
  std::int32_t flockIndex() const { return flockIndex_; }
  std::int32_t failCount() const { return failCount_; }
  float now() const { return now_; }
  std::int32_t mode() const { return mode_; }
  void setMode(std::int32_t mode) { mode_ = mode; }
  bool multiLevel() const { return multiLevel_; }
  const RWCString& levelFileName() const { return levelFileName_; }

  // The pitch and yaw rates (degrees per second) that the last frame steered with.
  float lastPitchRate() const { return lastPitchRate_; }
  float lastYawRate() const { return lastYawRate_; }
  // Flock members that the last frame's rockets hit; 0 when the frame did not run.
  std::int32_t hitsThisFrame() const { return hitsThisFrame_; }

  std::int32_t soundRequest() const { return soundRequest_; }
  bool gunSoundRequest() const { return gunSoundRequest_; }
  // The main loop has served the frame's sound requests.
  void clearSoundRequests();

  bool fireRequest() const { return fireRequest_; }
  bool cooling() const { return cooling_; }
  float cooldownEnd() const { return cooldownEnd_; }
  float fireCooldown() const { return fireCooldown_; }
  bool firstInputSeen() const { return firstInputSeen_; }

protected:
  void clockMovedBack(float seconds) override;

private:
  void chooseLevel();
  void applyActions();
  void markActive();
  void fireIfReady();
  void checkGameEvents();
  void setFreeFlight();
  std::size_t flockMemberCount() const;

  InputState input_;
  std::int32_t currentLevel_ = 0;
  std::int32_t flockIndex_ = 0;
  std::int32_t failCount_ = 0;
  float now_ = 0.0f;
  std::int32_t mode_ = 0;
  std::int32_t soundRequest_ = noSound;
  std::int32_t hitsThisFrame_ = 0;
  bool firstInputSeen_ = false;
  bool gunSoundRequest_ = false;
  bool fireRequest_ = false;
  bool cooling_ = false;
  bool multiLevel_ = false;
  float cooldownEnd_ = 0.0f;
  float fireCooldown_ = 0.16f;
  GameValues values_;
  RWCString levelFileName_;
  std::string loadProblem_;
  float yawInput_ = 0.0f;
  float pitchInput_ = 0.0f;
  float lastPitchRate_ = 0.0f;
  float lastYawRate_ = 0.0f;
  float lookPitch_ = 0.0f;
  float lookYaw_ = 0.0f;
};
