#include <gtest/gtest.h>

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "ExampleLevel.h"
#include "FmAnimatedMesh.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "LevelFile.h"
#include "LevelShot.h"
#include "LevelToolRun.h"
#include "ModelAssembler.h"
#include "ModelReader.h"
#include "SceneText.h"
#include "TempFile.h"

namespace {

// Debian's assimp-testmodels package.
const std::filesystem::path models = "/usr/share/assimp/models";

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

const std::filesystem::path capturedFigure = models / "BVH/01_01.bvh";

const std::filesystem::path engine =
    models / "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb";

// A view of the whole level from ahead, above and to the right of its middle.
ShotView viewOfAll(const LevelFile& file) {
  Extent extent;
  // Placing the nodes updates their transforms, which the shot reads afresh.
  extendBy(const_cast<FmNode&>(file.scene()->worker().root()), FmMatrix{}, extent);
  const FmPoint middle = (extent.low + extent.high) * 0.5f;
  const FmPoint size = extent.size();
  const float across = std::max({size.x, size.y, size.z});
  ShotView view;
  view.from = middle + FmPoint{0.8f * across, 0.6f * across, 1.4f * across};
  view.at = middle;
  return view;
}

bool sameColour(const ShotPicture& picture, std::size_t a, std::size_t b) {
  return std::equal(picture.rgb.begin() + static_cast<std::ptrdiff_t>(3 * a),
                    picture.rgb.begin() + static_cast<std::ptrdiff_t>(3 * a + 3),
                    picture.rgb.begin() + static_cast<std::ptrdiff_t>(3 * b));
}

}  // namespace

TEST(ModelImport, EachFormatGoesThroughTheTextFormAndShowsInAFrame) {
  const struct {
    std::filesystem::path model;
    bool textured;
  } cases[] = {
      {boxGlb, true},    {engine, false}, {morphCube, false},  {spider, true},
      {plainBox, false}, {duck, true},    {turningBox, false},
  };
  for (const auto& [model, textured] : cases) {
    TempFile folder("formats");
    std::filesystem::create_directories(folder.path());
    const std::string part = (folder.path() / "part.json").string();
    const std::string level = (folder.path() / "part.zrw").string();
    const ToolRun imported = levelTool({"import", model.string(), "-o", part});
    ASSERT_EQ(imported.status, 0) << model << imported.err;
    const ToolRun built = levelTool({"build", part, "-o", level});
    ASSERT_EQ(built.status, 0) << model << built.err;
    const LevelFile file(level);
    ASSERT_TRUE(file.ok()) << model << ": " << file.problem();
    const Counts expected = assimpCounts(model);
    EXPECT_EQ(sceneCounts(file), expected) << model;
    EXPECT_EQ(file.scene()->textures().entryCount() > 0, textured) << model;

    const ShotPicture picture = takeLevelShot(level, 1, viewOfAll(file));
    EXPECT_TRUE(showsMoreThanOneColour(picture)) << model;
    EXPECT_GT(picture.triangles, 0) << model;
    const auto middle =
        static_cast<std::size_t>(picture.height / 2 * picture.width + picture.width / 2);
    EXPECT_FALSE(sameColour(picture, middle, 0)) << model << ": the middle shows the clear colour";
    std::filesystem::remove_all(folder.path());
  }
}

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

