#include "RWBinaryFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <type_traits>

namespace {

template <class T>
T toLittleEndian(T value) {
  if constexpr (std::endian::native == std::endian::little || sizeof(T) == 1) {
    return value;
  } else {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    std::reverse(bytes, bytes + sizeof(T));
    std::memcpy(&value, bytes, sizeof(T));
    return value;
  }
}

constexpr std::size_t maxModeLength = 8;

}  // namespace

RWBinaryFile::RWBinaryFile(const char* name, const char* mode) : name_(name ? name : "") {
  if (mode) {
    mode_ = std::string(mode).substr(0, maxModeLength);
    handle_ = std::fopen(name_.c_str(), mode_.c_str());
    return;
  }
  mode_ = "rb+";
  handle_ = std::fopen(name_.c_str(), "rb+");
  if (!handle_) {
    mode_ = "wb+";
    handle_ = std::fopen(name_.c_str(), "wb+");
  }
}

RWBinaryFile::~RWBinaryFile() {
  close();
}

void RWBinaryFile::close() {
  if (handle_) std::fclose(handle_);
  handle_ = nullptr;
}

bool RWBinaryFile::exists(const char* name) {
  std::error_code error;
  return name && std::filesystem::exists(name, error);
}

bool RWBinaryFile::eof() const {
  return handle_ && std::feof(handle_);
}

bool RWBinaryFile::error() const {
  return handle_ && std::ferror(handle_);
}

bool RWBinaryFile::flush() {
  return handle_ && std::fflush(handle_) == 0;
}

bool RWBinaryFile::seekTo(std::uint64_t offset) {
  return handle_ && offset <= static_cast<std::uint64_t>(INT64_MAX) &&
         std::fseek(handle_, static_cast<long>(offset), SEEK_SET) == 0;
}

bool RWBinaryFile::seekToEnd() {
  return handle_ && std::fseek(handle_, 0, SEEK_END) == 0;
}

std::uint64_t RWBinaryFile::currentOffset() const {
  if (!handle_) return 0;
  const long offset = std::ftell(handle_);
  return offset < 0 ? 0 : static_cast<std::uint64_t>(offset);
}

bool RWBinaryFile::isEmpty() {
  if (!handle_) return true;
  const std::uint64_t here = currentOffset();
  if (!seekToEnd()) return false;
  const bool empty = currentOffset() == 0;
  seekTo(here);
  return empty;
}

bool RWBinaryFile::erase() {
  if (!handle_) return false;
  if (std::fclose(handle_) != 0) {
    handle_ = nullptr;
    return false;
  }
  handle_ = nullptr;
  if (std::remove(name_.c_str()) != 0) return false;
  mode_ = "wb+";
  handle_ = std::fopen(name_.c_str(), "wb+");
  firstShortRead_ = -1;
  knownSize_ = -1;
  return handle_ != nullptr;
}

std::uint64_t RWBinaryFile::bytesLeft() {
  if (!handle_) return 0;
  const std::uint64_t here = currentOffset();
  if (knownSize_ < 0) {
    if (!seekToEnd()) return 0;
    knownSize_ = static_cast<std::int64_t>(currentOffset());
    seekTo(here);
  }
  const auto end = static_cast<std::uint64_t>(knownSize_);
  return end > here ? end - here : 0;
}

bool RWBinaryFile::ensureAvailable(std::uint64_t bytes) {
  if (!handle_) return false;
  if (bytes <= bytesLeft()) return true;
  if (firstShortRead_ < 0) firstShortRead_ = static_cast<std::int64_t>(currentOffset());
  seekToEnd();
  std::fgetc(handle_);  // sets the end-of-file flag
  return false;
}

bool RWBinaryFile::readBytes(void* bytes, std::size_t size) {
  if (!handle_) return false;
  const std::size_t got = std::fread(bytes, 1, size, handle_);
  if (got == size) return true;
  // Asking the stream for its offset costs a system call, so only a short read does.
  if (firstShortRead_ < 0) {
    const std::uint64_t end = currentOffset();
    firstShortRead_ = static_cast<std::int64_t>(end >= got ? end - got : 0);
  }
  return false;
}

bool RWBinaryFile::writeBytes(const void* bytes, std::size_t size) {
  knownSize_ = -1;
  return handle_ && std::fwrite(bytes, 1, size, handle_) == size;
}

template <class T>
bool RWBinaryFile::readScalar(T& value) {
  T stored;
  if (!readBytes(&stored, sizeof stored)) return false;
  value = toLittleEndian(stored);
  return true;
}

