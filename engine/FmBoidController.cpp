#include "FmBoidController.h"

#include <algorithm>
#include <cmath>

#include "RWBinaryFile.h"
#include "RWFactory.h"

namespace {

constexpr float angleToDegrees = 565.4867f;
constexpr float climbInput = 1.8f;
constexpr float pitchLimit = 0.8f;
constexpr float pitchDecay = 0.98f;
constexpr float speedDecay = 0.99f;
constexpr float alignedCosine = 0.7f;
constexpr float turnGain = 0.035f;
constexpr float turnSide = 0.05f;
constexpr float turnDecay = 0.98f;
constexpr float alignmentGain = 1.5f;
constexpr float centreGain = 0.5f;
constexpr std::uint32_t fieldBytes = 88;

// The unit vector along p; a zero vector stays zero.
FmPoint unit(const FmPoint& p) {
  const float length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
  return length > 0 ? p * (1.0f / length) : p;
}

}  // namespace

FmBoidController::FmBoidController(float time) {
  lastTime_ = time;
}

FmBoidController::~FmBoidController() = default;

RWCollectable* FmBoidController::newInstance() const {
  return new FmBoidController;
}

RWCollectable* FmBoidController::clone() const {
  return new FmBoidController(*this);
}

RWClassID FmBoidController::classId() const {
  return id;
}

std::uint32_t FmBoidController::storeSize() const {
  return 4 + FmTransformController::storeSize() + fieldBytes;
}

void FmBoidController::resetFields() {
  const FmBoidController fresh;
  heading_ = fresh.heading_;
  push_ = fresh.push_;
  alignment_ = fresh.alignment_;
  neighbours_ = fresh.neighbours_;
  speed_ = fresh.speed_;
  pitch_ = fresh.pitch_;
  yaw_ = fresh.yaw_;
  roll_ = fresh.roll_;
  turnRate_ = fresh.turnRate_;
  pitchStep_ = fresh.pitchStep_;
  cruiseSpeed_ = fresh.cruiseSpeed_;
  climbDrag_ = fresh.climbDrag_;
  alignBoost_ = fresh.alignBoost_;
  flockCentre_ = fresh.flockCentre_;
}

void FmBoidController::restoreFields(RWBinaryFile& file) {
  resetFields();
  clearKeys();
  loop_ = 1;
  std::int32_t stored = 0;
  if (!file.read(stored) || stored != version) return;
  FmTransformController::restoreFields(file);
  heading_.restoreFrom(file);
  push_.restoreFrom(file);
  alignment_.restoreFrom(file);
  file.read(neighbours_);
  file.read(speed_);
  file.read(pitch_);
  file.read(yaw_);
  file.read(roll_);
  file.read(turnRate_);
  file.read(pitchStep_);
  file.read(cruiseSpeed_);
  file.read(climbDrag_);
  file.read(alignBoost_);
  flockCentre_.restoreFrom(file);
}

void FmBoidController::saveFields(RWBinaryFile& file) const {
  file.write(version);
  FmTransformController::saveFields(file);
  heading_.saveOn(file);
  push_.saveOn(file);
  alignment_.saveOn(file);
  file.write(neighbours_);
  file.write(speed_);
  file.write(pitch_);
  file.write(yaw_);
  file.write(roll_);
  file.write(turnRate_);
  file.write(pitchStep_);
  file.write(cruiseSpeed_);
  file.write(climbDrag_);
  file.write(alignBoost_);
  flockCentre_.saveOn(file);
}

int FmBoidController::formatVersion() const {
  return version;
}

void FmBoidController::restart(const FmPoint& position, const FmPoint& heading, float radius,
                               float cruiseFactor) {
  position_.setValue(position);
  const FmPoint direction = unit(heading);
  if (!(direction == FmPoint{})) heading_ = direction;
  speed_ = cruiseSpeed_ = radius * cruiseFactor;
  climbDrag_ = radius * 0.001f;
  alignBoost_ = radius * 0.1f;
  push_ = alignment_ = {};
  pitch_ = yaw_ = roll_ = turnRate_ = 0;
  neighbours_ = 0;
}

void FmBoidController::beginFrame(const FmPoint& flockCentre) {
  push_ = alignment_ = {};
  neighbours_ = 0;
  flockCentre_ = flockCentre;
}

void FmBoidController::addNeighbour(const FmPoint& neighbourHeading, float closeness) {
  alignment_ = alignment_ + neighbourHeading * closeness;
  ++neighbours_;
}

int FmBoidController::update(float time, const FmMatrix&) {
  const float elapsed = time - lastTime_;
  lastTime_ = time;
  const FmPoint wanted = steeringInput();
  steerPitch(wanted.y);
  steerSpeed();
  steerTurn(wanted);
  composeMatrix();
  heading_ = unit(FmPoint{-matrix_[8], -matrix_[9], -matrix_[10]});
  position_.setValue(position_.value() + heading_ * (elapsed * speed_));
  return 1;
}

// Where the member wants to go: along its neighbours, the flock's push and
// towards the flock's centre.
FmPoint FmBoidController::steeringInput() {
  if (neighbours_ > 0) {
    alignment_ = (alignment_ * (1.0f / static_cast<float>(neighbours_)) - heading_) * alignmentGain;
  }
  return alignment_ + push_ + unit(flockCentre_ - position_.value()) * centreGain;
}

void FmBoidController::steerPitch(float climb) {
  if (climb > climbInput) {
    pitch_ = std::min(pitch_ + pitchStep_, pitchLimit);
  } else if (climb < -climbInput) {
    pitch_ = std::max(pitch_ - pitchStep_, -pitchLimit);
  } else {
    pitch_ *= pitchDecay;
  }
}

// Climbing costs speed; the speed returns to cruising within half to five times it.
void FmBoidController::steerSpeed() {
  speed_ = cruiseSpeed_ + (speed_ - climbDrag_ * pitch_ - cruiseSpeed_) * speedDecay;
  speed_ = std::max(0.5f * cruiseSpeed_, std::min(speed_, 5.0f * cruiseSpeed_));
}

void FmBoidController::steerTurn(const FmPoint& wanted) {
  const FmPoint h = unit(FmPoint{wanted.x, 0, wanted.z});
  float along = h.x * heading_.x + h.z * heading_.z;
  if (along > alignedCosine) {
    along -= alignedCosine;
    speed_ += along * alignBoost_;
  }
  const float side = h.z * heading_.x - heading_.z * h.x;
  const float gain = (1 - along) * turnGain;
  if (side > turnSide) {
    turnRate_ = (19 * turnRate_ - gain) * 0.05f;
  } else if (side < -turnSide) {
    turnRate_ = (19 * turnRate_ + gain) * 0.05f;
  } else {
    turnRate_ *= turnDecay;
  }
  yaw_ += turnRate_ * 0.2f;
  roll_ = -2 * turnRate_;
}

void FmBoidController::composeMatrix() {
  FmQuat attitude;
  attitude.fromEuler({pitch_ * angleToDegrees, yaw_ * angleToDegrees, roll_ * angleToDegrees});
  matrix_ = FmMatrix::translation(position_.value()) * attitude.toMatrix() *
            FmMatrix::scaling(scale_.value());
}

namespace {
const RWClassRegistration registration{createDefault<FmBoidController>, FmBoidController::id,
                                       "FmBoidController"};
}  // namespace
