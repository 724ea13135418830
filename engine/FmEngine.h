#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "FmClock.h"
#include "FmFrameStatistics.h"
#include "FmScene.h"
#include "RWCString.h"

class RWBinaryFile;

// The engine object: holds the loaded scene, measures the game time and keeps the
// frame statistics. The game derives from it; the parts of the program that need
// the engine outside their call chain reach it through instance().
class FmEngine {
public:
  // The time step per frame while screenshots are being captured: 1/24 s.
  static constexpr float captureStep = 0.041666668f;

  // The clock must outlive the engine; its frequency is read here, once. The frame
  // clock times the update, draw and collision steps for the statistics; it is the
  // game clock unless a caller steps the game time itself (a benchmark).
  explicit FmEngine(const FmClock& clock);
  FmEngine(const FmClock& clock, const FmClock& frameClock);
  FmEngine(const FmEngine&) = delete;
  FmEngine& operator=(const FmEngine&) = delete;
  virtual ~FmEngine();

  // The engine built last, or nil once it is destroyed.
  static FmEngine* instance() { return instance_; }

  // Reads the scene from the named file, used as it stands; true once read. A file
  // that can't be opened, holds no record, holds something other than a scene, ends
  // early or can't be read raises RWExternalErr; persistence errors propagate. Any
  // failure leaves the scene as it was and destroys what the read created.
  bool loadScene(const char* name);
  // The same from a file opened for reading, under the file's name.
  bool loadScene(RWBinaryFile& file);
  // Reads the scene from the bytes of a file held in memory, under the name, as
  // loadScene reads a file.
  bool loadSceneBytes(std::vector<std::uint8_t> bytes, const char* name);
  // Begins the loaded scene in a viewport of the given size: sets up the drawing
  // side, computes the bounds, prepares the flocks and starts the timer bar; time
  // zero is the end of the preparation.
  void start(int width, int height);
  // One frame at the time of the last currentTime: steers the player's flight
  // controller (rates in degrees per second), turns the camera's look, updates the
  // scene, draws it, runs the collision pass and records the frame's timings.
  void frame(float speed, float pitch, float yaw, float roll, float lookPitch, float lookYaw);
  // Makes now time zero and takes the loop flag from the scene's duration.
  void beginTime();
  // Seconds since time zero, without the time spent paused; frozen while paused,
  // stepping by captureStep while a capture is active, and wrapped to 0 when a
  // looping scene reaches its duration (clockMovedBack then moves the times kept
  // from before the wrap back by the time the clock went back).
  float currentTime();
  // The game time that the last currentTime gave, without reading the clock.
  float lastTime() const { return currentTime_; }
  void togglePause();
  // Calls alternately open and close an interval that is kept out of the game time,
  // like a pause that does not freeze currentTime (screenshots step it meanwhile).
  // Such intervals and pauses may overlap.
  void accountPause();
  void previousCamera();
  void nextCamera();
  // Refills the worker's timer bar, if it has one, to run out `duration` seconds
  // after the time of the last currentTime.
  void startTimerBar(float duration);
  // Switches the scene to the fog at the index when it is not the selected one
  // already; -1 selects none and keeps the fog parameters.
  void setFog(int index);
  // Set once start has run.
  bool started() const { return started_; }
  int viewportWidth() const { return viewportWidth_; }
  int viewportHeight() const { return viewportHeight_; }

  FmScene& scene() { return *scene_; }
  const FmScene& scene() const { return *scene_; }
  const RWCString& sceneFileName() const { return sceneFileName_; }
  bool paused() const { return paused_; }
  bool loops() const { return loops_; }
  bool captureActive() const { return captureActive_; }
  void setCaptureActive(bool active) { captureActive_ = active; }
  bool winEvent() const { return winEvent_; }
  void setWinEvent(bool raised) { winEvent_ = raised; }
  bool failEvent() const { return failEvent_; }
  void setFailEvent(bool raised) { failEvent_ = raised; }
  FmFrameStatistics& statistics() { return statistics_; }
  const FmFrameStatistics& statistics() const { return statistics_; }

protected:
  // The drawing side. The engine alone draws nothing: these do nothing by default.
  // Sets up the rendering state for the loaded scene.
  virtual void setupRendering() {}
  // Builds what drawing the scene needs once: the font and the display lists.
  virtual void buildDrawingResources() {}
  // Draws the frame; returns the number of triangles drawn.
  virtual std::int32_t drawScene() { return 0; }
  // The scene's fog selection changed.
  virtual void fogChanged() {}
  // The current camera changed through camera cycling.
  virtual void cameraChanged() {}
  // A looping scene began again: the game time went back by the seconds. Every time
  // kept across frames moves back with it; the scene's own are moved here.
  virtual void clockMovedBack(float seconds);

private:
  double elapsedSeconds() const;
  float frameSeconds(std::uint64_t since) const;
  bool held() const { return paused_ || accounting_; }
  void updateHold(bool wasHeld);
  void resetStart();
  void selectCamera(std::size_t index);
  std::size_t currentCameraIndex() const;

  static FmEngine* instance_;

  const FmClock& clock_;
  const std::uint64_t frequency_;
  const FmClock& frameClock_;
  const std::uint64_t frameFrequency_;
  int viewportWidth_ = 0;
  int viewportHeight_ = 0;
  std::uint64_t startCount_ = 0;
  FmFrameStatistics statistics_;
  RWCString sceneFileName_;
  std::unique_ptr<FmScene> scene_;
  float currentTime_ = 0.0f;
  double pausedTime_ = 0.0;  // seconds kept out of the game time since time zero
  double holdStart_ = 0.0;   // seconds since time zero at which the current hold began
  bool started_ = false;
  bool paused_ = false;
  bool accounting_ = false;
  bool loops_ = false;
  bool captureActive_ = false;
  bool winEvent_ = false;
  bool failEvent_ = false;
};
