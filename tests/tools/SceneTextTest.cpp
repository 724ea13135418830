#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DemoWriter.h"
#include "FmCamera.h"
#include "FmFace.h"
#include "FmFlock.h"
#include "FmMaterial.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "FmScene.h"
#include "FmTransformController.h"
#include "LevelCommands.h"
#include "LevelParts.h"
#include "LevelToolRun.h"
#include "MultiLevelWriter.h"
#include "RWFactory.h"
#include "RWOrdered.h"
#include "RecordLayouts.h"
#include "SceneText.h"
#include "TempFile.h"

namespace {

namespace fs = std::filesystem;
using SceneText::Json;

std::vector<unsigned char> bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A folder in the temporary directory, removed with the object.
class TempFolder {
public:
  TempFolder() : file_("folder") { fs::create_directories(file_.path()); }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(file_.path(), ignored);
  }
  fs::path operator/(const std::string& name) const { return file_.path() / name; }
  std::vector<std::string> names() const {
    std::vector<std::string> all;
    for (const auto& entry : fs::directory_iterator(file_.path())) {
      all.push_back(entry.path().filename().string());
    }
    std::sort(all.begin(), all.end());
    return all;
  }

private:
  TempFile file_;
};

// dump --json, then build from that text: the file the build wrote, or why not.
struct RoundTrip {
  bool dumped = false;
  bool built = false;
  std::string problem;
  std::vector<unsigned char> bytes;
  std::string text;
};

RoundTrip roundTrip(const fs::path& scene, const TempFolder& folder, bool byName = false) {
  RoundTrip trip;
  std::vector<std::string> arguments = {"dump", "--json", scene.string()};
  if (byName) arguments.push_back("--names");
  const ToolRun dump = levelTool(arguments);
  trip.text = dump.out;
  if (dump.status != 0) {
    trip.problem = dump.err;
    return trip;
  }
  trip.dumped = true;
  const fs::path text = folder / "level.json";
  const fs::path built = folder / "level.zrw";
  writeText(text, dump.out);
  const ToolRun build = levelTool({"build", text.string(), "-o", built.string()});
  if (build.status != 0) {
    trip.problem = build.err;
    return trip;
  }
  trip.built = true;
  trip.bytes = bytesOf(built);
  return trip;
}

// The result of building the text: the status, what went to standard error and
// whether the output file exists afterwards.
struct BuildRun {
  int status;
  std::string err;
  bool outputExists;
};

BuildRun build(const TempFolder& folder, const Json& text) {
  const fs::path json = folder / "level.json";
  const fs::path output = folder / "out.zrw";
  writeText(json, text.dump());
  const ToolRun run = levelTool({"build", json.string(), "-o", output.string()});
  return {run.status, run.err, fs::exists(output)};
}

Json dumpOf(const fs::path& scene) {
  const ToolRun run = levelTool({"dump", "--json", scene.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  return Json::parse(run.out);
}

std::vector<fs::path> levelSeeds() {
  std::vector<fs::path> files;
  for (const char* folder : {"seeds/level-file", "regressions/scene-round-trip"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(ZIRROW_FUZZ_DIR) / folder)) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool engineReads(const fs::path& scene) {
  return levelTool({"check", scene.string()}).out == "ok\n";
}

void writeScene(const fs::path& path, const RWCollectable& top) {
  LevelParts::writeLevel(path.string(), top);
}

// A level with a keyed camera, a textured triangle with a face and a flock.
void writeTestLevel(const fs::path& path) {
  FmScene scene;
  FmWorker& worker = scene.worker();
  auto* camera = new FmCamera("eye", nullptr, -1.0f);
  camera->setController(new FmTransformController);
  camera->controller()->addPositionKey({0, 1, 2}, 0.0f);
  camera->controller()->addPositionKey({0, 1, -2}, 4.0f);
  worker.addNode(camera, nullptr);
  worker.setCamera(camera);
  auto* stone = new FmOpenGLTexture("stone");
  EXPECT_TRUE(stone->setImage(2, 1, {1, 2, 3, 4, 5, 6, 7, 8}));
  scene.addTexture(stone);
  FmObject* rock = LevelParts::triangles("rock", 1);
  rock->addTexture(stone);
  worker.addNode(rock, nullptr);
  auto* flock = new FmFlock;
  flock->setName("gulls*rock");
  EXPECT_TRUE(flock->setMemberCount(5));
  flock->setTimeLimit(30.0f);
  worker.addNode(flock, nullptr);
  scene.setDuration(8.0f);
  writeScene(path, scene);
}

// The text form of a small level built in the test, for the malformed cases.
class BuildErrors : public ::testing::Test {
protected:
  void SetUp() override {
    writeTestLevel(folder / "test.zrw");
    text = dumpOf(folder / "test.zrw");
  }

  // The index in "objects" of the first object of the class.
  std::size_t first(const std::string& className) const {
    const Json& objects = text["objects"];
    for (std::size_t i = 0; i < objects.size(); ++i) {
      if (objects[i]["class"] == className) return i;
    }
    ADD_FAILURE() << "no " << className;
    return 0;
  }
  Json& fieldsOf(const std::string& className) {
    return text["objects"][first(className)]["fields"];
  }

  // The build is refused with the path and the reason, and writes nothing.
  void expectRefused(const std::string& pathAndReason) {
    const BuildRun run = build(folder, text);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(": " + pathAndReason), std::string::npos) << run.err;
    EXPECT_EQ(run.err.rfind("zirrow-level build: ", 0), 0u) << run.err;
    EXPECT_FALSE(run.outputExists);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"level.json", "test.zrw"}));
  }

  TempFolder folder;
  Json text;
};

}  // namespace

