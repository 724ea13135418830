#include "FmFlock.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "FmBoidController.h"
#include "FmEngine.h"
#include "FmRandom.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"

namespace {

constexpr MessageRecord badFlock{"zirrow", 0x3013, "[FLOCK] Flock \"%s\": %s", 0};
constexpr float diagonal = 1.4142131f;
constexpr float highestRepelThreshold = 0.99f;
constexpr int drawsPerMember = 12;

FmPoint unit(const FmPoint& p) {
  const float length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
  return length > 0 ? p * (1.0f / length) : p;
}

float lengthSq(const FmPoint& p) {
  return p.x * p.x + p.y * p.y + p.z * p.z;
}

// Whether the next record is a reference to an object read before (not nil); the
// file is left where it was.
bool nextIsBackReference(RWBinaryFile& file) {
  std::uint16_t next = 0;
  if (!file.peek(next) || next != referenceMarker) return false;
  const std::uint64_t offset = file.currentOffset();
  std::uint16_t marker = 0;
  std::uint32_t number = 0;
  const bool reference =
      file.read(marker) && marker == referenceMarker && file.read(number) && number != 0;
  file.seekTo(offset);
  return reference;
}

// Members are moved by controllers of exactly this class, whose type is cheaper to
// compare than to cast to.
FmBoidController* boidOf(FmTransformController* controller) {
  if (!controller) return nullptr;
  if (typeid(*controller) == typeid(FmBoidController)) {
    return static_cast<FmBoidController*>(controller);
  }
  return dynamic_cast<FmBoidController*>(controller);
}

void restartClocks(FmNode& node) {
  if (FmTransformController* controller = node.controller()) controller->setLastTime(0);
  for (std::size_t i = 0; i < node.childCount(); ++i) restartClocks(*node.childAt(i));
}

}  // namespace

FmFlock::FmFlock() = default;

FmFlock::FmFlock(const FmFlock& other)
    : FmNode(other),
      neighbourSearch_(other.neighbourSearch_),
      neighbourRadiusSq_(other.neighbourRadiusSq_),
      repelScale_(other.repelScale_),
      prototype_(other.prototype_),
      active_(other.active_),
      memberCount_(other.memberCount_),
      repelThreshold_(other.repelThreshold_),
      neighbourRadius_(other.neighbourRadius_),
      cruiseFactor_(other.cruiseFactor_),
      floor_(other.floor_),
      ceiling_(other.ceiling_),
      timeLimit_(other.timeLimit_),
      centre_(other.centre_) {}

// The members go first: they share the prototype's geometry.
FmFlock::~FmFlock() {
  FmNode::clear();
  destroyPrototype();
}

RWCollectable* FmFlock::newInstance() const {
  return new FmFlock;
}

RWCollectable* FmFlock::clone() const {
  return new FmFlock(*this);
}

RWClassID FmFlock::classId() const {
  return id;
}

std::uint32_t FmFlock::storeSize() const {
  return 4 + FmNode::storeSize() + recursiveStoreSize(prototype_) + 9 * 4;
}

void FmFlock::restoreFields(RWBinaryFile& file) {
  resetFlock();
  std::int32_t version = 0;
  if (!file.read(version) || version > storedVersion) return;
  try {
    readFlock(file, version);
  } catch (...) {
    prototype_ = nullptr;
    prototypeOwned_ = 0;
    release();
    throw;
  }
}

void FmFlock::resetFlock() {
  FmNode::clear();
  parent_ = nullptr;
  destroyPrototype();
  boids_.clear();
  positions_.clear();
  memberDimension_ = 0;
  neighbourRadiusSq_ = repelScale_ = 0;
  active_ = 1;
  memberCount_ = 0;
  repelThreshold_ = neighbourRadius_ = cruiseFactor_ = 0;
  floor_ = ceiling_ = timeLimit_ = 0;
  centre_ = {};
}

void FmFlock::readFlock(RWBinaryFile& file, std::int32_t version) {
  FmNode::restoreFields(file);
  readPrototype(file);
  std::int32_t count = 0;
  file.read(count);
  if (count < 0 || count > maxMemberCount) {
    rwRaise<RWInternalErr>(badFlock, name().data(), "member count out of range");
  }
  memberCount_ = count;
  file.read(repelThreshold_);
  file.read(neighbourRadius_);
  file.read(cruiseFactor_);
  if (version >= 101) {
    file.read(ceiling_);
    file.read(floor_);
  }
  if (version >= 102) file.read(active_);
  if (version >= 103) file.read(timeLimit_);
}

// A prototype that an earlier record created belongs to that record's owner.
void FmFlock::readPrototype(RWBinaryFile& file) {
  const bool shared = nextIsBackReference(file);
  readObject(file, &prototype_);
  file.read(prototypeOwned_);
  if (shared) prototypeOwned_ = 0;
}

