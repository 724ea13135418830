#include <gtest/gtest.h>

#include <jpeglib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "FileSizeLimit.h"
#include "FmAnimatedMesh.h"
#include "FmCamera.h"
#include "FmFace.h"
#include "FmFog.h"
#include "FmGLEngine.h"
#include "FmImageWriter.h"
#include "FmLight.h"
#include "FmMaterial.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "FmQuat.h"
#include "FmRocket.h"
#include "FmTransformController.h"
#include "GlBinding.h"
#include "OffscreenGlContext.h"
#include "engine/FakeClock.h"

namespace {

using Pixel = std::array<int, 3>;
using Rgba = std::array<std::uint8_t, 4>;

constexpr int width = 160;
constexpr int height = 120;

FmTransformController* placedAt(const FmPoint& position) {
  auto* controller = new FmTransformController;
  controller->position().setValue(position);
  return controller;
}

FmFace* faceOf(const FmFace::Corners& corners, std::int32_t texture) {
  auto* face = new FmFace;
  face->setVertexIndex(corners);
  face->setTexCoordIndex(corners);
  face->setNormalIndex({0, 0, 0});
  face->setColourIndex({-1, -1, -1});
  face->setTextureIndex(texture);
  return face;
}

// A square of side 2 facing the camera at the position, made of one pair of triangles
// per texture index: the square's left half uses the first, its right half the last.
FmObject* shapeAsSquare(FmObject* object, const FmPoint& position,
                        std::vector<std::int32_t> textures) {
  object->setController(placedAt(position));
  auto* frame = new FmMesh;
  std::vector<float> xyz;
  std::vector<float> st;
  auto* faces = new RWOrdered;
  const auto strips = static_cast<int>(textures.size());
  for (int strip = 0; strip < strips; ++strip) {
    const float left = -1.0f + 2.0f * static_cast<float>(strip) / static_cast<float>(strips);
    const float right = -1.0f + 2.0f * static_cast<float>(strip + 1) / static_cast<float>(strips);
    const float sLeft = (left + 1.0f) / 2.0f;
    const float sRight = (right + 1.0f) / 2.0f;
    xyz.insert(xyz.end(), {left, -1, 0, right, -1, 0, right, 1, 0, left, 1, 0});
    st.insert(st.end(), {sLeft, 0, sRight, 0, sRight, 1, sLeft, 1});
    const std::int32_t first = strip * 4;
    faces->append(faceOf({first, first + 1, first + 2}, textures[strip]));
    faces->append(faceOf({first, first + 2, first + 3}, textures[strip]));
  }
  EXPECT_TRUE(frame->setVertices(xyz));
  object->setCurrentFrame(frame);
  object->setVertexCount(static_cast<std::int32_t>(xyz.size() / 3));
  EXPECT_TRUE(object->setTexCoords(st));
  EXPECT_TRUE(object->setNormals({0, 0, 1}));
  EXPECT_TRUE(object->setFaces(faces));
  return object;
}

FmObject* square(const char* name, const FmPoint& position, std::vector<std::int32_t> textures) {
  return shapeAsSquare(new FmObject(name, nullptr, -1.0f), position, std::move(textures));
}

// Gives the square's corners colours from its position: red to the right, green upwards.
void colourCorners(FmObject& object) {
  std::vector<std::uint8_t> rgb;
  const std::span<const float> xyz = object.positions();
  for (std::size_t i = 0; i + 2 < xyz.size(); i += 3) {
    rgb.push_back(static_cast<std::uint8_t>((xyz[i] + 1) * 120));
    rgb.push_back(static_cast<std::uint8_t>((xyz[i + 1] + 1) * 120));
    rgb.push_back(60);
  }
  EXPECT_TRUE(object.currentFrame()->setColours(rgb));
  const RWOrdered* faces = object.faces();
  for (std::size_t i = 0; i < faces->entryCount(); ++i) {
    auto* face = static_cast<FmFace*>(faces->elementAt(i));
    face->setColourIndex(face->vertexIndex());
  }
}

// The object made to morph between two copies of its frame: drawn every frame from
// what its animation blends, never from a display list.
FmObject* morphing(FmObject* object) {
  auto* animation = new FmAnimatedMesh;
  for (const float time : {0.0f, 1.0f}) {
    auto* frame = static_cast<FmMesh*>(object->currentFrame()->clone());
    frame->setTime(time);
    EXPECT_TRUE(animation->addFrame(frame));
  }
  object->setMorphs(1);
  EXPECT_TRUE(object->addAnimation(animation));
  object->selectAnimation(0);
  return object;
}

FmOpenGLTexture* solidTexture(const char* name, int w, int h, const Rgba& colour) {
  auto* texture = new FmOpenGLTexture(name);
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < w * h; ++i) pixels.insert(pixels.end(), colour.begin(), colour.end());
  EXPECT_TRUE(texture->setImage(w, h, std::move(pixels)));
  return texture;
}

