#pragma once

#include <cstddef>
#include <cstdint>

#include "RWCollectable.h"
#include "RWDefs.h"

using RWapplyCollectable = void (*)(RWCollectable* element, void* userValue);

// Process-wide sizes of the collections.
inline constexpr std::uint32_t defaultCapacity = 64;
inline constexpr std::uint32_t resizeIncrement = 64;
inline constexpr std::uint32_t defaultBuckets = 64;

// Abstract base of every collection of collectable pointers. Collections never
// copy or own their elements unless told to destroy them. The file form of every
// collection is its element count followed by one object record per element.
class CollectionBase : public RWCollectable {
public:
  static constexpr RWClassID id = 0x801D;

  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;

  virtual void apply(RWapplyCollectable function, void* userValue) const = 0;
  virtual void clear() = 0;
  virtual void clearAndDestroy();
  virtual bool contains(const RWCollectable* item) const;
  virtual std::size_t entryCount() const = 0;
  virtual RWCollectable* find(const RWCollectable* item) const = 0;
  virtual RWCollectable* insert(RWCollectable* item) = 0;
  virtual bool isEmpty() const;
  virtual std::size_t occurrencesOf(const RWCollectable* item) const = 0;
  virtual RWCollectable* remove(const RWCollectable* item) = 0;
  virtual void removeAndDestroy(const RWCollectable* item);

protected:
  // Whether a nil element read from a file may be inserted into this collection.
  virtual bool acceptsNil() const { return true; }
  // Before `count` elements are read from the file and inserted: lets the
  // collection make room for as many as the bytes left can hold at once.
  void prepareToRead(std::uint32_t count, RWBinaryFile& file);
  // Makes room for `count` more insertions at once, where growing step by step
  // would cost more than linear time. What the insertions themselves would leave
  // observable (a vector's capacity) stays as they would leave it.
  virtual void reserveForInsertions(std::size_t) {}
  // Destroys every element once, however often it occurs, then clears.
  void destroyDistinctElements();

  // Guards one element-wise comparison of two collections. Such comparisons nest
  // when the elements are collections themselves; one nested deeper than
  // maxNestingDepth, or started after the outermost comparison has started 65536
  // others, holds the two collections unequal. Collections that hold themselves,
  // or share other collections many times over, as a hostile file can make them,
  // are so compared in bounded time and stack.
  class ComparisonScope {
  public:
    ComparisonScope();
    ~ComparisonScope();
    ComparisonScope(const ComparisonScope&) = delete;
    ComparisonScope& operator=(const ComparisonScope&) = delete;

    // Whether the elements may be compared.
    bool allowed() const { return allowed_; }

  private:
    bool allowed_;
  };
};

// Abstract base of the indexed collections.
class SequenceBase : public CollectionBase {
public:
  virtual RWCollectable* append(RWCollectable* item) = 0;
  virtual RWCollectable* elementAt(std::size_t index) const = 0;
  virtual RWCollectable*& elementRefAt(std::size_t index) = 0;
  virtual RWCollectable* first() const = 0;
  virtual std::size_t indexOf(const RWCollectable* item) const = 0;
  virtual RWCollectable* insertAt(std::size_t index, RWCollectable* item) = 0;
  virtual RWCollectable* last() const = 0;
  virtual RWCollectable* prepend(RWCollectable* item) = 0;
  virtual RWCollectable* insertAfter(std::size_t index, RWCollectable* item) = 0;
};
