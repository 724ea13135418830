#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "FmMatrix.h"
#include "FmNode.h"
#include "FmPoint.h"
#include "FmRocket.h"
#include "FmTransformController.h"
#include "FmViewer.h"
#include "RWOrdered.h"

class FmCamera;
class FmFlightController;
class FmFlock;
class FmObject;
class FmTimerBarController;

// Owns a scene's node tree and keeps its nodes sorted into typed lists for drawing
// and collision; holds the current camera and the player's controls, and runs the
// per-frame update, pruning and collision passes.
class FmWorker : public RWCollectable {
public:
  static constexpr RWClassID id = 1144;
  static constexpr std::uint32_t storedVersion = 107;
  static constexpr std::size_t smallListCapacity = 5;
  static constexpr std::size_t templateCapacity = 1;
  static constexpr RWClassID environControllerId = 1154;
  static constexpr RWClassID billboardControllerId = 1157;
  // The most nodes that a level's flocks may copy into members altogether: every
  // frame measures each pair of members and tests each collider against each
  // target, so the cost grows with the square of the total.
  static constexpr std::uint64_t maxFlockNodes = 2048;

  FmWorker();
  // The root is copied by its own copy and the lists hold the same nodes; the
  // templates, and the background and auxiliary node where this worker owns them,
  // are cloned, so that the copy owns what it destroys.
  FmWorker(const FmWorker& other);
  FmWorker& operator=(const FmWorker&) = delete;
  ~FmWorker() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Refuses, with RWInternalErr, list entries that are not in the tree or not of
  // the list's class, templates and auxiliary nodes that another owner holds, and
  // references to nodes or controllers outside what the worker owns, and flocks
  // that would copy more than maxFlockNodes nodes into their members. Whenever an
  // error propagates, the worker lets go of everything it read without destroying
  // it (the reader's log releases it).
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;

  virtual void compact();

  // Under the root when the parent is nil; registers the node and its descendants.
  void addNode(FmNode* node, FmNode* parent);
  // Takes the node out of its parent's children and the lists; returns it.
  FmNode* detachNode(FmNode* node);
  void registerTree(FmNode* node);
  void unregisterTree(FmNode* node);
  // The list that the node belongs in by its class, or nil.
  RWOrdered* listFor(const FmNode* node);
  // A nil camera changes nothing. Children of the previous camera that follow the
  // camera (environment and billboard controllers) move to the new one, except one
  // that holds the new camera itself.
  void setCamera(FmCamera* camera);
  // One frame: the tree update, removal of expired nodes, the viewer, visibility
  // and the blended objects ordered near to far. The worker's camera, flight
  // controller, timer bar, background, projectile template and auxiliary node
  // never outlive the nodes removed; a removed camera gives way to the first camera
  // left in the tree, or to none.
  void updateScene(float time);
  // Tests every collider among the objects against every target, itself included.
  // Objects that enter the lists during the pass take part from the next one;
  // objects that contacts move within the tree are each visited once.
  void collide(float time);
  // Orders the opaque and alpha-tested objects, whose drawing order does not change
  // the picture, so that a frame changes drawing state only where it must: objects
  // that show the same first texture are next to each other, and among them those
  // whose materials hold the same values; objects that share a material stay
  // together.
  void groupByMaterial();
  // The first rocket template with exactly the name becomes the projectile
  // template; without one it stays as it was.
  void findTemplate(const RWCString& name);
  // The bounds of the tree, the templates and the auxiliary node.
  void computeBounds();
  // Gives every flock without members its prototype and, when it is active, its
  // members. A flock named "name*other" is renamed "name" and takes the first
  // object named "other" in the lists as its prototype: the object itself, taken
  // out of the tree, when the flock owns its prototype, else a copy. An object that
  // holds the flock is never taken. Then groups the objects by material.
  void prepareFlocks(float time);
  // Makes the flock at the index the only active one; an index outside the flocks
  // changes nothing.
  void selectFlock(std::int32_t index);
  // Replaces the members of the current flock with fresh ones restarted at the
  // time; the old members leave the lists, and nothing the worker points at stays
  // in them, before they are destroyed.
  void restartFlock(float time);
  // Adds a duplicate of the projectile template under the root and launches it
  // from the flight controller; returns it, or nil without a template.
  FmRocket* launchProjectile(float time);
  // Turn rates in degrees per second (pitch, yaw, roll) for the flight controller.
  void steer(const FmPoint& rates, float speed, float time);
  // The engine's clock went back by the seconds: a looping scene began again. What
  // loops with the scene (the tracks and textures of the nodes on the scene's clock)
  // starts again; every time that is kept across frames moves back with the clock,
  // so that flocks, their members, rockets, hit creatures, explosions, the player's
  // steering and the timer bar go on as if the clock had run on.
  void moveClockBack(float seconds);
  void clear();
  // Lets go of everything the worker holds without destroying it.
  void release();
  FmTransformController* currentCameraController() const;
  // What the last read put right: one line for each object that the file listed with
  // the objects of another blend mode and that now sits in the list its mode names.
  const std::vector<std::string>& readWarnings() const { return readWarnings_; }