void FmFlock::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  FmNode::saveFields(file);
  writeObject(file, prototype_);
  file.write(prototypeOwned_);
  file.write(memberCount_);
  file.write(repelThreshold_);
  file.write(neighbourRadius_);
  file.write(cruiseFactor_);
  file.write(ceiling_);
  file.write(floor_);
  file.write(active_);
  file.write(timeLimit_);
}

int FmFlock::formatVersion() const {
  return storedVersion;
}

void FmFlock::compact() {
  if (prototypeOwned_ && prototype_) prototype_->compact();
}

void FmFlock::computeBounds(int value) {
  restart(static_cast<float>(value));
}

void FmFlock::scalePositions(const FmPoint& factors) {
  FmNode::scalePositions(factors);
  ceiling_ *= factors.y;
  floor_ *= factors.y;
}

// From the last member on, so that no member is looked for in the list.
void FmFlock::removeMembers() {
  boids_.clear();
  positions_.clear();
  memberDimension_ = 0;
  while (childCount() > 0) {
    auto* member = static_cast<FmNode*>(children_.removeAt(childCount() - 1));
    if (member) member->setParent(nullptr);
    if (ownsChildren()) delete member;
  }
}

void FmFlock::setPrototype(FmObject* prototype, bool owned) {
  if (prototype != prototype_) destroyPrototype();
  prototype_ = prototype;
  prototypeOwned_ = owned ? 1 : 0;
}

FmObject* FmFlock::handOverPrototype() {
  if (!prototypeOwned_ || !prototype_ || prototypeHandedOver_) return nullptr;
  prototypeHandedOver_ = true;
  return prototype_;
}

void FmFlock::destroyPrototype() {
  if (prototypeOwned_ && prototype_ && !prototypeHandedOver_) {
    prototype_->ownSubtree();
    delete prototype_;
  }
  prototype_ = nullptr;
  prototypeOwned_ = 0;
  prototypeHandedOver_ = false;
}

bool FmFlock::setMemberCount(std::int32_t count) {
  if (count < 0 || count > maxMemberCount) return false;
  memberCount_ = count;
  return true;
}

// A prototype that holds the flock would copy the flock into every member. A fresh
// copy cannot be among the children yet: it is appended without looking for it.
void FmFlock::populate(float time) {
  removeMembers();
  if (prototype_) prototype_->computeBounds(static_cast<int>(time));
  if (!prototype_ || memberCount_ <= 0 || prototype_->isAncestorOf(this)) return;
  memberDimension_ = static_cast<std::size_t>(memberCount_);
  for (std::int32_t i = 0; i < memberCount_; ++i) {
    FmNode* member = prototype_->duplicate();
    if (!member) continue;
    member->setController(new FmBoidController(time));
    member->setFlags(member->flags() | ownsControllerFlag);
    member->setParent(this);
    children_.append(member);
  }
}

void FmFlock::restart(float time) {
  timeOffset_ = time;
  restartClocks(*this);
  FmEngine* engine = FmEngine::instance();
  if (engine && active_) engine->startTimerBar(timeLimit_);
  if (!prototype_ || memberDimension_ == 0 || memberCount_ <= 0) return;
  if (childCount() != static_cast<std::size_t>(memberCount_)) return;
  const float radius = prototype_->boundingRadius();
  deriveSettings(radius);
  FmRandom::seed(restartSeed);
  if (centre_ == FmPoint{}) getPosition(centre_);
  scatterMembers(radius);
}

void FmFlock::deriveSettings(float radius) {
  const float reach = neighbourRadius_ * radius;
  neighbourRadiusSq_ = reach * reach;
  if (repelThreshold_ == 1.0f) repelThreshold_ = highestRepelThreshold;
  repelScale_ = 1.0f / (1.0f - repelThreshold_);
}

void FmFlock::scatterMembers(float radius) {
  const float spread = static_cast<float>(memberCount_) * radius * diagonal;
  const float height = 2 * radius * diagonal;
  for (std::size_t i = 0; i < childCount(); ++i) {
    float u[drawsPerMember];
    for (float& draw : u) draw = FmRandom::uniform();
    const FmPoint position{centre_.x + (u[3] - u[4]) * spread, centre_.y + u[2] * height,
                           centre_.z - (u[0] - u[1]) * spread};
    const FmPoint heading{u[9] - u[10], u[7] - u[8], u[5] - u[6]};
    if (FmBoidController* boid = memberBoid(i)) {
      boid->restart(position, heading, radius, cruiseFactor_);
    }
    childAt(i)->setTimeOffset(u[11] - 0.5f);
  }
}

FmBoidController* FmFlock::memberBoid(std::size_t index) const {
  const FmNode* member = childAt(index);
  return member ? boidOf(member->controller()) : nullptr;
}

int FmFlock::update(float time, const FmMatrix& parentMatrix) {
  const float localTime = std::max(time - timeOffset_, 0.0f);
  if (active_ && decidesOutcome(localTime)) return 1;
  if (memberDimension_ != 0) moveFlock(localTime, parentMatrix);
  for (std::size_t i = 0; i < childCount(); ++i) childAt(i)->update(localTime, parentMatrix);
  return 1;
}

