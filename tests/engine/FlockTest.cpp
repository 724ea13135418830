#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "CountedNode.h"
#include "FmBoidController.h"
#include "FmClock.h"
#include "FmEngine.h"
#include "FmFlock.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmRandom.h"
#include "FmTimerBarController.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "TempFile.h"

namespace {

class StillClock : public FmClock {
public:
  std::uint64_t counter() const override { return 0; }
  std::uint64_t frequency() const override { return 1000; }
};

float length(const FmPoint& p) {
  return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
}

// An object whose vertices lie at the given distance from its origin.
FmObject* prototypeOfRadius(float radius) {
  auto* object = new FmObject("bird", nullptr, -1.0f);
  auto* frame = new FmMesh;
  EXPECT_TRUE(frame->setVertices({radius, 0, 0, 0, radius, 0, 0, 0, radius}));
  object->setCurrentFrame(frame);
  object->setVertexCount(3);
  return object;
}

std::unique_ptr<FmFlock> flockOf(std::int32_t members, float radius = 1.0f) {
  auto flock = std::make_unique<FmFlock>();
  flock->setName("flock");
  flock->setPrototype(prototypeOfRadius(radius), true);
  EXPECT_TRUE(flock->setMemberCount(members));
  flock->setNeighbourRadius(4.0f);
  flock->setRepelThreshold(0.99f);
  flock->setCruiseFactor(2.0f);
  return flock;
}

FmBoidController& boidOf(const FmFlock& flock, std::size_t index) {
  return *dynamic_cast<FmBoidController*>(flock.childAt(index)->controller());
}

std::vector<FmPoint> memberPositions(const FmFlock& flock) {
  std::vector<FmPoint> positions;
  for (std::size_t i = 0; i < flock.childCount(); ++i) {
    positions.push_back(boidOf(flock, i).position().value());
  }
  return positions;
}

void frame(FmFlock& flock, float time) {
  flock.update(time, FmMatrix::identity());
}

// Places two members at the distance along x; the flock is restarted first so that
// its derived settings exist.
std::unique_ptr<FmFlock> pairAtDistance(float distance) {
  auto flock = flockOf(2);
  flock->populate(0.0f);
  flock->restart(0.0f);
  boidOf(*flock, 0).position().setValue({distance, 5, 0});
  boidOf(*flock, 1).position().setValue({0, 5, 0});
  return flock;
}

std::unique_ptr<RWCollectable> roundTrip(const RWCollectable& object,
                                         std::vector<unsigned char>& bytes) {
  TempFile path("record");
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &object);
  }
  bytes = path.bytes();
  RWBinaryFile file(path.c_str(), "rb");
  return std::unique_ptr<RWCollectable>(readObject(file));
}

std::string readError(const RecordBytes& record) {
  TempFile path("hostile");
  path.write(record.bytes());
  RWBinaryFile file(path.c_str(), "rb");
  RWReadLog log;
  try {
    std::unique_ptr<RWCollectable> read(readObject(file));
  } catch (const RWxmsg& error) {
    log.destroyCreated();
    return error.why();
  }
  return "no error";
}

constexpr std::uint16_t orderedId = 0x8028;

RecordBytes& nil(RecordBytes& r) {
  return r.u16(0xFFFF).u32(0);
}

// A flock record of the version, up to and including its prototype field.
RecordBytes& flockHead(RecordBytes& r, std::uint32_t version) {
  r.u32(0x8888).u16(FmFlock::id).u32(version);
  r.u32(102).text("hostile");
  nil(r);
  nil(r);
  r.u32(3).u16(orderedId).u32(0).f32(-1.0f);
  return r;
}

}  // namespace

// ---- the random generator ---------------------------------------------------------

TEST(Random, ReseedingRepeatsTheSequenceWithinItsRange) {
  FmRandom::seed(100);
  // 100 * 214013 + 2531011 = 23932311, whose bits 16 and up are 365.
  EXPECT_EQ(FmRandom::next(), 365);
  std::vector<int> first;
  for (int i = 0; i < 50; ++i) first.push_back(FmRandom::next());
  FmRandom::seed(100);
  FmRandom::next();
  for (int value : first) {
    EXPECT_EQ(FmRandom::next(), value);
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 32767);
  }
  FmRandom::seed(100);
  EXPECT_FLOAT_EQ(FmRandom::uniform(), 365.0f / 32767.0f);
}

// ---- populating and restarting ----------------------------------------------------

