#pragma once

#include "ImportedModel.h"

// The island of the example level: a sandy mound with a green top rising from
// the sea floor, coloured per vertex, one node and one mesh.
ImportedModel exampleIsland();
