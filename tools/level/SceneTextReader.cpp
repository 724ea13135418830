// The text form of a scene file's bytes: every record decoded by its class's layout.
#include <bit>
#include <map>
#include <optional>
#include <set>

#include "Base64.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"
#include "RWOrdered.h"
#include "RecordLayouts.h"
#include "SceneText.h"
#include "SceneTextValues.h"

namespace {

using SceneText::Json;

constexpr std::uint16_t referenceId = 0xFFFF;
constexpr std::uint16_t newStringId = 0x888F;
constexpr std::uint16_t knownStringId = 0x888E;
// Records nest in records; the reader of the engine stops far earlier than this.
constexpr unsigned deepestNesting = 4 * maxNestingDepth;

std::string className(RWClassID id) {
  return stringIdOf(id).data();
}

class Decoder {
public:
  // Marked, every reference comes out as {"$ref": number} for a later pass to rename.
  Decoder(std::span<const std::uint8_t> bytes, bool marked) : bytes_(bytes), marked_(marked) {
    spaces_.push_back(Json::array());
  }

  Json decode();

  [[noreturn]] void fail(std::size_t offset, const std::string& why) const {
    throw SceneText::Error("offset " + std::to_string(offset) + ": " + why);
  }
  std::size_t offset() const { return at_; }
  std::size_t left() const { return bytes_.size() - at_; }

  void need(std::size_t count, const std::string& what) const {
    if (count > left()) {
      fail(at_, "the file ends in " + what + ": " + std::to_string(count) + " bytes needed, " +
                    std::to_string(left()) + " left");
    }
  }
  std::uint32_t word(const std::string& what) {
    need(4, what);
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{bytes_[at_ + i]} << (8 * i);
    at_ += 4;
    return value;
  }
  std::uint16_t half(const std::string& what) {
    need(2, what);
    const auto value = static_cast<std::uint16_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
    at_ += 2;
    return value;
  }
  std::span<const std::uint8_t> take(std::size_t count, const std::string& what) {
    need(count, what);
    const auto part = bytes_.subspan(at_, count);
    at_ += count;
    return part;
  }

  Json record(const std::string& what);
  Json memberRecord(RWClassID layout, const std::string& what);
  void levels(std::int32_t levelCount, RecordLayout body, Json& fields, const std::string& what);

private:
  // A slot of the persistence table: the namespace and index of an object's entry.
  struct Slot {
    std::size_t space;
    std::size_t index;
  };

  Json newRecord(RWClassID id, std::size_t start);
  Json referenceTo(std::uint32_t number) const {
    if (number == 0) return nullptr;
    return marked_ ? Json{{"$ref", number}} : Json(number);
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  std::vector<Slot> table_{{0, 0}};  // entry 0 is nil
  std::vector<Json> spaces_;         // 0: the file's own objects; then one per level
  std::vector<Json> levelFields_;
  std::size_t space_ = 0;
  unsigned depth_ = 0;
  bool levelsSeen_ = false;
  bool marked_ = false;
};

class ReadingFields : public RecordFields {
public:
  ReadingFields(Decoder& decoder, std::string what) : d_(decoder), what_(std::move(what)) {}

  Json& fields() { return fields_; }
  const std::optional<std::uint32_t>& versionRead() const { return version_; }

  std::uint32_t version(std::uint32_t) override {
    version_ = d_.word(what_ + " version");
    return *version_;
  }
  std::int32_t int32(const char* name) override {
    const auto value = static_cast<std::int32_t>(d_.word(field(name)));
    fields_[name] = value;
    return value;
  }
  std::uint32_t uint32(const char* name) override {
    const std::uint32_t value = d_.word(field(name));
    fields_[name] = value;
    return value;
  }
  float real(const char* name) override {
    const float value = std::bit_cast<float>(d_.word(field(name)));
    fields_[name] = SceneTextValues::fromFloat(value);
    return value;
  }
  void reals(const char* name, std::size_t count) override {
    d_.need(4 * count, field(name));
    Json values = Json::array();
    for (std::size_t i = 0; i < count; ++i) {
      values.push_back(SceneTextValues::fromFloat(std::bit_cast<float>(d_.word(field(name)))));
    }
    fields_[name] = std::move(values);
  }
  void integers(const char* name, std::size_t count) override {
    d_.need(4 * count, field(name));
    Json values = Json::array();
    for (std::size_t i = 0; i < count; ++i) {
      values.push_back(static_cast<std::int32_t>(d_.word(field(name))));
    }
    fields_[name] = std::move(values);
  }
  void countedReals(const char* name, std::size_t width) override {
    const std::uint64_t count = d_.word(field(name) + " count");
    d_.need(static_cast<std::size_t>(std::min<std::uint64_t>(count * width * 4, SIZE_MAX)),
            field(name));
    reals(name, static_cast<std::size_t>(count * width));
  }
  void bytes(const char* name, std::size_t count, bool asBase64) override {
    const auto part = d_.take(count, field(name));
    if (asBase64) {
      fields_[name] = Base64::encode(part);
    } else {
      fields_[name] = Json(std::vector<int>(part.begin(), part.end()));
    }
  }
  void text(const char* name) override {
    const std::uint32_t length = d_.word(field(name) + " length");
    const auto part = d_.take(length, field(name));
    fields_[name] = SceneTextValues::fromText(
        std::string_view(reinterpret_cast<const char*>(part.data()), part.size()));
  }
  void reference(const char* name, const ClassKind&, const ClassKind*) override {
    fields_[name] = d_.record(field(name));
  }
  void member(const char* name, RWClassID layout, const ClassKind*) override {
    fields_[name] = d_.memberRecord(layout, field(name));
  }
  void inPlace(const char* name, RWClassID layout) override {
    ReadingFields nested(d_, field(name));
    layoutOf(layout)(nested);
    Json record{{"class", className(layout)}};
    if (nested.version_) record["version"] = *nested.version_;
    record["fields"] = std::move(nested.fields_);
    fields_[name] = std::move(record);
  }
  void elements(const ClassKind&) override {
    const std::uint32_t count = d_.word(what_ + " element count");
    // Every element takes at least the two bytes of its class identifier.
    d_.need(2 * std::size_t{count}, what_ + " elements");
    Json list = Json::array();
    for (std::uint32_t i = 0; i < count; ++i) {
      list.push_back(d_.record(what_ + " element " + std::to_string(i)));
    }
    fields_["elements"] = std::move(list);
  }
  void levels(std::int32_t levelCount, RecordLayout body) override {
    d_.levels(levelCount, body, fields_, what_);
  }
  [[noreturn]] void refuse(const char* name, const std::string& why) override {
    d_.fail(d_.offset(), field(name) + ": " + why);
  }
  void checkFaceIndices() override {}

private:
  std::string field(const char* name) const { return what_ + "." + name; }

