#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RWBinaryFile.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"
#include "RWOrdered.h"
#include "RWSet.h"
#include "RWSortedVector.h"
#include "RWTestSupport.h"
#include "TempFile.h"

namespace {

// An object with two object-reference fields of different classes, read the
// way engine classes read theirs.
class Holder : public RWCollectable {
public:
  static constexpr RWClassID id = 0x8F02;

  RWClassID classId() const override { return id; }
  std::uint32_t storeSize() const override {
    return recursiveStoreSize(list) + recursiveStoreSize(sorted);
  }
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;
  void restoreFields(RWBinaryFile& file) override {
    readObject(file, &list);
    readObject(file, &sorted);
  }
  void saveFields(RWBinaryFile& file) const override {
    writeObject(file, list);
    writeObject(file, sorted);
  }

  RWOrdered* list = nullptr;
  RWSortedVector* sorted = nullptr;
};

// Writes a shared object, then alternative sections of which a reader would read
// one: each section is numbered as if it came straight after the shared object.
class Sections : public RWCollectable {
public:
  using RWCollectable::saveFields;
  void saveFields(RWBinaryFile& file) const override {
    writeObject(file, shared);
    const std::uint32_t mark = writeTableMark();
    for (const RWCollectable* section : sections) {
      rewindWriteTable(mark);
      writeObject(file, section);
    }
    rewindWriteTable(0);
    writeObject(file, nullptr);
    writeObject(file, shared);
  }

  const RWCollectable* shared = nullptr;
  std::vector<const RWCollectable*> sections;
};

// An object whose writing always fails.
class FailingWriter : public RWCollectable {
public:
  using RWCollectable::saveFields;
  void saveFields(RWBinaryFile&) const override { throw RWInternalErr("[TEST] write failed"); }
};

Bytes workedExampleBytes() {
  return {0x88, 0x88, 0,    0,    0x28, 0x80, 2, 0, 0, 0,    0x28, 0x80, 1, 0, 0,
          0,    0x07, 0x80, 0x28, 0x80, 1,    0, 0, 0, 0xFF, 0xFF, 3,    0, 0, 0};
}

void expectStoreSizeIsWrittenSize(const RWCollectable* object) {
  TempFile path("size");
  const Bytes bytes = writtenBytes(path, object);
  EXPECT_EQ(recursiveStoreSize(object), bytes.size());
}

// Reads the top-level record of a file made of the given bytes; every object the
// read creates is destroyed when the reader goes away.
class FileReader {
public:
  explicit FileReader(const Bytes& bytes) : path_("input") {
    path_.write(bytes);
    file_ = std::make_unique<RWBinaryFile>(path_.c_str(), "rb");
  }
  ~FileReader() { log_.destroyCreated(); }
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  RWCollectable* read(RWCollectable* existing = nullptr) { return readObject(*file_, existing); }
  RWBinaryFile& file() { return *file_; }
  const RWReadLog& log() const { return log_; }

private:
  TempFile path_;
  std::unique_ptr<RWBinaryFile> file_;
  RWReadLog log_;
};

Bytes listHeader(std::uint32_t count) {
  Bytes bytes;
  put16(bytes, RWOrdered::id);
  put32(bytes, count);
  return bytes;
}

Bytes reference(std::uint32_t number) {
  Bytes bytes;
  put16(bytes, referenceMarker);
  put32(bytes, number);
  return bytes;
}

Bytes& operator<<(Bytes& bytes, const Bytes& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
  return bytes;
}

}  // namespace

TEST(ObjectProtocol, WorkedExampleIsThirtyBytesAndKeepsSharing) {
  TempFile path("worked");
  RWCollectable shared;
  RWOrdered p, q, top;
  p.insert(&shared);
  q.insert(&shared);
  top.insert(&p);
  top.insert(&q);
  EXPECT_EQ(writtenBytes(path, &top), workedExampleBytes());
  EXPECT_EQ(recursiveStoreSize(&top), 30u);

  RWBinaryFile file(path.c_str(), "rb");
  RWReadLog log;
  auto* read = dynamic_cast<RWOrdered*>(readObject(file));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->entryCount(), 2u);
  auto* readP = dynamic_cast<RWOrdered*>(read->elementAt(0));
  auto* readQ = dynamic_cast<RWOrdered*>(read->elementAt(1));
  ASSERT_TRUE(readP && readQ);
  EXPECT_NE(readP, readQ);
  ASSERT_EQ(readP->entryCount(), 1u);
  ASSERT_EQ(readQ->entryCount(), 1u);
  EXPECT_EQ(readP->elementAt(0), readQ->elementAt(0));
  EXPECT_EQ(readP->elementAt(0)->classId(), RWCollectable::id);
  ASSERT_EQ(log.entries().size(), 4u);
  for (std::uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(log.entries()[i].number, i + 1);
    EXPECT_TRUE(log.entries()[i].created);
  }
  EXPECT_EQ(log.entries()[0].object, read);
  log.destroyCreated();
}

