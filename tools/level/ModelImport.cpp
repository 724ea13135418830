#include "ModelImport.h"

#include "FmCamera.h"
#include "FmObject.h"
#include "FmScene.h"
#include "ModelAssembler.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"

namespace {

void count(const FmNode& node, ImportSummary& summary) {
  ++summary.nodes;
  if (const auto* object = dynamic_cast<const FmObject*>(&node)) {
    ++summary.objects;
    summary.vertices += object->vertexCount();
    summary.triangles += object->faceCount();
  }
  for (std::size_t i = 0; i < node.childCount(); ++i) count(*node.childAt(i), summary);
}

}  // namespace

std::string writeModelScene(const ImportedModel& model, const std::string& path,
                            ImportSummary& summary) {
  FmScene scene;
  AssembledModel assembled = assembleModel(model);
  for (FmOpenGLTexture* texture : assembled.textures) (void)scene.addTexture(texture);
  if (!assembled.top) return "the model holds no nodes";
  FmWorker& worker = scene.worker();
  worker.addNode(assembled.top, nullptr);
  if (worker.cameras().entryCount() > 0) {
    worker.setCamera(static_cast<FmCamera*>(worker.cameras().elementAt(0)));
  }
  summary = {};
  count(*assembled.top, summary);
  summary.textures = static_cast<int>(assembled.textures.size());
  RWBinaryFile file(path.c_str(), "wb");
  if (!file.isValid()) return "can't open " + path + " for writing";
  try {
    writeObject(file, &scene);
  } catch (const RWxmsg& error) {
    return error.why();
  }
  if (file.error()) return "can't write " + path;
  return {};
}
