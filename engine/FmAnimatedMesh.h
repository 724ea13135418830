#pragma once

#include <cstddef>
#include <cstdint>

#include "FmMesh.h"
#include "FmTypedList.h"
#include "RWOrdered.h"

// A vertex animation: mesh frames in ascending key-time order, looping over the
// key time of the last frame. It owns its frames.
class FmAnimatedMesh : public RWCollectable {
public:
  static constexpr RWClassID id = 1152;
  static constexpr std::uint32_t storedVersion = 100;
  static constexpr std::size_t initialFrameCapacity = 1;

  FmAnimatedMesh();
  // Clones every frame.
  FmAnimatedMesh(const FmAnimatedMesh& other);
  FmAnimatedMesh& operator=(const FmAnimatedMesh&) = delete;
  ~FmAnimatedMesh() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Raises RWInternalErr [TYPE] when the frame list holds anything but meshes; the
  // list is then left empty without destroying what was read (the reader's log
  // releases it).
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;

  // The frame for the time once it has wrapped into the loop (a last key time of 0
  // does not wrap). Without an output, that frame itself; with one, the output
  // after blending that frame with the following one into it (FmMesh's
  // interpolateInto) and taking the single frame's display list, or -1 when there
  // are several frames. Nil without frames. The output is never resized.
  virtual FmMesh* getFrame(float time, FmMesh* output);
  // Trims the frame list's capacity to its frame count.
  virtual void compact();

  const RWOrdered& frames() const { return frames_; }
  int frameCount() const { return static_cast<int>(frames_.entryCount()); }
  // The frame with the index, or nil when there is none.
  FmMesh* frameAt(int index) const;
  // Appends a mesh and takes ownership of it. Refuses nil and a frame already
  // listed: false, and the caller keeps it.
  [[nodiscard]] bool addFrame(FmMesh* frame);

private:
  struct FramePair {
    FmMesh* current;
    FmMesh* next;
  };

  FmMesh* frame(std::size_t index) const;
  float wrapped(float time) const;
  FramePair framesAround(float time) const;
  void readFrames(RWBinaryFile& file);
  void checkFrames();

  FmTypedList<FmMesh> frames_;
};