TEST(ObjectProtocol, TheLogKeepsAnObjectMadeWhereADestroyedOneWas) {
  TempFile path("reused");
  const RWCollectable one, other;
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &one);
    writeObject(file, &other);
  }
  RWBinaryFile file(path.c_str(), "rb");
  RWReadLog log;
  delete readObject(file);
  // The allocator usually hands the freed place to the next object of the same size.
  RWCollectable* second = readObject(file);
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(log.entries().size(), 1u);
  EXPECT_EQ(log.entries()[0].object, second);
  {
    const RWCollectable temporary;  // never logged; its end changes nothing
  }
  EXPECT_EQ(log.entries().size(), 1u);
  log.destroyCreated();
  EXPECT_TRUE(log.entries().empty());
}

TEST(ObjectProtocol, NilAtTopLevelIsAReferenceToNumberZero) {
  TempFile path("nil");
  const Bytes expected{0x88, 0x88, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0};
  EXPECT_EQ(writtenBytes(path, nullptr), expected);
  EXPECT_EQ(recursiveStoreSize(nullptr), expected.size());

  FileReader reader(expected);
  EXPECT_EQ(reader.read(), nullptr);
  EXPECT_FALSE(reader.file().error());
  EXPECT_TRUE(reader.log().entries().empty());
}

TEST(ObjectProtocol, ListWithNilElementKeepsIt) {
  TempFile path("nilElement");
  RWOrdered list;
  list.insert(nullptr);
  Bytes expected = magicBytes();
  expected << listHeader(1) << reference(0);
  EXPECT_EQ(writtenBytes(path, &list), expected);

  FileReader reader(expected);
  auto* read = dynamic_cast<RWOrdered*>(reader.read());
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->entryCount(), 1u);
  EXPECT_EQ(read->elementAt(0), nullptr);
}

TEST(ObjectProtocol, SameObjectTwiceInOneCallIsWrittenOnceThenReferenced) {
  RWClassRegistration registration(createDefault<Valued>, Valued::id, "Valued");
  TempFile path("twice");
  Valued value(7);
  RWOrdered list;
  list.insert(&value);
  list.insert(&value);
  Bytes expected = magicBytes();
  expected << listHeader(2);
  put16(expected, Valued::id);
  put32(expected, 7);
  expected << reference(2);
  EXPECT_EQ(writtenBytes(path, &list), expected);
  EXPECT_EQ(recursiveStoreSize(&list), expected.size());

  FileReader reader(expected);
  auto* read = dynamic_cast<RWOrdered*>(reader.read());
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->entryCount(), 2u);
  EXPECT_EQ(read->elementAt(0), read->elementAt(1));
  auto* readValue = dynamic_cast<Valued*>(read->elementAt(0));
  ASSERT_NE(readValue, nullptr);
  EXPECT_EQ(readValue->value(), 7);
}

TEST(ObjectProtocol, RewindingTheWriteTableNumbersEachSectionFromTheMark) {
  RWClassRegistration registration(createDefault<Valued>, Valued::id, "Valued");
  TempFile path("sections");
  Valued shared(1), repeated(5);
  RWOrdered first, second;
  first.insert(&shared);
  first.insert(&repeated);
  second.insert(&repeated);
  second.insert(&shared);
  Sections sections;
  sections.shared = &shared;
  sections.sections = {&first, &second};

  // The sections object is number 1, the shared value 2; each list is 3 and
  // writes the repeated value in full as 4.
  Bytes expected = magicBytes();
  put16(expected, RWCollectable().classId());
  put16(expected, Valued::id);
  put32(expected, 1);
  expected << listHeader(2) << reference(2);
  put16(expected, Valued::id);
  put32(expected, 5);
  expected << listHeader(2);
  put16(expected, Valued::id);
  put32(expected, 5);
  expected << reference(2);
  // A rewind to 0 keeps nil and forgets everything else.
  expected << reference(0);
  put16(expected, Valued::id);
  put32(expected, 1);
  EXPECT_EQ(writtenBytes(path, &sections), expected);
}