int channelDistance(const Pixel& a, const Pixel& b) {
  int largest = 0;
  for (int i = 0; i < 3; ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

std::vector<std::uint8_t> decodeJpeg(const std::filesystem::path& path, int& w, int& h) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return {};
  jpeg_decompress_struct decompressor{};
  jpeg_error_mgr errors{};
  decompressor.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&decompressor);
  jpeg_stdio_src(&decompressor, file);
  jpeg_read_header(&decompressor, TRUE);
  jpeg_start_decompress(&decompressor);
  w = static_cast<int>(decompressor.output_width);
  h = static_cast<int>(decompressor.output_height);
  const auto stride = static_cast<std::size_t>(w) * decompressor.output_components;
  std::vector<std::uint8_t> rgb(stride * static_cast<std::size_t>(h));
  while (decompressor.output_scanline < decompressor.output_height) {
    JSAMPROW row = rgb.data() + decompressor.output_scanline * stride;
    jpeg_read_scanlines(&decompressor, &row, 1);
  }
  jpeg_finish_decompress(&decompressor);
  jpeg_destroy_decompress(&decompressor);
  std::fclose(file);
  return rgb;
}

std::string lastReport;
void recordReport(const char* title, const char* text) {
  lastReport = std::string(title) + ": " + text;
}

// A camera at the origin looking along -z over a scene built in code, drawn on an
// offscreen rendering context of Mesa's software renderer.
class RenderTest : public testing::Test {
protected:
  void SetUp() override {
    context_ = std::make_unique<OffscreenGlContext>(width, height, 32);
    ASSERT_TRUE(context_->isValid()) << context_->error();
    makeEngine();
  }

  // A new engine with a new scene that holds only the camera.
  void makeEngine() {
    engine_.reset();
    engine_ = std::make_unique<FmGLEngine>(clock_);
    auto* camera = new FmCamera("eye", nullptr, -1.0f);
    camera->setController(placedAt({0, 0, 0}));
    camera->setNearClip(1.0f);
    camera->setFarClip(100.0f);
    worker().addNode(camera, nullptr);
    worker().setCamera(camera);
  }

  void TearDown() override {
    engine_.reset();
    context_.reset();
    std::error_code ignored;
    if (!shots_.empty()) std::filesystem::remove_all(shots_, ignored);
  }

  FmWorker& worker() { return engine_->scene().worker(); }
  FmScene& scene() { return engine_->scene(); }

  FmObject* add(FmObject* object) {
    worker().addNode(object, nullptr);
    return object;
  }
  FmOpenGLTexture* addTexture(FmOpenGLTexture* texture) {
    EXPECT_TRUE(scene().addTexture(texture));
    return texture;
  }
  void addFog(const FmPoint& colour) {
    auto* fog = new FmFog("fog");
    fog->setColour(colour);
    fog->setFogStart(50.0f);
    fog->setFogEnd(100.0f);
    ASSERT_TRUE(scene().addFog(fog));
  }
  FmLight* addLight(const FmPoint& position) {
    auto* light = new FmLight("lamp", nullptr, -1.0f);
    light->setController(placedAt(position));
    worker().addNode(light, nullptr);
    return light;
  }

  void start() { engine_->start(width, height); }
  void drawOneFrame() {
    clock_.advanceMilliseconds(40);
    engine_->currentTime();
    engine_->frame(0, 0, 0, 0, 0, 0);
  }

  Pixel pixelAt(int x, int y) {
    std::array<GLubyte, 3> rgb{};
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return {rgb[0], rgb[1], rgb[2]};
  }
  Pixel centre() { return pixelAt(width / 2, height / 2); }
  std::vector<GLubyte> wholeFrame() {
    std::vector<GLubyte> rgb(static_cast<std::size_t>(width * height * 3));
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
  }
  // Within the square of side 2 at distance 5, a quarter of its width off centre.
  Pixel leftOfCentre() { return pixelAt(width / 2 - 9, height / 2); }
  Pixel rightOfCentre() { return pixelAt(width / 2 + 9, height / 2); }

