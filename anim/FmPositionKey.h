#pragma once

#include <cstdint>

#include "FmPoint.h"
#include "RWCollectable.h"

// A key frame of a point: a position or a scale.
class FmPositionKey : public RWCollectable {
public:
  static constexpr RWClassID id = 1140;
  static constexpr std::int32_t version = 100;

  FmPositionKey() = default;
  FmPositionKey(const FmPoint& position, float time) : position(position), time(time) {}

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

  FmPoint position;
  float time = 0;
};
