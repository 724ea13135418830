#include "FmWorker.h"

#include <cmath>
#include <unordered_set>

#include "FmCamera.h"
#include "FmFlightController.h"
#include "FmObject.h"
#include "FmTimerBarController.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"

namespace {

constexpr MessageRecord badWorker{"zirrow", 0x3011, "[TREE] Worker: %s", 0};
constexpr double radiansPerDegree = 0.017453292519943295;
constexpr std::uint32_t adoptingVersion = 103;

[[noreturn]] void raiseBadWorker(const char* problem) {
  rwRaise<RWInternalErr>(badWorker, problem);
}

enum class Kind { none, object, camera, light, flock };

Kind kindOf(RWClassID classId) {
  switch (classId) {
    case 1127:
    case 1158:
    case 1159:
    case 1161:
      return Kind::object;
    case 1130:
      return Kind::camera;
    case 1146:
      return Kind::light;
    case 1149:
      return Kind::flock;
    default:
      return Kind::none;
  }
}

// The nodes of the subtrees and the controllers that they own.
struct Holdings {
  std::unordered_set<const FmNode*> nodes;
  std::unordered_set<const FmTransformController*> controllers;

  void add(const FmNode* node) {
    if (!node || !nodes.insert(node).second) return;
    if (node->controller() && node->ownsController()) controllers.insert(node->controller());
    for (std::size_t i = 0; i < node->childCount(); ++i) add(node->childAt(i));
  }
  bool holds(const FmNode* node) const { return nodes.count(node) != 0; }
};

bool listed(const RWOrdered& list, const RWCollectable* item) {
  return list.indexOf(item) != RW_NPOS;
}

void cloneTemplates(const RWOrdered& templates, RWOrdered& copy) {
  for (std::size_t i = 0; i < templates.entryCount(); ++i) {
    copy.append(templates.elementAt(i)->clone());
  }
}

}  // namespace

FmWorker::FmWorker()
    : alphaObjects_(smallListCapacity),
      blendObjects_(smallListCapacity),
      templates_(templateCapacity) {}

FmWorker::FmWorker(const FmWorker& other)
    : RWCollectable(other),
      sortByMaterial_(other.sortByMaterial_),
      camera_(other.camera_),
      flightController_(other.flightController_),
      projectileTemplate_(other.projectileTemplate_),
      background_(other.background_),
      timerBar_(other.timerBar_),
      viewer_(other.viewer_),
      root_(other.root_),
      objects_(other.objects_),
      cameras_(other.cameras_),
      lights_(other.lights_),
      flocks_(other.flocks_),
      alphaObjects_(other.alphaObjects_),
      blendObjects_(other.blendObjects_),
      templates_(templateCapacity),
      cameraMatrix_(other.cameraMatrix_),
      pointA_(other.pointA_),
      pointB_(other.pointB_),
      currentFlock_(other.currentFlock_),
      auxShared_(other.auxShared_),
      auxNode_(other.auxNode_) {
  cloneTemplates(other.templates_, templates_);
  const std::size_t index = other.templates_.indexOf(other.projectileTemplate_);
  if (index != RW_NPOS) projectileTemplate_ = dynamic_cast<FmRocket*>(templates_.elementAt(index));
  if (background_ && !background_->parent()) {
    background_ = static_cast<FmObject*>(background_->clone());
  }
  if (auxNode_ && !auxShared_) auxNode_ = static_cast<FmNode*>(auxNode_->clone());
}

FmWorker::~FmWorker() {
  clear();
}

RWCollectable* FmWorker::newInstance() const {
  return new FmWorker;
}

RWCollectable* FmWorker::clone() const {
  return new FmWorker(*this);
}

RWClassID FmWorker::classId() const {
  return id;
}

std::uint32_t FmWorker::storeSize() const {
  std::uint32_t size = 4 + recursiveStoreSize(&root_) + recursiveStoreSize(&objects_) +
                       recursiveStoreSize(&alphaObjects_) + recursiveStoreSize(&blendObjects_);
  size += recursiveStoreSize(&cameras_) + recursiveStoreSize(&lights_) +
          recursiveStoreSize(&flocks_) + recursiveStoreSize(&templates_);
  size += recursiveStoreSize(camera_) + recursiveStoreSize(flightController_) + 2 * 12;
  size += recursiveStoreSize(projectileTemplate_) + recursiveStoreSize(background_);
  return size + recursiveStoreSize(auxNode_) + recursiveStoreSize(timerBar_);
}

