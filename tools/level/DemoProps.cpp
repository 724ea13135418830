#include "DemoProps.h"

#include "FmAnimatedMesh.h"

namespace DemoProps {

FmMaterial material(const FmPoint& diffuse, const FmPoint& emission, const FmPoint& specular,
                    float shininess) {
  FmMaterial material;
  material.setDiffuse(diffuse);
  material.setAmbient(diffuse * 0.4f);
  material.setEmission(emission);
  material.setSpecular(specular);
  material.setShininess(shininess);
  return material;
}

FmTransformController* placed(const FmPoint& position, const FmQuat& rotation,
                              const FmPoint& scale) {
  auto* controller = new FmTransformController;
  controller->position().setValue(position);
  controller->rotation().setValue(rotation);
  controller->scale().setValue(scale);
  return controller;
}

FmQuat heading(float yaw, float pitch) {
  return FmQuat({0, 1, 0}, yaw) * FmQuat({1, 0, 0}, pitch);
}

namespace {

FmObject* dressed(FmObject* object, const Look& look) {
  object->setMaterial(static_cast<FmMaterial*>(look.material.clone()));
  if (look.texture) object->addTexture(look.texture);
  object->setBlendMode(look.blendMode);
  object->setLit(look.lit ? 1 : 0);
  object->setDoubleSided(look.doubleSided ? 1 : 0);
  object->visibilityTrack().setValue(1.0f);
  return object;
}

}  // namespace

FmObject* stillObject(const std::string& name, const MeshBuilder& mesh, const Look& look) {
  auto* object = new FmObject(name.c_str(), nullptr, FmNode::neverExpires);
  mesh.shape(*object);
  object->setCurrentFrame(mesh.frame(0.0f));
  return dressed(object, look);
}

FmObject* morphingObject(const std::string& name, const std::vector<Frames>& animations,
                         const Look& look) {
  return morphing(new FmObject(name.c_str(), nullptr, FmNode::neverExpires), animations, look);
}

void giveAnimations(FmObject& object, const std::vector<Frames>& animations, const Look& look) {
  animations.front().meshes.front().shape(object);
  for (const Frames& frames : animations) {
    auto* animation = new FmAnimatedMesh;
    for (std::size_t i = 0; i < frames.meshes.size(); ++i) {
      if (!animation->addFrame(frames.meshes[i].frame(frames.times[i]))) break;
    }
    if (!object.addAnimation(animation)) delete animation;
  }
  object.setMorphs(1);
  object.setCurrentFrame(animations.front().meshes.front().frame(0.0f));
  object.selectAnimation(0);
  object.updateMesh(0.0f);
  dressed(&object, look);
}

}  // namespace DemoProps
