#include "FmNode.h"

#include <unordered_set>

#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"
#include "RWUnwindGuard.h"

namespace {

[[noreturn]] void raiseWrongChild(const RWCollectable* object) {
  const RWCString className = object ? stringIdOf(object->classId()) : RWCString("nil");
  const auto classId = static_cast<unsigned short>(object ? object->classId() : 0);
  rwRaise<RWInternalErr>(RWMessages::wrongClass, className.data(), classId, "FmNode");
}

// Whether the next record is a reference to an object read before (not nil); the
// file is left where it was.
bool nextIsBackReference(RWBinaryFile& file) {
  std::uint16_t next = 0;
  if (!file.peek(next) || next != referenceMarker) return false;
  const std::uint64_t offset = file.currentOffset();
  std::uint16_t marker = 0;
  std::uint32_t number = 0;
  const bool reference =
      file.read(marker) && marker == referenceMarker && file.read(number) && number != 0;
  file.seekTo(offset);
  return reference;
}

}  // namespace

constexpr MessageRecord badTree{"zirrow", 0x3010, "[TREE] Node \"%s\": %s", 0};

void raiseBadTree(const FmNode& node, const char* problem) {
  rwRaise<RWInternalErr>(badTree, node.name().data(), problem);
}

FmNode::FmNode() : children_(initialChildCapacity) {}

FmNode::FmNode(const RWCString& name, FmNode* parent, float expiryTime)
    : name_(name), parent_(parent), children_(initialChildCapacity), expiryTime_(expiryTime) {}

FmNode::FmNode(const FmNode& other)
    : RWCollectable(other),
      parent_(other.parent_),
      children_(initialChildCapacity),
      expiryTime_(other.expiryTime_) {
  if (other.controller_) {
    controller_ = static_cast<FmTransformController*>(other.controller_->clone());
  }
  for (std::size_t i = 0; i < other.childCount(); ++i) {
    auto* copy = static_cast<FmNode*>(other.childAt(i)->clone());
    copy->parent_ = this;
    children_.append(copy);
  }
  name_ = other.name_;
}

FmNode::~FmNode() {
  FmNode::clear();
}

RWCollectable* FmNode::newInstance() const {
  return new FmNode;
}

RWCollectable* FmNode::clone() const {
  return new FmNode(*this);
}

RWClassID FmNode::classId() const {
  return id;
}

std::uint32_t FmNode::storeSize() const {
  return 4 + 4 + static_cast<std::uint32_t>(name_.length()) + recursiveStoreSize(controller_) +
         recursiveStoreSize(parent_) + 4 + recursiveStoreSize(&children_) + 4;
}

void FmNode::restoreFields(RWBinaryFile& file) {
  FmNode::clear();
  parent_ = nullptr;
  std::uint32_t version = 0;
  if (!file.read(version) || version < 100 || version > storedVersion) return;
  const RWUnwindGuard releaseRead([this] { release(); });
  readFields(file, version);
}

void FmNode::readFields(RWBinaryFile& file, std::uint32_t version) {
  name_.restoreFrom(file);
  const bool sharedController = nextIsBackReference(file);
  readObject(file, &controller_);
  readObject(file, &parent_);
  file.read(flags_);
  if (version < storedVersion) flags_ = defaultFlags;
  // The node owns the controller that its record creates, never one that an
  // earlier record holds, whatever the stored flag says.
  if (controller_) {
    flags_ = sharedController ? flags_ & ~ownsControllerFlag : flags_ | ownsControllerFlag;
  }
  readChildren(file);
  expiryTime_ = neverExpires;
  if (version >= 101) file.read(expiryTime_);
}

void FmNode::readChildren(RWBinaryFile& file) {
  readObject(file, &children_);
  checkChildren();
}

