#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "FmPoint.h"
#include "FmQuat.h"

// A model as read from a modelling tool's file, before it becomes scene objects:
// the node hierarchy with each node's transform and keys, triangle meshes with
// their morph frames, materials, base-colour textures, cameras and lights, and
// what could not be kept. Times are seconds, angles degrees, colours 0..1.

struct ModelTexture {
  std::string name;
  int width = 0;
  int height = 0;
  bool hasAlpha = false;
  // 4 bytes a pixel, rows from the top; both sides a power of two.
  std::vector<std::uint8_t> rgba;
};

struct ModelMaterial {
  std::string name;
  FmPoint ambient;
  FmPoint diffuse{1, 1, 1};
  FmPoint specular;
  FmPoint emission;
  float shininess = 0;
  bool twoSided = false;
  // Into the model's textures; -1 without a texture.
  int texture = -1;
};

// The positions of every vertex of a mesh at one key time.
struct ModelMorphFrame {
  float time = 0;
  std::vector<FmPoint> positions;
};

struct ModelMesh {
  std::string name;
  std::vector<FmPoint> positions;
  std::vector<FmPoint> normals;
  // Two per vertex (s, t), t = 0 at the top row of the texture; empty without.
  std::vector<float> texCoords;
  // Empty without vertex colours.
  std::vector<FmPoint> colours;
  std::vector<std::array<int, 3>> triangles;
  // Into the model's materials; -1 without one.
  int material = -1;
  // A morph or vertex animation; empty when the mesh does not change shape.
  std::vector<ModelMorphFrame> frames;
};

template <typename Value>
struct ModelKey {
  float time = 0;
  Value value;
};

struct ModelCamera {
  // The full vertical view angle.
  float fieldOfView = 45;
  float nearClip = 0.1f;
  float farClip = 1000;
};

struct ModelLight {
  // 0 point, 1 directional, 2 spot (the scene's light types).
  int type = 0;
  FmPoint colour{1, 1, 1};
  float spotCutoff = 45;
};

struct ModelNode {
  std::string name;
  // Into the model's nodes, always before this node; -1 for the top node.
  int parent = -1;
  FmPoint translation;
  FmQuat rotation;
  FmPoint scale{1, 1, 1};
  // Keys of a node animation; each list replaces the still value when not empty.
  std::vector<ModelKey<FmPoint>> positionKeys;
  std::vector<ModelKey<FmQuat>> rotationKeys;
  std::vector<ModelKey<FmPoint>> scaleKeys;
  // Into the model's meshes.
  std::vector<int> meshes;
  std::optional<ModelCamera> camera;
  std::optional<ModelLight> light;
};

struct ImportedModel {
  std::vector<ModelNode> nodes;
  std::vector<ModelMesh> meshes;
  std::vector<ModelMaterial> materials;
  std::vector<ModelTexture> textures;
  // What the file holds that the scene cannot show, one line each, naming the node
  // (or material) and the feature.
  std::vector<std::string> warnings;
};

// How a model is brought in: a factor for every length, the axis that points up
// in the modelling tool, and a prefix for every name.
struct ImportOptions {
  enum class Up { y, z };

  float scale = 1;
  Up up = Up::y;
  std::string prefix;
};
