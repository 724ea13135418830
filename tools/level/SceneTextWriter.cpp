// The bytes of a scene file from its text form: every record encoded by its class's
// layout, with each value checked where it stands in the text.
#include <bit>
#include <limits>
#include <map>
#include <optional>
#include <set>

#include "Base64.h"
#include "FmFace.h"
#include "FmMesh.h"
#include "FmScene.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"
#include "RWOrdered.h"
#include "RecordLayouts.h"
#include "SceneText.h"
#include "SceneTextValues.h"

namespace {

using SceneText::Json;

constexpr std::uint16_t referenceId = 0xFFFF;
constexpr unsigned deepestNesting = 4 * maxNestingDepth;

std::string className(RWClassID id) {
  return stringIdOf(id).data();
}

[[noreturn]] void fail(const std::string& path, const std::string& why) {
  throw SceneText::Error(path + ": " + why);
}

std::string kindOf(const Json& value) {
  if (value.is_null()) return "null";
  if (value.is_boolean()) return "a boolean";
  if (value.is_number()) return "a number";
  if (value.is_string()) return "a string";
  if (value.is_array()) return "an array";
  return "an object";
}

// The member of a JSON object, or null when it has none.
const Json& part(const Json& value, const char* key) {
  static const Json none;
  if (!value.is_object()) return none;
  const auto found = value.find(key);
  return found == value.end() ? none : *found;
}

// An object of the text form: its namespace (0 for the file's own objects, then one
// per level) and its index there.
struct Handle {
  std::size_t space;
  std::size_t index;
  auto operator<=>(const Handle&) const = default;
};

// The objects of one namespace, found by number and by name.
struct Space {
  const Json* objects = nullptr;
  std::string path;  // "objects" or "levels[2].objects"
  std::map<std::int64_t, std::size_t> numbers;
  std::map<std::string, std::vector<std::size_t>> names;
};

// The first "name" among a record's fields and those of the records it holds in
// place (a camera's name is its node record's).
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

class Encoder {
public:
  explicit Encoder(const Json& text) : text_(text) {}

  std::vector<std::uint8_t> encode();

