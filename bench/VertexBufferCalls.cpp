#include "VertexBufferCalls.h"

#include "GlDriver.h"

namespace {

template <class Function>
bool bindCall(Function& call, const char* name) {
  call = reinterpret_cast<Function>(GlDriver::procAddress(name));
  return call != nullptr;
}

}  // namespace

bool VertexBufferCalls::bind() {
  return bindCall(glGenBuffers, "glGenBuffers") && bindCall(glBindBuffer, "glBindBuffer") &&
         bindCall(glBufferData, "glBufferData") && bindCall(glDeleteBuffers, "glDeleteBuffers") &&
         bindCall(glDrawArrays, "glDrawArrays");
}
