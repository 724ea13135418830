#pragma once

#include "RWHashTable.h"

// A hashed collection without two equal elements.
class RWSet : public RWHashTable {
public:
  static constexpr RWClassID id = 0x802B;

  using RWHashTable::RWHashTable;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;

  void clearAndDestroy() override;
  // Returns the equal element already present instead of inserting the item.
  RWCollectable* insert(RWCollectable* item) override;
};
