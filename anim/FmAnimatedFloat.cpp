#include "FmAnimatedFloat.h"

#include "RWBinaryFile.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"

FmAnimatedFloat::FmAnimatedFloat(const FmAnimatedFloat& other)
    : RWCollectable(other),
      interpolate_(other.interpolate_),
      value_(other.value_),
      keys_(KeyList::copyOf(other.keys_)) {}

FmAnimatedFloat& FmAnimatedFloat::operator=(const FmAnimatedFloat& other) {
  if (this == &other) return *this;
  interpolate_ = other.interpolate_;
  value_ = other.value_;
  clearKeys();
  keys_ = KeyList::copyOf(other.keys_);
  return *this;
}

FmAnimatedFloat::~FmAnimatedFloat() {
  KeyList::destroy(keys_);
}

RWCollectable* FmAnimatedFloat::newInstance() const {
  return new FmAnimatedFloat;
}

RWCollectable* FmAnimatedFloat::clone() const {
  return new FmAnimatedFloat(*this);
}

RWClassID FmAnimatedFloat::classId() const {
  return id;
}

std::uint32_t FmAnimatedFloat::storeSize() const {
  return 8 + recursiveStoreSize(keys_);
}

void FmAnimatedFloat::restoreFields(RWBinaryFile& file) {
  clearKeys();
  std::int32_t stored = 0;
  file.read(stored);
  file.read(value_);
  KeyList::restore(file, keys_);
}

void FmAnimatedFloat::saveFields(RWBinaryFile& file) const {
  file.write(version);
  file.write(value_);
  writeObject(file, keys_);
}

int FmAnimatedFloat::formatVersion() const {
  return version;
}

int FmAnimatedFloat::compact() {
  if (!keys_) return 0;
  keys_->resize(keys_->entryCount());
  return 1;
}

void FmAnimatedFloat::setInterpolate(int interpolate) {
  interpolate_ = interpolate;
}

bool FmAnimatedFloat::hasKeys() const {
  return keys_ != nullptr;
}

void FmAnimatedFloat::clearKeys() {
  KeyList::destroy(keys_);
}

float FmAnimatedFloat::duration() const {
  return keys_ && !keys_->isEmpty() ? keys_->lastTime() : 0;
}

int FmAnimatedFloat::addKey(float value, float time) {
  if (!keys_) keys_ = new KeyList;
  if (!keys_->isEmpty() && keys_->keyAt(keys_->entryCount() - 1)->value == value) return 0;
  return keys_->insert(new FmFloatKey(value, time)) != nullptr;
}

void FmAnimatedFloat::evaluate(float time, int loop) {
  if (!keys_) return;
  const auto span = keys_->span(time, loop);
  if (span.to && interpolate_) {
    value_ = span.from->value + span.fraction * (span.to->value - span.from->value);
  } else if (span.from) {
    value_ = span.from->value;
  }
}

namespace {
const RWClassRegistration registration{createDefault<FmAnimatedFloat>, FmAnimatedFloat::id,
                                       "FmAnimatedFloat"};
}  // namespace
