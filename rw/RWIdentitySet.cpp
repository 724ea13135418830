#include "RWIdentitySet.h"

#include "RWFactory.h"

RWCollectable* RWIdentitySet::newInstance() const {
  return new RWIdentitySet;
}

RWCollectable* RWIdentitySet::clone() const {
  return new RWIdentitySet(*this);
}

RWClassID RWIdentitySet::classId() const {
  return id;
}

std::size_t RWIdentitySet::bucketOf(const RWCollectable* item) const {
  return identityHash(item) % buckets();
}

bool RWIdentitySet::matches(const RWCollectable* element, const RWCollectable* item) const {
  return element == item;
}

namespace {
const RWClassRegistration registration{createDefault<RWIdentitySet>, RWIdentitySet::id,
                                       "RWIdentitySet"};
}  // namespace
