#include "ModelReader.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>

#include "FmOpenGLTexture.h"
#include "ImageFile.h"

namespace {

constexpr float degreesPerRadian = 180.0f / std::numbers::pi_v<float>;
constexpr double defaultTicksPerSecond = 25.0;

constexpr unsigned readSteps = aiProcess_Triangulate | aiProcess_SortByPType |
                               aiProcess_GenSmoothNormals | aiProcess_FlipUVs |
                               aiProcess_ValidateDataStructure;

FmPoint pointOf(const aiVector3D& v) {
  return {v.x, v.y, v.z};
}

FmPoint colourOf(const aiColor3D& c) {
  return {std::clamp(c.r, 0.0f, 1.0f), std::clamp(c.g, 0.0f, 1.0f), std::clamp(c.b, 0.0f, 1.0f)};
}

FmQuat quatOf(const aiQuaternion& q) {
  return FmQuat(q.w, q.x, q.y, q.z);
}

std::string inQuotes(const std::string& name) {
  return "'" + name + "'";
}

struct TextureFeature {
  aiTextureType type;
  const char* name;
};

// The maps that a material may carry beside its base colour.
constexpr TextureFeature otherMaps[] = {
    {aiTextureType_SPECULAR, "specular map"},
    {aiTextureType_AMBIENT, "ambient map"},
    {aiTextureType_EMISSIVE, "emission map"},
    {aiTextureType_HEIGHT, "height map"},
    {aiTextureType_NORMALS, "normal map"},
    {aiTextureType_SHININESS, "shininess map"},
    {aiTextureType_OPACITY, "opacity map"},
    {aiTextureType_DISPLACEMENT, "displacement map"},
    {aiTextureType_LIGHTMAP, "light map"},
    {aiTextureType_REFLECTION, "reflection map"},
    {aiTextureType_NORMAL_CAMERA, "normal map"},
    {aiTextureType_EMISSION_COLOR, "emission map"},
    {aiTextureType_METALNESS, "metalness map"},
    {aiTextureType_DIFFUSE_ROUGHNESS, "roughness map"},
    {aiTextureType_AMBIENT_OCCLUSION, "ambient occlusion map"},
    {aiTextureType_SHEEN, "sheen map"},
    {aiTextureType_CLEARCOAT, "clear coat map"},
    {aiTextureType_TRANSMISSION, "transmission map"},
};

// What the reading needs to know beyond the scene itself.
struct ReadingRules {
  float scale;
  std::string prefix;
  bool fullHorizontalAngle;
};

class ModelReading {
public:
  ModelReading(const aiScene& scene, const std::filesystem::path& directory,
               const ReadingRules& options)
      : scene_(scene), directory_(directory), options_(options) {}

  ImportedModel read() {
    readTextures();
    readMaterials();
    readMeshes();
    readAnimation();
    readNode(*scene_.mRootNode, -1);
    readCameras();
    readLights();
    return std::move(model_);
  }

private:
  std::string named(const aiString& name) const { return options_.prefix + name.C_Str(); }

  void warn(std::string text) { model_.warnings.push_back(std::move(text)); }

  // The texture, by the name the material gives, read once.
  int textureFor(const std::string& reference, const std::string& materialName) {
    if (const auto found = textureIndex_.find(reference); found != textureIndex_.end()) {
      return found->second;
    }
    int index = -1;
    std::string problem;
    if (auto image = decodeTexture(reference, problem)) {
      index = static_cast<int>(model_.textures.size());
      model_.textures.push_back(resampled(std::move(*image), reference));
    } else {
      materialLosses_[materialName].push_back("base colour texture " + inQuotes(reference) +
                                              " left out: " + problem);
    }
    textureIndex_[reference] = index;
    return index;
  }

  std::optional<DecodedImage> decodeTexture(const std::string& reference, std::string& problem) {
    if (const aiTexture* embedded = scene_.GetEmbeddedTexture(reference.c_str())) {
      return decodeEmbedded(*embedded, problem);
    }
    // Models made on Windows name their pictures with backslashes.
    std::string relative = reference;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return ImageFile::decodeFile((directory_ / relative).string(), problem);
  }

  static std::optional<DecodedImage> decodeEmbedded(const aiTexture& texture,
                                                    std::string& problem) {
    if (texture.mHeight == 0) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(texture.pcData);
      return ImageFile::decodeBytes({bytes, texture.mWidth}, problem);
    }
    DecodedImage image;
    image.width = static_cast<int>(texture.mWidth);
    image.height = static_cast<int>(texture.mHeight);
    const std::size_t texels = static_cast<std::size_t>(texture.mWidth) * texture.mHeight;
    image.rgba.reserve(texels * 4);
    for (std::size_t i = 0; i < texels; ++i) {
      const aiTexel& texel = texture.pcData[i];
      image.rgba.insert(image.rgba.end(), {texel.r, texel.g, texel.b, texel.a});
      if (texel.a != 255) image.hasAlpha = true;
    }
    return image;
  }