TEST(ObjectProtocol, WriteTableMarkOutsideAWriteIsZeroAndRewindDoesNothing) {
  EXPECT_EQ(writeTableMark(), 0u);
  rewindWriteTable(0);
  TempFile path("after");
  Valued value(3);
  Bytes expected = magicBytes();
  put16(expected, Valued::id);
  put32(expected, 3);
  EXPECT_EQ(writtenBytes(path, &value), expected);
}

TEST(ObjectProtocol, SeparateTopLevelCallsEachWriteInFull) {
  RWClassRegistration registration(createDefault<Valued>, Valued::id, "Valued");
  TempFile path("separate");
  Valued value(9);
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &value);
    writeObject(file, &value);
  }
  Bytes record = magicBytes();
  put16(record, Valued::id);
  put32(record, 9);
  Bytes expected = record;
  expected << record;
  EXPECT_EQ(path.bytes(), expected);

  FileReader reader(expected);
  auto* first = dynamic_cast<Valued*>(reader.read());
  auto* second = dynamic_cast<Valued*>(reader.read());
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  EXPECT_EQ(first->value(), 9);
  EXPECT_EQ(second->value(), 9);
  EXPECT_EQ(reader.read(), nullptr);
  EXPECT_TRUE(reader.file().eof());
}

TEST(ObjectProtocol, WrongMagicNumberIsAnExternalError) {
  FileReader reader({0x01, 0x00, 0x00, 0x00, 0x28, 0x80, 0, 0, 0, 0});
  EXPECT_EQ(errorText<RWExternalErr>([&] { reader.read(); }),
            "[MAGIC] Bad magic number: 1 (should be 34952)");
  EXPECT_TRUE(reader.log().entries().empty());
}

TEST(ObjectProtocol, EmptyFileGivesNil) {
  FileReader reader({});
  EXPECT_EQ(reader.read(), nullptr);
  EXPECT_TRUE(reader.file().eof());
}

TEST(ObjectProtocol, ReferencesMustNameAnEntryAlreadyRead) {
  {
    Bytes bytes = magicBytes();
    bytes << reference(1);
    FileReader reader(bytes);
    EXPECT_EQ(errorText<RWInternalErr>([&] { reader.read(); }), "[REF] Bad persistence reference");
  }
  {
    // Inside a list numbered 1 the table holds 2 entries: 1 is the list itself.
    Bytes bytes = magicBytes();
    bytes << listHeader(2) << reference(1) << reference(2);
    FileReader reader(bytes);
    EXPECT_EQ(errorText<RWInternalErr>([&] { reader.read(); }), "[REF] Bad persistence reference");
    ASSERT_EQ(reader.log().entries().size(), 1u);
    auto* list = dynamic_cast<RWOrdered*>(reader.log().entries()[0].object);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->entryCount(), 1u);
    EXPECT_EQ(list->elementAt(0), list);
  }
}

TEST(ObjectProtocol, SelfReferencingListRoundTripsWithItsCycle) {
  TempFile path("cycle");
  RWOrdered list;
  list.insert(&list);
  Bytes expected = magicBytes();
  expected << listHeader(1) << reference(1);
  EXPECT_EQ(writtenBytes(path, &list), expected);
  EXPECT_EQ(recursiveStoreSize(&list), expected.size());

  FileReader reader(expected);
  auto* read = dynamic_cast<RWOrdered*>(reader.read());
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->entryCount(), 1u);
  EXPECT_EQ(read->elementAt(0), read);
}

TEST(ObjectProtocol, ReadingIntoAnExistingObjectFillsItAndCreatesNothing) {
  // The record names a class that nobody registered: the existing object is
  // filled all the same.
  Bytes bytes = magicBytes();
  put16(bytes, 0x1234);
  put32(bytes, 1);
  bytes << reference(0);
  FileReader reader(bytes);
  RWOrdered target;
  Valued stale(1);
  target.insert(&stale);
  EXPECT_EQ(reader.read(&target), &target);
  ASSERT_EQ(target.entryCount(), 1u);
  EXPECT_EQ(target.elementAt(0), nullptr);
  ASSERT_EQ(reader.log().entries().size(), 1u);
  EXPECT_EQ(reader.log().entries()[0].object, &target);
  EXPECT_FALSE(reader.log().entries()[0].created);
}