// ---- round trips ---------------------------------------------------------------

TEST(SceneTextRoundTrip, TheDemoComesBackByteForByte) {
  TempFolder folder;
  ASSERT_EQ(DemoWriter::write((folder / "demo").string()), "");
  const fs::path demo = folder / "demo" / DemoWriter::sceneFileName;
  const RoundTrip trip = roundTrip(demo, folder);
  ASSERT_TRUE(trip.built) << trip.problem;
  EXPECT_TRUE(trip.bytes == bytesOf(demo));
  // Both levels and the shared textures are in the text.
  const Json text = Json::parse(trip.text);
  ASSERT_EQ(text["levels"].size(), 2u);
  EXPECT_EQ(text["objects"][0]["class"], "FmScene");
  EXPECT_EQ(text["objects"][0]["fields"]["levelCount"], 2);
  EXPECT_FALSE(text["levels"][1]["objects"].empty());
}

TEST(SceneTextRoundTrip, EverySeedThatTheEngineReadsComesBackByteForByte) {
  TempFolder folder;
  std::size_t exact = 0;
  for (const fs::path& seed : levelSeeds()) {
    const RoundTrip trip = roundTrip(seed, folder);
    if (!engineReads(seed)) {
      // A file the engine refuses has no text form: the dump says where and why.
      if (!trip.dumped) {
        EXPECT_NE(trip.problem.find("offset "), std::string::npos) << seed << trip.problem;
        continue;
      }
    }
    ASSERT_TRUE(trip.built) << seed << ": " << trip.problem;
    EXPECT_TRUE(trip.bytes == bytesOf(seed)) << seed;
    ++exact;
  }
  EXPECT_GE(exact, 78u);
}

TEST(SceneTextRoundTrip, TestLevelsAndLevelsOfSeveralPartsComeBackByteForByte) {
  TempFolder folder;
  writeTestLevel(folder / "test.zrw");
  RoundTrip trip = roundTrip(folder / "test.zrw", folder);
  ASSERT_TRUE(trip.built) << trip.problem;
  EXPECT_TRUE(trip.bytes == bytesOf(folder / "test.zrw"));

  RWOrdered shared;
  auto* sky = new FmOpenGLTexture("sky");
  ASSERT_TRUE(sky->setImage(1, 1, {9, 8, 7, 6}));
  shared.append(sky);
  FmScene first, second, third;
  FmObject* seen = LevelParts::triangles("seen", 1);
  seen->addTexture(sky);
  first.worker().addNode(seen, nullptr);
  second.worker().addNode(LevelParts::triangles("plain", 1), nullptr);
  third.worker().addNode(new FmCamera("look", nullptr, -1.0f), nullptr);
  MultiLevelWriter writer(shared);
  writer.addLevel(first);
  writer.addLevel(second);
  writer.addLevel(third);
  ASSERT_TRUE(writer.write((folder / "three.zrw").string()));
  shared.clearAndDestroy();
  trip = roundTrip(folder / "three.zrw", folder);
  ASSERT_TRUE(trip.built) << trip.problem;
  EXPECT_TRUE(trip.bytes == bytesOf(folder / "three.zrw"));
  // Each level is numbered after the shared objects: the numbers repeat.
  const Json text = Json::parse(trip.text);
  EXPECT_EQ(text["levels"][0]["objects"][0]["number"], text["levels"][1]["objects"][0]["number"]);
}

