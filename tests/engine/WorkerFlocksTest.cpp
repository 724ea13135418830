#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "FmBoidController.h"
#include "FmCamera.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmMaterial.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmRocket.h"
#include "FmRocketController.h"
#include "FmWorker.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "TempFile.h"

namespace {

// An object whose vertices lie one unit from its origin.
FmObject* birdNamed(const char* name) {
  auto* object = new FmObject(name, nullptr, -1.0f);
  auto* frame = new FmMesh;
  EXPECT_TRUE(frame->setVertices({1, 0, 0, 0, 1, 0, 0, 0, 1}));
  object->setCurrentFrame(frame);
  object->setVertexCount(3);
  return object;
}

// A flock without a prototype of its own; owning tells whether a prototype found
// in the tree is taken out of it or copied.
FmFlock* flockNamed(const char* name, std::int32_t members, bool owning) {
  auto* flock = new FmFlock;
  flock->setName(name);
  flock->setPrototype(nullptr, owning);
  EXPECT_TRUE(flock->setMemberCount(members));
  flock->setNeighbourRadius(4.0f);
  flock->setRepelThreshold(0.5f);
  flock->setCruiseFactor(1.0f);
  return flock;
}

std::string nameOf(const FmNode* node) {
  return std::string(node->name().view());
}

// Every listed object is a member of the flock and every member is listed once.
void expectListsHoldExactlyTheMembers(const FmWorker& worker, const FmFlock& flock) {
  ASSERT_EQ(worker.objects().entryCount(), flock.childCount());
  for (std::size_t i = 0; i < flock.childCount(); ++i) {
    EXPECT_EQ(worker.objects().occurrencesOf(flock.childAt(i)), 1u);
  }
}

FmRocket* rocketNamed(const char* name, float speed) {
  auto* rocket = new FmRocket;
  rocket->setName(name);
  rocket->setSpeed(speed);
  return rocket;
}

}  // namespace

// ---- preparing flocks -------------------------------------------------------------

TEST(WorkerPrepareFlocks, AnOwningFlockTakesTheNamedObjectOutOfTheTree) {
  FmWorker worker;
  FmObject* bird = birdNamed("gull");
  FmFlock* flock = flockNamed("gulls*gull", 3, true);
  worker.addNode(bird, nullptr);
  worker.addNode(flock, nullptr);
  worker.prepareFlocks(0.0f);
  EXPECT_EQ(nameOf(flock), "gulls");
  EXPECT_EQ(flock->prototype(), bird);
  EXPECT_TRUE(flock->prototypeOwned());
  EXPECT_EQ(bird->parent(), nullptr);
  ASSERT_EQ(worker.root().childCount(), 1u);
  EXPECT_EQ(worker.root().childAt(0), flock);
  ASSERT_EQ(flock->childCount(), 3u);
  EXPECT_TRUE(flock->hasCloseness());
  for (std::size_t i = 0; i < flock->childCount(); ++i) {
    EXPECT_EQ(nameOf(flock->childAt(i)), "gull");
    EXPECT_NE(dynamic_cast<FmBoidController*>(flock->childAt(i)->controller()), nullptr);
  }
  expectListsHoldExactlyTheMembers(worker, *flock);
}

TEST(WorkerPrepareFlocks, AFlockThatDoesNotOwnItsPrototypeGetsAnOwnedCopy) {
  FmWorker worker;
  FmObject* bird = birdNamed("gull");
  FmFlock* flock = flockNamed("gulls*gull", 2, false);
  worker.addNode(bird, nullptr);
  worker.addNode(flock, nullptr);
  worker.prepareFlocks(0.0f);
  ASSERT_NE(flock->prototype(), nullptr);
  EXPECT_NE(flock->prototype(), bird);
  EXPECT_EQ(nameOf(flock->prototype()), "gull");
  EXPECT_TRUE(flock->prototypeOwned());
  EXPECT_EQ(bird->parent(), &worker.root());
  EXPECT_EQ(worker.objects().occurrencesOf(bird), 1u);
  EXPECT_EQ(flock->childCount(), 2u);
  EXPECT_EQ(worker.objects().entryCount(), 3u);
}