TEST(ObjectProtocol, ReferenceReadIntoAnExistingObjectMustNameIt) {
  Bytes bytes = magicBytes();
  bytes << reference(0);
  FileReader reader(bytes);
  RWOrdered target;
  EXPECT_EQ(errorText<RWInternalErr>([&] { reader.read(&target); }),
            "[REF] Bad persistence reference");
}

TEST(ObjectProtocol, UnregisteredClassCannotBeCreated) {
  {
    Bytes bytes = magicBytes();
    put16(bytes, 0x1234);
    FileReader reader(bytes);
    EXPECT_EQ(errorText<RWInternalErr>([&] { reader.read(); }),
              "[NOCREATE] RWFactory: no create function for class with ID 4660 (0x1234)");
  }
  {
    Bytes bytes = magicBytes();
    put16(bytes, newStringIdMarker);
    putText(bytes, "NoSuchClass");
    FileReader reader(bytes);
    EXPECT_EQ(errorText<RWInternalErr>([&] { reader.read(); }),
              "[NOCREATE] RWFactory: no create function for class with ID 34959 (0x888f)");
  }
}

TEST(ObjectProtocol, StringIdentifiedClassesAreWrittenByNameOnceThenByNumber) {
  RWClassRegistration registration(createDefault<NamedValued>, NamedValued::id, "NamedValued");
  TempFile path("named");
  NamedValued first(1), second(2);
  RWOrdered list;
  list.insert(&first);
  list.insert(&second);
  // The list is number 1, the first object 2, its string identifier 3.
  Bytes expected = magicBytes();
  expected << listHeader(2);
  put16(expected, newStringIdMarker);
  putText(expected, "NamedValued");
  put32(expected, 1);
  put16(expected, knownStringIdMarker);
  put32(expected, 3);
  put32(expected, 2);
  EXPECT_EQ(writtenBytes(path, &list), expected);
  EXPECT_EQ(recursiveStoreSize(&list), expected.size());

  FileReader reader(expected);
  auto* read = dynamic_cast<RWOrdered*>(reader.read());
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->entryCount(), 2u);
  auto* readFirst = dynamic_cast<NamedValued*>(read->elementAt(0));
  auto* readSecond = dynamic_cast<NamedValued*>(read->elementAt(1));
  ASSERT_TRUE(readFirst && readSecond);
  EXPECT_EQ(readFirst->value(), 1);
  EXPECT_EQ(readSecond->value(), 2);
  // The string identifier took a number: the log has the three objects only,
  // the second element numbered after the string.
  ASSERT_EQ(reader.log().entries().size(), 3u);
  EXPECT_EQ(reader.log().entries()[2].number, 4u);
}

TEST(ObjectProtocol, StoreSizeEqualsTheBytesWritten) {
  RWClassRegistration registration(createDefault<NamedValued>, NamedValued::id, "NamedValued");
  expectStoreSizeIsWrittenSize(nullptr);
  RWCollectable plain;
  expectStoreSizeIsWrittenSize(&plain);

  Valued a(1), b(2);
  NamedValued n1(3), n2(4);
  RWOrdered inner;
  inner.insert(&a);
  inner.insert(&n1);
  RWSet set;
  set.insert(&b);
  set.insert(&n2);
  set.insert(&a);
  RWOrdered outer;
  outer.insert(&inner);
  outer.insert(&set);
  outer.insert(&inner);
  outer.insert(nullptr);
  outer.insert(&n1);
  outer.insert(&outer);
  expectStoreSizeIsWrittenSize(&outer);

  Holder holder;
  RWSortedVector sorted;
  sorted.insert(&b);
  holder.list = &sorted;
  holder.sorted = &sorted;
  expectStoreSizeIsWrittenSize(&holder);
}

