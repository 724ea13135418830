// The worker's per-frame passes: update, pruning, viewer, visibility, sorting,
// collision, and the player's controls.

#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "FmCamera.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmMaterial.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "FmRocket.h"
#include "FmTimerBarController.h"
#include "FmWorker.h"
#include "RWErrors.h"
#include "RWMessages.h"

namespace {

// An expiry time that has passed at any time from the clock's start on.
constexpr float expiredBeforeTheStart = -2.0f;

bool controlledWithin(const FmNode* node, const FmTransformController* controller) {
  if (node->controller() == controller) return true;
  for (std::size_t i = 0; i < node->childCount(); ++i) {
    if (controlledWithin(node->childAt(i), controller)) return true;
  }
  return false;
}

// The object lists only ever receive objects (see listOf).
FmObject* objectAt(const RWOrdered& list, std::size_t index) {
  return static_cast<FmObject*>(list.elementAt(index));
}

// The collision candidates as the pass began. Contacts add explosions and move hit
// targets to the root, which reorders the lists while the pass walks them; the
// pass therefore walks a copy. Contacts never destroy nodes (expired ones are
// removed by the next update), so every entry stays valid for the pass.
std::vector<FmObject*> candidatesOf(const RWOrdered& objects, const RWOrdered& alphaObjects,
                                    const RWOrdered& blendObjects) {
  std::vector<FmObject*> candidates;
  candidates.reserve(objects.entryCount() + alphaObjects.entryCount() + blendObjects.entryCount());
  for (const RWOrdered* list : {&objects, &alphaObjects, &blendObjects}) {
    for (std::size_t i = 0; i < list->entryCount(); ++i) candidates.push_back(objectAt(*list, i));
  }
  return candidates;
}

const FmOpenGLTexture* firstTexture(const FmObject& object) {
  return object.textureCount() > 0 ? object.textureAt(0) : nullptr;
}

auto materialValues(const FmMaterial& material) {
  const FmPoint& a = material.ambient();
  const FmPoint& d = material.diffuse();
  const FmPoint& s = material.specular();
  const FmPoint& e = material.emission();
  return std::make_tuple(a.x, a.y, a.z, d.x, d.y, d.z, s.x, s.y, s.z, e.x, e.y, e.z,
                         material.shininess(), material.twoSided());
}

// By first texture, then by the material's values (none first), then by the material
// itself.
bool drawsBefore(const FmObject& left, const FmObject& right) {
  const FmOpenGLTexture* leftTexture = firstTexture(left);
  const FmOpenGLTexture* rightTexture = firstTexture(right);
  if (leftTexture != rightTexture) return std::less<>()(leftTexture, rightTexture);
  const FmMaterial* leftMaterial = left.material();
  const FmMaterial* rightMaterial = right.material();
  if (leftMaterial && rightMaterial) {
    const auto leftValues = materialValues(*leftMaterial);
    const auto rightValues = materialValues(*rightMaterial);
    if (leftValues != rightValues) return leftValues < rightValues;
  }
  return std::less<>()(leftMaterial, rightMaterial);
}

}  // namespace

void FmWorker::updateScene(float time) {
  cameraMatrix_ = FmMatrix::identity();
  root_.update(time, cameraMatrix_);
  pruneChildren(&root_, time);
  updateViewer();
  root_.updateVisibility(time, viewer_);
  sortByMaterial_ = false;
  sortObjects(blendObjects_, 0, static_cast<std::ptrdiff_t>(blendObjects_.entryCount()) - 1);
}

void FmWorker::pruneChildren(FmNode* node, float time) {
  std::size_t i = 0;
  while (i < node->childCount()) {
    FmNode* child = node->childAt(i);
    if (child->isAlive(time)) {
      pruneChildren(child, time);
      ++i;
      continue;
    }
    letGoOf(child);
    child->ownSubtree();
    delete detachNode(child);
  }
}

void FmWorker::moveClockBack(float seconds) {
  if (flightController_) flightController_->setLastTime(flightController_->lastTime() - seconds);
  if (timerBar_) timerBar_->moveClockBack(seconds);
  for (std::size_t i = 0; i < root_.childCount(); ++i) {
    moveNodeClockBack(root_.childAt(i), seconds, root_.timeOffset() == 0);
  }
}