TEST(SceneTextRoundTrip, DumpedByNameTheFilesComeBackByteForByte) {
  TempFolder folder;
  writeTestLevel(folder / "test.zrw");
  RoundTrip trip = roundTrip(folder / "test.zrw", folder, true);
  ASSERT_TRUE(trip.built) << trip.problem;
  EXPECT_TRUE(trip.bytes == bytesOf(folder / "test.zrw"));
  const Json text = Json::parse(trip.text);
  std::map<std::string, Json> byClass;
  for (const Json& object : text["objects"]) byClass.emplace(object["class"], object);
  // The worker refers to its camera and the root to its children by their names;
  // named objects go without numbers, the others keep theirs.
  EXPECT_EQ(byClass["FmWorker"]["fields"]["camera"], "eye");
  EXPECT_FALSE(byClass["FmCamera"].contains("number"));
  EXPECT_FALSE(byClass["FmObject"].contains("number"));
  EXPECT_TRUE(byClass["FmObject"]["fields"]["faces"].is_number());
  EXPECT_TRUE(byClass["FmScene"].contains("number"));
  std::set<Json> rootChildren;
  for (const Json& object : text["objects"]) {
    if (object["class"] == "RWOrdered" && object["fields"]["elements"].size() == 3) {
      rootChildren.insert(object["fields"]["elements"].begin(), object["fields"]["elements"].end());
    }
  }
  EXPECT_EQ(rootChildren, (std::set<Json>{"eye", "rock", "gulls*rock"}));

  // Two objects of one name are referred to by number.
  FmScene twins;
  twins.worker().addNode(LevelParts::triangles("twin", 1), nullptr);
  twins.worker().addNode(LevelParts::triangles("twin", 1), nullptr);
  writeScene(folder / "twins.zrw", twins);
  trip = roundTrip(folder / "twins.zrw", folder, true);
  ASSERT_TRUE(trip.built) << trip.problem;
  EXPECT_TRUE(trip.bytes == bytesOf(folder / "twins.zrw"));
  const Json twinsText = Json::parse(trip.text);
  for (const Json& object : twinsText["objects"]) {
    EXPECT_TRUE(object.contains("number")) << object.dump().substr(0, 80);
  }

  // A file of several levels keeps every number.
  ASSERT_EQ(DemoWriter::write((folder / "demo").string()), "");
  const fs::path demo = folder / "demo" / DemoWriter::sceneFileName;
  trip = roundTrip(demo, folder, true);
  ASSERT_TRUE(trip.built) << trip.problem;
  EXPECT_TRUE(trip.bytes == bytesOf(demo));
  EXPECT_EQ(trip.text, roundTrip(demo, folder).text);

  std::size_t exact = 0;
  for (const fs::path& seed : levelSeeds()) {
    trip = roundTrip(seed, folder, true);
    if (!trip.dumped) continue;
    ASSERT_TRUE(trip.built) << seed << ": " << trip.problem;
    EXPECT_TRUE(trip.bytes == bytesOf(seed)) << seed;
    ++exact;
  }
  EXPECT_GE(exact, 78u);
  EXPECT_EQ(levelTool({"dump", "--names", (folder / "test.zrw").string()}).status, 2);
}

