#include "RecordLayouts.h"

#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "FmAnimatedFloat.h"
#include "FmAnimatedMesh.h"
#include "FmAnimatedPoint.h"
#include "FmAnimatedQuat.h"
#include "FmBillboardController.h"
#include "FmBoidController.h"
#include "FmCamera.h"
#include "FmEnvironController.h"
#include "FmFace.h"
#include "FmFlightController.h"
#include "FmFloatKey.h"
#include "FmFlock.h"
#include "FmFog.h"
#include "FmLight.h"
#include "FmMaterial.h"
#include "FmMesh.h"
#include "FmNode.h"
#include "FmObject.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmOpenGLTexture.h"
#include "FmPositionKey.h"
#include "FmQuat.h"
#include "FmRocket.h"
#include "FmRocketController.h"
#include "FmRotationKey.h"
#include "FmScene.h"
#include "FmSeaObject.h"
#include "FmTimerBarController.h"
#include "FmTransformController.h"
#include "FmWorker.h"
#include "RWFactory.h"
#include "RWHashTable.h"
#include "RWIdentitySet.h"
#include "RWOrdered.h"
#include "RWSet.h"
#include "RWSlistCollectables.h"
#include "RWSortedVector.h"

namespace {

// Whether objects of the class are a T, asked of an instance made by the factory.
template <class T>
bool isA(RWClassID id) {
  static std::mutex lock;
  static std::unordered_map<RWClassID, bool> known;
  const std::lock_guard<std::mutex> guard(lock);
  const auto found = known.find(id);
  if (found != known.end()) return found->second;
  const std::unique_ptr<RWCollectable> instance(createById(id));
  const bool answer = instance && dynamic_cast<const T*>(instance.get()) != nullptr;
  known.emplace(id, answer);
  return answer;
}

template <RWClassID exact>
bool isExactly(RWClassID id) {
  return id == exact;
}

bool anything(RWClassID) {
  return true;
}

const ClassKind nodes{"FmNode", isA<FmNode>};
const ClassKind objects{"FmObject", isA<FmObject>};
const ClassKind cameras{"FmCamera", isA<FmCamera>};
const ClassKind lights{"FmLight", isA<FmLight>};
const ClassKind flocks{"FmFlock", isA<FmFlock>};
const ClassKind rockets{"FmRocket", isA<FmRocket>};
const ClassKind controllers{"FmTransformController", isA<FmTransformController>};
const ClassKind flightControllers{"FmFlightController", isA<FmFlightController>};
const ClassKind timerBars{"FmTimerBarController", isA<FmTimerBarController>};
const ClassKind materials{"FmMaterial", isA<FmMaterial>};
const ClassKind meshes{"FmMesh", isA<FmMesh>};
const ClassKind animatedMeshes{"FmAnimatedMesh", isA<FmAnimatedMesh>};
const ClassKind faces{"FmFace", isA<FmFace>};
const ClassKind textures{"FmOpenGLTexture", isA<FmOpenGLTexture>};
const ClassKind fogs{"FmFog", isA<FmFog>};
const ClassKind orderedLists{"RWOrdered", isExactly<RWOrdered::id>};
const ClassKind keyLists{"RWSortedVector", isExactly<RWSortedVector::id>};
const ClassKind positionKeys{"FmPositionKey", isExactly<FmPositionKey::id>};
const ClassKind rotationKeys{"FmRotationKey", isExactly<FmRotationKey::id>};
const ClassKind floatKeys{"FmFloatKey", isExactly<FmFloatKey::id>};

void nothingStored(RecordFields&) {}

void collection(RecordFields& f) {
  f.elements(anyClass);
}

// ---- animation ---------------------------------------------------------------

void quat(RecordFields& f) {
  if (static_cast<std::int32_t>(f.version(FmQuat::version)) != FmQuat::version) return;
  f.real("x");
  f.real("y");
  f.real("z");
  f.real("w");
}

void floatKey(RecordFields& f) {
  f.version(FmFloatKey::version);
  f.real("value");
  f.real("time");
}

void positionKey(RecordFields& f) {
  f.version(FmPositionKey::version);
  f.reals("position", 3);
  f.real("time");
}

void rotationKey(RecordFields& f) {
  f.version(FmRotationKey::version);
  f.member("rotation", FmQuat::id);
  f.real("time");
}

void animatedPoint(RecordFields& f) {
  f.version(FmAnimatedPoint::version);
  f.reals("value", 3);
  f.reference("keys", keyLists, &positionKeys);
}

void animatedQuat(RecordFields& f) {
  f.version(FmAnimatedQuat::version);
  f.inPlace("value", FmQuat::id);
  f.reference("keys", keyLists, &rotationKeys);
}

void animatedFloat(RecordFields& f) {
  f.version(FmAnimatedFloat::version);
  f.real("value");
  f.reference("keys", keyLists, &floatKeys);
}

void transformController(RecordFields& f) {
  f.version(FmTransformController::version);
  f.member("position", FmAnimatedPoint::id);
  f.member("rotation", FmAnimatedQuat::id);
  f.member("scale", FmAnimatedPoint::id);
}

void flightController(RecordFields& f) {
  f.version(FmFlightController::version);
  f.inPlace("FmTransformController", FmTransformController::id);
  f.int32("mode");
}

void environController(RecordFields& f) {
  f.version(FmEnvironController::version);
  f.inPlace("FmTransformController", FmTransformController::id);
}

void timerBarController(RecordFields& f) {
  f.version(FmTimerBarController::version);
  f.inPlace("FmTransformController", FmTransformController::id);
}

void billboardController(RecordFields& f) {
  f.version(FmBillboardController::version);
  f.inPlace("FmTransformController", FmTransformController::id);
  f.int32("faceCamera");
}

void rocketController(RecordFields& f) {
  const auto version = static_cast<std::int32_t>(f.version(FmRocketController::version));
  if (version != FmRocketController::version) return;
  f.inPlace("FmTransformController", FmTransformController::id);
  f.real("speed");
}

void boidController(RecordFields& f) {
  const auto version = static_cast<std::int32_t>(f.version(FmBoidController::version));
  if (version != FmBoidController::version) return;
  f.inPlace("FmTransformController", FmTransformController::id);
  f.reals("heading", 3);
  f.reals("push", 3);
  f.reals("alignment", 3);
  f.int32("neighbours");
  for (const char* name : {"speed", "pitch", "yaw", "roll", "turnRate", "pitchStep", "cruiseSpeed",
                           "climbDrag", "alignBoost"}) {
    f.real(name);
  }
  f.reals("flockCentre", 3);
}

// ---- nodes -------------------------------------------------------------------

void node(RecordFields& f) {
  const std::uint32_t version = f.version(FmNode::storedVersion);
  if (version < 100 || version > FmNode::storedVersion) return;
  f.text("name");
  f.reference("controller", controllers);
  f.reference("parent", nodes);
  f.uint32("flags");
  f.member("children", RWOrdered::id, &nodes);
  if (version >= 101) f.real("expiryTime");
}

void camera(RecordFields& f) {
  f.version(FmCamera::storedVersion);
  f.inPlace("FmNode", FmNode::id);
  f.real("fieldOfView");
  f.real("nearClip");
  f.real("farClip");
}

void light(RecordFields& f) {
  f.version(FmLight::storedVersion);
  f.inPlace("FmNode", FmNode::id);
  f.int32("lightType");
  f.int32("storedValue");
  f.member("colourTrack", FmAnimatedPoint::id);
  f.real("spotCutoff");
  f.reals("storedVector", 3);
}

void object(RecordFields& f) {
  if (f.version(FmObject::storedVersion) != FmObject::storedVersion) return;
  f.inPlace("FmNode", FmNode::id);
  f.uint32("vertexCount");
  f.member("animations", RWOrdered::id, &animatedMeshes);
  f.reference("animationInUse", animatedMeshes);
  f.reference("currentFrame", meshes);
  f.countedReals("normals", 3);
  f.countedReals("texCoords", 2);
  f.reference("faces", orderedLists, &faces);
  f.member("objectTextures", RWOrdered::id, &textures);
  f.reference("material", materials);
  for (const char* name : {"displayList", "doubleSided", "contactFlags", "lit", "blendMode",
                           "ownsGeometry", "morphs"}) {
    f.int32(name);
  }
  f.member("visibilityTrack", FmAnimatedFloat::id);
  f.int32("distanceAxis");
  f.checkFaceIndices();
}

void rocket(RecordFields& f) {
  const auto version = static_cast<std::int32_t>(f.version(FmRocket::storedVersion));
  if (version < 100 || version > FmRocket::storedVersion) return;
  f.inPlace("FmObject", FmObject::id);
  f.real("speed");
  if (version == 100) f.real("lifetime");
  if (version == FmRocket::storedVersion) f.reference("explosion", objects);
}

void seaObject(RecordFields& f) {
  const auto version = static_cast<std::int32_t>(f.version(FmSeaObject::storedVersion));
  if (version != FmSeaObject::storedVersion) return;
  f.inPlace("FmObject", FmObject::id);
  f.int32("currentFog");
  f.int32("aboveFog");
  f.int32("belowFog");
}

void flock(RecordFields& f) {
  const auto version = static_cast<std::int32_t>(f.version(FmFlock::storedVersion));
  if (version > FmFlock::storedVersion) return;
  f.inPlace("FmNode", FmNode::id);
  f.reference("prototype", objects);
  f.int32("prototypeOwned");
  const std::int32_t members = f.int32("memberCount");
  if (members < 0 || members > FmFlock::maxMemberCount) {
    f.refuse("memberCount", "member count " + std::to_string(members) + " outside 0.." +
                                std::to_string(FmFlock::maxMemberCount));
  }
  f.real("repelThreshold");
  f.real("neighbourRadius");
  f.real("cruiseFactor");
  if (version >= 101) {
    f.real("ceiling");
    f.real("floor");
  }
  if (version >= 102) f.int32("active");
  if (version >= 103) f.real("timeLimit");
}

void fog(RecordFields& f) {
  if (f.version(FmFog::storedVersion) != FmFog::storedVersion) return;
  f.text("name");
  f.int32("fogMode");
  f.reals("colour", 3);
  f.real("fogStart");
  f.real("fogEnd");
}

// ---- geometry and textures ---------------------------------------------------

void mesh(RecordFields& f) {
  const std::uint32_t version = f.version(FmMesh::storedVersion);
  if (version != 100 && version != FmMesh::storedVersion) return;
  f.real("time");
  const std::uint32_t count = f.uint32("vertexCount");
  if (count > FmMesh::maxVertexCount) {
    f.refuse("vertexCount", "vertex count " + std::to_string(count) + " above " +
                                std::to_string(FmMesh::maxVertexCount));
  }
  f.reals("vertices", 3 * std::size_t{count});
  const std::uint32_t colours = f.uint32("colourCount");
  if (colours == 0 || colours != count) return;
  if (version == 100) {
    f.reals("colours", 3 * std::size_t{count});
  } else {
    f.bytes("colours", 3 * std::size_t{count}, false);
  }
}

void animatedMesh(RecordFields& f) {
  if (f.version(FmAnimatedMesh::storedVersion) != FmAnimatedMesh::storedVersion) return;
  f.member("frames", RWOrdered::id, &meshes);
}

void face(RecordFields& f) {
  const std::uint32_t version = f.version(FmFace::storedVersion);
  if (version != 100 && version != FmFace::storedVersion) return;
  f.integers("vertexIndex", 3);
  f.integers("texCoordIndex", 3);
  f.integers("normalIndex", 3);
  f.integers("colourIndex", 3);
  if (version == FmFace::storedVersion) f.uint32("textureIndex");
}

void material(RecordFields& f) {
  if (f.version(FmMaterial::storedVersion) != FmMaterial::storedVersion) return;
  f.reals("ambient", 3);
  f.reals("diffuse", 3);
  f.reals("specular", 3);
  f.real("shininess");
  f.reals("emission", 3);
  f.int32("twoSided");
}

void texture(RecordFields& f) {
  const std::uint32_t version = f.version(FmOpenGLTexture::storedVersion);
  if (version != 100 && version != 110 && version != FmOpenGLTexture::storedVersion) return;
  f.text("name");
  f.text("secondName");
  f.int32("storedValue");
  const std::int32_t hasAlpha = f.int32("hasAlpha");
  const std::int32_t width = f.int32("width");
  const std::int32_t height = f.int32("height");
  f.real("keyTime");
  const std::uint32_t dataSize = f.uint32("dataSize");
  if (dataSize == 0) return;
  const std::int64_t expected = std::int64_t{width} * 4 * height;
  if (width < 0 || height < 0 || expected != std::int64_t{dataSize}) {
    f.refuse("dataSize", "data size " + std::to_string(dataSize) + " is not width " +
                             std::to_string(width) + " x 4 x height " + std::to_string(height));
  }
  const bool triples = version == FmOpenGLTexture::storedVersion && hasAlpha == 0;
  f.bytes("pixels", triples ? std::size_t{dataSize} / 4 * 3 : std::size_t{dataSize}, true);
}

void animatedTexture(RecordFields& f) {
  if (f.version(FmOpenGLAnimatedTexture::storedVersion) != FmOpenGLAnimatedTexture::storedVersion) {
    return;
  }
  f.inPlace("FmOpenGLTexture", FmOpenGLTexture::id);
  f.int32("firstStoredValue");
  f.int32("thirdStoredValue");
  f.real("frameInterval");
  f.int32("secondStoredValue");
  f.member("textureFrames", RWOrdered::id, &textures);
}

// ---- worker and scene --------------------------------------------------------

void worker(RecordFields& f) {
  const std::uint32_t version = f.version(FmWorker::storedVersion);
  if (version > FmWorker::storedVersion) return;
  if (version > 103) f.member("root", FmNode::id);
  f.member("objects", RWOrdered::id, &objects);
  if (version >= 105) f.member("alphaObjects", RWOrdered::id, &objects);
  f.member("blendObjects", RWOrdered::id, &objects);
  f.member("cameras", RWOrdered::id, &cameras);
  f.member("lights", RWOrdered::id, &lights);
  f.member("flocks", RWOrdered::id, &flocks);
  if (version > 102) f.member("templates", RWOrdered::id, &nodes);
  f.reference("camera", cameras);
  f.reference("flightController", flightControllers);
  f.reals("pointB", 3);
  f.reals("pointA", 3);
  f.reference("projectileTemplate", rockets);
  f.reference("background", objects);
  if (version >= 106) f.reference("auxNode", nodes);
  if (version >= 107) f.reference("timerBar", timerBars);
}

void sceneBodyWithoutDuration(RecordFields& f) {
  f.member("worker", FmWorker::id);
  f.member("textures", RWOrdered::id, &textures);
  f.member("fogs", RWOrdered::id, &fogs);
  f.reals("ambient", 3);
  f.reference("auxiliaryNode", nodes);
}

void sceneBody(RecordFields& f) {
  sceneBodyWithoutDuration(f);
  f.real("duration");
}

void scene(RecordFields& f) {
  const std::uint32_t version = f.version(FmScene::storedVersion);
  if (version > FmScene::storedVersion) return;
  if (version < FmScene::storedVersion) {
    (version >= 101 ? sceneBody : sceneBodyWithoutDuration)(f);
    return;
  }
  const std::int32_t levelCount = f.int32("levelCount");
  if (levelCount == 1) {
    sceneBody(f);
  } else {
    f.levels(levelCount, sceneBody);
  }
}

const std::map<RWClassID, RecordLayout>& layouts() {
  static const std::map<RWClassID, RecordLayout> all{
      {RWCollectable::id, nothingStored},
      {RWOrdered::id, collection},
      {RWSortedVector::id, collection},
      {RWHashTable::id, collection},
      {RWSet::id, collection},
      {RWIdentitySet::id, collection},
      {RWSlistCollectables::id, collection},
      {FmQuat::id, quat},
      {FmFloatKey::id, floatKey},
      {FmPositionKey::id, positionKey},
      {FmRotationKey::id, rotationKey},
      {FmAnimatedPoint::id, animatedPoint},
      {FmAnimatedQuat::id, animatedQuat},
      {FmAnimatedFloat::id, animatedFloat},
      {FmTransformController::id, transformController},
      {FmFlightController::id, flightController},
      {FmEnvironController::id, environController},
      {FmTimerBarController::id, timerBarController},
      {FmBillboardController::id, billboardController},
      {FmRocketController::id, rocketController},
      {FmBoidController::id, boidController},
      {FmNode::id, node},
      {FmCamera::id, camera},
      {FmLight::id, light},
      {FmObject::id, object},
      {FmRocket::id, rocket},
      {FmSeaObject::id, seaObject},
      {FmFlock::id, flock},
      {FmFog::id, fog},
      {FmMesh::id, mesh},
      {FmAnimatedMesh::id, animatedMesh},
      {FmFace::id, face},
      {FmMaterial::id, material},
      {FmOpenGLTexture::id, texture},
      {FmOpenGLAnimatedTexture::id, animatedTexture},
      {FmWorker::id, worker},
      {FmScene::id, scene},
  };
  return all;
}

}  // namespace

const ClassKind anyClass{"any class", anything};

RecordLayout layoutOf(RWClassID id) {
  const auto found = layouts().find(id);
  return found == layouts().end() ? nullptr : found->second;
}

RWClassID classNamed(const std::string& name) {
  for (const auto& [id, layout] : layouts()) {
    if (stringIdOf(id) == name.c_str()) return id;
  }
  return 0;
}

std::vector<RWClassID> classesWithLayouts() {
  std::vector<RWClassID> ids;
  for (const auto& [id, layout] : layouts()) ids.push_back(id);
  return ids;
}