  static ModelTexture resampled(DecodedImage image, const std::string& reference) {
    FmOpenGLTexture texture;
    ModelTexture result;
    result.name = std::filesystem::path(reference).stem().string();
    result.hasAlpha = image.hasAlpha;
    if (!texture.setImage(image.width, image.height, std::move(image.rgba))) {
      throw ModelError("the texture " + inQuotes(reference) + " is too large");
    }
    texture.resample(powerOfTwoSide(texture.width()), powerOfTwoSide(texture.height()));
    result.width = texture.width();
    result.height = texture.height();
    result.rgba.assign(texture.pixels(), texture.pixels() + texture.pixelBytes());
    return result;
  }

  void readTextures() {
    materialTexture_.assign(scene_.mNumMaterials, -1);
    for (unsigned i = 0; i < scene_.mNumMaterials; ++i) {
      const aiMaterial& material = *scene_.mMaterials[i];
      const std::string name = material.GetName().C_Str();
      aiString path;
      if (material.GetTexture(aiTextureType_BASE_COLOR, 0, &path) == aiReturn_SUCCESS ||
          material.GetTexture(aiTextureType_DIFFUSE, 0, &path) == aiReturn_SUCCESS) {
        materialTexture_[i] = textureFor(path.C_Str(), name);
      }
      for (const TextureFeature& map : otherMaps) {
        if (material.GetTextureCount(map.type) > 0) {
          materialLosses_[name].push_back(std::string(map.name) + " left out");
        }
      }
    }
  }

  void readMaterials() {
    for (unsigned i = 0; i < scene_.mNumMaterials; ++i) {
      const aiMaterial& source = *scene_.mMaterials[i];
      ModelMaterial material;
      material.name = named(source.GetName());
      aiColor3D colour;
      if (source.Get(AI_MATKEY_COLOR_DIFFUSE, colour) == aiReturn_SUCCESS) {
        material.diffuse = colourOf(colour);
      } else if (source.Get(AI_MATKEY_BASE_COLOR, colour) == aiReturn_SUCCESS) {
        material.diffuse = colourOf(colour);
      }
      material.ambient = material.diffuse * 0.4f;
      if (source.Get(AI_MATKEY_COLOR_AMBIENT, colour) == aiReturn_SUCCESS &&
          (colour.r > 0 || colour.g > 0 || colour.b > 0)) {
        material.ambient = colourOf(colour);
      }
      if (source.Get(AI_MATKEY_COLOR_SPECULAR, colour) == aiReturn_SUCCESS) {
        material.specular = colourOf(colour);
      }
      if (source.Get(AI_MATKEY_COLOR_EMISSIVE, colour) == aiReturn_SUCCESS) {
        material.emission = colourOf(colour);
      }
      float shininess = 0;
      if (source.Get(AI_MATKEY_SHININESS, shininess) == aiReturn_SUCCESS) {
        material.shininess = std::clamp(shininess, 0.0f, 128.0f);
      }
      int twoSided = 0;
      if (source.Get(AI_MATKEY_TWOSIDED, twoSided) == aiReturn_SUCCESS) {
        material.twoSided = twoSided != 0;
      }
      material.texture = materialTexture_[i];
      model_.materials.push_back(material);
    }
  }

  void readMeshes() {
    for (unsigned i = 0; i < scene_.mNumMeshes; ++i) {
      const aiMesh& source = *scene_.mMeshes[i];
      ModelMesh mesh;
      mesh.name = named(source.mName);
      mesh.material = static_cast<int>(source.mMaterialIndex);
      for (unsigned v = 0; v < source.mNumVertices; ++v) {
        mesh.positions.push_back(pointOf(source.mVertices[v]) * options_.scale);
        mesh.normals.push_back(source.HasNormals() ? pointOf(source.mNormals[v]) : FmPoint{});
        if (source.HasTextureCoords(0)) {
          mesh.texCoords.push_back(source.mTextureCoords[0][v].x);
          mesh.texCoords.push_back(source.mTextureCoords[0][v].y);
        }
        if (source.HasVertexColors(0)) {
          const aiColor4D& c = source.mColors[0][v];
          mesh.colours.push_back(colourOf(aiColor3D(c.r, c.g, c.b)));
        }
      }
      for (unsigned f = 0; f < source.mNumFaces; ++f) {
        const aiFace& face = source.mFaces[f];
        if (face.mNumIndices != 3) continue;
        mesh.triangles.push_back({static_cast<int>(face.mIndices[0]),
                                  static_cast<int>(face.mIndices[1]),
                                  static_cast<int>(face.mIndices[2])});
      }
      model_.meshes.push_back(std::move(mesh));
    }
  }

