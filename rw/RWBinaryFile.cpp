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

// Only a stream that is never written can be read through a buffer of its own.
bool isReadOnlyMode(const std::string& mode) {
  return !mode.empty() && mode[0] == 'r' && mode.find('+') == std::string::npos;
}

}  // namespace

RWBinaryFile::RWBinaryFile(const char* name, const char* mode) : name_(name ? name : "") {
  if (mode) {
    mode_ = std::string(mode).substr(0, maxModeLength);
    openStream(mode_.c_str());
    return;
  }
  mode_ = "rb+";
  openStream("rb+");
  if (!handle_) {
    mode_ = "wb+";
    openStream("wb+");
  }
}

RWBinaryFile::RWBinaryFile(std::FILE* stream, const char* name)
    : name_(name ? name : ""), mode_("rb") {
  adoptStream(stream);
}

RWBinaryFile::RWBinaryFile(std::vector<std::uint8_t> bytes, const char* name)
    : name_(name ? name : ""),
      mode_("rb"),
      knownSize_(static_cast<std::int64_t>(bytes.size())),
      readOnly_(true),
      inMemory_(true),
      storage_(std::move(bytes)),
      windowBytes_(storage_.size()) {}

RWBinaryFile::RWBinaryFile(MemoryOutput, const char* name)
    : name_(name ? name : ""), mode_("wb"), inMemory_(true) {}

RWBinaryFile::~RWBinaryFile() {
  close();
}

void RWBinaryFile::openStream(const char* mode) {
  adoptStream(std::fopen(name_.c_str(), mode));
}

void RWBinaryFile::adoptStream(std::FILE* stream) {
  handle_ = stream;
  readOnly_ = handle_ && isReadOnlyMode(mode_);
  if (!readOnly_) return;
  // The buffer below does the stream's work; a second one would only copy twice.
  std::setvbuf(handle_, nullptr, _IONBF, 0);
  storage_.resize(bufferBytes);
}

void RWBinaryFile::close() {
  if (handle_) std::fclose(handle_);
  handle_ = nullptr;
  readOnly_ = false;
  inMemory_ = false;
  endOfFile_ = false;
  readError_ = false;
  std::vector<unsigned char>().swap(storage_);
  windowBytes_ = 0;
  position_ = 0;
  windowOffset_ = 0;
}

bool RWBinaryFile::exists(const char* name) {
  std::error_code error;
  return name && std::filesystem::exists(name, error);
}

bool RWBinaryFile::eof() const {
  if (buffered() || memoryOutput()) return endOfFile_;
  return handle_ && std::feof(handle_);
}

bool RWBinaryFile::error() const {
  return readError_ || (handle_ && std::ferror(handle_));
}

bool RWBinaryFile::flush() {
  if (inMemory_) return true;
  return handle_ && std::fflush(handle_) == 0;
}

