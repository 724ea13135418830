#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "GlDriver.h"

// The OpenGL entry points the program calls, in binding order. glBitmap and
// glDrawArrays come last: the statistics overlay draws its embedded font with the
// first, and objects whose meshes change every frame are drawn from client arrays
// with the second.
//
// The Windows driver libraries also gave the WGL and GDI functions (pixel format,
// context, make-current, swap and font bitmaps). Linux has no counterpart for them:
// their roles are the GlDriver functions of the platform layer, chosen per driver kind
// below, and the font comes from the embedded bitmaps.
// clang-format off
#define ZIRROW_GL_ENTRY_POINTS(X) \
  X(glArrayElement) X(glAlphaFunc) X(glBegin) X(glBindTexture) X(glBlendFunc) \
  X(glCallList) X(glCallLists) X(glClear) X(glClearColor) X(glClearDepth) X(glColor3f) \
  X(glColor3fv) X(glColor3ubv) X(glColorPointer) X(glCullFace) X(glDeleteLists) \
  X(glDeleteTextures) X(glDepthFunc) X(glDepthMask) X(glDisable) \
  X(glDisableClientState) X(glEnable) X(glEnableClientState) X(glEnd) X(glEndList) \
  X(glFinish) X(glFogf) X(glFogfv) X(glFogi) X(glFrustum) X(glGenLists) \
  X(glGenTextures) X(glGetError) X(glGetString) X(glHint) X(glIsList) X(glIsTexture) \
  X(glLightModelfv) X(glLightf) X(glLightfv) X(glListBase) X(glLoadIdentity) \
  X(glLoadMatrixf) X(glMaterialf) X(glMaterialfv) X(glMatrixMode) X(glMultMatrixf) \
  X(glNewList) X(glNormal3fv) X(glNormalPointer) X(glOrtho) X(glPixelStorei) \
  X(glPopAttrib) X(glPopMatrix) X(glPushAttrib) X(glPushMatrix) X(glRasterPos2i) \
  X(glReadPixels) X(glShadeModel) X(glTexCoord2fv) X(glTexCoordPointer) X(glTexEnvf) \
  X(glTexImage2D) X(glTexParameterf) X(glVertex3fv) X(glVertexPointer) X(glViewport) \
  X(glBitmap) X(glDrawArrays)
// clang-format on

// The program-wide entry-point table: one pointer per name, null until bound. Every
// OpenGL call of the program goes through it (gl.glClear(...)).
struct GlEntryPoints {
#define ZIRROW_GL_ENTRY_POINT(name) decltype(&::name) name = nullptr;
  ZIRROW_GL_ENTRY_POINTS(ZIRROW_GL_ENTRY_POINT)
#undef ZIRROW_GL_ENTRY_POINT
};

extern GlEntryPoints gl;

#define ZIRROW_GL_ENTRY_NAME(name) #name,
inline constexpr std::array glEntryPointNames{ZIRROW_GL_ENTRY_POINTS(ZIRROW_GL_ENTRY_NAME)};
#undef ZIRROW_GL_ENTRY_NAME

// The labels of the useGL choices.
inline constexpr const char* systemDriverLabel = "System OpenGL";
inline constexpr const char* voodooDriverLabel = "Voodoo OpenGL";
inline constexpr const char* directXDriverLabel = "OpenGL via DirectX";

// useGL 2 is the Voodoo driver, 3 the DirectX one, any other value the system library.
const char* driverLabel(int useGL);
// The Voodoo driver only runs full screen; in a window useGL 2 gets the system library.
const char* driverLibraryName(int useGL, bool fullScreen);
// "opengl32" anywhere in the name, in that case: the system OpenGL library.
bool namesSystemLibrary(const char* libraryName);

// Loads the driver library by name and binds the whole table from it. The system
// library's Windows name stands for the system OpenGL library; other names are
// loaded as they stand. 1 on success; 0 when the library can't be loaded, with the
// table left unbound. Whatever was bound before is forgotten first, as its library
// is released.
int bindOpenGL(const char* libraryName);
// Binds every name of the table through lookup, in order; a name that lookup can't
// find stays null and clears the all-found flag.
void bindEntryPoints(const std::function<void*(const char*)>& lookup);
// Forgets every entry point and the driver library.
void unbindOpenGL();

// While counting, every bound entry of the table is a counter in front of the
// driver's function: each call through the table adds one to glCallsCounted. The
// choice holds across binds; turning counting off puts the driver's functions back.
void countGlCalls(bool counting);
bool countingGlCalls();
std::uint64_t glCallsCounted();
// Those of them made through the entry of that name (glBindTexture, ...); 0 for a name
// the table does not have.
std::uint64_t glCallsCountedTo(std::string_view name);

// Set by the last bind when the library was the system library; it chooses the
// pixel-format and swap functions. On Linux both driver kinds present through the
// same platform functions.
bool usesSystemLibrary();
// Set when the last bind found every name of the table.
bool allEntryPointsFound();
// The table's names that are not bound, in table order.
std::vector<std::string> missingEntryPoints();

// Creates a rendering context on the device context and makes it current; null on failure.
GlContextHandle createContext(GlDeviceContext deviceContext);
// Makes the context current on the device context; (null, null) makes none current.
// 1 on success, 0 on failure.
int makeCurrent(GlDeviceContext deviceContext, GlContextHandle context);
// Makes no context current, then deletes the context if it is not null. Always 0.
int deleteContext(GlContextHandle context);
// Sets the current context's swap interval (1: wait for the display's refresh, 0: never
// wait); 1 on success, 0 when the driver can't.
int setSwapInterval(int interval);
// Presents the frame on the device context of the current rendering context.
void swapBuffers();

// Chooses the driver for useGL and the screen mode, binds it and checks that drawing
// can run on it. Empty when it can; otherwise the text of the message that ends the
// program: the driver's label and library, and what failed or the missing names.
std::string bindDriverFor(int useGL, bool fullScreen);
// The message for missing entry points; empty when the table is complete.
std::string missingEntryPointsMessage(const char* label, const char* libraryName);