  double ticksPerSecond(const aiAnimation& animation) const {
    return animation.mTicksPerSecond > 0 ? animation.mTicksPerSecond : defaultTicksPerSecond;
  }

  void readAnimation() {
    for (unsigned i = 1; i < scene_.mNumAnimations; ++i) {
      warn("animation " + inQuotes(scene_.mAnimations[i]->mName.C_Str()) +
           " left out: only the first animation plays");
    }
    if (scene_.mNumAnimations == 0) return;
    const aiAnimation& animation = *scene_.mAnimations[0];
    const double ticks = ticksPerSecond(animation);
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
      nodeChannels_[animation.mChannels[c]->mNodeName.C_Str()] = animation.mChannels[c];
    }
    for (unsigned c = 0; c < animation.mNumMorphMeshChannels; ++c) {
      readMorphChannel(*animation.mMorphMeshChannels[c], ticks);
    }
    for (unsigned c = 0; c < animation.mNumMeshChannels; ++c) {
      readVertexChannel(*animation.mMeshChannels[c], ticks);
    }
  }

  // Morph channels name the mesh, or the node that holds it, with "*N" for the
  // node's mesh N in some readers.
  std::vector<unsigned> meshesNamed(const std::string& name) const {
    std::vector<unsigned> meshes;
    const std::string base = name.substr(0, name.find('*'));
    for (unsigned i = 0; i < scene_.mNumMeshes; ++i) {
      if (scene_.mMeshes[i]->mName.C_Str() == base) meshes.push_back(i);
    }
    if (!meshes.empty()) return meshes;
    if (const aiNode* node = scene_.mRootNode->FindNode(base.c_str())) {
      meshes.assign(node->mMeshes, node->mMeshes + node->mNumMeshes);
    }
    return meshes;
  }

  void readMorphChannel(const aiMeshMorphAnim& channel, double ticks) {
    const std::vector<unsigned> meshes = meshesNamed(channel.mName.C_Str());
    if (meshes.empty()) {
      warn("morph animation of " + inQuotes(channel.mName.C_Str()) +
           " left out: no mesh of that name");
    }
    for (const unsigned index : meshes) {
      const aiMesh& source = *scene_.mMeshes[index];
      ModelMesh& mesh = model_.meshes[index];
      mesh.frames.clear();
      for (unsigned k = 0; k < channel.mNumKeys; ++k) {
        const aiMeshMorphKey& key = channel.mKeys[k];
        ModelMorphFrame frame;
        frame.time = static_cast<float>(key.mTime / ticks);
        frame.positions = mesh.positions;
        for (unsigned w = 0; w < key.mNumValuesAndWeights; ++w) {
          const unsigned target = key.mValues[w];
          if (target >= source.mNumAnimMeshes) continue;
          addTarget(source, *source.mAnimMeshes[target], static_cast<float>(key.mWeights[w]),
                    frame.positions);
        }
        mesh.frames.push_back(std::move(frame));
      }
    }
  }

  // Assimp keeps each morph target as whole positions: the difference to the base
  // mesh, weighted, moves the frame.
  void addTarget(const aiMesh& base, const aiAnimMesh& target, float weight,
                 std::vector<FmPoint>& positions) const {
    if (!target.HasPositions()) return;
    const unsigned count = std::min(target.mNumVertices, base.mNumVertices);
    for (unsigned v = 0; v < count; ++v) {
      const FmPoint offset = pointOf(target.mVertices[v]) - pointOf(base.mVertices[v]);
      positions[v] = positions[v] + offset * (weight * options_.scale);
    }
  }

  void readVertexChannel(const aiMeshAnim& channel, double ticks) {
    for (const unsigned index : meshesNamed(channel.mName.C_Str())) {
      const aiMesh& source = *scene_.mMeshes[index];
      ModelMesh& mesh = model_.meshes[index];
      mesh.frames.clear();
      for (unsigned k = 0; k < channel.mNumKeys; ++k) {
        const aiMeshKey& key = channel.mKeys[k];
        ModelMorphFrame frame;
        frame.time = static_cast<float>(key.mTime / ticks);
        frame.positions = mesh.positions;
        if (key.mValue < source.mNumAnimMeshes) {
          const aiAnimMesh& shape = *source.mAnimMeshes[key.mValue];
          const unsigned count = std::min(shape.mNumVertices, source.mNumVertices);
          for (unsigned v = 0; shape.HasPositions() && v < count; ++v) {
            frame.positions[v] = pointOf(shape.mVertices[v]) * options_.scale;
          }
        }
        mesh.frames.push_back(std::move(frame));
      }
    }
  }

  void readNodeKeys(const aiNodeAnim& channel, ModelNode& node) const {
    const double ticks = ticksPerSecond(*scene_.mAnimations[0]);
    const float scale = options_.scale;
    appendKeys(channel.mPositionKeys, channel.mNumPositionKeys, ticks, node.positionKeys,
               [scale](const aiVector3D& value) { return pointOf(value) * scale; });
    appendKeys(channel.mRotationKeys, channel.mNumRotationKeys, ticks, node.rotationKeys, quatOf);
    appendKeys(channel.mScalingKeys, channel.mNumScalingKeys, ticks, node.scaleKeys, pointOf);
  }

  // Appends the track's keys, their times turned from ticks into seconds.
  template <typename Key, typename Value, typename Convert>
  static void appendKeys(const Key* keys, unsigned count, double ticks,
                         std::vector<ModelKey<Value>>& into, Convert convert) {
    for (unsigned k = 0; k < count; ++k) {
      into.push_back({static_cast<float>(keys[k].mTime / ticks), convert(keys[k].mValue)});
    }
  }

  void warnAboutMesh(const ModelNode& node, const aiMesh& mesh) {
    const std::string where =
        "node " + inQuotes(node.name) + ": mesh " + inQuotes(mesh.mName.C_Str());
    if (mesh.mMaterialIndex < scene_.mNumMaterials) {
      const std::string material = scene_.mMaterials[mesh.mMaterialIndex]->GetName().C_Str();
      if (const auto losses = materialLosses_.find(material); losses != materialLosses_.end()) {
        for (const std::string& loss : losses->second) {
          warn(where + ": material " + inQuotes(material) + ": " + loss);
        }
      }
    }
    if (mesh.HasBones()) warn(where + ": skinning left out (the mesh stays in its rest pose)");
    if ((mesh.mPrimitiveTypes & (aiPrimitiveType_POINT | aiPrimitiveType_LINE)) != 0) {
      warn(where + ": points and lines left out (only triangles are drawn)");
    }
  }

  void readNode(const aiNode& source, int parent) {
    ModelNode node;
    node.name = named(source.mName);
    node.parent = parent;
    aiVector3D scaling, position;
    aiQuaternion rotation;
    source.mTransformation.Decompose(scaling, rotation, position);
    node.translation = pointOf(position) * options_.scale;
    node.rotation = quatOf(rotation);
    node.scale = pointOf(scaling);
    if (const auto channel = nodeChannels_.find(source.mName.C_Str());
        channel != nodeChannels_.end()) {
      readNodeKeys(*channel->second, node);
    }
    for (unsigned m = 0; m < source.mNumMeshes; ++m) {
      const aiMesh& mesh = *scene_.mMeshes[source.mMeshes[m]];
      warnAboutMesh(node, mesh);
      if (!model_.meshes[source.mMeshes[m]].triangles.empty()) {
        node.meshes.push_back(static_cast<int>(source.mMeshes[m]));
      }
    }
    const int index = static_cast<int>(model_.nodes.size());
    nodeIndex_[source.mName.C_Str()] = index;
    model_.nodes.push_back(std::move(node));
    for (unsigned c = 0; c < source.mNumChildren; ++c) readNode(*source.mChildren[c], index);
  }

  ModelNode* nodeNamed(const aiString& name) {
    const auto found = nodeIndex_.find(name.C_Str());
    return found == nodeIndex_.end() ? nullptr
                                     : &model_.nodes[static_cast<std::size_t>(found->second)];
  }

  void readCameras() {
    for (unsigned i = 0; i < scene_.mNumCameras; ++i) {
      const aiCamera& source = *scene_.mCameras[i];
      ModelNode* node = nodeNamed(source.mName);
      if (!node) {
        warn("camera " + inQuotes(source.mName.C_Str()) + " left out: no node holds it");
        continue;
      }
      ModelCamera camera;
      if (source.mHorizontalFOV > 0) {
        const float aspect = source.mAspect > 0 ? source.mAspect : 4.0f / 3.0f;
        // Assimp's glTF reader gives the whole horizontal angle, the others half of it.
        const float halfWidthAngle =
            options_.fullHorizontalAngle ? source.mHorizontalFOV / 2 : source.mHorizontalFOV;
        camera.fieldOfView = 2.0f * std::atan(std::tan(halfWidthAngle) / aspect) * degreesPerRadian;
      } else {
        warn("node " + inQuotes(node->name) +
             ": orthographic projection left out (the camera sees in perspective, 45 degrees)");
      }
      camera.nearClip = source.mClipPlaneNear * options_.scale;
      camera.farClip = source.mClipPlaneFar * options_.scale;
      if (source.mLookAt.x != 0 || source.mLookAt.y != 0 || source.mLookAt.z >= 0) {
        warn("node " + inQuotes(node->name) + ": camera looks along its own axis (" +
             std::to_string(source.mLookAt.x) + ", " + std::to_string(source.mLookAt.y) + ", " +
             std::to_string(source.mLookAt.z) + "), but cameras here look along -z");
      }
      node->camera = camera;
    }
  }

  void readLights() {
    for (unsigned i = 0; i < scene_.mNumLights; ++i) {
      const aiLight& source = *scene_.mLights[i];
      ModelNode* node = nodeNamed(source.mName);
      if (!node) {
        warn("light " + inQuotes(source.mName.C_Str()) + " left out: no node holds it");
        continue;
      }
      ModelLight light;
      switch (source.mType) {
        case aiLightSource_POINT:
          light.type = 0;
          break;
        case aiLightSource_DIRECTIONAL:
          light.type = 1;
          break;
        case aiLightSource_SPOT:
          light.type = 2;
          light.spotCutoff = source.mAngleOuterCone * degreesPerRadian;
          break;
        default:
          warn("node " + inQuotes(node->name) + ": area and ambient lights left out");
          continue;
      }
      // Brighter than white (a light's intensity) keeps its hue at full strength.
      const aiColor3D& c = source.mColorDiffuse;
      const float brightest = std::max({c.r, c.g, c.b, 1.0f});
      light.colour = colourOf(aiColor3D(c.r / brightest, c.g / brightest, c.b / brightest));
      node->light = light;
    }
  }

  const aiScene& scene_;
  std::filesystem::path directory_;
  const ReadingRules& options_;
  ImportedModel model_;
  std::vector<int> materialTexture_;
  std::map<std::string, int> textureIndex_;
  // What each material, by its name in the file, can't bring along.
  std::map<std::string, std::vector<std::string>> materialLosses_;
  std::map<std::string, const aiNodeAnim*> nodeChannels_;
  std::map<std::string, int> nodeIndex_;
};

