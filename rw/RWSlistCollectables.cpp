#include "RWSlistCollectables.h"

#include "RWFactory.h"

namespace {

bool sameElement(const RWCollectable* element, const RWCollectable* item) {
  return element ? element->equals(item) : item == nullptr;
}

}  // namespace

RWSlistCollectables::RWSlistCollectables(const RWSlistCollectables& other) : CollectionBase(other) {
  for (const Link* link = other.head_; link; link = link->next) append(link->element);
}

RWSlistCollectables& RWSlistCollectables::operator=(const RWSlistCollectables& other) {
  if (this != &other) {
    clear();
    for (const Link* link = other.head_; link; link = link->next) append(link->element);
  }
  return *this;
}

RWSlistCollectables::~RWSlistCollectables() {
  clear();
}

RWCollectable* RWSlistCollectables::newInstance() const {
  return new RWSlistCollectables;
}

RWCollectable* RWSlistCollectables::clone() const {
  return new RWSlistCollectables(*this);
}

RWClassID RWSlistCollectables::classId() const {
  return id;
}

bool RWSlistCollectables::equals(const RWCollectable* other) const {
  if (other == this) return true;
  if (!other || other->classId() != classId()) return false;
  const auto* list = dynamic_cast<const RWSlistCollectables*>(other);
  if (!list || list->count_ != count_) return false;
  const ComparisonScope scope;
  if (!scope.allowed()) return false;
  for (const Link *a = head_, *b = list->head_; a; a = a->next, b = b->next) {
    if (!sameElement(a->element, b->element)) return false;
  }
  return true;
}

void RWSlistCollectables::apply(RWapplyCollectable function, void* userValue) const {
  for (const Link* link = head_; link; link = link->next) function(link->element, userValue);
}

void RWSlistCollectables::clear() {
  while (head_) {
    Link* next = head_->next;
    delete head_;
    head_ = next;
  }
  tail_ = nullptr;
  count_ = 0;
}

RWCollectable* RWSlistCollectables::find(const RWCollectable* item) const {
  return findIf([item](const RWCollectable* element) { return sameElement(element, item); });
}

RWCollectable* RWSlistCollectables::insert(RWCollectable* item) {
  return append(item);
}

std::size_t RWSlistCollectables::occurrencesOf(const RWCollectable* item) const {
  std::size_t occurrences = 0;
  for (const Link* link = head_; link; link = link->next) {
    if (sameElement(link->element, item)) ++occurrences;
  }
  return occurrences;
}

RWCollectable* RWSlistCollectables::remove(const RWCollectable* item) {
  return removeIf([item](const RWCollectable* element) { return sameElement(element, item); });
}

RWCollectable* RWSlistCollectables::append(RWCollectable* item) {
  Link* link = new Link{item, nullptr};
  (tail_ ? tail_->next : head_) = link;
  tail_ = link;
  ++count_;
  return item;
}

RWCollectable* RWSlistCollectables::prepend(RWCollectable* item) {
  head_ = new Link{item, head_};
  if (!tail_) tail_ = head_;
  ++count_;
  return item;
}

RWCollectable* RWSlistCollectables::first() const {
  return head_ ? head_->element : nullptr;
}

RWCollectable* RWSlistCollectables::last() const {
  return tail_ ? tail_->element : nullptr;
}

RWCollectable* RWSlistCollectables::get() {
  return head_ ? unlink(&head_) : nullptr;
}

RWCollectable* RWSlistCollectables::unlink(Link** slot) {
  Link* link = *slot;
  *slot = link->next;
  if (tail_ == link) {
    tail_ = nullptr;
    for (Link* l = head_; l; l = l->next) tail_ = l;
  }
  RWCollectable* element = link->element;
  delete link;
  --count_;
  return element;
}

namespace {
const RWClassRegistration registration{createDefault<RWSlistCollectables>, RWSlistCollectables::id,
                                       "RWSlistCollectables"};
}  // namespace