  std::filesystem::path shotDirectory() {
    shots_ = std::filesystem::temp_directory_path() /
             ("zirrow-shots-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(shots_);
    return shots_;
  }

  template <typename Function>
  static Function entryPoint(const char* name) {
    return reinterpret_cast<Function>(GlDriver::procAddress(name));
  }

  bool enabled(GLenum capability) {
    const auto isEnabled = entryPoint<GLboolean (*)(GLenum)>("glIsEnabled");
    return isEnabled && isEnabled(capability) == GL_TRUE;
  }

  FakeClock clock_;
  std::unique_ptr<OffscreenGlContext> context_;
  std::unique_ptr<FmGLEngine> engine_;
  std::filesystem::path shots_;
};

TEST_F(RenderTest, TheClearColourIsTheSelectedFog) {
  const char* renderer = reinterpret_cast<const char*>(gl.glGetString(GL_RENDERER));
  ASSERT_NE(renderer, nullptr);
  RecordProperty("renderer", renderer);
  addFog({0.2f, 0.4f, 0.6f});
  addFog({1.0f, 0.0f, 0.0f});
  scene().selectFog(0);
  start();
  drawOneFrame();
  EXPECT_LE(channelDistance(pixelAt(0, 0), {51, 102, 153}), 1);

  engine_->setFog(1);
  drawOneFrame();
  EXPECT_LE(channelDistance(pixelAt(width - 1, height - 1), {255, 0, 0}), 1);

  engine_->setFog(-1);
  drawOneFrame();
  EXPECT_EQ(pixelAt(0, 0), (Pixel{0, 0, 0}));
  EXPECT_FALSE(enabled(GL_FOG));
}

TEST_F(RenderTest, AnOpaqueLitObjectAppearsWhereTheCameraLooks) {
  addFog({0.0f, 0.0f, 0.5f});
  scene().selectFog(0);
  FmObject* object = add(square("wall", {0, 0, -5}, {0}));
  auto* material = new FmMaterial;
  material->setDiffuse({1.0f, 0.0f, 0.0f});
  material->setAmbient({0.0f, 0.0f, 0.0f});
  object->setMaterial(material);
  object->setLit(1);
  addLight({0, 0, 0});
  start();
  drawOneFrame();
  const Pixel clear{0, 0, 128};
  EXPECT_LE(channelDistance(pixelAt(2, 2), clear), 1);
  const Pixel lit = centre();
  EXPECT_GT(channelDistance(lit, clear), 100) << lit[0] << " " << lit[1] << " " << lit[2];
  EXPECT_GT(lit[0], 150);
  EXPECT_LT(lit[1], 30);
  EXPECT_EQ(engine_->triangleCount(), 2);
  EXPECT_EQ(engine_->statistics().triangles(), 2);
  EXPECT_NE(engine_->displayListBase(), 0u);
  EXPECT_EQ(object->displayList(), static_cast<std::int32_t>(engine_->displayListBase()));
}

TEST_F(RenderTest, AlphaTestedTexelsBelowOneHalfAreNotDrawn) {
  auto* texture = new FmOpenGLTexture("half");
  std::vector<std::uint8_t> pixels;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const std::uint8_t alpha = column < 2 ? 120 : 255;
      pixels.insert(pixels.end(), {255, 255, 0, alpha});
    }
  }
  ASSERT_TRUE(texture->setImage(4, 4, std::move(pixels)));
  addTexture(texture);
  FmObject* object = square("fence", {0, 0, -5}, {0});
  object->addTexture(texture);
  object->setBlendMode(FmObject::alphaTestedBlend);
  add(object);
  start();
  ASSERT_EQ(worker().alphaObjects().entryCount(), 1u);
  drawOneFrame();
  EXPECT_EQ(leftOfCentre(), (Pixel{0, 0, 0}));
  EXPECT_EQ(rightOfCentre(), (Pixel{255, 255, 0}));
}

TEST_F(RenderTest, BlendedObjectsAreDrawnFarToNear) {
  FmOpenGLTexture* halfRed = addTexture(solidTexture("red", 2, 2, {255, 0, 0, 128}));
  FmOpenGLTexture* halfGreen = addTexture(solidTexture("green", 2, 2, {0, 255, 0, 128}));
  // Listed far first, so that only the distance sort puts the near one on top.
  for (const auto& [name, z, texture] :
       {std::tuple{"far", -7.0f, halfRed}, std::tuple{"near", -5.0f, halfGreen}}) {
    FmObject* object = square(name, {0, 0, z}, {0});
    object->addTexture(texture);
    object->setBlendMode(1);
    add(object);
  }
  start();
  ASSERT_EQ(worker().blendObjects().entryCount(), 2u);
  drawOneFrame();
  const Pixel mixed = centre();
  // Green over (red over black): green about 128, red about 64.
  EXPECT_NEAR(mixed[1], 128, 3);
  EXPECT_NEAR(mixed[0], 64, 3);
  EXPECT_EQ(mixed[2], 0);
}

TEST_F(RenderTest, AnObjectWhoseFacesUseTwoTexturesShowsBoth) {
  FmOpenGLTexture* red = addTexture(solidTexture("red", 2, 2, {255, 0, 0, 255}));
  FmOpenGLTexture* blue = addTexture(solidTexture("blue", 2, 2, {0, 0, 255, 255}));
  FmObject* object = add(square("flag", {0, 0, -5}, {0, 1}));
  object->addTexture(red);
  object->addTexture(blue);
  // Alpha-tested objects come after the opaque ones.
  FmObject* plain = square("redAgain", {2.2f, 0, -5}, {0});
  plain->addTexture(red);
  plain->setBlendMode(FmObject::alphaTestedBlend);
  add(plain);
  start();
  for (int frame = 0; frame < 2; ++frame) {
    drawOneFrame();
    EXPECT_EQ(leftOfCentre(), (Pixel{255, 0, 0}));
    EXPECT_EQ(rightOfCentre(), (Pixel{0, 0, 255}));
    // Drawn after the list that left the second texture bound, it still shows its own.
    EXPECT_EQ(pixelAt(width / 2 + 60, height / 2), (Pixel{255, 0, 0}));
  }
}

