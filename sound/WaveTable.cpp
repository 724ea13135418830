#include "WaveTable.h"

#include <algorithm>
#include <utility>

#include "RWErrors.h"
#include "RWMessages.h"

WaveTable::WaveTable() {
  reallocate(initialCapacity);
}

WaveTable::WaveTable(const WaveTable& other) {
  reallocate(other.capacity_);
  std::copy_n(other.entries_.get(), other.count_, entries_.get());
  count_ = other.count_;
}

WaveTable& WaveTable::operator=(const WaveTable& other) {
  if (this != &other) {
    WaveTable copy(other);
    std::swap(entries_, copy.entries_);
    std::swap(count_, copy.count_);
    std::swap(capacity_, copy.capacity_);
  }
  return *this;
}

WaveTable::~WaveTable() = default;

int WaveTable::indexOf(const WaveEntry& entry) const {
  for (std::size_t i = 0; i < count_; ++i) {
    if (entries_[i] == entry) return static_cast<int>(i);
  }
  return -1;
}

void WaveTable::append(const WaveEntry& entry) {
  if (count_ == capacity_) {
    const WaveEntry copy = entry;  // the entry may live in this table
    reallocate(count_ + growthStep);
    entries_[count_++] = copy;
    return;
  }
  entries_[count_++] = entry;
}

std::size_t WaveTable::occurrencesOf(const WaveEntry& entry) const {
  return static_cast<std::size_t>(std::count(entries_.get(), entries_.get() + count_, entry));
}

bool WaveTable::remove(const WaveEntry& entry) {
  const int index = indexOf(entry);
  if (index < 0) return false;
  removeAt(static_cast<std::size_t>(index));
  return true;
}

std::size_t WaveTable::removeAll(const WaveEntry& entry) {
  const WaveEntry match = entry;  // the entry may live in this table
  WaveEntry* const begin = entries_.get();
  WaveEntry* const kept = std::remove(begin, begin + count_, match);
  const auto removed = static_cast<std::size_t>(begin + count_ - kept);
  std::fill(kept, begin + count_, WaveEntry{});
  count_ -= removed;
  return removed;
}

WaveEntry& WaveTable::operator[](std::size_t index) {
  boundsCheck(index);
  return entries_[index];
}

const WaveEntry& WaveTable::operator[](std::size_t index) const {
  boundsCheck(index);
  return entries_[index];
}

void WaveTable::boundsCheck(std::size_t index) const {
  if (index < count_) return;
  rwRaise<RWBoundsErr>(RWMessages::indexError, static_cast<unsigned>(index),
                       static_cast<unsigned>(count_));
}

void WaveTable::reallocate(std::size_t capacity) {
  std::unique_ptr<WaveEntry[]> resized(new WaveEntry[capacity]);
  std::move(entries_.get(), entries_.get() + count_, resized.get());
  entries_ = std::move(resized);
  capacity_ = capacity;
}

void WaveTable::removeAt(std::size_t index) {
  std::move(entries_.get() + index + 1, entries_.get() + count_, entries_.get() + index);
  entries_[--count_] = WaveEntry{};
}
