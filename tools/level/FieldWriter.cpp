#include "FieldWriter.h"

#include <cstdio>
#include <string>

std::string FieldWriter::numberText(const RWCollectable* object) const {
  if (!object) return "null";
  const auto found = numbers_.find(object);
  return found == numbers_.end() ? "?" : std::to_string(found->second);
}

namespace {

std::string realText(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.9g", value);
  return buffer;
}

std::string hexId(RWClassID id) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%04X", static_cast<unsigned>(id));
  return buffer;
}

}  // namespace

// ---- text ------------------------------------------------------------------

void TextFieldWriter::beginObject(std::uint32_t number, std::string_view className, RWClassID id) {
  out() << '#' << number << ' ' << className << " (" << hexId(id) << ")\n";
}

void TextFieldWriter::label(std::string_view name) {
  out() << "  " << name << ": ";
}

void TextFieldWriter::integer(std::string_view name, long long value) {
  label(name);
  out() << value << '\n';
}

void TextFieldWriter::real(std::string_view name, double value) {
  label(name);
  out() << realText(value) << '\n';
}

void TextFieldWriter::text(std::string_view name, std::string_view value) {
  label(name);
  out() << '"';
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == '"' || byte == '\\' || byte >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out() << escaped;
    } else {
      out() << c;
    }
  }
  out() << "\"\n";
}

void TextFieldWriter::reals(std::string_view name, std::span<const float> values) {
  label(name);
  out() << '(';
  for (std::size_t i = 0; i < values.size(); ++i) out() << (i ? ", " : "") << realText(values[i]);
  out() << ")\n";
}

void TextFieldWriter::integers(std::string_view name, std::span<const std::int32_t> values) {
  label(name);
  out() << '(';
  for (std::size_t i = 0; i < values.size(); ++i) out() << (i ? ", " : "") << values[i];
  out() << ")\n";
}

void TextFieldWriter::reference(std::string_view name, const RWCollectable* object) {
  label(name);
  out() << (object ? "#" : "") << numberText(object) << '\n';
}

void TextFieldWriter::references(std::string_view name,
                                 std::span<const RWCollectable* const> objects) {
  label(name);
  out() << '[';
  for (std::size_t i = 0; i < objects.size(); ++i) {
    out() << (i ? ", " : "") << (objects[i] ? "#" : "") << numberText(objects[i]);
  }
  out() << "]\n";
}
