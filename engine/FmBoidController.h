#pragma once

#include <cstdint>

#include "FmTransformController.h"

// Steers one flock member: towards its neighbours' heading, along the flock's
// push and towards the flock's centre, turning, climbing and diving like a bird.
// The flock fills the per-frame inputs before each update; the tracks are not
// evaluated, and the position value is the member's world position.
class FmBoidController : public FmTransformController {
public:
  static constexpr RWClassID id = 1150;
  static constexpr std::int32_t version = 100;
  static constexpr float defaultPitchStep = 0.02f;

  FmBoidController() = default;
  explicit FmBoidController(float time);
  FmBoidController(const FmBoidController& other) = default;
  ~FmBoidController() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  using FmTransformController::restoreFields;
  using FmTransformController::saveFields;
  // Stored: the version, the transform controller's record, then every field. A
  // version other than 100 leaves the controller cleared.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  int update(float time, const FmMatrix& parent) override;

  // Scatters the member: its position, its heading (kept when the given one is
  // zero) and the speeds of a member of the radius cruising at cruiseFactor radii
  // per second; the steering starts level.
  void restart(const FmPoint& position, const FmPoint& heading, float radius, float cruiseFactor);
  // Empties this frame's inputs and records the flock's centre.
  void beginFrame(const FmPoint& flockCentre);
  void addPush(const FmPoint& force) { push_ = push_ + force; }
  // A neighbour at the closeness, flying with its heading.
  void addNeighbour(const FmPoint& neighbourHeading, float closeness);

  const FmPoint& heading() const { return heading_; }
  void setHeading(const FmPoint& heading) { heading_ = heading; }
  const FmPoint& push() const { return push_; }
  const FmPoint& alignment() const { return alignment_; }
  std::int32_t neighbours() const { return neighbours_; }
  float speed() const { return speed_; }
  void setSpeed(float speed) { speed_ = speed; }
  float pitch() const { return pitch_; }
  float yaw() const { return yaw_; }
  float roll() const { return roll_; }
  float turnRate() const { return turnRate_; }
  float pitchStep() const { return pitchStep_; }
  float cruiseSpeed() const { return cruiseSpeed_; }
  void setCruiseSpeed(float speed) { cruiseSpeed_ = speed; }
  float climbDrag() const { return climbDrag_; }
  float alignBoost() const { return alignBoost_; }
  void setAlignBoost(float boost) { alignBoost_ = boost; }
  const FmPoint& flockCentre() const { return flockCentre_; }

private:
  void resetFields();
  FmPoint steeringInput();
  void steerPitch(float climb);
  void steerSpeed();
  void steerTurn(const FmPoint& wanted);
  void composeMatrix();

  FmPoint heading_;
  FmPoint push_;
  FmPoint alignment_;
  std::int32_t neighbours_ = 0;
  float speed_ = 0;
  float pitch_ = 0;
  float yaw_ = 0;
  float roll_ = 0;
  float turnRate_ = 0;
  float pitchStep_ = defaultPitchStep;
  float cruiseSpeed_ = 0;
  float climbDrag_ = 0;
  float alignBoost_ = 0;
  FmPoint flockCentre_;
};
