#include "FmTimerBarController.h"

#include "RWBinaryFile.h"
#include "RWFactory.h"

FmTimerBarController::~FmTimerBarController() = default;

RWCollectable* FmTimerBarController::newInstance() const {
  return new FmTimerBarController;
}

RWCollectable* FmTimerBarController::clone() const {
  return new FmTimerBarController(*this);
}

RWClassID FmTimerBarController::classId() const {
  return id;
}

std::uint32_t FmTimerBarController::storeSize() const {
  return 4 + FmTransformController::storeSize();
}

void FmTimerBarController::restoreFields(RWBinaryFile& file) {
  endTime_ = 0;
  limit_ = 0;
  std::int32_t stored = 0;
  file.read(stored);
  FmTransformController::restoreFields(file);
}

void FmTimerBarController::saveFields(RWBinaryFile& file) const {
  file.write(version);
  FmTransformController::saveFields(file);
}

int FmTimerBarController::formatVersion() const {
  return version;
}

int FmTimerBarController::update(float time, const FmMatrix& parent) {
  FmPoint width = scale_.value();
  width.x = fractionLeft(time);
  scale_.setValue(width);
  return FmTransformController::update(time, parent);
}

void FmTimerBarController::setLimit(float limit) {
  limit_ = limit;
}

float FmTimerBarController::getLimit() const {
  return limit_;
}

void FmTimerBarController::start(float time) {
  endTime_ = time + limit_;
}

void FmTimerBarController::moveClockBack(float seconds) {
  if (endTime_ <= 0) return;
  endTime_ -= seconds;
  if (!(endTime_ > 0)) endTime_ = 0;
}

float FmTimerBarController::fractionLeft(float time) {
  const float left = endTime_ - time;
  if (!(left >= 0 && endTime_ > 0)) {
    endTime_ = 0;
    return 0;
  }
  // A bar without a positive span has nothing to show, even at its start.
  return limit_ > 0 ? left / limit_ : 0;
}

namespace {
const RWClassRegistration registration{createDefault<FmTimerBarController>,
                                       FmTimerBarController::id, "FmTimerBarController"};
}  // namespace