void FmWorker::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  writeObject(file, &root_);
  writeObject(file, &objects_);
  writeObject(file, &alphaObjects_);
  writeObject(file, &blendObjects_);
  writeObject(file, &cameras_);
  writeObject(file, &lights_);
  writeObject(file, &flocks_);
  writeObject(file, &templates_);
  writeObject(file, camera_);
  writeObject(file, flightController_);
  pointB_.saveOn(file);
  pointA_.saveOn(file);
  writeObject(file, projectileTemplate_);
  writeObject(file, background_);
  writeObject(file, auxNode_);
  writeObject(file, timerBar_);
}

int FmWorker::formatVersion() const {
  return storedVersion;
}

void FmWorker::restoreFields(RWBinaryFile& file) {
  std::uint32_t version = 0;
  if (!file.read(version) || version > storedVersion) return;
  clear();
  try {
    readFields(file, version);
  } catch (...) {
    release();
    throw;
  }
}

void FmWorker::readFields(RWBinaryFile& file, std::uint32_t version) {
  if (version > adoptingVersion) readObject(file, &root_);
  readLists(file, version);
  readReferences(file, version);
  if (version <= adoptingVersion) adoptListNodes();
  relistObjects();
  checkLoaded();
  FmCamera* camera = camera_;
  camera_ = nullptr;
  setCamera(camera);
}

void FmWorker::readLists(RWBinaryFile& file, std::uint32_t version) {
  readObject(file, &objects_);
  if (version >= 105) readObject(file, &alphaObjects_);
  readObject(file, &blendObjects_);
  readObject(file, &cameras_);
  readObject(file, &lights_);
  readObject(file, &flocks_);
  if (version > 102) readObject(file, &templates_);
}

void FmWorker::readReferences(RWBinaryFile& file, std::uint32_t version) {
  readObject(file, &camera_);
  readObject(file, &flightController_);
  pointB_.restoreFrom(file);
  pointA_.restoreFrom(file);
  readObject(file, &projectileTemplate_);
  readObject(file, &background_);
  if (version >= 106) readObject(file, &auxNode_);
  if (version >= 107) readObject(file, &timerBar_);
}

// Older files keep the top nodes only in the lists.
void FmWorker::adoptListNodes() {
  for (const RWOrdered* list : {&objects_, &blendObjects_, &cameras_, &lights_, &flocks_}) {
    for (std::size_t i = 0; i < list->entryCount(); ++i) {
      auto* node = dynamic_cast<FmNode*>(list->elementAt(i));
      if (!node || node->parent() || node == &root_) continue;
      root_.appendChild(node);
      node->ownSubtree();
    }
  }
}

// Every child names its parent and is listed once (checkLoaded), so each node may own
// its children; nothing is then left without an owner.
void FmWorker::ownAllChildren() {
  root_.ownSubtree();
  for (std::size_t i = 0; i < templates_.entryCount(); ++i) {
    static_cast<FmNode*>(templates_.elementAt(i))->ownSubtree();
  }
  if (background_ && !background_->parent()) background_->ownSubtree();
  if (auxNode_ && !auxShared_) auxNode_->ownSubtree();
}

// An object drawn from a list that its blend mode does not name would be drawn
// with the wrong state; it moves to the list its mode names, once.
void FmWorker::relistObjects() {
  const auto listName = [this](const RWOrdered& list) -> std::string {
    if (&list == &objects_) return "opaque objects";
    return &list == &alphaObjects_ ? "alpha-tested objects" : "blended objects";
  };
  for (RWOrdered* list : {&objects_, &alphaObjects_, &blendObjects_}) {
    std::size_t i = 0;
    while (i < list->entryCount()) {
      const auto* object = dynamic_cast<const FmObject*>(list->elementAt(i));
      RWOrdered* named = object ? listFor(object) : nullptr;
      if (!named || named == list) {
        ++i;
        continue;
      }
      RWCollectable* moved = list->removeAt(i);
      if (!named->contains(moved)) named->append(moved);
      readWarnings_.push_back("object \"" + std::string(object->name().data()) +
                              "\" with blend mode " + std::to_string(object->blendMode()) +
                              " was listed with the " + listName(*list) +
                              "; it is drawn with the " + listName(*named));
    }
  }
}

