#pragma once

#include <cstdint>

#include "FmAnimatedPoint.h"
#include "FmAnimatedQuat.h"
#include "FmMatrix.h"
#include "FmPoint.h"
#include "FmQuat.h"
#include "RWCollectable.h"

// Computes a node's world matrix from its parent's and its own position, rotation
// and scale tracks: parent x translation x rotation x scale. The base of every node
// controller; derived controllers replace update.
class FmTransformController : public RWCollectable {
public:
  static constexpr RWClassID id = 1142;
  static constexpr std::int32_t version = 100;

  FmTransformController() = default;
  // The tracks are deep copies; the copy's matrix starts as the identity.
  FmTransformController(const FmTransformController& other);
  FmTransformController& operator=(const FmTransformController&) = delete;
  ~FmTransformController() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;
  // Stored: position, rotation, then scale. A controller read loops.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  // The rotation track's result.
  virtual int compact();
  virtual int isController() const;
  virtual int hasKeys() const;
  virtual int getLoop() const;
  virtual void setLoop(int loop);
  virtual void clearKeys();
  // The longest duration among the tracks that have keys; 0 when none has.
  virtual float duration() const;
  // 0, and the identity, when the matrix has no inverse (a zero scale).
  virtual int getInverseMatrix(FmMatrix& inverse) const;
  virtual void rotateKeys(const FmQuat& q);
  virtual int getAxisAngle(FmPoint& position, FmPoint& scale, FmPoint& axis, float& degrees) const;
  virtual int getTransform(FmPoint& position, FmPoint& scale, FmQuat& rotation) const;
  // Evaluates the tracks at the node-local time and sets the world matrix.
  virtual int update(float time, const FmMatrix& parent);
  virtual int addRotationKey(const FmQuat& rotation, float time);
  virtual int addPositionKey(const FmPoint& position, float time);
  virtual int addScaleKey(const FmPoint& scale, float time);
  virtual void scalePositions(const FmPoint& factors);
  virtual void offsetPositions(const FmPoint& offset);
  virtual void alignRotations();

  const FmMatrix& matrix() const { return matrix_; }
  float lastTime() const { return lastTime_; }
  void setLastTime(float time) { lastTime_ = time; }
  FmAnimatedPoint& position() { return position_; }
  const FmAnimatedPoint& position() const { return position_; }
  FmAnimatedPoint& scale() { return scale_; }
  const FmAnimatedPoint& scale() const { return scale_; }
  FmAnimatedQuat& rotation() { return rotation_; }
  const FmAnimatedQuat& rotation() const { return rotation_; }

protected:
  float lastTime_ = 0;
  FmMatrix matrix_;
  FmAnimatedPoint position_;
  FmAnimatedPoint scale_;
  FmAnimatedQuat rotation_;
  int loop_ = 1;
};
