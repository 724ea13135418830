#pragma once

#include <cstddef>
#include <memory>

#include "WaveEntry.h"

// A growable array of wave entries. It starts with room for ten and, when an
// append finds it full, grows to the count plus 64. Element access checks the
// index and raises RWBoundsErr [INDEXERR] at or beyond the count.
class WaveTable {
public:
  static constexpr std::size_t initialCapacity = 10;
  static constexpr std::size_t growthStep = 64;

  WaveTable();
  WaveTable(const WaveTable& other);
  WaveTable& operator=(const WaveTable& other);
  virtual ~WaveTable();

  // The index of the first entry equal to the given one, or -1.
  virtual int indexOf(const WaveEntry& entry) const;
  virtual void append(const WaveEntry& entry);
  virtual std::size_t occurrencesOf(const WaveEntry& entry) const;
  // Removes the first equal entry; true when there was one.
  virtual bool remove(const WaveEntry& entry);
  // Removes every equal entry, closing the gaps; returns how many went.
  virtual std::size_t removeAll(const WaveEntry& entry);

  WaveEntry& operator[](std::size_t index);
  const WaveEntry& operator[](std::size_t index) const;
  std::size_t entries() const { return count_; }
  std::size_t capacity() const { return capacity_; }

private:
  void boundsCheck(std::size_t index) const;
  void reallocate(std::size_t capacity);
  void removeAt(std::size_t index);

  std::unique_ptr<WaveEntry[]> entries_;
  std::size_t count_ = 0;
  std::size_t capacity_ = 0;
};
