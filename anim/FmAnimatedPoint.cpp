#include "FmAnimatedPoint.h"

#include "RWBinaryFile.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"

FmAnimatedPoint::FmAnimatedPoint(const FmAnimatedPoint& other)
    : RWCollectable(other), value_(other.value_), keys_(KeyList::copyOf(other.keys_)) {}

FmAnimatedPoint& FmAnimatedPoint::operator=(const FmAnimatedPoint& other) {
  if (this == &other) return *this;
  value_ = other.value_;
  clearKeys();
  keys_ = KeyList::copyOf(other.keys_);
  return *this;
}

FmAnimatedPoint::~FmAnimatedPoint() {
  KeyList::destroy(keys_);
}

RWCollectable* FmAnimatedPoint::newInstance() const {
  return new FmAnimatedPoint;
}

RWCollectable* FmAnimatedPoint::clone() const {
  return new FmAnimatedPoint(*this);
}

RWClassID FmAnimatedPoint::classId() const {
  return id;
}

std::uint32_t FmAnimatedPoint::storeSize() const {
  return 16 + recursiveStoreSize(keys_);
}

void FmAnimatedPoint::restoreFields(RWBinaryFile& file) {
  clearKeys();
  std::int32_t stored = 0;
  file.read(stored);
  value_.restoreFrom(file);
  KeyList::restore(file, keys_);
}

void FmAnimatedPoint::saveFields(RWBinaryFile& file) const {
  file.write(version);
  value_.saveOn(file);
  writeObject(file, keys_);
}

int FmAnimatedPoint::formatVersion() const {
  return version;
}

int FmAnimatedPoint::compact() {
  if (!keys_) return 0;
  keys_->resize(keys_->entryCount());
  return 1;
}

bool FmAnimatedPoint::hasKeys() const {
  return keys_ != nullptr;
}

void FmAnimatedPoint::clearKeys() {
  KeyList::destroy(keys_);
}

float FmAnimatedPoint::duration() const {
  return keys_ && !keys_->isEmpty() ? keys_->lastTime() : 0;
}

void FmAnimatedPoint::evaluate(float time, int loop) {
  if (!keys_) return;
  const auto span = keys_->span(time, loop);
  if (span.beforeFirst) {
    value_ = {};
  } else if (span.to) {
    value_ = span.from->position + (span.to->position - span.from->position) * span.fraction;
  } else if (span.from) {
    value_ = span.from->position;
  }
}

int FmAnimatedPoint::addKey(const FmPoint& position, float time) {
  if (!keys_) keys_ = new KeyList;
  return keys_->insert(new FmPositionKey(position, time)) != nullptr;
}

void FmAnimatedPoint::scaleKeys(const FmPoint& factors) {
  value_ = componentProduct(value_, factors);
  for (std::size_t i = 0; keys_ && i < keys_->entryCount(); ++i) {
    FmPositionKey* key = keys_->keyAt(i);
    key->position = componentProduct(key->position, factors);
  }
}

void FmAnimatedPoint::offsetKeys(const FmPoint& offset) {
  value_ = value_ + offset;
  for (std::size_t i = 0; keys_ && i < keys_->entryCount(); ++i) {
    FmPositionKey* key = keys_->keyAt(i);
    key->position = key->position + offset;
  }
}

namespace {
const RWClassRegistration registration{createDefault<FmAnimatedPoint>, FmAnimatedPoint::id,
                                       "FmAnimatedPoint"};
}  // namespace
