#include "ExampleModel.h"

#include <cmath>

namespace {

constexpr int cells = 12;
constexpr float width = 24.0f;
constexpr float peak = 5.0f;
constexpr float spread = 5.0f;
constexpr float sandLine = 1.2f;

float heightAt(float x, float z) {
  return peak * std::exp(-(x * x + z * z) / (spread * spread)) - 0.5f;
}

FmPoint normalAt(float x, float z) {
  const float step = 0.01f;
  const float dx = (heightAt(x + step, z) - heightAt(x - step, z)) / (2 * step);
  const float dz = (heightAt(x, z + step) - heightAt(x, z - step)) / (2 * step);
  const float length = std::sqrt(dx * dx + 1 + dz * dz);
  return {-dx / length, 1 / length, -dz / length};
}

FmPoint colourAt(float height) {
  const FmPoint sand{0.85f, 0.78f, 0.55f};
  const FmPoint grass{0.25f, 0.6f, 0.2f};
  const float t = std::fmin(std::fmax((height - sandLine) / 1.5f, 0.0f), 1.0f);
  return sand * (1 - t) + grass * t;
}

}  // namespace

ImportedModel exampleIsland() {
  ModelMesh mesh;
  mesh.name = "island";
  mesh.material = 0;
  const float cell = width / cells;
  for (int row = 0; row <= cells; ++row) {
    for (int column = 0; column <= cells; ++column) {
      const float x = column * cell - width / 2;
      const float z = row * cell - width / 2;
      const float y = heightAt(x, z);
      mesh.positions.push_back({x, y, z});
      mesh.normals.push_back(normalAt(x, z));
      mesh.colours.push_back(colourAt(y));
    }
  }
  for (int row = 0; row < cells; ++row) {
    for (int column = 0; column < cells; ++column) {
      const int a = row * (cells + 1) + column;
      const int b = a + cells + 1;
      // Counter-clockwise seen from above.
      mesh.triangles.push_back({a, b, a + 1});
      mesh.triangles.push_back({a + 1, b, b + 1});
    }
  }
  ModelMaterial ground;
  ground.name = "ground";
  ground.diffuse = {1, 1, 1};
  ground.ambient = {0.6f, 0.6f, 0.6f};
  ImportedModel model;
  model.materials.push_back(ground);
  model.meshes.push_back(std::move(mesh));
  ModelNode node;
  node.name = "island";
  node.meshes = {0};
  model.nodes.push_back(node);
  return model;
}