TEST(ObjectProtocol, TypedFieldRefusesAnObjectOfAnotherClass) {
  {
    Bytes bytes = magicBytes();
    bytes << listHeader(0);
    FileReader reader(bytes);
    RWSortedVector* field = nullptr;
    const std::string text = errorText<RWInternalErr>([&] { readObject(reader.file(), &field); });
    EXPECT_TRUE(startsWith(text, "[TYPE]")) << text;
    EXPECT_EQ(field, nullptr);
    EXPECT_TRUE(reader.log().entries().empty());
  }
  {
    // A field of a base class takes an object of a derived class.
    Bytes bytes = magicBytes();
    put16(bytes, RWSortedVector::id);
    put32(bytes, 0);
    FileReader reader(bytes);
    RWOrdered* field = nullptr;
    readObject(reader.file(), &field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->classId(), RWSortedVector::id);
  }
}

TEST(ObjectProtocol, TypedFieldRefusesAReferenceToAnObjectOfAnotherClass) {
  // Holder: its list (number 2) is read, then its sorted field refers to the list.
  Bytes bytes = magicBytes();
  put16(bytes, Holder::id);
  bytes << listHeader(0) << reference(2);
  FileReader reader(bytes);
  Holder holder;
  const std::string text = errorText<RWInternalErr>([&] { reader.read(&holder); });
  EXPECT_TRUE(startsWith(text, "[TYPE]")) << text;
  ASSERT_NE(holder.list, nullptr);
  EXPECT_EQ(holder.list->classId(), RWOrdered::id);
  EXPECT_EQ(holder.sorted, nullptr);
}

TEST(ObjectProtocol, HolderFieldsRoundTripWithSharing) {
  TempFile path("holder");
  Holder holder;
  RWSortedVector sorted;
  holder.list = &sorted;
  holder.sorted = &sorted;
  const Bytes bytes = writtenBytes(path, &holder);

  FileReader reader(bytes);
  Holder read;
  EXPECT_EQ(reader.read(&read), &read);
  ASSERT_NE(read.sorted, nullptr);
  EXPECT_EQ(static_cast<RWOrdered*>(read.sorted), read.list);
}

TEST(ObjectProtocol, TypedFieldReceivesTheObjectCreatedBeforeAnError) {
  Bytes bytes = magicBytes();
  bytes << listHeader(2) << listHeader(0) << reference(7);
  FileReader reader(bytes);
  RWOrdered* field = nullptr;
  EXPECT_THROW(readObject(reader.file(), &field), RWInternalErr);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->entryCount(), 1u);
  ASSERT_EQ(reader.log().entries().size(), 2u);
  EXPECT_EQ(reader.log().entries()[0].object, field);
}

TEST(ObjectProtocol, ManyObjectsKeepTheirNumbersAsTheTablesGrow) {
  RWClassRegistration registration(createDefault<Valued>, Valued::id, "Valued");
  RWClassRegistration named(createDefault<NamedValued>, NamedValued::id, "NamedValued");
  constexpr std::uint32_t count = 3000;
  std::vector<std::unique_ptr<Valued>> values;
  RWOrdered list(2 * count + 1);
  for (std::uint32_t i = 0; i < count; ++i) {
    values.push_back(std::make_unique<Valued>(static_cast<std::int32_t>(i)));
    list.insert(values.back().get());
  }
  for (std::uint32_t i = count; i-- > 0;) list.insert(values[i].get());
  // After all the numbers above, a string identifier is still written once.
  NamedValued first(-1), second(-2);
  list.insert(&first);
  list.insert(&second);

  TempFile path("many");
  const Bytes bytes = writtenBytes(path, &list);
  EXPECT_EQ(recursiveStoreSize(&list), bytes.size());
  const std::size_t namedSize = (2 + 4 + 11 + 4) + (2 + 4 + 4);
  EXPECT_EQ(bytes.size(), 4 + 6 + count * 6 + count * 6 + namedSize);
  // The last reference of the second half names the first element, number 2.
  const std::size_t lastReference = bytes.size() - namedSize - 6;
  EXPECT_EQ(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(lastReference),
                  bytes.begin() + static_cast<std::ptrdiff_t>(lastReference + 6)),
            reference(2));

  FileReader reader(bytes);
  auto* read = dynamic_cast<RWOrdered*>(reader.read());
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->entryCount(), 2 * count + 2);
  for (std::uint32_t i = 0; i < count; ++i) {
    auto* element = dynamic_cast<Valued*>(read->elementAt(i));
    ASSERT_NE(element, nullptr);
    ASSERT_EQ(element->value(), static_cast<std::int32_t>(i));
    ASSERT_EQ(read->elementAt(2 * count - 1 - i), element);
  }
  auto* readSecond = dynamic_cast<NamedValued*>(read->elementAt(2 * count + 1));
  ASSERT_NE(readSecond, nullptr);
  EXPECT_EQ(readSecond->value(), -2);
  EXPECT_EQ(reader.log().entries().size(), count + 3);
}

