#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"
#include "RWSortedVector.h"

// Where a time falls among the keys of a list.
template <class Key>
struct FmKeySpan {
  bool beforeFirst = false;   // the time lies before the first key
  const Key* from = nullptr;  // null: no keys, or the time lies before them
  const Key* to = nullptr;    // null: the value is from's as it stands
  float fraction = 0;         // how far from `from` to `to` the time lies
};

// The time-sorted key collection of a track, stored as a plain sorted vector. The
// track that holds the list owns it and its keys. Reading accepts only keys of its
// own class that nothing else holds, so that no two owners can ever destroy one key.
template <class Key>
class FmKeyList : public RWSortedVector {
public:
  FmKeyList() = default;
  FmKeyList(const FmKeyList&) = delete;
  FmKeyList& operator=(const FmKeyList&) = delete;

  using RWSortedVector::restoreFields;
  void restoreFields(RWBinaryFile& file) override;

  Key* keyAt(std::size_t index) const { return static_cast<Key*>(elementAt(index)); }
  float lastTime() const { return keyAt(entryCount() - 1)->time; }
  FmKeySpan<Key> span(float time, int loop) const;

  // A list of its own holding a copy of every key of `list`; null for null.
  static FmKeyList* copyOf(const FmKeyList* list);
  // Destroys the keys and the list; the pointer becomes null.
  static void destroy(FmKeyList*& list);
  // Reads the list record that a track stores in place of its pointer: nil, or a
  // list of its own. A reference to a list that another object holds raises
  // RWInternalErr [REF]. The pointer, null on entry, holds whatever was read, also
  // when an error propagates.
  static void restore(RWBinaryFile& file, FmKeyList*& list);
};

template <class Key>
void FmKeyList<Key>::restoreFields(RWBinaryFile& file) {
  clear();
  std::uint32_t count = 0;
  if (!file.read(count)) return;
  prepareToRead(count, file);
  // A reference can never name `unheld`, so every key record must be a new one.
  Key unheld;
  for (std::uint32_t i = 0; i < count; ++i) {
    Key* key = &unheld;
    try {
      readObject(file, &key);
    } catch (...) {
      if (key != &unheld) insert(key);
      throw;
    }
    if (!key) return;
    insert(key);
  }
}

template <class Key>
FmKeySpan<Key> FmKeyList<Key>::span(float time, int loop) const {
  const std::size_t count = entryCount();
  if (count == 0) return {};
  if (loop && lastTime() != 0) time = std::fmod(time, lastTime());
  const Key* from = keyAt(0);
  if (from->time > time) return {.beforeFirst = true};
  const Key* to = nullptr;
  for (std::size_t i = 1; i < count; ++i) {
    to = keyAt(i);
    if (from->time <= time && time <= to->time) break;
    from = to;
  }
  if (!to || to->time - from->time == 0) return {.from = from};
  return {.from = from, .to = to, .fraction = (time - from->time) / (to->time - from->time)};
}

template <class Key>
FmKeyList<Key>* FmKeyList<Key>::copyOf(const FmKeyList* list) {
  if (!list) return nullptr;
  auto* copy = new FmKeyList;
  for (std::size_t i = 0; i < list->entryCount(); ++i) copy->insert(new Key(*list->keyAt(i)));
  return copy;
}

template <class Key>
void FmKeyList<Key>::destroy(FmKeyList*& list) {
  if (!list) return;
  list->clearAndDestroy();
  delete list;
  list = nullptr;
}

template <class Key>
void FmKeyList<Key>::restore(RWBinaryFile& file, FmKeyList*& list) {
  const std::uint64_t start = file.currentOffset();
  std::uint16_t marker = 0;
  const bool isReference = file.read(marker) && marker == referenceMarker;
  file.seekTo(start);
  if (isReference) {
    RWSortedVector* held = nullptr;
    readObject(file, &held);
    if (held) rwRaise<RWInternalErr>(RWMessages::badReference);
    return;
  }
  list = new FmKeyList;
  if (!readObject(file, list)) destroy(list);
}
