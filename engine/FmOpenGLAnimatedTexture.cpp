#include "FmOpenGLAnimatedTexture.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"

namespace {

constexpr MessageRecord repeatedFrame{"zirrow", 0x3101,
                                      "[FRAME] Animated texture %s lists one frame twice", 0};

bool isStillTexture(const RWCollectable* object) {
  return object && object->classId() == FmOpenGLTexture::id &&
         dynamic_cast<const FmOpenGLTexture*>(object) != nullptr;
}

[[noreturn]] void raiseWrongFrame(const RWCollectable* object) {
  const RWCString className = object ? stringIdOf(object->classId()) : RWCString("nil");
  const auto classId = static_cast<unsigned short>(object ? object->classId() : 0);
  rwRaise<RWInternalErr>(RWMessages::wrongClass, className.data(), classId, "FmOpenGLTexture");
}

}  // namespace

FmOpenGLAnimatedTexture::FmOpenGLAnimatedTexture() : textureFrames_(initialFrameCapacity) {}

FmOpenGLAnimatedTexture::FmOpenGLAnimatedTexture(const RWCString& name)
    : FmOpenGLTexture(name), textureFrames_(initialFrameCapacity) {}

FmOpenGLAnimatedTexture::FmOpenGLAnimatedTexture(const FmOpenGLAnimatedTexture& other)
    : FmOpenGLTexture(other),
      firstStoredValue_(other.firstStoredValue_),
      secondStoredValue_(other.secondStoredValue_),
      thirdStoredValue_(other.thirdStoredValue_),
      frameInterval_(other.frameInterval_) {
  for (std::size_t i = 0; i < other.textureFrames_.entryCount(); ++i) {
    textureFrames_.append(other.frame(i)->clone());
  }
}

FmOpenGLAnimatedTexture::~FmOpenGLAnimatedTexture() {
  textureFrames_.clearAndDestroy();
}

RWCollectable* FmOpenGLAnimatedTexture::newInstance() const {
  return new FmOpenGLAnimatedTexture;
}

RWCollectable* FmOpenGLAnimatedTexture::clone() const {
  return new FmOpenGLAnimatedTexture(*this);
}

RWClassID FmOpenGLAnimatedTexture::classId() const {
  return id;
}

std::uint32_t FmOpenGLAnimatedTexture::storeSize() const {
  return 4 + FmOpenGLTexture::storeSize() + 4 * 4 + recursiveStoreSize(&textureFrames_);
}

void FmOpenGLAnimatedTexture::restoreFields(RWBinaryFile& file) {
  clearAll();
  std::uint32_t version = 0;
  if (!file.read(version) || version != storedVersion) return;
  FmOpenGLTexture::restoreFields(file);
  const bool complete = file.read(firstStoredValue_) && file.read(thirdStoredValue_) &&
                        file.read(frameInterval_) && file.read(secondStoredValue_);
  if (complete) readFrames(file);
}

void FmOpenGLAnimatedTexture::readFrames(RWBinaryFile& file) {
  try {
    readObject(file, &textureFrames_);
  } catch (...) {
    textureFrames_.clear();
    throw;
  }
  checkFrames();
}

void FmOpenGLAnimatedTexture::checkFrames() {
  std::vector<const RWCollectable*> frames;
  frames.reserve(textureFrames_.entryCount());
  for (std::size_t i = 0; i < textureFrames_.entryCount(); ++i) {
    const RWCollectable* element = textureFrames_.elementAt(i);
    if (!isStillTexture(element)) {
      textureFrames_.clear();
      raiseWrongFrame(element);
    }
    frames.push_back(element);
  }
  std::sort(frames.begin(), frames.end());
  if (std::adjacent_find(frames.begin(), frames.end()) != frames.end()) {
    textureFrames_.clear();
    rwRaise<RWInternalErr>(repeatedFrame, name().data());
  }
}

void FmOpenGLAnimatedTexture::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  FmOpenGLTexture::saveFields(file);
  file.write(firstStoredValue_);
  file.write(thirdStoredValue_);
  file.write(frameInterval_);
  file.write(secondStoredValue_);
  writeObject(file, &textureFrames_);
}

int FmOpenGLAnimatedTexture::formatVersion() const {
  return storedVersion;
}

void FmOpenGLAnimatedTexture::compact() {
  textureFrames_.resize(textureFrames_.entryCount());
}

int FmOpenGLAnimatedTexture::glNameAt(float time) const {
  const FmOpenGLTexture* current = findFrame(time);
  return current ? current->glName() : -1;
}

FmOpenGLTexture* FmOpenGLAnimatedTexture::frameAt(float time) {
  return const_cast<FmOpenGLTexture*>(findFrame(time));
}

const FmOpenGLTexture* FmOpenGLAnimatedTexture::findFrame(float time) const {
  const std::size_t count = textureFrames_.entryCount();
  if (count == 0) return nullptr;
  const float loopLength = frame(count - 1)->keyTime() + frameInterval_;
  if (loopLength > 0.0f && time > loopLength) time -= std::trunc(time / loopLength) * loopLength;
  const FmOpenGLTexture* current = nullptr;
  for (std::size_t i = 0; i < count && frame(i)->keyTime() <= time; ++i) current = frame(i);
  return current;
}

int FmOpenGLAnimatedTexture::frameCount() const {
  return static_cast<int>(textureFrames_.entryCount());
}

FmOpenGLTexture* FmOpenGLAnimatedTexture::frameAtIndex(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= textureFrames_.entryCount()) return nullptr;
  return frame(static_cast<std::size_t>(index));
}

void FmOpenGLAnimatedTexture::resample(int w, int h) {
  for (std::size_t i = 0; i < textureFrames_.entryCount(); ++i) frame(i)->resample(w, h);
}

float FmOpenGLAnimatedTexture::animationLength() const {
  return static_cast<float>(frameCount()) * frameInterval_;
}

bool FmOpenGLAnimatedTexture::addFrame(FmOpenGLTexture* frame) {
  if (!isStillTexture(frame)) return false;
  for (std::size_t i = 0; i < textureFrames_.entryCount(); ++i) {
    if (textureFrames_.elementAt(i) == frame) return false;
  }
  textureFrames_.append(frame);
  return true;
}

void FmOpenGLAnimatedTexture::setStoredValues(std::int32_t first, std::int32_t second,
                                              std::int32_t third) {
  firstStoredValue_ = first;
  secondStoredValue_ = second;
  thirdStoredValue_ = third;
}

FmOpenGLTexture* FmOpenGLAnimatedTexture::frame(std::size_t index) const {
  return static_cast<FmOpenGLTexture*>(textureFrames_.elementAt(index));
}

void FmOpenGLAnimatedTexture::clearAll() {
  textureFrames_.clearAndDestroy();
  firstStoredValue_ = 0;
  secondStoredValue_ = 0;
  thirdStoredValue_ = 0;
  frameInterval_ = 0.0f;
  clearFields();
}

namespace {
const RWClassRegistration registration{createDefault<FmOpenGLAnimatedTexture>,
                                       FmOpenGLAnimatedTexture::id, "FmOpenGLAnimatedTexture"};
}  // namespace
