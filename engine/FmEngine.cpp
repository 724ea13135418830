#include "FmEngine.h"

#include "FmCamera.h"
#include "FmFlightController.h"
#include "FmSceneFileErrors.h"
#include "FmTimerBarController.h"
#include "RWBinaryFile.h"
#include "RWDefs.h"
#include "RWErrors.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"

FmEngine* FmEngine::instance_ = nullptr;

FmEngine::FmEngine(const FmClock& clock) : FmEngine(clock, clock) {}

FmEngine::FmEngine(const FmClock& clock, const FmClock& frameClock)
    : clock_(clock),
      frequency_(clock.frequency()),
      frameClock_(frameClock),
      frameFrequency_(&frameClock == &clock ? frequency_ : frameClock.frequency()),
      startCount_(clock.counter()),
      scene_(std::make_unique<FmScene>()) {
  instance_ = this;
}

FmEngine::~FmEngine() {
  if (instance_ == this) instance_ = nullptr;
}

namespace {

// The top-level record must be a scene: any other record would be read into the
// scene as if it were one. A file that ends before its magic number and class
// identifier is left to the reader, which reports it. False when the scene record
// has a version that reading leaves the scene unchanged by.
bool requireScene(RWBinaryFile& file) {
  std::uint32_t magic = 0;
  std::uint16_t classId = 0;
  std::uint32_t version = 0;
  const bool framed = file.read(magic) && magic == fileMagic && file.read(classId);
  if (framed && classId != FmScene::id) {
    rwRaise<RWExternalErr>(RWMessages::unexpectedId, static_cast<unsigned short>(classId),
                           static_cast<unsigned short>(FmScene::id));
  }
  const bool unread = framed && file.read(version) && !FmScene::readsVersion(version);
  file.seekTo(0);
  return !unread;
}

// A file of several levels that lacks the chosen one reads nothing into the scene.
bool holdsChosenLevel(const FmScene& scene) {
  return scene.levelCount() == 1 || (scene.level() >= 1 && scene.level() <= scene.levelCount());
}

// A scene that read without an error but ran past the end of the file, met a read
// error or lacked its level is incomplete: what it holds is destroyed and the
// failure raised.
void requireWholeScene(RWBinaryFile& file, FmScene& scene) {
  if (!FmSceneFileErrors::incomplete(file) && holdsChosenLevel(scene)) return;
  const auto levels = static_cast<std::int32_t>(scene.levelCount());
  scene.clear();
  scene.setAuxiliaryNode(nullptr);
  FmSceneFileErrors::raiseIfIncomplete(file);
  throw RWExternalErr(FmSceneFileErrors::missingLevel(scene.level(), levels).c_str());
}

// Reads the file into the scene; false when the file's scene record is of a version
// that leaves a scene as it was.
bool readScene(RWBinaryFile& file, FmScene& scene) {
  if (!file.isValid()) rwRaise<RWExternalErr>(RWMessages::openError, file.name());
  if (!requireScene(file)) return false;
  RWReadLog log;
  try {
    const RWCollectable* read = readObject(file, &scene);
    requireWholeScene(file, scene);
    if (!read) rwRaise<RWExternalErr>(RWMessages::endOfFile);
  } catch (const RWxmsg&) {
    log.destroyCreated();
    // An error met after the file ran out comes from the bytes it lacks.
    FmSceneFileErrors::raiseIfIncomplete(file);
    throw;
  } catch (...) {
    log.destroyCreated();
    throw;
  }
  return true;
}

}  // namespace

bool FmEngine::loadScene(const char* name) {
  RWBinaryFile file(name, "rb");
  return loadScene(file);
}

bool FmEngine::loadSceneBytes(std::vector<std::uint8_t> bytes, const char* name) {
  RWBinaryFile file(std::move(bytes), name);
  return loadScene(file);
}

bool FmEngine::loadScene(RWBinaryFile& file) {
  sceneFileName_ = file.name();
  // Read into a scene of its own, which replaces the loaded one only once read
  // whole: a file that fails leaves the loaded scene as it was.
  auto loaded = std::make_unique<FmScene>();
  loaded->keepUnreadSettingsOf(*scene_);
  if (readScene(file, *loaded)) scene_ = std::move(loaded);
  return true;
}

void FmEngine::start(int width, int height) {
  viewportWidth_ = width;
  viewportHeight_ = height;
  setupRendering();
  FmWorker& worker = scene_->worker();
  worker.computeBounds();
  buildDrawingResources();
  worker.prepareFlocks(0.0f);
  beginTime();
  if (auto* bar = worker.timerBar()) bar->start(0.0f);
  started_ = true;
}

