#pragma once

#include <cstdint>
#include <string>

class FmEngine;

// The headless runners play levels in a viewport of this size, in true colour.
constexpr int headlessWidth = 800;
constexpr int headlessHeight = 600;
constexpr int headlessColourBits = 32;

// Loads the level file into the engine as the game does: level `level` of a
// multi-level file, the "Bouncer" projectile template and, in a multi-level file,
// the flock at the index and free flight. Errors of the load propagate as the
// persistence library's exceptions; a file that is not a regular file, and a level
// that the file does not hold (also in a file of one level), raise RWExternalErr.
void loadGameLevel(FmEngine& engine, const std::string& levelFile, std::int32_t level,
                   std::int32_t flock);
// Readies the scene loaded into the engine as the game does: the "Bouncer"
// projectile template and, in a multi-level file, the flock at the index and free
// flight.
void prepareGameLevel(FmEngine& engine, std::int32_t flock);
