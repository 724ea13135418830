#include "LargeLevel.h"

#include <cmath>
#include <vector>

#include "DemoMeshes.h"
#include "DemoProps.h"
#include "FmOpenGLTexture.h"
#include "FmScene.h"
#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"

namespace {

constexpr float tileSize = 40.0f;
constexpr float tileRepeat = 10.0f;

// A cheap pattern that still changes from pixel to pixel, so that nothing compresses.
FmOpenGLTexture* patternTexture(int index, int side) {
  auto* texture = new FmOpenGLTexture(("tile" + std::to_string(index)).c_str());
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side) * side *
                                   FmOpenGLTexture::bytesPerPixel);
  std::uint32_t state = 2654435761u * static_cast<std::uint32_t>(index + 1);
  for (std::uint8_t& byte : pixels) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  (void)texture->setImage(side, side, std::move(pixels));
  texture->setHasAlpha(index % 2);
  return texture;
}

FmObject* tileObject(int index, int cells, FmOpenGLTexture* texture) {
  const float phase = static_cast<float>(index);
  const MeshBuilder mesh =
      DemoMeshes::heightField(tileSize, cells, tileRepeat, [phase](float x, float z) {
        return 3.0f * std::sin(x * 0.2f + phase) * std::cos(z * 0.15f - phase);
      });
  const DemoProps::Look look{DemoProps::material({0.8f, 0.8f, 0.8f}), texture};
  FmObject* object = DemoProps::stillObject("tile" + std::to_string(index), mesh, look);
  const int row = index % 16;
  const int column = index / 16;
  object->setController(DemoProps::placed({row * tileSize, 0, -column * tileSize}));
  return object;
}

}  // namespace

bool LargeLevel::write(const std::string& path, const Size& size) {
  FmScene scene;
  std::vector<FmOpenGLTexture*> textures;
  for (int i = 0; i < size.textures; ++i) {
    textures.push_back(patternTexture(i, size.textureSide));
    scene.addTexture(textures.back());
  }
  for (int i = 0; i < size.objects; ++i) {
    FmOpenGLTexture* texture = textures.empty() ? nullptr : textures[i % textures.size()];
    scene.worker().addNode(tileObject(i, size.cellsPerSide, texture), nullptr);
  }
  RWBinaryFile file(path.c_str(), "wb");
  if (!file.isValid()) return false;
  writeObject(file, &scene);
  return file.flush() && !file.error();
}