// Up along z in the modelling tool becomes up along y: a quarter turn about x.
void turnUpright(ImportedModel& model) {
  if (model.nodes.empty()) return;
  ModelNode& top = model.nodes.front();
  const FmQuat quarterTurn(FmPoint{1, 0, 0}, -90.0f);
  top.rotation = quarterTurn * top.rotation;
  for (auto& key : top.rotationKeys) key.value = quarterTurn * key.value;
  const FmMatrix turn = quarterTurn.toMatrix();
  const auto turned = [&turn](const FmPoint& p) {
    return FmPoint{turn[0] * p.x + turn[4] * p.y + turn[8] * p.z,
                   turn[1] * p.x + turn[5] * p.y + turn[9] * p.z,
                   turn[2] * p.x + turn[6] * p.y + turn[10] * p.z};
  };
  top.translation = turned(top.translation);
  for (auto& key : top.positionKeys) key.value = turned(key.value);
}

}  // namespace

int powerOfTwoSide(int side) {
  int power = 1;
  while (power < maxTextureSide && power * 2 <= side) power *= 2;
  // The next power up when it is nearer.
  if (power < maxTextureSide && side - power > power * 2 - side) power *= 2;
  return power;
}

ImportedModel readModel(const std::string& path, const ImportOptions& options) {
  if (!(options.scale > 0) || !std::isfinite(options.scale)) {
    throw ModelError("the scale must be a positive number");
  }
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path, readSteps);
  if (!scene || !scene->mRootNode) {
    const std::string why = importer.GetErrorString();
    throw ModelError(why.empty() ? "assimp read no scene from it" : why);
  }
  const std::filesystem::path file(path);
  const std::string extension = file.extension().string();
  ReadingRules rules{options.scale, options.prefix, extension == ".gltf" || extension == ".glb"};
  ImportedModel model = ModelReading(*scene, file.parent_path(), rules).read();
  if (options.up == ImportOptions::Up::z) turnUpright(model);
  return model;
}
