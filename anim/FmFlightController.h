#pragma once

#include <cstdint>

#include "FmPoint.h"
#include "FmTransformController.h"

// Flies the player's craft: steering turns it in its own frame, keeps its wings
// level with the up it had at its first update and moves it along its own -z axis.
// It can record the flight into its tracks and play a recorded flight back.
class FmFlightController : public FmTransformController {
public:
  static constexpr RWClassID id = 1143;
  static constexpr std::int32_t version = 100;
  static constexpr std::int32_t freeFlight = 0;
  static constexpr std::int32_t recording = 1;
  static constexpr std::int32_t playback = 2;

  FmFlightController() = default;
  FmFlightController(const FmFlightController& other) = default;
  ~FmFlightController() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  using FmTransformController::restoreFields;
  using FmTransformController::saveFields;
  // Stored: the transform controller's record, then the mode. A controller read
  // captures its reference up again.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  // Records, plays back, then sets the world matrix with the look-around rotation
  // before the craft's own transform. The first update captures the reference up.
  int update(float time, const FmMatrix& parent) override;

  // Turns by rates (degrees per second about the craft's own axes) over the time
  // since the last call, levels the wings and moves by speed. Ignored before the
  // first update and outside the steering modes.
  void steer(const FmPoint& rates, float speed, float time);

  float lookYaw() const { return lookYaw_; }
  void setLookYaw(float degrees) { lookYaw_ = degrees; }
  float lookPitch() const { return lookPitch_; }
  void setLookPitch(float degrees) { lookPitch_ = degrees; }
  std::int32_t mode() const { return mode_; }
  void setMode(std::int32_t mode) { mode_ = mode; }
  bool needsReference() const { return needsReference_ != 0; }
  const FmPoint& referenceUp() const { return referenceUp_; }

private:
  bool steers() const { return mode_ == freeFlight || mode_ == recording; }
  // Degrees by which the craft's right wing (the matrix's x column) leaves the
  // plane perpendicular to the reference up; positive when it points below it.
  float bankError(const FmMatrix& rotation) const;

  float lookYaw_ = 0;
  float lookPitch_ = 0;
  std::int32_t mode_ = freeFlight;
  std::int32_t needsReference_ = 1;
  FmPoint referenceUp_{0, 0, 0};
};
