#pragma once

#include <cstdint>

#include "FmAnimatedPoint.h"
#include "FmNode.h"

// A node that is an OpenGL light: positional at the node's origin, at infinity, or a
// spot light shining along the node's local -z axis, with an animated colour. A
// duplicated light is a plain node.
class FmLight : public FmNode {
public:
  static constexpr RWClassID id = 1146;
  static constexpr std::uint32_t storedVersion = 100;
  static constexpr std::int32_t positional = 0;
  static constexpr std::int32_t atInfinity = 1;
  static constexpr std::int32_t spot = 2;
  static constexpr std::int32_t noGlLight = -1;

  FmLight() = default;
  FmLight(const RWCString& name, FmNode* parent, float expiryTime);
  // Copies every field, the colour track with keys of its own.
  FmLight(const FmLight& other) = default;

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

  // The colour track only; neither the children nor the controller.
  void compact() override;
  // Moves the colour to the time, then runs the node's update.
  int update(float time, const FmMatrix& parentMatrix) override;

  // The OpenGL light that the rendering context assigned; noGlLight before. Not stored.
  std::int32_t glLight() const { return glLight_; }
  void setGlLight(std::int32_t light) { glLight_ = light; }
  // positional, atInfinity or spot.
  std::int32_t lightType() const { return lightType_; }
  void setLightType(std::int32_t type) { lightType_ = type; }
  // Stored and copied; nothing reads it.
  std::int32_t storedValue() const { return storedValue_; }
  void setStoredValue(std::int32_t value) { storedValue_ = value; }
  // Its current value is the ambient, diffuse and specular colour.
  FmAnimatedPoint& colourTrack() { return colourTrack_; }
  const FmAnimatedPoint& colourTrack() const { return colourTrack_; }
  // Stored and copied; nothing reads it.
  const FmPoint& storedVector() const { return storedVector_; }
  void setStoredVector(const FmPoint& vector) { storedVector_ = vector; }
  // The spot light's cut-off angle in degrees.
  float spotCutoff() const { return spotCutoff_; }
  void setSpotCutoff(float degrees) { spotCutoff_ = degrees; }

private:
  void resetFields();

  std::int32_t glLight_ = noGlLight;
  std::int32_t lightType_ = positional;
  std::int32_t storedValue_ = 1;
  FmAnimatedPoint colourTrack_;
  FmPoint storedVector_;
  float spotCutoff_ = 1.3f;
};