TEST(SceneTextRoundTrip, OddValuesSurvive) {
  TempFolder folder;
  // NaN, an infinity, negative zero, a name that is not UTF-8, bytes after the record.
  FmNode odd("\xFF\xFEodd", nullptr, -0.0f);
  FmMaterial material;
  material.setShininess(std::numeric_limits<float>::quiet_NaN());
  material.setAmbient({std::numeric_limits<float>::infinity(), 0.1f, 1e-30f});
  RWOrdered top;
  top.append(&odd);
  top.append(&material);
  top.append(nullptr);
  writeScene(folder / "odd.zrw", top);
  { std::ofstream(folder / "odd.zrw", std::ios::binary | std::ios::app) << "tail"; }
  const RoundTrip trip = roundTrip(folder / "odd.zrw", folder);
  ASSERT_TRUE(trip.built) << trip.problem;
  EXPECT_TRUE(trip.bytes == bytesOf(folder / "odd.zrw"));
  const Json text = Json::parse(trip.text);
  EXPECT_EQ(text["trailingBytes"], "dGFpbA==");
  EXPECT_EQ(text["objects"][1]["fields"]["name"]["base64"], "//5vZGQ=");
  EXPECT_EQ(text["objects"][3]["fields"]["shininess"], "0x7FC00000");
  EXPECT_EQ(text["objects"][3]["fields"]["ambient"][1].dump(), "0.1");
}

