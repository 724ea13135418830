#pragma once

#include <cstdint>

#include "FmKeyList.h"
#include "FmPoint.h"
#include "FmPositionKey.h"
#include "RWCollectable.h"

// A point (a position or a scale) animated by key frames.
class FmAnimatedPoint : public RWCollectable {
public:
  static constexpr RWClassID id = 1147;
  static constexpr std::int32_t version = 100;
  using KeyList = FmKeyList<FmPositionKey>;

  FmAnimatedPoint() = default;
  FmAnimatedPoint(const FmAnimatedPoint& other);
  FmAnimatedPoint& operator=(const FmAnimatedPoint& other);
  ~FmAnimatedPoint() override;

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
  // value is (0, 0, 0). With loop set, the keys repeat after the last key's time.
  virtual void evaluate(float time, int loop);
  // Nonzero when the key was inserted.
  virtual int addKey(const FmPoint& position, float time);
  // Multiplies the value and every key, component by component.
  virtual void scaleKeys(const FmPoint& factors);
  virtual void offsetKeys(const FmPoint& offset);

  const FmPoint& value() const { return value_; }
  void setValue(const FmPoint& value) { value_ = value; }
  // The keys in time order, or null.
  const KeyList* keys() const { return keys_; }

private:
  FmPoint value_{1, 1, 1};
  KeyList* keys_ = nullptr;
};
