#include "RWCollection.h"

#include <algorithm>

#include "RWBinaryFile.h"
#include "RWIdentitySet.h"
#include "RWObjectProtocol.h"
#include "RWUnwindGuard.h"

namespace {

constexpr unsigned long maxNestedComparisons = 1ul << 16;
thread_local unsigned comparisonDepth = 0;
thread_local unsigned long comparisonsStarted = 0;

}  // namespace

RWClassID CollectionBase::classId() const {
  return id;
}

std::uint32_t CollectionBase::storeSize() const {
  std::uint32_t size = 4;
  apply([](RWCollectable* element,
           void* total) { *static_cast<std::uint32_t*>(total) += recursiveStoreSize(element); },
        &size);
  return size;
}

void CollectionBase::saveFields(RWBinaryFile& file) const {
  file.write(static_cast<std::uint32_t>(entryCount()));
  struct Writer {
    RWBinaryFile& file;
    bool failed;
  } writer{file, false};
  apply(
      [](RWCollectable* element, void* state) {
        auto& w = *static_cast<Writer*>(state);
        if (w.failed) return;
        writeObject(w.file, element);
        w.failed = w.file.error();
      },
      &writer);
}

void CollectionBase::restoreFields(RWBinaryFile& file) {
  clear();
  std::uint32_t count = 0;
  if (!file.read(count)) return;
  prepareToRead(count, file);
  for (std::uint32_t i = 0; i < count; ++i) {
    RWCollectable* element = nullptr;
    {
      const RWUnwindGuard keepRead([&] {
        if (element) insert(element);
      });
      readObject(file, &element);
    }
    const bool fileEnded = file.eof() || file.error();
    if (element || (acceptsNil() && !fileEnded)) insert(element);
    if (fileEnded) return;
  }
}

void CollectionBase::prepareToRead(std::uint32_t count, RWBinaryFile& file) {
  // The shortest element record is a class identifier of an object without fields.
  constexpr std::uint64_t shortestRecord = sizeof(RWClassID);
  reserveForInsertions(
      static_cast<std::size_t>(std::min<std::uint64_t>(count, file.bytesLeft() / shortestRecord)));
}

void CollectionBase::clearAndDestroy() {
  destroyDistinctElements();
}

void CollectionBase::destroyDistinctElements() {
  const std::size_t buckets = entryCount() / 4;
  RWIdentitySet distinct(buckets ? buckets : 2);
  apply(
      [](RWCollectable* element, void* set) { static_cast<RWIdentitySet*>(set)->insert(element); },
      &distinct);
  distinct.remove(this);  // a collection that holds itself is emptied, not destroyed
  distinct.apply([](RWCollectable* element, void*) { delete element; }, nullptr);
  distinct.clear();
  clear();
}

bool CollectionBase::contains(const RWCollectable* item) const {
  return find(item) != nullptr;
}

bool CollectionBase::isEmpty() const {
  return entryCount() == 0;
}

void CollectionBase::removeAndDestroy(const RWCollectable* item) {
  delete remove(item);
}

CollectionBase::ComparisonScope::ComparisonScope() {
  if (comparisonDepth++ == 0) comparisonsStarted = 0;
  allowed_ = comparisonDepth <= maxNestingDepth && ++comparisonsStarted <= maxNestedComparisons;
}

CollectionBase::ComparisonScope::~ComparisonScope() {
  --comparisonDepth;
}
