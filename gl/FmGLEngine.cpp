#include "FmGLEngine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "BitmapFont.h"
#include "FmCamera.h"
#include "FmFog.h"
#include "FmLight.h"
#include "FmOpenGLTexture.h"
#include "MessageBox.h"
#include "TextureUpload.h"

namespace {

// The colour depth given to the last pixel-format request; it selects how textures
// are stored.
int rememberedColourBits = 0;

// Half the view angle in degrees, in radians.
constexpr double halfDegreeInRadians = 0.008726646259971648;
constexpr GLfloat fogAlpha = 0.1f;
constexpr GLfloat releasedAmbient = 0.2f;

std::array<GLfloat, 4> rgba(const FmPoint& colour, GLfloat alpha = 1.0f) {
  return {colour.x, colour.y, colour.z, alpha};
}

void setLightColour(GLenum light, const FmPoint& colour) {
  const auto value = rgba(colour);
  gl.glLightfv(light, GL_AMBIENT, value.data());
  gl.glLightfv(light, GL_DIFFUSE, value.data());
  gl.glLightfv(light, GL_SPECULAR, value.data());
}

FmLight* lightAt(const RWOrdered& lights, std::size_t index) {
  return dynamic_cast<FmLight*>(lights.elementAt(index));
}

// Lights are set up only while OpenGL has one for each of them.
bool lightsFit(const RWOrdered& lights) {
  return lights.entryCount() >= 1 && lights.entryCount() <= FmGLEngine::maxLights;
}

}  // namespace

FmGLEngine::~FmGLEngine() = default;

int FmGLEngine::setPixelFormat(int colourBits) {
  rememberedColourBits = colourBits;
  if (GlDriver::setPixelFormat(colourBits)) return 1;
  showMessageBox("Error",
                 usesSystemLibrary() ? "ChoosePixelFormat failed" : "wglChoosePixelFormat failed",
                 true);
  return 0;
}

int FmGLEngine::pixelFormatColourBits() {
  return rememberedColourBits;
}

void FmGLEngine::setupRendering() {
  width_ = viewportWidth();
  height_ = viewportHeight();
  setupScene();
}

void FmGLEngine::buildDrawingResources() {
  buildFont();
  buildDisplayLists();
  everyKindDrawn_ = false;
}

void FmGLEngine::setupScene() {
  renderingReady_ = true;
  gl.glGetError();
  gl.glClearDepth(1.0);
  gl.glDepthFunc(GL_LEQUAL);
  gl.glShadeModel(GL_SMOOTH);
  if (scene().worker().lights().entryCount() > 0) {
    lighting_ = true;
    gl.glEnable(GL_LIGHTING);
    gl.glEnable(GL_NORMALIZE);
    gl.glLightModelfv(GL_LIGHT_MODEL_AMBIENT, rgba(scene().ambient()).data());
    setupLights();
  }
  gl.glEnable(GL_DEPTH_TEST);
  uploadTextures();
  gl.glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  gl.glEnable(GL_CULL_FACE);
  gl.glCullFace(GL_BACK);
  resize(width_, height_);
  updateProjection();
  applyFog();
}

void FmGLEngine::setupLights() {
  const RWOrdered& lights = scene().worker().lights();
  if (!lightsFit(lights)) return;
  for (std::size_t i = 0; i < lights.entryCount(); ++i) {
    FmLight* light = lightAt(lights, i);
    if (!light) continue;
    const GLenum id = GL_LIGHT0 + static_cast<GLenum>(i);
    light->setGlLight(static_cast<std::int32_t>(id));
    gl.glEnable(id);
    setLightColour(id, light->colourTrack().value());
    if (light->lightType() == FmLight::spot) gl.glLightf(id, GL_SPOT_CUTOFF, light->spotCutoff());
  }
}

void FmGLEngine::updateLights() {
  const RWOrdered& lights = scene().worker().lights();
  if (!lightsFit(lights)) return;
  static constexpr GLfloat origin[4] = {0, 0, 0, 1};
  // A light at infinity shines along its node's -z axis: it lies towards +z.
  static constexpr GLfloat towardsPlusZ[4] = {0, 0, 1, 0};
  static constexpr GLfloat alongMinusZ[3] = {0, 0, -1};
  for (std::size_t i = 0; i < lights.entryCount(); ++i) {
    FmLight* light = lightAt(lights, i);
    // A light that joined the tree after the set-up has no OpenGL light.
    if (!light || light->glLight() == FmLight::noGlLight) continue;
    const auto id = static_cast<GLenum>(light->glLight());
    gl.glPushMatrix();
    if (const auto* controller = light->controller()) gl.glMultMatrixf(controller->matrix().data());
    switch (light->lightType()) {
      case FmLight::positional:
        gl.glLightfv(id, GL_POSITION, origin);
        break;
      case FmLight::atInfinity:
        gl.glLightfv(id, GL_POSITION, towardsPlusZ);
        break;
      case FmLight::spot:
        gl.glLightfv(id, GL_SPOT_DIRECTION, alongMinusZ);
        gl.glLightfv(id, GL_POSITION, origin);
        break;
      default:
        break;
    }
    gl.glPopMatrix();
    if (light->colourTrack().hasKeys()) setLightColour(id, light->colourTrack().value());
  }
}

