#include "FmObject.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_set>
#include <utility>

#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"

namespace {

// Arrays of three floats per entry must still be countable with an int.
constexpr std::uint32_t maxArrayEntries = std::numeric_limits<std::int32_t>::max() / 3;

[[noreturn]] void raiseWrongClass(const RWCollectable* object, const char* expected) {
  const RWCString className = object ? stringIdOf(object->classId()) : RWCString("nil");
  const auto classId = static_cast<unsigned short>(object ? object->classId() : 0);
  rwRaise<RWInternalErr>(RWMessages::wrongClass, className.data(), classId, expected);
}

// The position of a face's corner in x, y, z per vertex; the face's indices are
// checked against the count first.
FmPoint cornerIn(std::span<const float> xyz, std::int32_t index) {
  const auto at = static_cast<std::size_t>(index) * 3;
  return {xyz[at], xyz[at + 1], xyz[at + 2]};
}

bool isFaceOrNil(const RWCollectable* element) {
  return !element || dynamic_cast<const FmFace*>(element) != nullptr;
}

bool nextClassIs(RWBinaryFile& file, RWClassID classId) {
  std::uint16_t next = 0;
  return file.peek(next) && next == classId;
}

// Reads count entries of `width` floats, refusing counts larger than the file.
std::vector<float> readFloats(RWBinaryFile& file, std::size_t width) {
  std::uint32_t count = 0;
  if (!file.read(count) || count == 0 || count > maxArrayEntries) return {};
  const std::size_t values = std::size_t{count} * width;
  if (!file.ensureAvailable(values * sizeof(float))) return {};
  std::vector<float> floats(values);
  if (!file.read(floats.data(), values)) return {};
  return floats;
}

void writeFloats(RWBinaryFile& file, const std::vector<float>& floats, std::size_t width) {
  file.write(static_cast<std::uint32_t>(floats.size() / width));
  if (!floats.empty()) file.write(floats.data(), floats.size());
}

// The point transformed by the matrix (column-major, translation in 12 to 14).
FmPoint transformed(const FmMatrix& m, const FmPoint& p) {
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
          m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

float dot(const FmPoint& a, const FmPoint& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

float length(const FmPoint& p) {
  return std::sqrt(dot(p, p));
}

template <class T>
void readPointer(RWBinaryFile& file, T*& field, std::vector<RWCollectable*>& created) {
  const bool isNew = startsNewRecord(file);
  readObject(file, &field);
  if (isNew && field) created.push_back(field);
}

}  // namespace

FmObject::FmObject() {
  visibilityTrack_.setValue(1.0f);
  visibilityTrack_.setInterpolate(0);
}

FmObject::FmObject(const RWCString& name, FmNode* parent, float expiryTime)
    : FmNode(name, parent, expiryTime) {
  visibilityTrack_.setValue(1.0f);
  visibilityTrack_.setInterpolate(0);
}

FmObject::FmObject(const FmObject& other) : FmNode(other) {
  copyFieldsFrom(other);
  copyGeometryFrom(other);
  ownsGeometry_ = 1;
  updateMesh(0.0f);
}

FmObject::~FmObject() {
  destroyOwned();
}

RWCollectable* FmObject::newInstance() const {
  return new FmObject;
}

RWCollectable* FmObject::clone() const {
  return new FmObject(*this);
}

RWClassID FmObject::classId() const {
  return id;
}

std::uint32_t FmObject::storeSize() const {
  const auto normalBytes = static_cast<std::uint32_t>(normals_.size() * sizeof(float));
  const auto texCoordBytes = static_cast<std::uint32_t>(texCoords_.size() * sizeof(float));
  return 4 + FmNode::storeSize() + 4 + recursiveStoreSize(&animations_) +
         recursiveStoreSize(animationInUse_) + recursiveStoreSize(currentFrame_) + 4 + normalBytes +
         4 + texCoordBytes + recursiveStoreSize(faces_) + recursiveStoreSize(&objectTextures_) +
         recursiveStoreSize(material_) + 7 * 4 + recursiveStoreSize(&visibilityTrack_) + 4;
}

void FmObject::restoreFields(RWBinaryFile& file) {
  clear();
  std::uint32_t version = 0;
  if (!file.read(version) || version != storedVersion) return;
  FmNode::restoreFields(file);
  try {
    readGeometry(file);
  } catch (...) {
    destroyOwned();
    releaseGeometry();
    throw;
  }
  selectAnimation(0);
  updateMesh(0.0f);
}

// Only the face list that this object allocates is owned while reading goes on;
// everything else read here is taken over once the whole record has been read.
void FmObject::readGeometry(RWBinaryFile& file) {
  std::uint32_t count = 0;
  file.read(count);
  vertexCount_ = static_cast<std::int32_t>(count);
  readObject(file, &animations_);
  std::vector<RWCollectable*> created = animations_.created();
  animations_.forgetCreated();
  readPointer(file, animationInUse_, created);
  readPointer(file, currentFrame_, created);
  readArrays(file);
  readFaces(file, created);
  readObject(file, &objectTextures_);
  objectTextures_.forgetCreated();
  readPointer(file, material_, created);
  file.read(displayList_);
  file.read(doubleSided_);
  file.read(contactFlags_);
  file.read(lit_);
  file.read(blendMode_);
  file.read(ownsGeometry_);
  file.read(morphs_);
  readObject(file, &visibilityTrack_);
  visibilityTrack_.setInterpolate(0);
  file.read(distanceAxis_);
  takeOver(created);
}

// Every object once, in the order given, that the object does not own yet. An object
// may have many thousand faces: an open-addressed table of addresses takes them
// over in linear time without allocating per face.
void FmObject::takeOver(const std::vector<RWCollectable*>& items) {
  const std::size_t slotCount = std::bit_ceil(2 * (owned_.size() + items.size()) + 2);
  const int shift = std::numeric_limits<std::uint64_t>::digits - std::countr_zero(slotCount);
  std::vector<const RWCollectable*> slots(slotCount, nullptr);
  // False when the address is there already.
  const auto insert = [&](const RWCollectable* item) {
    constexpr std::uint64_t spread = 0x9E3779B97F4A7C15ull;
    auto slot =
        static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(item) * spread) >> shift);
    while (slots[slot]) {
      if (slots[slot] == item) return false;
      slot = (slot + 1) & (slotCount - 1);
    }
    slots[slot] = item;
    return true;
  };
  for (const RWCollectable* item : owned_) insert(item);
  for (RWCollectable* item : items) {
    if (item && insert(item)) owned_.push_back(item);
  }
}