TEST_F(RenderTest, AnObjectWithoutTexturesIsDrawnUntextured) {
  FmOpenGLTexture* red = addTexture(solidTexture("red", 2, 2, {255, 0, 0, 255}));
  // Drawn too, hidden behind the plain square, it leaves its texture bound.
  FmObject* behind = add(square("behind", {0, 0, -8}, {0}));
  behind->addTexture(red);
  add(square("plain", {0, 0, -5}, {0}));
  start();
  for (int frame = 0; frame < 2; ++frame) {
    drawOneFrame();
    EXPECT_EQ(centre(), (Pixel{255, 255, 255})) << "frame " << frame;
  }
}

TEST_F(RenderTest, ADirectionalLightShinesAlongItsNodesMinusZAxis) {
  FmObject* wall = add(square("wall", {0, 0, -5}, {0}));
  auto* material = new FmMaterial;
  material->setDiffuse({1.0f, 0.0f, 0.0f});
  material->setAmbient({0.0f, 0.0f, 0.0f});
  wall->setMaterial(material);
  wall->setLit(1);
  FmLight* sun = addLight({0, 30, 0});
  sun->setLightType(FmLight::atInfinity);
  sun->colourTrack().setValue({1.0f, 1.0f, 1.0f});
  scene().setAmbient({0.0f, 0.0f, 0.0f});
  start();
  const auto litRed = [&](float turnDegrees) {
    FmQuat turn;
    turn.fromEuler({0.0f, turnDegrees, 0.0f});
    sun->controller()->rotation().setValue(turn);
    drawOneFrame();
    return centre()[0];
  };
  // Shining along -z it lights the wall that faces +z head on; turned about y it
  // lights it less, and turned round it lights only the wall's back.
  const int headOn = litRed(0.0f);
  EXPECT_GT(headOn, 240);
  EXPECT_NEAR(litRed(60.0f), headOn / 2, 8);
  EXPECT_LT(litRed(180.0f), 10);
}

TEST_F(RenderTest, TheStatisticsOverlayDrawsTextOnlyWhenShown) {
  start();
  const auto whitePixelsInOverlay = [this] {
    std::vector<GLubyte> rgb(static_cast<std::size_t>(width - 20) * 12 * 3);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(20, 56, width - 20, 12, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int white = 0;
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
      if (rgb[i] > 200 && rgb[i + 1] > 200 && rgb[i + 2] > 200) ++white;
    }
    return white;
  };
  drawOneFrame();
  EXPECT_EQ(whitePixelsInOverlay(), 0);
  engine_->setShowStats(true);
  drawOneFrame();
  EXPECT_NE(engine_->fontBase(), 0u);
  EXPECT_GT(whitePixelsInOverlay(), 100);
}

TEST_F(RenderTest, TexturesLoadTheirMipmapChainAndLetGoOfTheirPixels) {
  FmOpenGLTexture* wide = addTexture(solidTexture("wide", 256, 64, {10, 20, 30, 255}));
  auto* empty = new FmOpenGLTexture("empty");
  empty->setSize(8, 8);
  addTexture(empty);
  gl.glGetError();
  start();
  EXPECT_FALSE(wide->hasPixels());
  EXPECT_GT(wide->glName(), 0);
  EXPECT_GT(empty->glName(), 0);
  EXPECT_NE(wide->glName(), empty->glName());

  const auto levelParameter =
      entryPoint<void (*)(GLenum, GLint, GLenum, GLint*)>("glGetTexLevelParameteriv");
  ASSERT_NE(levelParameter, nullptr);
  const auto sizeAt = [&](GLint level) {
    GLint w = 0;
    GLint h = 0;
    levelParameter(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
    levelParameter(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
    return std::array<GLint, 2>{w, h};
  };
  gl.glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(wide->glName()));
  const std::array<std::array<GLint, 2>, 9> levels{
      {{256, 64}, {128, 32}, {64, 16}, {32, 8}, {16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}}};
  for (GLint level = 0; level < 9; ++level) {
    EXPECT_EQ(sizeAt(level), levels[level]) << "level " << level;
  }
  EXPECT_EQ(sizeAt(9), (std::array<GLint, 2>{0, 0}));

  // A texture without an image gets its name but no image.
  gl.glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(empty->glName()));
  EXPECT_EQ(sizeAt(0), (std::array<GLint, 2>{0, 0}));
}

TEST_F(RenderTest, NineLightsKeepLightingOnWithNoLightEnabled) {
  std::vector<FmLight*> lights;
  for (int i = 0; i < 9; ++i) lights.push_back(addLight({0, 0, 0}));
  start();
  drawOneFrame();
  EXPECT_TRUE(engine_->lighting());
  EXPECT_TRUE(enabled(GL_LIGHTING));
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(enabled(GL_LIGHT0 + i)) << i;
  for (const FmLight* light : lights) EXPECT_EQ(light->glLight(), FmLight::noGlLight);
}

