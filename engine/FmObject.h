#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "FmAnimatedFloat.h"
#include "FmAnimatedMesh.h"
#include "FmFace.h"
#include "FmMaterial.h"
#include "FmMesh.h"
#include "FmNode.h"
#include "FmOpenGLTexture.h"
#include "FmTypedList.h"

// A node that carries drawable geometry: the current mesh frame (positions and
// colours), its own normals and texture coordinates, triangles, a material, the
// textures its faces use and optional vertex animations. It keeps a bounding sphere
// for culling and contact tests and a visibility track that hides it.
//
// Ownership: an object owns the geometry (faces and their list, material, meshes,
// animations) that it created itself: by reading it as a new record within its own
// record, by copying, or by being handed it. Geometry that it finds by reference
// belongs to the object whose record created it; duplicates share their source's
// geometry and hold ownsGeometry 0. Once a level is read, its scene takes over the
// geometry that the level's objects own, as any of them may be destroyed in play while
// others share it. Textures belong to the scene, never to objects.
class FmObject : public FmNode {
public:
  static constexpr RWClassID id = 1127;
  static constexpr std::uint32_t storedVersion = 100;
  static constexpr std::size_t initialListCapacity = 1;
  static constexpr std::int32_t opaqueBlend = 0;
  static constexpr std::int32_t alphaTestedBlend = 8;
  // contactFlags bits: colliders test themselves against targets.
  static constexpr std::uint32_t colliderFlag = 1;
  static constexpr std::uint32_t targetFlag = 16;
  static constexpr std::int32_t noDisplayList = -1;

  FmObject();
  FmObject(const RWCString& name, FmNode* parent, float expiryTime);
  // The clone: the node's clone, with geometry of its own copied from the other.
  FmObject(const FmObject& other);
  ~FmObject() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Refuses, with RWInternalErr [TYPE], geometry fields and lists that name objects
  // of other classes. Whenever an error propagates, the object lets go of the
  // geometry read so far without destroying it (the reader's log releases it).
  void restoreFields(RWBinaryFile& file) override;
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using FmNode::restoreFields;
  using FmNode::saveFields;

  // Shares the geometry, materials and textures with this object; owns only the
  // output mesh of a morphing object.
  FmNode* duplicate() const override;
  // Trims the face, animation and texture lists and the visibility track.
  void compact() override;
  // Destroys the owned geometry, drops the parent link and empties every list.
  void clear() override;
  // The geometry that the object owns, which it goes on using but no longer
  // destroys: the caller takes it over. What the object makes later is its own.
  std::vector<RWCollectable*> handOverGeometry();
  // Children first; then the bounding radius around the local origin, scaled by the
  // controller's x scale, and the planes and spheres of the faces.
  void computeBounds(int value) override;
  // The node's scaling, then the positions of the current frame (without
  // animations) or of every animation frame.
  void scalePositions(const FmPoint& factors) override;
  // The node's offset, then the positions of the current frame.
  void offsetPositions(const FmPoint& offset) override;
  // The node's update, the mesh and the visibility track at the time, and the world
  // centre.
  int update(float time, const FmMatrix& parentMatrix) override;
  // Children first; then viewDistance: 0 when hidden, outside the viewer's cone or
  // beyond its range, else the distance that distanceAxis selects (never exactly 0).
  bool updateVisibility(float time, const FmViewer& viewer) override;
  // Children first; then entries of the texture list. A replacement that is neither
  // nil nor a texture is refused.
  void replaceReference(RWCollectable* oldObject, RWCollectable* newObject) override;

  // The planes and spheres of every usable face from the current positions.
  virtual void computeFacePlanes();
  // Whether this collider's sphere touches a face of the other object; restarts
  // the other's animation clock at the time when it does.
  virtual bool contact(FmObject* other, float time);

  // Makes the animation with the index current; out-of-range indices and the
  // current one change nothing.
  void selectAnimation(int index);
  // The current frame at the time, blended into the object's own frame when it morphs.
  void updateMesh(float time);
  // The OpenGL name of the texture with the index at the object-local time; -1
  // without such a texture.
  int textureNameAt(float time, int index) const;
  // Whether a face lies within the radius of the point (world coordinates); marks
  // the face it finds as hit.
  bool hitBySphere(const FmPoint& point, float radius);
  // Whether every index of the face lies within the arrays it names, so that it
  // may be drawn and tested.
  bool isUsable(const FmFace& face) const;

  FmMaterial* material() const { return material_; }
  // Takes ownership; destroys an owned previous material.
  void setMaterial(FmMaterial* material);
  // The texture with the index, or nil when there is none.
  FmOpenGLTexture* textureAt(int index) const;
  int textureCount() const { return static_cast<int>(objectTextures_.entryCount()); }
  const RWOrdered& objectTextures() const { return objectTextures_; }
  // Lists a texture without taking ownership; refuses nil.
  bool addTexture(FmOpenGLTexture* texture);
  // The faces, or nil; entries may be nil.
  const RWOrdered* faces() const { return faces_; }
  int faceCount() const { return faces_ ? static_cast<int>(faces_->entryCount()) : 0; }
  // The face with the index, or nil.
  FmFace* faceAt(int index) const;
  // Takes ownership of the list and its faces; refuses (false, changing nothing) a
  // list holding anything but faces and nil, or faces this object already lists.
  [[nodiscard]] bool setFaces(RWOrdered* faces);