// Every child must be a node that names this node as its parent, once, and none may
// be this node or one of its ancestors. A child that names this node as its parent
// and is this node or an ancestor closes a cycle among the ancestors, which the walk
// up the tree meets first; so only the children need remembering, and the check
// costs the depth plus the children rather than their product.
void FmNode::checkChildren() const {
  int depth = 0;
  for (const FmNode* node = this; node; node = node->parent_) {
    if (++depth > maxDepth) raiseBadTree(*this, "tree too deep or cyclic");
  }
  std::unordered_set<const RWCollectable*> seen;
  seen.reserve(children_.entryCount());
  for (std::size_t i = 0; i < children_.entryCount(); ++i) {
    const RWCollectable* element = children_.elementAt(i);
    checkChild(element);
    if (!seen.insert(element).second) raiseBadTree(*this, "child listed twice or cyclic");
  }
}

void FmNode::checkChild(const RWCollectable* element) const {
  const auto* child = dynamic_cast<const FmNode*>(element);
  if (!child) raiseWrongChild(element);
  if (child->parent_ != this) raiseBadTree(*this, "child names another parent");
}

void FmNode::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  name_.saveOn(file);
  writeObject(file, controller_);
  writeObject(file, parent_);
  file.write(flags_);
  writeObject(file, &children_);
  file.write(expiryTime_);
}

int FmNode::formatVersion() const {
  return storedVersion;
}

FmNode* FmNode::duplicate() const {
  auto* copy = new FmNode;
  duplicateInto(*copy);
  return copy;
}

void FmNode::duplicateInto(FmNode& copy) const {
  copy.clear();
  if (controller_) {
    copy.controller_ = static_cast<FmTransformController*>(controller_->clone());
  }
  copy.flags_ |= ownsControllerFlag;
  copy.name_ = name_;
  copy.parent_ = parent_;
  copy.expiryTime_ = expiryTime_;
  for (std::size_t i = 0; i < childCount(); ++i) {
    FmNode* child = childAt(i)->duplicate();
    if (!child) continue;
    child->parent_ = &copy;
    copy.children_.append(child);
  }
  copy.flags_ |= ownsChildrenFlag;
}

void FmNode::compact() {
  children_.resize(children_.entryCount());
  for (std::size_t i = 0; i < childCount(); ++i) childAt(i)->compact();
  if (controller_) controller_->compact();
}

void FmNode::clear() {
  if (ownsController()) delete controller_;
  controller_ = nullptr;
  controllerHandedOver_ = false;
  if (ownsChildren()) {
    destroyChildren();
  } else {
    children_.clear();
  }
}

// Each child leaves the list before it is destroyed, so that nothing reaches a
// destroyed child through this node meanwhile.
void FmNode::ownSubtree() {
  flags_ |= ownsChildrenFlag;
  for (std::size_t i = 0; i < childCount(); ++i) childAt(i)->ownSubtree();
}

void FmNode::destroyChildren() {
  while (children_.entryCount() > 0) {
    delete children_.removeAt(children_.entryCount() - 1);
  }
}

void FmNode::computeBounds(int value) {
  for (std::size_t i = 0; i < childCount(); ++i) childAt(i)->computeBounds(value);
}

bool FmNode::isAlive(float time) const {
  return expiryTime_ == neverExpires || time <= expiryTime_;
}

void FmNode::scalePositions(const FmPoint& factors) {
  if (controller_) controller_->scalePositions(factors);
  for (std::size_t i = 0; i < childCount(); ++i) childAt(i)->scalePositions(factors);
}

void FmNode::offsetPositions(const FmPoint& offset) {
  if (controller_) controller_->offsetPositions(offset);
}

bool FmNode::getPosition(FmPoint& position) const {
  if (!controller_) return false;
  position = controller_->position().value();
  return true;
}

bool FmNode::getDirection(FmPoint& direction) const {
  if (!controller_) return false;
  const FmMatrix& matrix = controller_->matrix();
  direction = {matrix[8], matrix[9], matrix[10]};
  return true;
}

