#include "ModelWriter.h"

#include <assimp/scene.h>
#include <assimp/Exporter.hpp>
#include <filesystem>
#include <memory>

namespace {

aiVector3D vectorOf(const FmPoint& p) {
  return {p.x, p.y, p.z};
}

// The export format that assimp gives the extension, or empty.
std::string formatFor(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  if (extension.empty()) return {};
  extension.erase(0, 1);
  if (extension == "glb") return "glb2";
  if (extension == "gltf") return "gltf2";
  const Assimp::Exporter exporter;
  for (std::size_t i = 0; i < exporter.GetExportFormatCount(); ++i) {
    const aiExportFormatDesc* format = exporter.GetExportFormatDescription(i);
    if (extension == format->fileExtension) return format->id;
  }
  return {};
}

aiMaterial* materialOf(const ModelMaterial& source) {
  auto* material = new aiMaterial;
  const aiString name(source.name);
  material->AddProperty(&name, AI_MATKEY_NAME);
  const aiColor3D diffuse(source.diffuse.x, source.diffuse.y, source.diffuse.z);
  const aiColor3D ambient(source.ambient.x, source.ambient.y, source.ambient.z);
  const aiColor3D specular(source.specular.x, source.specular.y, source.specular.z);
  const aiColor3D emission(source.emission.x, source.emission.y, source.emission.z);
  material->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
  material->AddProperty(&ambient, 1, AI_MATKEY_COLOR_AMBIENT);
  material->AddProperty(&specular, 1, AI_MATKEY_COLOR_SPECULAR);
  material->AddProperty(&emission, 1, AI_MATKEY_COLOR_EMISSIVE);
  material->AddProperty(&source.shininess, 1, AI_MATKEY_SHININESS);
  const int twoSided = source.twoSided ? 1 : 0;
  material->AddProperty(&twoSided, 1, AI_MATKEY_TWOSIDED);
  return material;
}

aiMesh* meshOf(const ModelMesh& source, unsigned materialCount) {
  auto* mesh = new aiMesh;
  mesh->mName = source.name;
  mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
  mesh->mMaterialIndex =
      source.material >= 0 ? static_cast<unsigned>(source.material) : materialCount - 1;
  const auto count = static_cast<unsigned>(source.positions.size());
  mesh->mNumVertices = count;
  mesh->mVertices = new aiVector3D[count];
  mesh->mNormals = new aiVector3D[count];
  for (unsigned v = 0; v < count; ++v) {
    mesh->mVertices[v] = vectorOf(source.positions[v]);
    mesh->mNormals[v] = v < source.normals.size() ? vectorOf(source.normals[v]) : aiVector3D();
  }
  if (source.texCoords.size() == static_cast<std::size_t>(count) * 2) {
    mesh->mTextureCoords[0] = new aiVector3D[count];
    mesh->mNumUVComponents[0] = 2;
    // Files keep t = 0 at the bottom row.
    for (unsigned v = 0; v < count; ++v) {
      mesh->mTextureCoords[0][v] = {source.texCoords[v * 2], 1.0f - source.texCoords[v * 2 + 1], 0};
    }
  }
  if (source.colours.size() == count) {
    mesh->mColors[0] = new aiColor4D[count];
    for (unsigned v = 0; v < count; ++v) {
      const FmPoint& c = source.colours[v];
      mesh->mColors[0][v] = aiColor4D(c.x, c.y, c.z, 1.0f);
    }
  }
  mesh->mNumFaces = static_cast<unsigned>(source.triangles.size());
  mesh->mFaces = new aiFace[mesh->mNumFaces];
  for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
    aiFace& face = mesh->mFaces[f];
    face.mNumIndices = 3;
    face.mIndices = new unsigned[3];
    for (unsigned corner = 0; corner < 3; ++corner) {
      face.mIndices[corner] = static_cast<unsigned>(source.triangles[f][corner]);
    }
  }
  return mesh;
}

aiNode* nodeOf(const ModelNode& source) {
  auto* node = new aiNode(source.name);
  const FmQuat& r = source.rotation;
  node->mTransformation = aiMatrix4x4(vectorOf(source.scale), aiQuaternion(r.w, r.x, r.y, r.z),
                                      vectorOf(source.translation));
  if (!source.meshes.empty()) {
    node->mNumMeshes = static_cast<unsigned>(source.meshes.size());
    node->mMeshes = new unsigned[node->mNumMeshes];
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
      node->mMeshes[m] = static_cast<unsigned>(source.meshes[m]);
    }
  }
  return node;
}

std::unique_ptr<aiScene> sceneOf(const ImportedModel& model) {
  auto scene = std::make_unique<aiScene>();
  // One more material, the default, for meshes without one.
  scene->mNumMaterials = static_cast<unsigned>(model.materials.size()) + 1;
  scene->mMaterials = new aiMaterial*[scene->mNumMaterials];
  for (std::size_t i = 0; i < model.materials.size(); ++i) {
    scene->mMaterials[i] = materialOf(model.materials[i]);
  }
  ModelMaterial fallback;
  fallback.name = "default";
  scene->mMaterials[model.materials.size()] = materialOf(fallback);
  scene->mNumMeshes = static_cast<unsigned>(model.meshes.size());
  scene->mMeshes = new aiMesh*[scene->mNumMeshes];
  for (std::size_t i = 0; i < model.meshes.size(); ++i) {
    scene->mMeshes[i] = meshOf(model.meshes[i], scene->mNumMaterials);
  }
  std::vector<aiNode*> nodes;
  for (const ModelNode& source : model.nodes) nodes.push_back(nodeOf(source));
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const int parent = model.nodes[i].parent;
    if (parent >= 0 && static_cast<std::size_t>(parent) < i) {
      nodes[static_cast<std::size_t>(parent)]->addChildren(1, &nodes[i]);
    } else if (!scene->mRootNode) {
      scene->mRootNode = nodes[i];
    } else {
      scene->mRootNode->addChildren(1, &nodes[i]);
    }
  }
  if (!scene->mRootNode) scene->mRootNode = new aiNode("root");
  return scene;
}

}  // namespace

std::string writeModel(const ImportedModel& model, const std::string& path) {
  const std::string format = formatFor(path);
  if (format.empty()) return "assimp writes no model format with the extension of " + path;
  const std::unique_ptr<aiScene> scene = sceneOf(model);
  Assimp::Exporter exporter;
  if (exporter.Export(scene.get(), format, path) != aiReturn_SUCCESS) {
    return "can't write " + path + ": " + exporter.GetErrorString();
  }
  return {};
}
