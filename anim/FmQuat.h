#pragma once

#include <cstdint>

#include "FmMatrix.h"
#include "FmPoint.h"
#include "RWCollectable.h"

// A rotation quaternion, vector part x, y, z and scalar part w.
class FmQuat : public RWCollectable {
public:
  static constexpr RWClassID id = 1131;
  static constexpr std::int32_t version = 100;

  FmQuat() = default;
  // The scalar part comes first here; the components are stored unchanged.
  FmQuat(float w, float x, float y, float z) : x(x), y(y), z(z), w(w) {}
  FmQuat(const FmPoint& axis, float degrees);
  explicit FmQuat(const FmMatrix& rotation);

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;
  // Any version but 100 leaves the components as they are.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  void normalize();
  FmMatrix toMatrix() const;
  // A rotation too small to have an axis gives the axis (0, 0, 0) and 0 degrees.
  void toAxisAngle(FmPoint& axis, float& degrees) const;
  // Rotation about x first, then y, then z, by angles in degrees.
  void fromEuler(const FmPoint& degrees);

  static float dot(const FmQuat& a, const FmQuat& b);
  // Neither takes the shorter arc nor normalises; a and b at 0 or 180 degrees (b = a
  // or b = -a) give a.
  static FmQuat slerp(float t, const FmQuat& a, const FmQuat& b);

  float x = 0;
  float y = 0;
  float z = 0;
  float w = 1;
};

// The rotation b, then a; normalised.
FmQuat operator*(const FmQuat& a, const FmQuat& b);
FmQuat operator+(const FmQuat& a, const FmQuat& b);
FmQuat operator-(const FmQuat& q);
FmQuat operator*(const FmQuat& q, float factor);
