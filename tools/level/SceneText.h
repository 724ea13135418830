#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// The text form of a scene file: a JSON document that holds every object record of
// the file once, in the order of its persistence number, with its class, its
// version and its stored fields under their own names; references are numbers (nil
// is null), records stored in place nest inside their holder, pixels are base64.
// A file of several levels adds its level table as "levels", each level with its
// own body fields and objects, numbered after the shared objects. Bytes after the
// top-level record travel as base64 in "trailingBytes". The form is described by
// docs/scene-text.schema.json; building a file from its text form gives the same
// bytes back.
namespace SceneText {

using Json = nlohmann::ordered_json;

// A scene file that has no text form, or a text form that makes no sound file:
// where (a byte offset, or the JSON path of the value) and why.
class Error : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The text form of the bytes of a scene file.
Json fromBytes(std::span<const std::uint8_t> bytes);

// The same with references by name where the object referred to is the one object
// of its name, which then goes without its number (as do the objects nothing
// refers to by number). Files of several levels keep every reference a number.
Json fromBytesWithNames(std::span<const std::uint8_t> bytes);

// The bytes of the scene file that the text form describes. Objects need no numbers
// when nothing refers to them by number; references may name an object by its
// name instead (a string), when exactly one object has that name.
std::vector<std::uint8_t> toBytes(const Json& text);

// Prints the text form with each object on a line of its own.
void print(const Json& text, std::ostream& out);

}  // namespace SceneText