// Expiry times are on the engine's clock at any depth. A node on the scene's clock
// that keeps a clock of its own (a flock, or a node placed at run time: a time offset
// or a lifetime) takes its offset back with the engine's clock, so that its local
// time, and that of everything under it, runs on; the others loop with the scene.
void FmWorker::moveNodeClockBack(FmNode* node, float seconds, bool onSceneClock) {
  if (node->expiryTime() != FmNode::neverExpires) {
    const float expiry = node->expiryTime() - seconds;
    // Before the clock's new start it has passed already, and must not read as never.
    node->setExpiryTime(expiry >= 0 ? expiry : expiredBeforeTheStart);
  }
  bool childrenOnSceneClock = false;
  if (onSceneClock) {
    const bool ownClock = dynamic_cast<const FmFlock*>(node) || node->timeOffset() != 0 ||
                          node->expiryTime() != FmNode::neverExpires;
    if (ownClock) {
      node->setTimeOffset(node->timeOffset() - seconds);
    } else {
      childrenOnSceneClock = true;
    }
  }
  for (std::size_t i = 0; i < node->childCount(); ++i) {
    moveNodeClockBack(node->childAt(i), seconds, childrenOnSceneClock);
  }
}

// Before an expired subtree is destroyed, nothing the worker points at may remain
// in it; the followers of a lost camera move to its successor while still listed.
void FmWorker::letGoOf(const FmNode* expired) {
  if (expired->isAncestorOf(camera_)) {
    FmCamera* successor = nullptr;
    for (std::size_t i = 0; i < cameras_.entryCount() && !successor; ++i) {
      auto* candidate = dynamic_cast<FmCamera*>(cameras_.elementAt(i));
      if (candidate && !expired->isAncestorOf(candidate)) successor = candidate;
    }
    setCamera(successor);
    if (!successor) camera_ = nullptr;
  }
  if (expired->isAncestorOf(background_)) background_ = nullptr;
  if (expired->isAncestorOf(projectileTemplate_)) projectileTemplate_ = nullptr;
  if (expired->isAncestorOf(auxNode_)) {
    auxNode_ = nullptr;
    auxShared_ = false;
  }
  if (flightController_ && controlledWithin(expired, flightController_)) {
    flightController_ = nullptr;
  }
  if (timerBar_ && controlledWithin(expired, timerBar_)) timerBar_ = nullptr;
}

void FmWorker::updateViewer() {
  if (!camera_) return;
  if (const FmTransformController* controller = camera_->controller()) {
    cameraMatrix_ = controller->matrix();
  }
  FmPoint direction{cameraMatrix_[8], cameraMatrix_[9], cameraMatrix_[10]};
  const float length =
      std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
  if (length != 0.0f) direction = direction * (1.0f / length);
  viewer_.direction = direction * -1.0f;
  viewer_.position = {cameraMatrix_[12], cameraMatrix_[13], cameraMatrix_[14]};
}

bool FmWorker::sortsBefore(const RWCollectable* a, const RWCollectable* b) const {
  const auto* left = static_cast<const FmObject*>(a);
  const auto* right = static_cast<const FmObject*>(b);
  if (sortByMaterial_) return drawsBefore(*left, *right);
  return left->viewDistance() < right->viewDistance();
}

// Whether every entry from first to last has the first one's key (a distance that is
// not a number has no key).
bool FmWorker::shareTheFirstKey(const RWOrdered& list, std::size_t first, std::size_t last) const {
  const auto* pivot = static_cast<const FmObject*>(list.elementAt(first));
  for (std::size_t i = first; i <= last; ++i) {
    const auto* entry = static_cast<const FmObject*>(list.elementAt(i));
    const bool same = sortByMaterial_ ? firstTexture(*entry) == firstTexture(*pivot) &&
                                            entry->material() == pivot->material()
                                      : entry->viewDistance() == pivot->viewDistance();
    if (!same) return false;
  }
  return true;
}

// Quicksort with the first entry as the pivot. Only the smaller side recurses, so
// that the depth stays logarithmic however the entries lie (the blended list
// arrives sorted every frame after the first). Entries that all share one key come
// out turned by one place: each pass swaps the pivot with the last of them and goes
// on without it. That is done at once, so that many alike entries (the members of
// a flock) do not take quadratic time.
void FmWorker::sortObjects(RWOrdered& list, std::ptrdiff_t first, std::ptrdiff_t last) const {
  while (first < last) {
    const auto from = static_cast<std::size_t>(first);
    const auto to = static_cast<std::size_t>(last);
    if (shareTheFirstKey(list, from, to)) {
      RWCollectable* const pivot = list.elementAt(from);
      for (std::size_t i = from; i < to; ++i) list.elementRefAt(i) = list.elementAt(i + 1);
      list.elementRefAt(to) = pivot;
      return;
    }
    const RWCollectable* pivot = list.elementAt(static_cast<std::size_t>(first));
    std::ptrdiff_t forward = first;
    std::ptrdiff_t backward = last + 1;
    const auto at = [&list](std::ptrdiff_t index) -> RWCollectable*& {
      return list.elementRefAt(static_cast<std::size_t>(index));
    };
    for (;;) {
      do ++forward;
      while (forward <= last && !sortsBefore(pivot, at(forward)));
      do --backward;
      while (sortsBefore(pivot, at(backward)));
      if (forward >= backward) break;
      std::swap(at(forward), at(backward));
    }
    std::swap(at(first), at(backward));
    if (backward - first < last - backward) {
      sortObjects(list, first, backward - 1);
      first = backward + 1;
    } else {
      sortObjects(list, backward + 1, last);
      last = backward - 1;
    }
  }
}

