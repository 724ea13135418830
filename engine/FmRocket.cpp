#include "FmRocket.h"

#include "FmBillboardController.h"
#include "FmBoidController.h"
#include "FmCamera.h"
#include "FmEngine.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmQuat.h"
#include "FmRocketController.h"
#include "FmTimerBarController.h"
#include "FmTypedList.h"
#include "FmWorker.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"

namespace {

constexpr std::int32_t lifetimeVersion = 100;
// How long a knocked-out target coasts, and an explosion lives without an
// animated texture to time it.
constexpr float knockedOutLife = 2.0f;
constexpr float defaultExplosionLife = 2.0f;

// Clears a flag when the scope ends, also by an exception.
class VisitGuard {
public:
  explicit VisitGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~VisitGuard() { flag_ = false; }
  VisitGuard(const VisitGuard&) = delete;
  VisitGuard& operator=(const VisitGuard&) = delete;

private:
  bool& flag_;
};

FmWorker* engineWorker() {
  FmEngine* engine = FmEngine::instance();
  return engine ? &engine->scene().worker() : nullptr;
}

// Restarts the animation clock of the node and of everything below it.
void startClocksAt(FmNode& node, float time) {
  node.setTimeOffset(time);
  for (std::size_t i = 0; i < node.childCount(); ++i) startClocksAt(*node.childAt(i), time);
}

FmMatrix worldMatrixOf(const FmNode& node) {
  FmMatrix world = FmMatrix::identity();
  node.getWorldMatrix(world);
  return world;
}

// A member of a flock in the worker's tree moves to the root through the worker, so
// that the lists stay consistent; a target elsewhere stays where it is.
void leaveFlock(FmObject& target, FmWorker* worker) {
  const FmNode* parent = target.parent();
  if (!worker || !parent || parent->classId() != FmFlock::id) return;
  if (!worker->root().isAncestorOf(&target)) return;
  worker->detachNode(&target);
  worker->addNode(&target, nullptr);
}

void hideObjectsBelow(const FmNode& node) {
  for (std::size_t i = 0; i < node.childCount(); ++i) {
    FmNode* child = node.childAt(i);
    if (child->classId() == FmObject::id) {
      static_cast<FmObject*>(child)->visibilityTrack().setValue(0.0f);
    }
    hideObjectsBelow(*child);
  }
}

float flyingSpeedOf(const FmNode& node) {
  const FmTransformController* controller = node.controller();
  if (!controller || controller->classId() != FmBoidController::id) return 0.0f;
  return static_cast<const FmBoidController*>(controller)->speed();
}

// The worker must not keep pointing at a controller that is about to be destroyed.
void forgetController(FmWorker& worker, const FmTransformController* controller) {
  if (!controller) return;
  if (worker.flightController() == controller) worker.setFlightController(nullptr);
  if (worker.timerBar() == controller) worker.setTimerBar(nullptr);
}

float explosionLife(const FmObject& explosion) {
  const FmOpenGLTexture* first = explosion.textureAt(0);
  if (!first || first->classId() != FmOpenGLAnimatedTexture::id) return defaultExplosionLife;
  return static_cast<const FmOpenGLAnimatedTexture*>(first)->animationLength();
}

void giveOwnController(FmNode& node, FmTransformController* controller) {
  node.setController(controller);
  node.setFlags(node.flags() | FmNode::ownsControllerFlag);
}

// The explosion's first child, when it is an object, is debris that stays at the
// hit point in world coordinates: it leaves the explosion for the scene root.
void scatterDebris(FmObject& explosion, const FmMatrix& world, float time, float life,
                   FmWorker& worker) {
  FmNode* first = explosion.childAt(0);
  if (!first || first->classId() != FmObject::id) return;
  auto* debris = static_cast<FmObject*>(first);
  debris->setExpiryTime(time + life);
  auto* placement = new FmTransformController;
  placement->position().setValue({world[12], world[13], world[14]});
  placement->rotation().setValue(FmQuat(world));
  giveOwnController(*debris, placement);
  debris->setDoubleSided(1);
  startClocksAt(*debris, time);
  explosion.removeChild(debris);
  worker.addNode(debris, nullptr);
  if (debris->parent() != &worker.root()) delete debris;
}

}  // namespace

FmRocket::FmRocket() : FmObject(RWCString(), nullptr, defaultLifetime) {}

// An explosion that leads back to a rocket being copied is shared, not copied again.
FmRocket::FmRocket(const FmRocket& other) : FmObject(other), speed_(other.speed_) {
  if (!other.explosion_) return;
  if (other.visiting_) {
    explosion_ = other.explosion_;
    return;
  }
  const VisitGuard guard(other.visiting_);
  setExplosion(static_cast<FmObject*>(other.explosion_->clone()));
}

FmRocket::~FmRocket() {
  destroyExplosion();
}

RWCollectable* FmRocket::newInstance() const {
  return new FmRocket;
}

RWCollectable* FmRocket::clone() const {
  return new FmRocket(*this);
}

RWClassID FmRocket::classId() const {
  return id;
}

std::uint32_t FmRocket::storeSize() const {
  return 4 + FmObject::storeSize() + 4 + recursiveStoreSize(explosion_);
}

