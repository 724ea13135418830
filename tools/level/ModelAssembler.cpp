#include "ModelAssembler.h"

#include "DemoMeshes.h"
#include "DemoProps.h"
#include "FmCamera.h"
#include "FmLight.h"

namespace {

template <typename Value, typename Add>
void addKeys(const std::vector<ModelKey<Value>>& keys, Add add) {
  // Before its first key a track gives nothing; the first value holds until then.
  if (!keys.empty() && keys.front().time > 0) add(keys.front().value, 0.0f);
  for (const auto& key : keys) add(key.value, key.time);
}

FmTransformController* controllerOf(const ModelNode& node) {
  FmTransformController* controller =
      DemoProps::placed(node.translation, node.rotation, node.scale);
  addKeys(node.positionKeys,
          [controller](const FmPoint& p, float t) { controller->addPositionKey(p, t); });
  addKeys(node.rotationKeys,
          [controller](const FmQuat& q, float t) { controller->addRotationKey(q, t); });
  addKeys(node.scaleKeys,
          [controller](const FmPoint& s, float t) { controller->addScaleKey(s, t); });
  return controller;
}

MeshBuilder builderOf(const ModelMesh& mesh) {
  MeshBuilder builder;
  const bool textured = mesh.texCoords.size() == mesh.positions.size() * 2;
  for (std::size_t v = 0; v < mesh.positions.size(); ++v) {
    builder.addVertex(mesh.positions[v], mesh.normals[v], textured ? mesh.texCoords[v * 2] : 0.0f,
                      textured ? mesh.texCoords[v * 2 + 1] : 0.0f);
    if (v < mesh.colours.size()) builder.setColour(static_cast<int>(v), mesh.colours[v]);
  }
  const auto vertexCount = static_cast<int>(mesh.positions.size());
  for (const auto& [a, b, c] : mesh.triangles) {
    if (a < 0 || b < 0 || c < 0 || a >= vertexCount || b >= vertexCount || c >= vertexCount) {
      continue;
    }
    builder.addTriangle(a, b, c);
  }
  return builder;
}

class Assembly {
public:
  explicit Assembly(const ImportedModel& model) : model_(model) {
    for (const ModelTexture& texture : model.textures) {
      auto* image = new FmOpenGLTexture(texture.name.c_str());
      (void)image->setImage(texture.width, texture.height, texture.rgba);
      image->setHasAlpha(texture.hasAlpha ? 1 : 0);
      assembled_.textures.push_back(image);
    }
  }

  AssembledModel build() {
    std::vector<FmNode*> nodes;
    for (const ModelNode& node : model_.nodes) {
      FmNode* made = nodeOf(node);
      if (node.parent >= 0 && static_cast<std::size_t>(node.parent) < nodes.size()) {
        (void)nodes[static_cast<std::size_t>(node.parent)]->appendChild(made);
      } else if (!assembled_.top) {
        assembled_.top = made;
      } else {
        (void)assembled_.top->appendChild(made);
      }
      nodes.push_back(made);
    }
    return assembled_;
  }

private:
  FmNode* nodeOf(const ModelNode& node) {
    FmNode* made = nullptr;
    std::size_t meshesTaken = 0;
    if (node.camera) {
      auto* camera = new FmCamera(node.name.c_str(), nullptr, FmNode::neverExpires);
      camera->setFieldOfView(node.camera->fieldOfView);
      camera->setNearClip(node.camera->nearClip);
      camera->setFarClip(node.camera->farClip);
      made = camera;
    } else if (node.light) {
      auto* light = new FmLight(node.name.c_str(), nullptr, FmNode::neverExpires);
      light->setLightType(node.light->type);
      light->colourTrack().setValue(node.light->colour);
      light->setSpotCutoff(node.light->spotCutoff);
      made = light;
    } else if (node.meshes.size() == 1) {
      made = objectOf(node.name, model_.meshes[static_cast<std::size_t>(node.meshes[0])]);
      meshesTaken = 1;
    } else {
      made = new FmNode(node.name.c_str(), nullptr, FmNode::neverExpires);
    }
    made->setController(controllerOf(node));
    for (std::size_t m = meshesTaken; m < node.meshes.size(); ++m) {
      const ModelMesh& mesh = model_.meshes[static_cast<std::size_t>(node.meshes[m])];
      FmObject* part = objectOf(node.name + "/" + mesh.name, mesh);
      part->setController(DemoProps::placed({}));
      (void)made->appendChild(part);
    }
    return made;
  }

  DemoProps::Look lookOf(const ModelMesh& mesh) const {
    DemoProps::Look look;
    if (mesh.material >= 0 && static_cast<std::size_t>(mesh.material) < model_.materials.size()) {
      const ModelMaterial& source = model_.materials[static_cast<std::size_t>(mesh.material)];
      look.material =
          DemoProps::material(source.diffuse, source.emission, source.specular, source.shininess);
      look.material.setAmbient(source.ambient);
      look.material.setTwoSided(source.twoSided ? 1 : 0);
      look.doubleSided = source.twoSided;
    }
    // Lighting colours an object by its material alone; vertex colours show unlit.
    look.lit = mesh.colours.empty();
    if (mesh.material >= 0 && static_cast<std::size_t>(mesh.material) < model_.materials.size()) {
      const ModelMaterial& source = model_.materials[static_cast<std::size_t>(mesh.material)];
      if (source.texture >= 0 && !mesh.texCoords.empty()) {
        look.texture = assembled_.textures[static_cast<std::size_t>(source.texture)];
        if (model_.textures[static_cast<std::size_t>(source.texture)].hasAlpha) {
          look.blendMode = FmObject::alphaTestedBlend;
        }
      }
    }
    return look;
  }

  FmObject* objectOf(const std::string& name, const ModelMesh& mesh) const {
    const MeshBuilder builder = builderOf(mesh);
    if (mesh.frames.empty()) return DemoProps::stillObject(name, builder, lookOf(mesh));
    DemoProps::Frames frames;
    for (const ModelMorphFrame& frame : mesh.frames) {
      MeshBuilder shaped = builder;
      std::size_t v = 0;
      shaped.reshape([&frame, &v](const FmPoint& p) {
        const FmPoint moved = v < frame.positions.size() ? frame.positions[v] : p;
        ++v;
        return moved;
      });
      frames.meshes.push_back(std::move(shaped));
      frames.times.push_back(frame.time);
    }
    return DemoProps::morphingObject(name, {frames}, lookOf(mesh));
  }

  const ImportedModel& model_;
  AssembledModel assembled_;
};

}  // namespace

AssembledModel assembleModel(const ImportedModel& model) {
  return Assembly(model).build();
}