void FmWorker::groupByMaterial() {
  sortByMaterial_ = true;
  sortObjects(alphaObjects_, 0, static_cast<std::ptrdiff_t>(alphaObjects_.entryCount()) - 1);
  sortObjects(objects_, 0, static_cast<std::ptrdiff_t>(objects_.entryCount()) - 1);
}

void FmWorker::collide(float time) {
  const std::vector<FmObject*> candidates = candidatesOf(objects_, alphaObjects_, blendObjects_);
  for (FmObject* collider : candidates) {
    if (!(collider->contactFlags() & FmObject::colliderFlag)) continue;
    for (FmObject* target : candidates) {
      if (target->contactFlags() & FmObject::targetFlag) collider->contact(target, time);
    }
  }
}

void FmWorker::findTemplate(const RWCString& name) {
  for (std::size_t i = 0; i < templates_.entryCount(); ++i) {
    auto* candidate = dynamic_cast<FmRocket*>(templates_.elementAt(i));
    if (candidate && candidate->name().view() == name.view()) {
      projectileTemplate_ = candidate;
      return;
    }
  }
}

void FmWorker::steer(const FmPoint& rates, float speed, float time) {
  if (flightController_) flightController_->steer(rates, speed, time);
}

FmObject* FmWorker::findPrototype(const RWCString& name, const FmFlock* flock) const {
  for (const RWOrdered* list : {&objects_, &alphaObjects_, &blendObjects_}) {
    for (std::size_t i = 0; i < list->entryCount(); ++i) {
      FmObject* candidate = objectAt(*list, i);
      if (candidate->name().view() == name.view() && !candidate->isAncestorOf(flock)) {
        return candidate;
      }
    }
  }
  return nullptr;
}

namespace {

constexpr MessageRecord tooManyMembers{
    "zirrow", 0x3015,
    "[FLOCK] The flocks would make more than %lu members, the most that a level may make "
    "(each node that a member copies counts)",
    0};

// An upper bound of the nodes that populating the flocks copies, saturating just
// above the limit. A prototype may hold flocks of its own whose members are made
// first and copied with it; a flock met again inside its own prototype makes none.
class FlockCost {
public:
  explicit FlockCost(const std::function<const FmObject*(const FmFlock*)>& prototypeOf)
      : prototypeOf_(prototypeOf) {}

  std::uint64_t membersMade(const FmFlock* flock) {
    if (const auto found = made_.find(flock); found != made_.end()) return found->second;
    if (!onPath_.insert(flock).second) return 0;
    const FmObject* prototype = prototypeOf_(flock);
    std::uint64_t made = 0;
    if (prototype && flock->memberCount() > 0 && !prototype->isAncestorOf(flock)) {
      made = capped(static_cast<std::uint64_t>(flock->memberCount()) * nodesIn(prototype));
    }
    onPath_.erase(flock);
    made_[flock] = made;
    return made;
  }

private:
  static std::uint64_t capped(std::uint64_t count) {
    return std::min(count, FmWorker::maxFlockNodes + 1);
  }

  std::uint64_t nodesIn(const FmNode* node) {
    std::uint64_t count = 1;
    if (const auto* flock = dynamic_cast<const FmFlock*>(node)) count += membersMade(flock);
    for (std::size_t i = 0; i < node->childCount() && count <= FmWorker::maxFlockNodes; ++i) {
      count = capped(count + nodesIn(node->childAt(i)));
    }
    return capped(count);
  }

  const std::function<const FmObject*(const FmFlock*)>& prototypeOf_;
  std::unordered_set<const FmFlock*> onPath_;
  std::unordered_map<const FmFlock*, std::uint64_t> made_;
};

}  // namespace

