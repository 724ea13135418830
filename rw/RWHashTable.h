#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "RWCollection.h"
#include "RWSlistCollectables.h"

// A hashed collection: an element lives in the bucket hashValue() modulo the
// bucket count; buckets are made on first use. Duplicates are allowed.
class RWHashTable : public CollectionBase {
public:
  static constexpr RWClassID id = 0x805E;

  explicit RWHashTable(std::size_t buckets = defaultBuckets);
  RWHashTable(const RWHashTable& other);
  RWHashTable& operator=(const RWHashTable& other);
  ~RWHashTable() override;

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
  // Moves every element into n buckets; n = 0 picks count × 3 / 2 above 11
  // elements, else 16.
  virtual void resize(std::size_t n = 0);

  std::size_t buckets() const { return buckets_.size(); }

protected:
  virtual std::size_t bucketOf(const RWCollectable* item) const;
  virtual bool matches(const RWCollectable* element, const RWCollectable* item) const;
  // Whether the item can be hashed: nil cannot, unless hashing is by identity.
  virtual bool admits(const RWCollectable* item) const { return item != nullptr; }
  bool acceptsNil() const override { return admits(nullptr); }
  // At least as many buckets as elements, so that each insertion searches a short
  // bucket.
  void reserveForInsertions(std::size_t count) override;

  // Looks for an element matching the item; true with the element in match.
  bool findMatch(const RWCollectable* item, RWCollectable*& match) const;
  // Appends to the item's bucket without looking for an equal element.
  RWCollectable* insertNew(RWCollectable* item);

private:
  void copyBucketsOf(const RWHashTable& other);

  std::vector<std::unique_ptr<RWSlistCollectables>> buckets_;
  std::size_t count_ = 0;
};
