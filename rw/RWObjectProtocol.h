#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "RWCollectable.h"
#include "RWFactory.h"
#include "RWUnwindGuard.h"

class RWBinaryFile;

// The object protocol of scene files. The outermost write or read of a thread
// starts with the magic number 0x8888; every object reachable from the outermost
// one is written once and referred to by number afterwards, nil being number 0.
inline constexpr std::uint32_t fileMagic = 0x8888;
inline constexpr std::uint16_t referenceMarker = 0xFFFF;
inline constexpr std::uint16_t newStringIdMarker = 0x888F;
inline constexpr std::uint16_t knownStringIdMarker = 0x888E;
inline constexpr RWClassID firstStringIdClass = 0x9000;
inline constexpr RWClassID lastStringIdClass = 0xF000;
// How deeply object records may nest inside one another before reading refuses.
inline constexpr unsigned maxNestingDepth = 400;

// The plain collectable that stands for nil in files.
RWCollectable* nilObject();

void writeObject(RWBinaryFile& file, const RWCollectable* object);
// Reads one object record. With an existing object, a new-object record is read
// into that object instead of a created one. Gives nil at the end of the file.
RWCollectable* readObject(RWBinaryFile& file, RWCollectable* existing = nullptr);
// The bytes writeObject would take for the object.
std::uint32_t recursiveStoreSize(const RWCollectable* object);

// The number that the next object or string identifier of the current thread's
// write would receive; 0 when no write is in progress.
std::uint32_t writeTableMark();
// Forgets every object and string identifier that the current write numbered at
// or after the mark, so that what is written next is numbered from the mark again
// and written in full. A file may hold alternative sections of which a reader reads
// only one: each section is written after a rewind to the mark taken before the
// first. Nil (number 0) is never forgotten; nothing happens outside a write.
void rewindWriteTable(std::uint32_t mark);

namespace RWObjectProtocolDetail {
using ClassCheck = bool (*)(const RWCollectable* object);
void readObjectChecked(RWBinaryFile& file, RWCollectable*& pointer, ClassCheck accepts,
                       RWClassID expected);
}  // namespace RWObjectProtocolDetail

// Reads one object record into the pointer field that `field` points at, always
// creating a new object for a new-object record; the field's previous value is
// only checked against a reference. An object of a class other than T raises
// RWInternalErr [TYPE] rather than being handed to the field. When an error
// propagates, the field still receives the object created so far.
template <class T>
void readObject(RWBinaryFile& file, T** field) {
  RWCollectable* object = *field;
  const RWUnwindGuard handOver([&] { *field = static_cast<T*>(object); });
  RWObjectProtocolDetail::readObjectChecked(
      file, object,
      [](const RWCollectable* candidate) { return dynamic_cast<const T*>(candidate) != nullptr; },
      T::id);
  *field = static_cast<T*>(object);
}

// While alive, records every object that the reads of its thread enter in their
// reference tables, with its persistence number, so that a reader can list the
// objects of a file and release them, also after an error. An object destroyed
// while the log is alive (by an owner, or by a reader replacing it) leaves the log.
class RWReadLog {
public:
  struct Entry {
    std::uint32_t number;
    RWCollectable* object;
    bool created;  // false for an existing object that a record was read into
  };

  RWReadLog();
  ~RWReadLog();
  RWReadLog(const RWReadLog&) = delete;
  RWReadLog& operator=(const RWReadLog&) = delete;

  // The logged objects that still exist, in the order they were read.
  std::vector<Entry> entries() const;
  // Destroys every created object that still exists, once, and forgets them all.
  // An owner destroyed first takes its owned objects with it; they are skipped.
  void destroyCreated();

  static void record(std::uint32_t number, RWCollectable* object, bool created);
  static void forget(const RWCollectable* object);

private:
  bool alive(std::size_t index) const;
  std::vector<std::size_t> aliveIndices() const;

  std::vector<Entry> entries_;
  // When each destroyed object was forgotten: the entry count at the time. Only
  // entries made since then are alive. A level reads hundreds of thousands of
  // objects and destroys next to none, so only the destructions are hashed.
  std::unordered_map<const RWCollectable*, std::size_t> forgottenAt_;
  // The addresses between which the logged objects lie: a destroyed object outside
  // them (a temporary on the stack) was never logged.
  const RWCollectable* lowest_ = nullptr;
  const RWCollectable* highest_ = nullptr;
  RWReadLog* previous_;
};
