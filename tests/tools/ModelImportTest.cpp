#include <gtest/gtest.h>

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "DesignerCommands.h"
#include "FmAnimatedMesh.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "LevelFile.h"
#include "LevelShot.h"
#include "ModelAssembler.h"
#include "ModelReader.h"
#include "TempFile.h"

namespace {

// Debian's assimp-testmodels package.
const std::filesystem::path models = "/usr/share/assimp/models";

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun levelTool(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  const int status = runDesignerTool(arguments, out, err);
  return {status, out.str(), err.str()};
}

struct Counts {
  std::int64_t vertices = 0;
  std::int64_t triangles = 0;
  friend bool operator==(const Counts&, const Counts&) = default;
};

std::ostream& operator<<(std::ostream& out, const Counts& counts) {
  return out << counts.vertices << " vertices, " << counts.triangles << " triangles";
}

// What assimp itself reports for the triangle meshes that the file's nodes show.
void countNode(const aiScene& scene, const aiNode& node, Counts& counts) {
  for (unsigned m = 0; m < node.mNumMeshes; ++m) {
    const aiMesh& mesh = *scene.mMeshes[node.mMeshes[m]];
    if ((mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0) continue;
    counts.vertices += mesh.mNumVertices;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      if (mesh.mFaces[f].mNumIndices == 3) ++counts.triangles;
    }
  }
  for (unsigned c = 0; c < node.mNumChildren; ++c) countNode(scene, *node.mChildren[c], counts);
}

Counts assimpCounts(const std::filesystem::path& file) {
  Assimp::Importer importer;
  const aiScene* scene =
      importer.ReadFile(file.string(), aiProcess_Triangulate | aiProcess_SortByPType);
  EXPECT_NE(scene, nullptr) << importer.GetErrorString();
  Counts counts;
  if (scene) countNode(*scene, *scene->mRootNode, counts);
  return counts;
}

// The objects of a scene file as the game reads it.
std::vector<const FmObject*> objectsOf(const LevelFile& file) {
  std::vector<const FmObject*> objects;
  for (const auto& entry : file.objects()) {
    if (const auto* object = dynamic_cast<const FmObject*>(entry.object)) {
      objects.push_back(object);
    }
  }
  return objects;
}

Counts sceneCounts(const LevelFile& file) {
  Counts counts;
  for (const FmObject* object : objectsOf(file)) {
    counts.vertices += object->vertexCount();
    counts.triangles += object->faceCount();
  }
  return counts;
}

bool powerOfTwo(int side) {
  return side > 0 && (side & (side - 1)) == 0;
}

bool mentions(const std::vector<std::string>& warnings, const std::string& a,
              const std::string& b) {
  return std::any_of(warnings.begin(), warnings.end(), [&](const std::string& warning) {
    return warning.find(a) != std::string::npos && warning.find(b) != std::string::npos;
  });
}

std::string allOf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  return text;
}

struct Extent {
  FmPoint low{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
              std::numeric_limits<float>::max()};
  FmPoint high{-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
               -std::numeric_limits<float>::max()};
  FmPoint size() const { return high - low; }
};

// Where the model's vertices lie once its nodes have placed them.
void extendBy(FmNode& node, const FmMatrix& parent, Extent& extent) {
  node.update(0.0f, parent);
  FmMatrix world = parent;
  node.getWorldMatrix(world);
  if (const auto* object = dynamic_cast<const FmObject*>(&node); object && object->currentFrame()) {
    const auto xyz = object->currentFrame()->vertices();
    for (std::size_t i = 0; i + 2 < xyz.size(); i += 3) {
      const FmPoint p{
          world[0] * xyz[i] + world[4] * xyz[i + 1] + world[8] * xyz[i + 2] + world[12],
          world[1] * xyz[i] + world[5] * xyz[i + 1] + world[9] * xyz[i + 2] + world[13],
          world[2] * xyz[i] + world[6] * xyz[i + 1] + world[10] * xyz[i + 2] + world[14]};
      extent.low = {std::min(extent.low.x, p.x), std::min(extent.low.y, p.y),
                    std::min(extent.low.z, p.z)};
      extent.high = {std::max(extent.high.x, p.x), std::max(extent.high.y, p.y),
                     std::max(extent.high.z, p.z)};
    }
  }
  for (std::size_t i = 0; i < node.childCount(); ++i) extendBy(*node.childAt(i), world, extent);
}

Extent placedExtent(const ImportedModel& model) {
  AssembledModel assembled = assembleModel(model);
  Extent extent;
  extendBy(*assembled.top, FmMatrix{}, extent);
  delete assembled.top;
  for (FmOpenGLTexture* texture : assembled.textures) delete texture;
  return extent;
}