TEST(FlockPopulate, MakesMemberCountBoidsOfThePrototype) {
  auto flock = flockOf(5);
  flock->populate(7.0f);
  ASSERT_EQ(flock->childCount(), 5u);
  EXPECT_TRUE(flock->hasCloseness());
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(flock->childAt(i)->parent(), flock.get());
    EXPECT_EQ(flock->childAt(i)->name(), RWCString("bird"));
    EXPECT_EQ(boidOf(*flock, i).lastTime(), 7.0f);
  }
  flock->populate(8.0f);
  EXPECT_EQ(flock->childCount(), 5u);
  EXPECT_FLOAT_EQ(flock->prototype()->boundingRadius(), 1.0f);
}

TEST(FlockPopulate, NoPrototypeOrNoMembersLeavesTheFlockEmpty) {
  auto flock = flockOf(3);
  flock->populate(0.0f);
  EXPECT_TRUE(flock->setMemberCount(0));
  flock->populate(0.0f);
  EXPECT_EQ(flock->childCount(), 0u);
  EXPECT_FALSE(flock->hasCloseness());

  FmFlock bare;
  EXPECT_TRUE(bare.setMemberCount(4));
  bare.populate(0.0f);
  EXPECT_EQ(bare.childCount(), 0u);
}

TEST(FlockRestart, PlacesMembersIdenticallyEveryTime) {
  auto flock = flockOf(5, 2.0f);
  flock->setCentre({10, 20, 30});
  flock->populate(0.0f);
  flock->restart(0.0f);
  const std::vector<FmPoint> first = memberPositions(*flock);
  std::vector<FmPoint> headings;
  for (std::size_t i = 0; i < 5; ++i) headings.push_back(boidOf(*flock, i).heading());

  for (int i = 0; i < 20; ++i) frame(*flock, 0.1f * static_cast<float>(i));
  FmRandom::next();
  flock->populate(4.0f);
  flock->restart(4.0f);
  EXPECT_EQ(memberPositions(*flock), first);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(boidOf(*flock, i).heading(), headings[i]);
  EXPECT_NE(first[0], first[1]);
}

TEST(FlockRestart, ScattersAroundTheCentreAtCruisingSpeed) {
  auto flock = flockOf(5, 2.0f);
  flock->setCentre({10, 20, 30});
  flock->populate(0.0f);
  flock->computeBounds(6);
  EXPECT_EQ(flock->timeOffset(), 6.0f);
  const float reach = 5 * 2.0f * 1.4142131f;
  for (std::size_t i = 0; i < 5; ++i) {
    const FmBoidController& boid = boidOf(*flock, i);
    const FmPoint& p = boid.position().value();
    EXPECT_LE(std::fabs(p.x - 10), reach);
    EXPECT_LE(std::fabs(p.z - 30), reach);
    EXPECT_GE(p.y, 20.0f);
    EXPECT_LE(p.y, 20.0f + 2 * 2.0f * 1.4142131f);
    EXPECT_NEAR(length(boid.heading()), 1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(boid.speed(), 4.0f);
    EXPECT_FLOAT_EQ(boid.cruiseSpeed(), 4.0f);
    EXPECT_FLOAT_EQ(boid.climbDrag(), 0.002f);
    EXPECT_FLOAT_EQ(boid.alignBoost(), 0.2f);
    EXPECT_EQ(boid.lastTime(), 0.0f);
    EXPECT_LE(std::fabs(flock->childAt(i)->timeOffset()), 0.5f);
  }
  EXPECT_FLOAT_EQ(flock->neighbourRadiusSq(), 64.0f);
}

TEST(FlockRestart, WithoutACentreStartsAtTheFlocksPosition) {
  auto flock = flockOf(1);
  auto* controller = new FmTransformController;
  controller->position().setValue({-50, 0, 0});
  flock->setController(controller);
  flock->populate(0.0f);
  flock->restart(0.0f);
  EXPECT_EQ(flock->centre(), (FmPoint{-50, 0, 0}));
  EXPECT_NEAR(boidOf(*flock, 0).position().value().x, -50.0f, 1.5f);
}

// What a rocket hit does to a member.
void shootMember(FmFlock& flock, std::size_t index) {
  FmNode* member = flock.childAt(index);
  ASSERT_TRUE(flock.removeChild(member));
  delete member;
}

TEST(FlockRestart, AFlockThatLostMembersKeepsTheirPlacesButRestartsTheClock) {
  auto flock = flockOf(3);
  flock->populate(0.0f);
  flock->restart(0.0f);
  for (int i = 1; i <= 5; ++i) frame(*flock, static_cast<float>(i));
  shootMember(*flock, 2);
  const std::vector<FmPoint> before = memberPositions(*flock);
  flock->restart(9.0f);
  EXPECT_EQ(flock->timeOffset(), 9.0f);
  EXPECT_EQ(memberPositions(*flock), before);
  EXPECT_EQ(boidOf(*flock, 0).lastTime(), 0.0f);
  EXPECT_EQ(boidOf(*flock, 1).lastTime(), 0.0f);
}

// ---- closeness and pair forces ----------------------------------------------------

TEST(FlockCloseness, HalfTheNeighbourDistanceAttracts) {
  auto flock = pairAtDistance(0.5f * 4.0f * 1.0f);
  frame(*flock, 0.0f);
  EXPECT_FLOAT_EQ(flock->closenessAt(0, 1), 0.75f);
  EXPECT_FLOAT_EQ(flock->closenessAt(1, 0), 0.75f);
  EXPECT_EQ(flock->closenessAt(0, 0), 0.0f);
  EXPECT_FLOAT_EQ(flock->pairForce(0.75f), -0.75f);
  // The first member lies on +x of the second: it is pulled towards -x.
  EXPECT_FLOAT_EQ(boidOf(*flock, 0).push().x, -0.75f);
  EXPECT_FLOAT_EQ(boidOf(*flock, 1).push().x, 0.75f);
  EXPECT_EQ(boidOf(*flock, 0).neighbours(), 1);
  EXPECT_EQ(boidOf(*flock, 1).neighbours(), 1);
}

TEST(FlockCloseness, EveryPairReadsTheSameBothWaysAndFollowsTheDistance) {
  auto flock = flockOf(6, 2.0f);
  flock->populate(0.0f);
  flock->restart(0.0f);
  const std::vector<FmPoint> before = memberPositions(*flock);
  frame(*flock, 0.1f);
  const float reachSq = flock->neighbourRadiusSq();
  ASSERT_GT(reachSq, 0.0f);
  int neighbours = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(flock->closenessAt(i, i), 0.0f);
    for (std::size_t j = 0; j < before.size(); ++j) {
      if (i == j) continue;
      const FmPoint d = before[i] - before[j];
      const float room = reachSq - (d.x * d.x + d.y * d.y + d.z * d.z);
      EXPECT_FLOAT_EQ(flock->closenessAt(i, j), room >= 0 ? room / reachSq : 0.0f) << i << j;
      EXPECT_EQ(flock->closenessAt(i, j), flock->closenessAt(j, i));
      neighbours += room >= 0 ? 1 : 0;
    }
  }
  EXPECT_GT(neighbours, 0) << "the members start close enough for some pairs";
}

