#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "BitmapFont.h"
#include "FmAnimatedMesh.h"
#include "FmFace.h"
#include "FmGLEngine.h"
#include "FmMaterial.h"
#include "FmObject.h"
#include "FmRocket.h"

namespace {

FmObject* objectAt(const RWOrdered& list, std::size_t index) {
  return dynamic_cast<FmObject*>(list.elementAt(index));
}

// Objects that the visibility pass found out of view have a distance below 1.
bool inView(const FmObject& object) {
  return std::fabs(object.viewDistance()) >= 1.0f;
}

void multiplyByController(const FmNode& node) {
  if (const auto* controller = node.controller()) gl.glMultMatrixf(controller->matrix().data());
}

void sendColour(GLenum face, GLenum property, const FmPoint& colour) {
  const GLfloat value[4] = {colour.x, colour.y, colour.z, 1.0f};
  gl.glMaterialfv(face, property, value);
}

// The lists an object needs: one for its own frame, or one for each animation that
// has a single frame (animations with more frames are drawn directly).
int listsNeededBy(const FmObject& object) {
  if (object.animationCount() == 0) return 1;
  int lists = 0;
  for (int i = 0; i < object.animationCount(); ++i) {
    const FmAnimatedMesh* animation = object.animationAt(i);
    if (animation && animation->frameCount() == 1) ++lists;
  }
  return lists;
}

int listsNeededBy(const RWOrdered& list) {
  int lists = 0;
  for (std::size_t i = 0; i < list.entryCount(); ++i) {
    if (const FmObject* object = objectAt(list, i)) lists += listsNeededBy(*object);
  }
  return lists;
}

// Far enough from the eye for any camera's near clipping plane.
constexpr float nearClipAhead = 20.0f;

// An object and what it brings into play: a rocket's explosion and everything
// under that (the lists hold the objects of the tree already).
void collectObjects(FmNode* node, std::vector<FmObject*>& objects) {
  if (!node) return;
  if (auto* object = dynamic_cast<FmObject*>(node)) objects.push_back(object);
  auto* rocket = dynamic_cast<FmRocket*>(node);
  if (!rocket) return;
  std::vector<FmNode*> pending{rocket->explosion()};
  while (!pending.empty()) {
    FmNode* next = pending.back();
    pending.pop_back();
    if (!next) continue;
    if (auto* object = dynamic_cast<FmObject*>(next)) objects.push_back(object);
    for (std::size_t i = 0; i < next->childCount(); ++i) pending.push_back(next->childAt(i));
  }
}

GLenum clientArrayOf(unsigned bit) {
  switch (bit) {
    case FmGLEngine::normalArrayBit:
      return GL_NORMAL_ARRAY;
    case FmGLEngine::texCoordArrayBit:
      return GL_TEXTURE_COORD_ARRAY;
    case FmGLEngine::colourArrayBit:
      return GL_COLOR_ARRAY;
    default:
      return GL_VERTEX_ARRAY;
  }
}

}  // namespace

std::int32_t FmGLEngine::drawScene() {
  // Without a rendering context (no pixel format, or released at close) there is
  // nothing to draw on.
  if (!renderingReady_) return 0;
  drawFrame();
  return triangles_;
}

void FmGLEngine::drawFrame() {
  renderFrame();
  // The back buffer holds the picture only until it is presented.
  if (capturing_) captureFrame();
  swapBuffers();
}

void FmGLEngine::finishDrawing() {
  if (renderingReady_) gl.glFinish();
}

void FmGLEngine::renderFrame() {
  triangles_ = 0;
  boundTexture_ = -1;
  materialKnown_ = false;
  gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  gl.glGetError();
  gl.glPushMatrix();
  loadViewMatrix();
  const bool textured = scene().textures().entryCount() > 0;
  if (textured) gl.glEnable(GL_TEXTURE_2D);
  if (!everyKindDrawn_) {
    updateLights();
    drawEveryKindOnce();
  }
  drawBackground();
  updateLights();
  const FmWorker& worker = scene().worker();
  drawObjects(worker.objects(), false);
  if (worker.alphaObjects().entryCount() > 0) {
    gl.glEnable(GL_ALPHA_TEST);
    gl.glAlphaFunc(GL_GEQUAL, 0.5f);
    drawObjects(worker.alphaObjects(), true);
    gl.glDisable(GL_ALPHA_TEST);
  }
  if (worker.blendObjects().entryCount() > 0) {
    gl.glEnable(GL_BLEND);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.glDepthMask(GL_FALSE);
    // The list runs near to far: drawn from its end, the nearest comes last, on top.
    drawObjects(worker.blendObjects(), true);
    gl.glDepthMask(GL_TRUE);
    gl.glDisable(GL_BLEND);
  }
  if (textured) gl.glDisable(GL_TEXTURE_2D);
  if (showStats_) drawStatistics();
  gl.glPopMatrix();
}

