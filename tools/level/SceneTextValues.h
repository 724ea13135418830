#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SceneText.h"

// How single values look in the text form, both ways.
namespace SceneTextValues {

// A finite float as the shortest decimal that reads back as the same float; an
// infinity or NaN as the text "0x" and its eight hexadecimal bits.
SceneText::Json fromFloat(float value);
// The float a value stands for, or nothing when it stands for none.
std::optional<float> toFloat(const SceneText::Json& value);

// A string's bytes as text when they are UTF-8, else {"base64": ...}.
SceneText::Json fromText(std::string_view bytes);
std::optional<std::string> toText(const SceneText::Json& value);

}  // namespace SceneTextValues
