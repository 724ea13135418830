#include "FmScene.h"

#include <unordered_set>

#include "FmFlock.h"
#include "FmFog.h"
#include "FmObject.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmOpenGLTexture.h"
#include "FmRocket.h"
#include "FmTypedList.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWMessages.h"
#include "RWObjectProtocol.h"

namespace {

constexpr MessageRecord badScene{"zirrow", 0x3012, "[TREE] Scene: %s", 0};
constexpr std::uint32_t durationVersion = 101;
constexpr std::uint32_t levelVersion = 103;

[[noreturn]] void raiseBadScene(const char* problem) {
  rwRaise<RWInternalErr>(badScene, problem);
}

[[noreturn]] void raiseWrongClass(const RWCollectable* object, const char* expected) {
  const RWCString className = object ? stringIdOf(object->classId()) : RWCString("nil");
  const auto classId = static_cast<unsigned short>(object ? object->classId() : 0);
  rwRaise<RWInternalErr>(RWMessages::wrongClass, className.data(), classId, expected);
}

using ObjectSet = FmScene::ObjectSet;

// The frames of an animated texture, which it owns; none for a still one.
const RWOrdered* framesOf(const RWCollectable* texture) {
  const auto* animated = dynamic_cast<const FmOpenGLAnimatedTexture*>(texture);
  return animated ? &animated->textureFrames() : nullptr;
}

// Adds the texture and its frames; false when one of them was there already.
bool addOwned(ObjectSet& owned, const RWCollectable* texture) {
  bool distinct = owned.insert(texture).second;
  if (const RWOrdered* frames = framesOf(texture)) {
    for (std::size_t i = 0; i < frames->entryCount(); ++i) {
      distinct = owned.insert(frames->elementAt(i)).second && distinct;
    }
  }
  return distinct;
}

bool anyOwned(const ObjectSet& owned, const RWCollectable* texture) {
  if (owned.count(texture)) return true;
  const RWOrdered* frames = framesOf(texture);
  for (std::size_t i = 0; frames && i < frames->entryCount(); ++i) {
    if (owned.count(frames->elementAt(i))) return true;
  }
  return false;
}

// The node and every node below it.
void collectTree(const FmNode* node, ObjectSet& tree) {
  tree.insert(node);
  for (std::size_t i = 0; i < node->childCount(); ++i) collectTree(node->childAt(i), tree);
}

// The node and every node that it holds, each once: its children and the nodes that
// it copies at run time, a rocket's explosion and a flock's prototype, and theirs. A
// file may lead such a reference back into the tree.
void collectHeld(FmNode* node, ObjectSet& visited, std::vector<FmNode*>& nodes) {
  if (!node || !visited.insert(node).second) return;
  nodes.push_back(node);
  if (const auto* rocket = dynamic_cast<const FmRocket*>(node)) {
    collectHeld(rocket->explosion(), visited, nodes);
  }
  if (const auto* flock = dynamic_cast<const FmFlock*>(node)) {
    collectHeld(flock->prototype(), visited, nodes);
  }
  for (std::size_t i = 0; i < node->childCount(); ++i) {
    collectHeld(node->childAt(i), visited, nodes);
  }
}

}  // namespace

FmScene::FmScene() : fogs_(initialFogCapacity) {}

FmScene::FmScene(const FmScene& other)
    : RWCollectable(other),
      ambient_(other.ambient_),
      fogIndex_(other.fogIndex_),
      fogColour_(other.fogColour_),
      fogStart_(other.fogStart_),
      fogEnd_(other.fogEnd_),
      fogMode_(other.fogMode_),
      fogs_(initialFogCapacity),
      worker_(other.worker_),
      duration_(other.duration_),
      levelCount_(other.levelCount_),
      level_(other.level_) {
  for (std::size_t i = 0; i < other.textures_.entryCount(); ++i) {
    textures_.append(other.textures_.elementAt(i)->clone());
  }
  for (std::size_t i = 0; i < other.fogs_.entryCount(); ++i) {
    fogs_.append(other.fogs_.elementAt(i)->clone());
  }
  if (other.auxiliaryNode_) auxiliaryNode_ = static_cast<FmNode*>(other.auxiliaryNode_->clone());
}

FmScene::~FmScene() {
  clear();
  delete auxiliaryNode_;
}

RWCollectable* FmScene::newInstance() const {
  return new FmScene;
}

RWCollectable* FmScene::clone() const {
  return new FmScene(*this);
}

RWClassID FmScene::classId() const {
  return id;
}