TEST(FlockCloseness, FullClosenessRepelsFully) {
  auto flock = pairAtDistance(0.0f);
  frame(*flock, 0.0f);
  EXPECT_FLOAT_EQ(flock->closenessAt(0, 1), 1.0f);
  EXPECT_NEAR(flock->pairForce(1.0f), 1.0f, 1e-4f);
  EXPECT_EQ(boidOf(*flock, 0).push(), FmPoint{});
}

TEST(FlockCloseness, AStoredThresholdOfOneBecomesNinetyNineHundredths) {
  auto flock = flockOf(2);
  flock->setRepelThreshold(1.0f);
  flock->populate(0.0f);
  flock->restart(0.0f);
  EXPECT_FLOAT_EQ(flock->repelThreshold(), 0.99f);
  EXPECT_NEAR(flock->repelScale(), 100.0f, 1e-3f);
}

TEST(FlockCloseness, AZeroNeighbourRadiusMeansNoNeighbours) {
  auto flock = flockOf(2);
  flock->setNeighbourRadius(0.0f);
  flock->populate(0.0f);
  flock->restart(0.0f);
  boidOf(*flock, 0).position().setValue({1, 1, 1});
  boidOf(*flock, 1).position().setValue({1, 1, 1});
  frame(*flock, 0.0f);
  EXPECT_EQ(flock->closenessAt(0, 1), 0.0f);
  EXPECT_FALSE(std::isnan(boidOf(*flock, 0).position().value().x));
}

TEST(FlockCloseness, ExtraChildrenStayOutsideTheCloseness) {
  auto flock = flockOf(2);
  flock->populate(0.0f);
  flock->restart(0.0f);
  for (int i = 0; i < 3; ++i) {
    auto* stray = new FmNode("stray", nullptr, -1.0f);
    stray->setController(new FmBoidController(0.0f));
    ASSERT_TRUE(flock->appendChild(stray));
  }
  for (std::size_t i = 0; i < flock->childCount(); ++i) {
    boidOf(*flock, i).position().setValue({0, 0, static_cast<float>(i)});
  }
  frame(*flock, 0.5f);
  EXPECT_GT(flock->closenessAt(0, 1), 0.0f);
  EXPECT_EQ(flock->closenessAt(0, 4), 0.0f);
  EXPECT_EQ(boidOf(*flock, 4).neighbours(), 0);
  EXPECT_EQ(boidOf(*flock, 0).neighbours(), 1);
}

