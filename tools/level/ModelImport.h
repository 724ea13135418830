#pragma once

#include <string>

#include "ImportedModel.h"

// What an import wrote.
struct ImportSummary {
  int nodes = 0;
  int objects = 0;
  int vertices = 0;
  int triangles = 0;
  int textures = 0;
};

// Writes the model as a scene file that holds it alone: its tree under the root,
// its textures, and its first camera as the current one. Empty on success,
// otherwise why the file could not be written.
std::string writeModelScene(const ImportedModel& model, const std::string& path,
                            ImportSummary& summary);
