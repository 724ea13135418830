#include "RWHashTable.h"

#include <cstdint>
#include <utility>

#include "RWFactory.h"

RWHashTable::RWHashTable(std::size_t buckets) : buckets_(buckets ? buckets : 2) {}

RWHashTable::RWHashTable(const RWHashTable& other) : CollectionBase(other) {
  copyBucketsOf(other);
}

RWHashTable& RWHashTable::operator=(const RWHashTable& other) {
  if (this != &other) copyBucketsOf(other);
  return *this;
}

RWHashTable::~RWHashTable() = default;

// Copies the buckets list by list: a copy has the same bucket count, so every
// element keeps its bucket, whatever hashing the copy's class uses.
void RWHashTable::copyBucketsOf(const RWHashTable& other) {
  std::vector<std::unique_ptr<RWSlistCollectables>> copy(other.buckets());
  for (std::size_t i = 0; i < copy.size(); ++i) {
    if (other.buckets_[i]) copy[i] = std::make_unique<RWSlistCollectables>(*other.buckets_[i]);
  }
  buckets_ = std::move(copy);
  count_ = other.count_;
}

RWCollectable* RWHashTable::newInstance() const {
  return new RWHashTable;
}

RWCollectable* RWHashTable::clone() const {
  return new RWHashTable(*this);
}

RWClassID RWHashTable::classId() const {
  return id;
}

bool RWHashTable::equals(const RWCollectable* other) const {
  if (other == this) return true;
  if (!other || other->classId() != classId()) return false;
  const auto* table = dynamic_cast<const RWHashTable*>(other);
  if (!table || table->count_ != count_) return false;
  const ComparisonScope scope;
  if (!scope.allowed()) return false;
  struct Check {
    const RWHashTable& mine;
    const RWHashTable& theirs;
    bool holds;
  } check{*this, *table, true};
  apply(
      [](RWCollectable* element, void* state) {
        auto& c = *static_cast<Check*>(state);
        if (c.holds) c.holds = c.theirs.occurrencesOf(element) >= c.mine.occurrencesOf(element);
      },
      &check);
  return check.holds;
}

std::size_t RWHashTable::bucketOf(const RWCollectable* item) const {
  return item->hashValue() % buckets_.size();
}

bool RWHashTable::matches(const RWCollectable* element, const RWCollectable* item) const {
  return element->equals(item);
}

void RWHashTable::apply(RWapplyCollectable function, void* userValue) const {
  for (const auto& bucket : buckets_) {
    if (bucket) bucket->apply(function, userValue);
  }
}

void RWHashTable::clear() {
  for (auto& bucket : buckets_) bucket.reset();
  count_ = 0;
}

bool RWHashTable::findMatch(const RWCollectable* item, RWCollectable*& match) const {
  if (!admits(item)) return false;
  const RWSlistCollectables* bucket = buckets_[bucketOf(item)].get();
  if (!bucket) return false;
  bool found = false;
  match = bucket->findIf([this, item, &found](const RWCollectable* element) {
    found = matches(element, item);
    return found;
  });
  return found;
}

RWCollectable* RWHashTable::find(const RWCollectable* item) const {
  RWCollectable* match = nullptr;
  findMatch(item, match);
  return match;
}

RWCollectable* RWHashTable::insert(RWCollectable* item) {
  return insertNew(item);
}

RWCollectable* RWHashTable::insertNew(RWCollectable* item) {
  if (!admits(item)) return nullptr;
  auto& bucket = buckets_[bucketOf(item)];
  if (!bucket) bucket = std::make_unique<RWSlistCollectables>();
  bucket->append(item);
  ++count_;
  return item;
}

std::size_t RWHashTable::occurrencesOf(const RWCollectable* item) const {
  if (!admits(item)) return 0;
  const RWSlistCollectables* bucket = buckets_[bucketOf(item)].get();
  if (!bucket) return 0;
  struct Count {
    const RWHashTable& table;
    const RWCollectable* item;
    std::size_t occurrences;
  } count{*this, item, 0};
  bucket->apply(
      [](RWCollectable* element, void* state) {
        auto& c = *static_cast<Count*>(state);
        if (c.table.matches(element, c.item)) ++c.occurrences;
      },
      &count);
  return count.occurrences;
}

RWCollectable* RWHashTable::remove(const RWCollectable* item) {
  if (!admits(item)) return nullptr;
  RWSlistCollectables* bucket = buckets_[bucketOf(item)].get();
  if (!bucket) return nullptr;
  RWCollectable* removed = nullptr;
  if (bucket->removeFirst(
          [this, item](const RWCollectable* element) { return matches(element, item); }, removed)) {
    --count_;
  }
  return removed;
}

void RWHashTable::reserveForInsertions(std::size_t count) {
  if (count > SIZE_MAX - count_) return;
  const std::size_t expected = count_ + count;
  if (expected > buckets_.size()) resize(expected);
}

void RWHashTable::resize(std::size_t n) {
  if (n == 0) n = count_ > 11 ? count_ * 3 / 2 : 16;
  std::vector<std::unique_ptr<RWSlistCollectables>> old(n);
  std::swap(old, buckets_);
  count_ = 0;
  for (auto& bucket : old) {
    if (!bucket) continue;
    while (!bucket->isEmpty()) insert(bucket->get());
  }
}

namespace {
const RWClassRegistration registration{createDefault<RWHashTable>, RWHashTable::id, "RWHashTable"};
}  // namespace
