#pragma once

#include <cstdint>

#include "FmPoint.h"
#include "RWCollectable.h"

// The OpenGL lighting material of an object; colours are r, g, b from 0.0 to 1.0
// and are applied with alpha 1.
class FmMaterial : public RWCollectable {
public:
  static constexpr RWClassID id = 1153;
  static constexpr std::uint32_t storedVersion = 100;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;

  const FmPoint& ambient() const { return ambient_; }
  void setAmbient(const FmPoint& colour) { ambient_ = colour; }
  const FmPoint& diffuse() const { return diffuse_; }
  void setDiffuse(const FmPoint& colour) { diffuse_ = colour; }
  const FmPoint& specular() const { return specular_; }
  void setSpecular(const FmPoint& colour) { specular_ = colour; }
  // The specular exponent.
  float shininess() const { return shininess_; }
  void setShininess(float shininess) { shininess_ = shininess; }
  const FmPoint& emission() const { return emission_; }
  void setEmission(const FmPoint& colour) { emission_ = colour; }
  // Nonzero: applied to front and back faces; zero: front faces only.
  std::int32_t twoSided() const { return twoSided_; }
  void setTwoSided(std::int32_t twoSided) { twoSided_ = twoSided; }

private:
  FmPoint ambient_{0.2f, 0.2f, 0.2f};
  FmPoint diffuse_{0.8f, 0.8f, 0.8f};
  FmPoint specular_;
  float shininess_ = 0.0f;
  FmPoint emission_;
  std::int32_t twoSided_ = 0;
};
