#include "RWObjectProtocol.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <typeinfo>

#include "RWBinaryFile.h"
#include "RWCString.h"
#include "RWErrors.h"
#include "RWMessages.h"
#include "RWSet.h"

RWCollectable* nilObject() {
  static RWCollectable* const nil = new RWCollectable;
  return nil;
}

namespace {

bool isStringIdClass(RWClassID c) {
  return c >= firstStringIdClass && c <= lastStringIdClass;
}

// ---- the write table ------------------------------------------------------

class ObjectRefEntry : public RWCollectable {
public:
  ObjectRefEntry(const RWCollectable* object, std::uint32_t number)
      : object_(object), number_(number) {}
  unsigned hashValue() const override { return identityHash(object_); }
  bool equals(const RWCollectable* other) const override {
    const auto* entry = dynamic_cast<const ObjectRefEntry*>(other);
    return entry && entry->object_ == object_;
  }
  std::uint32_t number() const { return number_; }

private:
  const RWCollectable* object_;
  std::uint32_t number_;
};

class NameRefEntry : public RWCollectable {
public:
  NameRefEntry(const RWCString& name, std::uint32_t number) : name_(name), number_(number) {}
  unsigned hashValue() const override { return name_.hash(); }
  bool equals(const RWCollectable* other) const override {
    const auto* entry = dynamic_cast<const NameRefEntry*>(other);
    return entry && entry->name_ == name_;
  }
  std::uint32_t number() const { return number_; }

private:
  RWCString name_;
  std::uint32_t number_;
};

constexpr std::size_t writeTableBuckets = 1024;

// Objects and string identifiers written so far in the outermost write, by number.
class WriteRefTable {
public:
  WriteRefTable() : entries_(writeTableBuckets) { add(nilObject()); }
  ~WriteRefTable() { entries_.clearAndDestroy(); }

  template <class Entry, class Key>
  std::optional<std::uint32_t> numberOf(const Key& key) const {
    const Entry probe(key, 0);
    const auto* found = static_cast<const Entry*>(entries_.find(&probe));
    if (!found) return std::nullopt;
    return found->number();
  }
  std::optional<std::uint32_t> numberOf(const RWCollectable* object) const {
    return numberOf<ObjectRefEntry>(object);
  }
  std::optional<std::uint32_t> numberOf(const RWCString& name) const {
    return numberOf<NameRefEntry>(name);
  }

  void add(const RWCollectable* object) { insert(new ObjectRefEntry(object, nextNumber())); }
  void add(const RWCString& name) { insert(new NameRefEntry(name, nextNumber())); }

  std::uint32_t nextNumber() const { return static_cast<std::uint32_t>(order_.size()); }
  // Removes the entries numbered at or after the number, newest first; nil stays.
  void rewind(std::uint32_t number) {
    const std::size_t keep = std::max<std::size_t>(number, 1);
    while (order_.size() > keep) {
      RWCollectable* entry = order_.back();
      order_.pop_back();
      entries_.remove(entry);
      delete entry;
    }
  }

private:
  void insert(RWCollectable* entry) {
    if (entries_.entryCount() > 2 * entries_.buckets()) {
      entries_.resize(nextCapacity(static_cast<std::uint32_t>(entries_.buckets()), 4));
    }
    if (entries_.insert(entry) == entry) order_.push_back(entry);
  }

  RWSet entries_;
  std::vector<RWCollectable*> order_;  // the entries by number
};

thread_local WriteRefTable* currentWriteTable = nullptr;

// The current thread's write table, made by the outermost call and released
// when that call ends, also by an error.
class WriteTableScope {
public:
  WriteTableScope() : outermost_(currentWriteTable == nullptr) {
    if (outermost_) currentWriteTable = new WriteRefTable;
  }
  ~WriteTableScope() {
    if (!outermost_) return;
    delete currentWriteTable;
    currentWriteTable = nullptr;
  }
  WriteTableScope(const WriteTableScope&) = delete;
  WriteTableScope& operator=(const WriteTableScope&) = delete;

  bool outermost() const { return outermost_; }
  WriteRefTable& table() const { return *currentWriteTable; }

private:
  bool outermost_;
};

// ---- the read table -------------------------------------------------------

constexpr std::uint32_t readTableCapacity = 30;

// Objects and string-identified classes read so far in the outermost read.
class ReadRefTable {
public:
  struct Entry {
    RWCollectable* object;  // nil for an entry that holds a class identifier
    RWClassID classId;
  };

  ReadRefTable() : capacity_(readTableCapacity) {
    entries_.reserve(capacity_);
    entries_.push_back({nilObject(), 0});
  }

  std::uint32_t count() const { return static_cast<std::uint32_t>(entries_.size()); }
  const Entry& operator[](std::uint32_t number) const { return entries_[number]; }

  void addObject(RWCollectable* object, bool created) {
    RWReadLog::record(count(), object, created);
    append({object, 0});
  }
  void addClassId(RWClassID classId) { append({nullptr, classId}); }