// A scene file name ending in .zrw in a directory of its own, removed with it.
class TempScene {
public:
  TempScene() {
    std::filesystem::create_directories(directory_.path());
    path_ = (directory_.path() / "part.zrw").string();
  }
  ~TempScene() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_.path(), ignored);
  }
  const char* c_str() const { return path_.c_str(); }

private:
  TempFile directory_{"scene"};
  std::string path_;
};

const std::filesystem::path boxGlb = models / "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";
const std::filesystem::path boxGltf = models / "glTF2/BoxTextured-glTF/BoxTextured.gltf";
const std::filesystem::path boxEmbedded =
    models / "glTF2/BoxTextured-glTF-Embedded/BoxTextured.gltf";
const std::filesystem::path morphCube =
    models / "glTF2/glTF-Sample-Models/AnimatedMorphCube-glTF/AnimatedMorphCube.gltf";
const std::filesystem::path spider = models / "OBJ/spider.obj";
const std::filesystem::path plainBox = models / "OBJ/box.obj";
const std::filesystem::path duck = models / "Collada/duck.dae";
const std::filesystem::path turningBox =
    models / "Collada/anims_with_full_rotations_between_keys.DAE";

}  // namespace

TEST(ModelImport, ImportedScenesHoldTheVerticesAndTrianglesThatAssimpReports) {
  for (const auto& model :
       {boxGlb, boxGltf, boxEmbedded, morphCube, spider, plainBox, duck, turningBox}) {
    TempScene part;
    const ToolRun run = levelTool({"import", model.string(), "-o", part.c_str()});
    ASSERT_EQ(run.status, 0) << model << run.err;
    const LevelFile file(part.c_str());
    ASSERT_TRUE(file.ok()) << model << ": " << file.problem();
    const Counts expected = assimpCounts(model);
    EXPECT_GT(expected.triangles, 0) << model;
    EXPECT_EQ(sceneCounts(file), expected) << model;
    std::ostringstream said;
    said << expected.vertices << " vertices, " << expected.triangles << " triangles";
    EXPECT_NE(run.out.find(said.str()), std::string::npos) << run.out;
  }
}

TEST(ModelImport, BaseColourTexturesComeEmbeddedOrFromFilesResampledToPowersOfTwo) {
  for (const auto& model : {boxGlb, boxGltf, boxEmbedded, duck}) {
    const ImportedModel read = readModel(model.string(), {});
    ASSERT_EQ(read.textures.size(), 1u) << model << allOf(read.warnings);
    const ModelTexture& texture = read.textures[0];
    EXPECT_TRUE(powerOfTwo(texture.width) && powerOfTwo(texture.height))
        << model << ": " << texture.width << "x" << texture.height;
    EXPECT_EQ(texture.rgba.size(), static_cast<std::size_t>(texture.width) *
                                       static_cast<std::size_t>(texture.height) * 4);
    ASSERT_FALSE(read.materials.empty());
    EXPECT_TRUE(std::any_of(read.materials.begin(), read.materials.end(),
                            [](const ModelMaterial& m) { return m.texture == 0; }));
  }
  // The spider's material file names its pictures with Windows separators.
  const ImportedModel spiderModel = readModel(spider.string(), {});
  EXPECT_EQ(spiderModel.textures.size(), 5u) << allOf(spiderModel.warnings);
  EXPECT_TRUE(spiderModel.warnings.empty()) << allOf(spiderModel.warnings);

  EXPECT_EQ(powerOfTwoSide(1), 1);
  EXPECT_EQ(powerOfTwoSide(211), 256);
  EXPECT_EQ(powerOfTwoSide(180), 128);
  EXPECT_EQ(powerOfTwoSide(5000), maxTextureSide);
}