void FmEngine::frame(float speed, float pitch, float yaw, float roll, float lookPitch,
                     float lookYaw) {
  FmWorker& worker = scene_->worker();
  const std::uint64_t updateStart = frameClock_.counter();
  worker.steer(FmPoint{pitch, yaw, roll}, speed, currentTime_);
  if (auto* look = dynamic_cast<FmFlightController*>(worker.currentCameraController())) {
    look->setLookPitch(lookPitch);
    look->setLookYaw(lookYaw);
  }
  worker.updateScene(currentTime_);
  statistics_.recordUpdate(frameSeconds(updateStart));

  const std::uint64_t drawStart = frameClock_.counter();
  const std::int32_t triangles = drawScene();
  statistics_.recordDraw(frameSeconds(drawStart), triangles);

  const std::uint64_t collisionStart = frameClock_.counter();
  worker.collide(currentTime_);
  statistics_.recordCollision(frameSeconds(collisionStart));
  statistics_.endFrame();
}

void FmEngine::beginTime() {
  resetStart();
  // A duration of a second or more loops. Compared rather than truncated, so that a
  // negative or out-of-range duration read from a file neither loops nor overflows.
  loops_ = scene_->duration() >= 1.0f;
  currentTime_ = 0.0f;
}

float FmEngine::currentTime() {
  if (paused_) return currentTime_;
  if (captureActive_) {
    currentTime_ += captureStep;
  } else {
    currentTime_ = static_cast<float>((held() ? holdStart_ : elapsedSeconds()) - pausedTime_);
  }
  if (loops_ && scene_->duration() <= currentTime_) {
    const float wrappedBy = currentTime_;
    currentTime_ = 0.0f;
    resetStart();
    clockMovedBack(wrappedBy);
  }
  return currentTime_;
}

void FmEngine::clockMovedBack(float seconds) {
  scene_->worker().moveClockBack(seconds);
}

void FmEngine::togglePause() {
  const bool wasHeld = held();
  paused_ = !paused_;
  updateHold(wasHeld);
}

void FmEngine::accountPause() {
  const bool wasHeld = held();
  accounting_ = !accounting_;
  updateHold(wasHeld);
}

void FmEngine::previousCamera() {
  const std::size_t count = scene_->worker().cameras().entryCount();
  if (count == 0) return;
  const std::size_t index = currentCameraIndex();
  selectCamera(index == RW_NPOS ? count - 1 : (index + count - 1) % count);
}

void FmEngine::nextCamera() {
  const std::size_t count = scene_->worker().cameras().entryCount();
  if (count == 0) return;
  const std::size_t index = currentCameraIndex();
  selectCamera(index == RW_NPOS ? 0 : (index + 1) % count);
}

void FmEngine::startTimerBar(float duration) {
  auto* bar = dynamic_cast<FmTimerBarController*>(scene_->worker().timerBar());
  if (!bar) return;
  bar->setLimit(duration);
  bar->start(currentTime_);
}

void FmEngine::setFog(int index) {
  if (index == scene_->fogIndex()) return;
  scene_->selectFog(index);
  if (scene_->fogIndex() == index) fogChanged();
}

float FmEngine::frameSeconds(std::uint64_t since) const {
  if (frameFrequency_ == 0) return 0.0f;
  const auto ticks = static_cast<std::int64_t>(frameClock_.counter() - since);
  return static_cast<float>(static_cast<double>(ticks) / static_cast<double>(frameFrequency_));
}

double FmEngine::elapsedSeconds() const {
  if (frequency_ == 0) return 0.0;
  const auto ticks = static_cast<std::int64_t>(clock_.counter() - startCount_);
  return static_cast<double>(ticks) / static_cast<double>(frequency_);
}

void FmEngine::updateHold(bool wasHeld) {
  if (!wasHeld && held()) holdStart_ = elapsedSeconds();
  if (wasHeld && !held()) pausedTime_ += elapsedSeconds() - holdStart_;
}

void FmEngine::resetStart() {
  startCount_ = clock_.counter();
  pausedTime_ = 0.0;
  holdStart_ = 0.0;
}

void FmEngine::selectCamera(std::size_t index) {
  FmWorker& worker = scene_->worker();
  worker.setCamera(dynamic_cast<FmCamera*>(worker.cameras().elementAt(index)));
  cameraChanged();
}

std::size_t FmEngine::currentCameraIndex() const {
  const FmWorker& worker = scene_->worker();
  const RWOrdered& cameras = worker.cameras();
  if (!worker.camera()) return RW_NPOS;
  for (std::size_t i = 0; i < cameras.entryCount(); ++i) {
    if (cameras.elementAt(i) == worker.camera()) return i;
  }
  return RW_NPOS;
}