TEST_F(RenderTest, EightLightsUseTheFirstEightOpenGLLights) {
  std::vector<FmLight*> lights;
  for (int i = 0; i < 8; ++i) lights.push_back(addLight({0, 0, 0}));
  start();
  for (int i = 0; i < 8; ++i) {
    EXPECT_TRUE(enabled(GL_LIGHT0 + i)) << i;
    EXPECT_EQ(lights[i]->glLight(), static_cast<std::int32_t>(GL_LIGHT0 + i));
  }
}

TEST_F(RenderTest, ReleasingTurnsEverythingOffAndClearsTheScene) {
  FmOpenGLTexture* red = addTexture(solidTexture("red", 2, 2, {255, 0, 0, 255}));
  add(square("wall", {0, 0, -5}, {0}))->addTexture(red);
  addLight({0, 0, 0});
  addFog({0.5f, 0.5f, 0.5f});
  scene().selectFog(0);
  start();
  drawOneFrame();
  const auto name = static_cast<GLuint>(red->glName());
  const GLuint lists = engine_->displayListBase();
  ASSERT_EQ(gl.glIsTexture(name), GL_TRUE);
  ASSERT_EQ(gl.glIsList(lists), GL_TRUE);

  engine_->releaseResources();
  EXPECT_EQ(gl.glIsTexture(name), GL_FALSE);
  EXPECT_EQ(gl.glIsList(lists), GL_FALSE);
  EXPECT_EQ(engine_->displayListBase(), 0u);
  EXPECT_EQ(engine_->fontBase(), 0u);
  EXPECT_FALSE(engine_->lighting());
  for (const GLenum capability : {GL_LIGHTING, GL_LIGHT0, GL_NORMALIZE, GL_FOG}) {
    EXPECT_FALSE(enabled(capability)) << capability;
  }
  EXPECT_EQ(scene().textures().entryCount(), 0u);
  EXPECT_EQ(worker().objects().entryCount(), 0u);
  EXPECT_EQ(scene().ambient().x, 0.2f);
}

TEST_F(RenderTest, SettingUpTheSceneAgainReplacesItsTextures) {
  FmOpenGLTexture* red = addTexture(solidTexture("red", 2, 2, {255, 0, 0, 255}));
  add(square("wall", {0, 0, -5}, {0}))->addTexture(red);
  start();
  const auto first = static_cast<GLuint>(red->glName());
  engine_->setupScene();
  const auto second = static_cast<GLuint>(red->glName());
  ASSERT_EQ(gl.glIsTexture(second), GL_TRUE);
  if (first != second) {
    EXPECT_EQ(gl.glIsTexture(first), GL_FALSE);
  }
  engine_->releaseResources();
  EXPECT_EQ(gl.glIsTexture(second), GL_FALSE);
}

TEST_F(RenderTest, AResizeWithAZeroSideChangesNothing) {
  start();
  EXPECT_FLOAT_EQ(engine_->aspect(), 160.0f / 120.0f);
  engine_->resize(0, 50);
  EXPECT_EQ(engine_->width(), width);
  engine_->resize(100, 50);
  EXPECT_EQ(engine_->width(), 100);
  EXPECT_FLOAT_EQ(engine_->aspect(), 2.0f);
}

TEST_F(RenderTest, TheFirstSingleShotIsScrn0000JpgOfTheFrameSize) {
  FmObject* wall = add(square("wall", {0, 0, -5}, {0}));
  wall->addTexture(addTexture(solidTexture("red", 2, 2, {255, 0, 0, 255})));
  start();
  drawOneFrame();
  const std::filesystem::path directory = shotDirectory();
  ASSERT_TRUE(engine_->takeSnapshot(directory.string() + "/"));
  EXPECT_FALSE(engine_->capturing());
  EXPECT_FALSE(engine_->captureActive());

  int w = 0;
  int h = 0;
  const std::vector<std::uint8_t> rgb = decodeJpeg(directory / "scrn0000.jpg", w, h);
  ASSERT_EQ(w, width);
  ASSERT_EQ(h, height);
  const std::size_t middle = (static_cast<std::size_t>(height / 2) * width + width / 2) * 3;
  EXPECT_GT(rgb[middle], 200);
  EXPECT_LT(rgb[middle + 2], 50);
  EXPECT_LT(rgb[0], 50) << "the top left corner is the black background";
  EXPECT_FALSE(std::filesystem::exists(directory / "scrn0001.jpg"));
}

