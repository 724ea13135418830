#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "RWCollectable.h"
#include "RWFactory.h"
#include "RWHashTable.h"
#include "RWIdentitySet.h"
#include "RWOrdered.h"
#include "RWSet.h"
#include "RWSlistCollectables.h"
#include "RWSortedVector.h"
#include "RWTestSupport.h"
#include "TempFile.h"

namespace {

constexpr RWClassID testId = 0x8F20;

class FirstKind : public RWCollectable {};
class SecondKind : public RWCollectable {};

}  // namespace

TEST(RWCollectable, BaseObjectsHaveIdentitySemantics) {
  const RWCollectable a, b;
  EXPECT_EQ(a.compare(&a), 0);
  const int ab = a.compare(&b);
  EXPECT_TRUE(ab == 1 || ab == -1);
  EXPECT_EQ(b.compare(&a), -ab);
  EXPECT_EQ(ab, &a > &b ? 1 : -1);
  EXPECT_TRUE(a.equals(&a));
  EXPECT_FALSE(a.equals(&b));
  EXPECT_FALSE(a.equals(nullptr));
  EXPECT_EQ(a.classId(), 0x8007);
  EXPECT_EQ(a.storeSize(), 0u);
  EXPECT_EQ(a.formatVersion(), 0);

  std::unique_ptr<RWCollectable> fresh(a.newInstance());
  std::unique_ptr<RWCollectable> clone(a.clone());
  const RWCollectable& freshObject = *fresh;
  const RWCollectable& cloneObject = *clone;
  EXPECT_EQ(typeid(freshObject), typeid(RWCollectable));
  EXPECT_EQ(typeid(cloneObject), typeid(RWCollectable));
  EXPECT_NE(clone.get(), &a);
  EXPECT_FALSE(clone->equals(&a));
}

TEST(RWCollectable, PlainObjectWritesNoFields) {
  TempFile path("plain");
  const RWCollectable plain;
  EXPECT_EQ(writtenBytes(path, &plain), (Bytes{0x88, 0x88, 0, 0, 0x07, 0x80}));
}

TEST(RWFactory, LibraryClassesAreRegisteredAtStartUp) {
  const struct {
    const char* name;
    RWClassID id;
  } classes[] = {
      {"RWCollectable", 0x8007}, {"RWIdentitySet", 0x8025},       {"RWOrdered", 0x8028},
      {"RWSet", 0x802B},         {"RWSlistCollectables", 0x8033}, {"RWSortedVector", 0x804A},
      {"RWHashTable", 0x805E},
  };
  EXPECT_TRUE(factoryExists());
  for (const auto& registered : classes) {
    SCOPED_TRACE(registered.name);
    std::unique_ptr<RWCollectable> byName(createByName(registered.name));
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byName->classId(), registered.id);
    std::unique_ptr<RWCollectable> byId(createById(registered.id));
    ASSERT_NE(byId, nullptr);
    EXPECT_EQ(byId->classId(), registered.id);
    EXPECT_EQ(stringIdOf(registered.id), registered.name);
    EXPECT_EQ(classIdOf(registered.name), registered.id);
  }
  // The abstract bases and the factory's own records are not registered.
  EXPECT_EQ(createById(CollectionBase::id), nullptr);
  EXPECT_EQ(createById(FactoryEntry::id), nullptr);
}

TEST(RWFactory, UnknownClassesHaveNoCreatorAndNoIdentifiers) {
  EXPECT_EQ(createById(testId), nullptr);
  EXPECT_EQ(createByName("NeverRegistered"), nullptr);
  EXPECT_EQ(stringIdOf(testId), "NoID");
  EXPECT_EQ(classIdOf("NeverRegistered"), noClassId);
  EXPECT_EQ(noClassId, 0x8000);
  // Names are matched exactly.
  EXPECT_EQ(classIdOf("rwordered"), noClassId);
  EXPECT_EQ(classIdOf("RWOrdered "), noClassId);
}