  void word(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  void half(std::uint16_t value) {
    out_.push_back(static_cast<std::uint8_t>(value));
    out_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void append(std::span<const std::uint8_t> bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }

  void reference(const Json& value, const std::string& path, const ClassKind& kind,
                 const ClassKind* elements);
  void member(const Json& value, const std::string& path, RWClassID layout,
              const ClassKind* elements);
  void levels(std::int32_t levelCount, RecordLayout body, const Json& fields,
              const std::string& path);
  void checkFaceIndices(const Json& fields, const std::string& path);

private:
  void index();
  void indexSpace(std::size_t space, const Json& objects, const std::string& path);
  std::optional<Handle> resolve(const Json& value, const std::string& path) const;
  const Json& objectAt(Handle handle) const {
    return (*spaces_[handle.space].objects)[handle.index];
  }
  std::string pathOf(Handle handle) const {
    return spaces_[handle.space].path + "[" + std::to_string(handle.index) + "]";
  }
  RWClassID classOf(Handle handle) const {
    return classNamed(objectAt(handle)["class"].get<std::string>());
  }
  void checkClass(Handle handle, const std::string& path, const ClassKind& kind) const;
  void checkElements(Handle handle, const ClassKind& elements) const;
  void newRecord(Handle handle);
  void checkEveryObjectWritten() const;

  const Json& text_;
  std::vector<std::uint8_t> out_;
  std::vector<Space> spaces_;
  std::size_t level_ = 0;  // the namespace of the level being written, 0 outside levels
  std::map<Handle, std::uint32_t> written_;
  std::set<Handle> everWritten_;
  std::uint32_t next_ = 1;
  unsigned depth_ = 0;
  bool levelsWritten_ = false;
};

class WritingFields : public RecordFields {
public:
  WritingFields(Encoder& encoder, const Json& record, std::string path, RWClassID id)
      : e_(encoder), record_(record), path_(std::move(path)), id_(id) {
    if (!record_.contains("fields")) fail(path_, "a record needs its \"fields\"");
    fields_ = &record_["fields"];
    if (!fields_->is_object())
      fail(path_ + ".fields", "fields are an object, not " + kindOf(*fields_));
  }

  // Every field of the text was stored: anything left over is not a field of the class.
  void finish() const {
    for (const auto& [key, value] : fields_->items()) {
      if (!used_.count(key)) {
        fail(path_ + ".fields." + key,
             "not a stored field of " + className(id_) +
                 (versionGiven_ ? " version " + std::to_string(version_) : ""));
      }
    }
  }

  std::uint32_t version(std::uint32_t written) override {
    version_ = written;
    if (record_.contains("version")) {
      version_ = unsignedValue(record_["version"], path_ + ".version");
      versionGiven_ = true;
    }
    e_.word(version_);
    return version_;
  }
  std::int32_t int32(const char* name) override {
    const Json& value = field(name);
    if (!value.is_number_integer() ||
        value.get<std::int64_t>() < std::numeric_limits<std::int32_t>::min() ||
        value.get<std::int64_t>() > std::numeric_limits<std::int32_t>::max()) {
      fail(at(name), "a signed 32-bit whole number is needed, not " + shown(value));
    }
    const auto number = value.get<std::int32_t>();
    e_.word(static_cast<std::uint32_t>(number));
    return number;
  }
  std::uint32_t uint32(const char* name) override {
    const std::uint32_t number = unsignedValue(field(name), at(name));
    e_.word(number);
    return number;
  }
  float real(const char* name) override {
    const float number = floatValue(field(name), at(name));
    e_.word(std::bit_cast<std::uint32_t>(number));
    return number;
  }
  void reals(const char* name, std::size_t count) override {
    const Json& values = array(name, count);
    for (std::size_t i = 0; i < count; ++i) {
      e_.word(std::bit_cast<std::uint32_t>(floatValue(values[i], item(name, i))));
    }
  }
  void integers(const char* name, std::size_t count) override {
    const Json& values = array(name, count);
    for (std::size_t i = 0; i < count; ++i) {
      const Json& value = values[i];
      if (!value.is_number_integer() ||
          value.get<std::int64_t>() < std::numeric_limits<std::int32_t>::min() ||
          value.get<std::int64_t>() > std::numeric_limits<std::int32_t>::max()) {
        fail(item(name, i), "a signed 32-bit whole number is needed, not " + shown(value));
      }
      e_.word(static_cast<std::uint32_t>(value.get<std::int32_t>()));
    }
  }
  void countedReals(const char* name, std::size_t width) override {
    const Json& values = field(name);
    if (!values.is_array()) fail(at(name), "an array of numbers is needed, not " + kindOf(values));
    if (values.size() % width != 0 ||
        values.size() / width > std::numeric_limits<std::uint32_t>::max()) {
      fail(at(name), std::to_string(values.size()) + " values do not make whole groups of " +
                         std::to_string(width));
    }
    e_.word(static_cast<std::uint32_t>(values.size() / width));
    for (std::size_t i = 0; i < values.size(); ++i) {
      e_.word(std::bit_cast<std::uint32_t>(floatValue(values[i], item(name, i))));
    }
  }
  void bytes(const char* name, std::size_t count, bool asBase64) override {
    const Json& value = field(name);
    if (asBase64) {
      if (!value.is_string()) fail(at(name), "base64 text is needed, not " + kindOf(value));
      const auto decoded = Base64::decode(value.get_ref<const std::string&>());
      if (!decoded) fail(at(name), "not base64 text");
      if (decoded->size() != count) {
        fail(at(name), std::to_string(decoded->size()) + " bytes where the fields before need " +
                           std::to_string(count));
      }
      e_.append(*decoded);
      return;
    }
    const Json& values = array(name, count);
    for (std::size_t i = 0; i < count; ++i) {
      const Json& byte = values[i];
      if (!byte.is_number_integer() || byte.get<std::int64_t>() < 0 ||
          byte.get<std::int64_t>() > 255) {
        fail(item(name, i), "a byte from 0 to 255 is needed, not " + shown(byte));
      }
      e_.append(std::vector<std::uint8_t>{static_cast<std::uint8_t>(byte.get<int>())});
    }
  }
  void text(const char* name) override {
    const auto value = SceneTextValues::toText(field(name));
    if (!value)
      fail(at(name), "a string (or {\"base64\": ...}) is needed, not " + kindOf(field(name)));
    if (value->size() > std::numeric_limits<std::uint32_t>::max()) fail(at(name), "too long");
    e_.word(static_cast<std::uint32_t>(value->size()));
    e_.append({reinterpret_cast<const std::uint8_t*>(value->data()), value->size()});
  }
  void reference(const char* name, const ClassKind& kind, const ClassKind* elements) override {
    e_.reference(field(name), at(name), kind, elements);
  }
  void member(const char* name, RWClassID layout, const ClassKind* elements) override {
    e_.member(field(name), at(name), layout, elements);
  }
  void inPlace(const char* name, RWClassID layout) override {
    const Json& nested = field(name);
    if (!nested.is_object())
      fail(at(name), "a record of " + className(layout) + " is needed, not " + kindOf(nested));
    for (const auto& [key, value] : nested.items()) {
      if (key != "class" && key != "version" && key != "fields") {
        fail(at(name) + "." + key,
             "a record stored in place holds \"class\", \"version\" and \"fields\" only");
      }
    }
    if (nested.contains("class") && nested["class"] != className(layout)) {
      fail(at(name) + ".class", "this record is always a " + className(layout));
    }
    WritingFields fields(e_, nested, at(name), layout);
    layoutOf(layout)(fields);
    fields.finish();
  }
  void elements(const ClassKind& kind) override {
    const Json& list = field("elements");
    if (!list.is_array())
      fail(at("elements"), "an array of references is needed, not " + kindOf(list));
    e_.word(static_cast<std::uint32_t>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i)
      e_.reference(list[i], item("elements", i), kind, nullptr);
  }
  void levels(std::int32_t levelCount, RecordLayout body) override {
    e_.levels(levelCount, body, *fields_, path_ + ".fields");
    used_.insert("shared");
  }
  [[noreturn]] void refuse(const char* name, const std::string& why) override {
    fail(at(name), why);
  }
  void checkFaceIndices() override { e_.checkFaceIndices(*fields_, path_ + ".fields"); }

private:
  const Json& field(const char* name) {
    if (!fields_->contains(name)) {
      fail(path_ + ".fields", "missing field \"" + std::string(name) + "\" of " + className(id_));
    }
    used_.insert(name);
    return (*fields_)[name];
  }
  const Json& array(const char* name, std::size_t count) {
    const Json& values = field(name);
    if (!values.is_array()) fail(at(name), "an array is needed, not " + kindOf(values));
    if (values.size() != count) {
      fail(at(name), std::to_string(values.size()) + " values where " + std::to_string(count) +
                         " are needed");
    }
    return values;
  }
  std::string at(const char* name) const { return path_ + ".fields." + name; }
  std::string item(const char* name, std::size_t i) const {
    return at(name) + "[" + std::to_string(i) + "]";
  }
  static std::string shown(const Json& value) {
    const std::string text = value.dump();
    return text.size() > 40 ? kindOf(value) : text;
  }
  static std::uint32_t unsignedValue(const Json& value, const std::string& path) {
    if (!value.is_number_integer() || value.get<std::int64_t>() < 0 ||
        value.get<std::int64_t>() > std::numeric_limits<std::uint32_t>::max()) {
      fail(path, "an unsigned 32-bit whole number is needed, not " + shown(value));
    }
    return value.get<std::uint32_t>();
  }
  static float floatValue(const Json& value, const std::string& path) {
    const auto number = SceneTextValues::toFloat(value);
    if (!number)
      fail(path, "a number within the float range (or \"0x\" and 8 hex digits) is needed, not " +
                     shown(value));
    return *number;
  }

  Encoder& e_;
  const Json& record_;
  const Json* fields_ = nullptr;
  std::string path_;
  RWClassID id_;
  std::set<std::string> used_;
  std::uint32_t version_ = 0;
  bool versionGiven_ = false;
};

void Encoder::indexSpace(std::size_t space, const Json& objects, const std::string& path) {
  if (!objects.is_array()) fail(path, "an array of objects is needed, not " + kindOf(objects));
  Space& s = spaces_[space];
  s.objects = &objects;
  s.path = path;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    const Json& object = objects[i];
    const std::string at = path + "[" + std::to_string(i) + "]";
    if (!object.is_object()) fail(at, "an object record is needed, not " + kindOf(object));
    for (const auto& [key, value] : object.items()) {
      if (key != "number" && key != "class" && key != "version" && key != "fields") {
        fail(at + "." + key,
             "an object holds \"number\", \"class\", \"version\" and \"fields\" only");
      }
    }
    if (!object.contains("class") || !object["class"].is_string())
      fail(at, "an object needs its \"class\" name");
    if (classNamed(object["class"].get<std::string>()) == 0) {
      fail(at + ".class", "unknown class '" + object["class"].get<std::string>() + "'");
    }
    if (object.contains("number")) {
      const Json& number = object["number"];
      if (!number.is_number_integer() || number.get<std::int64_t>() < 1) {
        fail(at + ".number", "a number from 1 is needed, not " + number.dump());
      }
      const auto value = number.get<std::int64_t>();
      const bool taken = s.numbers.count(value) || (space != 0 && spaces_[0].numbers.count(value));
      if (taken)
        fail(at + ".number", "number " + std::to_string(value) + " is taken by another object");
      s.numbers[value] = i;
    }
    if (object.contains("fields")) {
      const Json* name = nameOf(object["fields"]);
      if (name && name->is_string() && !name->get_ref<const std::string&>().empty()) {
        s.names[name->get<std::string>()].push_back(i);
      }
    }
  }
}

void Encoder::index() {
  if (!text_.is_object()) fail("(top)", "the text form is a JSON object, not " + kindOf(text_));
  for (const auto& [key, value] : text_.items()) {
    if (key != "top" && key != "objects" && key != "levels" && key != "trailingBytes" &&
        key != "$schema") {
      fail(key, "not a part of the text form (top, objects, levels, trailingBytes)");
    }
  }
  if (!text_.contains("objects")) fail("objects", "missing: the text form lists its objects");
  const Json* levels = text_.contains("levels") ? &text_["levels"] : nullptr;
  if (levels && !levels->is_array())
    fail("levels", "an array of levels is needed, not " + kindOf(*levels));
  spaces_.resize(1 + (levels ? levels->size() : 0));
  indexSpace(0, text_["objects"], "objects");
  for (std::size_t i = 0; levels && i < levels->size(); ++i) {
    const std::string at = "levels[" + std::to_string(i) + "]";
    const Json& level = (*levels)[i];
    if (!level.is_object() || !level.contains("objects") || !level.contains("fields")) {
      fail(at, "a level holds its \"fields\" and its \"objects\"");
    }
    for (const auto& [key, value] : level.items()) {
      if (key != "fields" && key != "objects")
        fail(at + "." + key, "a level holds \"fields\" and \"objects\" only");
    }
    indexSpace(1 + i, level["objects"], at + ".objects");
  }
}

std::optional<Handle> Encoder::resolve(const Json& value, const std::string& path) const {
  if (value.is_null()) return std::nullopt;
  const std::size_t spaces[] = {level_, 0};
  const std::size_t searched = level_ == 0 ? 1 : 2;
  if (value.is_number_integer()) {
    const auto number = value.get<std::int64_t>();
    for (std::size_t k = 0; k < searched; ++k) {
      const auto found = spaces_[spaces[k]].numbers.find(number);
      if (found != spaces_[spaces[k]].numbers.end()) return Handle{spaces[k], found->second};
    }
    fail(path, "no object numbered " + std::to_string(number));
  }
  if (value.is_string()) {
    const std::string& name = value.get_ref<const std::string&>();
    for (std::size_t k = 0; k < searched; ++k) {
      const auto found = spaces_[spaces[k]].names.find(name);
      if (found == spaces_[spaces[k]].names.end()) continue;
      if (found->second.size() > 1) {
        fail(path, "the name '" + name + "' is held by " + std::to_string(found->second.size()) +
                       " objects: " + pathOf({spaces[k], found->second[0]}) + " and " +
                       pathOf({spaces[k], found->second[1]}));
      }
      return Handle{spaces[k], found->second[0]};
    }
    fail(path, "no object named '" + name + "'");
  }
  fail(path, "a reference is an object's number, its name or null, not " + kindOf(value));
}

void Encoder::checkClass(Handle handle, const std::string& path, const ClassKind& kind) const {
  const RWClassID id = classOf(handle);
  if (!kind.accepts(id)) {
    fail(path, pathOf(handle) + " is " + className(id) + ", where " + kind.name + " is needed");
  }
}

void Encoder::checkElements(Handle handle, const ClassKind& elements) const {
  const Json& list = part(part(objectAt(handle), "fields"), "elements");
  if (!list.is_array()) return;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string path = pathOf(handle) + ".fields.elements[" + std::to_string(i) + "]";
    if (const auto element = resolve(list[i], path)) {
      const RWClassID id = classOf(*element);
      if (!elements.accepts(id)) {
        fail(path, pathOf(*element) + " is " + className(id) + ", where this list holds " +
                       elements.name);
      }
    }
  }
}

void Encoder::reference(const Json& value, const std::string& path, const ClassKind& kind,
                        const ClassKind* elements) {
  const auto handle = resolve(value, path);
  if (!handle) {
    half(referenceId);
    word(0);
    return;
  }
  checkClass(*handle, path, kind);
  if (elements) checkElements(*handle, *elements);
  const auto found = written_.find(*handle);
  if (found != written_.end()) {
    half(referenceId);
    word(found->second);
    return;
  }
  newRecord(*handle);
}

void Encoder::member(const Json& value, const std::string& path, RWClassID layout,
                     const ClassKind* elements) {
  const auto handle = resolve(value, path);
  if (!handle)
    fail(path, "a record of " + className(layout) + " held by value is needed, not null");
  if (classOf(*handle) != layout) {
    fail(path, pathOf(*handle) + " is " + className(classOf(*handle)) + ", where a " +
                   className(layout) + " held by value is needed");
  }
  if (written_.count(*handle)) {
    fail(path, pathOf(*handle) + " is held by value, and already by another record");
  }
  if (elements) checkElements(*handle, *elements);
  newRecord(*handle);
}

void Encoder::newRecord(Handle handle) {
  const std::string path = pathOf(handle);
  if (++depth_ > deepestNesting)
    fail(path, "records nest deeper than " + std::to_string(deepestNesting));
  const RWClassID id = classOf(handle);
  written_[handle] = next_++;
  everWritten_.insert(handle);
  half(id);
  WritingFields fields(*this, objectAt(handle), path, id);
  layoutOf(id)(fields);
  fields.finish();
  --depth_;
}

void Encoder::levels(std::int32_t levelCount, RecordLayout body, const Json& fields,
                     const std::string& path) {
  if (levelsWritten_ || depth_ != 1) fail(path, "only the top-level scene holds levels");
  levelsWritten_ = true;
  const std::size_t given = spaces_.size() - 1;
  const std::size_t wanted = levelCount < 1 ? 0 : static_cast<std::size_t>(levelCount);
  if (given != wanted) {
    fail(path + ".levelCount", "levelCount " + std::to_string(levelCount) +
                                   " where \"levels\" holds " + std::to_string(given));
  }
  if (wanted == 0) {
    if (fields.contains("shared")) fail(path + ".shared", "a scene without levels shares nothing");
    return;
  }
  const std::size_t table = out_.size();
  for (std::size_t i = 0; i < wanted; ++i) word(0);
  if (!fields.contains("shared")) fail(path, "missing field \"shared\" of FmScene");
  member(fields["shared"], path + ".shared", RWOrdered::id, nullptr);
  const std::uint32_t mark = next_;
  for (std::size_t i = 0; i < wanted; ++i) {
    std::erase_if(written_, [mark](const auto& entry) { return entry.second >= mark; });
    next_ = mark;
    level_ = 1 + i;
    const std::uint32_t start = static_cast<std::uint32_t>(out_.size());
    for (int k = 0; k < 4; ++k)
      out_[table + 4 * i + k] = static_cast<std::uint8_t>(start >> (8 * k));
    const Json& level = text_["levels"][i];
    WritingFields bodyFields(*this, level, "levels[" + std::to_string(i) + "]", FmScene::id);
    body(bodyFields);
    bodyFields.finish();
  }
  level_ = 0;
}

void Encoder::checkFaceIndices(const Json& fields, const std::string& path) {
  const auto frame = resolve(part(fields, "currentFrame"), path + ".currentFrame");
  const auto faces = resolve(part(fields, "faces"), path + ".faces");
  if (!frame || !faces || classOf(*frame) != FmMesh::id) return;
  const Json& mesh = part(objectAt(*frame), "fields");
  if (!part(mesh, "vertexCount").is_number_integer()) return;
  const auto vertices = part(mesh, "vertexCount").get<std::int64_t>();
  const bool coloured = !part(mesh, "colours").is_null();
  const std::int64_t counts[] = {
      vertices, static_cast<std::int64_t>(part(fields, "texCoords").size() / 2),
      static_cast<std::int64_t>(part(fields, "normals").size() / 3), coloured ? vertices : 0};
  const char* const names[] = {"vertexIndex", "texCoordIndex", "normalIndex", "colourIndex"};
  const char* const what[] = {"vertex", "texture-coordinate", "normal", "colour"};
  const Json& list = part(part(objectAt(*faces), "fields"), "elements");
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto face =
        resolve(list[i], pathOf(*faces) + ".fields.elements[" + std::to_string(i) + "]");
    if (!face || classOf(*face) != FmFace::id) continue;
    const Json& corners = part(objectAt(*face), "fields");
    for (int k = 0; k < 4; ++k) {
      if (!part(corners, names[k]).is_array()) continue;
      // Texture coordinates, normals and colours are optional: -1, or none at all.
      if (k > 0 && counts[k] == 0) continue;
      const Json& indices = part(corners, names[k]);
      for (std::size_t c = 0; c < indices.size(); ++c) {
        if (!indices[c].is_number_integer()) continue;
        const auto index = indices[c].get<std::int64_t>();
        if ((k > 0 && index == -1) || (index >= 0 && index < counts[k])) continue;
        fail(pathOf(*face) + ".fields." + names[k] + "[" + std::to_string(c) + "]",
             std::string(what[k]) + " index " + std::to_string(index) +
                 (counts[k] == 0 ? std::string(" of a mesh without vertices")
                                 : " outside 0.." + std::to_string(counts[k] - 1)) +
                 " (the face of " + path.substr(0, path.rfind(".fields")) + ")");
      }
    }
  }
}

