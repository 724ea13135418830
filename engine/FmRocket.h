#pragma once

#include <cstdint>

#include "FmMatrix.h"
#include "FmObject.h"
#include "FmTransformController.h"

class FmWorker;

// A projectile: the scene file holds one as a template, and firing launches
// duplicates of it that fly straight on from the launcher's pose. The template
// carries the explosion template that a hit shows.
//
// Ownership: a rocket owns an explosion that it was handed, that it cloned or that
// its own record created; duplicates, and records that refer to an explosion read
// before, share it.
class FmRocket : public FmObject {
public:
  static constexpr RWClassID id = 1161;
  static constexpr std::int32_t storedVersion = 102;
  static constexpr float defaultSpeed = 20.0f;
  static constexpr float defaultLifetime = 10.0f;

  FmRocket();
  // The object's clone, with a clone of the explosion of its own.
  FmRocket(const FmRocket& other);
  ~FmRocket() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Versions 100 to 102; 100 carries the lifetime, 102 the explosion. Refuses, with
  // RWInternalErr, an explosion that is no object ([TYPE]) and a new explosion that
  // names a parent ([TREE]), which would give it a second owner.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using FmObject::restoreFields;
  using FmObject::saveFields;

  // A rocket sharing the geometry and the explosion of this one.
  FmNode* duplicate() const override;
  // The object's replacement, then the same inside the explosion.
  void replaceReference(RWCollectable* oldObject, RWCollectable* newObject) override;
  // On a hit the rocket expires at once, the target is knocked out (it leaves its
  // flock for the scene root and coasts along its heading for two seconds) and the
  // explosion shows at the target. The target's contact flags become 0, so a later
  // test in the same pass does not knock it out again.
  bool contact(FmObject* other, float time) override;

  // Turns the lifetime into an absolute expiry time and gives the rocket a
  // controller that flies it from the launcher's pose (the world origin without a
  // launcher).
  void launch(const FmTransformController* launcher, float time);

  float speed() const { return speed_; }
  void setSpeed(float speed) { speed_ = speed; }
  FmObject* explosion() const { return explosion_; }
  // Takes ownership; destroys an owned previous explosion.
  void setExplosion(FmObject* explosion);
  bool ownsExplosion() const { return ownsExplosion_; }
  // The explosion that the rocket owns, which it goes on using but no longer
  // destroys: the caller takes it over. Nil when the rocket owns none.
  FmObject* handOverExplosion();

private:
  void coast(FmObject& target, const FmMatrix& world, FmWorker* worker) const;
  void explode(const FmMatrix& world, float time, FmWorker& worker) const;
  void destroyExplosion();
  void readExplosion(RWBinaryFile& file);

  float speed_ = defaultSpeed;
  FmObject* explosion_ = nullptr;
  bool ownsExplosion_ = false;
  // Set while the rocket copies or replaces through its explosion, which a file may
  // lead back to the rocket itself.
  mutable bool visiting_ = false;
};