TEST(WorkerPrepareFlocks, AnInactiveFlockGetsItsPrototypeButNoMembers) {
  FmWorker worker;
  FmObject* bird = birdNamed("gull");
  FmFlock* flock = flockNamed("gulls*gull", 2, true);
  flock->setActive(false);
  worker.addNode(bird, nullptr);
  worker.addNode(flock, nullptr);
  worker.prepareFlocks(0.0f);
  EXPECT_EQ(flock->prototype(), bird);
  EXPECT_EQ(flock->childCount(), 0u);
  EXPECT_EQ(worker.objects().entryCount(), 0u);
}

TEST(WorkerPrepareFlocks, WithoutAStarOrAMatchTheFlockKeepsItsNameAndPrototype) {
  FmWorker worker;
  FmObject* bird = birdNamed("gull");
  FmFlock* plain = flockNamed("gull", 2, true);
  FmFlock* missing = flockNamed("crows*crow", 2, true);
  worker.addNode(bird, nullptr);
  worker.addNode(plain, nullptr);
  worker.addNode(missing, nullptr);
  worker.prepareFlocks(0.0f);
  EXPECT_EQ(nameOf(plain), "gull");
  EXPECT_EQ(plain->prototype(), nullptr);
  EXPECT_EQ(nameOf(missing), "crows");
  EXPECT_EQ(missing->prototype(), nullptr);
  EXPECT_EQ(bird->parent(), &worker.root());
  EXPECT_EQ(plain->childCount(), 0u);
  EXPECT_EQ(missing->childCount(), 0u);
}

TEST(WorkerPrepareFlocks, TheNameIsCutAtTheFirstStarOnly) {
  FmWorker worker;
  FmObject* bird = birdNamed("a*b");
  FmFlock* flock = flockNamed("f*a*b", 1, true);
  worker.addNode(bird, nullptr);
  worker.addNode(flock, nullptr);
  worker.prepareFlocks(0.0f);
  EXPECT_EQ(nameOf(flock), "f");
  EXPECT_EQ(flock->prototype(), bird);
}

TEST(WorkerPrepareFlocks, TheFirstMatchAmongOpaqueThenAlphaThenBlendedObjectsWins) {
  FmWorker worker;
  FmObject* blended = birdNamed("gull");
  blended->setBlendMode(2);
  FmObject* opaque = birdNamed("gull");
  worker.addNode(blended, nullptr);
  worker.addNode(opaque, nullptr);
  FmFlock* flock = flockNamed("gulls*gull", 1, true);
  worker.addNode(flock, nullptr);
  worker.prepareFlocks(0.0f);
  EXPECT_EQ(flock->prototype(), opaque);
  EXPECT_EQ(blended->parent(), &worker.root());
}

TEST(WorkerPrepareFlocks, AnObjectHoldingTheFlockIsNeverItsPrototype) {
  FmWorker worker;
  FmObject* holder = birdNamed("gull");
  FmObject* other = birdNamed("gull");
  FmFlock* flock = flockNamed("gulls*gull", 2, true);
  worker.addNode(holder, nullptr);
  worker.addNode(flock, holder);
  worker.addNode(other, nullptr);
  worker.prepareFlocks(0.0f);
  EXPECT_EQ(flock->prototype(), other);
  EXPECT_EQ(holder->parent(), &worker.root());
  EXPECT_EQ(flock->parent(), holder);
  EXPECT_EQ(flock->childCount(), 2u);
}

