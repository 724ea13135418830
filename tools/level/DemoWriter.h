#pragma once

#include <string>

// The bundled demo: a scene file of two levels and the game's three sound
// effects, written into one directory.
namespace DemoWriter {

// The scene file's name inside the directory.
inline constexpr const char* sceneFileName = "demo.zrw";
// The sound effects, under soundDirectory, as the game loads them.
inline constexpr const char* soundDirectory = "sounds";
inline constexpr const char* gunSoundName = "Bgun.wav";
inline constexpr const char* failSoundName = "fail.wav";
inline constexpr const char* winSoundName = "winner.wav";
inline constexpr int levelCount = 2;

// Writes the demo into the directory, creating it (and its sound directory) when
// needed. Returns an empty string on success, else what went wrong.
std::string write(const std::string& directory);

}  // namespace DemoWriter
