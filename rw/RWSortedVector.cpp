#include "RWSortedVector.h"

#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"

namespace {

[[noreturn]] void raiseNotAllowed() {
  rwRaise<RWInternalErr>(RWMessages::notAllowed);
}

}  // namespace

RWCollectable* RWSortedVector::newInstance() const {
  return new RWSortedVector;
}

RWCollectable* RWSortedVector::clone() const {
  return new RWSortedVector(*this);
}

RWClassID RWSortedVector::classId() const {
  return id;
}

std::size_t RWSortedVector::search(const RWCollectable* item, bool& found) const {
  found = false;
  const std::size_t count = entryCount();
  if (count == 0) return 0;
  std::size_t lo = 0;
  std::size_t hi = count - 1;
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    const int c = elementAt(mid)->compare(item);
    if (c == 0) {
      found = true;
      return mid;
    }
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid == 0 ? 0 : mid - 1;
    }
  }
  found = elementAt(lo)->compare(item) == 0;
  return lo;
}

RWCollectable* RWSortedVector::insert(RWCollectable* item) {
  if (!item) return nullptr;  // nil has no place in compare order
  bool found = false;
  std::size_t i = search(item, found);
  const std::size_t count = entryCount();
  if (found) {
    while (i < count && elementAt(i)->compare(item) == 0) ++i;
  } else {
    while (i < count && elementAt(i)->compare(item) < 0) ++i;
  }
  return insertIntoVector(i, item);
}

std::size_t RWSortedVector::indexOf(const RWCollectable* item) const {
  if (!item) return RW_NPOS;
  bool found = false;
  std::size_t i = search(item, found);
  if (!found) return RW_NPOS;
  while (i > 0 && elementAt(i - 1)->compare(item) == 0) --i;
  return i;
}

std::size_t RWSortedVector::occurrencesOf(const RWCollectable* item) const {
  std::size_t i = indexOf(item);
  if (i == RW_NPOS) return 0;
  std::size_t run = 0;
  for (; i < entryCount() && elementAt(i)->compare(item) == 0; ++i) ++run;
  return run;
}

RWCollectable* RWSortedVector::append(RWCollectable*) {
  raiseNotAllowed();
}

RWCollectable*& RWSortedVector::elementRefAt(std::size_t) {
  raiseNotAllowed();
}

RWCollectable* RWSortedVector::insertAt(std::size_t, RWCollectable*) {
  raiseNotAllowed();
}

RWCollectable* RWSortedVector::prepend(RWCollectable*) {
  raiseNotAllowed();
}

RWCollectable* RWSortedVector::insertAfter(std::size_t, RWCollectable*) {
  raiseNotAllowed();
}

namespace {
const RWClassRegistration registration{createDefault<RWSortedVector>, RWSortedVector::id,
                                       "RWSortedVector"};
}  // namespace
