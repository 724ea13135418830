#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "RWCString.h"
#include "RWCollectable.h"
#include "UninitialisedAllocator.h"

// One image held as 4-byte RGBA pixels, row after row, until the rendering context
// has uploaded it; after that only its OpenGL name matters. The pixel buffer is
// either empty or exactly width x height x 4 bytes.
class FmOpenGLTexture : public RWCollectable {
public:
  static constexpr RWClassID id = 1128;
  static constexpr std::uint32_t storedVersion = 111;
  static constexpr int bytesPerPixel = 4;

  FmOpenGLTexture() = default;
  explicit FmOpenGLTexture(const RWCString& name);

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Orders by key time in hundredths of a second; textures in the same hundredth
  // compare 0 only when they are equal, and otherwise by name, then by key time.
  int compare(const RWCollectable* other) const override;
  // Equal names (length and bytes) and equal key times.
  bool equals(const RWCollectable* other) const override;
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;

  // The texture operations that still and animated textures share.
  virtual void compact();
  // The OpenGL name current at the time; -1 when no frame is current.
  virtual int glNameAt(float time) const;
  // The frame current at the time, or nil.
  virtual FmOpenGLTexture* frameAt(float time);
  virtual int frameCount() const;
  // The frame with the index, or nil when there is none.
  virtual FmOpenGLTexture* frameAtIndex(int index);
  // Does nothing for either kind of texture.
  virtual void hook(int argument);
  // Scales the image to w x h by averaging neighbouring pixels. A size that is not
  // positive, or too large for a stored record, leaves the texture unchanged; a
  // texture without pixels only takes the new size.
  virtual void resample(int w, int h);

  const RWCString& name() const { return name_; }
  void setName(const RWCString& name) { name_ = name; }
  const RWCString& secondName() const { return secondName_; }
  void setSecondName(const RWCString& name) { secondName_ = name; }
  std::int32_t storedValue() const { return storedValue_; }
  void setStoredValue(std::int32_t value) { storedValue_ = value; }
  int width() const { return width_; }
  int height() const { return height_; }
  std::int32_t hasAlpha() const { return hasAlpha_; }
  void setHasAlpha(std::int32_t hasAlpha) { hasAlpha_ = hasAlpha; }
  int glName() const { return glName_; }
  void setGlName(int glName) { glName_ = glName; }
  float keyTime() const { return keyTime_; }
  void setKeyTime(float keyTime) { keyTime_ = keyTime; }

  bool hasPixels() const { return !pixels_.empty(); }
  // The RGBA bytes, or nil when the texture holds no pixels.
  const std::uint8_t* pixels() const { return hasPixels() ? pixels_.data() : nullptr; }
  std::size_t pixelBytes() const { return pixels_.size(); }
  // Takes a new image; false, changing nothing, unless the buffer holds exactly
  // width x height x 4 bytes for a positive width and height.
  [[nodiscard]] bool setImage(int width, int height, std::vector<std::uint8_t> pixels);
  // Gives the texture a size without an image.
  void setSize(int width, int height);
  // Frees the pixel buffer once the image has been uploaded; the size stays.
  void releasePixels();

  // The bytes of a width x height RGBA image, when both are positive and the
  // count fits the 32-bit data size of a record.
  static std::optional<std::uint32_t> imageBytes(std::int32_t width, std::int32_t height);

protected:
  // Resets every field to its default and frees the pixels.
  void clearFields();

private:
  using PixelStore = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;

  bool storesAlpha() const { return hasAlpha_ != 0; }
  std::uint32_t storedPixelBytes() const;
  void readPixels(RWBinaryFile& file, std::uint32_t version, std::uint32_t dataSize);
  void writePixels(RWBinaryFile& file) const;

  RWCString name_;
  RWCString secondName_;
  std::int32_t storedValue_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  PixelStore pixels_;
  std::int32_t hasAlpha_ = 0;
  std::int32_t glName_ = 0;
  float keyTime_ = 0.0f;
};