void FmObject::readArrays(RWBinaryFile& file) {
  normals_ = readFloats(file, 3);
  texCoords_ = readFloats(file, 2);
}

void FmObject::readFaces(RWBinaryFile& file, std::vector<RWCollectable*>& created) {
  const bool isNew = startsNewRecord(file);
  if (!isNew || !nextClassIs(file, RWOrdered::id)) {
    readObject(file, &faces_);
    if (isNew && faces_) {
      const RWCollectable* refused = std::exchange(faces_, nullptr);
      raiseWrongClass(refused, "RWOrdered");
    }
    // A list read before may still be in the middle of its own reading and take other
    // elements after any check here; only another object's face list reads faces alone.
    if (faces_ && !dynamic_cast<const FmTypedList<FmFace>*>(faces_)) {
      faces_ = nullptr;
      raiseBadTree(*this, "its faces are a list that was not read as faces");
    }
    return;
  }
  auto* list = new FmTypedList<FmFace>(initialListCapacity);
  faces_ = list;
  own(list);
  readObject(file, list);
  created.insert(created.end(), list->created().begin(), list->created().end());
  list->forgetCreated();
}

void FmObject::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  FmNode::saveFields(file);
  file.write(static_cast<std::uint32_t>(vertexCount_));
  writeObject(file, &animations_);
  writeObject(file, animationInUse_);
  writeObject(file, currentFrame_);
  writeFloats(file, normals_, 3);
  writeFloats(file, texCoords_, 2);
  writeObject(file, faces_);
  writeObject(file, &objectTextures_);
  writeObject(file, material_);
  file.write(displayList_);
  file.write(doubleSided_);
  file.write(contactFlags_);
  file.write(lit_);
  file.write(blendMode_);
  file.write(ownsGeometry_);
  file.write(morphs_);
  writeObject(file, &visibilityTrack_);
  file.write(distanceAxis_);
}

int FmObject::formatVersion() const {
  return storedVersion;
}

// ---- ownership -------------------------------------------------------------

bool FmObject::owns(const RWCollectable* item) const {
  return std::find(owned_.begin(), owned_.end(), item) != owned_.end();
}

