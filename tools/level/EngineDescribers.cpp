#include <vector>

#include "FmAnimatedMesh.h"
#include "FmBoidController.h"
#include "FmCamera.h"
#include "FmFace.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmFog.h"
#include "FmLight.h"
#include "FmMaterial.h"
#include "FmMesh.h"
#include "FmNode.h"
#include "FmObject.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmOpenGLTexture.h"
#include "FmRocket.h"
#include "FmScene.h"
#include "FmSeaObject.h"
#include "FmTimerBarController.h"
#include "FmWorker.h"
#include "ObjectDescribers.h"
#include "RWOrdered.h"

namespace {

std::vector<const RWCollectable*> elementsOf(const RWOrdered& list) {
  std::vector<const RWCollectable*> elements;
  for (std::size_t i = 0; i < list.entryCount(); ++i) elements.push_back(list[i]);
  return elements;
}

void textureFields(const FmOpenGLTexture& texture, FieldWriter& out) {
  out.text("name", texture.name().view());
  out.text("secondName", texture.secondName().view());
  out.integer("storedValue", texture.storedValue());
  out.integer("width", texture.width());
  out.integer("height", texture.height());
  out.integer("hasAlpha", texture.hasAlpha());
  out.real("keyTime", texture.keyTime());
  out.integer("pixelBytes", static_cast<long long>(texture.pixelBytes()));
}

void describeTexture(const RWCollectable& object, FieldWriter& out) {
  textureFields(as<FmOpenGLTexture>(object), out);
}

void describeAnimatedTexture(const RWCollectable& object, FieldWriter& out) {
  const auto& texture = as<FmOpenGLAnimatedTexture>(object);
  textureFields(texture, out);
  out.references("textureFrames", elementsOf(texture.textureFrames()));
  const std::int32_t storedValues[] = {texture.firstStoredValue(), texture.secondStoredValue(),
                                       texture.thirdStoredValue()};
  out.integers("storedValues", storedValues);
  out.real("frameInterval", texture.frameInterval());
}

void describeMesh(const RWCollectable& object, FieldWriter& out) {
  const auto& mesh = as<FmMesh>(object);
  out.real("time", mesh.time());
  out.integer("vertexCount", mesh.vertexCount());
  out.reals("vertices", mesh.vertices());
  const std::vector<std::int32_t> colours(mesh.colours().begin(), mesh.colours().end());
  out.integers("colours", colours);
}

void describeAnimatedMesh(const RWCollectable& object, FieldWriter& out) {
  out.references("frames", elementsOf(as<FmAnimatedMesh>(object).frames()));
}

void describeFace(const RWCollectable& object, FieldWriter& out) {
  const auto& face = as<FmFace>(object);
  out.integers("vertexIndex", face.vertexIndex());
  out.integers("texCoordIndex", face.texCoordIndex());
  out.integers("normalIndex", face.normalIndex());
  out.integers("colourIndex", face.colourIndex());
  out.integer("textureIndex", face.textureIndex());
}

void describeMaterial(const RWCollectable& object, FieldWriter& out) {
  const auto& material = as<FmMaterial>(object);
  out.reals("ambient", pointValues(material.ambient()));
  out.reals("diffuse", pointValues(material.diffuse()));
  out.reals("specular", pointValues(material.specular()));
  out.real("shininess", material.shininess());
  out.reals("emission", pointValues(material.emission()));
  out.integer("twoSided", material.twoSided());
}

void nodeFields(const FmNode& node, FieldWriter& out) {
  out.text("name", node.name().view());
  out.reference("controller", node.controller());
  out.reference("parent", node.parent());
  out.references("children", elementsOf(node.children()));
  out.integer("flags", node.flags());
  out.real("expiryTime", node.expiryTime());
}

void describeNode(const RWCollectable& object, FieldWriter& out) {
  nodeFields(as<FmNode>(object), out);
}

void describeCamera(const RWCollectable& object, FieldWriter& out) {
  const auto& camera = as<FmCamera>(object);
  nodeFields(camera, out);
  out.real("fieldOfView", camera.fieldOfView());
  out.real("nearClip", camera.nearClip());
  out.real("farClip", camera.farClip());
}

void describeLight(const RWCollectable& object, FieldWriter& out) {
  const auto& light = as<FmLight>(object);
  nodeFields(light, out);
  out.integer("lightType", light.lightType());
  out.integer("storedValue", light.storedValue());
  out.reference("colourTrack", &light.colourTrack());
  out.real("spotCutoff", light.spotCutoff());
  out.reals("storedVector", pointValues(light.storedVector()));
}

void objectFields(const FmObject& item, FieldWriter& out) {
  nodeFields(item, out);
  out.integer("vertexCount", item.vertexCount());
  out.references("animations", elementsOf(item.animations()));
  out.reference("animationInUse", item.animationInUse());
  out.reference("currentFrame", item.currentFrame());
  out.reals("normals", item.normals());
  out.reals("texCoords", item.texCoords());
  out.reference("faces", item.faces());
  out.references("objectTextures", elementsOf(item.objectTextures()));
  out.reference("material", item.material());
  out.integer("displayList", item.displayList());
  out.integer("doubleSided", item.doubleSided());
  out.integer("contactFlags", item.contactFlags());
  out.integer("lit", item.lit());
  out.integer("blendMode", item.blendMode());
  out.integer("ownsGeometry", item.ownsGeometry());
  out.integer("morphs", item.morphs());
  out.reference("visibilityTrack", &item.visibilityTrack());
  out.integer("distanceAxis", item.distanceAxis());
}

void describeSceneObject(const RWCollectable& object, FieldWriter& out) {
  objectFields(as<FmObject>(object), out);
}

void describeRocket(const RWCollectable& object, FieldWriter& out) {
  const auto& rocket = as<FmRocket>(object);
  objectFields(rocket, out);
  out.real("speed", rocket.speed());
  out.reference("explosion", rocket.explosion());
}

void describeSeaObject(const RWCollectable& object, FieldWriter& out) {
  const auto& sea = as<FmSeaObject>(object);
  objectFields(sea, out);
  out.integer("currentFog", sea.currentFog());
  out.integer("aboveFog", sea.aboveFog());
  out.integer("belowFog", sea.belowFog());
}

void describeFlock(const RWCollectable& object, FieldWriter& out) {
  const auto& flock = as<FmFlock>(object);
  nodeFields(flock, out);
  out.reference("prototype", flock.prototype());
  out.integer("prototypeOwned", flock.prototypeOwned());
  out.integer("active", flock.active());
  out.integer("memberCount", flock.memberCount());
  out.real("repelThreshold", flock.repelThreshold());
  out.real("repelScale", flock.repelScale());
  out.real("neighbourRadius", flock.neighbourRadius());
  out.real("cruiseFactor", flock.cruiseFactor());
  out.real("floor", flock.floor());
  out.real("ceiling", flock.ceiling());
  out.real("timeLimit", flock.timeLimit());
}

void describeBoidController(const RWCollectable& object, FieldWriter& out) {
  const auto& boid = as<FmBoidController>(object);
  controllerFields(boid, out);
  out.reals("heading", pointValues(boid.heading()));
  out.real("speed", boid.speed());
  out.real("pitch", boid.pitch());
  out.real("yaw", boid.yaw());
  out.real("roll", boid.roll());
  out.real("turnRate", boid.turnRate());
  out.real("pitchStep", boid.pitchStep());
  out.real("cruiseSpeed", boid.cruiseSpeed());
  out.real("climbDrag", boid.climbDrag());
  out.real("alignBoost", boid.alignBoost());
}

void describeFog(const RWCollectable& object, FieldWriter& out) {
  const auto& fog = as<FmFog>(object);
  out.text("name", fog.name().view());
  out.integer("fogMode", fog.fogMode());
  out.reals("colour", pointValues(fog.colour()));
  out.real("fogStart", fog.fogStart());
  out.real("fogEnd", fog.fogEnd());
}

void describeWorker(const RWCollectable& object, FieldWriter& out) {
  const auto& worker = as<FmWorker>(object);
  out.reference("root", &worker.root());
  out.references("objects", elementsOf(worker.objects()));
  out.references("alphaObjects", elementsOf(worker.alphaObjects()));
  out.references("blendObjects", elementsOf(worker.blendObjects()));
  out.references("cameras", elementsOf(worker.cameras()));
  out.references("lights", elementsOf(worker.lights()));
  out.references("flocks", elementsOf(worker.flocks()));
  out.references("templates", elementsOf(worker.templates()));
  out.reference("camera", worker.camera());
  out.reference("flightController", worker.flightController());
  out.reals("pointB", pointValues(worker.pointB()));
  out.reals("pointA", pointValues(worker.pointA()));
  out.reference("projectileTemplate", worker.projectileTemplate());
  out.reference("background", worker.background());
  out.reference("auxNode", worker.auxNode());
  out.reference("timerBar", worker.timerBar());
}

void describeScene(const RWCollectable& object, FieldWriter& out) {
  const auto& scene = as<FmScene>(object);
  out.integer("levelCount", scene.levelCount());
  out.integer("level", scene.level());
  out.reference("worker", &scene.worker());
  out.references("textures", elementsOf(scene.textures()));
  out.references("fogs", elementsOf(scene.fogs()));
  out.reals("ambient", pointValues(scene.ambient()));
  out.reference("auxiliaryNode", scene.auxiliaryNode());
  out.real("duration", scene.duration());
}

constexpr DescriberEntry table[] = {
    {FmNode::id, describeNode},
    {FmCamera::id, describeCamera},
    {FmLight::id, describeLight},
    {FmObject::id, describeSceneObject},
    {FmRocket::id, describeRocket},
    {FmSeaObject::id, describeSeaObject},
    {FmFlock::id, describeFlock},
    {FmBoidController::id, describeBoidController},
    {FmFog::id, describeFog},
    {FmWorker::id, describeWorker},
    {FmScene::id, describeScene},
    {FmOpenGLTexture::id, describeTexture},
    {FmOpenGLAnimatedTexture::id, describeAnimatedTexture},
    {FmMesh::id, describeMesh},
    {FmAnimatedMesh::id, describeAnimatedMesh},
    {FmFace::id, describeFace},
    {FmMaterial::id, describeMaterial},
};

}  // namespace

std::span<const DescriberEntry> engineDescribers() {
  return table;
}
