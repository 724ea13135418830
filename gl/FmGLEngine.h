#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FaceArrays.h"
#include "FmEngine.h"
#include "GlBinding.h"

class FmLight;
class FmMaterial;
class FmObject;
class RWOrdered;

// The OpenGL side of the engine: the pixel format, the fixed-function state for a
// loaded scene, texture upload, display lists, drawing and presenting each frame,
// the statistics overlay and screenshots. Every OpenGL call goes through the
// entry-point table `gl`, on the rendering context that is current.
class FmGLEngine : public FmEngine {
public:
  // Screenshot modes: one JPEG shot, or a Targa file for every frame drawn.
  static constexpr int singleShotMode = 0;
  static constexpr int recordingMode = 1;
  // The frame read stays in capturedFrame() and no file is written.
  static constexpr int keepMode = 2;
  // Where the statistics text starts, in pixels from the lower left corner.
  static constexpr int overlayX = 20;
  static constexpr int overlayY = 60;
  static constexpr std::size_t overlayTextCapacity = 256;
  static constexpr int maxLights = 8;

  using FmEngine::FmEngine;
  ~FmGLEngine() override;

  // Asks the platform for the pixel format of windows made afterwards: colour bits 16
  // give 5-6-5 colour and a 16-bit depth buffer, any other value 8-8-8 and 24 depth
  // bits, double buffered. Remembers the colour bits for the texture storage format.
  // 1 on success; 0 after an "Error" message box when the platform refuses.
  static int setPixelFormat(int colourBits);
  // The colour bits given to the last setPixelFormat; 0 before the first.
  static int pixelFormatColourBits();

  // The rendering state for the loaded scene: depth, shading, lights, textures,
  // culling, projection and fog.
  void setupScene();
  // The overlay font: one display list per byte code.
  void buildFont();
  // Compiles the static objects and the background into display lists.
  void buildDisplayLists();
  // A size with a zero side changes nothing.
  void resize(int width, int height);
  // The current camera's perspective for the viewport's aspect.
  void updateProjection();
  // Sends the scene's selected fog to OpenGL, or turns fog off when none is selected;
  // the fog colour is also the clear colour.
  void applyFog();
  // Draws the frame at the game time of the last currentTime and presents it;
  // captures it first while a capture runs.
  void drawFrame();
  // Waits until OpenGL has carried out everything sent so far: a frame timed after it
  // includes its rendering, which the driver may otherwise still be queueing.
  void finishDrawing();

  // Starts capturing into files named directory + "scrn%04i", numbered from 0.
  void beginCapture(const std::string& directory, int mode);
  // Reads the frame buffer being drawn and writes it as the next screenshot file.
  // False when no capture runs, the viewport is empty or the file can't be written;
  // the last is reported through the image writer's error reporter.
  bool captureFrame();
  void endCapture();
  // The RGB pixels (rows from the bottom) of the frame captured last while the
  // capture runs; empty before the first.
  const std::vector<std::uint8_t>& capturedFrame() const { return captureBuffer_; }
  // One JPEG shot of a freshly drawn frame; the time spent does not count as game time.
  bool takeSnapshot(const std::string& directory);
  // Starts recording every drawn frame as a Targa file, or stops a running recording.
  // While recording the game time steps by 1/24 s per frame.
  void toggleRecording(const std::string& directory);
  bool recording() const { return capturing_ && snapshotMode_ == recordingMode; }
  bool capturing() const { return capturing_; }

  // Deletes the textures, display lists and font, turns the lights and fog off and
  // clears the scene.
  void releaseResources();

  bool showStats() const { return showStats_; }
  void setShowStats(bool show) { showStats_ = show; }
  // Triangles of the frame drawn last.
  std::int32_t triangleCount() const { return triangles_; }
  bool lighting() const { return lighting_; }
  float aspect() const { return aspect_; }
  int width() const { return width_; }
  int height() const { return height_; }
  GLuint displayListBase() const { return listBase_; }
  GLsizei displayListCount() const { return listCount_; }
  GLuint fontBase() const { return fontBase_; }
  const std::string& snapshotDirectory() const { return snapshotDirectory_; }
  int snapshotCounter() const { return snapshotCounter_; }
  // The number that the next screenshot file takes.
  void setSnapshotCounter(int counter) { snapshotCounter_ = counter; }
  int snapshotMode() const { return snapshotMode_; }