// ---- the grid against every pair ---------------------------------------------------

// Everything a member's frame leaves behind, bit for bit.
std::vector<std::uint32_t> memberBits(const FmFlock& flock) {
  std::vector<std::uint32_t> bits;
  const auto add = [&bits](const FmPoint& p) {
    for (const float v : {p.x, p.y, p.z}) bits.push_back(std::bit_cast<std::uint32_t>(v));
  };
  for (std::size_t i = 0; i < flock.childCount(); ++i) {
    const FmBoidController& boid = boidOf(flock, i);
    add(boid.position().value());
    add(boid.heading());
    add(boid.push());
    add(boid.alignment());
    add({boid.speed(), boid.pitch(), boid.yaw()});
    add({boid.roll(), boid.turnRate(), 0});
    bits.push_back(static_cast<std::uint32_t>(boid.neighbours()));
  }
  return bits;
}

// A flock of n members packed into a flat box where each has a few neighbours,
// between a floor and a ceiling that some of them start beyond, with a pair on
// top of each other and a pair exactly at the neighbour distance.
std::unique_ptr<FmFlock> crowdedFlock(std::int32_t members, FmFlock::NeighbourSearch search) {
  auto flock = flockOf(members, 1.5f);
  flock->setNeighbourSearch(search);
  flock->setRepelThreshold(0.7f);
  flock->setFloor(-4.0f);
  flock->setCeiling(4.0f);
  flock->setCentre({20, 0, -30});
  flock->populate(0.0f);
  flock->restart(0.0f);
  const float side = std::sqrt(static_cast<float>(members) * 8.0f);
  FmRandom::seed(7);
  for (std::size_t i = 0; i < flock->childCount(); ++i) {
    const FmPoint p{20 + (FmRandom::uniform() - 0.5f) * side, (FmRandom::uniform() - 0.5f) * 12,
                    -30 + (FmRandom::uniform() - 0.5f) * side};
    boidOf(*flock, i).position().setValue(p);
  }
  const FmPoint first = boidOf(*flock, 0).position().value();
  boidOf(*flock, 1).position().setValue(first);
  const float reach = std::sqrt(flock->neighbourRadiusSq());
  boidOf(*flock, 2).position().setValue(first + FmPoint{reach, 0, 0});
  return flock;
}

// Plays both flocks frame by frame and stops at the first frame that differs.
void expectSameFrames(std::int32_t members, int frames) {
  auto grid = crowdedFlock(members, FmFlock::NeighbourSearch::grid);
  auto pairs = crowdedFlock(members, FmFlock::NeighbourSearch::everyPair);
  ASSERT_EQ(memberBits(*grid), memberBits(*pairs));
  std::int64_t pairsFound = 0;
  for (int f = 1; f <= frames; ++f) {
    const float time = static_cast<float>(f) / 30.0f;
    frame(*grid, time);
    frame(*pairs, time);
    ASSERT_EQ(memberBits(*grid), memberBits(*pairs)) << members << " members, frame " << f;
    for (std::size_t i = 0; i < grid->childCount(); ++i)
      pairsFound += boidOf(*grid, i).neighbours();
  }
  EXPECT_GT(pairsFound, static_cast<std::int64_t>(members) * frames)
      << "the members are close enough to steer each other";
}

TEST(FlockGrid, TwentyMembersFlyAsWhenEveryPairIsMeasured) {
  expectSameFrames(20, 600);
}

TEST(FlockGrid, TwoHundredAndFiftyMembersFlyAsWhenEveryPairIsMeasured) {
  expectSameFrames(250, 600);
}

TEST(FlockGrid, TwoThousandMembersFlyAsWhenEveryPairIsMeasured) {
  expectSameFrames(2000, 600);
}

