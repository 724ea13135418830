#pragma once

#include <cstdint>

#include "FmTransformController.h"

// Keeps a node at its own world position, turned towards the viewer: with the
// parent's (the camera's) whole rotation, or only its turn about the y axis.
class FmBillboardController : public FmTransformController {
public:
  static constexpr RWClassID id = 1157;
  static constexpr std::int32_t version = 100;

  FmBillboardController() = default;
  FmBillboardController(const FmBillboardController& other) = default;
  ~FmBillboardController() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  using FmTransformController::restoreFields;
  using FmTransformController::saveFields;
  // Stored: the transform controller's record, then faceCamera.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  // The tracks are not evaluated; the position is a world position.
  int update(float time, const FmMatrix& parent) override;

  std::int32_t faceCamera() const { return faceCamera_; }
  void setFaceCamera(std::int32_t faceCamera) { faceCamera_ = faceCamera; }

private:
  std::int32_t faceCamera_ = 0;
};
