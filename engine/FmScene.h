#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "FmNode.h"
#include "FmPoint.h"
#include "FmWorker.h"
#include "RWOrdered.h"

class FmFlock;
class FmFog;
class FmOpenGLTexture;
class FmRocket;

// The persistent root of one scene file: the scene-wide settings, the fogs, all
// textures and the worker with its node tree. Files may hold several levels; the
// reader loads the one that `level` names.
class FmScene : public RWCollectable {
public:
  static constexpr RWClassID id = 1129;
  static constexpr std::uint32_t storedVersion = 103;
  static constexpr std::size_t initialFogCapacity = 1;
  static constexpr std::size_t sharedCapacity = 10;
  using ObjectSet = std::unordered_set<const RWCollectable*>;

  FmScene();
  // Clones the textures, the fogs, the worker and the auxiliary node; the copied
  // objects still show the original's textures.
  FmScene(const FmScene& other);
  FmScene& operator=(const FmScene&) = delete;
  ~FmScene() override;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;
  std::uint32_t storeSize() const override;
  // Refuses, with RWInternalErr, texture lists with anything but textures or with a
  // texture owned twice, fog lists with anything but fogs, and an auxiliary node
  // that another owner holds. Of a multi-level file's shared textures, those that
  // the level neither lists nor shows are destroyed, and those that it shows
  // without listing join the list; its other shared objects stay with the scene
  // until it is cleared, as do the geometry of the level's objects and the
  // controllers that its nodes share. Whenever an error propagates, the scene lets go
  // of everything it read without destroying it (the reader's log releases it).
  void restoreFields(RWBinaryFile& file) override;
  // Always version 103 with one level.
  void saveFields(RWBinaryFile& file) const override;
  int formatVersion() const override;
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;

  // Leaves the auxiliary node and `level` as they are.
  void clear();
  // Takes from the other scene what reading a record into a scene leaves as it was:
  // the level to read and the parameters of the fog selected last.
  void keepUnreadSettingsOf(const FmScene& other);
  // Whether a scene record of the version is read; any other leaves the scene as
  // it was.
  static bool readsVersion(std::uint32_t version) { return version <= storedVersion; }
  // -1 selects no fog and keeps the fog parameters; other indices outside the list
  // change nothing.
  void selectFog(int index);
  void compact();
  // The OpenGL texture names that all textures use together.
  int textureNameCount() const;

  const FmPoint& ambient() const { return ambient_; }
  void setAmbient(const FmPoint& colour) { ambient_ = colour; }
  std::int32_t fogIndex() const { return fogIndex_; }
  const FmPoint& fogColour() const { return fogColour_; }
  float fogStart() const { return fogStart_; }
  float fogEnd() const { return fogEnd_; }
  std::int32_t fogMode() const { return fogMode_; }
  const RWOrdered& textures() const { return textures_; }
  // Takes ownership; refuses nil and a texture (or frame) already owned.
  bool addTexture(FmOpenGLTexture* texture);
  const RWOrdered& fogs() const { return fogs_; }
  // Takes ownership; refuses nil and a fog already listed.
  bool addFog(FmFog* fog);
  FmWorker& worker() { return worker_; }
  const FmWorker& worker() const { return worker_; }
  float duration() const { return duration_; }
  void setDuration(float seconds) { duration_ = seconds; }
  std::int32_t levelCount() const { return levelCount_; }
  std::int32_t level() const { return level_; }
  void setLevel(std::int32_t level) { level_ = level; }
  FmNode* auxiliaryNode() const { return auxiliaryNode_; }
  // Destroys the previous auxiliary node; the scene owns the new one.
  void setAuxiliaryNode(FmNode* node);

private:
  void readFields(RWBinaryFile& file, std::uint32_t version);
  void readLevel(RWBinaryFile& file);
  bool seekToLevel(RWBinaryFile& file);
  void readBody(RWBinaryFile& file, std::uint32_t version);
  void checkBody() const;
  void checkTextures() const;
  void checkFogs() const;
  void checkAuxiliaryNode() const;
  void settleShared(const std::vector<RWCollectable*>& created);
  // `order`, when given, lists the shown textures once each in the order first met.
  ObjectSet shownTextures(std::vector<RWCollectable*>* order = nullptr);
  // The worker's tree, templates, background and auxiliary node, and the scene's
  // auxiliary node, with every node they hold, each once.
  std::vector<FmNode*> heldNodes();
  void listUnlistedTextures();
  void keepWhatTheLevelRead();
  void keepExplosionOf(FmRocket& rocket, const ObjectSet& tree);
  void keepPrototypeOf(FmFlock& flock, const ObjectSet& tree);
  void keepNode(FmNode* node);
  void destroyKeptNodes();
  bool heldByLevel(const RWCollectable* object) const;
  void release();

  FmPoint ambient_;
  std::int32_t fogIndex_ = -1;
  FmPoint fogColour_{0.1f, 0.2f, 0.2f};
  float fogStart_ = 0.0f;
  float fogEnd_ = 100.0f;
  std::int32_t fogMode_ = 0;
  RWOrdered textures_;
  RWOrdered fogs_;
  FmWorker worker_;
  // The objects other than textures that a multi-level file shares and that no
  // owner in the level took.
  RWOrdered sharedObjects_;
  // The geometry and shared controllers that the level's nodes read, which they use
  // but no longer destroy.
  RWOrdered keptFromLevel_;
  // The explosions and prototypes that the level's rockets and flocks read.
  RWOrdered keptNodes_;
  float duration_ = 0.0f;
  std::int32_t levelCount_ = 1;
  std::int32_t level_ = 1;
  FmNode* auxiliaryNode_ = nullptr;
};
