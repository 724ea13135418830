#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "RWCollection.h"

// An indexed list of collectable pointers in insertion order; nil elements are
// allowed. The vector grows by a fixed step of 64 slots.
class RWOrdered : public SequenceBase {
public:
  static constexpr RWClassID id = 0x8028;

  explicit RWOrdered(std::size_t capacity = defaultCapacity);
  RWOrdered(const RWOrdered& other);
  RWOrdered& operator=(const RWOrdered& other);
  ~RWOrdered() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  bool equals(const RWCollectable* other) const override;

  void apply(RWapplyCollectable function, void* userValue) const override;
  void clear() override;
  std::size_t entryCount() const override { return count_; }
  RWCollectable* find(const RWCollectable* item) const override;
  RWCollectable* insert(RWCollectable* item) override;
  std::size_t occurrencesOf(const RWCollectable* item) const override;
  RWCollectable* remove(const RWCollectable* item) override;

  RWCollectable* append(RWCollectable* item) override;
  RWCollectable* elementAt(std::size_t index) const override;
  RWCollectable*& elementRefAt(std::size_t index) override;
  RWCollectable* first() const override;
  std::size_t indexOf(const RWCollectable* item) const override;
  RWCollectable* insertAt(std::size_t index, RWCollectable* item) override;
  RWCollectable* last() const override;
  RWCollectable* prepend(RWCollectable* item) override;
  RWCollectable* insertAfter(std::size_t index, RWCollectable* item) override;

  RWCollectable* removeAt(std::size_t index);
  // Gives the vector exactly n slots; does nothing when n is below the count.
  void resize(std::size_t n);
  // Raises RWBoundsErr unless index is below the count.
  void boundsCheck(std::size_t index) const;
  std::size_t capacity() const { return capacity_; }
  RWCollectable* operator[](std::size_t index) const { return elementAt(index); }

protected:
  // Grows the vector at once to the capacity that as many insertions, one fixed
  // step at a time, would give it.
  void reserveForInsertions(std::size_t count) override;
  // The ordered vector's own insertion, whatever a derived class allows.
  RWCollectable* insertIntoVector(std::size_t index, RWCollectable* item);

private:
  std::size_t count_ = 0;
  std::size_t capacity_ = 0;
  std::unique_ptr<RWCollectable*[]> vector_;
};
