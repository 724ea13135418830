#pragma once

#include <cstddef>

#include "RWCollection.h"

// A singly linked list of collectable pointers; the hashed collections use one
// per bucket. Elements are found with equals.
class RWSlistCollectables : public CollectionBase {
public:
  static constexpr RWClassID id = 0x8033;

  RWSlistCollectables() = default;
  RWSlistCollectables(const RWSlistCollectables& other);
  RWSlistCollectables& operator=(const RWSlistCollectables& other);
  ~RWSlistCollectables() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  bool equals(const RWCollectable* other) const override;

  void apply(RWapplyCollectable function, void* userValue) const override;
  void clear() override;
  std::size_t entryCount() const override { return count_; }
  RWCollectable* find(const RWCollectable* item) const override;
  RWCollectable* insert(RWCollectable* item) override;  // appends
  std::size_t occurrencesOf(const RWCollectable* item) const override;
  RWCollectable* remove(const RWCollectable* item) override;

  RWCollectable* append(RWCollectable* item);
  RWCollectable* prepend(RWCollectable* item);
  RWCollectable* first() const;
  RWCollectable* last() const;
  // Removes and returns the first element, or nil when empty.
  RWCollectable* get();

  // The first element for which the predicate holds, and its removal.
  template <class Predicate>
  RWCollectable* findIf(Predicate matches) const {
    for (const Link* link = head_; link; link = link->next) {
      if (matches(link->element)) return link->element;
    }
    return nullptr;
  }
  template <class Predicate>
  RWCollectable* removeIf(Predicate matches) {
    RWCollectable* removed = nullptr;
    removeFirst(matches, removed);
    return removed;
  }
  // Takes the first matching element out into removed; false when none matches. A
  // nil element that matches is found too, although removed then stays nil.
  template <class Predicate>
  bool removeFirst(Predicate matches, RWCollectable*& removed) {
    for (Link** slot = &head_; *slot; slot = &(*slot)->next) {
      if (matches((*slot)->element)) {
        removed = unlink(slot);
        return true;
      }
    }
    return false;
  }

private:
  struct Link {
    RWCollectable* element;
    Link* next;
  };
  RWCollectable* unlink(Link** slot);

  Link* head_ = nullptr;
  Link* tail_ = nullptr;
  std::size_t count_ = 0;
};
