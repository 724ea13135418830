#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "FmNeighbourGrid.h"
#include "FmNode.h"
#include "FmObject.h"
#include "FmPoint.h"

class FmBoidController;

// A node whose children are the members of a flock: copies of a prototype object,
// each moved by its own boid controller. Every frame the flock measures how close
// the members are to each other and turns that into their steering inputs: only
// pairs within the neighbour radius count, and a grid of cells of that size finds
// them, with the same results as measuring every pair. The
// active flock decides the level: won when it has no members left, lost when its
// time limit has passed.
class FmFlock : public FmNode {
public:
  static constexpr RWClassID id = 1149;
  static constexpr std::int32_t storedVersion = 103;
  // The most members a flock may have. A level's flocks together are held to
  // FmWorker::maxFlockNodes when it is read; flocks built in code may be larger.
  static constexpr std::int32_t maxMemberCount = 16384;
  static constexpr std::uint32_t restartSeed = 100;

  FmFlock();
  // How the members near each member are found: through the grid, or by measuring
  // every pair. Both give the same results to the bit.
  enum class NeighbourSearch { grid, everyPair };

  // Copies the settings and shares the prototype without owning it; the copy has
  // no closeness until it is populated.
  FmFlock(const FmFlock& other);
  ~FmFlock() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Refuses, with RWInternalErr, a prototype that is not an object ([TYPE]) and a
  // member count outside 0..maxMemberCount. A prototype found by reference is not
  // owned, whatever the stored flag says. Whenever an error propagates, the flock
  // lets go of what it read without destroying it (the reader's log releases it).
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using FmNode::restoreFields;
  using FmNode::saveFields;

  // The owned prototype's compaction; the members are not compacted.
  void compact() override;
  // Restarts the flock at the value as a time; restart also takes fractions of a
  // second.
  void computeBounds(int value) override;
  // The node's scaling, then the floor and ceiling by the y factor.
  void scalePositions(const FmPoint& factors) override;
  // Raises the win or fail event, or moves the members one frame; returns 1.
  int update(float time, const FmMatrix& parentMatrix) override;

  // Forgets the closeness and removes every member, destroying them when the flock
  // owns its children. The caller takes them out of any list first.
  virtual void removeMembers();

  // Replaces the members with memberCount fresh copies of the prototype.
  void populate(float time);
  // Makes the time the flock's time zero, starts the timer bar of the active flock
  // and, with exactly memberCount members, scatters them around the centre the same
  // way at every restart.
  void restart(float time);
  // The force along the line between two members at the closeness: below 0 it draws
  // them together, above 0 it drives them apart.
  float pairForce(float closeness) const;
  // The closeness of two members at the positions of the last update; 0 for a
  // member with itself and outside the members measured.
  float closenessAt(std::size_t i, std::size_t j) const;
  NeighbourSearch neighbourSearch() const { return neighbourSearch_; }
  void setNeighbourSearch(NeighbourSearch search) { neighbourSearch_ = search; }

  FmObject* prototype() const { return prototype_; }
  // Destroys an owned previous prototype. Members share their prototype's geometry,
  // so the prototype is replaced only while the flock has no members.
  void setPrototype(FmObject* prototype, bool owned);
  bool prototypeOwned() const { return prototypeOwned_ != 0; }
  // The prototype that the flock owns, which it goes on using but no longer destroys:
  // the caller takes it over. Nil when the flock owns none. The stored flag stays.
  FmObject* handOverPrototype();
  bool active() const { return active_ != 0; }
  void setActive(bool active) { active_ = active ? 1 : 0; }
  std::int32_t memberCount() const { return memberCount_; }
  // False, changing nothing, outside 0..maxMemberCount.
  bool setMemberCount(std::int32_t count);
  float repelThreshold() const { return repelThreshold_; }
  void setRepelThreshold(float threshold) { repelThreshold_ = threshold; }
  float repelScale() const { return repelScale_; }
  float neighbourRadius() const { return neighbourRadius_; }
  void setNeighbourRadius(float radius) { neighbourRadius_ = radius; }
  float neighbourRadiusSq() const { return neighbourRadiusSq_; }
  float cruiseFactor() const { return cruiseFactor_; }
  void setCruiseFactor(float factor) { cruiseFactor_ = factor; }
  float floor() const { return floor_; }
  void setFloor(float height) { floor_ = height; }
  float ceiling() const { return ceiling_; }
  void setCeiling(float height) { ceiling_ = height; }
  float timeLimit() const { return timeLimit_; }
  void setTimeLimit(float seconds) { timeLimit_ = seconds; }
  const FmPoint& centre() const { return centre_; }
  void setCentre(const FmPoint& centre) { centre_ = centre; }
  // Whether the flock was populated to measure its members' closeness.
  bool hasCloseness() const { return memberDimension_ != 0; }

private:
  void resetFlock();
  void readFlock(RWBinaryFile& file, std::int32_t version);
  void readPrototype(RWBinaryFile& file);
  void destroyPrototype();
  FmBoidController* memberBoid(std::size_t index) const;
  bool decidesOutcome(float localTime);
  void deriveSettings(float radius);
  void scatterMembers(float radius);
  void moveFlock(float localTime, const FmMatrix& parentMatrix);
  void gatherMeasuredBoids();
  void startFrame(const std::vector<FmBoidController*>& boids, const FmPoint& centre);
  void keepBetweenFloorAndCeiling(FmBoidController& boid) const;
  float closeness(std::size_t i, std::size_t j) const;
  void pushPair(std::size_t i, std::size_t j, float k,
                const std::vector<FmBoidController*>& boids) const;
  void pushEveryPair(const std::vector<FmBoidController*>& boids) const;
  void pushGridPairs(const std::vector<FmBoidController*>& boids);

  // The measured members' controllers and positions of the current frame, side by
  // side.
  std::vector<FmBoidController*> boids_;
  std::vector<FmPoint> positions_;
  FmNeighbourGrid grid_;
  // One member's later neighbours and their closeness, reused from member to member.
  std::vector<std::uint32_t> candidates_;
  std::vector<std::pair<std::uint32_t, float>> partners_;
  // The number of members measured, fixed when the flock is populated.
  std::size_t memberDimension_ = 0;
  NeighbourSearch neighbourSearch_ = NeighbourSearch::grid;
  float neighbourRadiusSq_ = 0;
  float repelScale_ = 0;
  FmObject* prototype_ = nullptr;
  std::int32_t prototypeOwned_ = 0;
  bool prototypeHandedOver_ = false;
  std::int32_t active_ = 1;
  std::int32_t memberCount_ = 0;
  float repelThreshold_ = 0;
  float neighbourRadius_ = 0;
  float cruiseFactor_ = 0;
  float floor_ = 0;
  float ceiling_ = 0;
  float timeLimit_ = 0;
  FmPoint centre_;
};
