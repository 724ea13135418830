#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// What the fuzz targets and the replay of their seeds and regression files run on
// one input. An entry returns for any input it handles soundly; it aborts, with a
// message on standard error, when an input breaks one of the promises it checks.
namespace FuzzEntries {

// Reads the bytes as a scene file with the level tool's checked reader, for the
// first level and, when the file holds more, the second; then loads it twice
// through the engine's loader that the game uses, into an empty scene and into
// the scene that the first load left, which a failed load must leave unchanged.
void readSceneFile(const std::uint8_t* data, std::size_t size);

// Reads the bytes as a scene file; when they read without a problem, writes what
// was read, reads that back and writes it again: what was written must read back
// without a problem and, for a scene, the second file must equal the first byte
// for byte.
void roundTripScene(const std::uint8_t* data, std::size_t size);

// Parses the bytes as the settings file; its text must parse to the same text, and
// the game's values set in it must read back from that text, the others unchanged.
void parseSettingsFile(const std::uint8_t* data, std::size_t size);

// Plays the bytes as a level file: each of its levels, up to maxPlayedLevels, is
// loaded as the game loads it, readied as zirrow-bench readies it and played for
// 150 frames at a fixed step of 1/30 s without drawing, firing every tenth frame
// while turning. Stops at the first level that can't be loaded.
inline constexpr std::int32_t maxPlayedLevels = 4;
void playLevels(const std::uint8_t* data, std::size_t size);

// The entry that a target's name (its seed folder's name) stands for, or nil.
using Entry = void (*)(const std::uint8_t* data, std::size_t size);
Entry entryNamed(std::string_view target);

}  // namespace FuzzEntries