  Decoder& d_;
  std::string what_;
  Json fields_ = Json::object();
  std::optional<std::uint32_t> version_;
};

Json Decoder::decode() {
  if (bytes_.empty()) fail(0, "the file is empty");
  const std::uint32_t magic = word("the magic number");
  if (magic != fileMagic) {
    fail(0, "[MAGIC] Bad magic number: " + std::to_string(magic) + " (should be " +
                std::to_string(fileMagic) + ")");
  }
  Json text;
  text["top"] = record("the top-level record");
  text["objects"] = std::move(spaces_[0]);
  if (levelsSeen_) {
    Json levels = Json::array();
    for (std::size_t i = 0; i < levelFields_.size(); ++i) {
      levels.push_back(
          Json{{"fields", std::move(levelFields_[i])}, {"objects", std::move(spaces_[i + 1])}});
    }
    text["levels"] = std::move(levels);
  }
  if (left() > 0) text["trailingBytes"] = Base64::encode(bytes_.subspan(at_));
  return text;
}

Json Decoder::record(const std::string& what) {
  const std::size_t start = at_;
  const std::uint16_t id = half(what);
  if (id == referenceId) {
    const std::uint32_t number = word(what);
    if (number >= table_.size()) {
      fail(start, "[REF] " + what + " refers to #" + std::to_string(number) + ", but only " +
                      std::to_string(table_.size() - 1) + " objects came before it");
    }
    return referenceTo(number);
  }
  if (id == newStringId || id == knownStringId) {
    fail(start, what + ": a record named by its string identifier; no class of the engine is");
  }
  return newRecord(id, start);
}

Json Decoder::memberRecord(RWClassID layout, const std::string& what) {
  const std::size_t start = at_;
  const std::uint16_t id = half(what);
  if (id == referenceId) {
    fail(start, "[REF] " + what +
                    " refers back to an earlier object, where its holder reads a "
                    "record of its own");
  }
  if (id != layout) {
    fail(start, what + " is a record of class " + std::to_string(id) + ", where its holder reads " +
                    className(layout));
  }
  return newRecord(id, start);
}

Json Decoder::newRecord(RWClassID id, std::size_t start) {
  const RecordLayout layout = layoutOf(id);
  if (!layout) {
    fail(start, "[NOCREATE] no class with identifier " + std::to_string(id));
  }
  if (++depth_ > deepestNesting)
    fail(start, "records nest deeper than " + std::to_string(deepestNesting));
  const auto number = static_cast<std::uint32_t>(table_.size());
  Json& space = spaces_[space_];
  const std::size_t index = space.size();
  table_.push_back({space_, index});
  space.push_back(nullptr);  // keeps the object's place before the records it holds

  ReadingFields fields(*this, className(id) + " #" + std::to_string(number));
  layout(fields);
  Json object{{"number", number}, {"class", className(id)}};
  if (fields.versionRead()) object["version"] = *fields.versionRead();
  object["fields"] = std::move(fields.fields());
  spaces_[table_[number].space][index] = std::move(object);
  --depth_;
  return referenceTo(number);
}

void Decoder::levels(std::int32_t levelCount, RecordLayout body, Json& fields,
                     const std::string& what) {
  if (levelsSeen_ || space_ != 0 || depth_ != 1) {
    fail(at_, what + ": a scene of several levels inside another record");
  }
  levelsSeen_ = true;
  // The engine reads nothing more of a scene whose level count is below 1.
  if (levelCount < 1) return;
  const auto count = static_cast<std::size_t>(levelCount);
  need(4 * count, what + " level table");
  std::vector<std::uint32_t> offsets;
  for (std::size_t i = 0; i < count; ++i) offsets.push_back(word(what + " level table"));
  fields["shared"] = memberRecord(RWOrdered::id, what + ".shared");
  const std::size_t mark = table_.size();
  spaces_.resize(1 + count, Json::array());
  levelFields_.assign(count, Json::object());
  for (std::size_t i = 0; i < count; ++i) {
    if (offsets[i] != at_) {
      fail(at_, what + " level table: level " + std::to_string(i + 1) + " starts at " +
                    std::to_string(offsets[i]) + ", not where the level before it ends");
    }
    table_.resize(mark);
    space_ = 1 + i;
    ReadingFields level(*this, what + " level " + std::to_string(i + 1));
    body(level);
    levelFields_[i] = std::move(level.fields());
  }
  space_ = 0;
}

// The first "name" among a record's fields and those of the records it holds in
// place, as the builder finds it.
const Json* nameOf(const Json& fields) {
  if (!fields.is_object()) return nullptr;
  if (fields.contains("name")) return &fields["name"];
  for (const auto& [key, value] : fields.items()) {
    if (value.is_object() && value.contains("fields")) {
      if (const Json* found = nameOf(value["fields"])) return found;
    }
  }
  return nullptr;
}

bool isMark(const Json& value) {
  return value.is_object() && value.size() == 1 && value.contains("$ref");
}

// Replaces every mark below `value` by the name of the object it refers to where
// that name is the object's alone, by its number otherwise; `byNumber` collects
// the objects still referred to by number.
void resolveMarks(Json& value, const std::map<std::uint32_t, std::string>& names,
                  std::set<std::uint32_t>& byNumber) {
  if (isMark(value)) {
    const auto number = value["$ref"].get<std::uint32_t>();
    if (const auto name = names.find(number); name != names.end()) {
      value = name->second;
    } else {
      value = number;
      byNumber.insert(number);
    }
  } else if (value.is_array() || value.is_object()) {
    for (auto& part : value) resolveMarks(part, names, byNumber);
  }
}

// Numbers and unique names of the file's objects.
std::map<std::uint32_t, std::string> uniqueNames(const Json& objects) {
  std::map<std::string, std::vector<std::uint32_t>> holders;
  for (const Json& object : objects) {
    const Json* name = nameOf(object["fields"]);
    if (name && name->is_string() && !name->get_ref<const std::string&>().empty()) {
      holders[name->get<std::string>()].push_back(object["number"].get<std::uint32_t>());
    }
  }
  std::map<std::uint32_t, std::string> names;
  for (const auto& [name, numbers] : holders) {
    if (numbers.size() == 1) names[numbers.front()] = name;
  }
  return names;
}

}  // namespace

namespace SceneText {

Json fromBytes(std::span<const std::uint8_t> bytes) {
  return Decoder(bytes, false).decode();
}

Json fromBytesWithNames(std::span<const std::uint8_t> bytes) {
  Json text = Decoder(bytes, true).decode();
  // A level's objects may share names with the file's own; those files keep numbers.
  const auto names = text.contains("levels") ? std::map<std::uint32_t, std::string>()
                                             : uniqueNames(text["objects"]);
  std::set<std::uint32_t> byNumber;
  resolveMarks(text, names, byNumber);
  if (text.contains("levels")) return text;
  for (Json& object : text["objects"]) {
    if (!byNumber.count(object["number"].get<std::uint32_t>())) object.erase("number");
  }
  return text;
}

void print(const Json& text, std::ostream& out) {
  const auto objectLines = [&out](const Json& objects, const char* indent) {
    out << '[';
    for (std::size_t i = 0; i < objects.size(); ++i) {
      out << (i ? ",\n" : "\n") << indent << objects[i].dump();
    }
    out << (objects.empty() ? "]" : std::string("\n") + (indent + 2) + "]");
  };
  out << '{';
  bool first = true;
  for (const auto& [key, value] : text.items()) {
    out << (first ? "\n  " : ",\n  ") << Json(key).dump() << ": ";
    first = false;
    if (key == "objects" && value.is_array()) {
      objectLines(value, "    ");
    } else if (key == "levels" && value.is_array()) {
      out << '[';
      for (std::size_t i = 0; i < value.size(); ++i) {
        const Json& level = value[i];
        out << (i ? ",\n" : "\n") << "    {";
        bool firstPart = true;
        for (const auto& [part, content] : level.items()) {
          out << (firstPart ? "" : ", ") << Json(part).dump() << ": ";
          firstPart = false;
          if (part == "objects" && content.is_array()) {
            objectLines(content, "        ");
          } else {
            out << content.dump();
          }
        }
        out << '}';
      }
      out << (value.empty() ? "]" : "\n  ]");
    } else {
      out << value.dump();
    }
  }
  out << (first ? "}\n" : "\n}\n");
}

}  // namespace SceneText