// Members on one spot, members thrown to infinity or beyond numbers, and members
// far beyond the grid's range: whatever every pair gives, the grid gives.
TEST(FlockGrid, DegenerateFlocksMatchEveryPair) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<std::vector<FmPoint>> layouts = {
      {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}},
      {{0, 0, 0}, {inf, 0, 0}, {nan, 1, 0}, {1, 0, 0}, {-inf, 0, 2}, {2, 1, 0}},
      {{1e30f, 0, 0}, {1e30f, 1, 0}, {-1e30f, 0, 0}, {-1e30f, 0, 1}, {3e38f, 0, 0}, {-3e38f, 0, 0}},
  };
  for (const float radius : {4.0f, 1e30f, 0.0f}) {
    for (const std::vector<FmPoint>& layout : layouts) {
      std::vector<std::unique_ptr<FmFlock>> flocks;
      for (const auto search :
           {FmFlock::NeighbourSearch::grid, FmFlock::NeighbourSearch::everyPair}) {
        auto flock = flockOf(static_cast<std::int32_t>(layout.size()));
        flock->setNeighbourSearch(search);
        flock->setNeighbourRadius(radius);
        flock->populate(0.0f);
        flock->restart(0.0f);
        for (std::size_t i = 0; i < layout.size(); ++i)
          boidOf(*flock, i).position().setValue(layout[i]);
        frame(*flock, 0.0f);
        flocks.push_back(std::move(flock));
      }
      EXPECT_EQ(memberBits(*flocks[0]), memberBits(*flocks[1])) << radius << " " << layout[0].x;
      for (int f = 1; f <= 3; ++f) {
        frame(*flocks[0], 0.1f * static_cast<float>(f));
        frame(*flocks[1], 0.1f * static_cast<float>(f));
      }
      EXPECT_EQ(memberBits(*flocks[0]), memberBits(*flocks[1])) << radius << " " << layout[0].x;
    }
  }
}

TEST(FlockGrid, TheCloseWithinOneCellCountEachOther) {
  auto flock = flockOf(4);
  flock->populate(0.0f);
  flock->restart(0.0f);
  for (std::size_t i = 0; i < 4; ++i) boidOf(*flock, i).position().setValue({0, 5, 0});
  frame(*flock, 0.0f);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(boidOf(*flock, i).neighbours(), 3) << i;
  EXPECT_EQ(flock->closenessAt(2, 3), 1.0f);
}

TEST(FlockHeight, MembersAboveTheCeilingOrBelowTheFloorArePushedBack) {
  auto flock = pairAtDistance(100.0f);
  flock->setCeiling(10.0f);
  flock->setFloor(2.0f);
  boidOf(*flock, 0).position().setValue({100, 13, 0});
  boidOf(*flock, 1).position().setValue({0, 0.5f, 0});
  frame(*flock, 0.0f);
  EXPECT_FLOAT_EQ(boidOf(*flock, 0).push().y, -3.0f);
  EXPECT_FLOAT_EQ(boidOf(*flock, 1).push().y, 1.5f);
  EXPECT_EQ(boidOf(*flock, 0).neighbours(), 0);
  flock->scalePositions({1, 2, 1});
  EXPECT_EQ(flock->ceiling(), 20.0f);
  EXPECT_EQ(flock->floor(), 4.0f);
}

TEST(FlockHeight, TheFlocksPositionIsEveryMembersCentre) {
  auto flock = pairAtDistance(100.0f);
  auto* controller = new FmTransformController;
  controller->position().setValue({3, 4, 5});
  flock->setController(controller);
  frame(*flock, 0.0f);
  EXPECT_EQ(boidOf(*flock, 0).flockCentre(), (FmPoint{3, 4, 5}));
  EXPECT_EQ(boidOf(*flock, 1).flockCentre(), (FmPoint{3, 4, 5}));
}

// ---- winning and losing -----------------------------------------------------------

class FlockOutcome : public ::testing::Test {
protected:
  StillClock clock;
  FmEngine engine{clock};
};

TEST_F(FlockOutcome, TheTimeLimitFailsTheLevelAndARestartRepeatsThePlaces) {
  auto flock = flockOf(5);
  flock->setTimeLimit(3.0f);
  flock->populate(100.0f);
  flock->restart(100.0f);
  const std::vector<FmPoint> start = memberPositions(*flock);
  float time = 100.0f;
  for (; time <= 103.0f; time += 0.25f) {
    frame(*flock, time);
    ASSERT_FALSE(engine.failEvent()) << time;
  }
  const std::vector<FmPoint> moved = memberPositions(*flock);
  EXPECT_NE(moved, start);
  frame(*flock, time);
  EXPECT_TRUE(engine.failEvent());
  EXPECT_TRUE(flock->active());
  EXPECT_EQ(memberPositions(*flock), moved);

  engine.setFailEvent(false);
  frame(*flock, time + 1);
  EXPECT_TRUE(engine.failEvent());

  engine.setFailEvent(false);
  flock->populate(time + 1);
  flock->restart(time + 1);
  EXPECT_EQ(memberPositions(*flock), start);
  frame(*flock, time + 1.5f);
  EXPECT_FALSE(engine.failEvent());
}