void FmObject::own(RWCollectable* item) {
  if (item && !owns(item)) owned_.push_back(item);
}

void FmObject::disown(RWCollectable* item) {
  owned_.erase(std::remove(owned_.begin(), owned_.end(), item), owned_.end());
}

std::vector<RWCollectable*> FmObject::handOverGeometry() {
  return std::exchange(owned_, {});
}

void FmObject::destroyOwned() {
  for (RWCollectable* item : std::exchange(owned_, {})) delete item;
}

void FmObject::releaseGeometry() {
  material_ = nullptr;
  objectTextures_.clear();
  animations_.clear();
  animationInUse_ = nullptr;
  currentFrame_ = nullptr;
  blendTarget_ = nullptr;
  faces_ = nullptr;
}

void FmObject::clear() {
  FmNode::clear();
  parent_ = nullptr;
  destroyOwned();
  releaseGeometry();
  normals_.clear();
  texCoords_.clear();
  vertexCount_ = 0;
  currentAnimation_ = 0;
  lit_ = 0;
  blendMode_ = opaqueBlend;
}

// ---- copies ----------------------------------------------------------------

void FmObject::copyFieldsFrom(const FmObject& other) {
  doubleSided_ = other.doubleSided_;
  displayList_ = other.displayList_;
  blendMode_ = other.blendMode_;
  viewDistance_ = other.viewDistance_;
  visibilityTrack_ = other.visibilityTrack_;
  visibilityTrack_.setInterpolate(0);
  distanceAxis_ = other.distanceAxis_;
  normals_ = other.normals_;
  texCoords_ = other.texCoords_;
  vertexCount_ = other.vertexCount_;
  currentAnimation_ = other.currentAnimation_;
  morphs_ = other.morphs_;
  localCentre_ = other.localCentre_;
  boundingRadius_ = other.boundingRadius_;
  worldCentre_ = other.worldCentre_;
  contactFlags_ = other.contactFlags_;
  lit_ = other.lit_;
  timeOffset_ = other.timeOffset_;
  for (std::size_t i = 0; i < other.objectTextures_.entryCount(); ++i) {
    objectTextures_.append(other.objectTextures_.elementAt(i));
  }
}

void FmObject::copyGeometryFrom(const FmObject& other) {
  if (other.material_) setMaterial(static_cast<FmMaterial*>(other.material_->clone()));
  if (other.faces_) {
    auto* list = new RWOrdered(initialListCapacity);
    own(list);
    for (std::size_t i = 0; i < other.faces_->entryCount(); ++i) {
      const RWCollectable* face = other.faces_->elementAt(i);
      RWCollectable* copy = face ? face->clone() : nullptr;
      own(copy);
      list->append(copy);
    }
    faces_ = list;
  }
  for (std::size_t i = 0; i < other.animations_.entryCount(); ++i) {
    const FmAnimatedMesh* animation = other.animations_.at(i);
    RWCollectable* copy = animation ? animation->clone() : nullptr;
    own(copy);
    animations_.append(copy);
  }
  animationInUse_ = animations_.at(0);
  if (other.currentFrame_ && (morphs_ || animations_.entryCount() == 0)) {
    setCurrentFrame(static_cast<FmMesh*>(other.currentFrame_->clone()));
    blendTarget_ = currentFrame_;
  }
}

FmNode* FmObject::duplicate() const {
  auto* copy = new FmObject;
  duplicateObjectInto(*copy);
  return copy;
}

void FmObject::duplicateObjectInto(FmObject& copy) const {
  duplicateInto(copy);
  copy.destroyOwned();
  copy.releaseGeometry();
  copy.copyFieldsFrom(*this);
  copy.material_ = material_;
  copy.faces_ = faces_;
  for (std::size_t i = 0; i < animations_.entryCount(); ++i) {
    copy.animations_.append(animations_.elementAt(i));
  }
  copy.animationInUse_ = animationInUse_;
  copy.currentFrame_ = currentFrame_;
  if (morphs_ && currentFrame_) {
    copy.currentFrame_ = static_cast<FmMesh*>(currentFrame_->clone());
    copy.own(copy.currentFrame_);
    copy.blendTarget_ = copy.currentFrame_;
  }
  copy.ownsGeometry_ = 0;
}

// ---- geometry ---------------------------------------------------------------

