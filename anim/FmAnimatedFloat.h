#pragma once

#include <cstdint>

#include "FmFloatKey.h"
#include "FmKeyList.h"
#include "RWCollectable.h"

// A number animated by key frames, blended between keys or stepping from key to key.
class FmAnimatedFloat : public RWCollectable {
public:
  static constexpr RWClassID id = 1155;
  static constexpr std::int32_t version = 100;
  using KeyList = FmKeyList<FmFloatKey>;

  FmAnimatedFloat() = default;
  FmAnimatedFloat(const FmAnimatedFloat& other);
  FmAnimatedFloat& operator=(const FmAnimatedFloat& other);
  ~FmAnimatedFloat() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;
  // The interpolate flag is not stored.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  // Trims the key list to its entry count; 0 when there is no list.
  virtual int compact();
  // With 0, evaluation steps from key to key without blending.
  virtual void setInterpolate(int interpolate);
  // Whether there is a key list, even an empty one.
  virtual bool hasKeys() const;
  virtual void clearKeys();
  // The time of the last key, 0 without keys.
  virtual float duration() const;
  // A value equal to the last key's is not added, whatever its time: the result is 0.
  virtual int addKey(float value, float time);
  // Moves the value to what the keys give for the time; before the first key the
  // value stays. With loop set, the keys repeat after the last key's time.
  virtual void evaluate(float time, int loop);

  int interpolate() const { return interpolate_; }
  float value() const { return value_; }
  void setValue(float value) { value_ = value; }
  // The keys in time order, or null.
  const KeyList* keys() const { return keys_; }

private:
  int interpolate_ = 1;
  float value_ = 0;
  KeyList* keys_ = nullptr;
};