  FmNode& root() { return root_; }
  const FmNode& root() const { return root_; }
  const RWOrdered& objects() const { return objects_; }
  const RWOrdered& alphaObjects() const { return alphaObjects_; }
  const RWOrdered& blendObjects() const { return blendObjects_; }
  const RWOrdered& cameras() const { return cameras_; }
  const RWOrdered& lights() const { return lights_; }
  const RWOrdered& flocks() const { return flocks_; }
  const RWOrdered& templates() const { return templates_; }
  // Takes ownership of a template that no one else holds; refuses nil, a node in a
  // tree and a template already listed.
  bool addTemplate(FmNode* node);
  FmCamera* camera() const { return camera_; }
  FmFlightController* flightController() const { return flightController_; }
  // Keeps only a flight controller; any other controller leaves none.
  void setFlightController(FmTransformController* controller);
  FmRocket* projectileTemplate() const { return projectileTemplate_; }
  void setProjectileTemplate(FmRocket* node) { projectileTemplate_ = node; }
  // Owned while it has no parent.
  FmObject* background() const { return background_; }
  void setBackground(FmObject* object);
  FmTimerBarController* timerBar() const { return timerBar_; }
  // Keeps only a timer bar controller; any other controller leaves none.
  void setTimerBar(FmTransformController* controller);
  FmNode* auxNode() const { return auxNode_; }
  bool auxShared() const { return auxShared_; }
  // Destroys an owned previous auxiliary node; owns the new one unless shared.
  void setAuxNode(FmNode* node, bool shared);
  const FmViewer& viewer() const { return viewer_; }
  FmViewer& viewer() { return viewer_; }
  const FmMatrix& cameraMatrix() const { return cameraMatrix_; }
  const FmPoint& pointA() const { return pointA_; }
  const FmPoint& pointB() const { return pointB_; }
  void setPoints(const FmPoint& a, const FmPoint& b);
  std::int32_t currentFlock() const { return currentFlock_; }
  bool sortByMaterial() const { return sortByMaterial_; }

private:
  void readFields(RWBinaryFile& file, std::uint32_t version);
  void readLists(RWBinaryFile& file, std::uint32_t version);
  void readReferences(RWBinaryFile& file, std::uint32_t version);
  void adoptListNodes();
  void relistObjects();
  void checkLoaded() const;
  // The worker destroys every node of what it holds, whatever the nodes' flags say;
  // they are kept as the file gave them until the worker destroys or replaces them.
  void ownAllChildren();
  const RWOrdered* listOf(const FmNode* node) const;
  void checkList(const RWOrdered& list) const;
  void checkTemplates() const;
  void checkOwnedNodes() const;
  void checkReferences() const;
  void checkFlockCost() const;
  const FmObject* prototypeOf(const FmFlock* flock) const;
  void moveAttachedChildren(FmCamera* from, FmCamera* to);
  void clearLists();
  void pruneChildren(FmNode* node, float time);
  static void moveNodeClockBack(FmNode* node, float seconds, bool onSceneClock);
  void letGoOf(const FmNode* expired);
  FmObject* findPrototype(const RWCString& name, const FmFlock* flock) const;
  void givePrototype(FmFlock* flock);
  void updateViewer();
  void sortObjects(RWOrdered& list, std::ptrdiff_t first, std::ptrdiff_t last) const;
  bool sortsBefore(const RWCollectable* a, const RWCollectable* b) const;
  bool shareTheFirstKey(const RWOrdered& list, std::size_t first, std::size_t last) const;
  // Nodes to be taken out of the lists, by list.
  using LeavingNodes = std::unordered_map<RWOrdered*, std::unordered_set<const RWCollectable*>>;
  // As unregisterTree, but only cameras leave their list at once; the other nodes
  // join `leaving`, to be taken out in one pass over each list by takeOutOfLists.
  void unregisterTreeLater(FmNode* node, LeavingNodes& leaving);
  static void takeOutOfLists(LeavingNodes& leaving);

  bool sortByMaterial_ = false;
  FmCamera* camera_ = nullptr;
  FmFlightController* flightController_ = nullptr;
  FmRocket* projectileTemplate_ = nullptr;
  FmObject* background_ = nullptr;
  FmTimerBarController* timerBar_ = nullptr;
  FmViewer viewer_;
  FmNode root_;
  RWOrdered objects_;
  RWOrdered cameras_;
  RWOrdered lights_;
  RWOrdered flocks_;
  RWOrdered alphaObjects_;
  RWOrdered blendObjects_;
  RWOrdered templates_;
  FmMatrix cameraMatrix_;
  FmPoint pointA_;
  FmPoint pointB_;
  std::int32_t currentFlock_ = 0;
  bool auxShared_ = false;
  FmNode* auxNode_ = nullptr;
  std::vector<std::string> readWarnings_;
};
