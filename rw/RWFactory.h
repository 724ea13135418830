#pragma once

#include "RWCString.h"
#include "RWCollectable.h"
#include "RWSet.h"

using RWUserCreator = RWCollectable* (*)();

// A factory registration found by class identifier.
class FactoryEntry : public RWCollectable {
public:
  static constexpr RWClassID id = 0x8062;

  FactoryEntry(RWUserCreator create, RWClassID classId, const RWCString& stringId);

  RWClassID classId() const override;
  unsigned hashValue() const override;
  bool equals(const RWCollectable* other) const override;

  RWUserCreator create() const { return create_; }
  RWClassID registeredId() const { return registeredId_; }
  const RWCString& stringId() const { return stringId_; }

private:
  RWUserCreator create_;
  RWClassID registeredId_;
  RWCString stringId_;
};

// A factory registration found by string identifier.
class FactoryNameEntry : public FactoryEntry {
public:
  static constexpr RWClassID id = 0x8063;

  using FactoryEntry::FactoryEntry;

  RWClassID classId() const override;
  unsigned hashValue() const override;
  bool equals(const RWCollectable* other) const override;
};

// The process-wide set of registrations; made by the first registerClass and
// destroyed when its last registration is removed.
class RWFactory : public RWSet {
public:
  RWFactory();
  ~RWFactory() override;
};

void registerClass(RWUserCreator create, RWClassID classId, const RWCString& stringId);
void unregisterClass(RWClassID classId);
void unregisterName(const RWCString& stringId);
// A new object of the registered class, or nil when none is registered.
RWCollectable* createById(RWClassID classId);
// The creator registered for the class, or nil: for a reader that makes many objects
// of one class and looks it up once.
RWUserCreator creatorOf(RWClassID classId);
RWCollectable* createByName(const RWCString& stringId);
// The registered string identifier, or "NoID".
RWCString stringIdOf(RWClassID classId);
// The registered class identifier, or noClassId (0x8000).
RWClassID classIdOf(const RWCString& stringId);
// Whether the process-wide factory exists at the moment.
bool factoryExists();

template <class T>
RWCollectable* createDefault() {
  return new T;
}

// Registers a class while the program starts and removes the registration while
// it ends: one static object of this type per persistent class.
class RWClassRegistration {
public:
  RWClassRegistration(RWUserCreator create, RWClassID classId, const char* name);
  ~RWClassRegistration();
  RWClassRegistration(const RWClassRegistration&) = delete;
  RWClassRegistration& operator=(const RWClassRegistration&) = delete;

private:
  RWClassID classId_;
  const char* name_;
};
