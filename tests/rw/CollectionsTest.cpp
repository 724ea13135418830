#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RWFactory.h"
#include "RWHashTable.h"
#include "RWIdentitySet.h"
#include "RWObjectProtocol.h"
#include "RWOrdered.h"
#include "RWSet.h"
#include "RWSlistCollectables.h"
#include "RWSortedVector.h"
#include "RWTestSupport.h"
#include "TempFile.h"

namespace {

// Owns a batch of Valued objects for a test; the collections only point at them.
class Pool {
public:
  Valued* make(std::int32_t value) {
    objects_.push_back(std::make_unique<Valued>(value));
    return objects_.back().get();
  }

private:
  std::vector<std::unique_ptr<Valued>> objects_;
};

std::vector<std::int32_t> valuesOf(const RWOrdered& list) {
  std::vector<std::int32_t> values;
  for (std::size_t i = 0; i < list.entryCount(); ++i) {
    values.push_back(static_cast<const Valued*>(list.elementAt(i))->value());
  }
  return values;
}

std::vector<RWCollectable*> elementsOf(const CollectionBase& collection) {
  std::vector<RWCollectable*> elements;
  collection.apply(
      [](RWCollectable* element, void* out) {
        static_cast<std::vector<RWCollectable*>*>(out)->push_back(element);
      },
      &elements);
  return elements;
}

const std::string notAllowed = "[NOTALLOW] Function not allowed for derived class";

}  // namespace

// ---- RWOrdered --------------------------------------------------------------

TEST(RWOrdered, GrowsByAFixedStepWhenFull) {
  Pool pool;
  RWOrdered list(3);
  for (int i = 0; i < 3; ++i) list.insert(pool.make(i));
  EXPECT_EQ(list.capacity(), 3u);
  list.insert(pool.make(3));
  EXPECT_EQ(list.capacity(), 67u);
  EXPECT_EQ(valuesOf(list), (std::vector<std::int32_t>{0, 1, 2, 3}));

  RWOrdered empty(0);
  empty.insert(pool.make(4));
  EXPECT_EQ(empty.capacity(), 64u);
  EXPECT_EQ(RWOrdered().capacity(), defaultCapacity);
}

TEST(RWOrdered, InsertAtAllowsTheEndAndNothingBeyond) {
  Pool pool;
  RWOrdered list;
  list.insert(pool.make(1));
  list.insert(pool.make(3));
  list.insertAt(1, pool.make(2));
  list.insertAt(list.entryCount(), pool.make(4));
  list.prepend(pool.make(0));
  list.insertAfter(4, pool.make(5));
  EXPECT_EQ(valuesOf(list), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5}));

  Valued extra(9);
  EXPECT_EQ(errorText<RWBoundsErr>([&] { list.insertAt(7, &extra); }), indexErrorText(7, 6));
  EXPECT_EQ(errorText<RWBoundsErr>([&] { list.insertAt(RW_NPOS, &extra); }), nposErrorText);
  EXPECT_EQ(list.entryCount(), 6u);
}

TEST(RWOrdered, IndexingIsBoundsChecked) {
  Pool pool;
  RWOrdered list;
  for (int i = 0; i < 3; ++i) list.insert(pool.make(i));
  EXPECT_EQ(errorText<RWBoundsErr>([&] { list.elementAt(5); }), indexErrorText(5, 3));
  EXPECT_EQ(errorText<RWBoundsErr>([&] { list.elementAt(3); }), indexErrorText(3, 3));
  EXPECT_EQ(errorText<RWBoundsErr>([&] { list.elementAt(RW_NPOS); }), nposErrorText);
  EXPECT_EQ(errorText<RWBoundsErr>([&] { list[RW_NPOS]; }), nposErrorText);
  EXPECT_EQ(errorText<RWBoundsErr>([&] { list.removeAt(3); }), indexErrorText(3, 3));
  EXPECT_EQ(errorText<RWBoundsErr>([&] { list.elementRefAt(3); }), indexErrorText(3, 3));

  Valued replacement(7);
  list.elementRefAt(1) = &replacement;
  EXPECT_EQ(list[1], &replacement);
}

