#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "SceneText.h"

// The text-form commands of zirrow-level. Each returns the exit status: 0 when it
// did its work, 1 when the input could not be used (what and why on `err`).
namespace SceneTextCommands {

// Prints the text form of the scene file, by name where it can refer by name.
int dump(const std::string& path, std::ostream& out, std::ostream& err, bool byName = false);

// Writes the scene file that the text form in `textPath` describes to `outputPath`,
// through a temporary file beside it, so that a failed build leaves no file behind
// and never a part of one. A text builder, when given, makes the bytes from the text
// form instead of SceneText::toBytes (for text forms that hold more than records:
// model imports).
using TextBuilder = std::function<std::vector<std::uint8_t>(
    const SceneText::Json& text, const std::string& textPath, std::ostream& err)>;
int build(const std::string& textPath, const std::string& outputPath, std::ostream& out,
          std::ostream& err, const TextBuilder& textBuilder = {});

}  // namespace SceneTextCommands
