#include "RWErrors.h"

#include <cstring>

#include "RWMessages.h"

namespace {

char* copyText(const char* text) {
  const std::size_t size = std::strlen(text) + 1;
  char* copy = new char[size];
  std::memcpy(copy, text, size);
  return copy;
}

}  // namespace

RWxmsg::RWxmsg(const char* text) : text_(copyText(text)), owned_(true) {}

RWxmsg::RWxmsg(const char* text, bool owned)
    : text_(owned ? copyText(text) : text), owned_(owned) {}

RWxmsg::RWxmsg(const RWxmsg& other) : text_(nullptr), owned_(false) {
  copyFrom(other);
}

RWxmsg& RWxmsg::operator=(const RWxmsg& other) {
  if (this != &other) {
    release();
    copyFrom(other);
  }
  return *this;
}

RWxmsg::~RWxmsg() {
  release();
}

void RWxmsg::raise() const {
  throw RWxmsg(*this);
}

void RWxmsg::copyFrom(const RWxmsg& other) {
  owned_ = other.owned_;
  text_ = other.owned_ ? copyText(other.text_) : other.text_;
}

void RWxmsg::release() {
  if (owned_) delete[] text_;
  text_ = nullptr;
  owned_ = false;
}

RWxalloc::RWxalloc(std::uint32_t requestedSize)
    : RWxmsg(RWMessages::noMemory.format, false), requestedSize_(requestedSize) {}

RWFileErr::RWFileErr(const char* text, std::int32_t file, std::int32_t failure)
    : RWExternalErr(text), file_(file), failure_(failure) {}

RWStreamErr::RWStreamErr(const char* text, std::int32_t state)
    : RWExternalErr(text), state_(state) {}
