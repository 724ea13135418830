#pragma once

#include "RWSet.h"

// A set whose elements are equal only when they are the same object; nil is an
// element like any other.
class RWIdentitySet : public RWSet {
public:
  static constexpr RWClassID id = 0x8025;

  using RWSet::RWSet;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;

protected:
  std::size_t bucketOf(const RWCollectable* item) const override;
  bool matches(const RWCollectable* element, const RWCollectable* item) const override;
  bool admits(const RWCollectable*) const override { return true; }
};
