#pragma once

#include <ostream>
#include <string>

// The text-form commands of zirrow-level. Each returns the exit status: 0 when it
// did its work, 1 when the input could not be used (what and why on `err`).
namespace SceneTextCommands {

// Prints the text form of the scene file.
int dump(const std::string& path, std::ostream& out, std::ostream& err);

// Writes the scene file that the text form in `textPath` describes to `outputPath`,
// through a temporary file beside it, so that a failed build leaves no file behind
// and never a part of one.
int build(const std::string& textPath, const std::string& outputPath, std::ostream& out,
          std::ostream& err);

}  // namespace SceneTextCommands
