#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// The OpenGL entry points that the engine's table leaves out and that the drawing
// benchmark's floors need: vertex buffer objects and array drawing. Bound from the
// driver library of the current context.
struct VertexBufferCalls {
  PFNGLGENBUFFERSPROC glGenBuffers = nullptr;
  PFNGLBINDBUFFERPROC glBindBuffer = nullptr;
  PFNGLBUFFERDATAPROC glBufferData = nullptr;
  PFNGLDELETEBUFFERSPROC glDeleteBuffers = nullptr;
  decltype(&::glDrawArrays) glDrawArrays = nullptr;

  // False when one of them can't be found.
  bool bind();
};
