#include "FmEnvironController.h"

#include "RWBinaryFile.h"
#include "RWFactory.h"

FmEnvironController::~FmEnvironController() = default;

RWCollectable* FmEnvironController::newInstance() const {
  return new FmEnvironController;
}

RWCollectable* FmEnvironController::clone() const {
  return new FmEnvironController(*this);
}

RWClassID FmEnvironController::classId() const {
  return id;
}

std::uint32_t FmEnvironController::storeSize() const {
  return 4 + FmTransformController::storeSize();
}

void FmEnvironController::restoreFields(RWBinaryFile& file) {
  std::int32_t stored = 0;
  file.read(stored);
  FmTransformController::restoreFields(file);
}

void FmEnvironController::saveFields(RWBinaryFile& file) const {
  file.write(version);
  FmTransformController::saveFields(file);
}

int FmEnvironController::formatVersion() const {
  return version;
}

int FmEnvironController::update(float, const FmMatrix& parent) {
  const FmMatrix centre = FmMatrix::translation({parent[12], parent[13], parent[14]});
  matrix_ = centre * FmMatrix::translation(position_.value()) * rotation_.value().toMatrix() *
            FmMatrix::scaling(scale_.value());
  return 1;
}

namespace {
const RWClassRegistration registration{createDefault<FmEnvironController>, FmEnvironController::id,
                                       "FmEnvironController"};
}  // namespace