void FmObject::setMaterial(FmMaterial* material) {
  if (material == material_) return;
  if (owns(material_)) {
    disown(material_);
    delete material_;
  }
  material_ = material;
  own(material);
}

FmOpenGLTexture* FmObject::textureAt(int index) const {
  if (index < 0) return nullptr;
  return objectTextures_.at(static_cast<std::size_t>(index));
}

bool FmObject::addTexture(FmOpenGLTexture* texture) {
  if (!texture) return false;
  objectTextures_.append(texture);
  return true;
}

FmFace* FmObject::faceAt(int index) const {
  if (!faces_ || index < 0 || static_cast<std::size_t>(index) >= faces_->entryCount()) {
    return nullptr;
  }
  return static_cast<FmFace*>(faces_->elementAt(static_cast<std::size_t>(index)));
}

bool FmObject::setFaces(RWOrdered* faces) {
  if (faces == faces_) return faces != nullptr;
  if (faces) {
    for (std::size_t i = 0; i < faces->entryCount(); ++i) {
      const RWCollectable* element = faces->elementAt(i);
      if (!isFaceOrNil(element) || (element && owns(element))) return false;
    }
  }
  if (faces_ && owns(faces_)) {
    for (std::size_t i = 0; i < faces_->entryCount(); ++i) {
      RWCollectable* face = faces_->elementAt(i);
      if (owns(face)) {
        disown(face);
        delete face;
      }
    }
    disown(faces_);
    delete faces_;
  }
  faces_ = faces;
  own(faces);
  if (faces) {
    for (std::size_t i = 0; i < faces->entryCount(); ++i) own(faces->elementAt(i));
  }
  return true;
}

bool FmObject::setNormals(std::vector<float> xyz) {
  if (xyz.size() % 3 != 0 || xyz.size() / 3 > maxArrayEntries) return false;
  normals_ = std::move(xyz);
  return true;
}

bool FmObject::setTexCoords(std::vector<float> st) {
  if (st.size() % 2 != 0 || st.size() / 3 > maxArrayEntries) return false;
  texCoords_ = std::move(st);
  return true;
}

FmAnimatedMesh* FmObject::animationAt(int index) const {
  if (index < 0) return nullptr;
  return animations_.at(static_cast<std::size_t>(index));
}

bool FmObject::addAnimation(FmAnimatedMesh* animation) {
  if (!animation) return false;
  for (std::size_t i = 0; i < animations_.entryCount(); ++i) {
    if (animations_.elementAt(i) == animation) return false;
  }
  animations_.append(animation);
  own(animation);
  blendTarget_ = nullptr;
  if (isAnimationFrame(currentFrame_)) disown(currentFrame_);
  return true;
}

bool FmObject::isAnimationFrame(const FmMesh* frame) const {
  const auto holds = [frame](const FmAnimatedMesh* animation) {
    for (int f = 0; animation && f < animation->frameCount(); ++f) {
      if (animation->frameAt(f) == frame) return true;
    }
    return false;
  };
  for (std::size_t i = 0; i < animations_.entryCount(); ++i) {
    if (holds(animations_.at(i))) return true;
  }
  return holds(animationInUse_);
}

void FmObject::setCurrentFrame(FmMesh* frame) {
  if (frame == currentFrame_) return;
  if (owns(currentFrame_)) {
    disown(currentFrame_);
    delete currentFrame_;
  }
  currentFrame_ = frame;
  blendTarget_ = nullptr;
  if (!isAnimationFrame(frame)) own(frame);
}

std::span<const float> FmObject::positions() const {
  if (!currentFrame_) return {};
  return std::as_const(*currentFrame_).vertices();
}

std::span<const std::uint8_t> FmObject::colours() const {
  if (!currentFrame_) return {};
  return currentFrame_->colours();
}

bool FmObject::isUsable(const FmFace& face) const {
  const auto positionCount = static_cast<int>(positions().size() / 3);
  const auto colourCount = static_cast<int>(colours().size() / 3);
  return face.indicesWithin(positionCount, texCoordCount(), normalCount(), colourCount);
}

void FmObject::setDisplayList(std::int32_t displayList) {
  displayList_ = displayList;
  if (currentFrame_) currentFrame_->setDisplayList(displayList);
  if (currentAnimation_ == -1) return;
  const FmAnimatedMesh* animation = animationAt(currentAnimation_);
  FmMesh* first = animation ? animation->frameAt(0) : nullptr;
  if (first) first->setDisplayList(displayList);
}