TEST(RWFactory, RegistrationLastsUntilItIsRemoved) {
  {
    RWClassRegistration registration(createDefault<FirstKind>, testId, "FirstKind");
    std::unique_ptr<RWCollectable> created(createById(testId));
    EXPECT_NE(dynamic_cast<FirstKind*>(created.get()), nullptr);
    std::unique_ptr<RWCollectable> byName(createByName("FirstKind"));
    EXPECT_NE(dynamic_cast<FirstKind*>(byName.get()), nullptr);
    EXPECT_EQ(stringIdOf(testId), "FirstKind");
    EXPECT_EQ(classIdOf("FirstKind"), testId);
  }
  EXPECT_EQ(createById(testId), nullptr);
  EXPECT_EQ(createByName("FirstKind"), nullptr);
  EXPECT_EQ(stringIdOf(testId), "NoID");
  EXPECT_EQ(classIdOf("FirstKind"), noClassId);
  // The library's own registrations are untouched.
  EXPECT_EQ(classIdOf("RWOrdered"), RWOrdered::id);
}

TEST(RWFactory, TheFirstRegistrationOfAnIdentifierStays) {
  RWClassRegistration first(createDefault<FirstKind>, testId, "FirstKind");
  RWClassRegistration second(createDefault<SecondKind>, testId, "SecondKind");
  std::unique_ptr<RWCollectable> created(createById(testId));
  EXPECT_NE(dynamic_cast<FirstKind*>(created.get()), nullptr);
  EXPECT_EQ(stringIdOf(testId), "FirstKind");
  // Names are registered independently of identifiers.
  std::unique_ptr<RWCollectable> byName(createByName("SecondKind"));
  EXPECT_NE(dynamic_cast<SecondKind*>(byName.get()), nullptr);
  EXPECT_EQ(classIdOf("SecondKind"), testId);

  // A second registration of a known name keeps the first one too.
  constexpr RWClassID nextId = testId + 1;
  RWClassRegistration again(createDefault<SecondKind>, nextId, "FirstKind");
  EXPECT_EQ(classIdOf("FirstKind"), testId);
  std::unique_ptr<RWCollectable> byFirstName(createByName("FirstKind"));
  EXPECT_NE(dynamic_cast<FirstKind*>(byFirstName.get()), nullptr);
  std::unique_ptr<RWCollectable> byNewId(createById(nextId));
  EXPECT_NE(dynamic_cast<SecondKind*>(byNewId.get()), nullptr);
}

TEST(RWFactory, RecordsMatchByTheirOwnKey) {
  const FactoryEntry byId(nullptr, 42, "Alpha");
  const FactoryEntry sameId(nullptr, 42, "Beta");
  const FactoryEntry otherId(nullptr, 43, "Alpha");
  const FactoryNameEntry byName(nullptr, 42, "Alpha");
  const FactoryNameEntry sameName(nullptr, 7, "Alpha");
  const FactoryNameEntry otherName(nullptr, 42, "Alphb");
  EXPECT_TRUE(byId.equals(&sameId));
  EXPECT_FALSE(byId.equals(&otherId));
  EXPECT_FALSE(byId.equals(&byName));
  EXPECT_TRUE(byName.equals(&sameName));
  EXPECT_FALSE(byName.equals(&otherName));
  EXPECT_FALSE(byName.equals(&byId));
  EXPECT_EQ(byId.hashValue(), 42u);
  EXPECT_EQ(byName.hashValue(), RWCString("Alpha").hash());
  EXPECT_EQ(byId.classId(), 0x8062);
  EXPECT_EQ(byName.classId(), 0x8063);
}

TEST(RWFactory, LookupsAndRegistrationsFromSeveralThreads) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      const auto id = static_cast<RWClassID>(testId + 0x10 + t);
      const std::string name = "ThreadKind" + std::to_string(t);
      for (int i = 0; i < 200; ++i) {
        RWClassRegistration registration(createDefault<FirstKind>, id, name.c_str());
        std::unique_ptr<RWCollectable> created(createById(id));
        std::unique_ptr<RWCollectable> list(createByName("RWOrdered"));
        if (!dynamic_cast<FirstKind*>(created.get()) || classIdOf(name.c_str()) != id || !list ||
            list->classId() != RWOrdered::id) {
          ++failures[t];
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
  EXPECT_EQ(createById(static_cast<RWClassID>(testId + 0x10)), nullptr);
}
