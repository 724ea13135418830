#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "FmScene.h"
#include "SceneText.h"

// Where the example's files lie in its directory.
inline constexpr const char* exampleLevelPath = "example.json";
inline constexpr const char* exampleModelPath = "models/island.glb";

// The example level that designers copy, without its island: the player's camera
// and its sky under its flight controller with the timer bar in view, a sun and a
// lamp, a fog, a flock of five gulls crossing the line of fire and the "Bouncer"
// projectile. Emptying the flock wins it.
std::unique_ptr<FmScene> buildExampleLevel();

// The example level in the text form, references by name, with the island as a
// model import entry placed ahead of the player.
SceneText::Json exampleLevelText();

// Writes the example's model and its level's text form into the directory: what
// examples/ holds. Empty on success, otherwise what went wrong.
std::string writeExampleFiles(const std::filesystem::path& directory);