template <class T>
bool RWBinaryFile::writeScalar(T value) {
  const T stored = toLittleEndian(value);
  return writeBytes(&stored, sizeof stored);
}

template <class T>
bool RWBinaryFile::readArray(T* values, std::size_t n) {
  if (n == 0) return handle_ != nullptr;
  if (!readBytes(values, n * sizeof(T))) return false;
  if constexpr (std::endian::native != std::endian::little && sizeof(T) > 1) {
    for (std::size_t i = 0; i < n; ++i) values[i] = toLittleEndian(values[i]);
  }
  return true;
}

template <class T>
bool RWBinaryFile::writeArray(const T* values, std::size_t n) {
  if (n == 0) return handle_ != nullptr;
  if constexpr (std::endian::native == std::endian::little || sizeof(T) == 1) {
    return writeBytes(values, n * sizeof(T));
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      if (!writeScalar(values[i])) return false;
    }
    return true;
  }
}

// Pushing the bytes back into the stream's buffer costs nothing, where seeking back
// costs a system call; a stream that refuses them, or an end of file that the read
// flagged, is sought back instead.
bool RWBinaryFile::peek(std::uint16_t& value) {
  if (!handle_) return false;
  unsigned char bytes[sizeof value];
  const std::size_t got = std::fread(bytes, 1, sizeof bytes, handle_);
  std::size_t pushed = 0;
  while (pushed < got && std::ungetc(bytes[got - 1 - pushed], handle_) != EOF) ++pushed;
  if (pushed < got || got < sizeof bytes) seekTo(currentOffset() - (got - pushed));
  if (got != sizeof bytes) return false;
  std::uint16_t stored = 0;
  std::memcpy(&stored, bytes, sizeof stored);
  value = toLittleEndian(stored);
  return true;
}

bool RWBinaryFile::readText(std::string& text) {
  text.clear();
  if (!handle_) return true;
  for (int c = std::fgetc(handle_); c != EOF && c != '\0'; c = std::fgetc(handle_)) {
    text.push_back(static_cast<char>(c));
  }
  return true;
}

bool RWBinaryFile::writeText(const char* text) {
  return writeBytes(text, std::strlen(text) + 1);
}

template bool RWBinaryFile::readScalar(char&);
template bool RWBinaryFile::readScalar(std::int8_t&);
template bool RWBinaryFile::readScalar(std::uint8_t&);
template bool RWBinaryFile::readScalar(std::int16_t&);
template bool RWBinaryFile::readScalar(std::uint16_t&);
template bool RWBinaryFile::readScalar(std::int32_t&);
template bool RWBinaryFile::readScalar(std::uint32_t&);
template bool RWBinaryFile::readScalar(float&);
template bool RWBinaryFile::readScalar(double&);
template bool RWBinaryFile::writeScalar(char);
template bool RWBinaryFile::writeScalar(std::int8_t);
template bool RWBinaryFile::writeScalar(std::uint8_t);
template bool RWBinaryFile::writeScalar(std::int16_t);
template bool RWBinaryFile::writeScalar(std::uint16_t);
template bool RWBinaryFile::writeScalar(std::int32_t);
template bool RWBinaryFile::writeScalar(std::uint32_t);
template bool RWBinaryFile::writeScalar(float);
template bool RWBinaryFile::writeScalar(double);
template bool RWBinaryFile::readArray(char*, std::size_t);
template bool RWBinaryFile::readArray(std::uint8_t*, std::size_t);
template bool RWBinaryFile::readArray(std::int16_t*, std::size_t);
template bool RWBinaryFile::readArray(std::uint16_t*, std::size_t);
template bool RWBinaryFile::readArray(std::int32_t*, std::size_t);
template bool RWBinaryFile::readArray(std::uint32_t*, std::size_t);
template bool RWBinaryFile::readArray(float*, std::size_t);
template bool RWBinaryFile::readArray(double*, std::size_t);
template bool RWBinaryFile::writeArray(const char*, std::size_t);
template bool RWBinaryFile::writeArray(const std::uint8_t*, std::size_t);
template bool RWBinaryFile::writeArray(const std::int16_t*, std::size_t);
template bool RWBinaryFile::writeArray(const std::uint16_t*, std::size_t);
template bool RWBinaryFile::writeArray(const std::int32_t*, std::size_t);
template bool RWBinaryFile::writeArray(const std::uint32_t*, std::size_t);
template bool RWBinaryFile::writeArray(const float*, std::size_t);
template bool RWBinaryFile::writeArray(const double*, std::size_t);
