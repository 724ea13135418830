#pragma once

#include <string>
#include <vector>

#include "DemoMeshes.h"
#include "FmMaterial.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "FmPoint.h"
#include "FmQuat.h"
#include "FmTransformController.h"

// Small makers for the demo's objects: materials, placing controllers, still and
// morphing objects.
namespace DemoProps {

// Drawn blended: any blend mode other than opaque (0) and alpha-tested (8).
inline constexpr std::int32_t blended = 1;

FmMaterial material(const FmPoint& diffuse, const FmPoint& emission = {},
                    const FmPoint& specular = {}, float shininess = 0);
// Places a node: position, rotation and scale without keys.
FmTransformController* placed(const FmPoint& position, const FmQuat& rotation = {},
                              const FmPoint& scale = {1, 1, 1});
// The rotation about the y axis by `yaw` degrees, then about the x axis by `pitch`.
FmQuat heading(float yaw, float pitch);

// What an object looks like and how it is drawn; every object gets a copy of the
// material of its own.
struct Look {
  FmMaterial material;
  FmOpenGLTexture* texture = nullptr;  // nil: untextured
  std::int32_t blendMode = FmObject::opaqueBlend;
  bool lit = true;
  bool doubleSided = false;
};

// An object with one still frame of the mesh, visible.
FmObject* stillObject(const std::string& name, const MeshBuilder& mesh, const Look& look);
// An object that morphs through vertex animations, each a list of frames with
// their key times (the last key time is the loop length); the first animation
// plays.
struct Frames {
  std::vector<MeshBuilder> meshes;
  std::vector<float> times;
};
FmObject* morphingObject(const std::string& name, const std::vector<Frames>& animations,
                         const Look& look);
// The same for an object of a class derived from FmObject, made by the caller.
template <class Object>
Object* morphing(Object* object, const std::vector<Frames>& animations, const Look& look);
void giveAnimations(FmObject& object, const std::vector<Frames>& animations, const Look& look);

template <class Object>
Object* morphing(Object* object, const std::vector<Frames>& animations, const Look& look) {
  giveAnimations(*object, animations, look);
  return object;
}

}  // namespace DemoProps