  // A new object of the registered class, or nil. A file holds long runs of objects
  // of one class (the faces of a mesh): the class's creator is looked up once a run.
  RWCollectable* create(RWClassID classId) {
    if (!lastCreator_ || classId != lastCreatedClass_) {
      lastCreator_ = creatorOf(classId);
      lastCreatedClass_ = classId;
    }
    return lastCreator_ ? lastCreator_() : nullptr;
  }
  // Whether the check accepts the object; the check's answer for the last class that
  // it accepted is kept, as it depends on nothing but the object's class.
  bool accepts(RWObjectProtocolDetail::ClassCheck check, const RWCollectable* object) {
    const std::type_info& type = typeid(*object);
    if (check == lastCheck_ && lastAccepted_ && type == *lastAccepted_) return true;
    if (!check(object)) return false;
    lastCheck_ = check;
    lastAccepted_ = &type;
    return true;
  }

  unsigned depth = 0;

private:
  void append(const Entry& entry) {
    if (entries_.size() == capacity_) {
      capacity_ = nextCapacity(capacity_, 4);
      entries_.reserve(capacity_);
    }
    entries_.push_back(entry);
  }

  std::vector<Entry> entries_;
  std::uint32_t capacity_;
  RWClassID lastCreatedClass_ = 0;
  RWUserCreator lastCreator_ = nullptr;
  RWObjectProtocolDetail::ClassCheck lastCheck_ = nullptr;
  const std::type_info* lastAccepted_ = nullptr;
};

thread_local ReadRefTable* currentReadTable = nullptr;

class ReadTableScope {
public:
  ReadTableScope() : outermost_(currentReadTable == nullptr) {
    if (outermost_) currentReadTable = new ReadRefTable;
    if (++table().depth > maxNestingDepth) {
      --table().depth;
      release();
      rwRaise<RWExternalErr>(RWMessages::nestingTooDeep, maxNestingDepth);
    }
  }
  ~ReadTableScope() {
    --table().depth;
    release();
  }
  ReadTableScope(const ReadTableScope&) = delete;
  ReadTableScope& operator=(const ReadTableScope&) = delete;

  bool outermost() const { return outermost_; }
  ReadRefTable& table() const { return *currentReadTable; }

private:
  void release() {
    if (!outermost_) return;
    delete currentReadTable;
    currentReadTable = nullptr;
  }

  bool outermost_;
};

[[noreturn]] void raiseBadReference() {
  rwRaise<RWInternalErr>(RWMessages::badReference);
}

// How a record is to be read: into an existing object, or into a new one that a
// field receives, with an optional check of the new object's class.
struct ReadRequest {
  RWCollectable* existing;       // read a new-object record into this object
  const RWCollectable* current;  // a reference must name this object, when given
  RWObjectProtocolDetail::ClassCheck accepts;
  RWClassID expected;
  RWCollectable** created;  // receives a created object before its fields are read
};

[[noreturn]] void raiseWrongClass(const RWCollectable* object, RWClassID expected) {
  const RWCString expectedName = stringIdOf(expected);
  const RWCString actualName = stringIdOf(object->classId());
  rwRaise<RWInternalErr>(RWMessages::wrongClass, actualName.data(),
                         static_cast<unsigned short>(object->classId()),
                         expectedName == "NoID" ? "another class" : expectedName.data());
}

RWCollectable* readRecord(RWBinaryFile& file, const ReadRequest& request) {
  ReadTableScope scope;
  ReadRefTable& table = scope.table();
  if (scope.outermost()) {
    std::uint32_t magic = 0;
    if (!file.read(magic)) return nullptr;
    if (magic != fileMagic) {
      rwRaise<RWExternalErr>(RWMessages::magic, static_cast<long>(magic),
                             static_cast<long>(fileMagic));
    }
  }

  std::uint16_t c = 0;
  if (!file.read(c)) return nullptr;

  if (c == referenceMarker) {
    std::uint32_t number = 0;
    if (!file.read(number)) return nullptr;
    if (number >= table.count() || !table[number].object) raiseBadReference();
    RWCollectable* object = table[number].object;
    if (request.current && object != request.current) raiseBadReference();
    if (object == nilObject()) return nullptr;
    if (request.accepts && !table.accepts(request.accepts, object))
      raiseWrongClass(object, request.expected);
    return object;
  }

  RWCString stringId;
  const bool byName = c == newStringIdMarker;
  if (byName) {
    stringId.restoreFrom(file);
    if (file.eof() || file.error()) return nullptr;
  } else if (c == knownStringIdMarker) {
    std::uint32_t number = 0;
    if (!file.read(number)) return nullptr;
    if (number >= table.count() || table[number].object) raiseBadReference();
    c = table[number].classId;
  }

  RWCollectable* object = request.existing;
  if (!object) {
    object = byName ? createByName(stringId) : table.create(c);
    if (!object) {
      rwRaise<RWInternalErr>(RWMessages::noCreate, static_cast<unsigned short>(c),
                             static_cast<unsigned short>(c));
    }
    if (request.accepts && !table.accepts(request.accepts, object)) {
      std::unique_ptr<RWCollectable> refused(object);
      raiseWrongClass(object, request.expected);
    }
    if (request.created) *request.created = object;
  }
  table.addObject(object, request.existing == nullptr);
  if (byName) table.addClassId(object->classId());
  object->restoreFields(file);
  return object;
}

}  // namespace