// A figure whose motion capture moves its root: the scale option moves the keyed
// positions and leaves rotations and scales as they are.
TEST(ModelImport, TheScaleOptionMovesKeyedPositionsOnly) {
  const ImportedModel once = readModel(capturedFigure.string(), {});
  ImportOptions doubled;
  doubled.scale = 2.0f;
  const ImportedModel twice = readModel(capturedFigure.string(), doubled);
  ASSERT_EQ(twice.nodes.size(), once.nodes.size());
  int movedKeys = 0;
  int wrongKeys = 0;
  for (std::size_t n = 0; n < once.nodes.size(); ++n) {
    const ModelNode& one = once.nodes[n];
    const ModelNode& two = twice.nodes[n];
    ASSERT_EQ(two.positionKeys.size(), one.positionKeys.size()) << one.name;
    ASSERT_EQ(two.rotationKeys.size(), one.rotationKeys.size()) << one.name;
    ASSERT_EQ(two.scaleKeys.size(), one.scaleKeys.size()) << one.name;
    for (std::size_t k = 0; k < one.positionKeys.size(); ++k) {
      const auto& [time, position] = one.positionKeys[k];
      if (position != FmPoint{}) ++movedKeys;
      if (two.positionKeys[k].time != time || two.positionKeys[k].value != position * 2.0f) {
        ++wrongKeys;
      }
    }
    for (std::size_t k = 0; k < one.rotationKeys.size(); ++k) {
      const FmQuat& a = one.rotationKeys[k].value;
      const FmQuat& b = two.rotationKeys[k].value;
      if (a.x != b.x || a.y != b.y || a.z != b.z || a.w != b.w) ++wrongKeys;
    }
    for (std::size_t k = 0; k < one.scaleKeys.size(); ++k) {
      if (two.scaleKeys[k].value != one.scaleKeys[k].value) ++wrongKeys;
    }
  }
  EXPECT_GT(movedKeys, 0);
  EXPECT_EQ(wrongKeys, 0);
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
  EXPECT_TRUE(mentions(lines.warnings, "node 'defaultobject'", "points and lines"))
      << allOf(lines.warnings);

  const ImportedModel coated =
      readModel((models / "glTF2/ClearCoat-glTF/ClearCoatTest.gltf").string(), {});
  EXPECT_TRUE(mentions(coated.warnings, "node 'R1_ClearCoatSample'", "clear coat map"))
      << allOf(coated.warnings);
  EXPECT_TRUE(mentions(coated.warnings, "node 'R3_BaseLayerSample'", "normal map"))
      << allOf(coated.warnings);
  EXPECT_TRUE(mentions(coated.warnings, "node 'R2_CoatOnlySample'", "metalness map"))
      << allOf(coated.warnings);
  EXPECT_TRUE(mentions(coated.warnings, "node 'R2_CoatOnlySample'", "roughness map"))
      << allOf(coated.warnings);

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

// ---- model imports in a level's text form ---------------------------------------

namespace {

// A folder holding a level's text form, built by zirrow-level build into level.zrw.
class ImportingLevel {
public:
  ImportingLevel() {
    std::filesystem::create_directories(folder_.path() / "models");
    text = exampleLevelText();
    text["objects"].erase(text["objects"].size() - 1);  // the example's island
  }
  ~ImportingLevel() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_.path(), ignored);
  }

  // Adds the entry after the level's objects; its JSON path.
  std::string add(const SceneText::Json& entry) {
    text["objects"].push_back(entry);
    return "objects[" + std::to_string(text["objects"].size() - 1) + "]";
  }
  std::filesystem::path operator/(const std::string& name) const { return folder_.path() / name; }
  std::string output() const { return (folder_.path() / "level.zrw").string(); }

  ToolRun build() const {
    std::ofstream(folder_.path() / "level.json", std::ios::trunc) << text.dump();
    return levelTool({"build", (folder_.path() / "level.json").string(), "-o", output()});
  }

  SceneText::Json text;

private:
  TempFile folder_{"importing"};
};

const FmNode* nodeNamed(const LevelFile& file, const std::string& name) {
  for (const auto& entry : file.objects()) {
    const auto* node = dynamic_cast<const FmNode*>(entry.object);
    if (node && name == node->name().data()) return node;
  }
  return nullptr;
}

Counts countsOfNamesStartingWith(const LevelFile& file, const std::string& prefix) {
  Counts counts;
  for (const FmObject* object : objectsOf(file)) {
    if (!std::string(object->name().data()).starts_with(prefix)) continue;
    counts.vertices += object->vertexCount();
    counts.triangles += object->faceCount();
  }
  return counts;
}

}  // namespace