bool RWBinaryFile::seekTo(std::uint64_t offset) {
  if (!isValid() || memoryOutput() || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
  if (!buffered()) return std::fseek(handle_, static_cast<long>(offset), SEEK_SET) == 0;
  if (inMemory_) {
    // Past the end, the window is empty and every read comes up short.
    const bool inside = offset <= storage_.size();
    windowOffset_ = inside ? 0 : offset;
    windowBytes_ = inside ? storage_.size() : 0;
    position_ = inside ? static_cast<std::size_t>(offset) : 0;
  } else if (offset >= windowOffset_ && offset - windowOffset_ <= windowBytes_) {
    position_ = static_cast<std::size_t>(offset - windowOffset_);
  } else {
    if (std::fseek(handle_, static_cast<long>(offset), SEEK_SET) != 0) return false;
    windowOffset_ = offset;
    windowBytes_ = 0;
    position_ = 0;
  }
  endOfFile_ = false;
  return true;
}

bool RWBinaryFile::seekToEnd() {
  if (!isValid() || memoryOutput()) return false;
  if (!buffered()) return std::fseek(handle_, 0, SEEK_END) == 0;
  if (inMemory_) return seekTo(storage_.size());
  if (std::fseek(handle_, 0, SEEK_END) != 0) return false;
  const long end = std::ftell(handle_);
  windowOffset_ = end < 0 ? 0 : static_cast<std::uint64_t>(end);
  windowBytes_ = 0;
  position_ = 0;
  endOfFile_ = false;
  return true;
}

std::uint64_t RWBinaryFile::currentOffset() const {
  if (buffered()) return windowOffset_ + position_;
  if (memoryOutput()) return storage_.size();
  if (!handle_) return 0;
  const long offset = std::ftell(handle_);
  return offset < 0 ? 0 : static_cast<std::uint64_t>(offset);
}

bool RWBinaryFile::isEmpty() {
  if (!isValid()) return true;
  if (memoryOutput()) return storage_.empty();
  if (buffered()) return bytesLeft() + currentOffset() == 0;
  const std::uint64_t here = currentOffset();
  if (!seekToEnd()) return false;
  const bool empty = currentOffset() == 0;
  seekTo(here);
  return empty;
}

bool RWBinaryFile::erase() {
  if (!handle_) return false;
  const bool closed = std::fclose(handle_) == 0;
  handle_ = nullptr;
  close();
  if (!closed) return false;
  if (std::remove(name_.c_str()) != 0) return false;
  mode_ = "wb+";
  openStream("wb+");
  firstShortRead_ = -1;
  knownSize_ = -1;
  return handle_ != nullptr;
}

std::uint64_t RWBinaryFile::bytesLeft() {
  if (!isValid() || memoryOutput()) return 0;
  const std::uint64_t here = currentOffset();
  if (knownSize_ < 0) {
    if (buffered()) {
      // The stream stands at the window's end; it goes back there after measuring.
      const std::uint64_t resume = windowOffset_ + windowBytes_;
      if (std::fseek(handle_, 0, SEEK_END) != 0) return 0;
      const long end = std::ftell(handle_);
      std::fseek(handle_, static_cast<long>(resume), SEEK_SET);
      if (end < 0) return 0;
      knownSize_ = end;
    } else {
      if (!seekToEnd()) return 0;
      knownSize_ = static_cast<std::int64_t>(currentOffset());
      seekTo(here);
    }
  }
  const auto end = static_cast<std::uint64_t>(knownSize_);
  return end > here ? end - here : 0;
}

bool RWBinaryFile::ensureAvailable(std::uint64_t bytes) {
  if (!isValid()) return false;
  if (bytes <= bytesLeft()) return true;
  if (firstShortRead_ < 0) firstShortRead_ = static_cast<std::int64_t>(currentOffset());
  seekToEnd();
  if (buffered() || memoryOutput()) {
    endOfFile_ = true;
  } else {
    std::fgetc(handle_);  // sets the end-of-file flag
  }
  return false;
}

std::size_t RWBinaryFile::readStream(unsigned char* bytes, std::size_t size) {
  const std::size_t got = std::fread(bytes, 1, size, handle_);
  if (got < size && std::ferror(handle_)) readError_ = true;
  return got;
}

bool RWBinaryFile::fill(std::size_t bytes) {
  if (windowBytes_ - position_ >= bytes) return true;
  if (inMemory_ || !handle_ || bytes > storage_.size()) return false;
  const std::size_t left = windowBytes_ - position_;
  std::memmove(storage_.data(), storage_.data() + position_, left);
  windowOffset_ += position_;
  position_ = 0;
  windowBytes_ = left;
  while (windowBytes_ < bytes) {
    const std::size_t got =
        readStream(storage_.data() + windowBytes_, storage_.size() - windowBytes_);
    if (got == 0) return false;
    windowBytes_ += got;
  }
  return true;
}

void RWBinaryFile::noteShortRead(std::uint64_t offset) {
  if (firstShortRead_ < 0) firstShortRead_ = static_cast<std::int64_t>(offset);
  // A stream flags the end of the file only when no read error stopped it.
  if (!readError_) endOfFile_ = true;
}

// A short read hands out what the file holds, as the stream's would.
bool RWBinaryFile::readBeyondWindow(unsigned char* bytes, std::size_t size) {
  if (!buffered()) return streamReadBytes(bytes, size);
  const std::uint64_t start = currentOffset();
  const std::size_t available = windowBytes_ - position_;
  // An empty file in memory has no storage to copy from, not even nothing.
  if (available > 0) std::memcpy(bytes, storage_.data() + position_, available);
  position_ += available;
  bytes += available;
  size -= available;
  if (!inMemory_) {
    if (size >= bufferBytes) {
      windowOffset_ += windowBytes_;
      windowBytes_ = 0;
      position_ = 0;
      const std::size_t got = readStream(bytes, size);
      windowOffset_ += got;
      if (got == size) return true;
    } else {
      const bool whole = fill(size);
      const std::size_t taken = std::min(size, windowBytes_ - position_);
      std::memcpy(bytes, storage_.data() + position_, taken);
      position_ += taken;
      if (whole) return true;
    }
  }
  noteShortRead(start);
  return false;
}

bool RWBinaryFile::streamReadBytes(void* bytes, std::size_t size) {
  if (memoryOutput()) {
    noteShortRead(storage_.size());
    return false;
  }
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
  if (memoryOutput()) {
    const auto* first = static_cast<const unsigned char*>(bytes);
    storage_.insert(storage_.end(), first, first + size);
    return true;
  }
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
  if (n == 0) return isValid();
  if (!readBytes(values, n * sizeof(T))) return false;
  if constexpr (std::endian::native != std::endian::little && sizeof(T) > 1) {
    for (std::size_t i = 0; i < n; ++i) values[i] = toLittleEndian(values[i]);
  }
  return true;
}

template <class T>
bool RWBinaryFile::writeArray(const T* values, std::size_t n) {
  if (n == 0) return handle_ != nullptr || memoryOutput();
  if constexpr (std::endian::native == std::endian::little || sizeof(T) == 1) {
    return writeBytes(values, n * sizeof(T));
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      if (!writeScalar(values[i])) return false;
    }
    return true;
  }
}

