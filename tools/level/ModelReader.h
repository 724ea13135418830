#pragma once

#include <stdexcept>
#include <string>

#include "ImportedModel.h"

// A model file that can't be read: what assimp or the picture decoder said.
class ModelError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Reads a model file through assimp (glTF 2.0, OBJ, FBX, Collada, 3DS, ...): every
// polygon triangulated, texture coordinates with t = 0 at the top row, smooth normals
// where the file has none. The options' scale multiplies every length (positions,
// translations and their keys, clipping distances) and a z-up model turns to y-up
// on its top node. Base-colour textures, embedded or in files beside the model, are
// decoded and resampled to power-of-two sides of at most maxTextureSide. The first
// animation's node keys and morph or vertex keys are kept. Everything else the
// scene can't show (skinning, further animations, points and lines, maps beyond the
// base colour, area and ambient lights, pictures that can't be read) becomes a
// warning.
ImportedModel readModel(const std::string& path, const ImportOptions& options);

// The power of two nearest to the side, from 1 to the maximum texture side.
int powerOfTwoSide(int side);

constexpr int maxTextureSide = 1024;
