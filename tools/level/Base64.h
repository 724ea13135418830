#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Base64 with the standard alphabet and padding, for the pixels of the text form.
namespace Base64 {

std::string encode(std::span<const std::uint8_t> bytes);
// The bytes, or nothing when the text is not padded base64 of the standard alphabet.
std::optional<std::vector<std::uint8_t>> decode(std::string_view text);

}  // namespace Base64