void FmGLEngine::loadViewMatrix() {
  const FmTransformController* controller = scene().worker().currentCameraController();
  if (!controller) return;
  FmMatrix view;
  controller->getInverseMatrix(view);
  gl.glLoadMatrixf(view.data());
}

void FmGLEngine::drawBackground() {
  FmObject* background = scene().worker().background();
  if (!background) return;
  gl.glDisable(GL_DEPTH_TEST);
  triangles_ += background->faceCount();
  gl.glPushMatrix();
  multiplyByController(*background);
  if (hasOwnList(*background)) {
    gl.glCallList(static_cast<GLuint>(background->displayList()));
    boundTexture_ = backgroundListTexture_;
    if (background->material()) rememberMaterial(*background->material());
  } else {
    if (lighting_) gl.glDisable(GL_LIGHTING);
    bindTexture(*background, 0);
    drawDirect(*background);
    restoreDrawingState();
    if (lighting_) gl.glEnable(GL_LIGHTING);
  }
  gl.glPopMatrix();
  gl.glEnable(GL_DEPTH_TEST);
}

void FmGLEngine::drawObjects(const RWOrdered& list, bool lastFirst) {
  const std::size_t count = list.entryCount();
  for (std::size_t i = 0; i < count; ++i) {
    FmObject* object = objectAt(list, lastFirst ? count - 1 - i : i);
    if (object && inView(*object)) drawObject(*object);
  }
  restoreDrawingState();
}

void FmGLEngine::drawObject(FmObject& object) {
  triangles_ += object.faceCount();
  gl.glPushMatrix();
  multiplyByController(object);
  bindTexture(object, 0);
  if (hasOwnList(object)) {
    restoreDrawingState();
    gl.glCallList(static_cast<GLuint>(object.displayList()));
    // The list applied the object's material; when its faces change textures, the one
    // it leaves bound is not known here.
    if (object.material()) rememberMaterial(*object.material());
    if (object.textureCount() > 1) boundTexture_ = -1;
  } else {
    drawDirect(object);
  }
  gl.glPopMatrix();
}

bool FmGLEngine::hasOwnList(const FmObject& object) const {
  const std::int32_t list = object.displayList();
  return listBase_ != 0 && list >= static_cast<std::int64_t>(listBase_) &&
         list < static_cast<std::int64_t>(listBase_) + listCount_;
}

void FmGLEngine::drawDirect(FmObject& object) {
  if (object.material()) applyMaterial(object.material());
  const bool cullingOff = object.doubleSided() != 0;
  const bool lightingOff = lighting_ && object.lit() == 0;
  if (!compiling_) {
    // Objects drawn one after another leave culling and lighting as the next needs
    // them; lists and the end of each list find them as set up.
    turnCullingOff(cullingOff);
    turnLightingOff(lightingOff);
    if (object.colours().empty()) gl.glColor3f(1.0f, 1.0f, 1.0f);
    drawFaces(object);
    return;
  }
  if (cullingOff) gl.glDisable(GL_CULL_FACE);
  if (lightingOff) gl.glDisable(GL_LIGHTING);
  if (object.colours().empty()) gl.glColor3f(1.0f, 1.0f, 1.0f);
  drawFaces(object);
  if (cullingOff) gl.glEnable(GL_CULL_FACE);
  if (lightingOff) gl.glEnable(GL_LIGHTING);
}

// Objects drawn every frame from their current frame (morphing and animated ones)
// send their corners as arrays, one draw per texture; what the arrays can't say is
// sent corner by corner.
void FmGLEngine::drawFaces(FmObject& object) {
  if (!object.faces()) return;
  if (!compiling_ && faceArrays_.gather(object)) {
    drawFaceArrays(object);
  } else {
    drawFacesCornerByCorner(object);
  }
}