TEST(ModelImportEntries, AnImportPlacesTheModelUnderItsNodeWithItsTransformAndTextures) {
  ImportingLevel level;
  std::filesystem::copy_file(boxGlb, level / "models/box.glb");
  const std::size_t texturesBefore = [&] {
    const ToolRun plain = level.build();
    EXPECT_EQ(plain.status, 0) << plain.err;
    return LevelFile(level.output()).scene()->textures().entryCount();
  }();
  level.add({{"import", "models/box.glb"},
             {"name", "crate"},
             {"parent", "creatures"},
             {"position", {1, 2, 3}},
             {"rotation", {0, 0.6f, 0, 0.8f}},
             {"scale", {2, 3, 4}},
             {"prefix", "box."}});
  const ToolRun run = level.build();
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const LevelFile file(level.output());
  ASSERT_TRUE(file.ok()) << file.problem();
  EXPECT_EQ(levelTool({"check", level.output()}).out, "ok\n");

  const FmNode* crate = nodeNamed(file, "crate");
  ASSERT_NE(crate, nullptr);
  ASSERT_NE(crate->parent(), nullptr);
  EXPECT_STREQ(crate->parent()->name().data(), "creatures");
  ASSERT_NE(crate->controller(), nullptr);
  EXPECT_EQ(crate->controller()->position().value(), (FmPoint{1, 2, 3}));
  EXPECT_EQ(crate->controller()->scale().value(), (FmPoint{2, 3, 4}));
  const FmQuat turn = crate->controller()->rotation().value();
  EXPECT_FLOAT_EQ(turn.y, 0.6f);
  EXPECT_FLOAT_EQ(turn.w, 0.8f);
  ASSERT_EQ(crate->childCount(), 1u);
  EXPECT_TRUE(std::string(crate->childAt(0)->name().data()).starts_with("box."));
  EXPECT_EQ(countsOfNamesStartingWith(file, "box."), assimpCounts(boxGlb));
  EXPECT_EQ(file.scene()->textures().entryCount(), texturesBefore + 1);

  // The built level has a text form of its own that builds it again, byte for byte.
  const ToolRun dumped = levelTool({"dump", "--json", "--names", level.output()});
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  std::ofstream(level / "again.json") << dumped.out;
  const std::string again = (level / "again.zrw").string();
  ASSERT_EQ(levelTool({"build", (level / "again.json").string(), "-o", again}).status, 0);
  std::ifstream first(level.output(), std::ios::binary), second(again, std::ios::binary);
  EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                         std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>()));
}

TEST(ModelImportEntries, ImportOptionsScaleTheModelAndNameDefaultsToTheFile) {
  ImportingLevel level;
  level.add({{"import", duck.string()}, {"prefix", "a."}});
  level.add({{"import", duck.string()}, {"name", "bigDuck"}, {"modelScale", 3}, {"prefix", "b."}});
  level.add({{"import", duck.string()}, {"name", "lying"}, {"up", "z"}, {"prefix", "c."}});
  const ToolRun run = level.build();
  ASSERT_EQ(run.status, 0) << run.err;
  const LevelFile file(level.output());
  ASSERT_TRUE(file.ok()) << file.problem();
  ASSERT_NE(nodeNamed(file, "duck"), nullptr);
  const auto extentOf = [&](const char* name) {
    Extent extent;
    extendBy(*const_cast<FmNode*>(nodeNamed(file, name)), FmMatrix{}, extent);
    return extent.size();
  };
  const FmPoint plain = extentOf("duck");
  const FmPoint big = extentOf("bigDuck");
  const FmPoint lying = extentOf("lying");
  EXPECT_NEAR(big.x, 3 * plain.x, 1e-3f * big.x);
  EXPECT_NEAR(big.y, 3 * plain.y, 1e-3f * big.y);
  EXPECT_NEAR(lying.y, plain.z, 1e-3f * plain.z);
  EXPECT_NEAR(lying.z, plain.y, 1e-3f * plain.y);
}

