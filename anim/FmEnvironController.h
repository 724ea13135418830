#pragma once

#include <cstdint>

#include "FmTransformController.h"

// Keeps a node (a sky, a surrounding environment) centred on its parent, normally
// the camera, without taking over the parent's rotation.
class FmEnvironController : public FmTransformController {
public:
  static constexpr RWClassID id = 1154;
  static constexpr std::int32_t version = 100;

  FmEnvironController() = default;
  FmEnvironController(const FmEnvironController& other) = default;
  ~FmEnvironController() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  using FmTransformController::restoreFields;
  using FmTransformController::saveFields;
  // Stored as the transform controller's record alone.
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;

  // The tracks are not evaluated; only the parent's translation is taken.
  int update(float time, const FmMatrix& parent) override;
};
