#pragma once

#include <cstdint>
#include <string>

class RWBinaryFile;

// How reading a scene file went wrong, in the words that every reader of levels
// gives: the game, the level tool and the bench.
namespace FmSceneFileErrors {

// Whether a read ran past the end of the file or failed. Whatever a reader made of
// the bytes after that (a nil reference, a half-read number) follows from it, so
// such a file is reported by this rather than by the error that the reader met.
bool incomplete(const RWBinaryFile& file);
// The read error, or the early end with the offset of the read that ran past it.
std::string incompleteness(RWBinaryFile& file);
// Raises incompleteness as RWExternalErr when the file is incomplete.
void raiseIfIncomplete(RWBinaryFile& file);
// "[LEVEL] Level 2 does not exist: the file holds 1 level".
std::string missingLevel(std::int32_t level, std::int32_t levels);

}  // namespace FmSceneFileErrors