TEST(ModelImportEntries, WarningsNameTheEntryTheNodeAndTheFeature) {
  ImportingLevel level;
  const std::string skin = (models / "glTF2/simple_skin/simple_skin.gltf").string();
  const std::string at = level.add({{"import", skin}});
  const ToolRun run = level.build();
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("zirrow-level build: " + at + " (" + skin + "): warning: node 'nodes[0]'"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("skinning"), std::string::npos) << run.err;
}

TEST(ModelImportEntries, ProblemsAreNamedByTheirPathAndLeaveNoFile) {
  ImportingLevel level;
  std::ofstream(level / "models/junk.gltf") << "{\"ass";
  const struct {
    SceneText::Json entry;
    std::string said;  // after the entry's path; "<folder>" for the level's folder
  } cases[] = {
      {{{"import", "models/missing.glb"}}, ".import: <folder>/models/missing.glb: "},
      {{{"import", "models/junk.gltf"}}, ".import: <folder>/models/junk.gltf: "},
      {{{"import", 3}}, ".import: a string is needed"},
      {{{"import", ""}}, ".import: the model file is needed"},
      {{{"import", boxGlb.string()}, {"position", {1, 2}}}, ".position: 3 numbers are needed"},
      {{{"import", boxGlb.string()}, {"rotation", {0, 0, "a", 1}}}, ".rotation[2]: a number"},
      {{{"import", boxGlb.string()}, {"up", "x"}}, ".up: \"y\" or \"z\" is needed"},
      {{{"import", boxGlb.string()}, {"modelScale", 0}}, ".modelScale: a positive number"},
      {{{"import", boxGlb.string()}, {"colour", "red"}}, ".colour: an import holds import, name"},
      {{{"import", boxGlb.string()}, {"parent", "nowhere"}}, ".parent: no node is named"},
  };
  for (const auto& problem : cases) {
    ImportingLevel one;
    std::ofstream(one / "models/junk.gltf") << "{\"ass";
    const std::string at = one.add(problem.entry);
    const ToolRun run = one.build();
    EXPECT_EQ(run.status, 1) << problem.entry.dump();
    EXPECT_EQ(run.err.rfind("zirrow-level build: ", 0), 0u) << run.err;
    std::string said = at + problem.said;
    if (const auto folder = said.find("<folder>"); folder != std::string::npos) {
      said.replace(folder, 8, (one / "").parent_path().string());
    }
    EXPECT_NE(run.err.find(said), std::string::npos) << said << "\n" << run.err;
    EXPECT_FALSE(std::filesystem::exists(one.output())) << problem.entry.dump();
  }

  // The first import's node makes a name that the second's parent needs twice.
  ImportingLevel twice;
  twice.add({{"import", boxGlb.string()}, {"name", "gull"}});
  const std::string second = twice.add({{"import", boxGlb.string()}, {"parent", "gull"}});
  const ToolRun ambiguous = twice.build();
  EXPECT_EQ(ambiguous.status, 1);
  EXPECT_NE(ambiguous.err.find(second + ".parent: 2 nodes are named \"gull\""), std::string::npos)
      << ambiguous.err;

  // A failed build leaves the level built before as it was.
  ASSERT_EQ(level.build().status, 0);
  const auto before = std::filesystem::file_size(level.output());
  level.add({{"import", "models/missing.glb"}});
  EXPECT_EQ(level.build().status, 1);
  EXPECT_EQ(std::filesystem::file_size(level.output()), before);

  // Imports go into a scene of one level.
  ImportingLevel several;
  several.text["levels"] = SceneText::Json::array();
  const std::string at = several.add({{"import", boxGlb.string()}});
  ToolRun run = several.build();
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(at + ": models are imported into files of one level only"),
            std::string::npos)
      << run.err;
  ImportingLevel noScene;
  noScene.text = {
      {"objects",
       {{{"class", "RWOrdered"}, {"fields", {{"elements", SceneText::Json::array()}}}}}}};
  noScene.add({{"import", boxGlb.string()}});
  run = noScene.build();
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("objects[1]: models are imported into a file whose top-level record is"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(noScene.output()));
}
