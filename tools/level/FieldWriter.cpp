#include "FieldWriter.h"

#include <cmath>
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

// ---- JSON ------------------------------------------------------------------

void JsonFieldWriter::beginFile() {
  out() << "{\"objects\": [";
}

void JsonFieldWriter::endFile() {
  out() << (firstObject_ ? "]}\n" : "\n]}\n");
}

void JsonFieldWriter::beginObject(std::uint32_t number, std::string_view className, RWClassID id) {
  out() << (firstObject_ ? "\n" : ",\n") << "{\"number\": " << number << ", \"class\": ";
  quoted(className);
  out() << ", \"classId\": " << id << ", \"fields\": {";
  firstObject_ = false;
  firstField_ = true;
}

void JsonFieldWriter::endObject() {
  out() << "}}";
}

void JsonFieldWriter::key(std::string_view name) {
  out() << (firstField_ ? "" : ", ");
  quoted(name);
  out() << ": ";
  firstField_ = false;
}

void JsonFieldWriter::quoted(std::string_view value) {
  out() << '"';
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\') {
      out() << '\\' << c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      // Bytes of names are not necessarily UTF-8: each shows as its own code point.
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
      out() << escaped;
    } else {
      out() << c;
    }
  }
  out() << '"';
}

void JsonFieldWriter::number(double value) {
  if (std::isfinite(value)) {
    out() << realText(value);
  } else {
    out() << "null";  // JSON has no infinities or NaN
  }
}

void JsonFieldWriter::integer(std::string_view name, long long value) {
  key(name);
  out() << value;
}

void JsonFieldWriter::real(std::string_view name, double value) {
  key(name);
  number(value);
}

void JsonFieldWriter::text(std::string_view name, std::string_view value) {
  key(name);
  quoted(value);
}

void JsonFieldWriter::reals(std::string_view name, std::span<const float> values) {
  key(name);
  out() << '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out() << ", ";
    number(values[i]);
  }
  out() << ']';
}

void JsonFieldWriter::integers(std::string_view name, std::span<const std::int32_t> values) {
  key(name);
  out() << '[';
  for (std::size_t i = 0; i < values.size(); ++i) out() << (i ? ", " : "") << values[i];
  out() << ']';
}

void JsonFieldWriter::referenceValue(const RWCollectable* object) {
  const std::string text = numberText(object);
  if (text == "?") {
    quoted(text);
  } else {
    out() << text;
  }
}

void JsonFieldWriter::reference(std::string_view name, const RWCollectable* object) {
  key(name);
  referenceValue(object);
}

void JsonFieldWriter::references(std::string_view name,
                                 std::span<const RWCollectable* const> objects) {
  key(name);
  out() << '[';
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (i) out() << ", ";
    referenceValue(objects[i]);
  }
  out() << ']';
}
