#include "RWSet.h"

#include "RWFactory.h"

RWCollectable* RWSet::newInstance() const {
  return new RWSet;
}

RWCollectable* RWSet::clone() const {
  return new RWSet(*this);
}

RWClassID RWSet::classId() const {
  return id;
}

void RWSet::clearAndDestroy() {
  // A set that holds itself is emptied, not destroyed.
  apply(
      [](RWCollectable* element, void* set) {
        if (element != static_cast<RWCollectable*>(set)) delete element;
      },
      static_cast<RWCollectable*>(this));
  clear();
}

RWCollectable* RWSet::insert(RWCollectable* item) {
  RWCollectable* present = nullptr;
  if (findMatch(item, present)) return present;
  return insertNew(item);
}

namespace {
const RWClassRegistration registration{createDefault<RWSet>, RWSet::id, "RWSet"};
}  // namespace
