#pragma once

#include <cstdint>

#include "FmNode.h"

// A node that looks along its local -z axis with a perspective view: a vertical view
// angle and the near and far clipping distances. The far distance is also the range
// beyond which objects are not drawn.
class FmCamera : public FmNode {
public:
  static constexpr RWClassID id = 1130;
  static constexpr std::uint32_t storedVersion = 100;
  static constexpr float defaultFieldOfView = 45.0f;
  static constexpr float defaultNearClip = 3.0f;
  static constexpr float defaultFarClip = 30.0f;
  // Scaling never brings the near clipping distance below this.
  static constexpr float minScaledNearClip = 1.0f;

  FmCamera() = default;
  FmCamera(const RWCString& name, FmNode* parent, float expiryTime);
  FmCamera(const FmCamera& other) = default;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Reads on whatever the stored version is.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using FmNode::restoreFields;
  using FmNode::saveFields;

  FmNode* duplicate() const override;
  // The node's scaling, then both clipping distances by the z factor; the near one
  // is raised to minScaledNearClip when it falls below.
  void scalePositions(const FmPoint& factors) override;

  // The full vertical view angle in degrees.
  float fieldOfView() const { return fieldOfView_; }
  void setFieldOfView(float degrees) { fieldOfView_ = degrees; }
  float nearClip() const { return nearClip_; }
  void setNearClip(float distance) { nearClip_ = distance; }
  float farClip() const { return farClip_; }
  void setFarClip(float distance) { farClip_ = distance; }

private:
  float fieldOfView_ = defaultFieldOfView;
  float nearClip_ = defaultNearClip;
  float farClip_ = defaultFarClip;
};
