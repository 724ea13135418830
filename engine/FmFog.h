#pragma once

#include <cstdint>

#include "FmPoint.h"
#include "RWCString.h"
#include "RWCollectable.h"

// A named fog setting of the scene's fog list. The scene owns it.
class FmFog : public RWCollectable {
public:
  static constexpr RWClassID id = 1160;
  static constexpr std::uint32_t storedVersion = 100;
  static constexpr std::int32_t linear = 0;
  static constexpr std::int32_t exponential = 1;
  static constexpr std::int32_t exponentialSquared = 2;

  FmFog() = default;
  explicit FmFog(const RWCString& name);

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // A record of another version leaves the fog at its defaults.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;

  // Multiplies fogStart and fogEnd by the vector's z component.
  virtual void scaleDistances(const FmPoint& factors);

  const RWCString& name() const { return name_; }
  void setName(const RWCString& name) { name_ = name; }
  // linear, exponential or exponentialSquared.
  std::int32_t fogMode() const { return fogMode_; }
  void setFogMode(std::int32_t mode) { fogMode_ = mode; }
  // Also the background colour while the fog is selected.
  const FmPoint& colour() const { return colour_; }
  void setColour(const FmPoint& colour) { colour_ = colour; }
  // The start distance of linear fog; the density of the exponential modes.
  float fogStart() const { return fogStart_; }
  void setFogStart(float start) { fogStart_ = start; }
  // The end distance of linear fog.
  float fogEnd() const { return fogEnd_; }
  void setFogEnd(float end) { fogEnd_ = end; }

private:
  RWCString name_;
  std::int32_t fogMode_ = linear;
  FmPoint colour_{1, 1, 1};
  float fogStart_ = 0.0f;
  float fogEnd_ = 1000.0f;
};
