#include "FmFlightController.h"

#include <algorithm>
#include <cmath>

#include "FmQuat.h"
#include "RWBinaryFile.h"
#include "RWFactory.h"

namespace {

constexpr double radiansToDegrees = 57.29577951308232;
constexpr float levelTolerance = 0.02f;
const FmPoint ownZ{0, 0, 1};

float length(const FmPoint& p) {
  return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
}

}  // namespace

FmFlightController::~FmFlightController() = default;

RWCollectable* FmFlightController::newInstance() const {
  return new FmFlightController;
}

RWCollectable* FmFlightController::clone() const {
  return new FmFlightController(*this);
}

RWClassID FmFlightController::classId() const {
  return id;
}

std::uint32_t FmFlightController::storeSize() const {
  return 4 + FmTransformController::storeSize() + 4;
}

void FmFlightController::restoreFields(RWBinaryFile& file) {
  lookYaw_ = 0;
  lookPitch_ = 0;
  mode_ = freeFlight;
  needsReference_ = 1;
  referenceUp_ = {0, 0, 0};
  std::int32_t stored = 0;
  file.read(stored);
  FmTransformController::restoreFields(file);
  file.read(mode_);
}

void FmFlightController::saveFields(RWBinaryFile& file) const {
  file.write(version);
  FmTransformController::saveFields(file);
  file.write(mode_);
}

int FmFlightController::formatVersion() const {
  return version;
}

int FmFlightController::update(float time, const FmMatrix& parent) {
  if (mode_ == recording) {
    addRotationKey(rotation_.value(), time);
    addPositionKey(position_.value(), time);
  } else if (mode_ == playback) {
    rotation_.evaluate(time, loop_);
    position_.evaluate(time, loop_);
  }
  matrix_ = parent;
  if (lookYaw_ != 0 || lookPitch_ != 0) {
    FmQuat look;
    look.fromEuler({lookPitch_, lookYaw_, 0});
    matrix_ = matrix_ * look.toMatrix();
  }
  matrix_ = matrix_ * FmMatrix::translation(position_.value()) * rotation_.value().toMatrix() *
            FmMatrix::scaling(scale_.value());
  if (needsReference_) {
    referenceUp_ = {matrix_[4], matrix_[5], matrix_[6]};
    needsReference_ = 0;
  }
  return 1;
}

void FmFlightController::steer(const FmPoint& rates, float speed, float time) {
  const float dt = time - lastTime_;
  lastTime_ = time;
  if (needsReference_ || !steers()) return;
  FmQuat turn;
  turn.fromEuler(rates * dt);
  FmQuat q = rotation_.value() * turn;
  const FmMatrix m = q.toMatrix();
  const float error = bankError(m);
  if (error > levelTolerance || error < -levelTolerance) q = q * FmQuat(ownZ, error);
  rotation_.setValue(q);
  if (speed != 0) position_.setValue(position_.value() - FmPoint{m[8], m[9], m[10]} * speed);
}

float FmFlightController::bankError(const FmMatrix& rotation) const {
  // The reference up is the first world matrix's y column, which carries any scale
  // of the node and its parents; only its direction makes a cosine. Rounding can
  // still push the cosine past 1, where acos has no value.
  const float upLength = length(referenceUp_);
  if (!(upLength > 0)) return 0;
  const FmPoint up = referenceUp_ * (1 / upLength);
  const float cosine = rotation[0] * up.x + rotation[1] * up.y + rotation[2] * up.z;
  const float limited = std::clamp(cosine, -1.0f, 1.0f);
  return static_cast<float>(std::acos(limited) * radiansToDegrees - 90);
}

namespace {
const RWClassRegistration registration{createDefault<FmFlightController>, FmFlightController::id,
                                       "FmFlightController"};
}  // namespace
