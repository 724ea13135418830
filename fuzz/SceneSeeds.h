#pragma once

#include <string>

// The seed files of the scene-file fuzz targets, written with the project's own
// writer: one file per registered class (an object of the demo levels where they
// have one, else a default object) and per older version number of its record,
// shared objects and cycles, empty and large arrays, nesting at the reader's depth
// limit and one past it, and files of several levels.
namespace SceneSeeds {

// Writes every seed into the folder and the small playable levels of the target
// that plays into the play folder; both must exist. An empty string on success,
// else what went wrong.
std::string writeAll(const std::string& folder, const std::string& playFolder);

// The libFuzzer dictionary of the format's tokens: the magic number, the record
// markers, every registered class identifier, the version numbers and edge counts.
std::string dictionary();

}  // namespace SceneSeeds