// Texture 0 was bound before the object was drawn; each later run binds its own.
void FmGLEngine::drawFaceArrays(const FmObject& object) {
  const FaceArrays& arrays = faceArrays_;
  const bool corners = arrays.cornerCount() > 0;
  useClientArray(vertexArrayBit, corners);
  useClientArray(normalArrayBit, corners && !arrays.normals().empty());
  useClientArray(texCoordArrayBit, corners && !arrays.texCoords().empty());
  useClientArray(colourArrayBit, corners && !arrays.colours().empty());
  if (corners) {
    gl.glVertexPointer(3, GL_FLOAT, 0, arrays.positions().data());
    if (!arrays.normals().empty()) gl.glNormalPointer(GL_FLOAT, 0, arrays.normals().data());
    if (!arrays.texCoords().empty()) {
      gl.glTexCoordPointer(2, GL_FLOAT, 0, arrays.texCoords().data());
    }
    if (!arrays.colours().empty()) {
      gl.glColorPointer(3, GL_UNSIGNED_BYTE, 0, arrays.colours().data());
    }
  }
  const std::vector<FaceArrays::Run>& runs = arrays.runs();
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (i > 0) bindTexture(object, runs[i].texture);
    if (runs[i].count > 0) gl.glDrawArrays(GL_TRIANGLES, runs[i].first, runs[i].count);
  }
  leaveLastCornerCurrent();
}

// Drawn corner by corner, the last corner's normal, texture coordinate and colour
// stay current for whatever is drawn next; after arrays they are not known, so they
// are sent once more.
void FmGLEngine::leaveLastCornerCurrent() {
  const FaceArrays& arrays = faceArrays_;
  if (arrays.cornerCount() == 0) return;
  if (!arrays.normals().empty()) gl.glNormal3fv(&arrays.normals()[arrays.normals().size() - 3]);
  if (!arrays.texCoords().empty()) {
    gl.glTexCoord2fv(&arrays.texCoords()[arrays.texCoords().size() - 2]);
  }
  if (!arrays.colours().empty()) gl.glColor3ubv(&arrays.colours()[arrays.colours().size() - 3]);
}

void FmGLEngine::turnCullingOff(bool off) {
  turnCapabilityOff(GL_CULL_FACE, off, cullingOff_);
}

void FmGLEngine::turnLightingOff(bool off) {
  turnCapabilityOff(GL_LIGHTING, off, lightingOff_);
}

void FmGLEngine::turnCapabilityOff(GLenum capability, bool off, bool& isOff) {
  if (off == isOff) return;
  if (off) {
    gl.glDisable(capability);
  } else {
    gl.glEnable(capability);
  }
  isOff = off;
}

void FmGLEngine::useClientArray(unsigned bit, bool used) {
  if (used == ((clientArrays_ & bit) != 0)) return;
  const GLenum array = clientArrayOf(bit);
  if (used) {
    gl.glEnableClientState(array);
    clientArrays_ |= bit;
  } else {
    gl.glDisableClientState(array);
    clientArrays_ &= ~bit;
  }
}

void FmGLEngine::restoreDrawingState() {
  turnCullingOff(false);
  turnLightingOff(false);
  for (const unsigned bit : {vertexArrayBit, normalArrayBit, texCoordArrayBit, colourArrayBit}) {
    useClientArray(bit, false);
  }
}

void FmGLEngine::drawFacesCornerByCorner(FmObject& object) {
  restoreDrawingState();
  const RWOrdered* faces = object.faces();
  const std::span<const float> positions = object.positions();
  const std::span<const float> normals = object.normals();
  const std::span<const float> texCoords = object.texCoords();
  const std::span<const std::uint8_t> colours = object.colours();
  // Texture 0 was bound before the object was drawn.
  std::int32_t texture = 0;
  gl.glBegin(GL_TRIANGLES);
  for (std::size_t i = 0; i < faces->entryCount(); ++i) {
    const auto* face = dynamic_cast<const FmFace*>(faces->elementAt(i));
    if (!face) continue;
    if (face->textureIndex() != texture) {
      texture = face->textureIndex();
      gl.glEnd();
      bindTexture(object, texture);
      gl.glBegin(GL_TRIANGLES);
    }
    // Also skips corners that name no vertex (-1) and indices beyond the arrays.
    if (!object.isUsable(*face)) continue;
    for (int corner = 0; corner < 3; ++corner) {
      const std::int32_t normal = face->normalIndex()[corner];
      const std::int32_t texCoord = face->texCoordIndex()[corner];
      const std::int32_t colour = face->colourIndex()[corner];
      if (!normals.empty() && normal != -1) gl.glNormal3fv(&normals[normal * 3]);
      if (!texCoords.empty() && texCoord != -1) gl.glTexCoord2fv(&texCoords[texCoord * 2]);
      if (!colours.empty() && colour != -1) gl.glColor3ubv(&colours[colour * 3]);
      gl.glVertex3fv(&positions[face->vertexIndex()[corner] * 3]);
    }
  }
  gl.glEnd();
}

void FmGLEngine::bindTexture(const FmObject& object, int index) {
  // Faces that name no texture are drawn untextured: the default texture object has
  // no image, which leaves texturing off for them.
  const int name = std::max(object.textureNameAt(lastTime(), index), untextured);
  if (name == boundTexture_) return;
  gl.glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(name));
  boundTexture_ = name;
}

