#include "FmAnimatedMesh.h"

#include <algorithm>
#include <cmath>

#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"

namespace {

[[noreturn]] void raiseWrongFrame(const RWCollectable* object) {
  const RWCString className = object ? stringIdOf(object->classId()) : RWCString("nil");
  const auto classId = static_cast<unsigned short>(object ? object->classId() : 0);
  rwRaise<RWInternalErr>(RWMessages::wrongClass, className.data(), classId, "FmMesh");
}

}  // namespace

FmAnimatedMesh::FmAnimatedMesh() : frames_(initialFrameCapacity) {}

FmAnimatedMesh::FmAnimatedMesh(const FmAnimatedMesh& other)
    : RWCollectable(other), frames_(initialFrameCapacity) {
  for (std::size_t i = 0; i < other.frames_.entryCount(); ++i) {
    frames_.append(other.frame(i)->clone());
  }
}

FmAnimatedMesh::~FmAnimatedMesh() {
  frames_.clearAndDestroy();
}

RWCollectable* FmAnimatedMesh::newInstance() const {
  return new FmAnimatedMesh;
}

RWCollectable* FmAnimatedMesh::clone() const {
  return new FmAnimatedMesh(*this);
}

RWClassID FmAnimatedMesh::classId() const {
  return id;
}

std::uint32_t FmAnimatedMesh::storeSize() const {
  return 4 + recursiveStoreSize(&frames_);
}

void FmAnimatedMesh::restoreFields(RWBinaryFile& file) {
  frames_.clearAndDestroy();
  std::uint32_t version = 0;
  if (!file.read(version) || version != storedVersion) return;
  readFrames(file);
}

void FmAnimatedMesh::readFrames(RWBinaryFile& file) {
  try {
    readObject(file, &frames_);
  } catch (...) {
    frames_.clear();
    throw;
  }
  checkFrames();
}

// Every frame must be a mesh that this list's own record created: a frame found by
// reference to another object's record belongs to that object, and owning it here
// too would destroy it twice.
void FmAnimatedMesh::checkFrames() {
  const auto& created = frames_.created();
  for (std::size_t i = 0; i < frames_.entryCount(); ++i) {
    const RWCollectable* element = frames_.elementAt(i);
    if (!element) {
      frames_.clear();
      raiseWrongFrame(element);
    }
    if (std::find(created.begin(), created.end(), element) == created.end()) {
      frames_.clear();
      rwRaise<RWInternalErr>(RWMessages::badReference);
    }
  }
  frames_.forgetCreated();
}

void FmAnimatedMesh::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  writeObject(file, &frames_);
}

int FmAnimatedMesh::formatVersion() const {
  return storedVersion;
}

FmMesh* FmAnimatedMesh::getFrame(float time, FmMesh* output) {
  if (frames_.entryCount() == 0) return nullptr;
  time = wrapped(time);
  const FramePair pair = framesAround(time);
  if (!output) return pair.current;
  FmMesh::interpolateInto(output, pair.current, pair.next, time);
  output->setDisplayList(frames_.entryCount() == 1 ? pair.current->displayList() : -1);
  return output;
}

float FmAnimatedMesh::wrapped(float time) const {
  const float loopLength = frame(frames_.entryCount() - 1)->time();
  return loopLength != 0.0f ? std::fmod(time, loopLength) : time;
}

// The frame at or before the time and the first frame at or after it; before the
// first frame, that frame alone; past the last, the last frame twice.
FmAnimatedMesh::FramePair FmAnimatedMesh::framesAround(float time) const {
  FmMesh* current = frame(0);
  if (current->time() > time) return {current, nullptr};
  for (std::size_t i = 1; i < frames_.entryCount(); ++i) {
    FmMesh* candidate = frame(i);
    if (current->time() <= time && candidate->time() >= time) return {current, candidate};
    current = candidate;
  }
  return {current, current};
}

void FmAnimatedMesh::compact() {
  frames_.resize(frames_.entryCount());
}

FmMesh* FmAnimatedMesh::frameAt(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= frames_.entryCount()) return nullptr;
  return frame(static_cast<std::size_t>(index));
}

bool FmAnimatedMesh::addFrame(FmMesh* frame) {
  if (!frame) return false;
  for (std::size_t i = 0; i < frames_.entryCount(); ++i) {
    if (frames_.elementAt(i) == frame) return false;
  }
  frames_.append(frame);
  return true;
}

FmMesh* FmAnimatedMesh::frame(std::size_t index) const {
  return static_cast<FmMesh*>(frames_.elementAt(index));
}

namespace {
const RWClassRegistration registration{createDefault<FmAnimatedMesh>, FmAnimatedMesh::id,
                                       "FmAnimatedMesh"};
}  // namespace
