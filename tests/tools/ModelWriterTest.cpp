#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "ExampleModel.h"
#include "ModelReader.h"
#include "ModelWriter.h"
#include "TempFile.h"

namespace {

void expectNear(const FmPoint& a, const FmPoint& b, float tolerance, const std::string& what) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

// The model as read back holds the written mesh: the same triangles with their
// corners in the same places, with their normals and colours.
void expectSameMesh(const ImportedModel& written, const ImportedModel& read) {
  ASSERT_EQ(read.meshes.size(), written.meshes.size());
  for (std::size_t m = 0; m < written.meshes.size(); ++m) {
    const ModelMesh& a = written.meshes[m];
    const ModelMesh& b = read.meshes[m];
    // Some formats give every triangle corners of its own, so the corners are compared.
    ASSERT_EQ(b.triangles.size(), a.triangles.size());
    ASSERT_EQ(b.colours.size(), b.positions.size());
    for (std::size_t t = 0; t < a.triangles.size(); ++t) {
      for (int corner = 0; corner < 3; ++corner) {
        const auto va = static_cast<std::size_t>(a.triangles[t][corner]);
        const auto vb = static_cast<std::size_t>(b.triangles[t][corner]);
        expectNear(b.positions[vb], a.positions[va], 1e-4f, "position");
        expectNear(b.normals[vb], a.normals[va], 1e-3f, "normal");
        expectNear(b.colours[vb], a.colours[va], 1e-2f, "colour");
      }
    }
  }
}

}  // namespace

TEST(ModelWriter, AWrittenModelReadsBackAsItWasMade) {
  const ImportedModel island = exampleIsland();
  for (const char* extension : {".glb", ".gltf", ".dae"}) {
    TempFile directory("model");
    std::filesystem::create_directories(directory.path());
    const std::string path = (directory.path() / (std::string("island") + extension)).string();
    ASSERT_EQ(writeModel(island, path), "") << extension;
    const ImportedModel read = readModel(path, {});
    expectSameMesh(island, read);
    ASSERT_FALSE(read.nodes.empty());
    EXPECT_TRUE(read.warnings.empty()) << extension;
    std::filesystem::remove_all(directory.path());
  }
}

TEST(ModelWriter, TheExampleLevelsModelIsTheOneTheProjectMakes) {
  const std::filesystem::path committed =
      std::filesystem::path(ZIRROW_SOURCE_DIR) / "examples/models/island.glb";
  ASSERT_TRUE(std::filesystem::exists(committed)) << committed;
  expectSameMesh(exampleIsland(), readModel(committed.string(), {}));
}

TEST(ModelWriter, RefusesFormatsThatAssimpDoesNotWrite) {
  TempFile path("model.nomodel");
  const std::string problem = writeModel(exampleIsland(), path.path().string() + ".nomodel");
  EXPECT_NE(problem.find("no model format"), std::string::npos) << problem;
  const std::string nowhere = (path.path() / "island.glb").string();
  EXPECT_NE(writeModel(exampleIsland(), nowhere), "");
}
