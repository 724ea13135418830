#pragma once

#include <cstdint>

#include "FmObject.h"

// The water surface of a level: drawn like any object, it switches the scene
// between two fogs as the viewer passes its height, one while the viewer is above
// the surface and the other once the viewer is at or below it.
class FmSeaObject : public FmObject {
public:
  static constexpr RWClassID id = 1159;
  static constexpr std::int32_t storedVersion = 100;
  static constexpr std::int32_t noFog = -1;

  FmSeaObject() = default;
  // The object's clone and the three fog indices.
  FmSeaObject(const FmSeaObject& other) = default;
  ~FmSeaObject() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Another version leaves the surface as constructed after the version word.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using FmObject::restoreFields;
  using FmObject::saveFields;

  // The object's visibility, then the fog the viewer's side of the surface wants:
  // switched through the engine once, when it changes. A surface without a
  // controller wants none (-1).
  bool updateVisibility(float time, const FmViewer& viewer) override;

  // The fog index this surface last asked for.
  std::int32_t currentFog() const { return currentFog_; }
  void setCurrentFog(std::int32_t index) { currentFog_ = index; }
  // Indices into the scene's fogs.
  std::int32_t aboveFog() const { return aboveFog_; }
  void setAboveFog(std::int32_t index) { aboveFog_ = index; }
  std::int32_t belowFog() const { return belowFog_; }
  void setBelowFog(std::int32_t index) { belowFog_ = index; }

private:
  std::int32_t wantedFog(const FmViewer& viewer) const;

  std::int32_t currentFog_ = noFog;
  std::int32_t aboveFog_ = noFog;
  std::int32_t belowFog_ = noFog;
};