TEST(RWOrdered, FindsAndRemovesByEquals) {
  Pool pool;
  RWOrdered list;
  Valued* first2 = pool.make(2);
  list.insert(pool.make(1));
  list.insert(first2);
  list.insert(nullptr);
  list.insert(pool.make(2));
  list.insert(pool.make(3));

  const Valued probe(2);
  EXPECT_EQ(list.indexOf(&probe), 1u);
  EXPECT_EQ(list.find(&probe), first2);
  EXPECT_TRUE(list.contains(&probe));
  EXPECT_EQ(list.occurrencesOf(&probe), 2u);
  EXPECT_EQ(list.indexOf(nullptr), 2u);
  const Valued absent(8);
  EXPECT_EQ(list.indexOf(&absent), RW_NPOS);
  EXPECT_EQ(list.find(&absent), nullptr);
  EXPECT_FALSE(list.contains(&absent));
  EXPECT_EQ(list.occurrencesOf(&absent), 0u);
  EXPECT_EQ(list.remove(&absent), nullptr);

  EXPECT_EQ(list.remove(&probe), first2);
  EXPECT_EQ(list.entryCount(), 4u);
  EXPECT_EQ(list.indexOf(&probe), 2u);
  const Valued one(1);
  EXPECT_TRUE(list.removeAt(0)->equals(&one));
  EXPECT_EQ(list.first(), nullptr);
  EXPECT_EQ(static_cast<Valued*>(list.last())->value(), 3);
}

TEST(RWOrdered, RemoveAndDestroyDestroysTheRemovedElement) {
  int destroyed = 0;
  RWOrdered list;
  list.insert(new Valued(1, &destroyed));
  auto* kept = new Valued(2, &destroyed);
  list.insert(kept);
  const Valued probe(1);
  list.removeAndDestroy(&probe);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(list.entryCount(), 1u);
  list.removeAndDestroy(&probe);
  EXPECT_EQ(destroyed, 1);
  list.clearAndDestroy();
  EXPECT_EQ(destroyed, 2);
}

TEST(RWOrdered, FirstAndLastOfAnEmptyListAreNil) {
  RWOrdered list;
  EXPECT_TRUE(list.isEmpty());
  EXPECT_EQ(list.first(), nullptr);
  EXPECT_EQ(list.last(), nullptr);
}

TEST(RWOrdered, ClearShrinksALargeVectorToTheDefault) {
  Pool pool;
  RWOrdered list;
  for (int i = 0; i < 200; ++i) list.insert(pool.make(i));
  EXPECT_GE(list.capacity(), 200u);
  list.clear();
  EXPECT_TRUE(list.isEmpty());
  EXPECT_EQ(list.capacity(), defaultCapacity);
  list.insert(pool.make(1));
  EXPECT_EQ(list.entryCount(), 1u);

  RWOrdered small(3);
  small.insert(pool.make(1));
  small.clear();
  EXPECT_EQ(small.capacity(), 3u);
}

TEST(RWOrdered, ResizeTrimsToTheCountButNeverBelowIt) {
  Pool pool;
  RWOrdered list;
  for (int i = 0; i < 5; ++i) list.insert(pool.make(i));
  list.resize(2);
  EXPECT_EQ(list.capacity(), defaultCapacity);
  list.resize(5);
  EXPECT_EQ(list.capacity(), 5u);
  EXPECT_EQ(valuesOf(list), (std::vector<std::int32_t>{0, 1, 2, 3, 4}));
  list.insert(pool.make(5));
  EXPECT_EQ(list.capacity(), 69u);
  EXPECT_EQ(valuesOf(list), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5}));
}

TEST(RWOrdered, ClearAndDestroyDestroysEachObjectOnce) {
  int destroyedA = 0;
  int destroyedB = 0;
  RWOrdered list;
  auto* a = new Valued(1, &destroyedA);
  list.insert(a);
  list.insert(nullptr);
  list.insert(new Valued(2, &destroyedB));
  list.insert(a);
  list.clearAndDestroy();
  EXPECT_EQ(destroyedA, 1);
  EXPECT_EQ(destroyedB, 1);
  EXPECT_TRUE(list.isEmpty());
}