TEST_F(RenderTest, LaterShotsAndRecordingsKeepTheEarlierFiles) {
  start();
  const std::filesystem::path directory = shotDirectory();
  const std::string prefix = directory.string() + "/";
  ASSERT_TRUE(engine_->takeSnapshot(prefix));
  const auto firstSize = std::filesystem::file_size(directory / "scrn0000.jpg");
  std::filesystem::resize_file(directory / "scrn0000.jpg", 7);
  ASSERT_TRUE(engine_->takeSnapshot(prefix));
  EXPECT_EQ(std::filesystem::file_size(directory / "scrn0000.jpg"), 7u);
  EXPECT_EQ(std::filesystem::file_size(directory / "scrn0001.jpg"), firstSize);

  std::ofstream(directory / "scrn0001.tga") << "kept";
  engine_->toggleRecording(prefix);
  engine_->frame(0, 0, 0, 0, 0, 0);
  engine_->frame(0, 0, 0, 0, 0, 0);
  engine_->toggleRecording(prefix);
  EXPECT_TRUE(std::filesystem::exists(directory / "scrn0000.tga"));
  EXPECT_EQ(std::filesystem::file_size(directory / "scrn0001.tga"), 4u);
  EXPECT_TRUE(std::filesystem::exists(directory / "scrn0002.tga"));
}

// The recording looks for the files it must keep once, as it begins, not before
// every frame.
TEST_F(RenderTest, ARecordingSkipsTheNumbersTakenWhenItBegan) {
  start();
  const std::filesystem::path directory = shotDirectory();
  for (const char* name : {"take-scrn0000.tga", "take-scrn0002.tga"}) {
    std::ofstream(directory / name) << "kept";
  }
  // Neither another start nor a name the numbering does not make takes a number.
  for (const char* name : {"scrn0001.tga", "take-scrn1.tga", "take-scrn0001.jpg"}) {
    std::ofstream(directory / name) << "other";
  }
  engine_->toggleRecording(directory.string() + "/take-");
  for (int frame = 0; frame < 3; ++frame) engine_->frame(0, 0, 0, 0, 0, 0);
  engine_->toggleRecording(directory.string() + "/take-");
  EXPECT_EQ(std::filesystem::file_size(directory / "take-scrn0000.tga"), 4u);
  EXPECT_EQ(std::filesystem::file_size(directory / "take-scrn0002.tga"), 4u);
  for (const char* name : {"take-scrn0001.tga", "take-scrn0003.tga", "take-scrn0004.tga"}) {
    EXPECT_GT(std::filesystem::file_size(directory / name), 100u) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(directory / "take-scrn0005.tga"));
  EXPECT_EQ(std::filesystem::file_size(directory / "take-scrn1.tga"), 5u);
}

TEST_F(RenderTest, ASingleShotDuringARecordingLeavesTheRecordingAndTheClockAsTheyWere) {
  start();
  const std::filesystem::path directory = shotDirectory();
  const std::string prefix = directory.string() + "/";
  clock_.advanceMilliseconds(1000);
  const float started = engine_->currentTime();
  engine_->toggleRecording(prefix + "take-");
  engine_->currentTime();
  engine_->frame(0, 0, 0, 0, 0, 0);
  ASSERT_TRUE(engine_->takeSnapshot(prefix));
  EXPECT_TRUE(engine_->recording());
  EXPECT_TRUE(engine_->captureActive());
  const float during = engine_->currentTime();
  engine_->frame(0, 0, 0, 0, 0, 0);
  EXPECT_NEAR(engine_->currentTime() - during, FmEngine::captureStep, 1e-6f);
  engine_->frame(0, 0, 0, 0, 0, 0);
  engine_->toggleRecording(prefix + "take-");
  EXPECT_FALSE(engine_->recording());
  EXPECT_FALSE(engine_->captureActive());
  EXPECT_TRUE(std::filesystem::exists(directory / "scrn0000.jpg"));
  for (const char* name : {"take-scrn0000.tga", "take-scrn0001.tga", "take-scrn0002.tga"}) {
    EXPECT_TRUE(std::filesystem::exists(directory / name)) << name;
  }
  // The game time runs again, on from where the recording began.
  clock_.advanceMilliseconds(500);
  EXPECT_NEAR(engine_->currentTime(), started + 0.5f, 1e-3f);
}

TEST_F(RenderTest, AShotIntoAMissingDirectoryFailsWithAMessage) {
  start();
  const auto previous = FmImageWriter::setErrorReporter(recordReport);
  lastReport.clear();
  EXPECT_FALSE(engine_->takeSnapshot("/nonexistent-zirrow-directory/shots/"));
  FmImageWriter::setErrorReporter(previous);
  EXPECT_EQ(lastReport,
            "Screenshot: Can't write the screenshot /nonexistent-zirrow-directory/shots/"
            "scrn0000.jpg: No such file or directory");
  EXPECT_FALSE(engine_->capturing());
}

