// Drawing on the offscreen context at 800x600: a lit, textured field of many
// triangles through the engine's display list against a vertex buffer draw of the
// same triangles, and a morphing field drawn in immediate mode against client
// arrays of the same vertices. Each frame is cleared, drawn, presented and finished.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <iostream>
#include <memory>
#include <vector>

#include "BenchProgram.h"
#include "DemoMeshes.h"
#include "DemoProps.h"
#include "FmCamera.h"
#include "FmFace.h"
#include "FmGLEngine.h"
#include "FmLight.h"
#include "GlBinding.h"
#include "OffscreenGlContext.h"
#include "ResidentGlDriver.h"
#include "SteppedClock.h"
#include "VertexBufferCalls.h"

namespace {

constexpr int viewWidth = 800;
constexpr int viewHeight = 600;
constexpr int trueColour = 32;
constexpr float fieldSize = 80.0f;
constexpr int textureSide = 256;
// x, y, z, then the normal, then s, t: one corner of a triangle.
constexpr int floatsPerCorner = 8;
constexpr GLsizei cornerStride = floatsPerCorner * sizeof(float);

VertexBufferCalls vertexBuffers;

FmOpenGLTexture* patternTexture() {
  auto* texture = new FmOpenGLTexture("field");
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(textureSide) * textureSide * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 9));
  }
  (void)texture->setImage(textureSide, textureSide, std::move(pixels));
  return texture;
}

MeshBuilder field(int cells, float phase) {
  return DemoMeshes::heightField(fieldSize, cells, 10.0f, [phase](float x, float z) {
    return 4.0f * std::sin(x * 0.15f + phase) * std::cos(z * 0.1f);
  });
}

// The engine with a camera above a field, one light, and the field: a still
// object (drawn from its display list) or a morphing one (drawn directly).
class FieldScene {
public:
  FieldScene(int cells, bool morphing) : engine_(clock_, clock_) {
    FmWorker& worker = engine_.scene().worker();
    auto* camera = new FmCamera("eye", nullptr, FmNode::neverExpires);
    camera->setFieldOfView(60);
    camera->setNearClip(1);
    camera->setFarClip(500);
    camera->setController(DemoProps::placed({0, 40, 50}, DemoProps::heading(0, -40)));
    worker.addNode(camera, nullptr);
    worker.setCamera(camera);
    auto* light = new FmLight("sun", nullptr, FmNode::neverExpires);
    light->setLightType(FmLight::atInfinity);
    light->setController(DemoProps::placed({0, 100, 0}, DemoProps::heading(30, -50)));
    light->colourTrack().setValue({1, 1, 1});
    worker.addNode(light, nullptr);
    FmOpenGLTexture* texture = patternTexture();
    engine_.scene().addTexture(texture);
    const DemoProps::Look look{DemoProps::material({0.8f, 0.8f, 0.8f}), texture};
    object_ = morphing
                  ? DemoProps::morphingObject(
                        "field", {{{field(cells, 0.0f), field(cells, 1.0f)}, {0.0f, 2.0f}}}, look)
                  : DemoProps::stillObject("field", field(cells, 0.0f), look);
    worker.addNode(object_, nullptr);
    engine_.start(viewWidth, viewHeight);
    clock_.setSeconds(0.5);
    engine_.currentTime();
    engine_.frame(0, 0, 0, 0, 0, 0);
  }
  ~FieldScene() { engine_.releaseResources(); }
  FieldScene(const FieldScene&) = delete;
  FieldScene& operator=(const FieldScene&) = delete;

  FmGLEngine& engine() { return engine_; }
  const FmObject& object() const { return *object_; }

  // Every corner of every usable face, as the engine draws them.
  std::vector<float> corners() const {
    std::vector<float> values;
    const auto positions = object_->positions();
    const auto normals = object_->normals();
    const auto texCoords = object_->texCoords();
    for (int i = 0; i < object_->faceCount(); ++i) {
      const FmFace* face = object_->faceAt(i);
      if (!face || !object_->isUsable(*face)) continue;
      for (int corner = 0; corner < 3; ++corner) {
        const auto v = static_cast<std::size_t>(face->vertexIndex()[corner]) * 3;
        const auto n = static_cast<std::size_t>(face->normalIndex()[corner]) * 3;
        const auto t = static_cast<std::size_t>(face->texCoordIndex()[corner]) * 2;
        values.insert(values.end(),
                      {positions[v], positions[v + 1], positions[v + 2], normals[n], normals[n + 1],
                       normals[n + 2], texCoords[t], texCoords[t + 1]});
      }
    }
    return values;
  }

  // A frame as the engine draws it, with `drawTriangles` in place of the object.
  void drawInstead(const std::function<void()>& drawTriangles) {
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.glPushMatrix();
    FmMatrix view;
    engine_.scene().worker().currentCameraController()->getInverseMatrix(view);
    gl.glLoadMatrixf(view.data());
    gl.glEnable(GL_TEXTURE_2D);
    static constexpr GLfloat fromAbove[4] = {0, 1, 0, 0};
    gl.glLightfv(GL_LIGHT0, GL_POSITION, fromAbove);
    gl.glPushMatrix();
    if (const auto* controller = object_->controller())
      gl.glMultMatrixf(controller->matrix().data());
    gl.glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(object_->textureNameAt(0.5f, 0)));
    applyMaterial();
    gl.glColor3f(1, 1, 1);
    drawTriangles();
    gl.glPopMatrix();
    gl.glDisable(GL_TEXTURE_2D);
    gl.glPopMatrix();
    swapBuffers();
    gl.glFinish();
  }

