#pragma once

#include "GlBinding.h"

class FmOpenGLTexture;

// Sends one texture image to OpenGL under its name: repeating, linearly filtered,
// with the whole mipmap chain when the image holds exactly the pixels its size
// promises, and frees the pixels afterwards. The frame keeps the name.
class TextureUpload {
public:
  static void upload(FmOpenGLTexture& frame, GLuint name, GLint storageFormat);
  // The storage format of uploaded textures: 8 bits per channel under a true-colour
  // pixel format, else the driver's choice.
  static GLint storageFormat(int colourBits);

private:
  // Level 0 is the image itself; every further level halves each side (not below 1)
  // until the 1 x 1 level has been loaded.
  static void loadMipmapChain(FmOpenGLTexture& frame, GLint storageFormat);
};