namespace {

bool sameMaterial(const FmMaterial& a, const FmMaterial& b) {
  return a.ambient() == b.ambient() && a.diffuse() == b.diffuse() && a.specular() == b.specular() &&
         a.emission() == b.emission() && a.shininess() == b.shininess() &&
         a.twoSided() == b.twoSided();
}

}  // namespace

void FmGLEngine::rememberMaterial(const FmMaterial& material) {
  appliedMaterial_ = material;
  materialKnown_ = true;
}

void FmGLEngine::applyMaterial(const FmMaterial* material) {
  if (materialKnown_ && sameMaterial(*material, appliedMaterial_)) return;
  rememberMaterial(*material);
  const GLenum face = material->twoSided() ? GL_FRONT_AND_BACK : GL_FRONT;
  sendColour(face, GL_AMBIENT, material->ambient());
  sendColour(face, GL_DIFFUSE, material->diffuse());
  sendColour(face, GL_SPECULAR, material->specular());
  sendColour(face, GL_EMISSION, material->emission());
  gl.glMaterialf(face, GL_SHININESS, material->shininess());
}

void FmGLEngine::buildFont() {
  if (fontBase_ != 0) gl.glDeleteLists(fontBase_, BitmapFont::listCount);
  fontBase_ = BitmapFont::compile();
}

void FmGLEngine::drawStatistics() {
  if (width_ <= 0 || height_ <= 0) return;
  // Plain white text over whatever the scene left switched on.
  gl.glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIST_BIT);
  for (const GLenum capability :
       {GL_LIGHTING, GL_TEXTURE_2D, GL_FOG, GL_DEPTH_TEST, GL_ALPHA_TEST, GL_BLEND}) {
    gl.glDisable(capability);
  }
  gl.glMatrixMode(GL_PROJECTION);
  gl.glPushMatrix();
  gl.glLoadIdentity();
  gl.glOrtho(0.0, width_, 0.0, height_, -1.0, 1.0);
  gl.glMatrixMode(GL_MODELVIEW);
  gl.glLoadIdentity();
  gl.glColor3f(1.0f, 1.0f, 1.0f);
  gl.glRasterPos2i(overlayX, overlayY);
  if (fontBase_ != 0) {
    const std::string text = statisticsText();
    gl.glListBase(fontBase_);
    gl.glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
  }
  gl.glMatrixMode(GL_PROJECTION);
  gl.glPopMatrix();
  gl.glMatrixMode(GL_MODELVIEW);
  gl.glPopAttrib();
}

std::string FmGLEngine::statisticsText() const {
  const FmFrameStatistics& statistics = this->statistics();
  const double update = statistics.update().current;
  const double draw = statistics.draw().current;
  const double collision = statistics.collision().current;
  const double frameSeconds = collision + update + draw;
  const double framesPerSecond = frameSeconds > 0.0 ? 1.0 / frameSeconds : 0.0;
  constexpr double millisecondsPerSecond = 1000.0;
  char text[overlayTextCapacity];
  std::snprintf(text, sizeof text,
                "FPS: %2.0f for %i triangles\n(ms): render %2.2f, transform %2.2f, collide %2.2f",
                framesPerSecond, static_cast<int>(statistics.lastTriangles()),
                draw * millisecondsPerSecond, update * millisecondsPerSecond,
                collision * millisecondsPerSecond);
  return text;
}

void FmGLEngine::buildDisplayLists() {
  deleteDisplayLists();
  const FmWorker& worker = scene().worker();
  const int count = listsNeededBy(worker.objects()) + listsNeededBy(worker.alphaObjects()) +
                    listsNeededBy(worker.blendObjects()) + listsNeededBy(worker.templates()) +
                    (worker.background() ? 1 : 0);
  if (count <= 0) return;
  const GLuint base = gl.glGenLists(count);
  // Without lists every object is drawn directly.
  if (base == 0) return;
  listBase_ = base;
  listCount_ = count;
  GLuint next = base;
  compileList(worker.objects(), next);
  compileList(worker.alphaObjects(), next);
  compileList(worker.blendObjects(), next);
  compileList(worker.templates(), next);
  compileBackground(next);
  boundTexture_ = -1;
  materialKnown_ = false;
}

void FmGLEngine::compileList(const RWOrdered& list, GLuint& next) {
  for (std::size_t i = 0; i < list.entryCount(); ++i) {
    if (FmObject* object = objectAt(list, i)) compileObject(*object, next);
  }
}