TEST_F(FlockOutcome, ShootingTheLastMemberWinsOnce) {
  auto flock = flockOf(2);
  flock->populate(0.0f);
  flock->restart(0.0f);
  frame(*flock, 0.1f);
  shootMember(*flock, 0);
  frame(*flock, 0.2f);
  EXPECT_FALSE(engine.winEvent());
  shootMember(*flock, 0);
  frame(*flock, 0.3f);
  EXPECT_TRUE(engine.winEvent());
  EXPECT_FALSE(flock->active());
  engine.setWinEvent(false);
  frame(*flock, 0.4f);
  EXPECT_FALSE(engine.winEvent());
}

TEST_F(FlockOutcome, AnInactiveFlockDecidesNothing) {
  auto flock = flockOf(0);
  flock->setTimeLimit(1.0f);
  flock->setActive(false);
  frame(*flock, 5.0f);
  EXPECT_FALSE(engine.winEvent());
  EXPECT_FALSE(engine.failEvent());
}

TEST_F(FlockOutcome, TheActiveFlocksRestartStartsTheTimerBar) {
  FmTimerBarController bar;
  engine.scene().worker().setTimerBar(&bar);
  auto flock = flockOf(2);
  flock->setTimeLimit(30.0f);
  flock->setActive(false);
  flock->restart(0.0f);
  EXPECT_EQ(bar.getLimit(), 0.0f);
  flock->setActive(true);
  flock->restart(0.0f);
  EXPECT_EQ(bar.getLimit(), 30.0f);
  EXPECT_EQ(bar.endTime(), 30.0f);
  engine.scene().worker().setTimerBar(nullptr);
}

TEST(FlockWithoutEngine, NeitherWinsNorFails) {
  ASSERT_EQ(FmEngine::instance(), nullptr);
  auto flock = flockOf(1);
  flock->setTimeLimit(1.0f);
  flock->populate(0.0f);
  flock->restart(0.0f);
  frame(*flock, 2.0f);
  shootMember(*flock, 0);
  frame(*flock, 3.0f);
  EXPECT_TRUE(flock->active());
}

// ---- the boid's steering ----------------------------------------------------------

class BoidSteering : public ::testing::Test {
protected:
  void SetUp() override {
    boid.restart({0, 0, 0}, {0, 0, -1}, 1.0f, 10.0f);
    boid.beginFrame({0, 0, -1000});
  }
  FmBoidController boid{0.0f};
};

TEST_F(BoidSteering, FliesAlongItsHeadingAtItsSpeed) {
  boid.update(0.5f, FmMatrix::identity());
  const FmPoint& p = boid.position().value();
  EXPECT_GT(boid.speed(), 10.0f);
  EXPECT_NEAR(p.z, -0.5f * boid.speed(), 1e-4f);
  EXPECT_NEAR(p.x, 0.0f, 1e-4f);
  EXPECT_NEAR(length(boid.heading()), 1.0f, 1e-5f);
  EXPECT_EQ(boid.lastTime(), 0.5f);
  EXPECT_EQ(boid.matrix()[14], 0.0f);
}

TEST_F(BoidSteering, ClimbsStepByStepUpToItsLimit) {
  float time = 0;
  for (int i = 0; i < 100; ++i) {
    boid.beginFrame({0, 0, -1000});
    boid.addPush({0, 5, 0});
    boid.update(time += 0.01f, FmMatrix::identity());
    if (i == 0) {
      EXPECT_FLOAT_EQ(boid.pitch(), 0.02f);
    }
  }
  EXPECT_FLOAT_EQ(boid.pitch(), 0.8f);
  EXPECT_GT(boid.heading().y, 0.0f);
}

TEST_F(BoidSteering, SpeedStaysWithinHalfAndFiveTimesCruising) {
  boid.setAlignBoost(0);
  boid.setSpeed(0);
  boid.update(0.1f, FmMatrix::identity());
  EXPECT_FLOAT_EQ(boid.speed(), 5.0f);
  boid.setSpeed(1000);
  boid.update(0.2f, FmMatrix::identity());
  EXPECT_FLOAT_EQ(boid.speed(), 50.0f);
  boid.setAlignBoost(100);
  boid.update(0.3f, FmMatrix::identity());
  EXPECT_GT(boid.speed(), 50.0f);
}