// On a stream, pushing the bytes back into its buffer costs nothing, where seeking
// back costs a system call; a stream that refuses them, or an end of file that the
// read flagged, is sought back instead.
bool RWBinaryFile::peek(std::uint16_t& value) {
  std::uint16_t stored = 0;
  if (memoryOutput()) return false;
  if (buffered()) {
    if (!fill(sizeof stored)) return false;
    std::memcpy(&stored, storage_.data() + position_, sizeof stored);
    value = toLittleEndian(stored);
    return true;
  }
  if (!handle_) return false;
  unsigned char bytes[sizeof value];
  const std::size_t got = std::fread(bytes, 1, sizeof bytes, handle_);
  std::size_t pushed = 0;
  while (pushed < got && std::ungetc(bytes[got - 1 - pushed], handle_) != EOF) ++pushed;
  if (pushed < got || got < sizeof bytes) seekTo(currentOffset() - (got - pushed));
  if (got != sizeof bytes) return false;
  std::memcpy(&stored, bytes, sizeof stored);
  value = toLittleEndian(stored);
  return true;
}

bool RWBinaryFile::readText(std::string& text) {
  text.clear();
  if (buffered()) {
    while (position_ < windowBytes_ || fill(1)) {
      const unsigned char* start = storage_.data() + position_;
      const std::size_t available = windowBytes_ - position_;
      const auto* nul = static_cast<const unsigned char*>(std::memchr(start, 0, available));
      const std::size_t length = nul ? static_cast<std::size_t>(nul - start) : available;
      text.append(reinterpret_cast<const char*>(start), length);
      position_ += nul ? length + 1 : length;
      if (nul) return true;
    }
    if (!readError_) endOfFile_ = true;
    return true;
  }
  if (memoryOutput()) endOfFile_ = true;
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
