#pragma once

#include <vector>

#include "FmNode.h"
#include "FmOpenGLTexture.h"
#include "ImportedModel.h"

// The scene objects of an imported model: its node tree (the caller owns the top
// node and places it) and its textures (which the scene that shows the model must
// own).
struct AssembledModel {
  FmNode* top = nullptr;
  std::vector<FmOpenGLTexture*> textures;
};

// Every model node becomes a node of the tree with a transform controller holding
// its translation, rotation and scale, or its keys: a camera or a light where the
// node holds one, an object where it holds one mesh, a plain node otherwise, whose
// meshes become objects under it. Objects are visible, drawn with their material
// and base-colour texture, lit unless their vertices carry colours (which only
// unlit drawing shows), and morph through their mesh's frames.
AssembledModel assembleModel(const ImportedModel& model);
