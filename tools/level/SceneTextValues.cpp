#include "SceneTextValues.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "Base64.h"

namespace {

using SceneText::Json;

bool isUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t point = 0;
    if (lead < 0x80) {
      length = 1;
      point = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      point = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      point = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      point = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      point = (point << 6) | (next & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < smallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

namespace SceneTextValues {

Json fromFloat(float value) {
  if (!std::isfinite(value)) {
    char bits[16];
    std::snprintf(bits, sizeof bits, "0x%08X",
                  static_cast<unsigned>(std::bit_cast<std::uint32_t>(value)));
    return bits;
  }
  char shortest[32];
  const auto end = std::to_chars(shortest, shortest + sizeof shortest - 1, value).ptr;
  *end = '\0';
  return std::strtod(shortest, nullptr);
}

std::optional<float> toFloat(const Json& value) {
  if (value.is_number()) {
    const double number = value.get<double>();
    if (!std::isfinite(number) || std::fabs(number) > std::numeric_limits<float>::max()) {
      return std::nullopt;
    }
    return static_cast<float>(number);
  }
  if (!value.is_string()) return std::nullopt;
  const std::string& text = value.get_ref<const std::string&>();
  if (text.size() != 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
    return std::nullopt;
  std::uint32_t bits = 0;
  const auto [end, error] = std::from_chars(text.data() + 2, text.data() + text.size(), bits, 16);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return std::bit_cast<float>(bits);
}

Json fromText(std::string_view bytes) {
  if (isUtf8(bytes)) return std::string(bytes);
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  return Json{{"base64", Base64::encode({data, bytes.size()})}};
}

std::optional<std::string> toText(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (!value.is_object() || value.size() != 1 || !value.contains("base64") ||
      !value["base64"].is_string()) {
    return std::nullopt;
  }
  const auto bytes = Base64::decode(value["base64"].get_ref<const std::string&>());
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

}  // namespace SceneTextValues
