#include "FmRocket.h"

#include "FmRocketController.h"
#include "FmTypedList.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"

namespace {

constexpr MessageRecord badTree{"zirrow", 0x3010, "[TREE] Node \"%s\": %s", 0};
constexpr std::int32_t lifetimeVersion = 100;

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
      rwRaise<RWInternalErr>(badTree, explosion_->name().data(), "explosion template has a parent");
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

void FmRocket::setExplosion(FmObject* explosion) {
  if (explosion == explosion_) return;
  destroyExplosion();
  explosion_ = explosion;
  ownsExplosion_ = explosion != nullptr;
}

void FmRocket::destroyExplosion() {
  if (ownsExplosion_) delete explosion_;
  explosion_ = nullptr;
  ownsExplosion_ = false;
}

namespace {
const RWClassRegistration registration{createDefault<FmRocket>, FmRocket::id, "FmRocket"};
}  // namespace
