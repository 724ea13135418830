#pragma once

#include <cstdint>
#include <vector>

#include "RWCollectable.h"

// The bytes of a scene file that holds the object, written through a scratch file
// that is gone afterwards. Raises SceneText::Error when the scratch file can't be
// written, and the persistence library's exceptions.
std::vector<std::uint8_t> sceneBytes(const RWCollectable& object);