TEST(ModelImport, TheSceneFileShowsTheTexturedModel) {
  TempScene part;
  ASSERT_EQ(levelTool({"import", boxGlb.string(), "-o", part.c_str()}).status, 0);
  const LevelFile file(part.c_str());
  ASSERT_TRUE(file.ok()) << file.problem();
  const auto objects = objectsOf(file);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0]->textureCount(), 1);
  EXPECT_EQ(objects[0]->normalCount(), objects[0]->vertexCount());
  EXPECT_EQ(objects[0]->texCoordCount(), objects[0]->vertexCount());
  ASSERT_NE(objects[0]->material(), nullptr);

  ShotView view;
  view.from = FmPoint{2, 1.5f, 3};
  view.at = {0, 0, 0};
  const ShotPicture picture = takeLevelShot(part.c_str(), 1, view);
  EXPECT_EQ(picture.triangles, 12);
  EXPECT_TRUE(showsMoreThanOneColour(picture));
  const auto middle = static_cast<std::size_t>((300 * picture.width + 400) * 3);
  EXPECT_FALSE(picture.rgb[middle] == picture.rgb[0] && picture.rgb[middle + 1] == picture.rgb[1] &&
               picture.rgb[middle + 2] == picture.rgb[2]);

  ShotView away = view;
  away.at = {4, 3, 6};
  EXPECT_FALSE(showsMoreThanOneColour(takeLevelShot(part.c_str(), 1, away)));
}

TEST(ModelImport, NodeAnimationsBecomeTransformKeys) {
  const ImportedModel read = readModel(turningBox.string(), {});
  const auto animated = std::find_if(read.nodes.begin(), read.nodes.end(),
                                     [](const ModelNode& n) { return n.rotationKeys.size() > 1; });
  ASSERT_NE(animated, read.nodes.end());
  EXPECT_GT(animated->rotationKeys.back().time, animated->rotationKeys.front().time);

  TempScene part;
  ASSERT_EQ(levelTool({"import", turningBox.string(), "-o", part.c_str()}).status, 0);
  const LevelFile file(part.c_str());
  ASSERT_TRUE(file.ok()) << file.problem();
  bool keyed = false;
  for (const auto& entry : file.objects()) {
    const auto* node = dynamic_cast<const FmNode*>(entry.object);
    if (!node || !node->controller() || node->name() != animated->name.c_str()) continue;
    keyed =
        node->controller()->rotation().hasKeys() && node->controller()->rotation().duration() > 0;
  }
  EXPECT_TRUE(keyed) << animated->name;
}

TEST(ModelImport, MorphAnimationsBecomeMeshFrames) {
  const ImportedModel read = readModel(morphCube.string(), {});
  ASSERT_EQ(read.meshes.size(), 1u);
  const ModelMesh& mesh = read.meshes[0];
  ASSERT_GT(mesh.frames.size(), 2u);
  const auto moved = std::find_if(
      mesh.frames.begin(), mesh.frames.end(),
      [&mesh](const ModelMorphFrame& frame) { return frame.positions != mesh.positions; });
  EXPECT_NE(moved, mesh.frames.end()) << "no frame changes the shape";

  TempScene part;
  ASSERT_EQ(levelTool({"import", morphCube.string(), "-o", part.c_str()}).status, 0);
  const LevelFile file(part.c_str());
  ASSERT_TRUE(file.ok()) << file.problem();
  const auto objects = objectsOf(file);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_NE(objects[0]->morphs(), 0);
  ASSERT_EQ(objects[0]->animationCount(), 1);
  const auto* animation = static_cast<const FmAnimatedMesh*>(objects[0]->animations().elementAt(0));
  EXPECT_EQ(animation->frameCount(), static_cast<int>(mesh.frames.size()));
}

TEST(ModelImport, ScaleAxisAndPrefixOptions) {
  ImportOptions plain;
  const Extent upright = placedExtent(readModel(duck.string(), plain));
  ImportOptions doubled;
  doubled.scale = 2;
  const Extent twice = placedExtent(readModel(duck.string(), doubled));
  EXPECT_NEAR(twice.size().x, 2 * upright.size().x, 1e-3f * upright.size().x);
  EXPECT_NEAR(twice.size().y, 2 * upright.size().y, 1e-3f * upright.size().y);
  EXPECT_NEAR(twice.size().z, 2 * upright.size().z, 1e-3f * upright.size().z);

  // Read as z-up, the duck turns a quarter about x: its height along y becomes its z extent.
  ImportOptions zUp;
  zUp.up = ImportOptions::Up::z;
  const Extent turned = placedExtent(readModel(duck.string(), zUp));
  EXPECT_NEAR(turned.size().x, upright.size().x, 1e-3f * upright.size().x);
  EXPECT_NEAR(turned.size().y, upright.size().z, 1e-3f * upright.size().z);
  EXPECT_NEAR(turned.size().z, upright.size().y, 1e-3f * upright.size().y);

  ImportOptions prefixed;
  prefixed.prefix = "pond.";
  const ImportedModel read = readModel(duck.string(), prefixed);
  for (const ModelNode& node : read.nodes) EXPECT_TRUE(node.name.starts_with("pond.")) << node.name;
  for (const ModelMesh& mesh : read.meshes)
    EXPECT_TRUE(mesh.name.starts_with("pond.")) << mesh.name;
}