TEST_F(BoidSteering, TurnsTowardsWhereItWantsToGo) {
  float time = 0;
  for (int i = 0; i < 200; ++i) {
    boid.beginFrame({1000, 0, 0});
    boid.update(time += 0.02f, FmMatrix::identity());
  }
  EXPECT_GT(boid.heading().x, 0.5f);
}

// ---- stored forms -----------------------------------------------------------------

TEST(FlockStore, RoundTripsItsSettingsAndPrototype) {
  auto flock = flockOf(5);
  flock->setFloor(1);
  flock->setCeiling(9);
  flock->setTimeLimit(30);
  flock->setActive(false);
  std::vector<unsigned char> bytes;
  auto read = roundTrip(*flock, bytes);
  EXPECT_EQ(bytes.size(), recursiveStoreSize(flock.get()));
  auto* copy = dynamic_cast<FmFlock*>(read.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->name(), RWCString("flock"));
  ASSERT_NE(copy->prototype(), nullptr);
  EXPECT_EQ(copy->prototype()->name(), RWCString("bird"));
  EXPECT_TRUE(copy->prototypeOwned());
  EXPECT_EQ(copy->memberCount(), 5);
  EXPECT_EQ(copy->repelThreshold(), 0.99f);
  EXPECT_EQ(copy->neighbourRadius(), 4.0f);
  EXPECT_EQ(copy->cruiseFactor(), 2.0f);
  EXPECT_EQ(copy->floor(), 1.0f);
  EXPECT_EQ(copy->ceiling(), 9.0f);
  EXPECT_EQ(copy->timeLimit(), 30.0f);
  EXPECT_FALSE(copy->active());
}

TEST(FlockStore, AVersion100RecordIsActiveWithoutLimits) {
  RecordBytes r;
  flockHead(r, 100);
  nil(r);
  r.u32(1).u32(7).f32(0.5f).f32(3.0f).f32(2.0f);
  TempFile path("old");
  path.write(r.bytes());
  RWBinaryFile file(path.c_str(), "rb");
  std::unique_ptr<RWCollectable> read(readObject(file));
  auto* flock = dynamic_cast<FmFlock*>(read.get());
  ASSERT_NE(flock, nullptr);
  EXPECT_EQ(flock->memberCount(), 7);
  EXPECT_EQ(flock->cruiseFactor(), 2.0f);
  EXPECT_TRUE(flock->active());
  EXPECT_EQ(flock->timeLimit(), 0.0f);
  EXPECT_EQ(flock->floor(), 0.0f);
  EXPECT_EQ(flock->ceiling(), 0.0f);
  EXPECT_TRUE(flock->prototypeOwned());
}

TEST(FlockStore, RefusesAnAbsurdMemberCount) {
  auto flock = flockOf(5);
  TempFile path("written");
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, flock.get());
  }
  const auto justTooMany = static_cast<std::uint32_t>(FmFlock::maxMemberCount + 1);
  for (const std::uint32_t count : {justTooMany, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    std::vector<unsigned char> bytes = path.bytes();
    // memberCount follows prototypeOwned; seven 4-byte fields come after it.
    const std::size_t at = bytes.size() - 8 * 4;
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(count >> (8 * i));
    RecordBytes r;
    r.raw(bytes);
    EXPECT_NE(readError(r).find("member count"), std::string::npos) << count;
  }
}

TEST(FlockStore, ReadsTheLargestMemberCount) {
  auto flock = flockOf(5);
  EXPECT_TRUE(flock->setMemberCount(2000));
  EXPECT_TRUE(flock->setMemberCount(FmFlock::maxMemberCount));
  EXPECT_FALSE(flock->setMemberCount(FmFlock::maxMemberCount + 1));
  std::vector<unsigned char> bytes;
  const auto read = roundTrip(*flock, bytes);
  const auto* copy = dynamic_cast<const FmFlock*>(read.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->memberCount(), FmFlock::maxMemberCount);
}

TEST(FlockStore, RefusesAPrototypeThatIsNotAnObject) {
  RecordBytes r;
  flockHead(r, 103);
  r.u16(FmNode::id).u32(102).text("node");
  nil(r);
  nil(r);
  r.u32(3).u16(orderedId).u32(0).f32(-1.0f);
  r.u32(1).u32(5).f32(0.5f).f32(3).f32(2).f32(0).f32(0).u32(1).f32(0);
  EXPECT_NE(readError(r).find("[TYPE]"), std::string::npos);
}