TEST(WorkerPrepareFlocks, AFlockTakenOutWithAnotherFlocksPrototypeIsLeftAlone) {
  FmWorker worker;
  FmObject* bird = birdNamed("gull");
  FmFlock* inner = flockNamed("inner*gull", 2, true);
  FmFlock* outer = flockNamed("outer*gull", 2, true);
  worker.addNode(bird, nullptr);
  worker.addNode(outer, nullptr);
  worker.addNode(inner, bird);
  worker.prepareFlocks(0.0f);
  EXPECT_EQ(outer->prototype(), bird);
  EXPECT_EQ(worker.flocks().entryCount(), 1u);
  EXPECT_EQ(inner->prototype(), nullptr);
  EXPECT_EQ(inner->childCount(), 0u);
  EXPECT_EQ(nameOf(inner), "inner*gull");
  expectListsHoldExactlyTheMembers(worker, *outer);
}

TEST(WorkerPrepareFlocks, ACameraInsideATakenPrototypeGivesWayToTheNextCamera) {
  FmWorker worker;
  FmObject* bird = birdNamed("gull");
  auto* rider = new FmCamera("rider", nullptr, -1.0f);
  auto* spare = new FmCamera("spare", nullptr, -1.0f);
  worker.addNode(bird, nullptr);
  worker.addNode(rider, bird);
  worker.addNode(spare, nullptr);
  worker.setCamera(rider);
  FmFlock* flock = flockNamed("gulls*gull", 0, true);
  worker.addNode(flock, nullptr);
  worker.prepareFlocks(0.0f);
  EXPECT_EQ(flock->prototype(), bird);
  EXPECT_EQ(worker.camera(), spare);
  EXPECT_EQ(worker.cameras().occurrencesOf(rider), 0u);
}

TEST(WorkerPrepareFlocks, AFlockWithMembersIsNotPreparedAgain) {
  FmWorker worker;
  FmObject* bird = birdNamed("gull");
  FmFlock* flock = flockNamed("gulls*gull", 2, true);
  worker.addNode(bird, nullptr);
  worker.addNode(flock, nullptr);
  worker.prepareFlocks(0.0f);
  const FmNode* first = flock->childAt(0);
  worker.prepareFlocks(0.0f);
  EXPECT_EQ(flock->childAt(0), first);
  EXPECT_EQ(flock->childCount(), 2u);
  expectListsHoldExactlyTheMembers(worker, *flock);
}

// ---- selecting flocks ---------------------------------------------------------------

TEST(WorkerSelectFlock, OnlyTheSelectedFlockIsActive) {
  FmWorker worker;
  FmFlock* first = flockNamed("first", 0, true);
  FmFlock* second = flockNamed("second", 0, true);
  worker.addNode(first, nullptr);
  worker.addNode(second, nullptr);
  worker.selectFlock(1);
  EXPECT_EQ(worker.currentFlock(), 1);
  EXPECT_FALSE(first->active());
  EXPECT_TRUE(second->active());
  worker.selectFlock(0);
  EXPECT_EQ(worker.currentFlock(), 0);
  EXPECT_TRUE(first->active());
  EXPECT_FALSE(second->active());
}

TEST(WorkerSelectFlock, AnIndexOutsideTheFlocksChangesNothing) {
  FmWorker worker;
  FmFlock* first = flockNamed("first", 0, true);
  FmFlock* second = flockNamed("second", 0, true);
  second->setActive(false);
  worker.addNode(first, nullptr);
  worker.addNode(second, nullptr);
  worker.selectFlock(2);
  worker.selectFlock(-1);
  EXPECT_EQ(worker.currentFlock(), 0);
  EXPECT_TRUE(first->active());
  EXPECT_FALSE(second->active());
}

// ---- restarting the current flock -------------------------------------------------

TEST(WorkerRestartFlock, ReplacesTheMembersAndKeepsTheListsInStep) {
  FmWorker worker;
  FmObject* bird = birdNamed("gull");
  FmFlock* flock = flockNamed("gulls*gull", 3, true);
  worker.addNode(bird, nullptr);
  worker.addNode(flock, nullptr);
  worker.prepareFlocks(0.0f);
  delete worker.detachNode(flock->childAt(0));
  ASSERT_EQ(flock->childCount(), 2u);
  worker.restartFlock(7.5f);
  EXPECT_EQ(flock->childCount(), 3u);
  EXPECT_FLOAT_EQ(flock->timeOffset(), 7.5f);
  expectListsHoldExactlyTheMembers(worker, *flock);
  // The lists are walked in a frame: a stale entry would be read after it was freed.
  worker.updateScene(8.0f);
  worker.collide(8.0f);
  expectListsHoldExactlyTheMembers(worker, *flock);
}

