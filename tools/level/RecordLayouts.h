#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "RWCollectable.h"

// Which classes a reference or an element may hold: a name for messages and a test
// on the class identifier.
struct ClassKind {
  const char* name;
  bool (*accepts)(RWClassID id);
};

class RecordFields;

// The stored fields of one class, in file order, told to a RecordFields.
using RecordLayout = void (*)(RecordFields& fields);

// The fields of one record, visited in the order of the file. Reading a scene file
// takes each value from the bytes; building one takes it from the text form. Both
// run the same layout of each class, so that the two cannot drift apart. Every
// visit returns the value, so that a layout can follow what its class's reader
// does with it (versions, counts, flags).
class RecordFields {
public:
  virtual ~RecordFields() = default;

  // The record's unsigned 32-bit version; `written` is what the class writes today.
  virtual std::uint32_t version(std::uint32_t written) = 0;
  virtual std::int32_t int32(const char* name) = 0;
  virtual std::uint32_t uint32(const char* name) = 0;
  virtual float real(const char* name) = 0;
  // `count` floats without a count in the file (a point is three).
  virtual void reals(const char* name, std::size_t count) = 0;
  virtual void integers(const char* name, std::size_t count) = 0;
  // An unsigned 32-bit count of items, then `width` floats per item; the text
  // form holds the floats only.
  virtual void countedReals(const char* name, std::size_t width) = 0;
  // `count` bytes without a count; pixels travel as base64 text, other bytes as
  // numbers.
  virtual void bytes(const char* name, std::size_t count, bool asBase64) = 0;
  // A counted string.
  virtual void text(const char* name) = 0;
  // An object reference (nil allowed); for a collection, `elements` says what its
  // elements may be.
  virtual void reference(const char* name, const ClassKind& kind,
                         const ClassKind* elements = nullptr) = 0;
  // A member record: an object held by value, always a new record of its class.
  virtual void member(const char* name, RWClassID layout, const ClassKind* elements = nullptr) = 0;
  // A record stored in place: no framing, no number (a base class's record, or a
  // value's own record).
  virtual void inPlace(const char* name, RWClassID layout) = 0;
  // A collection's elements: a count, then one record per element.
  virtual void elements(const ClassKind& kind) = 0;
  // The level table, the shared objects and the level bodies of a scene file that
  // holds `levelCount` levels.
  virtual void levels(std::int32_t levelCount, RecordLayout body) = 0;
  // What the class's reader refuses: the record is not sound.
  [[noreturn]] virtual void refuse(const char* name, const std::string& why) = 0;
  // The vertex, texture-coordinate, normal and colour indices of the object's faces
  // lie within its arrays; checked where the whole text form is at hand.
  virtual void checkFaceIndices() = 0;
};

// The layout of a registered class, or nil for a class this tool does not know.
RecordLayout layoutOf(RWClassID id);

// The registered class with that string identifier, or 0.
RWClassID classNamed(const std::string& name);

// Every class with a layout, in identifier order.
std::vector<RWClassID> classesWithLayouts();

// What any object record may hold.
extern const ClassKind anyClass;
