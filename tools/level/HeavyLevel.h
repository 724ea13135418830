#pragma once

#include <string>

// A level far heavier than the demo, for the frame benchmark: the first demo level
// (the player's camera and flight, lights, fogs, ground, islands, sea, beacon and
// projectile) with its active flock grown to 2,000 members and a ring of textured
// hills around the start that brings it to 200 objects and 150,000 triangles
// besides the flock's members, and to 64 textures.
namespace HeavyLevel {

inline constexpr int objects = 200;
inline constexpr int triangles = 150000;
inline constexpr int textures = 64;
inline constexpr int flockMembers = 2000;

// Writes the level as a scene file of one level, replacing the file only once it is
// written whole. Returns an empty string on success, else what went wrong.
std::string write(const std::string& path);

}  // namespace HeavyLevel