TEST(RWOrdered, CopySharesElementsButNotTheVector) {
  Pool pool;
  RWOrdered list;
  list.insert(pool.make(1));
  list.insert(pool.make(2));
  RWOrdered copy(list);
  EXPECT_EQ(copy.elementAt(0), list.elementAt(0));
  copy.insert(pool.make(3));
  copy.removeAt(0);
  EXPECT_EQ(valuesOf(list), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(valuesOf(copy), (std::vector<std::int32_t>{2, 3}));

  std::unique_ptr<RWCollectable> clone(list.clone());
  EXPECT_EQ(clone->classId(), RWOrdered::id);
  EXPECT_TRUE(clone->equals(&list));
  std::unique_ptr<RWCollectable> fresh(list.newInstance());
  auto* freshList = dynamic_cast<RWOrdered*>(fresh.get());
  ASSERT_NE(freshList, nullptr);
  EXPECT_TRUE(freshList->isEmpty());

  RWOrdered assigned;
  assigned = list;
  list.removeAt(0);
  EXPECT_EQ(valuesOf(assigned), (std::vector<std::int32_t>{1, 2}));
}

TEST(RWOrdered, EqualsComparesClassCountAndElementsInOrder) {
  Pool pool;
  RWOrdered a, b;
  a.insert(pool.make(1));
  a.insert(nullptr);
  a.insert(pool.make(2));
  b.insert(pool.make(1));
  b.insert(nullptr);
  b.insert(pool.make(2));
  EXPECT_TRUE(a.equals(&b));
  EXPECT_TRUE(b.equals(&a));

  RWOrdered reversed;
  reversed.insert(pool.make(2));
  reversed.insert(nullptr);
  reversed.insert(pool.make(1));
  EXPECT_FALSE(a.equals(&reversed));

  RWOrdered shorter;
  shorter.insert(pool.make(1));
  EXPECT_FALSE(a.equals(&shorter));
  EXPECT_FALSE(shorter.equals(&a));

  RWSortedVector sorted;
  RWOrdered empty;
  EXPECT_FALSE(empty.equals(&sorted));
  EXPECT_FALSE(sorted.equals(&empty));
  EXPECT_FALSE(empty.equals(nullptr));
  const RWOrdered otherEmpty(5);
  EXPECT_TRUE(empty.equals(&otherEmpty));
}

TEST(RWOrdered, ApplyVisitsInIndexOrder) {
  Pool pool;
  RWOrdered list;
  for (int i : {4, 1, 3}) list.insert(pool.make(i));
  std::vector<RWCollectable*> visited = elementsOf(list);
  ASSERT_EQ(visited.size(), 3u);
  for (std::size_t i = 0; i < visited.size(); ++i) EXPECT_EQ(visited[i], list.elementAt(i));
}

// ---- RWSortedVector -----------------------------------------------------------

TEST(RWSortedVector, EqualElementsGoAfterThoseAlreadyThere) {
  Pool pool;
  RWSortedVector sorted;
  Valued* firstFive = pool.make(5);
  Valued* secondFive = pool.make(5);
  sorted.insert(firstFive);
  sorted.insert(pool.make(3));
  sorted.insert(secondFive);
  sorted.insert(pool.make(4));
  EXPECT_EQ(valuesOf(sorted), (std::vector<std::int32_t>{3, 4, 5, 5}));
  EXPECT_EQ(sorted.elementAt(2), firstFive);
  EXPECT_EQ(sorted.elementAt(3), secondFive);

  const Valued five(5);
  EXPECT_EQ(sorted.indexOf(&five), 2u);
  EXPECT_EQ(sorted.find(&five), firstFive);
  EXPECT_EQ(sorted.occurrencesOf(&five), 2u);
  const Valued six(6);
  EXPECT_EQ(sorted.indexOf(&six), RW_NPOS);
  EXPECT_EQ(sorted.occurrencesOf(&six), 0u);
  EXPECT_EQ(sorted.remove(&five), firstFive);
  EXPECT_EQ(sorted.find(&five), secondFive);
}

TEST(RWSortedVector, StaysSortedAndStableOverManyInsertions) {
  // Values from a small range, so that most of them repeat; the element's
  // insertion order is its position in the pool.
  Pool pool;
  RWSortedVector sorted;
  std::vector<Valued*> inserted;
  std::uint32_t state = 12345;
  for (int i = 0; i < 300; ++i) {
    state = state * 1103515245u + 12345u;
    Valued* element = pool.make(static_cast<std::int32_t>((state >> 16) % 23));
    inserted.push_back(element);
    sorted.insert(element);
  }
  ASSERT_EQ(sorted.entryCount(), inserted.size());
  auto orderOf = [&](const RWCollectable* element) {
    for (std::size_t i = 0; i < inserted.size(); ++i) {
      if (inserted[i] == element) return i;
    }
    return RW_NPOS;
  };
  for (std::size_t i = 1; i < sorted.entryCount(); ++i) {
    const auto* before = static_cast<const Valued*>(sorted.elementAt(i - 1));
    const auto* after = static_cast<const Valued*>(sorted.elementAt(i));
    ASSERT_LE(before->value(), after->value()) << "at " << i;
    if (before->value() == after->value()) {
      EXPECT_LT(orderOf(before), orderOf(after)) << "at " << i;
    }
  }
  for (std::int32_t value = 0; value < 24; ++value) {
    const Valued probe(value);
    std::size_t firstIndex = RW_NPOS;
    std::size_t occurrences = 0;
    for (std::size_t i = 0; i < sorted.entryCount(); ++i) {
      if (static_cast<const Valued*>(sorted.elementAt(i))->value() != value) continue;
      if (firstIndex == RW_NPOS) firstIndex = i;
      ++occurrences;
    }
    EXPECT_EQ(sorted.indexOf(&probe), firstIndex) << value;
    EXPECT_EQ(sorted.occurrencesOf(&probe), occurrences) << value;
  }
}

TEST(RWSortedVector, PositionalInsertionIsNotAllowed) {
  Pool pool;
  RWSortedVector sorted;
  sorted.insert(pool.make(1));
  sorted.insert(pool.make(2));
  Valued extra(0);
  EXPECT_EQ(errorText<RWInternalErr>([&] { sorted.append(&extra); }), notAllowed);
  EXPECT_EQ(errorText<RWInternalErr>([&] { sorted.insertAt(0, &extra); }), notAllowed);
  EXPECT_EQ(errorText<RWInternalErr>([&] { sorted.prepend(&extra); }), notAllowed);
  EXPECT_EQ(errorText<RWInternalErr>([&] { sorted.insertAfter(0, &extra); }), notAllowed);
  EXPECT_EQ(errorText<RWInternalErr>([&] { sorted.elementRefAt(0); }), notAllowed);
  // Through the base class too.
  SequenceBase& sequence = sorted;
  EXPECT_EQ(errorText<RWInternalErr>([&] { sequence.append(&extra); }), notAllowed);
  EXPECT_EQ(valuesOf(sorted), (std::vector<std::int32_t>{1, 2}));
}

TEST(RWSortedVector, ClearAndDestroyDestroysEachObjectOnce) {
  int destroyed = 0;
  RWSortedVector sorted;
  auto* element = new Valued(1, &destroyed);
  sorted.insert(element);
  sorted.insert(element);
  sorted.clearAndDestroy();
  EXPECT_EQ(destroyed, 1);
  EXPECT_TRUE(sorted.isEmpty());
}

TEST(RWSortedVector, CopiesAreSortedVectors) {
  Pool pool;
  RWSortedVector sorted;
  sorted.insert(pool.make(2));
  sorted.insert(pool.make(1));
  std::unique_ptr<RWCollectable> clone(sorted.clone());
  EXPECT_EQ(clone->classId(), RWSortedVector::id);
  EXPECT_TRUE(clone->equals(&sorted));
  std::unique_ptr<RWCollectable> fresh(sorted.newInstance());
  EXPECT_EQ(fresh->classId(), RWSortedVector::id);
}

// ---- hashed collections -------------------------------------------------------

TEST(RWHashedCollections, DuplicatesAreKeptOrDroppedByTheirEquality) {
  Valued a(1), b(1), c(2);

  RWHashTable table;
  EXPECT_EQ(table.insert(&a), &a);
  EXPECT_EQ(table.insert(&b), &b);
  EXPECT_EQ(table.insert(&a), &a);
  EXPECT_EQ(table.entryCount(), 3u);
  EXPECT_EQ(table.occurrencesOf(&b), 3u);

  RWSet set;
  EXPECT_EQ(set.insert(&a), &a);
  EXPECT_EQ(set.insert(&b), &a);
  EXPECT_EQ(set.insert(&c), &c);
  EXPECT_EQ(set.entryCount(), 2u);
  EXPECT_EQ(set.find(&b), &a);

  RWIdentitySet identities;
  EXPECT_EQ(identities.insert(&a), &a);
  EXPECT_EQ(identities.insert(&b), &b);
  EXPECT_EQ(identities.insert(&a), &a);
  EXPECT_EQ(identities.entryCount(), 2u);
  const Valued probe(1);
  EXPECT_EQ(identities.find(&probe), nullptr);
  EXPECT_EQ(identities.find(&b), &b);
  EXPECT_EQ(identities.occurrencesOf(&a), 1u);
}

TEST(RWHashedCollections, RemoveTakesOneMatchingElement) {
  Valued a(1), b(1), c(2);
  RWHashTable table;
  table.insert(&a);
  table.insert(&b);
  table.insert(&c);
  const Valued probe(1);
  RWCollectable* removed = table.remove(&probe);
  EXPECT_TRUE(removed == &a || removed == &b);
  EXPECT_EQ(table.entryCount(), 2u);
  EXPECT_EQ(table.occurrencesOf(&probe), 1u);
  EXPECT_NE(table.remove(&probe), nullptr);
  EXPECT_EQ(table.remove(&probe), nullptr);
  EXPECT_FALSE(table.contains(&probe));
  EXPECT_TRUE(table.contains(&c));
  EXPECT_EQ(table.entryCount(), 1u);

  RWIdentitySet identities;
  identities.insert(&a);
  identities.insert(&b);
  EXPECT_EQ(identities.remove(&probe), nullptr);
  EXPECT_EQ(identities.remove(&b), &b);
  EXPECT_EQ(identities.entryCount(), 1u);
}

TEST(RWHashedCollections, ResizeKeepsEveryElementFindable) {
  Pool pool;
  RWSet set(4);
  std::vector<Valued*> elements;
  for (int i = 0; i < 100; ++i) elements.push_back(static_cast<Valued*>(set.insert(pool.make(i))));
  for (std::size_t n : {7u, 1u, 0u, 64u}) {
    set.resize(n);
    EXPECT_EQ(set.entryCount(), 100u);
    for (Valued* element : elements) {
      const Valued probe(element->value());
      EXPECT_EQ(set.find(&probe), element) << "after resize(" << n << ")";
    }
  }
  set.resize(0);
  EXPECT_EQ(set.buckets(), 150u);

  RWHashTable few;
  few.insert(pool.make(1));
  few.resize();
  EXPECT_EQ(few.buckets(), 16u);

  RWIdentitySet identities(0);
  EXPECT_EQ(identities.buckets(), 2u);
  for (Valued* element : elements) identities.insert(element);
  identities.resize(13);
  for (Valued* element : elements) EXPECT_TRUE(identities.contains(element));
}

TEST(RWHashedCollections, ClearAndDestroyDestroysEachObjectOnce) {
  int destroyed = 0;
  RWHashTable table;
  auto* element = new Valued(1, &destroyed);
  table.insert(element);
  table.insert(element);
  table.insert(new Valued(1, &destroyed));
  table.clearAndDestroy();
  EXPECT_EQ(destroyed, 2);
  EXPECT_TRUE(table.isEmpty());

  destroyed = 0;
  RWSet set;
  set.insert(new Valued(1, &destroyed));
  set.insert(new Valued(2, &destroyed));
  set.clearAndDestroy();
  EXPECT_EQ(destroyed, 2);
  EXPECT_TRUE(set.isEmpty());
  EXPECT_TRUE(elementsOf(set).empty());
}

TEST(RWHashedCollections, NilIsAnElementOfAnIdentitySetOnly) {
  RWIdentitySet identities;
  identities.insert(nullptr);
  EXPECT_EQ(identities.entryCount(), 1u);
  identities.insert(nullptr);
  EXPECT_EQ(identities.entryCount(), 1u);

  RWSet set;
  set.insert(nullptr);
  EXPECT_EQ(set.entryCount(), 0u);
  EXPECT_EQ(set.find(nullptr), nullptr);
}

TEST(RWHashedCollections, RemovingNilFromAnIdentitySetCountsIt) {
  Valued a(1);
  RWIdentitySet identities;
  identities.insert(nullptr);
  identities.insert(&a);
  EXPECT_EQ(identities.remove(nullptr), nullptr);
  EXPECT_EQ(identities.entryCount(), 1u);
  EXPECT_EQ(identities.occurrencesOf(nullptr), 0u);
  EXPECT_EQ(identities.remove(nullptr), nullptr);
  EXPECT_EQ(identities.entryCount(), 1u);
  EXPECT_EQ(identities.remove(&a), &a);
  EXPECT_TRUE(identities.isEmpty());
}

TEST(RWHashedCollections, EqualsNeedsTheSameClassAndTheSameElements) {
  Valued a(1), b(2), c(3), otherA(1);
  RWSet first, second;
  first.insert(&a);
  first.insert(&b);
  second.insert(&b);
  second.insert(&otherA);
  EXPECT_TRUE(first.equals(&second));
  EXPECT_TRUE(second.equals(&first));
  second.insert(&c);
  EXPECT_FALSE(first.equals(&second));
  EXPECT_FALSE(second.equals(&first));

  RWSet grown(7);
  grown.insert(&a);
  grown.insert(&b);
  EXPECT_TRUE(first.equals(&grown));

  RWIdentitySet identities, sameIdentities, otherIdentities;
  identities.insert(&a);
  sameIdentities.insert(&a);
  otherIdentities.insert(&otherA);
  EXPECT_TRUE(identities.equals(&sameIdentities));
  EXPECT_FALSE(identities.equals(&otherIdentities));

  RWSet justA;
  justA.insert(&a);
  EXPECT_FALSE(justA.equals(&identities));
  EXPECT_FALSE(identities.equals(&justA));
  RWOrdered list;
  list.insert(&a);
  EXPECT_FALSE(justA.equals(&list));
}

TEST(RWHashedCollections, CopiesKeepElementsAndClass) {
  Valued a(1), b(2);
  RWIdentitySet identities(5);
  identities.insert(&a);
  identities.insert(&b);
  std::unique_ptr<RWCollectable> clone(identities.clone());
  EXPECT_EQ(clone->classId(), RWIdentitySet::id);
  auto* copy = dynamic_cast<RWIdentitySet*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->contains(&a));
  EXPECT_TRUE(copy->contains(&b));
  copy->remove(&a);
  EXPECT_TRUE(identities.contains(&a));

  RWSet set;
  set.insert(&a);
  RWSet assigned;
  assigned.insert(&b);
  assigned = set;
  EXPECT_EQ(assigned.entryCount(), 1u);
  EXPECT_TRUE(assigned.contains(&a));
  EXPECT_FALSE(assigned.contains(&b));
}