  std::int32_t displayList() const { return displayList_; }
  // Also into the current frame and the first frame of the selected animation.
  void setDisplayList(std::int32_t displayList);
  std::int32_t doubleSided() const { return doubleSided_; }
  void setDoubleSided(std::int32_t doubleSided) { doubleSided_ = doubleSided; }
  // opaqueBlend, alphaTestedBlend or any other value for blended drawing.
  std::int32_t blendMode() const { return blendMode_; }
  void setBlendMode(std::int32_t mode) { blendMode_ = mode; }
  // 0 when not visible this frame.
  float viewDistance() const { return viewDistance_; }
  // The object counts as visible only while the value is exactly 1.
  FmAnimatedFloat& visibilityTrack() { return visibilityTrack_; }
  const FmAnimatedFloat& visibilityTrack() const { return visibilityTrack_; }
  // 1, 2, 3: the x, y or z distance to the viewer; otherwise the Euclidean one.
  std::int32_t distanceAxis() const { return distanceAxis_; }
  void setDistanceAxis(std::int32_t axis) { distanceAxis_ = axis; }
  std::uint32_t contactFlags() const { return contactFlags_; }
  void setContactFlags(std::uint32_t flags) { contactFlags_ = flags; }
  std::int32_t lit() const { return lit_; }
  void setLit(std::int32_t lit) { lit_ = lit; }
  std::int32_t ownsGeometry() const { return ownsGeometry_; }
  std::int32_t morphs() const { return morphs_; }
  void setMorphs(std::int32_t morphs) { morphs_ = morphs; }

  // x, y, z per vertex of the current frame; empty without one.
  std::span<const float> positions() const;
  // r, g, b per vertex of the current frame; empty without colours.
  std::span<const std::uint8_t> colours() const;
  // The stored vertex count; the positions themselves are the current frame's.
  std::int32_t vertexCount() const { return vertexCount_; }
  void setVertexCount(std::int32_t count) { vertexCount_ = count; }
  std::span<const float> normals() const { return normals_; }
  int normalCount() const { return static_cast<int>(normals_.size() / 3); }
  // x, y, z per normal; false, changing nothing, unless a multiple of 3.
  [[nodiscard]] bool setNormals(std::vector<float> xyz);
  std::span<const float> texCoords() const { return texCoords_; }
  int texCoordCount() const { return static_cast<int>(texCoords_.size() / 2); }
  // s, t per entry; false, changing nothing, unless a multiple of 2.
  [[nodiscard]] bool setTexCoords(std::vector<float> st);

  std::int32_t currentAnimation() const { return currentAnimation_; }
  const RWOrdered& animations() const { return animations_; }
  int animationCount() const { return static_cast<int>(animations_.entryCount()); }
  FmAnimatedMesh* animationAt(int index) const;
  // Takes ownership; refuses nil and an animation already listed.
  [[nodiscard]] bool addAnimation(FmAnimatedMesh* animation);
  FmAnimatedMesh* animationInUse() const { return animationInUse_; }
  FmMesh* currentFrame() const { return currentFrame_; }
  // Takes ownership unless the frame belongs to one of the object's animations;
  // destroys an owned previous frame.
  void setCurrentFrame(FmMesh* frame);

  const FmPoint& localCentre() const { return localCentre_; }
  float boundingRadius() const { return boundingRadius_; }
  void setBoundingRadius(float radius) { boundingRadius_ = radius; }
  const FmPoint& worldCentre() const { return worldCentre_; }

protected:
  // The object part of duplicate, into a fresh copy.
  void duplicateObjectInto(FmObject& copy) const;
  // Lets go of every geometry pointer and list without destroying anything.
  void releaseGeometry();

private:
  bool owns(const RWCollectable* item) const;
  void own(RWCollectable* item);
  void disown(RWCollectable* item);
  void destroyOwned();
  void takeOver(const std::vector<RWCollectable*>& items);
  void readGeometry(RWBinaryFile& file);
  void readArrays(RWBinaryFile& file);
  void readFaces(RWBinaryFile& file, std::vector<RWCollectable*>& created);
  FmMesh* morphOutput();
  bool isAnimationFrame(const FmMesh* frame) const;
  void copyGeometryFrom(const FmObject& other);
  void copyFieldsFrom(const FmObject& other);
  FmMatrix worldMatrix() const;
  float distanceFor(const FmPoint& d) const;

  FmMaterial* material_ = nullptr;
  FmTypedList<FmOpenGLTexture> objectTextures_{initialListCapacity};
  std::int32_t doubleSided_ = 0;
  std::int32_t displayList_ = noDisplayList;
  std::int32_t blendMode_ = opaqueBlend;
  float viewDistance_ = 0;
  FmAnimatedFloat visibilityTrack_;
  std::int32_t distanceAxis_ = 0;
  std::vector<float> normals_;
  std::vector<float> texCoords_;
  std::int32_t vertexCount_ = 0;
  std::int32_t currentAnimation_ = -1;
  FmTypedList<FmAnimatedMesh> animations_{initialListCapacity};
  FmAnimatedMesh* animationInUse_ = nullptr;
  FmMesh* currentFrame_ = nullptr;
  // The current frame while it is a copy that this object made to blend into; nil
  // once the current frame or the animations change.
  FmMesh* blendTarget_ = nullptr;
  RWOrdered* faces_ = nullptr;
  std::int32_t ownsGeometry_ = 1;
  std::int32_t morphs_ = 0;
  FmPoint localCentre_;
  float boundingRadius_ = 0;
  FmPoint worldCentre_;
  std::uint32_t contactFlags_ = 0;
  std::int32_t lit_ = 0;
  // Everything this object destroys with its geometry, each once.
  std::vector<RWCollectable*> owned_;
};
