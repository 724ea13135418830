#include "RWOrdered.h"

#include <algorithm>
#include <cstdint>

#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"

RWOrdered::RWOrdered(std::size_t capacity)
    : capacity_(capacity), vector_(new RWCollectable*[capacity]()) {}

RWOrdered::RWOrdered(const RWOrdered& other)
    : SequenceBase(other),
      count_(other.count_),
      capacity_(other.capacity_),
      vector_(new RWCollectable*[other.capacity_]()) {
  std::copy_n(other.vector_.get(), other.count_, vector_.get());
}

RWOrdered& RWOrdered::operator=(const RWOrdered& other) {
  if (this != &other) {
    std::unique_ptr<RWCollectable*[]> copy(new RWCollectable*[other.capacity_]());
    std::copy_n(other.vector_.get(), other.count_, copy.get());
    vector_ = std::move(copy);
    count_ = other.count_;
    capacity_ = other.capacity_;
  }
  return *this;
}

RWOrdered::~RWOrdered() = default;

RWCollectable* RWOrdered::newInstance() const {
  return new RWOrdered;
}

RWCollectable* RWOrdered::clone() const {
  return new RWOrdered(*this);
}

RWClassID RWOrdered::classId() const {
  return id;
}

bool RWOrdered::equals(const RWCollectable* other) const {
  if (other == this) return true;
  if (!other || other->classId() != classId()) return false;
  const auto* list = dynamic_cast<const RWOrdered*>(other);
  if (!list || list->count_ != count_) return false;
  const ComparisonScope scope;
  if (!scope.allowed()) return false;
  for (std::size_t i = 0; i < count_; ++i) {
    const RWCollectable* mine = vector_[i];
    const RWCollectable* theirs = list->vector_[i];
    if (mine ? !mine->equals(theirs) : theirs != nullptr) return false;
  }
  return true;
}

void RWOrdered::apply(RWapplyCollectable function, void* userValue) const {
  for (std::size_t i = 0; i < count_; ++i) function(vector_[i], userValue);
}

void RWOrdered::clear() {
  count_ = 0;
  if (capacity_ > defaultCapacity) resize(defaultCapacity);
}

RWCollectable* RWOrdered::find(const RWCollectable* item) const {
  const std::size_t index = indexOf(item);
  return index == RW_NPOS ? nullptr : vector_[index];
}

RWCollectable* RWOrdered::insert(RWCollectable* item) {
  return insertAt(count_, item);
}

std::size_t RWOrdered::occurrencesOf(const RWCollectable* item) const {
  const std::size_t start = indexOf(item);
  if (start == RW_NPOS) return 0;
  std::size_t occurrences = 0;
  for (std::size_t i = start; i < count_; ++i) {
    if (vector_[i] && vector_[i]->equals(item)) ++occurrences;
  }
  return occurrences;
}

RWCollectable* RWOrdered::remove(const RWCollectable* item) {
  const std::size_t index = indexOf(item);
  return index == RW_NPOS ? nullptr : removeAt(index);
}

RWCollectable* RWOrdered::append(RWCollectable* item) {
  return insertAt(count_, item);
}

RWCollectable* RWOrdered::elementAt(std::size_t index) const {
  boundsCheck(index);
  return vector_[index];
}

RWCollectable*& RWOrdered::elementRefAt(std::size_t index) {
  boundsCheck(index);
  return vector_[index];
}

RWCollectable* RWOrdered::first() const {
  return count_ ? vector_[0] : nullptr;
}

std::size_t RWOrdered::indexOf(const RWCollectable* item) const {
  for (std::size_t i = 0; i < count_; ++i) {
    if (vector_[i] ? vector_[i]->equals(item) : item == nullptr) return i;
  }
  return RW_NPOS;
}

RWCollectable* RWOrdered::insertAt(std::size_t index, RWCollectable* item) {
  return insertIntoVector(index, item);
}

RWCollectable* RWOrdered::insertIntoVector(std::size_t index, RWCollectable* item) {
  if (index > count_) boundsCheck(index);
  if (count_ == capacity_) resize(capacity_ + resizeIncrement);
  std::copy_backward(vector_.get() + index, vector_.get() + count_, vector_.get() + count_ + 1);
  vector_[index] = item;
  ++count_;
  return item;
}

RWCollectable* RWOrdered::last() const {
  return count_ ? vector_[count_ - 1] : nullptr;
}

RWCollectable* RWOrdered::prepend(RWCollectable* item) {
  return insertAt(0, item);
}

RWCollectable* RWOrdered::insertAfter(std::size_t index, RWCollectable* item) {
  return insertAt(index + 1, item);
}

RWCollectable* RWOrdered::removeAt(std::size_t index) {
  boundsCheck(index);
  RWCollectable* taken = vector_[index];
  std::copy(vector_.get() + index + 1, vector_.get() + count_, vector_.get() + index);
  --count_;
  return taken;
}

void RWOrdered::resize(std::size_t n) {
  if (n < count_) return;
  std::unique_ptr<RWCollectable*[]> resized(new RWCollectable*[n]());
  std::copy_n(vector_.get(), std::min(n, capacity_), resized.get());
  vector_ = std::move(resized);
  capacity_ = n;
}

void RWOrdered::reserveForInsertions(std::size_t count) {
  if (count > SIZE_MAX - count_) return;
  const std::size_t needed = count_ + count;
  if (needed <= capacity_) return;
  const std::size_t steps = (needed - capacity_ + resizeIncrement - 1) / resizeIncrement;
  resize(capacity_ + steps * resizeIncrement);
}

void RWOrdered::boundsCheck(std::size_t index) const {
  if (index < count_) return;
  if (index == RW_NPOS) rwRaise<RWBoundsErr>(RWMessages::nposIndex);
  rwRaise<RWBoundsErr>(RWMessages::indexError, static_cast<unsigned>(index),
                       static_cast<unsigned>(count_));
}

namespace {
const RWClassRegistration registration{createDefault<RWOrdered>, RWOrdered::id, "RWOrdered"};
}  // namespace