TEST(SceneTextRoundTrip, NilAtTheTopAndAFileThatIsNoSceneFile) {
  TempFolder folder;
  TempFile nil("nil");
  nil.write({0x88, 0x88, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0});
  const RoundTrip trip = roundTrip(nil.path(), folder);
  ASSERT_TRUE(trip.built) << trip.problem;
  EXPECT_TRUE(trip.bytes == nil.bytes());
  EXPECT_EQ(Json::parse(trip.text)["top"], nullptr);

  TempFile magic("magic");
  magic.write({1, 0, 0, 0});
  const ToolRun run = levelTool({"dump", "--json", magic.c_str()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("offset 0: [MAGIC] Bad magic number: 1 (should be 34952)"),
            std::string::npos)
      << run.err;
  const ToolRun missing = levelTool({"dump", "--json", (folder / "none.zrw").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("none.zrw: cannot open"), std::string::npos) << missing.err;
}

// ---- designers' text -----------------------------------------------------------

TEST(SceneTextDesigners, ObjectsWithoutNumbersAndReferencesByNameBuild) {
  TempFolder folder;
  writeTestLevel(folder / "test.zrw");
  const std::vector<unsigned char> original = bytesOf(folder / "test.zrw");
  // The worker names its camera, the only object called "eye".
  Json renamed = dumpOf(folder / "test.zrw");
  Json& worker = renamed["objects"][1];
  ASSERT_EQ(worker["class"], "FmWorker");
  worker["fields"]["camera"] = "eye";
  const fs::path json = folder / "named.json";
  writeText(json, renamed.dump());
  const ToolRun run = levelTool({"build", json.string(), "-o", (folder / "named.zrw").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(bytesOf(folder / "named.zrw") == original);
  EXPECT_EQ(levelTool({"check", (folder / "named.zrw").string()}).out, "ok\n");
}

TEST(SceneTextDesigners, AHandWrittenLevelBuildsWithoutNumbersAndPlaysTheCheck) {
  TempFolder folder;
  const Json text = Json::parse(R"({
    "objects": [
      {"class": "FmScene", "fields": {"levelCount": 1, "worker": "w", "textures": "tex",
        "fogs": "fogs", "ambient": [0.2, 0.2, 0.2], "auxiliaryNode": null, "duration": 0}},
      {"class": "FmWorker", "number": 50, "fields": {"root": "root", "objects": 60,
        "alphaObjects": 61, "blendObjects": 62, "cameras": 63, "lights": 64, "flocks": 65,
        "templates": 66, "camera": "eye", "flightController": null, "pointB": [0, 0, 0],
        "pointA": [0, 0, 0], "projectileTemplate": null, "background": null, "auxNode": null,
        "timerBar": null}},
      {"class": "FmNode", "fields": {"name": "root", "controller": null, "parent": null,
        "flags": 1, "children": 70, "expiryTime": -1}},
      {"class": "RWOrdered", "number": 70, "fields": {"elements": ["eye"]}},
      {"class": "FmCamera", "fields": {"FmNode": {"fields": {"name": "eye", "controller": null,
        "parent": "root", "flags": 1, "children": 71, "expiryTime": -1}},
        "fieldOfView": 60, "nearClip": 1, "farClip": 1000}},
      {"class": "RWOrdered", "number": 71, "fields": {"elements": []}},
      {"class": "RWOrdered", "number": 60, "fields": {"elements": []}},
      {"class": "RWOrdered", "number": 61, "fields": {"elements": []}},
      {"class": "RWOrdered", "number": 62, "fields": {"elements": []}},
      {"class": "RWOrdered", "number": 63, "fields": {"elements": ["eye"]}},
      {"class": "RWOrdered", "number": 64, "fields": {"elements": []}},
      {"class": "RWOrdered", "number": 65, "fields": {"elements": []}},
      {"class": "RWOrdered", "number": 66, "fields": {"elements": []}},
      {"class": "RWOrdered", "number": 80, "fields": {"elements": []}},
      {"class": "RWOrdered", "number": 81, "fields": {"elements": []}}
    ]})");
  Json named = text;
  // The scene's lists are named by number too.
  named["objects"][0]["fields"]["worker"] = 50;
  named["objects"][0]["fields"]["textures"] = 80;
  named["objects"][0]["fields"]["fogs"] = 81;
  const BuildRun run = build(folder, named);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(levelTool({"check", (folder / "out.zrw").string()}).out, "ok\n");
  // The tool numbered the objects itself, in the order the file holds them.
  const Json back = dumpOf(folder / "out.zrw");
  EXPECT_EQ(back["objects"][1]["class"], "FmWorker");
  EXPECT_EQ(back["objects"][1]["number"], 2);
  EXPECT_EQ(back["objects"][1]["fields"]["camera"], 5);
  EXPECT_EQ(back["objects"][4]["class"], "FmCamera");
  EXPECT_EQ(back["objects"][4]["version"], FmCamera::storedVersion);
}

// ---- refused text ----------------------------------------------------------------

TEST_F(BuildErrors, AnUnknownClassOrFieldIsNamed) {
  text["objects"][first("FmFace")]["class"] = "FmTeapot";
  expectRefused("objects[" + std::to_string(first("FmTeapot")) +
                "].class: unknown class 'FmTeapot'");
}

TEST_F(BuildErrors, AFieldTheClassDoesNotStore) {
  fieldsOf("FmMesh")["shine"] = 1;
  expectRefused("objects[" + std::to_string(first("FmMesh")) +
                "].fields.shine: not a stored field of FmMesh version 101");
}

TEST_F(BuildErrors, AMissingFieldAndAValueOfTheWrongType) {
  fieldsOf("FmCamera").erase("nearClip");
  expectRefused("objects[" + std::to_string(first("FmCamera")) +
                "].fields: missing field \"nearClip\" of FmCamera");
  text = dumpOf(folder / "test.zrw");
  fieldsOf("FmCamera")["farClip"] = "far";
  expectRefused("objects[" + std::to_string(first("FmCamera")) + "].fields.farClip: a number");
  text = dumpOf(folder / "test.zrw");
  fieldsOf("FmFlock")["memberCount"] = 2.5;
  expectRefused("objects[" + std::to_string(first("FmFlock")) +
                "].fields.memberCount: a signed 32-bit whole number is needed, not 2.5");
}

TEST_F(BuildErrors, ADanglingReference) {
  fieldsOf("FmObject")["material"] = 999;
  expectRefused("objects[" + std::to_string(first("FmObject")) +
                "].fields.material: no object numbered 999");
  text = dumpOf(folder / "test.zrw");
  fieldsOf("FmObject")["material"] = "gold";
  expectRefused("objects[" + std::to_string(first("FmObject")) +
                "].fields.material: no object named 'gold'");
}

TEST_F(BuildErrors, AReferenceToAnObjectOfTheWrongClass) {
  const Json mesh = text["objects"][first("FmMesh")]["number"];
  fieldsOf("FmObject")["material"] = mesh;
  expectRefused("objects[" + std::to_string(first("FmObject")) + "].fields.material: objects[" +
                std::to_string(first("FmMesh")) + "] is FmMesh, where FmMaterial is needed");
  // A list that must hold faces holding a mesh.
  text = dumpOf(folder / "test.zrw");
  const std::size_t faces = first("FmFace") - 1;
  ASSERT_EQ(text["objects"][faces]["class"], "RWOrdered");
  text["objects"][faces]["fields"]["elements"][0] = mesh;
  expectRefused("objects[" + std::to_string(faces) + "].fields.elements[0]: objects[" +
                std::to_string(first("FmMesh")) + "] is FmMesh, where this list holds FmFace");
}

TEST_F(BuildErrors, CountsThatDisagree) {
  fieldsOf("FmMesh")["vertexCount"] = 4;
  expectRefused("objects[" + std::to_string(first("FmMesh")) +
                "].fields.vertices: 9 values where 12 are needed");
  text = dumpOf(folder / "test.zrw");
  fieldsOf("FmOpenGLTexture")["width"] = 3;
  expectRefused("objects[" + std::to_string(first("FmOpenGLTexture")) +
                "].fields.dataSize: data size 8 is not width 3 x 4 x height 1");
  text = dumpOf(folder / "test.zrw");
  fieldsOf("FmOpenGLTexture")["pixels"] = "AAAA";
  expectRefused("objects[" + std::to_string(first("FmOpenGLTexture")) +
                "].fields.pixels: 3 bytes where the fields before need 6");
  text = dumpOf(folder / "test.zrw");
  fieldsOf("FmScene")["levelCount"] = 2;
  expectRefused("objects[0].fields.levelCount: levelCount 2 where \"levels\" holds 0");
}

TEST_F(BuildErrors, AFaceIndexOutsideTheMesh) {
  text["objects"][first("FmFace")]["fields"]["vertexIndex"][1] = 9;
  expectRefused("objects[" + std::to_string(first("FmFace")) +
                "].fields.vertexIndex[1]: vertex index 9 outside 0..2 (the face of objects[" +
                std::to_string(first("FmObject")) + "])");
}

TEST_F(BuildErrors, AMemberHeldTwiceAndAnObjectNothingRefersTo) {
  const Json children = fieldsOf("FmObject")["FmNode"]["fields"]["children"];
  fieldsOf("FmCamera")["FmNode"]["fields"]["children"] = children;
  std::size_t list = 0;
  while (text["objects"][list]["number"] != children) ++list;
  const std::size_t later = std::max(first("FmCamera"), first("FmObject"));
  expectRefused("objects[" + std::to_string(later) + "].fields.FmNode.fields.children: objects[" +
                std::to_string(list) + "] is held by value, and already by another record");
  text = dumpOf(folder / "test.zrw");
  text["objects"].push_back({{"class", "FmMaterial"}, {"fields", Json::object()}});
  expectRefused("objects[" + std::to_string(text["objects"].size() - 1) +
                "]: nothing in the file refers to this object");
}

TEST_F(BuildErrors, TextThatIsNotJsonAndAFailedBuildKeepsTheOldFile) {
  const fs::path json = folder / "level.json";
  const fs::path output = folder / "test.zrw";
  const std::vector<unsigned char> before = bytesOf(output);
  writeText(json, "{\"objects\": [}");
  const ToolRun run = levelTool({"build", json.string(), "-o", output.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("level.json: not JSON: parse error at line 1, column 14"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(bytesOf(output) == before);
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"level.json", "test.zrw"}));
  // The same for a text with an error in it.
  fieldsOf("FmCamera")["fieldOfView"] = nullptr;
  writeText(json, text.dump());
  EXPECT_EQ(levelTool({"build", json.string(), "-o", output.string()}).status, 1);
  EXPECT_TRUE(bytesOf(output) == before);
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"level.json", "test.zrw"}));
}

