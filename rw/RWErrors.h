#pragma once

#include <cstdint>

// The exception classes of the persistence library. Each carries a bracketed
// message ("[REF] Bad persistence reference"); the class tells the kind of error.
class RWxmsg {
public:
  explicit RWxmsg(const char* text);  // copies the text
  RWxmsg(const char* text, bool owned);
  RWxmsg(const RWxmsg& other);
  RWxmsg& operator=(const RWxmsg& other);
  virtual ~RWxmsg();

  const char* why() const { return text_; }
  bool ownsText() const { return owned_; }

  // Throws a copy of this object as an RWxmsg.
  [[noreturn]] void raise() const;

private:
  void copyFrom(const RWxmsg& other);
  void release();

  const char* text_;
  bool owned_;
};

class RWxalloc : public RWxmsg {
public:
  explicit RWxalloc(std::uint32_t requestedSize);
  std::uint32_t requestedSize() const { return requestedSize_; }

private:
  std::uint32_t requestedSize_;
};

class RWExternalErr : public RWxmsg {
public:
  using RWxmsg::RWxmsg;
};

class RWFileErr : public RWExternalErr {
public:
  RWFileErr(const char* text, std::int32_t file, std::int32_t failure);
  std::int32_t file() const { return file_; }
  std::int32_t failure() const { return failure_; }

private:
  std::int32_t file_;
  std::int32_t failure_;
};

class RWStreamErr : public RWExternalErr {
public:
  RWStreamErr(const char* text, std::int32_t state);
  std::int32_t state() const { return state_; }

private:
  std::int32_t state_;
};

class RWInternalErr : public RWxmsg {
public:
  using RWxmsg::RWxmsg;
};

class RWBoundsErr : public RWInternalErr {
public:
  using RWInternalErr::RWInternalErr;
};