TEST(ModelImport, WhatCannotBeShownIsReportedWithItsNodeAndFeature) {
  const ImportedModel skinned =
      readModel((models / "glTF2/simple_skin/simple_skin.gltf").string(), {});
  EXPECT_TRUE(mentions(skinned.warnings, "node 'nodes[0]'", "skinning")) << allOf(skinned.warnings);

  const ImportedModel lines = readModel((models / "OBJ/testline.obj").string(), {});
  EXPECT_TRUE(mentions(lines.warnings, "node '", "points and lines")) << allOf(lines.warnings);

  const ImportedModel coated =
      readModel((models / "glTF2/ClearCoat-glTF/ClearCoatTest.gltf").string(), {});
  EXPECT_TRUE(mentions(coated.warnings, "node 'R1_ClearCoatSample'", "clear coat map"))
      << allOf(coated.warnings);
  EXPECT_TRUE(mentions(coated.warnings, "node '", "normal map")) << allOf(coated.warnings);

  const ImportedModel cameras = readModel((models / "glTF2/cameras/Cameras.gltf").string(), {});
  EXPECT_TRUE(mentions(cameras.warnings, "node '", "orthographic")) << allOf(cameras.warnings);
  const auto perspective =
      std::find_if(cameras.nodes.begin(), cameras.nodes.end(),
                   [](const ModelNode& n) { return n.camera && n.camera->fieldOfView != 45; });
  ASSERT_NE(perspective, cameras.nodes.end());
  // The file's vertical angle is 0.7 radians.
  EXPECT_NEAR(perspective->camera->fieldOfView, 40.107f, 0.01f);

  TempFile part("skin.json");
  const ToolRun run = levelTool(
      {"import", (models / "glTF2/simple_skin/simple_skin.gltf").string(), "-o", part.c_str()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("zirrow-level import: warning: node 'nodes[0]'"), std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("1 warnings"), std::string::npos) << run.out;
}

TEST(ModelImport, ThePartIsWrittenInTheTextFormOfLevels) {
  TempFile directory("parts");
  std::filesystem::create_directories(directory.path());
  const std::string part = (directory.path() / "box.json").string();
  const ToolRun run = levelTool({"import", boxGlb.string(), "-o", part});
  ASSERT_EQ(run.status, 0) << run.err;
  std::ifstream in(part);
  const auto text = nlohmann::json::parse(in);
  int objects = 0, textures = 0;
  for (const auto& object : text.at("objects")) {
    if (object.at("class") == "FmObject") ++objects;
    if (object.at("class") == "FmOpenGLTexture") ++textures;
  }
  EXPECT_EQ(objects, 1);
  EXPECT_EQ(textures, 1);
  // Only the part itself is left in the directory.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory.path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"box.json"});
  std::filesystem::remove_all(directory.path());
}

TEST(ModelImport, FailuresSayWhatAndLeaveNoFile) {
  TempFile missing("missing.glb");
  TempFile part("part.json");
  const ToolRun absent = levelTool({"import", missing.c_str(), "-o", part.c_str()});
  EXPECT_EQ(absent.status, 1);
  EXPECT_NE(absent.err.find("zirrow-level import: " + missing.path().string() + ": "),
            std::string::npos)
      << absent.err;
  EXPECT_FALSE(std::filesystem::exists(part.path()));

  TempFile junk("junk.gltf");
  junk.write({'{', '"', 'a', 's', 's'});
  const ToolRun broken = levelTool({"import", junk.c_str(), "-o", part.c_str()});
  EXPECT_EQ(broken.status, 1);
  EXPECT_FALSE(std::filesystem::exists(part.path()));

  const std::string nowhere = (missing.path() / "part.json").string();
  const ToolRun unwritable = levelTool({"import", boxGlb.string(), "-o", nowhere});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("can't"), std::string::npos) << unwritable.err;

  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"import", boxGlb.string()},
           {"import", boxGlb.string(), "-o", part.c_str(), "--scale", "0"},
           {"import", boxGlb.string(), "-o", part.c_str(), "--scale", "-2"},
           {"import", boxGlb.string(), "-o", part.c_str(), "--up", "x"},
       }) {
    EXPECT_EQ(levelTool(arguments).status, 2) << arguments.back();
  }
  EXPECT_FALSE(std::filesystem::exists(part.path()));
  EXPECT_THROW(readModel(boxGlb.string(), ImportOptions{0.0f, ImportOptions::Up::y, ""}),
               ModelError);
}