void Encoder::checkEveryObjectWritten() const {
  for (std::size_t space = 0; space < spaces_.size(); ++space) {
    for (std::size_t i = 0; i < spaces_[space].objects->size(); ++i) {
      if (!everWritten_.count({space, i})) {
        fail(pathOf({space, i}), "nothing in the file refers to this object, so it would be lost");
      }
    }
  }
}

std::vector<std::uint8_t> Encoder::encode() {
  index();
  if (text_.contains("levels") && spaces_.size() == 1 && !text_["levels"].empty()) {
    fail("levels", "levels need a top-level scene with a levelCount");
  }
  word(fileMagic);
  const Json& objects = text_["objects"];
  if (text_.contains("top")) {
    const auto top = resolve(text_["top"], "top");
    if (!top) {
      half(referenceId);
      word(0);
    } else {
      newRecord(*top);
    }
  } else {
    if (objects.empty()) fail("objects", "no objects: the top-level record is the first object");
    newRecord({0, 0});
  }
  if (spaces_.size() > 1 && !levelsWritten_) {
    fail("levels", "levels, but no scene of several levels holds them");
  }
  checkEveryObjectWritten();
  if (text_.contains("trailingBytes")) {
    const Json& trailing = text_["trailingBytes"];
    const auto bytes = trailing.is_string() ? Base64::decode(trailing.get_ref<const std::string&>())
                                            : std::nullopt;
    if (!bytes) fail("trailingBytes", "base64 text is needed");
    append(*bytes);
  }
  return std::move(out_);
}

}  // namespace

namespace SceneText {

std::vector<std::uint8_t> toBytes(const Json& text) {
  return Encoder(text).encode();
}

}  // namespace SceneText