// ---- comparing nested collections ----------------------------------------------

namespace {

// Lists that each hold the previous one twice: element-wise comparison of two
// such towers meets every pair of their lists many times over.
class ListTower {
public:
  explicit ListTower(int levels, int copiesOfPrevious) {
    lists_.push_back(std::make_unique<RWOrdered>());
    for (int level = 1; level < levels; ++level) {
      auto list = std::make_unique<RWOrdered>();
      for (int copy = 0; copy < copiesOfPrevious; ++copy) list->insert(lists_.back().get());
      lists_.push_back(std::move(list));
    }
  }
  const RWOrdered* top() const { return lists_.back().get(); }

private:
  std::vector<std::unique_ptr<RWOrdered>> lists_;
};

}  // namespace

TEST(CollectionEquality, NestedCollectionsCompareElementWise) {
  const ListTower chain(300, 1), otherChain(300, 1);
  EXPECT_TRUE(chain.top()->equals(otherChain.top()));
  const ListTower tower(11, 2), otherTower(11, 2);
  EXPECT_TRUE(tower.top()->equals(otherTower.top()));
  const ListTower shorter(10, 2);
  EXPECT_FALSE(tower.top()->equals(shorter.top()));
}

TEST(CollectionEquality, CollectionsThatHoldThemselvesCompareWithoutEnd) {
  RWOrdered a, b;
  a.insert(&a);
  b.insert(&b);
  EXPECT_TRUE(a.equals(&a));
  EXPECT_FALSE(a.equals(&b));
  EXPECT_EQ(a.indexOf(&a), 0u);

  RWSlistCollectables c, d;
  c.insert(&c);
  d.insert(&d);
  EXPECT_TRUE(c.equals(&c));
  EXPECT_FALSE(c.equals(&d));

  // One bucket each, so that every element is compared with every other.
  RWSet x(1), y(1);
  x.insert(&x);
  x.insert(&y);
  y.insert(&x);
  y.insert(&y);
  EXPECT_TRUE(x.equals(&x));
  // Whatever the answer, it comes.
  (void)x.equals(&y);
  (void)y.find(&x);
}