// Without an engine there is no level to win or lose.
bool FmFlock::decidesOutcome(float localTime) {
  FmEngine* engine = FmEngine::instance();
  if (!engine) return false;
  if (childCount() == 0) {
    active_ = 0;
    engine->setWinEvent(true);
    return true;
  }
  if (timeLimit_ != 0 && timeLimit_ < localTime) {
    engine->setFailEvent(true);
    return true;
  }
  return false;
}

void FmFlock::moveFlock(float localTime, const FmMatrix& parentMatrix) {
  FmPoint centre;
  if (controller_) {
    controller_->update(localTime, parentMatrix);
    centre = controller_->position().value();
  }
  gatherMeasuredBoids();
  startFrame(boids_, centre);
  for (FmBoidController* boid : boids_) keepBetweenFloorAndCeiling(*boid);
  if (neighbourSearch_ == NeighbourSearch::grid) {
    pushGridPairs(boids_);
  } else {
    pushEveryPair(boids_);
  }
}

// The members with boid controllers, as many as the closeness has room for.
void FmFlock::gatherMeasuredBoids() {
  boids_.clear();
  for (std::size_t i = 0; i < childCount() && boids_.size() < memberDimension_; ++i) {
    if (FmBoidController* boid = memberBoid(i)) boids_.push_back(boid);
  }
}

// Gathers the positions side by side and empties every member's inputs.
void FmFlock::startFrame(const std::vector<FmBoidController*>& boids, const FmPoint& centre) {
  positions_.clear();
  for (FmBoidController* boid : boids) {
    positions_.push_back(boid->position().value());
    boid->beginFrame(centre);
  }
}

void FmFlock::keepBetweenFloorAndCeiling(FmBoidController& boid) const {
  const float y = boid.position().value().y;
  if (ceiling_ != 0 && y > ceiling_) {
    boid.addPush({0, ceiling_ - y, 0});
  } else if (floor_ != 0 && y < floor_) {
    boid.addPush({0, floor_ - y, 0});
  }
}

// Of two measured members, the first before the second: both passes and
// closenessAt measure a pair the same way round.
float FmFlock::closeness(std::size_t i, std::size_t j) const {
  const float room = neighbourRadiusSq_ - lengthSq(positions_[i] - positions_[j]);
  return neighbourRadiusSq_ > 0 && room >= 0 ? room / neighbourRadiusSq_ : 0.0f;
}

void FmFlock::pushPair(std::size_t i, std::size_t j, float k,
                       const std::vector<FmBoidController*>& boids) const {
  FmBoidController& a = *boids[i];
  FmBoidController& b = *boids[j];
  const FmPoint force = unit(positions_[i] - positions_[j]) * pairForce(k);
  a.addPush(force);
  b.addPush(force * -1.0f);
  a.addNeighbour(b.heading(), k);
  b.addNeighbour(a.heading(), k);
}

void FmFlock::pushEveryPair(const std::vector<FmBoidController*>& boids) const {
  for (std::size_t i = 0; i < boids.size(); ++i) {
    for (std::size_t j = i + 1; j < boids.size(); ++j) {
      const float k = closeness(i, j);
      if (k <= 0) continue;
      pushPair(i, j, k, boids);
    }
  }
}

// The pairs in the order of pushEveryPair: each member's later neighbours
// ascending, so every member sums its inputs in the same order. The cells are a
// thousandth longer than the neighbour distance, so that no rounding of a
// coordinate puts a pair within reach two cells apart.
void FmFlock::pushGridPairs(const std::vector<FmBoidController*>& boids) {
  if (!(neighbourRadiusSq_ > 0)) return;
  grid_.build(positions_, std::sqrt(static_cast<double>(neighbourRadiusSq_)) * 1.001);
  for (std::size_t i = 0; i < boids.size(); ++i) {
    candidates_.clear();
    grid_.appendLaterNeighbours(i, candidates_);
    partners_.clear();
    for (const std::uint32_t j : candidates_) {
      const float k = closeness(i, j);
      if (!(k <= 0)) partners_.emplace_back(j, k);
    }
    std::sort(partners_.begin(), partners_.end());
    for (const auto& [j, k] : partners_) pushPair(i, j, k, boids);
  }
}

float FmFlock::pairForce(float closeness) const {
  const float repel =
      closeness > repelThreshold_ ? (closeness - repelThreshold_) * repelScale_ : 0.0f;
  return closeness > 1 - repelThreshold_ ? repel - (1 - repel) * closeness : repel;
}

float FmFlock::closenessAt(std::size_t i, std::size_t j) const {
  if (i == j || i >= positions_.size() || j >= positions_.size()) return 0;
  return closeness(std::min(i, j), std::max(i, j));
}

namespace {
const RWClassRegistration registration{createDefault<FmFlock>, FmFlock::id, "FmFlock"};
}  // namespace