void FmGLEngine::uploadTextures() {
  // A scene set up again replaces the textures it uploaded before.
  deleteTextures();
  gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const RWOrdered& textures = scene().textures();
  const int nameCount = scene().textureNameCount();
  if (textures.entryCount() == 0 || nameCount <= 0) return;
  textureNames_.assign(static_cast<std::size_t>(nameCount), 0);
  gl.glGenTextures(nameCount, textureNames_.data());
  const GLint storage = TextureUpload::storageFormat(rememberedColourBits);
  std::size_t next = 0;
  for (std::size_t i = 0; i < textures.entryCount(); ++i) {
    auto* texture = dynamic_cast<FmOpenGLTexture*>(textures.elementAt(i));
    if (!texture) continue;
    for (int frame = 0; frame < texture->frameCount() && next < textureNames_.size(); ++frame) {
      if (FmOpenGLTexture* image = texture->frameAtIndex(frame)) {
        TextureUpload::upload(*image, textureNames_[next++], storage);
      }
    }
  }
  gl.glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void FmGLEngine::resize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  width_ = width;
  height_ = height;
  gl.glViewport(0, 0, width, height);
  aspect_ = static_cast<float>(width) / static_cast<float>(height);
  updateProjection();
}

void FmGLEngine::updateProjection() {
  const FmCamera* camera = scene().worker().camera();
  if (!camera || !renderingReady_) return;
  const double nearClip = camera->nearClip();
  const double top = std::tan(camera->fieldOfView() * halfDegreeInRadians) * nearClip;
  const double right = aspect_ * top;
  gl.glMatrixMode(GL_PROJECTION);
  gl.glLoadIdentity();
  gl.glFrustum(-right, right, -top, top, nearClip, camera->farClip());
  gl.glMatrixMode(GL_MODELVIEW);
}

void FmGLEngine::applyFog() {
  if (!renderingReady_) return;
  const FmScene& fogged = scene();
  if (fogged.fogIndex() == -1) {
    gl.glDisable(GL_FOG);
    gl.glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    return;
  }
  const FmPoint& colour = fogged.fogColour();
  gl.glEnable(GL_FOG);
  gl.glFogfv(GL_FOG_COLOR, rgba(colour, fogAlpha).data());
  switch (fogged.fogMode()) {
    case FmFog::exponential:
      gl.glFogi(GL_FOG_MODE, GL_EXP);
      gl.glFogf(GL_FOG_DENSITY, fogged.fogStart());
      break;
    case FmFog::exponentialSquared:
      gl.glFogi(GL_FOG_MODE, GL_EXP2);
      gl.glFogf(GL_FOG_DENSITY, fogged.fogStart());
      break;
    default:
      gl.glFogi(GL_FOG_MODE, GL_LINEAR);
      gl.glFogf(GL_FOG_START, fogged.fogStart());
      gl.glFogf(GL_FOG_END, fogged.fogEnd());
      break;
  }
  gl.glClearColor(colour.x, colour.y, colour.z, fogAlpha);
}

void FmGLEngine::releaseResources() {
  deleteTextures();
  deleteDisplayLists();
  if (fontBase_ != 0) gl.glDeleteLists(fontBase_, BitmapFont::listCount);
  fontBase_ = 0;
  turnLightsOff();
  gl.glDisable(GL_LIGHTING);
  gl.glDisable(GL_NORMALIZE);
  lighting_ = false;
  gl.glDisable(GL_FOG);
  materialKnown_ = false;
  boundTexture_ = -1;
  renderingReady_ = false;
  scene().clear();
}

void FmGLEngine::deleteTextures() {
  if (!textureNames_.empty()) {
    gl.glDeleteTextures(static_cast<GLsizei>(textureNames_.size()), textureNames_.data());
  }
  textureNames_.clear();
}

void FmGLEngine::deleteDisplayLists() {
  if (listBase_ != 0) gl.glDeleteLists(listBase_, listCount_);
  listBase_ = 0;
  listCount_ = 0;
  backgroundListTexture_ = -1;
}

void FmGLEngine::turnLightsOff() {
  const RWOrdered& lights = scene().worker().lights();
  const std::size_t count = lights.entryCount();
  for (std::size_t i = 0; i < std::min<std::size_t>(count, maxLights); ++i) {
    gl.glDisable(GL_LIGHT0 + static_cast<GLenum>(i));
  }
  if (count == 0) return;
  const FmPoint ambient{releasedAmbient, releasedAmbient, releasedAmbient};
  gl.glLightModelfv(GL_LIGHT_MODEL_AMBIENT, rgba(ambient).data());
  scene().setAmbient(ambient);
}