// Everything the worker destroys must be its own alone, and everything it only
// refers to must be held by what it owns.
void FmWorker::checkLoaded() const {
  if (root_.parent()) raiseBadWorker("the root has a parent");
  Holdings tree;
  tree.add(&root_);
  for (const RWOrdered* list :
       {&objects_, &alphaObjects_, &blendObjects_, &cameras_, &lights_, &flocks_}) {
    for (std::size_t i = 0; i < list->entryCount(); ++i) {
      auto* node = dynamic_cast<const FmNode*>(list->elementAt(i));
      if (!node || !tree.holds(node)) raiseBadWorker("a list holds a node outside the tree");
      if (listOf(node) != list) {
        raiseBadWorker("a list holds a node of another kind");
      }
    }
  }
  checkTemplates();
  checkOwnedNodes();
  checkReferences();
  checkFlockCost();
}

void FmWorker::checkTemplates() const {
  std::unordered_set<const RWCollectable*> seen;
  for (std::size_t i = 0; i < templates_.entryCount(); ++i) {
    auto* node = dynamic_cast<const FmNode*>(templates_.elementAt(i));
    if (!node || node->parent() || node == &root_ || !seen.insert(node).second) {
      raiseBadWorker("a template is not a node of its own");
    }
  }
}

void FmWorker::checkOwnedNodes() const {
  const FmNode* background = background_;
  if (background && !background->parent() && listed(templates_, background)) {
    raiseBadWorker("the background is also a template");
  }
  if (!auxNode_) return;
  if (auxNode_->parent() || auxNode_ == &root_ || listed(templates_, auxNode_) ||
      auxNode_ == background) {
    raiseBadWorker("the auxiliary node belongs to another owner");
  }
}

void FmWorker::checkReferences() const {
  Holdings held;
  held.add(&root_);
  for (std::size_t i = 0; i < templates_.entryCount(); ++i) {
    held.add(static_cast<const FmNode*>(templates_.elementAt(i)));
  }
  held.add(background_);
  held.add(auxNode_);
  for (const FmNode* node :
       {static_cast<const FmNode*>(camera_), static_cast<const FmNode*>(projectileTemplate_)}) {
    if (node && !held.holds(node)) raiseBadWorker("a reference to a node it does not hold");
  }
  const FmTransformController* flight = flightController_;
  const FmTransformController* bar = timerBar_;
  for (const FmTransformController* controller : {flight, bar}) {
    if (controller && !held.controllers.count(controller)) {
      raiseBadWorker("a reference to a controller that no node of it owns");
    }
  }
}

void FmWorker::compact() {
  root_.compact();
  templates_.resize(templates_.entryCount());
  for (std::size_t i = 0; i < templates_.entryCount(); ++i) {
    static_cast<FmNode*>(templates_.elementAt(i))->compact();
  }
  if (background_) background_->compact();
}

void FmWorker::addNode(FmNode* node, FmNode* parent) {
  if (!node) return;
  if (!parent) parent = &root_;
  if (!parent->appendChild(node)) return;
  registerTree(node);
}

FmNode* FmWorker::detachNode(FmNode* node) {
  if (!node || !node->parent()) return node;
  node->parent()->removeChild(node);
  unregisterTree(node);
  return node;
}

RWOrdered* FmWorker::listFor(const FmNode* node) {
  return const_cast<RWOrdered*>(listOf(node));
}

const RWOrdered* FmWorker::listOf(const FmNode* node) const {
  switch (kindOf(node->classId())) {
    case Kind::object: {
      const auto* object = dynamic_cast<const FmObject*>(node);
      if (!object) return nullptr;
      if (object->blendMode() == 0) return &objects_;
      return object->blendMode() == 8 ? &alphaObjects_ : &blendObjects_;
    }
    case Kind::camera:
      return &cameras_;
    case Kind::light:
      return &lights_;
    case Kind::flock:
      return &flocks_;
    case Kind::none:
      break;
  }
  return nullptr;
}

void FmWorker::registerTree(FmNode* node) {
  if (RWOrdered* list = listFor(node)) list->append(node);
  for (std::size_t i = 0; i < node->childCount(); ++i) registerTree(node->childAt(i));
}

void FmWorker::unregisterTree(FmNode* node) {
  if (RWOrdered* list = listFor(node)) {
    const std::size_t index = list->indexOf(node);
    if (index != RW_NPOS) list->removeAt(index);
  }
  for (std::size_t i = 0; i < node->childCount(); ++i) unregisterTree(node->childAt(i));
}