std::uint32_t FmScene::storeSize() const {
  return 4 + 4 + recursiveStoreSize(&worker_) + recursiveStoreSize(&textures_) +
         recursiveStoreSize(&fogs_) + 12 + recursiveStoreSize(auxiliaryNode_) + 4;
}

void FmScene::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  file.write(std::int32_t{1});
  writeObject(file, &worker_);
  writeObject(file, &textures_);
  writeObject(file, &fogs_);
  ambient_.saveOn(file);
  writeObject(file, auxiliaryNode_);
  file.write(duration_);
}

int FmScene::formatVersion() const {
  return storedVersion;
}

void FmScene::restoreFields(RWBinaryFile& file) {
  std::uint32_t version = 0;
  if (!file.read(version) || !readsVersion(version)) return;
  clear();
  delete auxiliaryNode_;
  auxiliaryNode_ = nullptr;
  try {
    readFields(file, version);
  } catch (...) {
    release();
    throw;
  }
}

void FmScene::readFields(RWBinaryFile& file, std::uint32_t version) {
  levelCount_ = 1;
  if (version >= levelVersion && !file.read(levelCount_)) return;
  if (version < levelVersion || levelCount_ == 1) {
    readBody(file, version);
  } else {
    readLevel(file);
  }
  listUnlistedTextures();
  keepWhatTheLevelRead();
}

// A texture that an object's record created but the scene's list leaves out has no
// owner: the scene takes it into its list, as it does with the shared textures that
// a level shows. The frames of a shown animated texture stay with it.
void FmScene::listUnlistedTextures() {
  ObjectSet owned;
  for (std::size_t i = 0; i < textures_.entryCount(); ++i) addOwned(owned, textures_.elementAt(i));
  std::vector<RWCollectable*> order;
  shownTextures(&order);
  ObjectSet framesOfUnlisted;
  for (const RWCollectable* texture : order) {
    if (owned.count(texture)) continue;
    const RWOrdered* frames = framesOf(texture);
    for (std::size_t f = 0; frames && f < frames->entryCount(); ++f) {
      framesOfUnlisted.insert(frames->elementAt(f));
    }
  }
  for (RWCollectable* texture : order) {
    if (owned.count(texture) || framesOfUnlisted.count(texture)) continue;
    if (!dynamic_cast<FmOpenGLTexture*>(texture)) continue;
    if (anyOwned(owned, texture)) raiseBadScene("a texture's frame is owned twice");
    textures_.append(texture);
    addOwned(owned, texture);
  }
}

void FmScene::readLevel(RWBinaryFile& file) {
  if (level_ < 1 || level_ > levelCount_) return;
  const auto count = static_cast<std::uint64_t>(levelCount_);
  if (!file.ensureAvailable(4 * count)) return;
  std::uint32_t offset = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    std::uint32_t entry = 0;
    file.read(entry);
    if (i == static_cast<std::uint64_t>(level_ - 1)) offset = entry;
  }
  FmTypedList<RWCollectable> shared(sharedCapacity);
  try {
    readObject(file, &shared);
    if (file.seekTo(offset)) readBody(file, levelVersion);
  } catch (...) {
    shared.clear();
    throw;
  }
  settleShared(shared.created());
  shared.clear();
}

void FmScene::readBody(RWBinaryFile& file, std::uint32_t version) {
  readObject(file, &worker_);
  readObject(file, &textures_);
  readObject(file, &fogs_);
  ambient_.restoreFrom(file);
  readObject(file, &auxiliaryNode_);
  if (version >= durationVersion) file.read(duration_);
  checkBody();
}

void FmScene::checkBody() const {
  checkTextures();
  checkFogs();
  checkAuxiliaryNode();
}

// Each texture, and each frame of an animated one, must have one owner.
void FmScene::checkTextures() const {
  ObjectSet owned;
  for (std::size_t i = 0; i < textures_.entryCount(); ++i) {
    const RWCollectable* element = textures_.elementAt(i);
    if (!dynamic_cast<const FmOpenGLTexture*>(element)) raiseWrongClass(element, "FmOpenGLTexture");
    if (!addOwned(owned, element)) raiseBadScene("a texture is owned twice");
  }
}

void FmScene::checkFogs() const {
  ObjectSet seen;
  for (std::size_t i = 0; i < fogs_.entryCount(); ++i) {
    const RWCollectable* element = fogs_.elementAt(i);
    if (!dynamic_cast<const FmFog*>(element)) raiseWrongClass(element, "FmFog");
    if (!seen.insert(element).second) raiseBadScene("a fog is listed twice");
  }
}

