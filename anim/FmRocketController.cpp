#include "FmRocketController.h"

#include "RWBinaryFile.h"
#include "RWFactory.h"

FmRocketController::FmRocketController(const FmMatrix& launchMatrix, float speed, float lastTime)
    : speed_(speed), launchMatrix_(launchMatrix) {
  lastTime_ = lastTime;
}

FmRocketController::~FmRocketController() = default;

RWCollectable* FmRocketController::newInstance() const {
  return new FmRocketController;
}

RWCollectable* FmRocketController::clone() const {
  return new FmRocketController(*this);
}

RWClassID FmRocketController::classId() const {
  return id;
}

std::uint32_t FmRocketController::storeSize() const {
  return 4 + FmTransformController::storeSize() + 4;
}

void FmRocketController::restoreFields(RWBinaryFile& file) {
  speed_ = 0;
  launchMatrix_ = FmMatrix::identity();
  clearKeys();
  loop_ = 1;
  std::int32_t stored = 0;
  if (!file.read(stored) || stored != version) return;
  FmTransformController::restoreFields(file);
  file.read(speed_);
}

void FmRocketController::saveFields(RWBinaryFile& file) const {
  file.write(version);
  FmTransformController::saveFields(file);
  file.write(speed_);
}

int FmRocketController::formatVersion() const {
  return version;
}

int FmRocketController::update(float time, const FmMatrix&) {
  const float elapsed = lastTime_ > 0 ? time - lastTime_ : 0;
  lastTime_ = time;
  matrix_ = launchMatrix_ * FmMatrix::translation(position_.value());
  FmPoint moved = position_.value();
  moved.z -= speed_ * elapsed;
  position_.setValue(moved);
  return 1;
}

int FmRocketController::isRocketController() const {
  return 1;
}

namespace {
const RWClassRegistration registration{createDefault<FmRocketController>, FmRocketController::id,
                                       "FmRocketController"};
}  // namespace