// The members leave the lists together; the nodes listed around them keep their order
// and the new members follow them.
TEST(WorkerRestartFlock, TheOtherListedNodesKeepTheirOrder) {
  FmWorker worker;
  worker.addNode(birdNamed("first"), nullptr);
  worker.addNode(birdNamed("gull"), nullptr);
  FmFlock* flock = flockNamed("gulls*gull", 40, true);
  worker.addNode(flock, nullptr);
  worker.prepareFlocks(0.0f);
  worker.addNode(birdNamed("later"), nullptr);
  worker.addNode(birdNamed("last"), nullptr);
  worker.restartFlock(3.0f);
  ASSERT_EQ(worker.objects().entryCount(), 43u);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < 3; ++i)
    names.push_back(nameOf(static_cast<const FmNode*>(worker.objects().elementAt(i))));
  EXPECT_EQ(names, (std::vector<std::string>{"first", "later", "last"}));
  for (std::size_t i = 0; i < flock->childCount(); ++i) {
    EXPECT_EQ(worker.objects().elementAt(i + 3), flock->childAt(i)) << i;
  }
}

TEST(WorkerRestartFlock, RestartsTheCurrentFlockOnly) {
  FmWorker worker;
  FmObject* bird = birdNamed("gull");
  FmFlock* first = flockNamed("first*gull", 2, false);
  FmFlock* second = flockNamed("second*gull", 2, false);
  worker.addNode(bird, nullptr);
  worker.addNode(first, nullptr);
  worker.addNode(second, nullptr);
  worker.prepareFlocks(0.0f);
  const FmNode* kept = first->childAt(0);
  worker.selectFlock(1);
  delete worker.detachNode(second->childAt(0));
  worker.restartFlock(2.0f);
  EXPECT_EQ(first->childAt(0), kept);
  EXPECT_EQ(second->childCount(), 2u);
  EXPECT_FLOAT_EQ(second->timeOffset(), 2.0f);
  EXPECT_EQ(worker.objects().entryCount(), 5u);
}

TEST(WorkerRestartFlock, ACameraOnAMemberGivesWayBeforeTheMemberIsDestroyed) {
  FmWorker worker;
  FmObject* bird = birdNamed("gull");
  auto* spare = new FmCamera("spare", nullptr, -1.0f);
  FmFlock* flock = flockNamed("gulls*gull", 2, true);
  worker.addNode(bird, nullptr);
  worker.addNode(spare, nullptr);
  worker.addNode(flock, nullptr);
  worker.prepareFlocks(0.0f);
  auto* rider = new FmCamera("rider", nullptr, -1.0f);
  worker.addNode(rider, flock->childAt(1));
  worker.setCamera(rider);
  worker.restartFlock(1.0f);
  EXPECT_EQ(worker.camera(), spare);
  EXPECT_EQ(worker.cameras().entryCount(), 1u);
  worker.updateScene(1.5f);
}

TEST(WorkerRestartFlock, WithoutFlocksNothingHappens) {
  FmWorker worker;
  worker.restartFlock(1.0f);
  EXPECT_EQ(worker.root().childCount(), 0u);
}

// ---- projectiles ------------------------------------------------------------------

