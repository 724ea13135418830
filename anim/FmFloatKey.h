#pragma once

#include <cstdint>

#include "RWCollectable.h"

// A key frame of a single number.
class FmFloatKey : public RWCollectable {
public:
  static constexpr RWClassID id = 1156;
  static constexpr std::int32_t version = 100;

  FmFloatKey() = default;
  FmFloatKey(float value, float time) : value(value), time(time) {}

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Keys less than 0.01 s apart compare equal.
  int compare(const RWCollectable* other) const override;
  bool equals(const RWCollectable* other) const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  float value = 0;
  float time = 0;
};