// The prototype that preparing the flocks will give it.
const FmObject* FmWorker::prototypeOf(const FmFlock* flock) const {
  const std::string_view name = flock->name().view();
  const std::size_t star = name.find('*');
  if (star == std::string_view::npos) return flock->prototype();
  const RWCString wanted(name.data() + star + 1, name.size() - star - 1);
  const FmObject* found = findPrototype(wanted, flock);
  return found ? found : flock->prototype();
}

void FmWorker::checkFlockCost() const {
  const std::function<const FmObject*(const FmFlock*)> prototype = [this](const FmFlock* flock) {
    return prototypeOf(flock);
  };
  FlockCost cost(prototype);
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < flocks_.entryCount() && total <= maxFlockNodes; ++i) {
    total += cost.membersMade(static_cast<const FmFlock*>(flocks_.elementAt(i)));
  }
  if (total <= maxFlockNodes) return;
  rwRaise<RWInternalErr>(tooManyMembers, static_cast<unsigned long>(maxFlockNodes));
}

// Without a "*" in its name the flock keeps the prototype it has; one whose
// prototype is not found keeps it as well.
void FmWorker::givePrototype(FmFlock* flock) {
  const std::string_view name = flock->name().view();
  const std::size_t star = name.find('*');
  if (star == std::string_view::npos) return;
  const RWCString wanted(name.data() + star + 1, name.size() - star - 1);
  flock->setName(RWCString(name.data(), star));
  FmObject* found = findPrototype(wanted, flock);
  if (!found) return;
  if (flock->prototypeOwned()) {
    letGoOf(found);
    detachNode(found);
    flock->setPrototype(found, true);
    return;
  }
  auto* copy = static_cast<FmObject*>(found->clone());
  copy->computeBounds(0);
  flock->setPrototype(copy, true);
}

void FmWorker::computeBounds() {
  root_.computeBounds(0);
  for (std::size_t i = 0; i < templates_.entryCount(); ++i) {
    static_cast<FmNode*>(templates_.elementAt(i))->computeBounds(0);
  }
  if (auxNode_) auxNode_->computeBounds(0);
}

void FmWorker::prepareFlocks(float time) {
  computeBounds();
  // Taking a prototype out of the tree may take other flocks with it, and new
  // members may bring flocks of their own: the flocks are those listed at the start
  // that are still listed when their turn comes.
  std::vector<FmFlock*> pending;
  for (std::size_t i = 0; i < flocks_.entryCount(); ++i) {
    auto* flock = dynamic_cast<FmFlock*>(flocks_.elementAt(i));
    if (flock && flock->childCount() == 0) pending.push_back(flock);
  }
  for (FmFlock* flock : pending) {
    if (!flocks_.contains(flock)) continue;
    givePrototype(flock);
    if (!flock->active()) continue;
    flock->populate(time);
    flock->restart(0.0f);
    for (std::size_t i = 0; i < flock->childCount(); ++i) registerTree(flock->childAt(i));
  }
  groupByMaterial();
}

void FmWorker::selectFlock(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= flocks_.entryCount()) return;
  currentFlock_ = index;
  for (std::size_t i = 0; i < flocks_.entryCount(); ++i) {
    if (auto* flock = dynamic_cast<FmFlock*>(flocks_.elementAt(i))) {
      flock->setActive(i == static_cast<std::size_t>(index));
    }
  }
}

void FmWorker::restartFlock(float time) {
  if (currentFlock_ < 0 || static_cast<std::size_t>(currentFlock_) >= flocks_.entryCount()) return;
  auto* flock = dynamic_cast<FmFlock*>(flocks_.elementAt(static_cast<std::size_t>(currentFlock_)));
  if (!flock) return;
  LeavingNodes leaving;
  for (std::size_t i = 0; i < flock->childCount(); ++i) {
    letGoOf(flock->childAt(i));
    unregisterTreeLater(flock->childAt(i), leaving);
  }
  takeOutOfLists(leaving);
  // The members go, with whatever they hold.
  flock->ownSubtree();
  flock->populate(time);
  flock->restart(time);
  for (std::size_t i = 0; i < flock->childCount(); ++i) registerTree(flock->childAt(i));
}

FmRocket* FmWorker::launchProjectile(float time) {
  if (!projectileTemplate_) return nullptr;
  FmNode* node = projectileTemplate_->duplicate();
  auto* rocket = dynamic_cast<FmRocket*>(node);
  if (!rocket) {
    delete node;
    return nullptr;
  }
  addNode(rocket, nullptr);
  if (rocket->parent() != &root_) {
    delete rocket;
    return nullptr;
  }
  rocket->launch(flightController_, time);
  return rocket;
}