TEST(WorkerLaunch, AddsALaunchedDuplicateOfTheTemplateUnderTheRoot) {
  FmWorker worker;
  FmRocket* rocket = rocketNamed("rocket", 35.0f);
  auto* explosion = new FmObject("bang", nullptr, 1.0f);
  rocket->setExplosion(explosion);
  ASSERT_TRUE(worker.addTemplate(rocket));
  worker.findTemplate("rocket");
  ASSERT_EQ(worker.projectileTemplate(), rocket);
  auto* flight = new FmFlightController;
  flight->position().setValue({4, 5, 6});
  auto* craft = new FmNode("craft", nullptr, -1.0f);
  craft->setController(flight);
  worker.addNode(craft, nullptr);
  worker.setFlightController(flight);
  worker.updateScene(1.0f);

  FmRocket* fired = worker.launchProjectile(2.0f);
  ASSERT_NE(fired, nullptr);
  EXPECT_NE(fired, rocket);
  EXPECT_EQ(fired->parent(), &worker.root());
  EXPECT_EQ(worker.objects().occurrencesOf(fired), 1u);
  EXPECT_EQ(nameOf(fired), "rocket");
  EXPECT_FLOAT_EQ(fired->expiryTime(), 2.0f + FmRocket::defaultLifetime);
  EXPECT_FLOAT_EQ(rocket->expiryTime(), FmRocket::defaultLifetime);
  EXPECT_EQ(fired->explosion(), explosion);
  EXPECT_FALSE(fired->ownsExplosion());
  const auto* controller = dynamic_cast<const FmRocketController*>(fired->controller());
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(controller->launchMatrix(), flight->matrix());
  EXPECT_FLOAT_EQ(controller->speed(), 35.0f);
  EXPECT_EQ(rocket->controller(), nullptr);
}

TEST(WorkerLaunch, WithoutAFlightControllerTheRocketStartsFromTheOrigin) {
  FmWorker worker;
  FmRocket* rocket = rocketNamed("rocket", 20.0f);
  ASSERT_TRUE(worker.addTemplate(rocket));
  worker.setProjectileTemplate(rocket);
  FmRocket* fired = worker.launchProjectile(0.5f);
  ASSERT_NE(fired, nullptr);
  const auto* controller = dynamic_cast<const FmRocketController*>(fired->controller());
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(controller->launchMatrix(), FmMatrix::identity());
  EXPECT_EQ(worker.launchProjectile(0.5f)->parent(), &worker.root());
  EXPECT_EQ(worker.root().childCount(), 2u);
}

TEST(WorkerLaunch, WithoutATemplateNothingIsLaunched) {
  FmWorker worker;
  EXPECT_EQ(worker.launchProjectile(1.0f), nullptr);
  EXPECT_EQ(worker.root().childCount(), 0u);
  EXPECT_EQ(worker.objects().entryCount(), 0u);
}

TEST(WorkerLaunch, AFiredRocketExpiresAfterItsLifetime) {
  FmWorker worker;
  FmRocket* rocket = rocketNamed("rocket", 20.0f);
  ASSERT_TRUE(worker.addTemplate(rocket));
  worker.setProjectileTemplate(rocket);
  ASSERT_NE(worker.launchProjectile(1.0f), nullptr);
  worker.updateScene(10.5f);
  EXPECT_EQ(worker.root().childCount(), 1u);
  worker.updateScene(11.5f);
  EXPECT_EQ(worker.root().childCount(), 0u);
  EXPECT_EQ(worker.objects().entryCount(), 0u);
}

TEST(WorkerLaunch, TheProjectileTemplateSurvivesWriteAndReadAsARocket) {
  TempFile path("rocketWorker");
  {
    FmWorker worker;
    ASSERT_TRUE(worker.addTemplate(new FmObject("decoy", nullptr, -1.0f)));
    FmRocket* rocket = rocketNamed("rocket", 12.0f);
    ASSERT_TRUE(worker.addTemplate(rocket));
    worker.setProjectileTemplate(rocket);
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &worker);
  }
  FmWorker worker;
  {
    RWBinaryFile file(path.c_str(), "rb");
    readObject(file, &worker);
  }
  ASSERT_EQ(worker.templates().entryCount(), 2u);
  EXPECT_EQ(worker.projectileTemplate(), worker.templates().elementAt(1));
  ASSERT_NE(worker.projectileTemplate(), nullptr);
  EXPECT_FLOAT_EQ(worker.projectileTemplate()->speed(), 12.0f);
  FmRocket* fired = worker.launchProjectile(1.0f);
  ASSERT_NE(fired, nullptr);
  EXPECT_EQ(fired->parent(), &worker.root());
}