TEST(FlockStore, APrototypeFoundByReferenceIsNotOwned) {
  TempFile path("shared");
  {
    RWOrdered list;
    auto* object = prototypeOfRadius(1);
    auto* flock = new FmFlock;
    flock->setPrototype(object, true);
    list.append(object);
    list.append(flock);
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &list);
    list.clear();
    delete flock;
  }
  RWBinaryFile file(path.c_str(), "rb");
  std::unique_ptr<RWCollectable> read(readObject(file));
  auto* list = dynamic_cast<RWOrdered*>(read.get());
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->entryCount(), 2u);
  auto* flock = dynamic_cast<FmFlock*>(list->elementAt(1));
  ASSERT_NE(flock, nullptr);
  EXPECT_EQ(flock->prototype(), list->elementAt(0));
  EXPECT_FALSE(flock->prototypeOwned());
  list->clearAndDestroy();
}

TEST(FlockStore, AnOwnedPrototypeThatSaysItOwnsNoChildrenStillGoesWithThem) {
  int destroyed = 0;
  {
    FmFlock flock;
    auto* prototype = prototypeOfRadius(1);
    ASSERT_TRUE(prototype->appendChild(new CountedNode(destroyed)));
    prototype->setFlags(0);
    flock.setPrototype(prototype, true);
  }
  EXPECT_EQ(destroyed, 1);
}

TEST(FlockCopy, ACloneSharesThePrototypeWithoutClosenessOrOwnership) {
  auto flock = flockOf(3);
  flock->populate(0.0f);
  flock->restart(0.0f);
  std::unique_ptr<FmFlock> copy(static_cast<FmFlock*>(flock->clone()));
  EXPECT_EQ(copy->prototype(), flock->prototype());
  EXPECT_FALSE(copy->prototypeOwned());
  EXPECT_FALSE(copy->hasCloseness());
  EXPECT_EQ(copy->childCount(), 3u);
  EXPECT_EQ(copy->memberCount(), 3);
  EXPECT_EQ(copy->classId(), FmFlock::id);
  frame(*copy, 1.0f);
}

TEST(FlockCopy, APrototypeHoldingTheFlockGivesNoMembers) {
  std::unique_ptr<FmObject> world(prototypeOfRadius(1));
  auto* flock = new FmFlock;
  ASSERT_TRUE(world->appendChild(flock));
  flock->setPrototype(world.get(), false);
  ASSERT_TRUE(flock->setMemberCount(3));
  flock->populate(0.0f);
  EXPECT_EQ(flock->childCount(), 0u);
}

TEST(BoidStore, RoundTripsEveryField) {
  FmBoidController boid(3.0f);
  boid.restart({1, 2, 3}, {0, 1, 0}, 2.0f, 5.0f);
  boid.beginFrame({7, 8, 9});
  boid.addPush({0.5f, 0, 0});
  boid.addNeighbour({0, 0, 1}, 0.25f);
  boid.update(3.5f, FmMatrix::identity());
  std::vector<unsigned char> bytes;
  auto read = roundTrip(boid, bytes);
  EXPECT_EQ(bytes.size(), recursiveStoreSize(&boid));
  EXPECT_EQ(boid.storeSize(), FmTransformController().storeSize() + 92);
  auto* copy = dynamic_cast<FmBoidController*>(read.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->position().value(), boid.position().value());
  EXPECT_EQ(copy->heading(), boid.heading());
  EXPECT_EQ(copy->flockCentre(), (FmPoint{7, 8, 9}));
  EXPECT_EQ(copy->speed(), boid.speed());
  std::vector<unsigned char> again;
  std::unique_ptr<RWCollectable> reread = roundTrip(*copy, again);
  auto* second = dynamic_cast<FmBoidController*>(reread.get());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(again, bytes);
  EXPECT_EQ(second->alignBoost(), boid.alignBoost());
  EXPECT_EQ(second->pitchStep(), boid.pitchStep());

  std::unique_ptr<FmBoidController> clone(static_cast<FmBoidController*>(boid.clone()));
  EXPECT_EQ(clone->lastTime(), 3.5f);
  EXPECT_EQ(clone->heading(), boid.heading());
  EXPECT_EQ(clone->speed(), boid.speed());
}

TEST(BoidStore, AnotherVersionLeavesTheControllerCleared) {
  FmBoidController boid;
  boid.restart({1, 2, 3}, {0, 1, 0}, 2.0f, 5.0f);
  RecordBytes r;
  r.u32(101);
  TempFile path("boid");
  path.write(r.bytes());
  RWBinaryFile file(path.c_str(), "rb");
  boid.restoreFields(file);
  EXPECT_EQ(boid.speed(), 0.0f);
  EXPECT_EQ(boid.heading(), FmPoint{});
  EXPECT_EQ(boid.pitchStep(), FmBoidController::defaultPitchStep);
}