TEST(CollectionEquality, ComparisonsGiveUpBeyondTheirBounds) {
  // Deeper than a file may nest its records.
  const ListTower chain(2 * maxNestingDepth, 1), otherChain(2 * maxNestingDepth, 1);
  EXPECT_FALSE(chain.top()->equals(otherChain.top()));
  // Far more nested comparisons than the tower has lists.
  const ListTower tower(64, 2), otherTower(64, 2);
  EXPECT_FALSE(tower.top()->equals(otherTower.top()));
  // The bounds hold per outermost comparison.
  const ListTower small(11, 2), otherSmall(11, 2);
  EXPECT_TRUE(small.top()->equals(otherSmall.top()));
}

TEST(CollectionCycles, ClearAndDestroyEmptiesACollectionThatHoldsItself) {
  int destroyed = 0;
  auto list = std::make_unique<RWOrdered>();
  list->insert(list.get());
  list->insert(new Valued(1, &destroyed));
  list->clearAndDestroy();
  EXPECT_EQ(destroyed, 1);
  EXPECT_TRUE(list->isEmpty());

  auto table = std::make_unique<RWHashTable>();
  table->insert(table.get());
  table->insert(new Valued(2, &destroyed));
  table->clearAndDestroy();
  EXPECT_EQ(destroyed, 2);
  EXPECT_TRUE(table->isEmpty());

  auto set = std::make_unique<RWSet>();
  set->insert(set.get());
  set->insert(new Valued(3, &destroyed));
  set->clearAndDestroy();
  EXPECT_EQ(destroyed, 3);
  EXPECT_TRUE(set->isEmpty());
}