// Cameras leave at once because letGoOf looks for a successor among those listed.
void FmWorker::unregisterTreeLater(FmNode* node, LeavingNodes& leaving) {
  if (RWOrdered* list = listFor(node)) {
    if (list == &cameras_) {
      const std::size_t index = list->indexOf(node);
      if (index != RW_NPOS) list->removeAt(index);
    } else {
      leaving[list].insert(node);
    }
  }
  for (std::size_t i = 0; i < node->childCount(); ++i) {
    unregisterTreeLater(node->childAt(i), leaving);
  }
}

// Each leaving node's first entry goes, as unregisterTree would take it out; the
// others keep their order.
void FmWorker::takeOutOfLists(LeavingNodes& leaving) {
  for (auto& [list, nodes] : leaving) {
    std::size_t kept = 0;
    const std::size_t count = list->entryCount();
    for (std::size_t i = 0; i < count; ++i) {
      RWCollectable* entry = list->elementAt(i);
      if (nodes.erase(entry) == 0) list->elementRefAt(kept++) = entry;
    }
    while (list->entryCount() > kept) list->removeAt(list->entryCount() - 1);
  }
  leaving.clear();
}

void FmWorker::setCamera(FmCamera* camera) {
  if (!camera) return;
  if (camera_ && camera_ != camera) moveAttachedChildren(camera_, camera);
  camera_ = camera;
  const double angle = camera->fieldOfView() * radiansPerDegree;
  viewer_.coneCos = static_cast<float>(std::cos(angle));
  viewer_.coneCos2 = viewer_.coneCos * viewer_.coneCos;
  viewer_.coneSin = static_cast<float>(std::sin(angle));
  viewer_.farDistance = camera->farClip();
}

// Environment and billboard controllers follow the current camera. A child that
// holds the new camera stays, as moving it would cut a cycle out of the tree.
void FmWorker::moveAttachedChildren(FmCamera* from, FmCamera* to) {
  std::size_t i = 0;
  while (i < from->childCount()) {
    FmNode* child = from->childAt(i);
    const FmTransformController* controller = child->controller();
    const RWClassID kind = controller ? controller->classId() : 0;
    if ((kind != environControllerId && kind != billboardControllerId) || child->isAncestorOf(to)) {
      ++i;
      continue;
    }
    from->removeChild(child);
    to->appendChild(child);
  }
}

void FmWorker::clear() {
  ownAllChildren();
  readWarnings_.clear();
  if (background_ && !background_->parent()) delete background_;
  background_ = nullptr;
  root_.clear();
  clearLists();
  templates_.clearAndDestroy();
  pointA_ = {};
  pointB_ = {};
  projectileTemplate_ = nullptr;
  camera_ = nullptr;
  flightController_ = nullptr;
  if (!auxShared_) delete auxNode_;
  auxShared_ = false;
  auxNode_ = nullptr;
  timerBar_ = nullptr;
}

void FmWorker::clearLists() {
  for (RWOrdered* list :
       {&objects_, &cameras_, &lights_, &flocks_, &alphaObjects_, &blendObjects_}) {
    list->clear();
  }
}

void FmWorker::release() {
  background_ = nullptr;
  root_.release();
  clearLists();
  templates_.clear();
  projectileTemplate_ = nullptr;
  camera_ = nullptr;
  flightController_ = nullptr;
  auxShared_ = false;
  auxNode_ = nullptr;
  timerBar_ = nullptr;
}

FmTransformController* FmWorker::currentCameraController() const {
  return camera_ ? camera_->controller() : nullptr;
}

bool FmWorker::addTemplate(FmNode* node) {
  if (!node || node->parent() || node == &root_ || listed(templates_, node)) return false;
  templates_.append(node);
  return true;
}

void FmWorker::setBackground(FmObject* object) {
  if (object == background_) return;
  if (background_ && !background_->parent()) delete background_;
  background_ = object;
}

void FmWorker::setAuxNode(FmNode* node, bool shared) {
  if (node != auxNode_ && auxNode_ && !auxShared_) delete auxNode_;
  auxNode_ = node;
  auxShared_ = shared;
}

void FmWorker::setFlightController(FmTransformController* controller) {
  flightController_ = dynamic_cast<FmFlightController*>(controller);
}

void FmWorker::setTimerBar(FmTransformController* controller) {
  timerBar_ = dynamic_cast<FmTimerBarController*>(controller);
}

void FmWorker::setPoints(const FmPoint& a, const FmPoint& b) {
  pointA_ = a;
  pointB_ = b;
}

namespace {
const RWClassRegistration registration{createDefault<FmWorker>, FmWorker::id, "FmWorker"};
}  // namespace
