#pragma once

#include <cstdint>

class RWBinaryFile;
class RWvistream;
class RWvostream;

using RWClassID = std::uint16_t;

// Class identifier of "no class": what looking up an unregistered name gives.
inline constexpr RWClassID noClassId = 0x8000;

// The base of every persistent object. Its virtual operations keep a fixed order,
// which every persistent class keeps before adding its own.
class RWCollectable {
public:
  static constexpr RWClassID id = 0x8007;

  RWCollectable() = default;
  RWCollectable(const RWCollectable&) = default;
  RWCollectable& operator=(const RWCollectable&) = default;

  virtual RWCollectable* newInstance() const;
  virtual RWCollectable* clone() const;
  virtual RWClassID classId() const;
  virtual ~RWCollectable();
  // Bytes of the object's own fields in a file, the base classes' included.
  virtual std::uint32_t storeSize() const;
  virtual int compare(const RWCollectable* other) const;
  virtual unsigned hashValue() const;
  virtual bool equals(const RWCollectable* other) const;
  // The virtual-stream pair follows the file pair's field order; no stream class
  // exists yet, so nothing calls them.
  virtual void restoreFields(RWvistream& stream);
  virtual void restoreFields(RWBinaryFile& file);
  virtual void saveFields(RWvostream& stream) const;
  virtual void saveFields(RWBinaryFile& file) const;
  virtual int formatVersion() const;
};

// The identity hash of an address: its low 32 bits a, as a XOR (a >> 3).
unsigned identityHash(const void* address);
