#include "TextureUpload.h"

#include <algorithm>

#include "FmOpenGLTexture.h"

namespace {

constexpr int trueColourBits = 32;

// Whether the frame holds exactly the image its size promises: a frame without one
// gets its texture name but no image.
bool holdsImage(const FmOpenGLTexture& frame) {
  const auto bytes = FmOpenGLTexture::imageBytes(frame.width(), frame.height());
  return bytes && frame.hasPixels() && frame.pixelBytes() == *bytes;
}

}  // namespace

void TextureUpload::upload(FmOpenGLTexture& frame, GLuint name, GLint storageFormat) {
  frame.setGlName(static_cast<int>(name));
  gl.glBindTexture(GL_TEXTURE_2D, name);
  // The parameters follow the levels: set before them, Mesa takes about half as long
  // again over every level sent.
  if (holdsImage(frame)) loadMipmapChain(frame, storageFormat);
  gl.glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  gl.glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  gl.glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gl.glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  frame.releasePixels();
}

GLint TextureUpload::storageFormat(int colourBits) {
  return colourBits == trueColourBits ? GL_RGBA8 : GL_RGBA;
}

void TextureUpload::loadMipmapChain(FmOpenGLTexture& frame, GLint storageFormat) {
  for (GLint level = 0;; ++level) {
    gl.glTexImage2D(GL_TEXTURE_2D, level, storageFormat, frame.width(), frame.height(), 0, GL_RGBA,
                    GL_UNSIGNED_BYTE, frame.pixels());
    if (frame.width() == 1 && frame.height() == 1) return;
    frame.resample(std::max(frame.width() / 2, 1), std::max(frame.height() / 2, 1));
  }
}
