#pragma once

#include <cstdint>

#include "FmMatrix.h"
#include "FmTransformController.h"

// Flies a rocket in a straight line along the launch frame's -z axis at a fixed
// speed, starting from its position value in that frame.
class FmRocketController : public FmTransformController {
public:
  static constexpr RWClassID id = 1162;
  static constexpr std::int32_t version = 100;

  FmRocketController() = default;
  FmRocketController(const FmMatrix& launchMatrix, float speed, float lastTime);
  FmRocketController(const FmRocketController& other) = default;
  ~FmRocketController() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  using FmTransformController::restoreFields;
  using FmTransformController::saveFields;
  // Stored: the transform controller's record, then speed; not the launch matrix.
  // A record of another version stops after the version.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  // Sets the matrix from the launch frame and the position, then moves the
  // position by speed over the time since the last update; the tracks are not
  // evaluated and the parent is ignored.
  int update(float time, const FmMatrix& parent) override;

  virtual int isRocketController() const;

  float speed() const { return speed_; }
  void setSpeed(float speed) { speed_ = speed; }
  const FmMatrix& launchMatrix() const { return launchMatrix_; }
  void setLaunchMatrix(const FmMatrix& matrix) { launchMatrix_ = matrix; }

private:
  float speed_ = 0;
  FmMatrix launchMatrix_;
};
