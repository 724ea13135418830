#include "FmEngine.h"

#include "FmCamera.h"
#include "FmTimerBarController.h"
#include "RWBinaryFile.h"
#include "RWDefs.h"
#include "RWErrors.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"

FmEngine* FmEngine::instance_ = nullptr;

FmEngine::FmEngine(const FmClock& clock)
    : clock_(clock), frequency_(clock.frequency()), startCount_(clock.counter()) {
  instance_ = this;
}

FmEngine::~FmEngine() {
  if (instance_ == this) instance_ = nullptr;
}

namespace {

// The top-level record must be a scene: any other record would be read into the
// scene as if it were one. A file that ends before its magic number and class
// identifier is left to the reader, which reports it.
void requireScene(RWBinaryFile& file) {
  std::uint32_t magic = 0;
  std::uint16_t classId = 0;
  if (file.read(magic) && magic == fileMagic && file.read(classId) && classId != FmScene::id) {
    rwRaise<RWExternalErr>(RWMessages::unexpectedId, static_cast<unsigned short>(classId),
                           static_cast<unsigned short>(FmScene::id));
  }
  file.seekTo(0);
}

}  // namespace

bool FmEngine::loadScene(const char* name) {
  sceneFileName_ = name;
  RWBinaryFile file(name, "rb");
  if (!file.isValid()) rwRaise<RWExternalErr>(RWMessages::openError, name);
  requireScene(file);
  RWReadLog log;
  try {
    if (!readObject(file, &scene_)) rwRaise<RWExternalErr>(RWMessages::endOfFile);
  } catch (...) {
    log.destroyCreated();
    throw;
  }
  file.close();
  return true;
}

void FmEngine::beginTime() {
  resetStart();
  // A duration of a second or more loops. Compared rather than truncated, so that a
  // negative or out-of-range duration read from a file neither loops nor overflows.
  loops_ = scene_.duration() >= 1.0f;
  currentTime_ = 0.0f;
}

float FmEngine::currentTime() {
  if (paused_) return currentTime_;
  if (captureActive_) {
    currentTime_ += captureStep;
  } else {
    currentTime_ = static_cast<float>((held() ? holdStart_ : elapsedSeconds()) - pausedTime_);
  }
  if (loops_ && scene_.duration() <= currentTime_) {
    currentTime_ = 0.0f;
    resetStart();
  }
  return currentTime_;
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
  const std::size_t count = scene_.worker().cameras().entryCount();
  if (count == 0) return;
  const std::size_t index = currentCameraIndex();
  selectCamera(index == RW_NPOS ? count - 1 : (index + count - 1) % count);
}

void FmEngine::nextCamera() {
  const std::size_t count = scene_.worker().cameras().entryCount();
  if (count == 0) return;
  const std::size_t index = currentCameraIndex();
  selectCamera(index == RW_NPOS ? 0 : (index + 1) % count);
}

void FmEngine::startTimerBar(float duration) {
  auto* bar = dynamic_cast<FmTimerBarController*>(scene_.worker().timerBar());
  if (!bar) return;
  bar->setLimit(duration);
  bar->start(currentTime_);
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
  FmWorker& worker = scene_.worker();
  worker.setCamera(dynamic_cast<FmCamera*>(worker.cameras().elementAt(index)));
}

std::size_t FmEngine::currentCameraIndex() const {
  const FmWorker& worker = scene_.worker();
  const RWOrdered& cameras = worker.cameras();
  if (!worker.camera()) return RW_NPOS;
  for (std::size_t i = 0; i < cameras.entryCount(); ++i) {
    if (cameras.elementAt(i) == worker.camera()) return i;
  }
  return RW_NPOS;
}
