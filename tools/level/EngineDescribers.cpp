#include <vector>

#include "FmAnimatedMesh.h"
#include "FmFace.h"
#include "FmMaterial.h"
#include "FmMesh.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmOpenGLTexture.h"
#include "ObjectDescribers.h"
#include "RWOrdered.h"

namespace {

template <class T>
const T& as(const RWCollectable& object) {
  return static_cast<const T&>(object);
}

std::vector<const RWCollectable*> elementsOf(const RWOrdered& list) {
  std::vector<const RWCollectable*> elements;
  for (std::size_t i = 0; i < list.entryCount(); ++i) elements.push_back(list[i]);
  return elements;
}

void textureFields(const FmOpenGLTexture& texture, FieldWriter& out) {
  out.text("name", texture.name().view());
  out.text("secondName", texture.secondName().view());
  out.integer("storedValue", texture.storedValue());
  out.integer("width", texture.width());
  out.integer("height", texture.height());
  out.integer("hasAlpha", texture.hasAlpha());
  out.real("keyTime", texture.keyTime());
  out.integer("pixelBytes", static_cast<long long>(texture.pixelBytes()));
}

void describeTexture(const RWCollectable& object, FieldWriter& out) {
  textureFields(as<FmOpenGLTexture>(object), out);
}

void describeAnimatedTexture(const RWCollectable& object, FieldWriter& out) {
  const auto& texture = as<FmOpenGLAnimatedTexture>(object);
  textureFields(texture, out);
  out.references("textureFrames", elementsOf(texture.textureFrames()));
  const std::int32_t storedValues[] = {texture.firstStoredValue(), texture.secondStoredValue(),
                                       texture.thirdStoredValue()};
  out.integers("storedValues", storedValues);
  out.real("frameInterval", texture.frameInterval());
}

void describeMesh(const RWCollectable& object, FieldWriter& out) {
  const auto& mesh = as<FmMesh>(object);
  out.real("time", mesh.time());
  out.integer("vertexCount", mesh.vertexCount());
  out.reals("vertices", mesh.vertices());
  const std::vector<std::int32_t> colours(mesh.colours().begin(), mesh.colours().end());
  out.integers("colours", colours);
}

void describeAnimatedMesh(const RWCollectable& object, FieldWriter& out) {
  out.references("frames", elementsOf(as<FmAnimatedMesh>(object).frames()));
}

void describeFace(const RWCollectable& object, FieldWriter& out) {
  const auto& face = as<FmFace>(object);
  out.integers("vertexIndex", face.vertexIndex());
  out.integers("texCoordIndex", face.texCoordIndex());
  out.integers("normalIndex", face.normalIndex());
  out.integers("colourIndex", face.colourIndex());
  out.integer("textureIndex", face.textureIndex());
}

void describeMaterial(const RWCollectable& object, FieldWriter& out) {
  const auto& material = as<FmMaterial>(object);
  out.reals("ambient", pointValues(material.ambient()));
  out.reals("diffuse", pointValues(material.diffuse()));
  out.reals("specular", pointValues(material.specular()));
  out.real("shininess", material.shininess());
  out.reals("emission", pointValues(material.emission()));
  out.integer("twoSided", material.twoSided());
}

constexpr DescriberEntry table[] = {
    {FmOpenGLTexture::id, describeTexture},
    {FmOpenGLAnimatedTexture::id, describeAnimatedTexture},
    {FmMesh::id, describeMesh},
    {FmAnimatedMesh::id, describeAnimatedMesh},
    {FmFace::id, describeFace},
    {FmMaterial::id, describeMaterial},
};

}  // namespace

std::span<const DescriberEntry> engineDescribers() {
  return table;
}