// ---- RWSlistCollectables ------------------------------------------------------

TEST(RWSlistCollectables, KeepsOrderAndItsEnds) {
  Valued a(1), b(2), c(3);
  RWSlistCollectables list;
  EXPECT_EQ(list.first(), nullptr);
  EXPECT_EQ(list.get(), nullptr);
  list.append(&b);
  list.prepend(&a);
  list.insert(&c);
  EXPECT_EQ(elementsOf(list), (std::vector<RWCollectable*>{&a, &b, &c}));
  EXPECT_EQ(list.first(), &a);
  EXPECT_EQ(list.last(), &c);

  const Valued probe(3);
  EXPECT_EQ(list.remove(&probe), &c);
  EXPECT_EQ(list.last(), &b);
  list.append(&c);
  EXPECT_EQ(list.last(), &c);
  EXPECT_EQ(list.get(), &a);
  EXPECT_EQ(list.get(), &b);
  EXPECT_EQ(list.get(), &c);
  EXPECT_TRUE(list.isEmpty());
  EXPECT_EQ(list.last(), nullptr);
  list.append(&a);
  EXPECT_EQ(list.first(), &a);
  EXPECT_EQ(list.last(), &a);
}

TEST(RWSlistCollectables, FindsByEquals) {
  Valued a(1), b(2), otherA(1);
  RWSlistCollectables list;
  list.insert(&a);
  list.insert(nullptr);
  list.insert(&b);
  list.insert(&otherA);
  const Valued probe(1);
  EXPECT_EQ(list.find(&probe), &a);
  EXPECT_EQ(list.occurrencesOf(&probe), 2u);
  EXPECT_TRUE(list.contains(&b));
  EXPECT_EQ(list.occurrencesOf(nullptr), 1u);

  RWSlistCollectables copy(list);
  EXPECT_TRUE(copy.equals(&list));
  copy.remove(&b);
  EXPECT_FALSE(copy.equals(&list));
  EXPECT_EQ(list.entryCount(), 4u);
}

