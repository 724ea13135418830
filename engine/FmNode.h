#pragma once

#include <cstddef>
#include <cstdint>

#include "FmMatrix.h"
#include "FmPoint.h"
#include "FmQuat.h"
#include "FmTransformController.h"
#include "FmViewer.h"
#include "RWCString.h"
#include "RWOrdered.h"

// An element of the scene tree: a name, an optional transform controller, a parent
// (not owned), ordered children and an expiry time. Owns its children and its
// controller as its flags say.
class FmNode : public RWCollectable {
public:
  static constexpr RWClassID id = 1125;
  static constexpr std::uint32_t storedVersion = 102;
  static constexpr std::size_t initialChildCapacity = 3;
  static constexpr std::uint32_t ownsChildrenFlag = 1;
  static constexpr std::uint32_t ownsControllerFlag = 2;
  static constexpr std::uint32_t defaultFlags = ownsChildrenFlag | ownsControllerFlag;
  static constexpr float neverExpires = -1.0f;
  // How deep a tree read from a file may be; deeper trees are refused.
  static constexpr int maxDepth = 1000;

  FmNode();
  FmNode(const RWCString& name, FmNode* parent, float expiryTime);
  // The clone: the controller's clone, the same parent and expiry time, and clones
  // of the children, which the copy owns. The copy is not in the parent's list.
  FmNode(const FmNode& other);
  FmNode& operator=(const FmNode&) = delete;
  ~FmNode() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Refuses, with RWInternalErr, children that are not nodes, that name another
  // parent, that occur twice or that would close a cycle, and trees deeper than
  // maxDepth. Whenever an error propagates, the node lets go of its controller and
  // children without destroying them (the reader's log releases them).
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;

  // A copy for instancing, of the class that replaces this operation.
  virtual FmNode* duplicate() const;
  virtual void compact();
  virtual void clear();
  virtual void computeBounds(int value);
  virtual bool isAlive(float time) const;
  virtual void scalePositions(const FmPoint& factors);
  // This node's controller only.
  virtual void offsetPositions(const FmPoint& offset);
  virtual bool getPosition(FmPoint& position) const;
  virtual bool getDirection(FmPoint& direction) const;
  virtual bool getPositionAxisAngle(FmPoint& position, FmPoint& axis, float& degrees) const;
  virtual bool getPositionScaleAxisAngle(FmPoint& position, FmPoint& scale, FmPoint& axis,
                                         float& degrees) const;
  virtual bool getTransform(FmPoint& position, FmPoint& scale, FmQuat& rotation) const;
  virtual bool getWorldMatrix(FmMatrix& matrix) const;
  virtual bool getInverseWorldMatrix(FmMatrix& inverse) const;
  virtual void setTransform(const FmPoint& position, const FmPoint& scale, const FmQuat& rotation);
  // The controller's result, 0 without one.
  virtual int update(float time, const FmMatrix& parentMatrix);
  virtual bool updateVisibility(float time, const FmViewer& viewer);
  virtual void rotateOrientations(const FmQuat& rotation);
  virtual void replaceReference(RWCollectable* oldObject, RWCollectable* newObject);

  const RWCString& name() const { return name_; }
  void setName(const RWCString& name) { name_ = name; }
  FmTransformController* controller() const { return controller_; }
  // Destroys an owned previous controller; the node owns the new one as its flags say.
  void setController(FmTransformController* controller);
  FmNode* parent() const { return parent_; }
  void setParent(FmNode* parent) { parent_ = parent; }
  const RWOrdered& children() const { return children_; }
  std::size_t childCount() const { return children_.entryCount(); }
  // The child with the index, or nil when there is none.
  FmNode* childAt(std::size_t index) const;
  // Appends the child and makes this node its parent. Refuses nil, this node and a
  // child already listed.
  bool appendChild(FmNode* child);
  // Takes the child out of the list without destroying it and clears its parent.
  bool removeChild(FmNode* child);
  std::uint32_t flags() const { return flags_; }
  void setFlags(std::uint32_t flags) { flags_ = flags; }
  bool ownsChildren() const { return (flags_ & ownsChildrenFlag) != 0; }
  bool ownsController() const {
    return (flags_ & ownsControllerFlag) != 0 && !controllerHandedOver_;
  }
  // The controller that the node owns, which it goes on using but no longer
  // destroys: the caller takes it over. Nil when the node owns none. The stored
  // flags stay as they are; a controller set later is the node's own again.
  FmTransformController* handOverController();
  // Makes this node and every node below it own their children. Whoever destroys a
  // tree read from a file calls it first: the file's flags may say that a node does not
  // own its children, but nothing else holds them.
  void ownSubtree();
  float expiryTime() const { return expiryTime_; }
  void setExpiryTime(float time) { expiryTime_ = time; }
  float timeOffset() const { return timeOffset_; }
  void setTimeOffset(float offset) { timeOffset_ = offset; }
  // Whether the node is this one or one of its descendants by the parent links.
  bool isAncestorOf(const FmNode* node) const;
  // Lets go of the controller and children without destroying them.
  void release();

protected:
  // The node part of duplicate, into a fresh copy.
  void duplicateInto(FmNode& copy) const;

  RWCString name_;
  FmTransformController* controller_ = nullptr;
  FmNode* parent_ = nullptr;
  RWOrdered children_;
  std::uint32_t flags_ = defaultFlags;
  bool controllerHandedOver_ = false;
  float expiryTime_ = neverExpires;
  float timeOffset_ = 0;

private:
  void readFields(RWBinaryFile& file, std::uint32_t version);
  void readController(RWBinaryFile& file);
  void readChildren(RWBinaryFile& file);
  void checkChildren() const;
  void checkChild(const RWCollectable* element) const;
  void destroyChildren();
};

// Raises RWInternalErr [TREE] naming the node and what is wrong with its part of the
// tree, for a record that can't be taken as read.
[[noreturn]] void raiseBadTree(const FmNode& node, const char* problem);
