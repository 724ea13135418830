#include "RWFactory.h"

#include <mutex>

namespace {

// The creation lock guards the factory pointer; the factory lock is held for the
// whole of every registration and lookup.
constinit std::mutex creationLock;
constinit std::mutex factoryLock;
RWFactory* factory = nullptr;

RWFactory* currentFactory() {
  std::lock_guard guard(creationLock);
  return factory;
}

RWFactory& existingOrNewFactory() {
  std::lock_guard guard(creationLock);
  if (!factory) factory = new RWFactory;
  return *factory;
}

void destroyFactoryIfEmpty() {
  std::lock_guard guard(creationLock);
  if (factory && factory->isEmpty()) {
    delete factory;
    factory = nullptr;
  }
}

void insertOrDiscard(RWFactory& set, FactoryEntry* entry) {
  if (set.insert(entry) != entry) delete entry;
}

const FactoryEntry* lookup(const FactoryEntry& probe) {
  RWFactory* set = currentFactory();
  return set ? static_cast<const FactoryEntry*>(set->find(&probe)) : nullptr;
}

}  // namespace

FactoryEntry::FactoryEntry(RWUserCreator create, RWClassID classId, const RWCString& stringId)
    : create_(create), registeredId_(classId), stringId_(stringId) {}

RWClassID FactoryEntry::classId() const {
  return id;
}

unsigned FactoryEntry::hashValue() const {
  return registeredId_;
}

bool FactoryEntry::equals(const RWCollectable* other) const {
  if (!other || other->classId() != id) return false;
  return static_cast<const FactoryEntry*>(other)->registeredId_ == registeredId_;
}

RWClassID FactoryNameEntry::classId() const {
  return id;
}

unsigned FactoryNameEntry::hashValue() const {
  return stringId().hash();
}

bool FactoryNameEntry::equals(const RWCollectable* other) const {
  if (!other || other->classId() != id) return false;
  return static_cast<const FactoryNameEntry*>(other)->stringId() == stringId();
}

RWFactory::RWFactory() : RWSet(defaultBuckets) {}

RWFactory::~RWFactory() {
  clearAndDestroy();
}

void registerClass(RWUserCreator create, RWClassID classId, const RWCString& stringId) {
  std::lock_guard guard(factoryLock);
  RWFactory& set = existingOrNewFactory();
  insertOrDiscard(set, new FactoryEntry(create, classId, stringId));
  insertOrDiscard(set, new FactoryNameEntry(create, classId, stringId));
}

void unregisterClass(RWClassID classId) {
  std::lock_guard guard(factoryLock);
  RWFactory* set = currentFactory();
  if (!set) return;
  const FactoryEntry probe(nullptr, classId, RWCString());
  delete set->remove(&probe);
  destroyFactoryIfEmpty();
}

void unregisterName(const RWCString& stringId) {
  std::lock_guard guard(factoryLock);
  RWFactory* set = currentFactory();
  if (!set) return;
  const FactoryNameEntry probe(nullptr, noClassId, stringId);
  delete set->remove(&probe);
  destroyFactoryIfEmpty();
}

RWCollectable* createById(RWClassID classId) {
  const RWUserCreator create = creatorOf(classId);
  return create ? create() : nullptr;
}

RWUserCreator creatorOf(RWClassID classId) {
  std::lock_guard guard(factoryLock);
  const FactoryEntry* entry = lookup(FactoryEntry(nullptr, classId, RWCString()));
  return entry ? entry->create() : nullptr;
}

RWCollectable* createByName(const RWCString& stringId) {
  RWUserCreator create = nullptr;
  {
    std::lock_guard guard(factoryLock);
    if (const FactoryEntry* entry = lookup(FactoryNameEntry(nullptr, noClassId, stringId))) {
      create = entry->create();
    }
  }
  return create ? create() : nullptr;
}

RWCString stringIdOf(RWClassID classId) {
  std::lock_guard guard(factoryLock);
  const FactoryEntry* entry = lookup(FactoryEntry(nullptr, classId, RWCString()));
  return entry ? entry->stringId() : RWCString("NoID");
}

RWClassID classIdOf(const RWCString& stringId) {
  std::lock_guard guard(factoryLock);
  const FactoryEntry* entry = lookup(FactoryNameEntry(nullptr, noClassId, stringId));
  return entry ? entry->registeredId() : noClassId;
}

bool factoryExists() {
  return currentFactory() != nullptr;
}

RWClassRegistration::RWClassRegistration(RWUserCreator create, RWClassID classId, const char* name)
    : classId_(classId), name_(name) {
  registerClass(create, classId, name);
}

RWClassRegistration::~RWClassRegistration() {
  unregisterClass(classId_);
  unregisterName(name_);
}