void FmRocket::restoreFields(RWBinaryFile& file) {
  clear();
  destroyExplosion();
  speed_ = defaultSpeed;
  std::int32_t version = 0;
  if (!file.read(version) || version < lifetimeVersion || version > storedVersion) return;
  FmObject::restoreFields(file);
  file.read(speed_);
  if (version == lifetimeVersion) file.read(expiryTime_);
  if (version == storedVersion) readExplosion(file);
}

void FmRocket::readExplosion(RWBinaryFile& file) {
  const bool isNew = startsNewRecord(file);
  try {
    readObject(file, &explosion_);
    if (isNew && explosion_ && explosion_->parent()) {
      raiseBadTree(*explosion_, "explosion template has a parent");
    }
  } catch (...) {
    explosion_ = nullptr;
    throw;
  }
  ownsExplosion_ = isNew && explosion_;
}

void FmRocket::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  FmObject::saveFields(file);
  file.write(speed_);
  writeObject(file, explosion_);
}

int FmRocket::formatVersion() const {
  return FmNode::formatVersion();
}

FmNode* FmRocket::duplicate() const {
  auto* copy = new FmRocket;
  duplicateObjectInto(*copy);
  copy->speed_ = speed_;
  copy->explosion_ = explosion_;
  return copy;
}

void FmRocket::replaceReference(RWCollectable* oldObject, RWCollectable* newObject) {
  if (visiting_) return;
  const VisitGuard guard(visiting_);
  FmObject::replaceReference(oldObject, newObject);
  if (explosion_) explosion_->replaceReference(oldObject, newObject);
}

void FmRocket::launch(const FmTransformController* launcher, float time) {
  const FmMatrix launchMatrix = launcher ? launcher->matrix() : FmMatrix::identity();
  expiryTime_ = time + expiryTime_;
  setController(new FmRocketController(launchMatrix, speed_, 0));
  // The new controller is the rocket's own, whoever held the previous one.
  flags_ |= ownsControllerFlag;
}

bool FmRocket::contact(FmObject* other, float time) {
  if (!FmObject::contact(other, time)) return false;
  expiryTime_ = 0;
  setContactFlags(0);
  other->selectAnimation(1);
  startClocksAt(*other, time);
  other->setExpiryTime(time + knockedOutLife);
  other->setContactFlags(0);
  const FmMatrix world = worldMatrixOf(*other);
  // Without an engine there is no scene root or camera to place anything under:
  // the target is knocked out where it is and nothing explodes.
  FmWorker* worker = engineWorker();
  leaveFlock(*other, worker);
  hideObjectsBelow(*other);
  other->visibilityTrack().setValue(1.0f);
  coast(*other, world, worker);
  if (worker) explode(world, time, *worker);
  return true;
}

// The knocked-out target flies on straight along its own -z axis at the speed it
// had in its flock (0 for any other controller), with a copy of this rocket's
// controller.
void FmRocket::coast(FmObject& target, const FmMatrix& world, FmWorker* worker) const {
  if (!ownsController() || !controller_ || controller_->classId() != FmRocketController::id) {
    return;
  }
  auto* coasting = static_cast<FmRocketController*>(controller_->clone());
  coasting->setLaunchMatrix(world);
  coasting->position().setValue({});
  coasting->setLastTime(0);
  coasting->setSpeed(flyingSpeedOf(target));
  if (worker && target.ownsController()) forgetController(*worker, target.controller());
  giveOwnController(target, coasting);
}

// A copy of the explosion template, turned to the viewer at the hit point; it hangs
// under the current camera, or under the root in a scene without a camera, where it
// still lives out its time.
void FmRocket::explode(const FmMatrix& world, float time, FmWorker& worker) const {
  if (!explosion_) return;
  FmNode* copy = explosion_->duplicate();
  auto* explosion = dynamic_cast<FmObject*>(copy);
  if (!explosion) {
    delete copy;
    return;
  }
  const float life = explosionLife(*explosion);
  explosion->setTimeOffset(time);
  explosion->setExpiryTime(time + life);
  auto* billboard = new FmBillboardController;
  billboard->position().setValue({world[12], world[13], world[14]});
  billboard->setFaceCamera(1);
  giveOwnController(*explosion, billboard);
  scatterDebris(*explosion, world, time, life, worker);
  explosion->setParent(nullptr);
  FmNode* holder = worker.camera();
  worker.addNode(explosion, holder);
  if (!explosion->parent()) delete explosion;
}

void FmRocket::setExplosion(FmObject* explosion) {
  if (explosion == explosion_) return;
  destroyExplosion();
  explosion_ = explosion;
  ownsExplosion_ = explosion != nullptr;
}

FmObject* FmRocket::handOverExplosion() {
  if (!ownsExplosion_) return nullptr;
  ownsExplosion_ = false;
  return explosion_;
}

void FmRocket::destroyExplosion() {
  if (ownsExplosion_ && explosion_) {
    explosion_->ownSubtree();
    delete explosion_;
  }
  explosion_ = nullptr;
  ownsExplosion_ = false;
}

namespace {
const RWClassRegistration registration{createDefault<FmRocket>, FmRocket::id, "FmRocket"};
}  // namespace