// ---- file form ------------------------------------------------------------------

TEST(CollectionFileForm, AnEmptyCollectionIsItsCountAlone) {
  TempFile path("empty");
  RWOrdered ordered;
  RWSortedVector sorted;
  RWHashTable table;
  RWSet set;
  RWIdentitySet identities;
  RWSlistCollectables slist;
  for (const CollectionBase* collection :
       std::vector<const CollectionBase*>{&ordered, &sorted, &table, &set, &identities, &slist}) {
    SCOPED_TRACE(collection->classId());
    EXPECT_EQ(collection->storeSize(), 4u);
    Bytes expected = magicBytes();
    put16(expected, collection->classId());
    put32(expected, 0);
    EXPECT_EQ(writtenBytes(path, collection), expected);
  }
}

TEST(CollectionFileForm, EveryKindRoundTrips) {
  RWClassRegistration registration(createDefault<Valued>, Valued::id, "Valued");
  TempFile path("kinds");
  Valued one(1), two(2), three(3), otherTwo(2);
  RWOrdered ordered;
  RWSortedVector sorted;
  RWHashTable table;
  RWSet set;
  RWIdentitySet identities;
  RWSlistCollectables slist;
  for (Valued* element : {&three, &one, &two, &otherTwo}) {
    ordered.insert(element);
    sorted.insert(element);
    table.insert(element);
    set.insert(element);
    identities.insert(element);
    slist.insert(element);
  }
  for (const CollectionBase* collection :
       std::vector<const CollectionBase*>{&ordered, &sorted, &table, &set, &identities, &slist}) {
    SCOPED_TRACE(collection->classId());
    const Bytes bytes = writtenBytes(path, collection);
    EXPECT_EQ(recursiveStoreSize(collection), bytes.size());
    RWBinaryFile file(path.c_str(), "rb");
    RWReadLog log;
    std::unique_ptr<RWCollectable> read(readObject(file));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->classId(), collection->classId());
    auto* readCollection = dynamic_cast<CollectionBase*>(read.get());
    ASSERT_NE(readCollection, nullptr);
    EXPECT_EQ(readCollection->entryCount(), collection->entryCount());
    // The objects read are new ones: an identity set holds none of the originals.
    if (collection->classId() != RWIdentitySet::id) {
      for (RWCollectable* element : elementsOf(*collection)) {
        EXPECT_EQ(readCollection->occurrencesOf(element), collection->occurrencesOf(element));
      }
      EXPECT_TRUE(read->equals(collection));
    }
    readCollection->clearAndDestroy();
  }
}

namespace {

// Counts how often it is asked to write its fields.
class CountedWriter : public RWCollectable {
public:
  explicit CountedWriter(int& writes) : writes_(writes) {}
  using RWCollectable::saveFields;
  void saveFields(RWBinaryFile&) const override { ++writes_; }

private:
  int& writes_;
};

}  // namespace

TEST(CollectionFileForm, WritingStopsAtTheFirstFailure) {
  int writes = 0;
  CountedWriter a(writes), b(writes), c(writes);
  RWOrdered list;
  list.insert(&a);
  list.insert(&b);
  list.insert(&c);
  TempFile path("readOnly");
  writtenBytes(path, &list);
  EXPECT_EQ(writes, 3);

  writes = 0;
  RWBinaryFile readOnly(path.c_str(), "rb");
  writeObject(readOnly, &list);
  EXPECT_TRUE(readOnly.error());
  EXPECT_EQ(writes, 1);
}