void writeObject(RWBinaryFile& file, const RWCollectable* object) {
  WriteTableScope scope;
  WriteRefTable& table = scope.table();
  if (scope.outermost()) file.write(fileMagic);
  if (!object) object = nilObject();

  if (const auto number = table.numberOf(object)) {
    file.write(referenceMarker);
    file.write(*number);
    return;
  }
  table.add(object);
  const RWClassID c = object->classId();
  if (isStringIdClass(c)) {
    const RWCString stringId = stringIdOf(c);
    if (const auto number = table.numberOf(stringId)) {
      file.write(knownStringIdMarker);
      file.write(*number);
    } else {
      table.add(stringId);
      file.write(newStringIdMarker);
      stringId.saveOn(file);
    }
  } else {
    file.write(c);
  }
  object->saveFields(file);
}

RWCollectable* readObject(RWBinaryFile& file, RWCollectable* existing) {
  return readRecord(file, {existing, existing, nullptr, 0, nullptr});
}

void RWObjectProtocolDetail::readObjectChecked(RWBinaryFile& file, RWCollectable*& pointer,
                                               ClassCheck accepts, RWClassID expected) {
  RWCollectable* created = nullptr;
  const RWUnwindGuard handOver([&] {
    if (created) pointer = created;
  });
  pointer = readRecord(file, {nullptr, pointer, accepts, expected, &created});
}

std::uint32_t recursiveStoreSize(const RWCollectable* object) {
  WriteTableScope scope;
  WriteRefTable& table = scope.table();
  std::uint32_t size = scope.outermost() ? sizeof fileMagic : 0;
  if (!object) object = nilObject();
  if (table.numberOf(object)) return size + sizeof referenceMarker + 4;

  table.add(object);
  size += sizeof(RWClassID);
  const RWClassID c = object->classId();
  if (isStringIdClass(c)) {
    const RWCString stringId = stringIdOf(c);
    if (table.numberOf(stringId)) {
      size += 4;
    } else {
      table.add(stringId);
      size += 4 + static_cast<std::uint32_t>(stringId.length());
    }
  }
  return size + object->storeSize();
}

std::uint32_t writeTableMark() {
  return currentWriteTable ? currentWriteTable->nextNumber() : 0;
}

void rewindWriteTable(std::uint32_t mark) {
  if (currentWriteTable) currentWriteTable->rewind(mark);
}

// ---- the read log ---------------------------------------------------------

namespace {
thread_local RWReadLog* activeReadLog = nullptr;
}  // namespace

RWReadLog::RWReadLog() : previous_(activeReadLog) {
  activeReadLog = this;
}

RWReadLog::~RWReadLog() {
  activeReadLog = previous_;
}

void RWReadLog::record(std::uint32_t number, RWCollectable* object, bool created) {
  RWReadLog* const log = activeReadLog;
  if (!log) return;
  const std::less<const RWCollectable*> before;
  if (log->entries_.empty() || before(object, log->lowest_)) log->lowest_ = object;
  if (log->entries_.empty() || before(log->highest_, object)) log->highest_ = object;
  log->entries_.push_back({number, object, created});
}

void RWReadLog::forget(const RWCollectable* object) {
  RWReadLog* const log = activeReadLog;
  const std::less<const RWCollectable*> before;
  if (!log || log->entries_.empty() || before(object, log->lowest_) ||
      before(log->highest_, object)) {
    return;
  }
  log->forgottenAt_[object] = log->entries_.size();
}

bool RWReadLog::alive(std::size_t index) const {
  const auto found = forgottenAt_.find(entries_[index].object);
  return found == forgottenAt_.end() || found->second <= index;
}

// An object read into twice is alive under its last entry only.
std::vector<std::size_t> RWReadLog::aliveIndices() const {
  std::unordered_map<const RWCollectable*, std::size_t> last;
  last.reserve(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) last[entries_[i].object] = i;
  std::vector<std::size_t> indices;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (last[entries_[i].object] == i && alive(i)) indices.push_back(i);
  }
  return indices;
}

std::vector<RWReadLog::Entry> RWReadLog::entries() const {
  std::vector<Entry> alive;
  for (const std::size_t i : aliveIndices()) alive.push_back(entries_[i]);
  return alive;
}

void RWReadLog::destroyCreated() {
  RWReadLog* const outer = activeReadLog;
  activeReadLog = this;  // so that every destruction below is forgotten here
  for (const std::size_t i : aliveIndices()) {
    if (entries_[i].created && alive(i)) delete entries_[i].object;
  }
  activeReadLog = outer;
  entries_.clear();
  forgottenAt_.clear();
}