// ---- animation ---------------------------------------------------------------

void FmObject::selectAnimation(int index) {
  if (index == currentAnimation_ ||
      static_cast<unsigned>(index) >= static_cast<unsigned>(animations_.entryCount())) {
    return;
  }
  displayList_ = noDisplayList;
  currentAnimation_ = index;
  animationInUse_ = animationAt(index);
  if (!animationInUse_ || animationInUse_->frameCount() != 1) return;
  if (morphs_) {
    setCurrentFrame(animationInUse_->getFrame(0.0f, morphOutput()));
  } else {
    setCurrentFrame(animationInUse_->frameAt(0));
  }
  animationInUse_ = nullptr;
}

void FmObject::updateMesh(float time) {
  if (animationInUse_) {
    setCurrentFrame(animationInUse_->getFrame(time, morphs_ ? morphOutput() : nullptr));
  }
  if (currentFrame_) displayList_ = currentFrame_->displayList();
}

// A morphing object blends its animation's frames into a mesh of its own. One that
// has none yet (no current frame, or a frame of an animation, which every duplicate
// shares) gets a copy to blend into; blending into a frame would change the animation.
// A copy that the object made itself is no animation's frame: it is blended into
// frame after frame without looking through the animations again.
FmMesh* FmObject::morphOutput() {
  if (currentFrame_ && currentFrame_ == blendTarget_) return currentFrame_;
  if (currentFrame_ && !isAnimationFrame(currentFrame_)) return currentFrame_;
  const FmMesh* source = currentFrame_;
  if (!source && animationInUse_ && animationInUse_->frameCount() > 0) {
    source = animationInUse_->frameAt(0);
  }
  if (!source) return nullptr;
  auto* output = static_cast<FmMesh*>(source->clone());
  setCurrentFrame(output);
  blendTarget_ = output;
  return output;
}

int FmObject::textureNameAt(float time, int index) const {
  const FmOpenGLTexture* texture = textureAt(index);
  if (!texture) return -1;
  return texture->glNameAt(time - timeOffset_);
}

// ---- per frame -----------------------------------------------------------------

FmMatrix FmObject::worldMatrix() const {
  return controller_ ? controller_->matrix() : FmMatrix::identity();
}

int FmObject::update(float time, const FmMatrix& parentMatrix) {
  const int result = FmNode::update(time, parentMatrix);
  updateMesh(time);
  visibilityTrack_.evaluate(time, 0);
  worldCentre_ = transformed(worldMatrix(), localCentre_);
  return result;
}

bool FmObject::updateVisibility(float time, const FmViewer& viewer) {
  FmNode::updateVisibility(time, viewer);
  viewDistance_ = 0;
  if (visibilityTrack_.value() != 1.0f) return true;
  const FmPoint d = worldCentre_ - viewer.position;
  const float r = boundingRadius_;
  const float dist2 = dot(d, d);
  const float q = dist2 - r * r;
  if (q > 0) {
    const float e = dot(viewer.direction, d);
    if (e * e < viewer.coneCos2 * dist2 || e <= 0) {
      const float e2 = std::sqrt(std::fabs(dist2 - e * e)) * viewer.coneSin + e * viewer.coneCos;
      if (e2 * e2 - q < 0 || e2 < 0) return true;
    }
  }
  if (r + viewer.farDistance < length(d)) return true;
  viewDistance_ = distanceFor(d);
  return true;
}

float FmObject::distanceFor(const FmPoint& d) const {
  float distance = 0;
  switch (distanceAxis_) {
    case 1:
      distance = std::fabs(d.x);
      break;
    case 2:
      distance = std::fabs(d.y);
      break;
    case 3:
      distance = std::fabs(d.z);
      break;
    default:
      distance = length(d);
  }
  return distance == 0.0f ? 1.0f : distance;
}

// ---- bounds and contact --------------------------------------------------------

void FmObject::computeBounds(int value) {
  FmNode::computeBounds(value);
  localCentre_ = {};
  float radius = 0;
  const std::span<const float> xyz = positions();
  for (std::size_t i = 0; i + 2 < xyz.size(); i += 3) {
    radius = std::max(radius, length({xyz[i], xyz[i + 1], xyz[i + 2]}));
  }
  const float scale = controller_ ? controller_->scale().value().x : 1.0f;
  boundingRadius_ = std::fabs(scale * radius);
  computeFacePlanes();
}

