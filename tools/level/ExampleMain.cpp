#include <filesystem>
#include <iostream>
#include <system_error>

#include "ExampleLevel.h"
#include "ExampleModel.h"
#include "ModelReader.h"
#include "ModelWriter.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"

namespace {

int fail(const std::string& problem) {
  std::cerr << "zirrow-example: " << problem << '\n';
  return 1;
}

}  // namespace

// Writes the example level's island model as DIR/models/island.glb and the level
// made with it as the scene file DIR/example.zrw.
int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: zirrow-example DIR\n";
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  std::error_code error;
  std::filesystem::create_directories(directory / "models", error);
  if (error) return fail("can't make " + (directory / "models").string() + ": " + error.message());
  const std::string model = (directory / "models/island.glb").string();
  if (const std::string problem = writeModel(exampleIsland(), model); !problem.empty()) {
    return fail(problem);
  }
  const std::string level = (directory / "example.zrw").string();
  try {
    const auto scene = buildExampleLevel(readModel(model, {}));
    RWBinaryFile file(level.c_str(), "wb");
    if (!file.isValid()) return fail("can't open " + level + " for writing");
    writeObject(file, scene.get());
    if (file.error()) return fail("can't write " + level);
  } catch (const ModelError& problem) {
    return fail(model + ": " + problem.what());
  } catch (const RWxmsg& problem) {
    return fail(level + ": " + problem.why());
  }
  return 0;
}