private:
  void applyMaterial() {
    const FmMaterial& material = *object_->material();
    for (const auto& [property, colour] : {std::pair{GL_AMBIENT, material.ambient()},
                                           {GL_DIFFUSE, material.diffuse()},
                                           {GL_SPECULAR, material.specular()},
                                           {GL_EMISSION, material.emission()}}) {
      const GLfloat value[4] = {colour.x, colour.y, colour.z, 1.0f};
      gl.glMaterialfv(GL_FRONT, static_cast<GLenum>(property), value);
    }
    gl.glMaterialf(GL_FRONT, GL_SHININESS, material.shininess());
  }

  SteppedClock clock_;
  FmGLEngine engine_;
  FmObject* object_ = nullptr;
};

// The arrays start at the address, or at that offset into the bound buffer.
void pointArrays(std::uintptr_t start) {
  const auto at = [start](std::size_t floats) {
    return reinterpret_cast<const void*>(start + floats * sizeof(float));
  };
  gl.glEnableClientState(GL_VERTEX_ARRAY);
  gl.glEnableClientState(GL_NORMAL_ARRAY);
  gl.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  gl.glVertexPointer(3, GL_FLOAT, cornerStride, at(0));
  gl.glNormalPointer(GL_FLOAT, cornerStride, at(3));
  gl.glTexCoordPointer(2, GL_FLOAT, cornerStride, at(6));
}

void releaseArrays() {
  gl.glDisableClientState(GL_VERTEX_ARRAY);
  gl.glDisableClientState(GL_NORMAL_ARRAY);
  gl.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void engineFrames(benchmark::State& state, int cells, bool morphing) {
  FieldScene scene(cells, morphing);
  if (scene.engine().triangleCount() != scene.object().faceCount()) {
    state.SkipWithError("the field is not in view");
    return;
  }
  if (morphing == (scene.object().displayList() != FmObject::noDisplayList)) {
    state.SkipWithError("the field is not drawn the way the benchmark means");
    return;
  }
  for (auto _ : state) {
    scene.engine().drawFrame();
    gl.glFinish();
  }
  state.counters["triangles"] = scene.engine().triangleCount();
}

void vertexBufferFrames(benchmark::State& state, int cells) {
  FieldScene scene(cells, false);
  const std::vector<float> corners = scene.corners();
  const auto count = static_cast<GLsizei>(corners.size() / floatsPerCorner);
  GLuint buffer = 0;
  vertexBuffers.glGenBuffers(1, &buffer);
  vertexBuffers.glBindBuffer(GL_ARRAY_BUFFER, buffer);
  vertexBuffers.glBufferData(GL_ARRAY_BUFFER,
                             static_cast<GLsizeiptr>(corners.size() * sizeof(float)),
                             corners.data(), GL_STATIC_DRAW);
  vertexBuffers.glBindBuffer(GL_ARRAY_BUFFER, 0);
  for (auto _ : state) {
    scene.drawInstead([&] {
      vertexBuffers.glBindBuffer(GL_ARRAY_BUFFER, buffer);
      pointArrays(0);
      vertexBuffers.glDrawArrays(GL_TRIANGLES, 0, count);
      releaseArrays();
      vertexBuffers.glBindBuffer(GL_ARRAY_BUFFER, 0);
    });
  }
  vertexBuffers.glDeleteBuffers(1, &buffer);
  state.counters["triangles"] = count / 3;
}

void clientArrayFrames(benchmark::State& state, int cells) {
  FieldScene scene(cells, true);
  const std::vector<float> corners = scene.corners();
  const auto count = static_cast<GLsizei>(corners.size() / floatsPerCorner);
  for (auto _ : state) {
    scene.drawInstead([&] {
      pointArrays(reinterpret_cast<std::uintptr_t>(corners.data()));
      vertexBuffers.glDrawArrays(GL_TRIANGLES, 0, count);
      releaseArrays();
    });
  }
  state.counters["triangles"] = count / 3;
}

}  // namespace

int main(int argc, char** argv) {
  BenchProgram program(argc, argv);
  if (!program.argumentsValid()) return 1;
  keepGlDriverResident();
  const OffscreenGlContext context(viewWidth, viewHeight, trueColour);
  if (!context.isValid()) {
    std::cerr << "no OpenGL: " << context.error() << "\n";
    return 1;
  }
  if (!vertexBuffers.bind()) {
    std::cerr << "no vertex buffer objects in this OpenGL\n";
    return 1;
  }
  const int cells = program.tiny() ? 4 : 200;
  const auto unit = benchmark::kMillisecond;
  benchmark::RegisterBenchmark("display_list", engineFrames, cells, false)
      ->UseRealTime()
      ->Unit(unit);
  benchmark::RegisterBenchmark("vertex_buffer", vertexBufferFrames, cells)
      ->UseRealTime()
      ->Unit(unit);
  benchmark::RegisterBenchmark("morph_immediate", engineFrames, cells, true)
      ->UseRealTime()
      ->Unit(unit);
  benchmark::RegisterBenchmark("client_arrays", clientArrayFrames, cells)
      ->UseRealTime()
      ->Unit(unit);
  program.runBenchmarks();
  program.throughputRatio("display lists / VBO throughput", "display_list", "vertex_buffer", 0.9);
  program.timeRatio("morphing (immediate) / client arrays", "morph_immediate", "client_arrays",
                    2.0);
  return program.finish(std::cout);
}