void FmObject::computeFacePlanes() {
  const std::span<const float> xyz = positions();
  const auto positionCount = static_cast<int>(xyz.size() / 3);
  for (int i = 0; i < faceCount(); ++i) {
    FmFace* face = faceAt(i);
    if (!face || !face->indicesWithin(positionCount, 0, 0, 0)) continue;
    const FmFace::Corners& corner = face->vertexIndex();
    const FmPoint a = cornerIn(xyz, corner[0]);
    const FmPoint b = cornerIn(xyz, corner[1]);
    const FmPoint c = cornerIn(xyz, corner[2]);
    face->computePlane(a, b, c);
    face->computeSphere(a, b, c);
  }
}

bool FmObject::hitBySphere(const FmPoint& point, float radius) {
  FmMatrix inverse;
  if (!getInverseWorldMatrix(inverse)) inverse = FmMatrix::identity();
  const FmPoint local = transformed(inverse, point);
  const std::span<const float> xyz = positions();
  const auto positionCount = static_cast<int>(xyz.size() / 3);
  const int count = faceCount();
  for (int i = 0; i < count; ++i) {
    FmFace* face = faceAt(i);
    if (!face || !face->indicesWithin(positionCount, 0, 0, 0)) continue;
    const FmFace::Corners& corner = face->vertexIndex();
    if (face->touches(local, radius, cornerIn(xyz, corner[0]), cornerIn(xyz, corner[1]),
                      cornerIn(xyz, corner[2]))) {
      return true;
    }
  }
  return false;
}

bool FmObject::contact(FmObject* other, float time) {
  if (!(contactFlags_ & colliderFlag) || !other || other == this || other->contactFlags_ == 0) {
    return false;
  }
  if (length(other->worldCentre_ - worldCentre_) > boundingRadius_ + other->boundingRadius_) {
    return false;
  }
  if (!other->hitBySphere(worldCentre_, boundingRadius_)) return false;
  other->setTimeOffset(time);
  return true;
}

// ---- tree operations -------------------------------------------------------------

void FmObject::scalePositions(const FmPoint& factors) {
  FmNode::scalePositions(factors);
  std::unordered_set<FmMesh*> scaled;
  const auto scale = [&](FmMesh* mesh) {
    if (!mesh || !scaled.insert(mesh).second) return;
    const std::span<float> xyz = mesh->vertices();
    for (std::size_t i = 0; i + 2 < xyz.size(); i += 3) {
      xyz[i] *= factors.x;
      xyz[i + 1] *= factors.y;
      xyz[i + 2] *= factors.z;
    }
  };
  if (animations_.entryCount() == 0) {
    scale(currentFrame_);
    return;
  }
  for (std::size_t i = 0; i < animations_.entryCount(); ++i) {
    const FmAnimatedMesh* animation = animations_.at(i);
    for (int f = 0; animation && f < animation->frameCount(); ++f) scale(animation->frameAt(f));
  }
}

void FmObject::offsetPositions(const FmPoint& offset) {
  FmNode::offsetPositions(offset);
  if (!currentFrame_) return;
  const std::span<float> xyz = currentFrame_->vertices();
  for (std::size_t i = 0; i + 2 < xyz.size(); i += 3) {
    xyz[i] += offset.x;
    xyz[i + 1] += offset.y;
    xyz[i + 2] += offset.z;
  }
}

void FmObject::replaceReference(RWCollectable* oldObject, RWCollectable* newObject) {
  FmNode::replaceReference(oldObject, newObject);
  if (newObject && !dynamic_cast<FmOpenGLTexture*>(newObject)) return;
  for (std::size_t i = 0; i < objectTextures_.entryCount(); ++i) {
    RWCollectable*& entry = objectTextures_.elementRefAt(i);
    if (entry == oldObject) entry = newObject;
  }
}

void FmObject::compact() {
  if (faces_) faces_->resize(faces_->entryCount());
  animations_.resize(animations_.entryCount());
  for (std::size_t i = 0; i < animations_.entryCount(); ++i) {
    if (FmAnimatedMesh* animation = animations_.at(i)) animation->compact();
  }
  objectTextures_.resize(objectTextures_.entryCount());
  visibilityTrack_.compact();
}

namespace {
const RWClassRegistration registration{createDefault<FmObject>, FmObject::id, "FmObject"};
}  // namespace