TEST_F(RenderTest, RecordingWritesATargaFileForEveryFrameAtTwentyFourFramesASecond) {
  start();
  const std::filesystem::path directory = shotDirectory();
  const std::string prefix = directory.string() + "/take-";
  engine_->toggleRecording(prefix);
  EXPECT_TRUE(engine_->recording());
  EXPECT_TRUE(engine_->captureActive());
  const float first = engine_->currentTime();
  engine_->frame(0, 0, 0, 0, 0, 0);
  EXPECT_FLOAT_EQ(engine_->currentTime() - first, FmEngine::captureStep);
  engine_->frame(0, 0, 0, 0, 0, 0);
  engine_->toggleRecording(prefix);
  EXPECT_FALSE(engine_->recording());
  EXPECT_FALSE(engine_->captureActive());

  const std::uintmax_t targaBytes = 18 + width * height * 3 + 26;
  for (const char* name : {"take-scrn0000.tga", "take-scrn0001.tga"}) {
    EXPECT_EQ(std::filesystem::file_size(directory / name), targaBytes) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(directory / "take-scrn0002.tga"));
}

std::vector<std::string> reports;
void collectReport(const char* title, const char* text) {
  reports.push_back(std::string(title) + ": " + text);
}

TEST_F(RenderTest, RecordingOnAFullDiskStopsAtTheFirstFailedWriteSaysSoOnceAndLeavesNoPart) {
  start();
  const std::filesystem::path directory = shotDirectory();
  const std::string prefix = directory.string() + "/take-";
  const auto previous = FmImageWriter::setErrorReporter(collectReport);
  reports.clear();
  {
    const FileSizeLimit full(256);
    engine_->toggleRecording(prefix);
    for (int i = 0; i < 5; ++i) engine_->frame(0, 0, 0, 0, 0, 0);
  }
  FmImageWriter::setErrorReporter(previous);
  EXPECT_FALSE(engine_->recording());
  EXPECT_FALSE(engine_->captureActive());
  EXPECT_EQ(reports, (std::vector<std::string>{"Screenshot: Recording stopped: can't write " +
                                               prefix + "scrn0000.tga: File too large"}));
  EXPECT_TRUE(std::filesystem::is_empty(directory));
}

TEST_F(RenderTest, AShotOnAFullDiskSaysWhyAndLeavesNoPart) {
  start();
  const std::filesystem::path directory = shotDirectory();
  const auto previous = FmImageWriter::setErrorReporter(collectReport);
  reports.clear();
  bool written = true;
  {
    const FileSizeLimit full(256);
    written = engine_->takeSnapshot(directory.string() + "/");
  }
  FmImageWriter::setErrorReporter(previous);
  EXPECT_FALSE(written);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].rfind("JPEG Fatal Error: ", 0), 0u) << reports[0];
  EXPECT_EQ(reports[1], "Screenshot: Can't write the screenshot " + directory.string() +
                            "/scrn0000.jpg: File too large");
  EXPECT_TRUE(std::filesystem::is_empty(directory));
  EXPECT_FALSE(engine_->capturing());
}

}  // namespace

