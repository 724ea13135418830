#pragma once

#include <cstddef>
#include <cstdint>

#include "FmOpenGLTexture.h"
#include "RWOrdered.h"

// A flip-book of still textures, each current from its key time on; the animation
// wraps once the last frame has been shown for the frame interval. The texture
// owns its frames; its own pixel fields stay empty.
class FmOpenGLAnimatedTexture : public FmOpenGLTexture {
public:
  static constexpr RWClassID id = 1145;
  static constexpr std::uint32_t storedVersion = 100;
  static constexpr std::size_t initialFrameCapacity = 5;

  FmOpenGLAnimatedTexture();
  explicit FmOpenGLAnimatedTexture(const RWCString& name);
  // Copies every frame; the copy's frame list starts with the default capacity.
  FmOpenGLAnimatedTexture(const FmOpenGLAnimatedTexture& other);
  FmOpenGLAnimatedTexture& operator=(const FmOpenGLAnimatedTexture&) = delete;
  ~FmOpenGLAnimatedTexture() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Raises RWInternalErr [TYPE] when the frame list holds anything but still
  // textures, and [FRAME] when it lists one frame twice; the list is then left
  // empty without destroying what was read (the reader's log releases it).
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using FmOpenGLTexture::restoreFields;
  using FmOpenGLTexture::saveFields;

  // Trims the frame list's capacity to its frame count.
  void compact() override;
  int glNameAt(float time) const override;
  // The last frame whose key time is not after the time, once the time has
  // wrapped into the loop; nil without frames or before the first key time. A
  // loop length that is not positive does not wrap.
  FmOpenGLTexture* frameAt(float time) override;
  int frameCount() const override;
  FmOpenGLTexture* frameAtIndex(int index) override;
  // Resamples every frame to the same size.
  void resample(int w, int h) override;
  // frameCount x frameInterval.
  virtual float animationLength() const;

  const RWOrdered& textureFrames() const { return textureFrames_; }
  // Appends a still texture and takes ownership of it. Refuses nil, anything but
  // a still texture and a frame already listed: false, and the caller keeps it.
  [[nodiscard]] bool addFrame(FmOpenGLTexture* frame);

  std::int32_t firstStoredValue() const { return firstStoredValue_; }
  std::int32_t secondStoredValue() const { return secondStoredValue_; }
  std::int32_t thirdStoredValue() const { return thirdStoredValue_; }
  void setStoredValues(std::int32_t first, std::int32_t second, std::int32_t third);
  float frameInterval() const { return frameInterval_; }
  void setFrameInterval(float interval) { frameInterval_ = interval; }

private:
  const FmOpenGLTexture* findFrame(float time) const;
  FmOpenGLTexture* frame(std::size_t index) const;
  void clearAll();
  void readFrames(RWBinaryFile& file);
  void checkFrames();

  RWOrdered textureFrames_;
  std::int32_t firstStoredValue_ = 0;
  std::int32_t secondStoredValue_ = 0;
  std::int32_t thirdStoredValue_ = 0;
  float frameInterval_ = 0.0f;
};