TEST(ObjectProtocol, TablesAreReleasedWhenAnErrorPropagates) {
  TempFile failed("failed");
  FailingWriter failing;
  RWOrdered list;
  list.insert(&failing);
  {
    RWBinaryFile file(failed.c_str(), "wb");
    EXPECT_THROW(writeObject(file, &list), RWInternalErr);
  }
  // A later write is outermost again: it starts with the magic number.
  TempFile path("after");
  const Bytes nil{0x88, 0x88, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0};
  EXPECT_EQ(writtenBytes(path, nullptr), nil);

  {
    Bytes bytes = magicBytes();
    bytes << listHeader(1) << reference(5);
    FileReader reader(bytes);
    EXPECT_THROW(reader.read(), RWInternalErr);
  }
  Bytes good = magicBytes();
  good << listHeader(0);
  FileReader reader(good);
  auto* read = dynamic_cast<RWOrdered*>(reader.read());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(reader.log().entries().size(), 1u);
}

TEST(ObjectProtocol, ThreadsReadAndWriteTheirOwnFilesAtOnce) {
  constexpr int threadCount = 4;
  constexpr int rounds = 50;
  std::vector<int> failures(threadCount, 0);
  std::vector<std::unique_ptr<TempFile>> paths;
  std::vector<std::thread> threads;
  for (int t = 0; t < threadCount; ++t) {
    paths.push_back(std::make_unique<TempFile>("thread" + std::to_string(t)));
    threads.emplace_back([t, &failures, name = std::string(paths.back()->c_str())] {
      RWCollectable shared;
      RWOrdered p, q, top;
      p.insert(&shared);
      q.insert(&shared);
      top.insert(&p);
      top.insert(&q);
      for (int round = 0; round < rounds; ++round) {
        {
          RWBinaryFile file(name.c_str(), "wb");
          writeObject(file, &top);
        }
        RWBinaryFile file(name.c_str(), "rb");
        RWReadLog log;
        auto* read = dynamic_cast<RWOrdered*>(readObject(file));
        const bool good = read && read->entryCount() == 2 && log.entries().size() == 4 &&
                          log.entries().back().number == 4;
        if (!good) ++failures[t];
        log.destroyCreated();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < threadCount; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

// ---- untrusted input --------------------------------------------------------

TEST(ObjectProtocolUntrustedInput, CollectionCountBeyondTheFileEndsAtItsEnd) {
  Bytes bytes = magicBytes();
  bytes << listHeader(0xFFFFFFF0u) << listHeader(0);
  FileReader reader(bytes);
  auto* read = dynamic_cast<RWOrdered*>(reader.read());
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(reader.file().eof());
  EXPECT_EQ(read->entryCount(), 1u);
  EXPECT_EQ(read->capacity(), defaultCapacity);
}

TEST(ObjectProtocolUntrustedInput, StringIdentifierLongerThanTheFileGivesNil) {
  Bytes bytes = magicBytes();
  put16(bytes, newStringIdMarker);
  put32(bytes, 0xFFFFFFF0u);
  bytes.push_back('R');
  bytes.push_back('W');
  FileReader reader(bytes);
  EXPECT_EQ(reader.read(), nullptr);
  EXPECT_TRUE(reader.file().eof());
  EXPECT_EQ(reader.file().firstShortRead(), 10);
  EXPECT_TRUE(reader.log().entries().empty());
}

TEST(ObjectProtocolUntrustedInput, TruncatedFileEndsTheReadWhereTheBytesRunOut) {
  const Bytes whole = workedExampleBytes();
  for (std::size_t size = 0; size < whole.size(); ++size) {
    SCOPED_TRACE(size);
    FileReader reader(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
    RWCollectable* read = reader.read();
    EXPECT_EQ(read != nullptr, size >= 6);
    EXPECT_TRUE(reader.file().eof());
    // The short read is the scalar that straddles the end; no scalar of the
    // framing is longer than 4 bytes.
    const std::int64_t shortRead = reader.file().firstShortRead();
    EXPECT_LE(shortRead, static_cast<std::int64_t>(size));
    EXPECT_GT(shortRead + 4, static_cast<std::int64_t>(size));
  }
  FileReader reader(Bytes(whole.begin(), whole.begin() + 20));
  ASSERT_NE(reader.read(), nullptr);
  EXPECT_EQ(reader.file().firstShortRead(), 20);
}

namespace {

Bytes nestedLists(unsigned levels) {
  Bytes bytes = magicBytes();
  for (unsigned level = 1; level <= levels; ++level) bytes << listHeader(level < levels ? 1 : 0);
  return bytes;
}

}  // namespace

TEST(ObjectProtocolUntrustedInput, NestingUpToTheLimitIsRead) {
  FileReader reader(nestedLists(maxNestingDepth));
  auto* list = dynamic_cast<RWOrdered*>(reader.read());
  unsigned depth = 0;
  while (list) {
    ++depth;
    list = list->isEmpty() ? nullptr : dynamic_cast<RWOrdered*>(list->elementAt(0));
  }
  EXPECT_EQ(depth, maxNestingDepth);
}

TEST(ObjectProtocolUntrustedInput, NestingBeyondTheLimitIsRefused) {
  FileReader reader(nestedLists(maxNestingDepth + 1));
  const std::string text = errorText<RWxmsg>([&] { reader.read(); });
  EXPECT_TRUE(startsWith(text, "[NESTING]")) << text;
  EXPECT_EQ(reader.log().entries().size(), maxNestingDepth);

  // A hostile file need not close its records for the depth to run away.
  Bytes endless = magicBytes();
  for (unsigned level = 0; level < 10 * maxNestingDepth; ++level) endless << listHeader(1);
  FileReader endlessReader(endless);
  EXPECT_TRUE(startsWith(errorText<RWxmsg>([&] { endlessReader.read(); }), "[NESTING]"));
}

TEST(ObjectProtocolUntrustedInput, ClassIdentifierEntriesAreNoObjects) {
  // The list is 1, the object read by the name "RWOrdered" 2, the name's entry 3.
  Bytes prefix = magicBytes();
  prefix << listHeader(2);
  put16(prefix, newStringIdMarker);
  putText(prefix, "RWOrdered");
  put32(prefix, 0);
  {
    Bytes bytes = prefix;
    put16(bytes, knownStringIdMarker);
    put32(bytes, 3);
    put32(bytes, 0);
    FileReader reader(bytes);
    auto* read = dynamic_cast<RWOrdered*>(reader.read());
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->entryCount(), 2u);
    ASSERT_NE(read->elementAt(1), nullptr);
    EXPECT_EQ(read->elementAt(1)->classId(), RWOrdered::id);
    EXPECT_NE(read->elementAt(0), read->elementAt(1));
  }
  {
    Bytes bytes = prefix;
    bytes << reference(3);
    FileReader reader(bytes);
    EXPECT_EQ(errorText<RWInternalErr>([&] { reader.read(); }), "[REF] Bad persistence reference");
  }
  {
    Bytes bytes = prefix;
    put16(bytes, knownStringIdMarker);
    put32(bytes, 2);
    FileReader reader(bytes);
    EXPECT_EQ(errorText<RWInternalErr>([&] { reader.read(); }), "[REF] Bad persistence reference");
  }
  {
    Bytes bytes = prefix;
    put16(bytes, knownStringIdMarker);
    put32(bytes, 4);
    FileReader reader(bytes);
    EXPECT_EQ(errorText<RWInternalErr>([&] { reader.read(); }), "[REF] Bad persistence reference");
  }
}

TEST(ObjectProtocolUntrustedInput, SetOfListsThatHoldThemselvesIsRead) {
  // Sixty-five lists cannot all have buckets of their own among the set's 64,
  // so the set compares lists that hold themselves while it reads them.
  Bytes bytes = magicBytes();
  put16(bytes, RWSet::id);
  put32(bytes, 65);
  for (std::uint32_t list = 0; list < 65; ++list) bytes << listHeader(1) << reference(2 + list);
  FileReader reader(bytes);
  auto* set = dynamic_cast<RWSet*>(reader.read());
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(reader.log().entries().size(), 66u);
  EXPECT_FALSE(reader.file().eof());
}