// The same squares, still (drawn from display lists compiled corner by corner) and
// morphing (drawn from arrays every frame): lit and textured with two textures, and
// unlit with a colour at each corner, behind a square that shows no texture.
TEST_F(RenderTest, MorphingObjectsDrawTheSamePixelsAsTheirDisplayLists) {
  std::vector<std::vector<GLubyte>> frames;
  for (const bool morphs : {false, true}) {
    makeEngine();
    addLight({0, 0, 5});
    FmOpenGLTexture* red = addTexture(solidTexture("red", 2, 2, {255, 0, 0, 255}));
    FmOpenGLTexture* blue = addTexture(solidTexture("blue", 2, 2, {0, 0, 255, 255}));
    FmObject* flag = square("flag", {-1.2f, 0, -5}, {0, 1, 1, 0});
    flag->addTexture(red);
    flag->addTexture(blue);
    FmObject* painted = square("painted", {1.2f, 0.3f, -6}, {0, 0});
    colourCorners(*painted);
    painted->setLit(0);
    FmObject* plain = square("plain", {0, -1.5f, -7}, {0});
    for (FmObject* object : {flag, painted, plain}) add(morphs ? morphing(object) : object);
    start();
    drawOneFrame();
    drawOneFrame();
    frames.push_back(wholeFrame());
  }
  EXPECT_TRUE(frames[0] == frames[1]);
  const auto shows = [&](const std::array<GLubyte, 3>& colour) {
    for (std::size_t i = 0; i + 2 < frames[1].size(); i += 3) {
      if (frames[1][i] == colour[0] && frames[1][i + 1] == colour[1] &&
          frames[1][i + 2] == colour[2]) {
        return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(shows({255, 0, 0}) || shows({254, 0, 0})) << "the red half";
  EXPECT_TRUE(shows({0, 0, 255}) || shows({0, 0, 254})) << "the blue half";
}

// Drawn from arrays, a morphing object takes the same OpenGL calls whatever its
// number of faces.
TEST_F(RenderTest, AMorphingObjectsCallsDoNotGrowWithItsFaces) {
  std::vector<std::uint64_t> calls;
  for (const std::size_t strips : {1u, 12u}) {
    makeEngine();
    FmOpenGLTexture* red = addTexture(solidTexture("red", 2, 2, {255, 0, 0, 255}));
    FmObject* object = morphing(square("sea", {0, 0, -5}, std::vector<std::int32_t>(strips, 0)));
    object->addTexture(red);
    add(object);
    start();
    drawOneFrame();
    countGlCalls(true);
    const std::uint64_t before = glCallsCounted();
    drawOneFrame();
    calls.push_back(glCallsCounted() - before);
    countGlCalls(false);
    EXPECT_EQ(centre(), (Pixel{255, 0, 0}));
  }
  EXPECT_EQ(calls[0], calls[1]);
  EXPECT_GT(calls[0], 10u);
}

// Objects drawn every frame whose materials are copies holding the same values send
// the material once a frame; a material of other values is sent again, and each
// object still shows in its own material's colour.
TEST_F(RenderTest, MaterialsOfTheSameValuesAreSentOncePerFrame) {
  addLight({0, 0, 5});
  const auto litSquare = [this](const char* name, float x, const FmPoint& emission) {
    FmObject* object = add(morphing(square(name, {x, 0, -5}, {0})));
    auto* material = new FmMaterial;
    material->setDiffuse({0, 0, 0});
    material->setAmbient({0, 0, 0});
    material->setEmission(emission);
    object->setMaterial(material);
    object->setLit(1);
    return object;
  };
  litSquare("left", -1.0f, {1, 0, 0});
  litSquare("right", 1.0f, {1, 0, 0});
  litSquare("far", 3.0f, {0, 0, 1});
  start();
  drawOneFrame();
  countGlCalls(true);
  const std::uint64_t before = glCallsCountedTo("glMaterialf");
  drawOneFrame();
  const std::uint64_t sent = glCallsCountedTo("glMaterialf") - before;
  countGlCalls(false);
  // Red for the two left squares, blue for the far one.
  EXPECT_EQ(sent, 2u);
  EXPECT_EQ(pixelAt(width / 2 - 9, height / 2), (Pixel{255, 0, 0}));
  EXPECT_EQ(pixelAt(width / 2 + 9, height / 2), (Pixel{255, 0, 0}));
}

// Before the first frame every kind of object, the projectile template too, is drawn
// once (the driver prepares its drawing then, not when the first one shows) into a
// picture that the frame clears: nothing of it shows.
TEST_F(RenderTest, TheFirstFrameDrawsEveryKindOfObjectOnceWithoutShowingIt) {
  add(square("wall", {1.8f, 0, -5}, {0}));
  auto* rocket = new FmRocket;
  rocket->setName("Bouncer");
  shapeAsSquare(rocket, {0, 0, 0}, {0});
  worker().addTemplate(rocket);
  start();
  std::vector<std::uint64_t> lists;
  countGlCalls(true);
  for (int frame = 0; frame < 2; ++frame) {
    const std::uint64_t before = glCallsCountedTo("glCallList");
    drawOneFrame();
    lists.push_back(glCallsCountedTo("glCallList") - before);
    if (frame == 0) {
      EXPECT_EQ(centre(), (Pixel{0, 0, 0})) << "the template was drawn ahead of the eye";
    }
  }
  countGlCalls(false);
  // The wall and the rocket, then the wall alone.
  EXPECT_EQ(lists[0], 3u);
  EXPECT_EQ(lists[1], 1u);
  EXPECT_EQ(pixelAt(width / 2 + 40, height / 2), (Pixel{255, 255, 255}));
}

// Double-sided objects drawn from arrays one after another turn culling off and their
// arrays on once a frame; the frame ends with culling and the arrays as set up, and
// each object still shows.
TEST_F(RenderTest, ObjectsDrawnDirectlyInARowChangeStateOnlyWhereTheyMust) {
  FmOpenGLTexture* red = addTexture(solidTexture("red", 2, 2, {255, 0, 0, 255}));
  for (const float x : {-1.0f, 1.0f, 3.0f}) {
    FmObject* object = add(morphing(square("flag", {x, 0, -5}, {0})));
    object->addTexture(red);
    object->setDoubleSided(1);
  }
  start();
  drawOneFrame();
  countGlCalls(true);
  const std::uint64_t disables = glCallsCountedTo("glDisable");
  const std::uint64_t arrays = glCallsCountedTo("glEnableClientState");
  drawOneFrame();
  // Culling off once (and texturing off at the frame's end); vertices, normals and
  // texture coordinates on once.
  EXPECT_EQ(glCallsCountedTo("glDisable") - disables, 2u);
  EXPECT_EQ(glCallsCountedTo("glEnableClientState") - arrays, 3u);
  countGlCalls(false);
  EXPECT_EQ(leftOfCentre(), (Pixel{255, 0, 0}));
  EXPECT_EQ(rightOfCentre(), (Pixel{255, 0, 0}));
  EXPECT_TRUE(enabled(GL_CULL_FACE));
  EXPECT_FALSE(enabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(enabled(GL_TEXTURE_COORD_ARRAY));
}
