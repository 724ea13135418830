#pragma once

#include <string>

#include "ImportedModel.h"

// Writes a model through assimp's exporters, in the format of the file name's
// extension (.glb, .gltf, .obj, .dae, ...): nodes with their still transforms,
// triangle meshes with normals, texture coordinates and vertex colours, and
// materials' colours. Keys, textures, cameras and lights are not written. Empty
// on success, otherwise what went wrong.
std::string writeModel(const ImportedModel& model, const std::string& path);
