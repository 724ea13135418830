#include "FmBillboardController.h"

#include <cmath>

#include "RWBinaryFile.h"
#include "RWFactory.h"

namespace {

constexpr double oneOverPi = 0.3183098861837907;
constexpr float degreesToRadians = 0.017453292f;

// The parent's rotation (and scale) without its translation.
FmMatrix withoutTranslation(const FmMatrix& parent) {
  FmMatrix m = parent;
  m[12] = 0;
  m[13] = 0;
  m[14] = 0;
  m[15] = 1;
  return m;
}

// The turn about y that brings the z axis under the parent's z axis.
FmMatrix yawOf(const FmMatrix& parent) {
  const float degrees = static_cast<float>(std::atan2(parent[8], parent[10]) * 180 * oneOverPi);
  const float radians = degrees * degreesToRadians;
  FmMatrix m;
  m[0] = std::cos(radians);
  m[10] = m[0];
  m[8] = std::sin(radians);
  m[2] = -m[8];
  return m;
}

}  // namespace

FmBillboardController::~FmBillboardController() = default;

RWCollectable* FmBillboardController::newInstance() const {
  return new FmBillboardController;
}

RWCollectable* FmBillboardController::clone() const {
  return new FmBillboardController(*this);
}

RWClassID FmBillboardController::classId() const {
  return id;
}

std::uint32_t FmBillboardController::storeSize() const {
  return 4 + FmTransformController::storeSize() + 4;
}

void FmBillboardController::restoreFields(RWBinaryFile& file) {
  faceCamera_ = 0;
  std::int32_t stored = 0;
  file.read(stored);
  FmTransformController::restoreFields(file);
  file.read(faceCamera_);
}

void FmBillboardController::saveFields(RWBinaryFile& file) const {
  file.write(version);
  FmTransformController::saveFields(file);
  file.write(faceCamera_);
}

int FmBillboardController::formatVersion() const {
  return version;
}

int FmBillboardController::update(float, const FmMatrix& parent) {
  const FmMatrix facing = faceCamera_ ? withoutTranslation(parent) : yawOf(parent);
  matrix_ = FmMatrix::translation(position_.value()) * facing * rotation_.value().toMatrix() *
            FmMatrix::scaling(scale_.value());
  return 1;
}

namespace {
const RWClassRegistration registration{createDefault<FmBillboardController>,
                                       FmBillboardController::id, "FmBillboardController"};
}  // namespace
