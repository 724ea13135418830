#include "ModelImportEntries.h"

#include <filesystem>

#include "DemoProps.h"
#include "FmScene.h"
#include "ModelAssembler.h"
#include "ModelReader.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "SceneBytes.h"

namespace {

namespace fs = std::filesystem;
using SceneText::Json;

struct ImportEntry {
  std::string at;  // the entry's JSON path
  std::string model;
  std::string name;
  std::string parent;
  FmPoint position;
  FmQuat rotation;
  FmPoint scale{1, 1, 1};
  ImportOptions options;
};

[[noreturn]] void fail(const std::string& at, const std::string& why) {
  throw SceneText::Error(at + ": " + why);
}

float numberAt(const Json& value, const std::string& at) {
  if (!value.is_number()) fail(at, "a number is needed, not " + value.dump());
  return value.get<float>();
}

std::string textAt(const Json& value, const std::string& at) {
  if (!value.is_string()) fail(at, "a string is needed, not " + value.dump());
  return value.get<std::string>();
}

std::vector<float> numbersAt(const Json& value, std::size_t count, const std::string& at) {
  if (!value.is_array() || value.size() != count) {
    fail(at, std::to_string(count) + " numbers are needed, not " + value.dump());
  }
  std::vector<float> numbers;
  for (std::size_t i = 0; i < count; ++i) {
    numbers.push_back(numberAt(value[i], at + "[" + std::to_string(i) + "]"));
  }
  return numbers;
}

FmPoint pointAt(const Json& value, const std::string& at) {
  const auto xyz = numbersAt(value, 3, at);
  return {xyz[0], xyz[1], xyz[2]};
}

ImportEntry entryOf(const Json& object, const std::string& at) {
  ImportEntry entry;
  entry.at = at;
  for (const auto& [key, value] : object.items()) {
    const std::string path = at + "." + key;
    if (key == "import") {
      entry.model = textAt(value, path);
    } else if (key == "name") {
      entry.name = textAt(value, path);
    } else if (key == "parent") {
      entry.parent = textAt(value, path);
    } else if (key == "position") {
      entry.position = pointAt(value, path);
    } else if (key == "rotation") {
      const auto xyzw = numbersAt(value, 4, path);
      entry.rotation = FmQuat(xyzw[3], xyzw[0], xyzw[1], xyzw[2]);
    } else if (key == "scale") {
      entry.scale = pointAt(value, path);
    } else if (key == "modelScale") {
      entry.options.scale = numberAt(value, path);
      if (!(entry.options.scale > 0)) fail(path, "a positive number is needed");
    } else if (key == "up") {
      const std::string up = textAt(value, path);
      if (up != "y" && up != "z") fail(path, "\"y\" or \"z\" is needed, not \"" + up + "\"");
      entry.options.up = up == "z" ? ImportOptions::Up::z : ImportOptions::Up::y;
    } else if (key == "prefix") {
      entry.options.prefix = textAt(value, path);
    } else {
      fail(path,
           "an import holds import, name, parent, position, rotation, scale, modelScale, "
           "up and prefix only");
    }
  }
  if (entry.model.empty()) fail(at + ".import", "the model file is needed");
  if (entry.name.empty()) entry.name = fs::path(entry.model).stem().string();
  return entry;
}

// Takes the import entries out of the text form's objects.
std::vector<ImportEntry> takeImports(Json& text) {
  std::vector<ImportEntry> entries;
  if (!text.is_object() || !text.contains("objects") || !text["objects"].is_array()) {
    return entries;
  }
  Json& objects = text["objects"];
  Json kept = Json::array();
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (objects[i].is_object() && objects[i].contains("import")) {
      entries.push_back(entryOf(objects[i], "objects[" + std::to_string(i) + "]"));
    } else {
      kept.push_back(std::move(objects[i]));
    }
  }
  if (!entries.empty() && text.contains("levels")) {
    fail(entries.front().at, "models are imported into files of one level only");
  }
  objects = std::move(kept);
  return entries;
}

void readScene(std::vector<std::uint8_t> bytes, FmScene& scene, const std::string& at) {
  // The record after the magic number: a scene's class identifier, or another's.
  const bool holdsScene = bytes.size() >= 6 && (bytes[4] | (bytes[5] << 8)) == FmScene::id;
  if (!holdsScene) fail(at, "models are imported into a file whose top-level record is a FmScene");
  RWBinaryFile file(std::move(bytes), "the level");
  try {
    (void)readObject(file, &scene);
  } catch (const RWxmsg& error) {
    throw SceneText::Error(std::string("the level's objects can't be read: ") + error.why());
  }
}

// The one node of the tree with the name.
FmNode* nodeNamed(FmNode& node, const std::string& name, FmNode*& found, int& count) {
  if (name == node.name().data()) {
    found = &node;
    ++count;
  }
  for (std::size_t i = 0; i < node.childCount(); ++i)
    nodeNamed(*node.childAt(i), name, found, count);
  return found;
}

FmNode* parentOf(FmScene& scene, const ImportEntry& entry) {
  if (entry.parent.empty()) return nullptr;
  FmNode* found = nullptr;
  int count = 0;
  nodeNamed(scene.worker().root(), entry.parent, found, count);
  if (count == 0) fail(entry.at + ".parent", "no node is named \"" + entry.parent + "\"");
  if (count > 1) {
    fail(entry.at + ".parent", std::to_string(count) + " nodes are named \"" + entry.parent + "\"");
  }
  return found;
}

void placeModel(FmScene& scene, const ImportEntry& entry, const fs::path& directory,
                std::ostream& err) {
  const std::string file = (directory / entry.model).string();
  ImportedModel model;
  try {
    model = readModel(file, entry.options);
  } catch (const ModelError& error) {
    fail(entry.at + ".import", file + ": " + error.what());
  }
  for (const std::string& warning : model.warnings) {
    err << "zirrow-level build: " << entry.at << " (" << entry.model << "): warning: " << warning
        << '\n';
  }
  FmNode* parent = parentOf(scene, entry);
  AssembledModel assembled = assembleModel(model);
  for (FmOpenGLTexture* texture : assembled.textures) (void)scene.addTexture(texture);
  auto* place = new FmNode(entry.name.c_str(), nullptr, FmNode::neverExpires);
  place->setController(DemoProps::placed(entry.position, entry.rotation, entry.scale));
  if (assembled.top) (void)place->appendChild(assembled.top);
  scene.worker().addNode(place, parent);
}

}  // namespace

std::vector<std::uint8_t> buildWithImports(const SceneText::Json& text, const std::string& textPath,
                                           std::ostream& err) {
  Json objects = text;
  const std::vector<ImportEntry> entries = takeImports(objects);
  std::vector<std::uint8_t> bytes = SceneText::toBytes(objects);
  if (entries.empty()) return bytes;
  FmScene scene;
  readScene(std::move(bytes), scene, entries.front().at);
  const fs::path directory = fs::path(textPath).parent_path();
  for (const ImportEntry& entry : entries) placeModel(scene, entry, directory, err);
  try {
    return sceneBytes(scene);
  } catch (const RWxmsg& error) {
    throw SceneText::Error(std::string("the level with its models can't be written: ") +
                           error.why());
  }
}
