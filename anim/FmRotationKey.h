#pragma once

#include <cstdint>

#include "FmQuat.h"
#include "RWCollectable.h"

// A key frame of a rotation.
class FmRotationKey : public RWCollectable {
public:
  static constexpr RWClassID id = 1141;
  static constexpr std::int32_t version = 100;

  FmRotationKey() = default;
  FmRotationKey(const FmQuat& rotation, float time) : rotation(rotation), time(time) {}

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Keys less than a whole second apart compare equal.
  int compare(const RWCollectable* other) const override;
  bool equals(const RWCollectable* other) const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  FmQuat rotation{0, 0, 0, 0};
  float time = 0;
};