  // The client arrays that objects drawn directly leave enabled.
  static constexpr unsigned vertexArrayBit = 1;
  static constexpr unsigned normalArrayBit = 2;
  static constexpr unsigned texCoordArrayBit = 4;
  static constexpr unsigned colourArrayBit = 8;

protected:
  void setupRendering() override;
  void buildDrawingResources() override;
  std::int32_t drawScene() override;
  void fogChanged() override { applyFog(); }
  void cameraChanged() override { updateProjection(); }

private:
  void setupLights();
  void updateLights();
  void uploadTextures();
  void deleteTextures();
  void deleteDisplayLists();
  void turnLightsOff();

  void skipTakenNumbers();
  void findNumbersTaken();
  void skipNumbersTaken();
  // Draws the picture of the frame without presenting it.
  void renderFrame();
  void loadViewMatrix();
  void drawBackground();
  void drawObjects(const RWOrdered& list, bool lastFirst);
  void drawObject(FmObject& object);
  void drawDirect(FmObject& object);
  void drawFaces(FmObject& object);
  void drawFacesCornerByCorner(FmObject& object);
  void drawFaceArrays(const FmObject& object);
  void leaveLastCornerCurrent();
  void bindTexture(const FmObject& object, int index);
  void applyMaterial(const FmMaterial* material);
  void rememberMaterial(const FmMaterial& material);
  void drawStatistics();
  std::string statisticsText() const;

  int countDisplayLists() const;
  void compileList(const RWOrdered& list, GLuint& next);
  void compileObject(FmObject& object, GLuint& next);
  void compileFrame(FmObject& object, GLuint& next);
  bool hasOwnList(const FmObject& object) const;
  void compileBackground(GLuint& next);
  void drawEveryKindOnce();
  void turnCullingOff(bool off);
  void turnLightingOff(bool off);
  // Switches a capability the engine keeps on between objects; `isOff` remembers its
  // state so that consecutive objects send nothing.
  void turnCapabilityOff(GLenum capability, bool off, bool& isOff);
  void useClientArray(unsigned bit, bool used);
  void restoreDrawingState();
  void drawInItsList(FmObject& object);

  // Set from the scene set-up until the resources are released: OpenGL state may be
  // changed only in between.
  bool renderingReady_ = false;
  bool capturing_ = false;
  bool lighting_ = false;
  // The name of the default texture object, bound for faces without a texture.
  static constexpr int untextured = 0;
  int boundTexture_ = -1;  // -1: not known
  // While a display list is compiled, faces are sent corner by corner: a list keeps
  // its own copy of them either way.
  bool compiling_ = false;
  // What the objects drawn directly left changed, to be set back before lists, corners
  // sent one by one, and the end of each list.
  bool cullingOff_ = false;
  bool lightingOff_ = false;
  unsigned clientArrays_ = 0;
  // Cleared as the scene starts; the first frame draws every kind of object once.
  bool everyKindDrawn_ = true;
  FaceArrays faceArrays_;
  // The material values last sent, while known: objects whose materials hold the
  // same values send nothing.
  FmMaterial appliedMaterial_;
  bool materialKnown_ = false;
  GLuint listBase_ = 0;
  GLsizei listCount_ = 0;
  float aspect_ = 1.0f;
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> captureBuffer_;
  std::string snapshotDirectory_;
  // The numbers that the recording's kind of file had when the recording began, in
  // ascending order: its frames skip them without asking the file system each time.
  std::vector<int> numbersTaken_;
  int snapshotCounter_ = 0;
  int snapshotMode_ = singleShotMode;
  bool showStats_ = false;
  GLuint fontBase_ = 0;
  std::int32_t triangles_ = 0;
  std::vector<GLuint> textureNames_;
  // The texture that the background's display list leaves bound.
  int backgroundListTexture_ = -1;
};