bool FmNode::getPositionAxisAngle(FmPoint& position, FmPoint& axis, float& degrees) const {
  FmPoint scale;
  return getPositionScaleAxisAngle(position, scale, axis, degrees);
}

bool FmNode::getPositionScaleAxisAngle(FmPoint& position, FmPoint& scale, FmPoint& axis,
                                       float& degrees) const {
  if (!controller_) return false;
  position = controller_->position().value();
  scale = controller_->scale().value();
  controller_->rotation().value().toAxisAngle(axis, degrees);
  return true;
}

bool FmNode::getTransform(FmPoint& position, FmPoint& scale, FmQuat& rotation) const {
  if (!controller_) return false;
  position = controller_->position().value();
  scale = controller_->scale().value();
  rotation = controller_->rotation().value();
  return true;
}

bool FmNode::getWorldMatrix(FmMatrix& matrix) const {
  if (!controller_) return false;
  matrix = controller_->matrix();
  return true;
}

bool FmNode::getInverseWorldMatrix(FmMatrix& inverse) const {
  if (!controller_) return false;
  controller_->getInverseMatrix(inverse);
  return true;
}

void FmNode::setTransform(const FmPoint& position, const FmPoint& scale, const FmQuat& rotation) {
  if (!controller_) return;
  controller_->position().setValue(position);
  controller_->scale().setValue(scale);
  controller_->rotation().setValue(rotation);
}

int FmNode::update(float time, const FmMatrix& parentMatrix) {
  float localTime = time - timeOffset_;
  if (localTime < 0.0f) localTime = 0.0f;
  int result = 0;
  const FmMatrix* childMatrix = &parentMatrix;
  if (controller_) {
    result = controller_->update(localTime, parentMatrix);
    childMatrix = &controller_->matrix();
  }
  for (std::size_t i = 0; i < childCount(); ++i) childAt(i)->update(localTime, *childMatrix);
  return result;
}

bool FmNode::updateVisibility(float time, const FmViewer& viewer) {
  for (std::size_t i = 0; i < childCount(); ++i) childAt(i)->updateVisibility(time, viewer);
  return true;
}

void FmNode::rotateOrientations(const FmQuat& rotation) {
  if (controller_) controller_->rotateKeys(rotation);
  for (std::size_t i = 0; i < childCount(); ++i) childAt(i)->rotateOrientations(rotation);
}

void FmNode::replaceReference(RWCollectable* oldObject, RWCollectable* newObject) {
  for (std::size_t i = 0; i < childCount(); ++i) {
    childAt(i)->replaceReference(oldObject, newObject);
  }
}

FmTransformController* FmNode::handOverController() {
  if (!ownsController()) return nullptr;
  controllerHandedOver_ = true;
  return controller_;
}

void FmNode::setController(FmTransformController* controller) {
  if (controller == controller_) return;
  if (ownsController()) delete controller_;
  controller_ = controller;
  controllerHandedOver_ = false;
}

FmNode* FmNode::childAt(std::size_t index) const {
  if (index >= children_.entryCount()) return nullptr;
  return static_cast<FmNode*>(children_.elementAt(index));
}

bool FmNode::appendChild(FmNode* child) {
  if (!child || child == this || children_.indexOf(child) != RW_NPOS) return false;
  child->parent_ = this;
  children_.append(child);
  return true;
}

bool FmNode::removeChild(FmNode* child) {
  const std::size_t index = children_.indexOf(child);
  if (!child || index == RW_NPOS) return false;
  children_.removeAt(index);
  child->parent_ = nullptr;
  return true;
}

bool FmNode::isAncestorOf(const FmNode* node) const {
  for (int depth = 0; node && depth <= maxDepth; ++depth, node = node->parent_) {
    if (node == this) return true;
  }
  return false;
}

void FmNode::release() {
  controller_ = nullptr;
  controllerHandedOver_ = false;
  children_.clear();
}

namespace {
const RWClassRegistration registration{createDefault<FmNode>, FmNode::id, "FmNode"};
}  // namespace
