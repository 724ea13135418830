#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "SceneText.h"

// The scene file of a level's text form whose objects may include model imports:
//   {"import": "models/island.glb", "name": "island", "parent": "harbour",
//    "position": [0, 0, -20], "rotation": [0, 0, 0, 1], "scale": [1, 1, 1],
//    "modelScale": 1, "up": "y", "prefix": ""}
// Each import becomes a node of that name (the model file's stem without one) under
// the named node (the root without one), placed by the position, the rotation
// quaternion (x, y, z, w) and the scale, that holds the model as `import` brings it
// in; its textures join the scene's. Model paths are relative to the text file's
// directory. Only "import" is needed. An import entry is no object record: nothing
// refers to it by number. A text form without imports is built as it stands. The
// warnings of each model go to `err`; what is wrong raises SceneText::Error naming
// the JSON path.
std::vector<std::uint8_t> buildWithImports(const SceneText::Json& text, const std::string& textPath,
                                           std::ostream& err);
