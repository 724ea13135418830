#pragma once

#include <cstdint>

#include "FmTransformController.h"

// Shrinks a bar horizontally from full width at its start to nothing at its end
// time, and keeps it at nothing until the next start.
class FmTimerBarController : public FmTransformController {
public:
  static constexpr RWClassID id = 1163;
  static constexpr std::int32_t version = 100;

  FmTimerBarController() = default;
  FmTimerBarController(const FmTimerBarController& other) = default;
  ~FmTimerBarController() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  using FmTransformController::restoreFields;
  using FmTransformController::saveFields;
  // Stored as the transform controller's record alone; a bar read is idle.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  // Sets the scale's x to the fraction of the time span left, then updates as a
  // transform controller does.
  int update(float time, const FmMatrix& parent) override;

  // The full time span in seconds.
  virtual void setLimit(float limit);
  virtual float getLimit() const;
  // Refills the bar: it runs out `limit` seconds after the time.
  virtual void start(float time);

  // The time at which the bar is empty; 0 while idle.
  float endTime() const { return endTime_; }
  // The clock that the bar runs on was moved back by the seconds: a running bar
  // keeps the time it has left, one whose end has come by now is idle.
  void moveClockBack(float seconds);

private:
  float fractionLeft(float time);

  float endTime_ = 0;
  float limit_ = 0;
};