void FmGLEngine::compileObject(FmObject& object, GLuint& next) {
  if (object.animationCount() == 0) {
    compileFrame(object, next);
    return;
  }
  for (int i = 0; i < object.animationCount(); ++i) {
    const FmAnimatedMesh* animation = object.animationAt(i);
    if (!animation || animation->frameCount() != 1) continue;
    object.selectAnimation(i);
    compileFrame(object, next);
  }
}

void FmGLEngine::compileFrame(FmObject& object, GLuint& next) {
  if (!object.currentFrame() || next >= listBase_ + static_cast<GLuint>(listCount_)) return;
  object.updateMesh(0.0f);
  // A frame that another object compiled already (an instanced copy shares it) keeps
  // its list.
  if (hasOwnList(object)) return;
  const GLuint list = next++;
  // Each list applies its own material and texture changes: when it is called, the
  // object's first texture is bound and nothing else is known.
  materialKnown_ = false;
  boundTexture_ = object.textureNameAt(lastTime(), 0);
  gl.glNewList(list, GL_COMPILE);
  compiling_ = true;
  drawDirect(object);
  compiling_ = false;
  gl.glEndList();
  object.setDisplayList(static_cast<std::int32_t>(list));
}

// Every object, and what only enters the scene during play (projectiles, explosions,
// debris), is drawn once before the first frame, with its lights and fog and in the
// state of its list, into a picture that is cleared at once: the driver prepares its drawing of
// each kind of object now (Mesa's llvmpipe compiles its shaders for it) rather than at the frame
// where the first of its kind comes into view.
void FmGLEngine::drawEveryKindOnce() {
  const FmWorker& worker = scene().worker();
  std::vector<FmObject*> objects;
  for (const RWOrdered* list :
       {&worker.objects(), &worker.alphaObjects(), &worker.blendObjects()}) {
    for (std::size_t i = 0; i < list->entryCount(); ++i) {
      collectObjects(dynamic_cast<FmNode*>(list->elementAt(i)), objects);
    }
  }
  const std::size_t inTheTree = objects.size();
  for (std::size_t i = 0; i < worker.templates().entryCount(); ++i) {
    collectObjects(dynamic_cast<FmNode*>(worker.templates().elementAt(i)), objects);
  }
  // A morphing template has no current shape before its first update; the objects of
  // the tree have theirs for this frame.
  for (std::size_t i = inTheTree; i < objects.size(); ++i) {
    if (objects[i]->animationCount() > 0 && !hasOwnList(*objects[i])) objects[i]->updateMesh(0.0f);
  }
  everyKindDrawn_ = true;
  if (objects.empty()) return;
  gl.glPushMatrix();
  for (FmObject* object : objects) drawInItsList(*object);
  restoreDrawingState();
  gl.glPopMatrix();
  gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  boundTexture_ = -1;
  materialKnown_ = false;
  triangles_ = 0;
}

void FmGLEngine::drawInItsList(FmObject& object) {
  // In front of the eye: the driver prepares only what reaches the screen.
  FmMatrix ahead = FmMatrix::identity();
  ahead[14] = -(nearClipAhead + 2.0f * object.boundingRadius());
  gl.glLoadMatrixf(ahead.data());
  const std::int32_t mode = object.blendMode();
  if (mode == 8) {
    gl.glEnable(GL_ALPHA_TEST);
    gl.glAlphaFunc(GL_GEQUAL, 0.5f);
  } else if (mode != 0) {
    gl.glEnable(GL_BLEND);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.glDepthMask(GL_FALSE);
  }
  drawObject(object);
  if (mode == 8) gl.glDisable(GL_ALPHA_TEST);
  if (mode != 0 && mode != 8) {
    gl.glDepthMask(GL_TRUE);
    gl.glDisable(GL_BLEND);
  }
}

void FmGLEngine::compileBackground(GLuint& next) {
  FmObject* background = scene().worker().background();
  if (!background) return;
  background->setDisplayList(FmObject::noDisplayList);
  if (background->animationCount() > 0 || next >= listBase_ + static_cast<GLuint>(listCount_)) {
    return;
  }
  const GLuint list = next++;
  materialKnown_ = false;
  boundTexture_ = -1;
  background->setDisplayList(static_cast<std::int32_t>(list));
  gl.glNewList(list, GL_COMPILE);
  compiling_ = true;
  if (lighting_) gl.glDisable(GL_LIGHTING);
  bindTexture(*background, 0);
  drawDirect(*background);
  if (lighting_) gl.glEnable(GL_LIGHTING);
  compiling_ = false;
  gl.glEndList();
  backgroundListTexture_ = boundTexture_;
}
