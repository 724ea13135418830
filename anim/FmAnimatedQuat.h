#pragma once

#include <cstdint>

#include "FmKeyList.h"
#include "FmQuat.h"
#include "FmRotationKey.h"
#include "RWCollectable.h"

// A rotation animated by key frames.
class FmAnimatedQuat : public RWCollectable {
public:
  static constexpr RWClassID id = 1148;
  static constexpr std::int32_t version = 100;
  using KeyList = FmKeyList<FmRotationKey>;

  FmAnimatedQuat() = default;
  FmAnimatedQuat(const FmAnimatedQuat& other);
  FmAnimatedQuat& operator=(const FmAnimatedQuat& other);
  ~FmAnimatedQuat() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  // Trims the key list to its entry count; 0 when there is no list.
  virtual int compact();
  // Whether there is a key list, even an empty one.
  virtual bool hasKeys() const;
  virtual void clearKeys();
  // The time of the last key, 0 without keys.
  virtual float duration() const;
  // Moves the value to what the keys give for the time; before the first key the
  // value is the identity. With loop set, the keys repeat after the last key's time.
  virtual void evaluate(float time, int loop);
  // The value and every key become themselves times q.
  virtual void rotateKeys(const FmQuat& q);
  // Nonzero when the key was inserted.
  virtual int addKey(const FmQuat& rotation, float time);
  // Negates keys so that each lies in the hemisphere of the key before it, so that
  // interpolation between neighbours takes the shorter arc.
  virtual void alignKeys();

  const FmQuat& value() const { return value_; }
  void setValue(const FmQuat& value) { value_ = value; }
  // The keys in time order, or null.
  const KeyList* keys() const { return keys_; }

private:
  FmQuat value_;
  KeyList* keys_ = nullptr;
};