TEST(WorkerPrepareFlocks, ThenGroupsTheObjectsByMaterial) {
  FmWorker worker;
  std::vector<FmMaterial*> materials{new FmMaterial, new FmMaterial, new FmMaterial};
  std::sort(materials.begin(), materials.end(), std::greater<>());
  for (FmMaterial* material : materials) {
    FmObject* object = birdNamed("wall");
    object->setMaterial(material);
    worker.addNode(object, nullptr);
  }
  worker.prepareFlocks(0.0f);
  ASSERT_EQ(worker.objects().entryCount(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const auto* object = static_cast<const FmObject*>(worker.objects().elementAt(i));
    EXPECT_EQ(object->material(), materials[2 - i]);
  }
}

// ---- what a level's flocks may cost --------------------------------------------

namespace {

// Writes the worker and reads it back; the error's message, or "read".
std::string rereadOutcome(const FmWorker& worker) {
  TempFile path("flockCost");
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &worker);
  }
  RWReadLog log;
  FmWorker read;
  try {
    RWBinaryFile file(path.c_str(), "rb");
    readObject(file, &read);
  } catch (const RWxmsg& error) {
    log.destroyCreated();
    return error.why();
  }
  return "read";
}

// A flock of its own bird, whose prototype holds `extra` more nodes.
FmFlock* flockWithBird(std::int32_t members, int extra = 0) {
  FmFlock* flock = flockNamed("birds", members, true);
  FmObject* bird = birdNamed("bird");
  for (int i = 0; i < extra; ++i) bird->appendChild(new FmNode("wing", nullptr, -1.0f));
  flock->setPrototype(bird, true);
  return flock;
}

}  // namespace

TEST(WorkerFlockCost, ALevelMayMakeAtMostTheMostFlockNodesAltogether) {
  constexpr auto most = static_cast<std::int32_t>(FmWorker::maxFlockNodes);
  FmWorker full;
  full.addNode(flockWithBird(most / 2), nullptr);
  full.addNode(flockWithBird(most / 2), nullptr);
  EXPECT_EQ(rereadOutcome(full), "read");

  FmWorker over;
  over.addNode(flockWithBird(most / 2), nullptr);
  over.addNode(flockWithBird(most / 2 + 1), nullptr);
  EXPECT_NE(rereadOutcome(over).find("[FLOCK]"), std::string::npos);

  // Every node of the prototype is copied into each member.
  FmWorker heavy;
  heavy.addNode(flockWithBird(most / 2, 1), nullptr);
  EXPECT_EQ(rereadOutcome(heavy), "read");
  FmWorker heavier;
  heavier.addNode(flockWithBird(most / 2 + 1, 1), nullptr);
  EXPECT_NE(rereadOutcome(heavier).find("[FLOCK]"), std::string::npos);
}

TEST(WorkerFlockCost, MembersOfAFlockInsideAPrototypeAreCopiedWithIt) {
  // An inner flock of 40 members inside the prototype of an outer flock of 60:
  // each outer member copies the inner members too (60 * (2 + 40) > the most).
  FmWorker nested;
  FmObject* holder = birdNamed("holder");
  holder->appendChild(flockWithBird(40));
  nested.addNode(holder, nullptr);
  nested.addNode(flockNamed("outer*holder", 60, false), nullptr);
  EXPECT_NE(rereadOutcome(nested).find("[FLOCK]"), std::string::npos);

  FmWorker small;
  FmObject* light = birdNamed("holder");
  light->appendChild(flockWithBird(4));
  small.addNode(light, nullptr);
  small.addNode(flockNamed("outer*holder", 60, false), nullptr);
  EXPECT_EQ(rereadOutcome(small), "read");
}