void FmScene::checkAuxiliaryNode() const {
  const FmNode* node = auxiliaryNode_;
  if (!node) return;
  const RWOrdered& templates = worker_.templates();
  if (node->parent() || node == &worker_.root() || templates.indexOf(node) != RW_NPOS ||
      node == worker_.auxNode() || node == worker_.background()) {
    raiseBadScene("the auxiliary node belongs to another owner");
  }
}

// Shared textures that the level lists stay; those that its objects show join the
// list; the others are destroyed. A shared texture's frames follow it. The other
// objects that the shared list created itself, and that no owner in the level took,
// stay with the scene until it is cleared: the level may refer to them (a material,
// a controller) without owning them. Objects that the list only refers to belong to
// the shared object whose record created them.
void FmScene::settleShared(const std::vector<RWCollectable*>& created) {
  ObjectSet owned;
  for (std::size_t i = 0; i < textures_.entryCount(); ++i) addOwned(owned, textures_.elementAt(i));
  ObjectSet sharedFrames;
  for (const RWCollectable* element : created) {
    if (const RWOrdered* frames = framesOf(element)) {
      for (std::size_t f = 0; f < frames->entryCount(); ++f)
        sharedFrames.insert(frames->elementAt(f));
    }
  }
  const ObjectSet shown = shownTextures();
  for (RWCollectable* element : created) {
    if (!dynamic_cast<FmOpenGLTexture*>(element)) {
      if (!heldByLevel(element)) sharedObjects_.append(element);
      continue;
    }
    if (owned.count(element) || sharedFrames.count(element)) continue;
    if (anyOwned(owned, element)) raiseBadScene("a shared texture's frame is owned twice");
    if (anyOwned(shown, element)) {
      textures_.append(element);
      addOwned(owned, element);
    } else {
      delete element;
    }
  }
}

void FmScene::keepExplosionOf(FmRocket& rocket, const ObjectSet& tree) {
  FmObject* explosion = rocket.explosion();
  if (explosion && !rocket.ownsExplosion() && tree.count(explosion)) {
    auto* copy = static_cast<FmObject*>(explosion->clone());
    copy->setParent(nullptr);
    rocket.setExplosion(copy);
  }
  keepNode(rocket.handOverExplosion());
}

void FmScene::keepPrototypeOf(FmFlock& flock, const ObjectSet& tree) {
  FmObject* prototype = flock.prototype();
  if (prototype && !flock.prototypeOwned() && tree.count(prototype)) {
    auto* copy = static_cast<FmObject*>(prototype->clone());
    copy->setParent(nullptr);
    flock.setPrototype(copy, true);
  }
  keepNode(flock.handOverPrototype());
}

void FmScene::keepNode(FmNode* node) {
  if (node && keptNodes_.indexOf(node) == RW_NPOS) keptNodes_.append(node);
}

void FmScene::destroyKeptNodes() {
  while (keptNodes_.entryCount() > 0) {
    auto* node = static_cast<FmNode*>(keptNodes_.removeAt(keptNodes_.entryCount() - 1));
    node->ownSubtree();
    delete node;
  }
}

std::vector<FmNode*> FmScene::heldNodes() {
  ObjectSet visited;
  std::vector<FmNode*> nodes;
  collectHeld(&worker_.root(), visited, nodes);
  for (std::size_t i = 0; i < worker_.templates().entryCount(); ++i) {
    collectHeld(static_cast<FmNode*>(worker_.templates().elementAt(i)), visited, nodes);
  }
  collectHeld(worker_.background(), visited, nodes);
  collectHeld(worker_.auxNode(), visited, nodes);
  collectHeld(auxiliaryNode_, visited, nodes);
  return nodes;
}

FmScene::ObjectSet FmScene::shownTextures(std::vector<RWCollectable*>* order) {
  ObjectSet shown;
  for (const FmNode* node : heldNodes()) {
    const auto* object = dynamic_cast<const FmObject*>(node);
    if (!object) continue;
    const RWOrdered& textures = object->objectTextures();
    for (std::size_t i = 0; i < textures.entryCount(); ++i) {
      RWCollectable* texture = textures.elementAt(i);
      if (shown.insert(texture).second && order && texture) order->push_back(texture);
    }
  }
  return shown;
}

