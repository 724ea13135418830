#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"
#include "RWOrdered.h"
#include "RWUnwindGuard.h"

// Whether the next record in the file starts a new object rather than referring to
// one read before (nil included).
bool startsNewRecord(RWBinaryFile& file);

// An ordered collection that reads only elements of class T (and nil), stored as a
// plain ordered collection. It remembers which elements its last reading created
// rather than found by reference: only those can belong to whoever reads the list,
// as the others were read as part of another object's record.
template <class T>
class FmTypedList : public RWOrdered {
public:
  explicit FmTypedList(std::size_t capacity = defaultCapacity) : RWOrdered(capacity) {}

  // Raises RWInternalErr [TYPE] for an element of another class; the elements read
  // so far stay listed.
  void restoreFields(RWBinaryFile& file) override {
    clear();
    created_.clear();
    std::uint32_t count = 0;
    if (!file.read(count)) return;
    prepareToRead(count, file);
    for (std::uint32_t i = 0; i < count; ++i) {
      const bool isNew = startsNewRecord(file);
      T* element = nullptr;
      {
        const RWUnwindGuard keepRead([&] {
          if (element) append(element);
        });
        readObject(file, &element);
      }
      const bool fileEnded = file.eof() || file.error();
      if (element || !fileEnded) append(element);
      if (element && isNew) created_.push_back(element);
      if (fileEnded) return;
    }
  }
  using RWOrdered::restoreFields;

  // The element with the index, or nil when there is none.
  T* at(std::size_t index) const {
    return index < entryCount() ? static_cast<T*>(elementAt(index)) : nullptr;
  }
  // The elements that the last reading created, in the order read.
  const std::vector<RWCollectable*>& created() const { return created_; }
  void forgetCreated() { created_.clear(); }

private:
  std::vector<RWCollectable*> created_;
};
