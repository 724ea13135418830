#include "LevelShot.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "FmCamera.h"
#include "FmGLEngine.h"
#include "FmQuat.h"
#include "FmTransformController.h"
#include "GameLevel.h"
#include "OffscreenGlContext.h"
#include "SteppedClock.h"

namespace {

constexpr const char* viewpointCameraName = "shot viewpoint";
constexpr float viewpointNearClip = 0.1f;
constexpr float minimumFarClip = 100.0f;
constexpr float farClipReach = 4.0f;
constexpr float degreesPerRadian = 180.0f / std::numbers::pi_v<float>;

float lengthOf(const FmPoint& p) {
  return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
}

std::string cameraNames(const FmWorker& worker) {
  std::string names;
  for (std::size_t i = 0; i < worker.cameras().entryCount(); ++i) {
    const auto* camera = static_cast<const FmCamera*>(worker.cameras().elementAt(i));
    names += (names.empty() ? "" : ", ") + std::string("'") + camera->name().data() + "'";
  }
  return names.empty() ? "none" : names;
}

FmCamera* cameraNamed(const FmWorker& worker, const std::string& name) {
  for (std::size_t i = 0; i < worker.cameras().entryCount(); ++i) {
    auto* camera = static_cast<FmCamera*>(worker.cameras().elementAt(i));
    if (name == camera->name().data()) return camera;
  }
  throw ShotError("the level has no camera named '" + name +
                  "'; its cameras: " + cameraNames(worker));
}

// Objects fly along their own -z axis: pitch about x, then yaw about y, turn -z
// towards the direction.
FmQuat lookingAlong(const FmPoint& direction) {
  const float length = lengthOf(direction);
  const float pitch = std::asin(std::clamp(direction.y / length, -1.0f, 1.0f));
  const float yaw = std::atan2(-direction.x, -direction.z);
  FmQuat rotation;
  rotation.fromEuler({pitch * degreesPerRadian, yaw * degreesPerRadian, 0.0f});
  return rotation;
}

FmCamera* viewpointCamera(FmWorker& worker, const FmPoint& from, const FmPoint& at) {
  const FmPoint direction = at - from;
  const float distance = lengthOf(direction);
  if (!(distance > 0.0f) || !std::isfinite(distance)) {
    throw ShotError("--from and --at name the same point, which looks in no direction");
  }
  auto* camera = new FmCamera(viewpointCameraName, nullptr, -1.0f);
  if (const FmCamera* current = worker.camera()) {
    camera->setFieldOfView(current->fieldOfView());
  }
  camera->setNearClip(viewpointNearClip);
  camera->setFarClip(std::max(minimumFarClip, farClipReach * distance));
  auto* controller = new FmTransformController;
  controller->addPositionKey(from, 0.0f);
  controller->addRotationKey(lookingAlong(direction), 0.0f);
  camera->setController(controller);
  worker.addNode(camera, nullptr);
  return camera;
}

void chooseView(FmWorker& worker, const ShotView& view) {
  if (view.from) {
    worker.setCamera(viewpointCamera(worker, *view.from, view.at));
  } else if (!view.camera.empty()) {
    worker.setCamera(cameraNamed(worker, view.camera));
  }
}

ShotPicture drawShot(FmGLEngine& engine, SteppedClock& clock) {
  engine.start(headlessWidth, headlessHeight);
  clock.setSeconds(0.0);
  engine.currentTime();
  engine.beginCapture("", FmGLEngine::keepMode);
  engine.frame(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  ShotPicture picture{engine.width(), engine.height(), engine.capturedFrame(),
                      engine.triangleCount()};
  engine.endCapture();
  if (picture.rgb.empty()) throw ShotError("the frame could not be read back");
  return picture;
}

}  // namespace

ShotPicture takeLevelShot(const std::string& levelFile, std::int32_t level, const ShotView& view) {
  const OffscreenGlContext context(headlessWidth, headlessHeight, headlessColourBits);
  if (!context.isValid()) throw ShotError("no OpenGL context: " + context.error());
  SteppedClock clock;
  FmGLEngine engine(clock, clock);
  loadGameLevel(engine, levelFile, level, 0);
  chooseView(engine.scene().worker(), view);
  ShotPicture picture = drawShot(engine, clock);
  engine.releaseResources();
  return picture;
}

bool showsMoreThanOneColour(const ShotPicture& picture) {
  if (picture.rgb.size() < 3) return false;
  for (std::size_t i = 3; i + 2 < picture.rgb.size(); i += 3) {
    if (!std::equal(picture.rgb.begin() + static_cast<std::ptrdiff_t>(i),
                    picture.rgb.begin() + static_cast<std::ptrdiff_t>(i) + 3,
                    picture.rgb.begin())) {
      return true;
    }
  }
  return false;
}
