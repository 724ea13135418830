#include "RWCollectable.h"

#include <cstdint>

#include "RWFactory.h"
#include "RWObjectProtocol.h"

RWCollectable* RWCollectable::newInstance() const {
  return new RWCollectable;
}

RWCollectable* RWCollectable::clone() const {
  return new RWCollectable(*this);
}

RWClassID RWCollectable::classId() const {
  return id;
}

RWCollectable::~RWCollectable() {
  RWReadLog::forget(this);
}

std::uint32_t RWCollectable::storeSize() const {
  return 0;
}

int RWCollectable::compare(const RWCollectable* other) const {
  if (other == this) return 0;
  return reinterpret_cast<std::uintptr_t>(this) > reinterpret_cast<std::uintptr_t>(other) ? 1 : -1;
}

unsigned RWCollectable::hashValue() const {
  return identityHash(this);
}

bool RWCollectable::equals(const RWCollectable* other) const {
  return other == this;
}

void RWCollectable::restoreFields(RWvistream&) {}

void RWCollectable::restoreFields(RWBinaryFile&) {}

void RWCollectable::saveFields(RWvostream&) const {}

void RWCollectable::saveFields(RWBinaryFile&) const {}

int RWCollectable::formatVersion() const {
  return 0;
}

unsigned identityHash(const void* address) {
  const auto a = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address));
  return a ^ (a >> 3);
}

namespace {
const RWClassRegistration registration{createDefault<RWCollectable>, RWCollectable::id,
                                       "RWCollectable"};
}  // namespace
