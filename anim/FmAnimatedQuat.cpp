#include "FmAnimatedQuat.h"

#include "RWBinaryFile.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"

FmAnimatedQuat::FmAnimatedQuat(const FmAnimatedQuat& other)
    : RWCollectable(other), value_(other.value_), keys_(KeyList::copyOf(other.keys_)) {}

FmAnimatedQuat& FmAnimatedQuat::operator=(const FmAnimatedQuat& other) {
  if (this == &other) return *this;
  value_ = other.value_;
  clearKeys();
  keys_ = KeyList::copyOf(other.keys_);
  return *this;
}

FmAnimatedQuat::~FmAnimatedQuat() {
  KeyList::destroy(keys_);
}

RWCollectable* FmAnimatedQuat::newInstance() const {
  return new FmAnimatedQuat;
}

RWCollectable* FmAnimatedQuat::clone() const {
  return new FmAnimatedQuat(*this);
}

RWClassID FmAnimatedQuat::classId() const {
  return id;
}

std::uint32_t FmAnimatedQuat::storeSize() const {
  return 4 + value_.storeSize() + recursiveStoreSize(keys_);
}

void FmAnimatedQuat::restoreFields(RWBinaryFile& file) {
  clearKeys();
  std::int32_t stored = 0;
  file.read(stored);
  value_.restoreFields(file);
  KeyList::restore(file, keys_);
}

void FmAnimatedQuat::saveFields(RWBinaryFile& file) const {
  file.write(version);
  value_.saveFields(file);
  writeObject(file, keys_);
}

int FmAnimatedQuat::formatVersion() const {
  return version;
}

int FmAnimatedQuat::compact() {
  if (!keys_) return 0;
  keys_->resize(keys_->entryCount());
  return 1;
}

bool FmAnimatedQuat::hasKeys() const {
  return keys_ != nullptr;
}

void FmAnimatedQuat::clearKeys() {
  KeyList::destroy(keys_);
}

float FmAnimatedQuat::duration() const {
  return keys_ && !keys_->isEmpty() ? keys_->lastTime() : 0;
}

void FmAnimatedQuat::evaluate(float time, int loop) {
  if (!keys_) return;
  const auto span = keys_->span(time, loop);
  if (span.beforeFirst) {
    value_ = FmQuat();
  } else if (span.to) {
    value_ = FmQuat::slerp(span.fraction, span.from->rotation, span.to->rotation);
  } else if (span.from) {
    value_ = span.from->rotation;
  }
}

void FmAnimatedQuat::rotateKeys(const FmQuat& q) {
  value_ = value_ * q;
  for (std::size_t i = 0; keys_ && i < keys_->entryCount(); ++i) {
    FmRotationKey* key = keys_->keyAt(i);
    key->rotation = key->rotation * q;
  }
}

int FmAnimatedQuat::addKey(const FmQuat& rotation, float time) {
  if (!keys_) keys_ = new KeyList;
  return keys_->insert(new FmRotationKey(rotation, time)) != nullptr;
}

void FmAnimatedQuat::alignKeys() {
  for (std::size_t i = 1; keys_ && i < keys_->entryCount(); ++i) {
    FmQuat& previous = keys_->keyAt(i - 1)->rotation;
    FmQuat& current = keys_->keyAt(i)->rotation;
    if (FmQuat::dot(previous, current) < 0) current = -current;
  }
}

namespace {
const RWClassRegistration registration{createDefault<FmAnimatedQuat>, FmAnimatedQuat::id,
                                       "FmAnimatedQuat"};
}  // namespace