TEST(CollectionFileForm, ReadingClearsTheCollectionFirst) {
  RWClassRegistration registration(createDefault<Valued>, Valued::id, "Valued");
  Bytes bytes = magicBytes();
  put16(bytes, RWSortedVector::id);
  put32(bytes, 2);
  put16(bytes, Valued::id);
  put32(bytes, 8);
  put16(bytes, Valued::id);
  put32(bytes, 6);
  TempFile path("sorted");
  path.write(bytes);

  Valued stale(1);
  RWSortedVector sorted;
  sorted.insert(&stale);
  RWBinaryFile file(path.c_str(), "rb");
  RWReadLog log;
  EXPECT_EQ(readObject(file, &sorted), &sorted);
  EXPECT_EQ(valuesOf(sorted), (std::vector<std::int32_t>{6, 8}));
  log.destroyCreated();
}

namespace {

// A stored collection of `count` Valued elements 0, 1, 2, ... of the class.
Bytes storedValues(RWClassID collectionClass, std::int32_t count, std::int32_t storedCount) {
  Bytes bytes = magicBytes();
  put16(bytes, collectionClass);
  put32(bytes, static_cast<std::uint32_t>(storedCount));
  for (std::int32_t i = 0; i < count; ++i) {
    put16(bytes, Valued::id);
    put32(bytes, static_cast<std::uint32_t>(i));
  }
  return bytes;
}

}  // namespace

TEST(CollectionFileForm, ReadingLeavesTheCapacityThatInsertingWould) {
  RWClassRegistration registration(createDefault<Valued>, Valued::id, "Valued");
  for (const std::int32_t count : {0, 3, 64, 65, 200, 1000}) {
    SCOPED_TRACE(count);
    for (const RWClassID kind : {RWOrdered::id, RWSortedVector::id}) {
      RWBinaryFile file(storedValues(kind, count, count), "values");
      RWReadLog log;
      std::unique_ptr<RWCollectable> read(readObject(file));
      auto* list = dynamic_cast<RWOrdered*>(read.get());
      ASSERT_NE(list, nullptr);
      RWOrdered inserted;
      Valued element;
      for (std::int32_t i = 0; i < count; ++i) inserted.insert(&element);
      EXPECT_EQ(list->entryCount(), static_cast<std::size_t>(count));
      EXPECT_EQ(list->capacity(), inserted.capacity());
      for (std::int32_t i = 0; i < count; ++i) {
        ASSERT_EQ(static_cast<Valued*>(list->elementAt(static_cast<std::size_t>(i)))->value(), i);
      }
      list->clearAndDestroy();
    }
  }
}

TEST(CollectionFileForm, ALargeSetReadsEveryElementFindable) {
  RWClassRegistration registration(createDefault<Valued>, Valued::id, "Valued");
  constexpr std::int32_t count = 5000;
  RWBinaryFile file(storedValues(RWSet::id, count, count), "set");
  RWReadLog log;
  std::unique_ptr<RWCollectable> read(readObject(file));
  auto* set = dynamic_cast<RWSet*>(read.get());
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->entryCount(), static_cast<std::size_t>(count));
  EXPECT_GE(set->buckets(), static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const Valued probe(i);
    ASSERT_NE(set->find(&probe), nullptr) << i;
  }
  set->clearAndDestroy();
}

TEST(CollectionFileForm, ACountBeyondTheFileReservesNoMoreThanTheFileHolds) {
  RWClassRegistration registration(createDefault<Valued>, Valued::id, "Valued");
  // Four billion elements promised, three stored: the read takes the three and
  // reaches the end of the file without reserving room for the promise.
  for (const RWClassID kind : {RWOrdered::id, RWSet::id}) {
    RWBinaryFile file(storedValues(kind, 3, -1), "promise");
    RWReadLog log;
    std::unique_ptr<RWCollectable> read(readObject(file));
    auto* collection = dynamic_cast<CollectionBase*>(read.get());
    ASSERT_NE(collection, nullptr);
    EXPECT_EQ(collection->entryCount(), 3u);
    EXPECT_TRUE(file.eof());
    if (const auto* list = dynamic_cast<RWOrdered*>(collection)) {
      EXPECT_EQ(list->capacity(), defaultCapacity);
    }
    if (const auto* set = dynamic_cast<RWSet*>(collection)) {
      EXPECT_LE(set->buckets(), 64u);
    }
    collection->clearAndDestroy();
  }
}