TEST(SceneTextUsage, BuildNeedsItsOutputAndHasHelp) {
  const ToolRun help = levelTool({"build", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: zirrow-level build", 0), 0u) << help.out;
  const ToolRun noOutput = levelTool({"build", "level.json"});
  EXPECT_EQ(noOutput.status, 2);
  EXPECT_NE(noOutput.err.find("--output is required"), std::string::npos) << noOutput.err;
  const ToolRun both = levelTool({"dump", "--json", "--level", "2", "x.zrw"});
  EXPECT_EQ(both.status, 2);
  EXPECT_NE(both.err.find("--json excludes --level"), std::string::npos) << both.err;
}

// ---- the layouts and the schema ------------------------------------------------

namespace {

// Collects the field names that a layout visits, for one version of its record.
class FieldNames : public RecordFields {
public:
  explicit FieldNames(std::uint32_t version) : version_(version) {}
  std::set<std::string> names;

  std::uint32_t version(std::uint32_t) override { return version_; }
  std::int32_t int32(const char* name) override {
    add(name);
    return std::string(name) == "levelCount" ? 2 : 1;
  }
  std::uint32_t uint32(const char* name) override {
    add(name);
    return std::string(name) == "dataSize" ? 4 : 1;
  }
  float real(const char* name) override { return add(name), 0.0f; }
  void reals(const char* name, std::size_t) override { add(name); }
  void integers(const char* name, std::size_t) override { add(name); }
  void countedReals(const char* name, std::size_t) override { add(name); }
  void bytes(const char* name, std::size_t, bool) override { add(name); }
  void text(const char* name) override { add(name); }
  void reference(const char* name, const ClassKind&, const ClassKind*) override { add(name); }
  void member(const char* name, RWClassID, const ClassKind*) override { add(name); }
  void inPlace(const char* name, RWClassID) override { add(name); }
  void elements(const ClassKind&) override { add("elements"); }
  void levels(std::int32_t, RecordLayout body) override {
    add("shared");
    FieldNames level(version_);
    body(level);
    names.insert(level.names.begin(), level.names.end());
  }
  [[noreturn]] void refuse(const char*, const std::string& why) override {
    throw std::logic_error(why);
  }
  void checkFaceIndices() override {}

private:
  void add(const char* name) { names.insert(name); }
  std::uint32_t version_;
};

Json schema() {
  std::ifstream in(fs::path(ZIRROW_DOCS_DIR) / "scene-text.schema.json");
  return Json::parse(in);
}

}  // namespace

TEST(SceneTextSchema, EveryRegisteredClassHasALayoutAndTheSchemaNamesItsFields) {
  std::set<RWClassID> laidOut;
  for (const RWClassID id : classesWithLayouts()) laidOut.insert(id);
  for (unsigned id = 1; id < 0x9000; ++id) {
    const auto classId = static_cast<RWClassID>(id);
    if (stringIdOf(classId) == "NoID" || classId == 0x8062 || classId == 0x8063) continue;
    EXPECT_TRUE(laidOut.count(classId)) << stringIdOf(classId).data() << " has no layout";
  }
  const Json defs = schema()["$defs"];
  for (const RWClassID id : classesWithLayouts()) {
    const std::string name = stringIdOf(id).data();
    const std::string key = "fields" + name;
    ASSERT_TRUE(defs.contains(key)) << name;
    std::set<std::string> documented;
    for (const auto& [field, value] : defs[key]["properties"].items()) documented.insert(field);
    std::set<std::string> visited;
    for (std::uint32_t version = 100; version <= 111; ++version) {
      FieldNames names(version);
      layoutOf(id)(names);
      visited.insert(names.names.begin(), names.names.end());
    }
    EXPECT_EQ(visited, documented) << name;
  }
}

// ---- damaged files -------------------------------------------------------------

namespace {

// What the text form makes of damaged bytes: a refusal naming where and why, or a
// text that builds the same bytes again (or is refused, naming the path).
void expectSoundHandling(const std::vector<std::uint8_t>& bytes, const std::string& what) {
  Json text;
  try {
    text = SceneText::fromBytes(bytes);
  } catch (const SceneText::Error& error) {
    EXPECT_EQ(std::string(error.what()).rfind("offset ", 0), 0u) << what << ": " << error.what();
    return;
  }
  try {
    EXPECT_TRUE(SceneText::toBytes(text) == bytes) << what;
  } catch (const SceneText::Error& error) {
    const std::string why = error.what();
    EXPECT_TRUE(why.rfind("objects", 0) == 0 || why.rfind("levels", 0) == 0) << what << ": " << why;
  }
}

}  // namespace

TEST(SceneTextDamagedFiles, EveryCutAndChangedByteIsRefusedOrComesBackTheSame) {
  std::mt19937 random(16);
  for (const fs::path& seed : levelSeeds()) {
    const std::vector<std::uint8_t> bytes = bytesOf(seed);
    if (bytes.size() <= 2048) {
      for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        std::vector<std::uint8_t> prefix = bytes;
        prefix.resize(cut);
        expectSoundHandling(prefix, seed.filename().string() + " cut at " + std::to_string(cut));
      }
    }
    for (int change = 0; change < 64 && !bytes.empty(); ++change) {
      std::vector<std::uint8_t> changed = bytes;
      const std::size_t at = random() % changed.size();
      changed[at] = static_cast<std::uint8_t>(random());
      expectSoundHandling(changed, seed.filename().string() + " byte " + std::to_string(at));
    }
  }
}