// An object may use geometry that another object's record created, and a node may
// use a controller that another node's record created; duplicates made in play
// share their template's geometry and explosion. The creator may be destroyed
// first, when it expires, a flock restarts or a rocket hits it, so what the level's
// nodes read stays with the scene until it is cleared: geometry, shared
// controllers, rockets' explosions and flocks' prototypes. An explosion or
// prototype that is a node of the tree, which may expire, is replaced by a copy of
// its own. Duplicates still own what they make in play, which is theirs alone.
void FmScene::keepWhatTheLevelRead() {
  ObjectSet tree;
  collectTree(&worker_.root(), tree);
  for (FmNode* node : heldNodes()) {
    if (auto* rocket = dynamic_cast<FmRocket*>(node)) keepExplosionOf(*rocket, tree);
    if (auto* flock = dynamic_cast<FmFlock*>(node)) keepPrototypeOf(*flock, tree);
  }
  const std::vector<FmNode*> nodes = heldNodes();
  ObjectSet sharedControllers;
  for (const FmNode* node : nodes) {
    if (node->controller() && !node->ownsController()) sharedControllers.insert(node->controller());
  }
  ObjectSet kept;
  const auto keep = [&](RWCollectable* item) {
    if (item && kept.insert(item).second) keptFromLevel_.append(item);
  };
  for (FmNode* node : nodes) {
    if (node->ownsController() && sharedControllers.count(node->controller())) {
      keep(node->handOverController());
    }
    if (auto* object = dynamic_cast<FmObject*>(node)) {
      for (RWCollectable* item : object->handOverGeometry()) keep(item);
    }
  }
}

// Whether an owner in the level destroys the object: the scene's fog list and
// auxiliary node, or the worker's templates, background and auxiliary node.
bool FmScene::heldByLevel(const RWCollectable* object) const {
  if (object == auxiliaryNode_ || fogs_.indexOf(object) != RW_NPOS) return true;
  const FmNode* background = worker_.background();
  if (object == background && !background->parent()) return true;
  if (object == worker_.auxNode() && !worker_.auxShared()) return true;
  return worker_.templates().indexOf(object) != RW_NPOS;
}

void FmScene::release() {
  worker_.release();
  sharedObjects_.clear();
  keptNodes_.clear();
  keptFromLevel_.clear();
  textures_.clear();
  fogs_.clear();
  auxiliaryNode_ = nullptr;
}

void FmScene::clear() {
  worker_.clear();
  sharedObjects_.clearAndDestroy();
  destroyKeptNodes();
  keptFromLevel_.clearAndDestroy();
  textures_.clearAndDestroy();
  fogs_.clearAndDestroy();
  fogIndex_ = -1;
  duration_ = 0.0f;
  levelCount_ = 1;
}

void FmScene::keepUnreadSettingsOf(const FmScene& other) {
  level_ = other.level_;
  fogColour_ = other.fogColour_;
  fogStart_ = other.fogStart_;
  fogEnd_ = other.fogEnd_;
  fogMode_ = other.fogMode_;
}

void FmScene::selectFog(int index) {
  if (index < -1 || index >= static_cast<int>(fogs_.entryCount())) return;
  fogIndex_ = index;
  if (index == -1) return;
  const auto* fog = static_cast<const FmFog*>(fogs_.elementAt(static_cast<std::size_t>(index)));
  fogColour_ = fog->colour();
  fogStart_ = fog->fogStart();
  fogEnd_ = fog->fogEnd();
  fogMode_ = fog->fogMode();
}

void FmScene::compact() {
  textures_.resize(textures_.entryCount());
  for (std::size_t i = 0; i < textures_.entryCount(); ++i) {
    static_cast<FmOpenGLTexture*>(textures_.elementAt(i))->compact();
  }
  fogs_.resize(fogs_.entryCount());
  worker_.compact();
  if (auxiliaryNode_) auxiliaryNode_->compact();
}

int FmScene::textureNameCount() const {
  int count = 0;
  for (std::size_t i = 0; i < textures_.entryCount(); ++i) {
    count += static_cast<const FmOpenGLTexture*>(textures_.elementAt(i))->frameCount();
  }
  return count;
}

bool FmScene::addTexture(FmOpenGLTexture* texture) {
  ObjectSet owned;
  for (std::size_t i = 0; i < textures_.entryCount(); ++i) addOwned(owned, textures_.elementAt(i));
  if (!texture || anyOwned(owned, texture)) return false;
  textures_.append(texture);
  return true;
}

bool FmScene::addFog(FmFog* fog) {
  if (!fog || fogs_.indexOf(fog) != RW_NPOS) return false;
  fogs_.append(fog);
  return true;
}

void FmScene::setAuxiliaryNode(FmNode* node) {
  if (node == auxiliaryNode_) return;
  delete auxiliaryNode_;
  auxiliaryNode_ = node;
}

namespace {
const RWClassRegistration registration{createDefault<FmScene>, FmScene::id, "FmScene"};
}  // namespace
